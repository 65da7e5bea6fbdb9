#include "platform/component/regional_format.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>

namespace component {
namespace {

constexpr double kSecondsPerDay = 86400.0;

QDate ZeroDate() { return QDate(1899, 12, 30); }

QLocale NumberLocale() {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// Whole days and seconds after midnight, rounded to the second with the carry applied. Before
// the zero date too the fraction counts forward from that day's midnight, so a time that rounds
// up to the next midnight is always the following day: one day later, on either side of zero.
void SplitSerial(Date value, int64_t* days, int64_t* seconds) {
  double whole = std::trunc(value.serial);
  double fraction = std::fabs(value.serial - whole);
  *days = static_cast<int64_t>(whole);
  *seconds = std::llround(fraction * kSecondsPerDay);
  if (*seconds >= static_cast<int64_t>(kSecondsPerDay)) {
    *seconds -= static_cast<int64_t>(kSecondsPerDay);
    *days += 1;
  }
}

// The format with every unquoted time-zone token ('t' runs) removed and spaces trimmed.
QString WithoutTimeZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    out += c;
  }
  return out.trimmed();
}

// Turns a lone "yy" into "yyyy"; a "yyyy" stays.
QString WithFullYear(const QString& format) {
  QString out;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size(); ++i) {
    const QChar c = format[i];
    if (c == u'\'') quoted = !quoted;
    if (quoted || c != u'y') {
      out += c;
      continue;
    }
    qsizetype run = 0;
    while (i + run < format.size() && format[i + run] == u'y') ++run;
    out += run == 2 ? QStringLiteral("yyyy") : QString(run, u'y');
    i += run - 1;
  }
  return out;
}

QString FormatScaled(int64_t mantissa, int scale) {
  const bool negative = mantissa < 0;
  // Work in unsigned so that the smallest int64 keeps its magnitude.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(mantissa) : mantissa;
  QString digits = QString::number(magnitude);
  if (scale > 0) {
    if (digits.size() <= scale) digits = QString(scale - digits.size() + 1, u'0') + digits;
    QString fraction = digits.right(scale);
    QString integral = digits.left(digits.size() - scale);
    while (fraction.endsWith(u'0')) fraction.chop(1);
    digits = fraction.isEmpty() ? integral : integral + QLocale().decimalPoint() + fraction;
  }
  return negative && digits != u"0" ? QLocale().negativeSign() + digits : digits;
}

}  // namespace

QString FormatDouble(double value) { return NumberLocale().toString(value, 'g', 15); }

QString FormatSingle(float value) { return NumberLocale().toString(double{value}, 'g', 7); }

QString FormatCurrency(Currency value) { return FormatScaled(value.scaled, 4); }

QString FormatDecimal(Decimal value) { return FormatScaled(value.mantissa, value.scale); }

QString FormatGeneralDate(Date value) {
  int64_t days = 0;
  int64_t seconds = 0;
  SplitSerial(value, &days, &seconds);
  const QLocale locale;
  QString time_text = locale.toString(QTime(0, 0).addSecs(static_cast<int>(seconds)),
                                      WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
  if (days == 0) return time_text;
  QString date_text = locale.toString(ZeroDate().addDays(days),
                                      WithFullYear(locale.dateFormat(QLocale::ShortFormat)));
  if (seconds == 0) return date_text;
  return date_text + u' ' + time_text;
}

std::optional<double> ParseNumber(const QString& text) {
  const QString trimmed = text.trimmed();
  bool ok = false;
  double value = QLocale().toDouble(trimmed, &ok);
  if (ok) return value;
  value = QLocale::c().toDouble(trimmed, &ok);
  if (ok) return value;
  return std::nullopt;
}

Date DateFromParts(const QDate& date, const QTime& time) {
  const double days = static_cast<double>(ZeroDate().daysTo(date));
  const double fraction = time.msecsSinceStartOfDay() / (kSecondsPerDay * 1000.0);
  // Before the zero date the fraction still counts forward from midnight.
  return Date{days < 0 ? days - fraction : days + fraction};
}

QDate DatePart(Date value) {
  int64_t days = 0;
  int64_t seconds = 0;
  SplitSerial(value, &days, &seconds);
  return ZeroDate().addDays(days);
}

QTime TimePart(Date value) {
  int64_t days = 0;
  int64_t seconds = 0;
  SplitSerial(value, &days, &seconds);
  return QTime(0, 0).addSecs(static_cast<int>(seconds));
}

}  // namespace component
