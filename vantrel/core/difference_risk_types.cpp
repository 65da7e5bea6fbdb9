// The risk of a change of type: how much of the secondary's values the primary's type holds,
// judged per type family of the type table.
#include <QStringList>
#include <limits>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/difference_risk_parts.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::risk {
namespace {

namespace dx = dataaccess;

// ---- Types: how much of the secondary's values the primary's type holds.

enum class Family { kInteger, kDecimal, kFloat, kText, kBinary, kBit, kTime, kLabels, kOther };

Family FamilyOf(int32_t kind) {
  switch (kind) {
    case dx::kInteger:
      return Family::kInteger;
    case dx::kDecimal:
      return Family::kDecimal;
    case dx::kFloat:
      return Family::kFloat;
    case dx::kChar:
    case dx::kVarChar:
    case dx::kText:
      return Family::kText;
    case dx::kBinary:
    case dx::kVarBinary:
    case dx::kBlob:
      return Family::kBinary;
    case dx::kBit:
    case dx::kVarBit:
      return Family::kBit;
    case dx::kTime:
    case dx::kTimeTz:
    case dx::kTimestamp:
    case dx::kTimestampTz:
      return Family::kTime;
    case dx::kEnum:
    case dx::kSet:
      return Family::kLabels;
    default:
      return Family::kOther;
  }
}

QString KindName(const ColumnFacts& column) {
  if (QString name = dx::KindName(column.data_type); !name.isEmpty()) return name;
  // Another type is known by its spelling only.
  return column.declared_type.isEmpty() ? QStringLiteral("another type")
                                        : VisibleText(column.declared_type);
}

bool IsUnsigned(const ColumnFacts& column) { return (column.attributes & dx::kUnsigned) != 0; }

// An integer's range from its byte width; width 0 (an SQLite rowid alias) holds any 64 bits.
struct IntegerRange {
  long long min;
  unsigned long long max;
};
IntegerRange RangeOf(const ColumnFacts& column) {
  const int bits = (column.size <= 0 || column.size >= 8) ? 64 : column.size * 8;
  if (IsUnsigned(column)) {
    return {0, bits == 64 ? std::numeric_limits<unsigned long long>::max() : (1ULL << bits) - 1};
  }
  if (bits == 64) {
    return {std::numeric_limits<long long>::min(),
            static_cast<unsigned long long>(std::numeric_limits<long long>::max())};
  }
  return {-(1LL << (bits - 1)), (1ULL << (bits - 1)) - 1};
}
// The decimal digits every value of the range can have before it may not fit.
qsizetype DigitsAlwaysHeld(const IntegerRange& range) {
  return QString::number(range.max).size() - 1;
}
qsizetype DigitsNeeded(const IntegerRange& range) { return QString::number(range.max).size(); }

QString IntegerText(const ColumnFacts& column) {
  return QString::number(column.size) +
         (IsUnsigned(column) ? QStringLiteral(" UNSIGNED") : QString());
}

// A decimal's Size is precision * 65536 + scale; 0 declares neither and holds any number.
struct DecimalShape {
  bool unconstrained;
  int precision;
  int scale;
  int IntegerDigits() const { return precision - scale; }
};
DecimalShape ShapeOf(const ColumnFacts& column) {
  const auto size = static_cast<uint32_t>(column.size);
  return {size == 0, static_cast<int>(size >> 16), static_cast<int>(size & 0xffff)};
}
QString DecimalText(const ColumnFacts& column) {
  const DecimalShape shape = ShapeOf(column);
  QString text = QStringLiteral("DECIMAL");
  if (!shape.unconstrained) {
    text += u'(' + QString::number(shape.precision) + u',' + QString::number(shape.scale) + u')';
  }
  if (IsUnsigned(column)) text += QLatin1String(" UNSIGNED");
  return text;
}

QString SizeText(int32_t size) {
  return size == 0 ? QStringLiteral("unlimited") : QString::number(size);
}

// "digits beyond 2 decimal places are rounded away", or for a scale of 0 the fractions.
QString RoundedAway(int scale) {
  if (scale <= 0) return QStringLiteral("fractions are rounded away");
  return "digits beyond " + QString::number(scale) + " decimal places are rounded away";
}

QString Joined(const QStringList& consequences) {
  return consequences.join(QStringLiteral(", and "));
}

// Integers: the primary holds the secondary's range, or cuts it at the top or the bottom. The
// primary's definition is given to the secondary's database. SQLite keeps any 64-bit integer
// whatever the width declared: where the secondary is SQLite, both ranges are 64 bits, and
// where only the primary is, its integer is a BIGINT on the secondary's server (as migrate
// writes it).
std::vector<Finding> IntegerFindings(const ColumnFacts& p, const ColumnFacts& s,
                                     const Sides& sides) {
  const IntegerRange any_width = RangeOf(ColumnFacts{});  // Size 0, signed: 64 bits
  const bool sqlite = p.width_not_enforced || s.width_not_enforced;
  const IntegerRange pr = sqlite ? any_width : RangeOf(p);
  const IntegerRange sr = s.width_not_enforced ? any_width : RangeOf(s);
  const QString what = "Size " + sides.Each(IntegerText(p), IntegerText(s));
  const bool low = pr.min > sr.min;
  const bool high = pr.max < sr.max;
  const IntegerRange declared = RangeOf(p);
  const IntegerRange other_declared = RangeOf(s);
  if (!low && !high && sqlite &&
      (declared.min > other_declared.min || declared.max < other_declared.max)) {
    // The primary declares a narrower range, which SQLite does not hold the column to.
    return {{Risk::kSafe, s.width_not_enforced
                              ? QStringLiteral("SQLite keeps any 64-bit integer whatever the "
                                               "width declared")
                              : "SQLite keeps any 64-bit integer whatever the width declared: "
                                "it is a BIGINT on " +
                                    Quoted(sides.Secondary())}};
  }
  if (!low && !high) return {{Risk::kSafe, QStringLiteral("wider")}};
  QString consequence;
  if (low && high) {
    consequence = "numbers outside " + QString::number(pr.min) + ".." + QString::number(pr.max) +
                  " do not fit";
  } else if (low) {
    // Only an unsigned primary cuts the bottom alone.
    consequence = QStringLiteral("negative numbers are refused");
  } else {
    consequence = "numbers above " + QString::number(pr.max) + " do not fit";
  }
  return {{Risk::kNarrower, what + ": " + consequence}};
}

std::vector<Finding> DecimalFindings(const ColumnFacts& p, const ColumnFacts& s,
                                     const Sides& sides) {
  const DecimalShape ps = ShapeOf(p);
  const DecimalShape ss = ShapeOf(s);
  const QString what = sides.Each(DecimalText(p), DecimalText(s));
  const bool rounds = !ps.unconstrained && (ss.unconstrained || ps.scale < ss.scale);
  const bool cuts =
      !ps.unconstrained && (ss.unconstrained || ps.IntegerDigits() < ss.IntegerDigits());
  const bool negatives = IsUnsigned(p) && !IsUnsigned(s);
  QStringList consequences;
  if (rounds) consequences.append(RoundedAway(ps.scale));
  if (cuts) consequences.append(QStringLiteral("larger numbers do not fit"));
  if (negatives) consequences.append(QStringLiteral("negative numbers are refused"));
  if (consequences.isEmpty()) return {{Risk::kSafe, QStringLiteral("wider")}};
  // Rounding happens without an error on every engine, so it outranks a refusal.
  return {{rounds ? Risk::kRounded : Risk::kNarrower, what + ": " + Joined(consequences)}};
}

// "Size 50 on 'A', 40 on 'B'" for the kinds whose Size is a length (0 = unlimited).
QString LengthText(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  return "Size " + sides.Each(SizeText(p.size), SizeText(s.size));
}
// Whether the primary declares a shorter length than the secondary's.
bool DeclaredShorter(const ColumnFacts& p, const ColumnFacts& s) {
  return p.size != 0 && (s.size == 0 || p.size < s.size);
}
// The primary's definition is given to the secondary's database; SQLite holds no text to its
// declared length there.
bool LengthCuts(const ColumnFacts& p, const ColumnFacts& s) {
  return DeclaredShorter(p, s) && !s.width_not_enforced;
}
Finding LengthNotEnforced() {
  return {Risk::kSafe, QStringLiteral("SQLite keeps any length whatever the length declared")};
}

// Texts, binaries and bit strings: the length, then what a fixed-length kind does to values.
std::vector<Finding> LengthFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides,
                                    int32_t fixed_kind, const char* padding) {
  std::vector<Finding> findings;
  if (LengthCuts(p, s)) {
    findings.push_back({Risk::kNarrower, LengthText(p, s, sides) + ": longer values do not fit"});
  }
  // SQLite pads no CHAR, and keeps a CHAR's value as it was given.
  if (p.data_type != s.data_type && !s.width_not_enforced) {
    const QString kinds = sides.Each(KindName(p), KindName(s));
    if (p.data_type == fixed_kind) {
      findings.push_back({Risk::kTypeChangeConverted,
                          kinds + ": shorter values are padded with " + QLatin1String(padding)});
    } else if (s.data_type == fixed_kind && fixed_kind == dx::kChar) {
      // A CHAR's padding is not part of its value: a varying kind drops it.
      findings.push_back({Risk::kTypeChangeConverted, kinds + ": trailing spaces are dropped"});
    }
  }
  if (findings.empty() && DeclaredShorter(p, s)) findings.push_back(LengthNotEnforced());
  if (findings.empty()) {
    findings.push_back({Risk::kSafe, p.size == s.size && p.data_type != s.data_type
                                         ? QStringLiteral("converted")
                                         : QStringLiteral("wider")});
  }
  return findings;
}

