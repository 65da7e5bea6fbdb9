#include "vantrel/core/difference_risk.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;

// The classes in the order of their severity, most severe first: the order the header lists.
// A line names the most severe class found; the enum's order is the only ranking there is.
enum class Risk {
  // Data is gone: what the secondary holds has no place on the primary.
  kLost,
  kRounded,         // values are kept, but silently cut to fewer digits
  kTypeChangeLost,  // a kind change that drops part of every value (the date of a timestamp)
  // Rows are refused: moving them fails until they are changed.
  kNarrower,
  kTypeChangeRefused,  // values of the wrong form cannot be converted
  kNewNotNull,
  kNewUnique,
  kNewCheck,
  kNewForeignKey,
  kCollationRefusing,  // the primary compares text more loosely: a unique index may refuse rows
  kNumberingRefused,   // GENERATED ALWAYS refuses the values moved in
  // Values change: rows are moved, but not as they were.
  kRecomputed,
  kTypeChangeConverted,
  // The data survives; what the databases do with it later differs.
  kNumbering,
  kCollationBehaviour,
  kBehaviour,
  // Nothing is at risk.
  kSafe,
  kCount,  // no risk of its own: the field paragraphs carry it
};

// The word that opens a line, for each class above, in the same order.
const char* const kRiskLabels[] = {
    "lost",        "rounded",   "type change",     "narrower",  "type change", "new NOT NULL",
    "new UNIQUE",  "new check", "new foreign key", "collation", "numbering",   "recomputed",
    "type change", "numbering", "collation",       "behaviour", "safe",        "count",
};
static_assert(std::size(kRiskLabels) == static_cast<size_t>(Risk::kCount) + 1);

QString Label(Risk risk) { return QLatin1String(kRiskLabels[static_cast<int>(risk)]); }

struct Finding {
  Risk risk;
  QString text;  // what follows "class: "; empty for a class that says it all
};

// The display names and which of the two is the primary.
struct Sides {
  QString driving;
  QString other;
  bool driving_is_primary;

  QString Primary() const { return driving_is_primary ? driving : other; }
  QString Secondary() const { return driving_is_primary ? other : driving; }
  // "A on 'driving', B on 'other'" from the primary's and the secondary's texts: a line lists
  // the sides in the report's order, driving first.
  QString Each(const QString& primary, const QString& secondary) const {
    const QString& first = driving_is_primary ? primary : secondary;
    const QString& second = driving_is_primary ? secondary : primary;
    return first + " on '" + driving + "', " + second + " on '" + other + "'";
  }
};

QString Quoted(const QString& name) { return u'\'' + VisibleText(name) + u'\''; }

// The line: the most severe finding, and the classes of the other risky ones by name, short
// enough to read at a glance.
QString Line(std::vector<Finding> findings) {
  if (findings.empty()) return QStringLiteral("safe: nothing differs that data depends on");
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.risk < b.risk; });
  const Finding& first = findings.front();
  QString line = Label(first.risk);
  if (!first.text.isEmpty()) line += ": " + first.text;
  QStringList also;
  for (size_t i = 1; i < findings.size(); ++i) {
    if (findings[i].risk >= Risk::kSafe) continue;
    const QString label = Label(findings[i].risk);
    if (label != Label(first.risk) && !also.contains(label)) also.append(label);
  }
  if (!also.isEmpty()) line += " (also " + also.join(QStringLiteral(", ")) + u')';
  return line;
}

// ---- The properties a paragraph lists.

const Difference::Property* FindProperty(const Difference& difference, PropertyId id) {
  for (const Difference::Property& property : difference.properties) {
    if (property.id == id) return &property;
  }
  return nullptr;
}

bool Lists(const Difference& difference, PropertyId id) {
  return FindProperty(difference, id) != nullptr;
}

// What the risk of an object turns on, on the primary's side; empty facts where none were told.
ObjectFacts PrimaryFacts(const Difference& difference, const Sides& sides) {
  const std::optional<ObjectFacts>& facts =
      sides.driving_is_primary ? difference.driving_facts : difference.other_facts;
  return facts.value_or(ObjectFacts{});
}

QVariant PrimaryValue(const Difference::Property& property, const Sides& sides) {
  return sides.driving_is_primary ? property.driving_value : property.other_value;
}
QVariant SecondaryValue(const Difference::Property& property, const Sides& sides) {
  return sides.driving_is_primary ? property.other_value : property.driving_value;
}

// A value as a line shows it; "unreadable" for one that could not be read, "none" for nothing.
QString Shown(const QVariant& value) {
  if (!value.isValid()) return QStringLiteral("unreadable");
  const QString text = value.toString().simplified();
  return text.isEmpty() ? QStringLiteral("none") : VisibleText(text);
}

