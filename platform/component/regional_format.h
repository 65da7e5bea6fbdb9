// The user's regional settings as the component layer applies them when numbers and dates turn
// into text. All functions read the default QLocale at the time of the call, so a program (or a
// test) that calls QLocale::setDefault changes every later result.
#ifndef VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_
#define VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

#include "platform/component/variant.h"

namespace component {

// Up to 15 significant digits, the locale's decimal separator, no digit grouping, an exponent
// only for very large or very small magnitudes ("1e+20").
QString FormatDouble(double value);
// As FormatDouble with 7 significant digits.
QString FormatSingle(float value);
// Fixed point without digit grouping and without trailing zeros after the decimal separator.
QString FormatCurrency(Currency value);
QString FormatDecimal(Decimal value);

// The platform's "General Date": the short date, a space and the long time; the date alone when
// the time is midnight; the time alone when the date part is the zero date. The locale's short
// date is widened to a four-digit year where it has a two-digit one, so the text never loses the
// century; the long time drops the time-zone name, since a Date carries none.
QString FormatGeneralDate(Date value);

// A number in the locale's notation (or the C notation as a fallback); nullopt when the text is
// no number.
std::optional<double> ParseNumber(const QString& text);

// Conversions between Date and Qt's types. DateFromParts takes a valid date and time.
Date DateFromParts(const QDate& date, const QTime& time);
QDate DatePart(Date value);
QTime TimePart(Date value);

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_