std::vector<Finding> FloatFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  if (p.size >= s.size) return {{Risk::kSafe, QStringLiteral("wider")}};
  return {{Risk::kRounded, "Size " + sides.Each(QString::number(p.size), QString::number(s.size)) +
                               ": numbers keep about 7 significant digits"}};
}

std::vector<Finding> TimeFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  std::vector<Finding> findings;
  if (p.size < s.size) {
    const QString digits =
        p.size == 0 ? QStringLiteral("fractions of a second are rounded away")
                    : "digits of a second beyond " + QString::number(p.size) + " are rounded away";
    findings.push_back(
        {Risk::kRounded,
         "Size " + sides.Each(QString::number(p.size), QString::number(s.size)) + ": " + digits});
  }
  if (p.data_type != s.data_type) {
    const bool p_timestamp = p.data_type == dx::kTimestamp || p.data_type == dx::kTimestampTz;
    const bool s_timestamp = s.data_type == dx::kTimestamp || s.data_type == dx::kTimestampTz;
    const QString kinds = sides.Each(KindName(p), KindName(s));
    if (p_timestamp == s_timestamp) {
      // With or without a time zone: the session's zone converts one into the other.
      findings.push_back({Risk::kTypeChangeConverted,
                          kinds + ": values are converted by the session's time zone"});
    } else if (s_timestamp) {
      findings.push_back({Risk::kTypeChangeLost, kinds + ": the date is dropped"});
    } else {
      findings.push_back({Risk::kTypeChangeRefused, kinds + ": a time of day has no date"});
    }
  }
  if (findings.empty()) findings.push_back({Risk::kSafe, QStringLiteral("wider")});
  return findings;
}