// A yes-or-no property as either a bool or a word ("CYCLE", "NO CYCLE", "true").
bool IsYes(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.toString().trimmed().toLower();
  return text == u"true" || text == u"yes" || text == u"1" || text == u"cycle";
}

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
  static const char* const kNames[] = {
      "",          "BOOLEAN",     "INTEGER",   "DECIMAL", "FLOAT", "CHAR",   "VARCHAR",
      "TEXT",      "BINARY",      "VARBINARY", "BLOB",    "DATE",  "TIME",   "TIMETZ",
      "TIMESTAMP", "TIMESTAMPTZ", "INTERVAL",  "UUID",    "JSON",  "MONEY",  "BIT",
      "VARBIT",    "XML",         "ENUM",      "SET",     "YEAR",  "no type"};
  if (column.data_type > 0 && column.data_type <= dx::kUntyped) {
    return QLatin1String(kNames[column.data_type]);
  }
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

// Integers: the primary holds the secondary's range, or cuts it at the top or the bottom.
std::vector<Finding> IntegerFindings(const ColumnFacts& p, const ColumnFacts& s,
                                     const Sides& sides) {
  const IntegerRange pr = RangeOf(p);
  const IntegerRange sr = RangeOf(s);
  const QString what = "Size " + sides.Each(IntegerText(p), IntegerText(s));
  const bool low = pr.min > sr.min;
  const bool high = pr.max < sr.max;
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
bool LengthCuts(const ColumnFacts& p, const ColumnFacts& s) {
  return p.size != 0 && (s.size == 0 || p.size < s.size);
}

// Texts, binaries and bit strings: the length, then what a fixed-length kind does to values.
std::vector<Finding> LengthFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides,
                                    int32_t fixed_kind, const char* padding) {
  std::vector<Finding> findings;
  if (LengthCuts(p, s)) {
    findings.push_back({Risk::kNarrower, LengthText(p, s, sides) + ": longer values do not fit"});
  }
  if (p.data_type != s.data_type) {
    const QString kinds = sides.Each(KindName(p), KindName(s));
    if (p.data_type == fixed_kind) {
      findings.push_back({Risk::kTypeChangeConverted,
                          kinds + ": shorter values are padded with " + QLatin1String(padding)});
    } else if (s.data_type == fixed_kind && fixed_kind == dx::kChar) {
      // A CHAR's padding is not part of its value: a varying kind drops it.
      findings.push_back({Risk::kTypeChangeConverted, kinds + ": trailing spaces are dropped"});
    }
  }
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

// The labels of "enum('a','b')" or "SET('x')", unquoted; empty when the spelling has none (a
// PostgreSQL enum is spelled by its type's name).
QStringList Labels(const QString& declared) {
  static const QRegularExpression kLabel(QStringLiteral("'((?:[^']|'')*)'"));
  QStringList labels;
  const qsizetype open = declared.indexOf(u'(');
  if (open < 0) return labels;
  for (auto it = kLabel.globalMatch(declared, open); it.hasNext();) {
    labels.append(it.next().captured(1).replace(QLatin1String("''"), QLatin1String("'")));
  }
  return labels;
}

std::vector<Finding> LabelFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides) {
  if (p.data_type != s.data_type) {
    return {{Risk::kTypeChangeRefused,
             sides.Each(KindName(p), KindName(s)) + ": values that are not labels are refused"}};
  }
  // A PostgreSQL enum is spelled by its type's name: its labels come apart, where the source kept
  // them (a snapshot does not); its Size is a hash of its labels in order.
  const QStringList p_labels = p.labels.isEmpty() ? Labels(p.declared_type) : p.labels;
  const QStringList s_labels = s.labels.isEmpty() ? Labels(s.declared_type) : s.labels;
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

// ---- Collations: what a unique index or a comparison treats as equal.

// "case-blind", "accent-blind" or "case- and accent-blind" for the traits set.
QString Blindness(bool case_blind, bool accent_blind) {
  if (case_blind && accent_blind) return QStringLiteral("case- and accent-blind");
  return case_blind ? QStringLiteral("case-blind") : QStringLiteral("accent-blind");
}

struct Traits {
  bool case_blind;
  bool accent_blind;
};

// Traits differ: the primary blind where the secondary is not refuses rows a unique index held
// apart; the other way round only comparisons and sorting change.
std::optional<Finding> CollationFinding(Traits p, Traits s) {
  const bool case_refusing = p.case_blind && !s.case_blind;
  const bool accent_refusing = p.accent_blind && !s.accent_blind;
  if (case_refusing || accent_refusing) {
    return Finding{Risk::kCollationRefusing,
                   Blindness(case_refusing, accent_refusing) +
                       " on one side only: a unique index may refuse rows the other accepts"};
  }
  const bool case_loose = s.case_blind && !p.case_blind;
  const bool accent_loose = s.accent_blind && !p.accent_blind;
  if (case_loose || accent_loose) {
    return Finding{Risk::kCollationBehaviour,
                   Blindness(case_loose, accent_loose) +
                       " on one side only: comparisons and sorting of text differ"};
  }
  return std::nullopt;
}

// ---- Fields.

// Facts of both sides; where the walk gave none, the listed properties' values over the
// other side's facts (a property not listed is the same on both sides).
void FillFromProperties(const Difference& difference, bool driving, ColumnFacts* facts) {
  for (const Difference::Property& property : difference.properties) {
    const QVariant& value = driving ? property.driving_value : property.other_value;
    if (property.id == PropertyId::kDataType) facts->data_type = value.toInt();
    if (property.id == PropertyId::kSize) facts->size = value.toInt();
    if (property.id == PropertyId::kAttributes) facts->attributes = value.toInt();
    if (property.id == PropertyId::kRequired) facts->required = value.toBool();
  }
}

// Numbering on one side only. The engine's counter knows nothing of the rows moved in, so its
// next number may already be taken; GENERATED ALWAYS refuses the moved values outright.
std::optional<Finding> NumberingFinding(const ColumnFacts& p, const ColumnFacts& s,
                                        const Sides& sides) {
  const bool p_numbered = (p.attributes & dx::kAutoIncrement) != 0;
  const bool s_numbered = (s.attributes & dx::kAutoIncrement) != 0;
  const bool p_always = p_numbered && (p.attributes & dx::kAlwaysNumbered) != 0;
  const bool s_always = s_numbered && (s.attributes & dx::kAlwaysNumbered) != 0;
  if (p_always && !s_always) {
    return Finding{Risk::kNumberingRefused, "numbered ALWAYS on " + Quoted(sides.Primary()) +
                                                " only: the values moved in are refused"};
  }
  if (p_numbered && !s_numbered) {
    return Finding{Risk::kNumbering, "numbered on " + Quoted(sides.Primary()) +
                                         " only: its counter must be moved past the moved values"};
  }
  if (s_numbered && !p_numbered) {
    // Where the other column has a default, a new row gets it rather than needing a value.
    if (p.has_default && !p.default_value.isEmpty()) {
      return Finding{Risk::kNumbering, "numbered on " + Quoted(sides.Secondary()) +
                                           " only: new rows on " + Quoted(sides.Primary()) +
                                           " take its default " + p.default_value +
                                           ", not a number of their own"};
    }
    if (!p.default_known) {
      return Finding{Risk::kNumbering, "numbered on " + Quoted(sides.Secondary()) +
                                           " only: new rows on " + Quoted(sides.Primary()) +
                                           " need a value of their own, or take the column's "
                                           "default (defaults were not compared)"};
    }
    return Finding{Risk::kNumbering, "numbered on " + Quoted(sides.Secondary()) +
                                         " only: new rows need a value of their own"};
  }
  return std::nullopt;
}

// A generated column takes no values of its own: the primary's expression replaces them.
std::optional<Finding> GenerationFinding(const ColumnFacts& p, const ColumnFacts& s,
                                         const Sides& sides, bool expression_listed,
                                         bool storage_listed) {
  const bool p_generated = (p.attributes & dx::kGenerated) != 0;
  const bool s_generated = (s.attributes & dx::kGenerated) != 0;
  if (p_generated && !s_generated) {
    return Finding{Risk::kRecomputed, "generated on " + Quoted(sides.Primary()) +
                                          " only: the values moved in are replaced by computed "
                                          "ones"};
  }
  if (s_generated && !p_generated) {
    return Finding{Risk::kSafe, "generated on " + Quoted(sides.Secondary()) +
                                    " only: its values are kept as they are"};
  }
  if (expression_listed) {
    return Finding{Risk::kRecomputed, QStringLiteral("expression differs: values are recomputed")};
  }
  if (storage_listed) {
    return Finding{Risk::kSafe, QStringLiteral("STORED on one side only: the values are the same")};
  }
  return std::nullopt;
}

// Collations alike in what they ignore still sort differently when their names differ.
std::optional<Finding> FieldCollationFinding(const ColumnFacts& p, const ColumnFacts& s,
                                             const Sides& sides, bool listed) {
  if (std::optional<Finding> finding =
          CollationFinding({p.case_blind, p.accent_blind}, {s.case_blind, s.accent_blind})) {
    return finding;
  }
  if (!listed && p.collation == s.collation) return std::nullopt;
  return Finding{Risk::kCollationBehaviour, sides.Each(Quoted(p.collation), Quoted(s.collation)) +
                                                ": text may sort in another order"};
}

// A default fills only rows inserted without the column: the rows moved in carry their values.
std::optional<Finding> DefaultFinding(const ColumnFacts& p, const ColumnFacts& s,
                                      const Sides& sides) {
  if (p.has_default == s.has_default && p.default_value == s.default_value) return std::nullopt;
  const auto shown = [](const ColumnFacts& c) {
    return c.has_default ? VisibleText(c.default_value) : QStringLiteral("none");
  };
  return Finding{Risk::kSafe,
                 "default " + sides.Each(shown(p), shown(s)) + ": only new rows take it"};
}

// The findings of the properties the paragraph lists (of every one when it lists none), judged
// by the two sides' facts.
std::vector<Finding> FieldPropertyFindings(const Difference& difference, const Sides& sides) {
  ColumnFacts driving =
      difference.driving_column.value_or(difference.other_column.value_or(ColumnFacts{}));
  ColumnFacts other = difference.other_column.value_or(driving);
  if (!difference.driving_column) FillFromProperties(difference, true, &driving);
  if (!difference.other_column) FillFromProperties(difference, false, &other);
  const ColumnFacts& p = sides.driving_is_primary ? driving : other;
  const ColumnFacts& s = sides.driving_is_primary ? other : driving;
  const bool all = difference.properties.empty();
  const auto named = [&](PropertyId id) { return Lists(difference, id); };
  const auto listed = [&](PropertyId id) { return all || named(id); };
  using P = PropertyId;

  std::vector<Finding> findings;
  const auto add = [&](std::optional<Finding> finding) {
    if (finding) findings.push_back(std::move(*finding));
  };
  if (listed(P::kDataType) || listed(P::kSize) || listed(P::kAttributes)) {
    for (Finding& finding : TypeFindings(p, s, sides)) findings.push_back(std::move(finding));
  }
  for (const Difference::Property& property : difference.properties) {
    if (property.id != P::kOnUpdateValue) continue;
    const QString p_set = PrimaryValue(property, sides).toString();
    const QString s_set = SecondaryValue(property, sides).toString();
    const bool on_primary = !p_set.isEmpty();
    findings.push_back(
        {Risk::kBehaviour,
         "ON UPDATE " + VisibleText(on_primary ? p_set : s_set) + " on " +
             Quoted(on_primary ? sides.Primary() : sides.Secondary()) +
             (p_set.isEmpty() || s_set.isEmpty()
                  ? QStringLiteral(" only: an UPDATE sets the column on that side alone")
                  : QStringLiteral(": an UPDATE sets the column to another value on each side"))});
  }
  if (listed(P::kRequired) && p.required != s.required) {
    findings.push_back(p.required ? Finding{Risk::kNewNotNull, "existing NULLs are refused"}
                                  : Finding{Risk::kSafe, "NOT NULL dropped"});
  }
  if (listed(P::kAttributes)) add(NumberingFinding(p, s, sides));
  if (listed(P::kAttributes) || named(P::kGenerated) || named(P::kStorage)) {
    add(GenerationFinding(p, s, sides, named(P::kGenerated), named(P::kStorage)));
  }
  if (listed(P::kCollation)) add(FieldCollationFinding(p, s, sides, named(P::kCollation)));
  if (listed(P::kDefaultValue)) add(DefaultFinding(p, s, sides));
  if (named(P::kOrdinalPosition)) {
    findings.push_back({Risk::kSafe, "position differs: data moved by column name is the same"});
  }
  // Allow Zero Length follows the kind; alone it differs only where a driver says so.
  if (const Difference::Property* zero = FindProperty(difference, P::kAllowZeroLength)) {
    if (findings.empty() && !PrimaryValue(*zero, sides).toBool() &&
        SecondaryValue(*zero, sides).toBool()) {
      findings.push_back({Risk::kNarrower, "Allow Zero Length on " + Quoted(sides.Secondary()) +
                                               " only: empty values are refused"});
    }
  }
  return findings;
}

// A field on one side only: dropped with its values, or new, needing a value for the rows
// moved in.
Finding FieldMissing(const Difference& difference, const Sides& sides) {
  if (!sides.driving_is_primary) {
    return {Risk::kLost, "column " + Quoted(difference.field) + " is not in " +
                             Quoted(sides.Primary()) + ": its values are dropped"};
  }
  if (difference.driving_column) {
    const ColumnFacts& p = *difference.driving_column;
    const bool fills_itself =
        p.has_default || (p.attributes & (dx::kAutoIncrement | dx::kGenerated));
    if (p.required && !fills_itself) {
      return {Risk::kNewNotNull, "rows moved from " + Quoted(sides.Secondary()) +
                                     " have no value for " + Quoted(difference.field)};
    }
  }
  return {Risk::kSafe, QStringLiteral("new column")};
}

// ---- Objects.

// The table a foreign key on the driving side references.
QString ReferencedTable(const Difference& difference) {
  if (!difference.driving_facts || difference.driving_facts->referenced_table.isEmpty()) {
    return QStringLiteral("the referenced table");
  }
  return Quoted(difference.driving_facts->referenced_table);
}

bool IsPassive(const QString& action) {
  return action.isEmpty() || action == u"NO ACTION" || action == u"RESTRICT";
}

// What a referential action does to the referencing rows.
QString ActionConsequence(const QString& action, bool on_delete, const QString& referenced,
                          const QString& table) {
  const QString event =
      on_delete ? "deleting a row of " + referenced : "changing the key of a row of " + referenced;
  const QString rows = "its rows of " + table;
  if (action == u"CASCADE") {
    return event + (on_delete ? " deletes " + rows : " changes it in " + rows);
  }
  if (action == u"SET NULL") return event + " sets the key of " + rows + " to NULL";
  if (action == u"SET DEFAULT") return event + " sets the key of " + rows + " to its default";
  return event + " that has rows of " + table + " is refused";
}

Finding ActionFinding(const Difference::Property& property, bool on_delete,
                      const Difference& difference, const Sides& sides) {
  const QString clause = on_delete ? QStringLiteral("ON DELETE ") : QStringLiteral("ON UPDATE ");
  const QString p = PrimaryValue(property, sides).toString();
  const QString s = SecondaryValue(property, sides).toString();
  const QString driving = property.driving_value.toString();
  const QString referenced = ReferencedTable(difference);
  const QString table = Quoted(difference.table);
  if (IsPassive(p) && IsPassive(s)) {
    return {Risk::kSafe, clause + sides.Each(VisibleText(p), VisibleText(s)) +
                             ": both refuse a change that leaves rows without their referenced "
                             "row"};
  }
  if (IsPassive(p) != IsPassive(s)) {
    const QString active = IsPassive(p) ? s : p;
    return {Risk::kBehaviour, clause + VisibleText(active) + " on one side only: " +
                                  ActionConsequence(active, on_delete, referenced, table)};
  }
  return {Risk::kBehaviour, clause + sides.Each(VisibleText(p), VisibleText(s)) + ": on " +
                                Quoted(sides.Primary()) + ", " +
                                ActionConsequence(p, on_delete, referenced, table)};
}

// What it means that a key, index, constraint, trigger or view is on one side only.
Finding ObjectMissing(const Difference& difference, const Sides& sides) {
  const bool on_primary = sides.driving_is_primary;
  using K = ObjectKindId;
  const ObjectKindId kind = difference.object_kind;
  const bool unique =
      kind == K::kPrimaryKey ||
      (kind == K::kIndex && difference.driving_facts.value_or(ObjectFacts{}).unique);
  if (unique) {
    return on_primary
               ? Finding{Risk::kNewUnique, "duplicate rows are refused"}
               : Finding{Risk::kSafe, "constraint dropped: duplicates are no longer refused"};
  }
  if (kind == K::kIndex) {
    return {Risk::kSafe,
            on_primary ? QStringLiteral("new index") : QStringLiteral("index dropped")};
  }
  if (kind == K::kExclusionConstraint) {
    // Like UNIQUE, it refuses a row for what other rows hold: under its operators, not equality.
    const QString definition = Quoted(difference.object);
    return on_primary ? Finding{Risk::kNewUnique, "rows that conflict under " + definition +
                                                      " (overlapping ranges, say) are refused"}
                      : Finding{Risk::kSafe, "constraint dropped: " + definition +
                                                 " no longer refuses conflicting rows"};
  }
  if (kind == K::kCheck) {
    const QString expression = Quoted(difference.object);
    return on_primary ? Finding{Risk::kNewCheck, "rows that fail " + expression + " are refused"}
                      : Finding{Risk::kSafe,
                                "constraint dropped: " + expression + " is no longer enforced"};
  }
  if (kind == K::kForeignKey) {
    return on_primary
               ? Finding{Risk::kNewForeignKey, "rows without their referenced row are refused"}
               : Finding{Risk::kSafe, "constraint dropped: references are no longer enforced"};
  }
  const QString name =
      Quoted(difference.object_name.isEmpty() ? difference.object : difference.object_name);
  if (kind == K::kTrigger) {
    return on_primary
               ? Finding{Risk::kBehaviour, "trigger " + name + " runs on " +
                                               Quoted(sides.Primary()) +
                                               " only: rows moved in may fire it"}
               : Finding{Risk::kBehaviour,
                         "trigger " + name + " runs on " + Quoted(sides.Secondary()) +
                             " only: what it does is not done on " + Quoted(sides.Primary())};
  }
  if (kind == K::kRule) {
    const QString side = Quoted(on_primary ? sides.Primary() : sides.Secondary());
    const ObjectFacts facts = difference.driving_facts.value_or(ObjectFacts{});
    const bool instead = facts.rule_instead;
    return {Risk::kBehaviour, "rule " + name + " rewrites " + facts.rule_event + " statements on " +
                                  side + " only" +
                                  (instead ? QStringLiteral(": they do something else there")
                                           : QStringLiteral(": they do more there"))};
  }
  if (kind == K::kView) {
    return {Risk::kBehaviour, "view on " +
                                  Quoted(on_primary ? sides.Primary() : sides.Secondary()) +
                                  " only: queries that use it fail on the other side"};
  }
  return {Risk::kBehaviour,
          QLatin1String(WordsOf(kind).json) + " on one side only: compare the two definitions"};
}

QString PropertyNames(const Difference& difference) {
  QStringList names;
  for (const Difference::Property& property : difference.properties) {
    names.append(LabelOf(property.id));
  }
  return names.join(QStringLiteral(", "));
}

// One property of a key, index or foreign key found on both sides.
Finding KeyPropertyFinding(const Difference::Property& property, const Difference& difference,
                           const Sides& sides) {
  using P = PropertyId;
  const PropertyId name = property.id;
  const QString p = PrimaryValue(property, sides).toString();
  const QString s = SecondaryValue(property, sides).toString();
  if (name == P::kOnDelete || name == P::kOnUpdate) {
    return ActionFinding(property, name == P::kOnDelete, difference, sides);
  }
  if (name == P::kUnique) {
    return p == u"UNIQUE"
               ? Finding{Risk::kNewUnique, "duplicate rows are refused"}
               : Finding{Risk::kSafe, "constraint dropped: duplicates are no longer refused"};
  }
  if (name == P::kColumns) {
    // A key on more columns holds every row a key on fewer held.
    const QStringList p_columns = p.toLower().split(QStringLiteral(", "));
    const QStringList s_columns = s.toLower().split(QStringLiteral(", "));
    const bool weaker = std::all_of(s_columns.begin(), s_columns.end(),
                                    [&](const QString& c) { return p_columns.contains(c); });
    if (weaker) return {Risk::kSafe, QStringLiteral("key on more columns")};
    return {Risk::kNewUnique, "Columns " + sides.Each(VisibleText(p), VisibleText(s)) +
                                  ": duplicate rows are refused"};
  }
  if (name == P::kWhere) {
    if (!PrimaryFacts(difference, sides).unique) {
      return {Risk::kSafe, QStringLiteral("Where differs: the index covers other rows")};
    }
    return {Risk::kNewUnique, "Where differs: rows duplicate under the condition on " +
                                  Quoted(sides.Primary()) + " are refused"};
  }
  if (name == P::kMatch) {
    // MATCH FULL refuses a key of which some columns are NULL and others not.
    if (p != u"FULL") return {Risk::kSafe, QStringLiteral("MATCH FULL dropped")};
    return {Risk::kNarrower, "MATCH FULL on " + Quoted(sides.Primary()) +
                                 " only: rows with a partly NULL key are refused"};
  }
  if (name == P::kDeferrable) {
    return {Risk::kBehaviour, sides.Each(VisibleText(p), VisibleText(s)) +
                                  ": the reference is checked at another time"};
  }
  if (name == P::kSortOrder) return {Risk::kSafe, QStringLiteral("sort order differs")};
  if (name == P::kMethod) {
    return {Risk::kSafe, "method " + sides.Each(VisibleText(p), VisibleText(s)) +
                             ": the index serves other queries"};
  }
  if (name == P::kPersistence) {
    // An unlogged table is emptied after a crash and is not copied to standbys.
    if (p == u"UNLOGGED") {
      return {Risk::kLost, "UNLOGGED on " + Quoted(sides.Primary()) +
                               ": its rows are lost after a crash and are not on standbys"};
    }
    return {Risk::kSafe, "logged on " + Quoted(sides.Primary()) + ": its rows survive a crash"};
  }
  if (name == P::kName) return {Risk::kSafe, QStringLiteral("name differs")};
  return {Risk::kBehaviour, LabelOf(property.id) + " differs: compare the two definitions"};
}

std::vector<Finding> ObjectPropertyFindings(const Difference& difference, const Sides& sides) {
  using K = ObjectKindId;
  const ObjectKindId kind = difference.object_kind;
  if (kind == K::kTrigger) {
    return {{Risk::kBehaviour, "trigger differs in " + PropertyNames(difference) +
                                   ": it acts differently on each side"}};
  }
  if (kind == K::kView) {
    // Where a MariaDB view reads another database's tables, its text may print as the other's.
    for (const bool driving : {true, false}) {
      const std::optional<ObjectFacts>& facts =
          driving ? difference.driving_facts : difference.other_facts;
      if (!facts || facts->other_databases_read.isEmpty()) continue;
      return {{Risk::kBehaviour,
               "the view on " + Quoted(driving ? sides.driving : sides.other) + " " +
                   VisibleText("reads database " +
                               facts->other_databases_read.join(QStringLiteral(", ")) +
                               ", not its own " + facts->own_database) +
                   ": it shows that database's rows"}};
    }
    return {{Risk::kBehaviour,
             QStringLiteral("the view's query differs: it shows other rows or values")}};
  }
  if (kind == K::kRule) {
    return {{Risk::kBehaviour, "rule differs in " + PropertyNames(difference) +
                                   ": the statements it rewrites do other things on each side"}};
  }
  std::vector<Finding> findings;
  for (const Difference::Property& property : difference.properties) {
    findings.push_back(KeyPropertyFinding(property, difference, sides));
  }
  return findings;
}

// ---- Sequences.

// The two bounds of a sequence on each side; nothing where the walk did not tell them.
std::optional<std::pair<qint64, qint64>> Bounds(const std::optional<ObjectFacts>& facts) {
  if (!facts) return std::nullopt;
  return std::pair<qint64, qint64>{facts->minimum, facts->maximum};
}

std::vector<Finding> SequenceFindings(const Difference& difference, const Sides& sides) {
  std::vector<Finding> findings;
  using P = PropertyId;
  const auto& p_facts =
      sides.driving_is_primary ? difference.driving_facts : difference.other_facts;
  const auto& s_facts =
      sides.driving_is_primary ? difference.other_facts : difference.driving_facts;
  for (const Difference::Property& property : difference.properties) {
    const PropertyId name = property.id;
    const QVariant p = PrimaryValue(property, sides);
    const QVariant s = SecondaryValue(property, sides);
    const QString what = sides.Each(Shown(p), Shown(s));
    if (name == P::kBounds) {
      const auto pb = Bounds(p_facts);
      const auto sb = Bounds(s_facts);
      if (pb && sb && pb->first <= sb->first && pb->second >= sb->second) {
        findings.push_back({Risk::kSafe, QStringLiteral("wider bounds")});
      } else {
        findings.push_back(
            {Risk::kNarrower, "bounds " + what + ": values outside the new bounds are refused"});
      }
    } else if (name == P::kIncrement) {
      findings.push_back(
          {Risk::kBehaviour, "increment " + what + ": new numbers step differently"});
    } else if (name == P::kCycle) {
      findings.push_back(
          {Risk::kBehaviour, "CYCLE on " + Quoted(IsYes(p) ? sides.Primary() : sides.Secondary()) +
                                 " only: after the last number one side starts over, the other "
                                 "stops"});
    } else if (name == P::kStart) {
      findings.push_back({Risk::kSafe, "start " + what + ": only a restarted sequence uses it"});
    } else if (name == P::kOwnedBy) {
      findings.push_back({Risk::kBehaviour, "owner " + what +
                                                ": dropping the column drops the sequence on one "
                                                "side only"});
    } else if (name == P::kName) {
      findings.push_back({Risk::kSafe, QStringLiteral("name differs")});
    } else {
      findings.push_back(
          {Risk::kBehaviour, LabelOf(property.id) + " differs: compare the two definitions"});
    }
  }
  return findings;
}

Finding SequenceMissing(const Difference& difference, const Sides& sides) {
  if (sides.driving_is_primary) return {Risk::kSafe, QStringLiteral("new sequence")};
  const QString& name = difference.object.isEmpty() ? difference.table : difference.object;
  return {Risk::kLost, "sequence " + Quoted(name) + " is not in " + Quoted(sides.Primary()) +
                           ": its numbering is dropped"};
}

// A collation a database defines itself: columns and queries on the other side cannot name it.
Finding CollationMissing(const Difference& difference, const Sides& sides) {
  const QString name = Quoted(difference.object);
  return sides.driving_is_primary
             ? Finding{Risk::kSafe, "new collation " + name}
             : Finding{Risk::kBehaviour, "collation " + name + " is not in " +
                                             Quoted(sides.Primary()) +
                                             ": columns and queries that name it fail there"};
}

// ---- The databases' own properties: their default collation applies to new columns.

std::vector<Finding> DatabaseFindings(const Difference& difference, const Sides& sides) {
  std::vector<Finding> findings;
  const ColumnFacts driving = difference.driving_column.value_or(ColumnFacts{});
  const ColumnFacts other = difference.other_column.value_or(ColumnFacts{});
  const ColumnFacts& primary = sides.driving_is_primary ? driving : other;
  const ColumnFacts& secondary = sides.driving_is_primary ? other : driving;
  for (const Difference::Property& property : difference.properties) {
    const QString p = PrimaryValue(property, sides).toString();
    const QString s = SecondaryValue(property, sides).toString();
    if (property.id == PropertyId::kDefaultCollation) {
      const Traits pt{primary.case_blind, primary.accent_blind};
      const Traits st{secondary.case_blind, secondary.accent_blind};
      if (std::optional<Finding> finding = CollationFinding(pt, st)) {
        findings.push_back(*finding);
        continue;
      }
      findings.push_back({Risk::kCollationBehaviour, "default " + sides.Each(Quoted(p), Quoted(s)) +
                                                         ": text may sort in another order"});
    } else {
      findings.push_back({Risk::kBehaviour, LabelOf(property.id) + " " +
                                                sides.Each(Quoted(p), Quoted(s)) +
                                                ": compare the two definitions"});
    }
  }
  return findings;
}

}  // namespace

