// Variant: the one value type that crosses component boundaries when a member is called by name.
//
// A Variant holds exactly one value of one kind (VariantKind, numbered as the platform numbers
// its variant types). Copies are independent values: an array is shared between copies only
// because it is immutable once inside a Variant. An object is held by shared ownership; a
// Variant of kind kObject may hold no object at all (the platform's Nothing).
//
// The As...() accessors read the value of the kind it has and throw Error 13 (type mismatch)
// for any other kind. The To...() conversions follow the platform's conversion rules and
// throw Error 13 when no conversion exists, 94 (invalid use of Null) for Null and 6 (overflow)
// for a number out of range. Numbers and dates turn into text by the user's regional settings
// (see regional_format.h).
#ifndef VANTREL_PLATFORM_COMPONENT_VARIANT_H_
#define VANTREL_PLATFORM_COMPONENT_VARIANT_H_

#include <QString>
#include <cstdint>
#include <memory>
#include <variant>

#include "platform/component/component_export.h"

namespace component {

class Dispatch;
class VariantArray;

enum class VariantKind : int32_t {
  kEmpty = 0,
  kNull = 1,
  kInteger = 2,  // 16-bit signed
  kLong = 3,     // 32-bit signed
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kText = 8,
  kObject = 9,
  kError = 10,
  kBoolean = 11,
  kDecimal = 14,
  kByte = 17,
  kArray = 8192,  // of Variant elements
};

// A fixed-point amount with four decimal places: the value times 10 000.
struct COMPONENT_EXPORT Currency {
  int64_t scaled = 0;
};

// An exact decimal number: mantissa / 10^scale, scale at most 28.
struct COMPONENT_EXPORT Decimal {
  int64_t mantissa = 0;
  uint8_t scale = 0;
};

// A point in time as the platform counts it: whole days since 30 December 1899 (the zero date),
// with the time of day as the fraction. For days before the zero date the fraction still
// counts forward from midnight (-1.25 is 29 December 1899, 06:00).
struct COMPONENT_EXPORT Date {
  double serial = 0.0;
};

// An error value (the platform's CVErr), distinct from a thrown Error.
struct COMPONENT_EXPORT ErrorCode {
  int32_t code = 0;
};

class COMPONENT_EXPORT Variant {
 public:
  Variant();  // Empty
  static Variant Null();
  Variant(int16_t value);
  Variant(int32_t value);
  Variant(float value);
  Variant(double value);
  Variant(Currency value);
  Variant(Decimal value);
  Variant(uint8_t value);
  Variant(Date value);
  Variant(QString value);
  Variant(const char* utf8);
  Variant(bool value);
  Variant(ErrorCode value);
  Variant(std::shared_ptr<Dispatch> object);
  Variant(VariantArray array);

  VariantKind kind() const;
  bool IsEmpty() const { return kind() == VariantKind::kEmpty; }
  bool IsNull() const { return kind() == VariantKind::kNull; }
  bool IsArray() const { return kind() == VariantKind::kArray; }
  bool IsObject() const { return kind() == VariantKind::kObject; }

  int16_t AsInteger() const;
  int32_t AsLong() const;
  float AsSingle() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  Decimal AsDecimal() const;
  uint8_t AsByte() const;
  Date AsDate() const;
  const QString& AsText() const;
  bool AsBoolean() const;
  ErrorCode AsError() const;
  // The object held; nullptr for Nothing.
  const std::shared_ptr<Dispatch>& AsObject() const;
  const VariantArray& AsArray() const;

  // The standard conversion to text: Empty gives "", Boolean "True" or "False", an error value
  // "Error n", numbers and dates by the regional settings. Throws 94 for Null, 13 for an
  // object or an array.
  QString ToText() const;
  // The text that joining the value with an empty text gives: as ToText, except that Null gives
  // "" instead of throwing.
  QString JoinedText() const;
  // Non-zero numbers are true; texts "True"/"False" (any case) or numeric texts convert.
  bool ToBoolean() const;
  // Rounds half to even; throws 6 outside the 32-bit range.
  int32_t ToLong() const;
  double ToDouble() const;

 private:
  struct NullTag {};
  using Storage = std::variant<std::monostate, NullTag, int16_t, int32_t, float, double, Currency,
                               Decimal, uint8_t, Date, QString, bool, ErrorCode,
                               std::shared_ptr<Dispatch>, std::shared_ptr<const VariantArray>>;
  explicit Variant(Storage storage);
  template <class T>
  const T& Expect() const;

  Storage value_;
};

// The platform's name of a kind ("Integer", "String", "Variant()", ...), for messages.
COMPONENT_EXPORT QString KindName(VariantKind kind);

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_VARIANT_H_
