#include "platform/component/variant.h"

#include <cmath>
#include <limits>
#include <utility>

#include "platform/component/dispatch.h"
#include "platform/component/error.h"
#include "platform/component/regional_format.h"
#include "platform/component/variant_array.h"

namespace component {
namespace {

QString Source() { return QStringLiteral("Variant"); }

Error Mismatch() { return Error(kTypeMismatch, Source()); }

double ScaledToDouble(int64_t mantissa, int scale) {
  return static_cast<double>(mantissa) / std::pow(10.0, scale);
}

}  // namespace

Variant::Variant() = default;
Variant::Variant(Storage storage) : value_(std::move(storage)) {}
Variant Variant::Null() { return Variant(Storage(NullTag{})); }
Variant::Variant(int16_t value) : value_(std::in_place_type<int16_t>, value) {}
Variant::Variant(int32_t value) : value_(std::in_place_type<int32_t>, value) {}
Variant::Variant(float value) : value_(std::in_place_type<float>, value) {}
Variant::Variant(double value) : value_(std::in_place_type<double>, value) {}
Variant::Variant(Currency value) : value_(value) {}
Variant::Variant(Decimal value) : value_(value) {}
Variant::Variant(uint8_t value) : value_(std::in_place_type<uint8_t>, value) {}
Variant::Variant(Date value) : value_(value) {}
Variant::Variant(QString value) : value_(std::move(value)) {}
Variant::Variant(const char* utf8) : value_(QString::fromUtf8(utf8)) {}
Variant::Variant(bool value) : value_(std::in_place_type<bool>, value) {}
Variant::Variant(ErrorCode value) : value_(value) {}
Variant::Variant(std::shared_ptr<Dispatch> object) : value_(std::move(object)) {}
Variant::Variant(VariantArray array)
    : value_(std::make_shared<const VariantArray>(std::move(array))) {}

VariantKind Variant::kind() const {
  static constexpr VariantKind kKinds[] = {
      VariantKind::kEmpty,  VariantKind::kNull,   VariantKind::kInteger,  VariantKind::kLong,
      VariantKind::kSingle, VariantKind::kDouble, VariantKind::kCurrency, VariantKind::kDecimal,
      VariantKind::kByte,   VariantKind::kDate,   VariantKind::kText,     VariantKind::kBoolean,
      VariantKind::kError,  VariantKind::kObject, VariantKind::kArray};
  static_assert(std::size(kKinds) == std::variant_size_v<Storage>);
  return kKinds[value_.index()];
}

template <class T>
const T& Variant::Expect() const {
  if (const T* value = std::get_if<T>(&value_)) return *value;
  throw Mismatch();
}

int16_t Variant::AsInteger() const { return Expect<int16_t>(); }
int32_t Variant::AsLong() const { return Expect<int32_t>(); }
float Variant::AsSingle() const { return Expect<float>(); }
double Variant::AsDouble() const { return Expect<double>(); }
Currency Variant::AsCurrency() const { return Expect<Currency>(); }
Decimal Variant::AsDecimal() const { return Expect<Decimal>(); }
uint8_t Variant::AsByte() const { return Expect<uint8_t>(); }
Date Variant::AsDate() const { return Expect<Date>(); }
const QString& Variant::AsText() const { return Expect<QString>(); }
bool Variant::AsBoolean() const { return Expect<bool>(); }
ErrorCode Variant::AsError() const { return Expect<ErrorCode>(); }
const std::shared_ptr<Dispatch>& Variant::AsObject() const {
  return Expect<std::shared_ptr<Dispatch>>();
}
const VariantArray& Variant::AsArray() const {
  return *Expect<std::shared_ptr<const VariantArray>>();
}

QString Variant::ToText() const {
  switch (kind()) {
    case VariantKind::kEmpty:
      return QString();
    case VariantKind::kNull:
      throw Error(kInvalidUseOfNull, Source());
    case VariantKind::kInteger:
      return QString::number(AsInteger());
    case VariantKind::kLong:
      return QString::number(AsLong());
    case VariantKind::kByte:
      return QString::number(AsByte());
    case VariantKind::kSingle:
      return FormatSingle(AsSingle());
    case VariantKind::kDouble:
      return FormatDouble(AsDouble());
    case VariantKind::kCurrency:
      return FormatCurrency(AsCurrency());
    case VariantKind::kDecimal:
      return FormatDecimal(AsDecimal());
    case VariantKind::kDate:
      return FormatGeneralDate(AsDate());
    case VariantKind::kText:
      return AsText();
    case VariantKind::kBoolean:
      return AsBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case VariantKind::kError:
      return QStringLiteral("Error %1").arg(AsError().code);
    case VariantKind::kObject:
    case VariantKind::kArray:
      break;
  }
  throw Mismatch();
}

QString Variant::JoinedText() const { return IsNull() ? QString() : ToText(); }

double Variant::ToDouble() const {
  switch (kind()) {
    case VariantKind::kEmpty:
      return 0.0;
    case VariantKind::kNull:
      throw Error(kInvalidUseOfNull, Source());
    case VariantKind::kInteger:
      return AsInteger();
    case VariantKind::kLong:
      return AsLong();
    case VariantKind::kByte:
      return AsByte();
    case VariantKind::kSingle:
      return AsSingle();
    case VariantKind::kDouble:
      return AsDouble();
    case VariantKind::kCurrency:
      return ScaledToDouble(AsCurrency().scaled, 4);
    case VariantKind::kDecimal:
      return ScaledToDouble(AsDecimal().mantissa, AsDecimal().scale);
    case VariantKind::kDate:
      return AsDate().serial;
    case VariantKind::kBoolean:
      return AsBoolean() ? -1.0 : 0.0;
    case VariantKind::kText: {
      const QString text = AsText().trimmed();
      if (text.compare(u"True", Qt::CaseInsensitive) == 0) return -1.0;
      if (text.compare(u"False", Qt::CaseInsensitive) == 0) return 0.0;
      if (std::optional<double> number = ParseNumber(text)) return *number;
      break;
    }
    case VariantKind::kError:
    case VariantKind::kObject:
    case VariantKind::kArray:
      break;
  }
  throw Mismatch();
}

int32_t Variant::ToLong() const {
  if (kind() == VariantKind::kLong) return AsLong();
  const double rounded = std::nearbyint(ToDouble());  // the default mode rounds half to even
  if (!(rounded >= std::numeric_limits<int32_t>::min() &&
        rounded <= std::numeric_limits<int32_t>::max())) {
    throw Error(kOverflow, Source());
  }
  return static_cast<int32_t>(rounded);
}

bool Variant::ToBoolean() const {
  if (kind() == VariantKind::kBoolean) return AsBoolean();
  return ToDouble() != 0.0;
}

QString KindName(VariantKind kind) {
  switch (kind) {
    case VariantKind::kEmpty:
      return QStringLiteral("Empty");
    case VariantKind::kNull:
      return QStringLiteral("Null");
    case VariantKind::kInteger:
      return QStringLiteral("Integer");
    case VariantKind::kLong:
      return QStringLiteral("Long");
    case VariantKind::kSingle:
      return QStringLiteral("Single");
    case VariantKind::kDouble:
      return QStringLiteral("Double");
    case VariantKind::kCurrency:
      return QStringLiteral("Currency");
    case VariantKind::kDate:
      return QStringLiteral("Date");
    case VariantKind::kText:
      return QStringLiteral("String");
    case VariantKind::kObject:
      return QStringLiteral("Object");
    case VariantKind::kError:
      return QStringLiteral("Error");
    case VariantKind::kBoolean:
      return QStringLiteral("Boolean");
    case VariantKind::kDecimal:
      return QStringLiteral("Decimal");
    case VariantKind::kByte:
      return QStringLiteral("Byte");
    case VariantKind::kArray:
      return QStringLiteral("Variant()");
  }
  return QString();
}

}  // namespace component