namespace {

// "on 'a', trigger 't' may set it on every UPDATE instead", or "on 'b', column 'last_update' is
// set ON UPDATE CURRENT_TIMESTAMP instead"; empty when the other side has no such mechanism.
QString OtherMechanismText(const OtherMechanism& mechanism, const QString& driving_name,
                           const QString& other_name) {
  if (mechanism.IsEmpty()) return {};
  const QString source = VisibleText(mechanism.on_driving_side ? driving_name : other_name);
  QStringList things;
  if (!mechanism.update_triggers.isEmpty()) {
    for (const QString& trigger : mechanism.update_triggers) things.append(Quoted(trigger));
    return "on '" + source + "', " +
           (things.size() == 1 ? QStringLiteral("trigger ") : QStringLiteral("triggers ")) +
           things.join(QStringLiteral(", ")) + " may set it on every UPDATE instead";
  }
  for (const OtherMechanism::OnUpdateColumn& column : mechanism.on_update_columns) {
    things.append("column '" + VisibleText(column.column) + "' is set ON UPDATE " +
                  column.expression);
  }
  return "on '" + source + "', " + things.join(QStringLiteral(", ")) + " instead";
}

QString RiskLine(const Difference& difference, const QString& driving_name,
                 const QString& other_name) {
  const Sides sides{VisibleText(driving_name), VisibleText(other_name),
                    difference.driving_is_primary};
  using Kind = Difference::Kind;
  switch (difference.kind) {
    case Kind::kTableMissing:
      // A view holds no rows of its own: what it showed is what changes.
      if (difference.object_kind == ObjectKindId::kView) {
        return Line({{Risk::kBehaviour, "view " + Quoted(difference.table) + " only on " +
                                            Quoted(sides.driving) +
                                            ": queries of it fail on the other side"}});
      }
      if (sides.driving_is_primary) return Line({{Risk::kSafe, QStringLiteral("new table")}});
      return Line({{Risk::kLost, "table " + Quoted(difference.table) + " is not in " +
                                     Quoted(sides.Primary()) + ": its rows are dropped"}});
    case Kind::kFieldMissing:
      return Line({FieldMissing(difference, sides)});
    case Kind::kFieldProperties:
      return Line(FieldPropertyFindings(difference, sides));
    case Kind::kFieldCount:
      return Line({{Risk::kCount, QStringLiteral("see the field paragraphs")}});
    case Kind::kObjectMissing:
      return Line({ObjectMissing(difference, sides)});
    case Kind::kObjectProperties:
      return Line(ObjectPropertyFindings(difference, sides));
    case Kind::kDatabaseProperties:
      return Line(DatabaseFindings(difference, sides));
    case Kind::kSequenceMissing:
      return Line({SequenceMissing(difference, sides)});
    case Kind::kSequenceProperties:
      return Line(SequenceFindings(difference, sides));
    case Kind::kDatabaseObjectMissing:
      return Line({CollationMissing(difference, sides)});
    case Kind::kDatabaseObjectProperties:
      return Line(
          {{Risk::kCollationBehaviour,
            "collation " + Quoted(difference.object) + " differs in " + PropertyNames(difference) +
                ": the columns that use it sort and compare differently"}});
  }
  return Line({});
}

}  // namespace

QString DifferenceRisk(const Difference& difference, const QString& driving_name,
                       const QString& other_name) {
  const QString line = RiskLine(difference, driving_name, other_name);
  // Another mechanism on the other side may do what this one does: the reader judges.
  const QString instead = OtherMechanismText(difference.instead, driving_name, other_name);
  return instead.isEmpty() ? line : line + "; " + VisibleText(instead);
}

}  // namespace vantrel