std::vector<Finding> LabelFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  if (p.data_type != s.data_type) {
    return {{Risk::kTypeChangeRefused,
             sides.Each(KindName(p), KindName(s)) + ": values that are not labels are refused"}};
  }
  // A PostgreSQL enum is spelled by its type's name: its labels come apart, where the source kept
  // them (a snapshot of format version 3 or earlier does not); its Size is a hash of its labels.
  const QStringList p_labels = EnumerationLabels(p);
  const QStringList s_labels = EnumerationLabels(s);
  if (p.size == s.size && (p_labels == s_labels || p_labels.isEmpty() || s_labels.isEmpty())) {
    return {{Risk::kTypeChangeConverted,
             "enum types " + sides.Each(Quoted(p.declared_type), Quoted(s.declared_type)) +
                 " of the same labels: values are converted by their labels"}};
  }
  if (p_labels.isEmpty() || s_labels.isEmpty()) {
    // Which labels each side has is not known here: whether rows are refused cannot be said.
    return {{Risk::kBehaviour, "labels differ: rows holding a label that " +
                                   Quoted(sides.Primary()) +
                                   " lacks are refused; compare the two types' labels"}};
  }
  QStringList removed;
  for (const QString& label : s_labels) {
    if (!p_labels.contains(label)) removed.append(Quoted(label));
  }
  if (!removed.isEmpty()) {
    const bool one = removed.size() == 1;
    return {{Risk::kNarrower, (one ? "label " : "labels ") + removed.join(QStringLiteral(", ")) +
                                  " only on " + Quoted(sides.Secondary()) + ": rows holding " +
                                  (one ? "it" : "them") + " are refused"}};
  }
  if (p_labels.size() > s_labels.size()) return {{Risk::kSafe, QStringLiteral("labels added")}};
  // The same labels in another order: MySQL sorts and compares an ENUM by its labels' order.
  return {{Risk::kBehaviour, QStringLiteral("label order differs: sorting by the column differs")}};
}

