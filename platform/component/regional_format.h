// The user's regional settings as the component layer applies them when numbers and dates turn
// into text. All functions read the default QLocale at the time of the call, so a program (or a
// test) that calls QLocale::setDefault changes every later result.
#ifndef VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_
#define VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

#include "platform/component/component_export.h"
#include "platform/component/variant.h"

namespace component {

// Up to 15 significant digits, the locale's decimal separator, no digit grouping, an exponent
// only for very large or very small magnitudes ("1e+20").
COMPONENT_EXPORT QString FormatDouble(double value);
// As FormatDouble with 7 significant digits.
COMPONENT_EXPORT QString FormatSingle(float value);
// Fixed point without digit grouping and without trailing zeros after the decimal separator.
COMPONENT_EXPORT QString FormatCurrency(Currency value);
COMPONENT_EXPORT QString FormatDecimal(Decimal value);

// The platform's "General Date": the short date, a space and the long time; the date alone when
// the time is midnight; the time alone when the date part is the zero date. The locale's short
// date is widened to a four-digit year where it has a two-digit one, so the text never loses the
// century; the long time drops the time-zone name, since a Date carries none.
COMPONENT_EXPORT QString FormatGeneralDate(Date value);

// A number in the locale's notation (or the C notation as a fallback); nullopt when the text is
// no number.
COMPONENT_EXPORT std::optional<double> ParseNumber(const QString& text);

// Conversions between Date and Qt's types. DateFromParts takes a valid date and time.
COMPONENT_EXPORT Date DateFromParts(const QDate& date, const QTime& time);
COMPONENT_EXPORT QDate DatePart(Date value);
COMPONENT_EXPORT QTime TimePart(Date value);

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_REGIONAL_FORMAT_H_