bool IsNumeric(int32_t kind) {
  return kind == dx::kInteger || kind == dx::kDecimal || kind == dx::kFloat || kind == dx::kMoney ||
         kind == dx::kYear;
}

// A change between two families: what the conversion keeps, cuts or refuses. The rules name the
// usual pairs; any other pair is assumed to convert some values and refuse the rest.
Finding KindChange(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  const QString what = sides.Each(KindName(p), KindName(s)) + ": ";
  const Family pf = FamilyOf(p.data_type);
  const Family sf = FamilyOf(s.data_type);
  const int32_t pk = p.data_type;
  const int32_t sk = s.data_type;
  if (pk == dx::kUntyped) return {Risk::kSafe, QStringLiteral("converted")};
  if (pf == Family::kText) {
    if (sf == Family::kBinary) {
      return {Risk::kTypeChangeRefused, what + "bytes that are not valid text are refused"};
    }
    return {Risk::kTypeChangeConverted, what + "values are converted"};
  }
  if (sf == Family::kText || sk == dx::kUntyped) {
    if (IsNumeric(pk)) return {Risk::kTypeChangeRefused, what + "non-numeric values are refused"};
    if (pk == dx::kBoolean) {
      return {Risk::kTypeChangeRefused, what + "values that are not true or false are refused"};
    }
    if (pk == dx::kDate || pf == Family::kTime) {
      return {Risk::kTypeChangeRefused, what + "values that are not dates or times are refused"};
    }
    if (pk == dx::kJson)
      return {Risk::kTypeChangeRefused, what + "values that are not JSON are refused"};
    if (pf == Family::kLabels) {
      return {Risk::kTypeChangeRefused, what + "values that are not labels are refused"};
    }
    if (pf == Family::kBinary && sf == Family::kText) {
      return {Risk::kTypeChangeConverted, what + "text is stored as its bytes"};
    }
    return {Risk::kTypeChangeRefused, what + "values of another form are refused"};
  }
  if (sk == dx::kInteger && pk == dx::kDecimal) {
    const DecimalShape shape = ShapeOf(p);
    if (shape.unconstrained || shape.IntegerDigits() >= DigitsNeeded(RangeOf(s))) {
      return {Risk::kSafe, QStringLiteral("converted")};
    }
    return {Risk::kNarrower, what + "larger numbers do not fit"};
  }
  if (sk == dx::kInteger && pk == dx::kFloat) {
    // A float holds integers exactly up to 2^24 (4 bytes) or 2^53 (8 bytes).
    const unsigned long long exact = p.size >= 8 ? (1ULL << 53) : (1ULL << 24);
    const IntegerRange range = RangeOf(s);
    if (range.max <= exact) return {Risk::kSafe, QStringLiteral("converted")};
    return {Risk::kRounded, what + "large numbers lose their last digits"};
  }
  if ((sk == dx::kDecimal || sk == dx::kFloat) && pk == dx::kInteger) {
    const DecimalShape shape = ShapeOf(s);
    const bool whole = sk == dx::kDecimal && !shape.unconstrained && shape.scale == 0;
    const bool fits = sk == dx::kDecimal && !shape.unconstrained &&
                      shape.IntegerDigits() <= DigitsAlwaysHeld(RangeOf(p));
    if (whole && fits) return {Risk::kSafe, QStringLiteral("converted")};
    if (whole) return {Risk::kNarrower, what + "larger numbers do not fit"};
    return {Risk::kRounded, what + "fractions are rounded away"};
  }
  if (sk == dx::kDecimal && pk == dx::kFloat) {
    return {Risk::kRounded, what + "numbers keep about " + QLatin1String(p.size >= 8 ? "15" : "7") +
                                " significant digits"};
  }
  if (sk == dx::kFloat && pk == dx::kDecimal) {
    return {Risk::kRounded, what + "numbers are rounded to the decimal's digits"};
  }
  if (sk == dx::kBoolean && (pk == dx::kInteger || pk == dx::kDecimal)) {
    return {Risk::kSafe, QStringLiteral("converted")};
  }
  if (sk == dx::kYear && pk == dx::kInteger && p.size >= 2) {
    return {Risk::kSafe, QStringLiteral("converted")};
  }
  if (sk == dx::kDate && pf == Family::kTime && pk != dx::kTime && pk != dx::kTimeTz) {
    return {Risk::kSafe, QStringLiteral("converted")};
  }
  if (pk == dx::kDate && (sk == dx::kTimestamp || sk == dx::kTimestampTz)) {
    return {Risk::kTypeChangeLost, what + "the time of day is dropped"};
  }
  return {Risk::kTypeChangeRefused,
          what + "values are converted, and those that cannot be are refused"};
}

}  // namespace

std::vector<Finding> TypeFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  // The same kind and Size is the same type (an ENUM's Size is a hash of its labels), but for
  // two enum types of one engine named differently.
  if (p.data_type == s.data_type && p.size == s.size && IsUnsigned(p) == IsUnsigned(s) &&
      !(p.data_type == dx::kEnum && p.declared_type != s.declared_type)) {
    return {};
  }
  const Family pf = FamilyOf(p.data_type);
  if (pf != FamilyOf(s.data_type)) return {KindChange(p, s, sides)};
  switch (pf) {
    case Family::kInteger:
      return IntegerFindings(p, s, sides);
    case Family::kDecimal:
      return DecimalFindings(p, s, sides);
    case Family::kFloat:
      return FloatFindings(p, s, sides);
    case Family::kText:
      return LengthFindings(p, s, sides, dx::kChar, "spaces");
    case Family::kBinary:
      return LengthFindings(p, s, sides, dx::kBinary, "zero bytes");
    case Family::kBit:
      return LengthFindings(p, s, sides, dx::kBit, "zero bits");
    case Family::kTime:
      return TimeFindings(p, s, sides);
    case Family::kLabels:
      return LabelFindings(p, s, sides);
    case Family::kOther:
      break;
  }
  if (p.data_type != s.data_type) return {KindChange(p, s, sides)};
  if (p.data_type >= dx::kOtherBase) {
    // Another type's Size is its declared length or a hash of its parameters: no order.
    return {{Risk::kTypeChangeRefused,
             "Size " + sides.Each(QString::number(p.size), QString::number(s.size)) +
                 ": values that do not fit the primary's parameters are refused"}};
  }
  // JSON kept as text, money: a larger Size holds more.
  if (LengthCuts(p, s)) {
    return {{Risk::kNarrower, LengthText(p, s, sides) + ": longer values do not fit"}};
  }
  return {{Risk::kSafe, QStringLiteral("wider")}};
}

}  // namespace vantrel::risk
