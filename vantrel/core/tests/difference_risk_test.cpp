// The risk line of each kind of difference, compared whole. Unless a row says otherwise, the
// driving side 'Sales Live' is the secondary and 'Sales Test' the primary: data moves from the
// first column of values into the second.
#include <gtest/gtest.h>

#include <QStringList>
#include <initializer_list>
#include <vector>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/difference_risk.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;
using Kind = Difference::Kind;

ColumnFacts Type(int32_t kind, int32_t size, int32_t attributes = 0, const char* declared = "") {
  ColumnFacts facts;
  facts.data_type = kind;
  facts.size = size;
  facts.attributes = attributes;
  facts.declared_type = QString::fromUtf8(declared);
  return facts;
}
ColumnFacts Text(int32_t size) { return Type(dx::kVarChar, size); }
int32_t Decimal(int precision, int scale) { return precision * 65536 + scale; }

struct Primary {
  bool driving = false;
};
constexpr Primary kDrivingIsPrimary{true};

// A property as the report's [list] names it, for tables that read like reports.
PropertyId Listed(const QString& label) {
  for (const PropertyWords& words : Properties()) {
    if (label == QLatin1String(words.label)) return words.id;
  }
  ADD_FAILURE() << "no property is labelled " << label.toStdString();
  return PropertyId::kName;
}

struct Named {
  const char* label;
  QVariant driving;
  QVariant other;
};

// A paragraph of `kind` listing properties by label, each with its two values (driving first).
Difference Paragraph(Kind kind, std::initializer_list<Named> properties = {},
                     Primary primary = {}) {
  Difference difference;
  difference.kind = kind;
  difference.table = QStringLiteral("Orders");
  difference.other_table = QStringLiteral("Orders");
  difference.field = QStringLiteral("Phone");
  for (const Named& property : properties) {
    difference.properties.push_back(
        {Listed(QLatin1String(property.label)), property.driving, property.other});
  }
  difference.driving_is_primary = primary.driving;
  return difference;
}

// A field paragraph: the two sides' facts, and the labels of the properties the report lists.
Difference Field(const ColumnFacts& driving, const ColumnFacts& other, const QStringList& listed,
                 Primary primary = {}) {
  Difference difference = Paragraph(Kind::kFieldProperties, {}, primary);
  for (const QString& name : listed) difference.properties.push_back({Listed(name), {}, {}});
  difference.driving_column = driving;
  difference.other_column = other;
  return difference;
}

// An object paragraph. Its facts, the same on both sides, are what the definition says: whether
// it is UNIQUE, and the table a foreign key references.
Difference Object(Kind kind, ObjectKindId object_kind, const char* definition,
                  std::initializer_list<Named> properties = {}, Primary primary = {}) {
  Difference difference = Paragraph(kind, properties, primary);
  // An object's "On Update" is its referential action, not a column's ON UPDATE.
  for (Difference::Property& property : difference.properties) {
    if (property.id == PropertyId::kOnUpdateValue) property.id = PropertyId::kOnUpdate;
  }
  difference.object_kind = object_kind;
  difference.object = QString::fromUtf8(definition);
  ObjectFacts facts;
  facts.unique = difference.object.startsWith(QLatin1String("UNIQUE"));
  if (object_kind == ObjectKindId::kForeignKey)
    facts.referenced_table = QStringLiteral("Customers");
  difference.driving_facts = facts;
  if (kind == Kind::kObjectProperties) {
    difference.other_object = difference.object;
    difference.other_facts = facts;
  }
  return difference;
}

template <class Change>
ColumnFacts With(ColumnFacts facts, Change&& change) {
  change(facts);
  return facts;
}

struct Case {
  const char* description;
  Difference difference;
  const char* expected;
};

// The input as a failure shows it.
std::string Describe(const Difference& d) {
  QString text = QStringLiteral("kind %1, primary %2, object %3 '%4'")
                     .arg(static_cast<int>(d.kind))
                     .arg(QLatin1String(d.driving_is_primary ? "driving" : "other"),
                          QLatin1String(WordsOf(d.object_kind).json), d.object);
  for (const Difference::Property& p : d.properties) {
    text += QStringLiteral(", %1: %2 | %3")
                .arg(LabelOf(p.id), p.driving_value.toString(), p.other_value.toString());
  }
  for (const auto* facts : {&d.driving_column, &d.other_column}) {
    if (!facts->has_value()) continue;
    const ColumnFacts& c = **facts;
    text += QStringLiteral("; column type %1 size %2 attributes %3 required %4 '%5' default %6")
                .arg(c.data_type)
                .arg(c.size)
                .arg(c.attributes)
                .arg(QLatin1String(c.required ? "yes" : "no"))
                .arg(c.declared_type, c.has_default ? c.default_value : QStringLiteral("none"));
  }
  return text.toStdString();
}

void ExpectLines(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(
        DifferenceRisk(c.difference, QStringLiteral("Sales Live"), QStringLiteral("Sales Test"))
            .toStdString(),
        c.expected)
        << c.description << "\n  input: " << Describe(c.difference);
  }
}

TEST(DifferenceRiskTest, TypesWidenOrNarrowWithinTheirFamily) {
  const QStringList size{"Size"};
  const QStringList attributes{"Attributes"};
  ExpectLines({
      {"text shorter on the primary", Field(Text(50), Text(40), size),
       "narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit"},
      {"the driving side is the primary", Field(Text(40), Text(50), size, kDrivingIsPrimary),
       "narrower: Size 40 on 'Sales Live', 50 on 'Sales Test': longer values do not fit"},
      {"text longer on the primary", Field(Text(40), Text(50), size), "safe: wider"},
      {"unlimited text into a length", Field(Type(dx::kText, 0), Text(40), {"Data Type", "Size"}),
       "narrower: Size unlimited on 'Sales Live', 40 on 'Sales Test': longer values do not fit"},
      {"a length into unlimited text", Field(Text(40), Type(dx::kText, 0), {"Data Type", "Size"}),
       "safe: wider"},
      {"varchar into char", Field(Text(10), Type(dx::kChar, 10), {"Data Type"}),
       "type change: VARCHAR on 'Sales Live', CHAR on 'Sales Test': shorter values are padded "
       "with spaces"},
      {"char into varchar", Field(Type(dx::kChar, 10), Text(10), {"Data Type"}),
       "type change: CHAR on 'Sales Live', VARCHAR on 'Sales Test': trailing spaces are dropped"},
      {"char into a shorter varchar: two classes",
       Field(Type(dx::kChar, 20), Text(10), {"Data Type", "Size"}),
       "narrower: Size 20 on 'Sales Live', 10 on 'Sales Test': longer values do not fit (also "
       "type change)"},
      {"bytes into a shorter binary", Field(Type(dx::kBlob, 0), Type(dx::kBinary, 16), size),
       "narrower: Size unlimited on 'Sales Live', 16 on 'Sales Test': longer values do not fit "
       "(also type change)"},
      {"8-byte into 4-byte integer", Field(Type(dx::kInteger, 8), Type(dx::kInteger, 4), size),
       "narrower: Size 8 on 'Sales Live', 4 on 'Sales Test': numbers outside "
       "-2147483648..2147483647 do not fit"},
      {"3-byte into 2-byte integer", Field(Type(dx::kInteger, 3), Type(dx::kInteger, 2), size),
       "narrower: Size 3 on 'Sales Live', 2 on 'Sales Test': numbers outside -32768..32767 do not "
       "fit"},
      {"1-byte into 2-byte integer", Field(Type(dx::kInteger, 1), Type(dx::kInteger, 2), size),
       "safe: wider"},
      {"unsigned into signed of the same width",
       Field(Type(dx::kInteger, 4, dx::kUnsigned), Type(dx::kInteger, 4), attributes),
       "narrower: Size 4 UNSIGNED on 'Sales Live', 4 on 'Sales Test': numbers above 2147483647 do "
       "not fit"},
      {"signed into unsigned",
       Field(Type(dx::kInteger, 4), Type(dx::kInteger, 4, dx::kUnsigned), attributes),
       "narrower: Size 4 on 'Sales Live', 4 UNSIGNED on 'Sales Test': negative numbers are "
       "refused"},
      {"unsigned into a wider signed",
       Field(Type(dx::kInteger, 2, dx::kUnsigned), Type(dx::kInteger, 4), {"Size", "Attributes"}),
       "safe: wider"},
      // The primary's definition is given to the secondary's database: where that is SQLite, it
      // keeps what it holds whatever the width or length declared; elsewhere the width counts.
      {"SQLite keeps a text longer than declared",
       Field(With(Text(50), [](ColumnFacts& c) { c.width_not_enforced = true; }), Text(40), size),
       "safe: SQLite keeps any length whatever the length declared"},
      {"SQLite pads no CHAR",
       Field(With(Text(10), [](ColumnFacts& c) { c.width_not_enforced = true; }),
             Type(dx::kChar, 10), {"Data Type"}),
       "safe: converted"},
      {"an SQLite integer keeps 64 bits whatever its declared width",
       Field(With(Type(dx::kInteger, 8), [](ColumnFacts& c) { c.width_not_enforced = true; }),
             Type(dx::kInteger, 4), size),
       "safe: SQLite keeps any 64-bit integer whatever the width declared"},
      // Into a server an SQLite integer is a BIGINT: only what a BIGINT cannot hold is cut.
      {"an SQLite primary's integer is a BIGINT on a server",
       Field(Type(dx::kInteger, 8),
             With(Type(dx::kInteger, 4), [](ColumnFacts& c) { c.width_not_enforced = true; }),
             size),
       "safe: SQLite keeps any 64-bit integer whatever the width declared: it is a BIGINT on "
       "'Sales Live'"},
      {"an SQLite primary against a server's unsigned integer of its width",
       Field(Type(dx::kInteger, 4, dx::kUnsigned),
             With(Type(dx::kInteger, 4), [](ColumnFacts& c) { c.width_not_enforced = true; }),
             attributes),
       "safe: SQLite keeps any 64-bit integer whatever the width declared: it is a BIGINT on "
       "'Sales Live'"},
      {"an SQLite primary against a server's unsigned BIGINT",
       Field(Type(dx::kInteger, 8, dx::kUnsigned),
             With(Type(dx::kInteger, 8), [](ColumnFacts& c) { c.width_not_enforced = true; }),
             attributes),
       "narrower: Size 8 UNSIGNED on 'Sales Live', 8 on 'Sales Test': numbers above "
       "9223372036854775807 do not fit"},
      {"an SQLite primary's length counts on a server",
       Field(Text(50), With(Text(40), [](ColumnFacts& c) { c.width_not_enforced = true; }), size),
       "narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit"},
      {"a rowid alias holds 64 bits", Field(Type(dx::kInteger, 0), Type(dx::kInteger, 4), size),
       "narrower: Size 0 on 'Sales Live', 4 on 'Sales Test': numbers outside "
       "-2147483648..2147483647 do not fit"},
      {"decimal precision smaller",
       Field(Type(dx::kDecimal, Decimal(10, 2)), Type(dx::kDecimal, Decimal(8, 2)), size),
       "narrower: DECIMAL(10,2) on 'Sales Live', DECIMAL(8,2) on 'Sales Test': larger numbers do "
       "not fit"},
      {"decimal scale and integer digits smaller",
       Field(Type(dx::kDecimal, Decimal(12, 4)), Type(dx::kDecimal, Decimal(8, 2)), size),
       "rounded: DECIMAL(12,4) on 'Sales Live', DECIMAL(8,2) on 'Sales Test': digits beyond 2 "
       "decimal places are rounded away, and larger numbers do not fit"},
      {"decimal scale smaller, integer digits the same",
       Field(Type(dx::kDecimal, Decimal(10, 4)), Type(dx::kDecimal, Decimal(8, 2)), size),
       "rounded: DECIMAL(10,4) on 'Sales Live', DECIMAL(8,2) on 'Sales Test': digits beyond 2 "
       "decimal places are rounded away"},
      {"decimal of more integer digits, same precision",
       Field(Type(dx::kDecimal, Decimal(10, 2)), Type(dx::kDecimal, Decimal(10, 4)), size),
       "narrower: DECIMAL(10,2) on 'Sales Live', DECIMAL(10,4) on 'Sales Test': larger numbers "
       "do not fit"},
      {"unconstrained decimal into a declared one",
       Field(Type(dx::kDecimal, 0), Type(dx::kDecimal, Decimal(10, 0)), size),
       "rounded: DECIMAL on 'Sales Live', DECIMAL(10,0) on 'Sales Test': fractions are rounded "
       "away, and larger numbers do not fit"},
      {"a declared decimal into an unconstrained one",
       Field(Type(dx::kDecimal, Decimal(10, 2)), Type(dx::kDecimal, 0), size), "safe: wider"},
      {"decimal into unsigned decimal",
       Field(Type(dx::kDecimal, Decimal(10, 2)), Type(dx::kDecimal, Decimal(10, 2), dx::kUnsigned),
             attributes),
       "narrower: DECIMAL(10,2) on 'Sales Live', DECIMAL(10,2) UNSIGNED on 'Sales Test': "
       "negative numbers are refused"},
      {"double into single", Field(Type(dx::kFloat, 8), Type(dx::kFloat, 4), size),
       "rounded: Size 8 on 'Sales Live', 4 on 'Sales Test': numbers keep about 7 significant "
       "digits"},
      {"single into double", Field(Type(dx::kFloat, 4), Type(dx::kFloat, 8), size), "safe: wider"},
      {"fewer fractional digits", Field(Type(dx::kTimestamp, 6), Type(dx::kTimestamp, 3), size),
       "rounded: Size 6 on 'Sales Live', 3 on 'Sales Test': digits of a second beyond 3 are "
       "rounded away"},
      {"no fractional digits", Field(Type(dx::kTime, 6), Type(dx::kTime, 0), size),
       "rounded: Size 6 on 'Sales Live', 0 on 'Sales Test': fractions of a second are rounded "
       "away"},
      {"more fractional digits", Field(Type(dx::kTime, 0), Type(dx::kTime, 6), size),
       "safe: wider"},
      {"a time zone on one side",
       Field(Type(dx::kTimestamp, 6), Type(dx::kTimestampTz, 6), {"Data Type"}),
       "type change: TIMESTAMP on 'Sales Live', TIMESTAMPTZ on 'Sales Test': values are "
       "converted by the session's time zone"},
      {"a timestamp into a time", Field(Type(dx::kTimestamp, 6), Type(dx::kTime, 6), {"Data Type"}),
       "type change: TIMESTAMP on 'Sales Live', TIME on 'Sales Test': the date is dropped"},
      {"enum labels removed",
       Field(Type(dx::kEnum, 1, 0, "enum('a','b','c')"), Type(dx::kEnum, 2, 0, "enum('a','b')"),
             size),
       "narrower: label 'c' only on 'Sales Live': rows holding it are refused"},
      {"enum labels with quotes removed",
       Field(Type(dx::kSet, 1, 0, "SET('it''s', 'x', 'y')"), Type(dx::kSet, 2, 0, "SET('x')"),
             size),
       "narrower: labels 'it's', 'y' only on 'Sales Live': rows holding them are refused"},
      {"enum labels added",
       Field(Type(dx::kEnum, 1, 0, "enum('a','b')"), Type(dx::kEnum, 2, 0, "enum('a','b','c')"),
             size),
       "safe: labels added"},
      {"enum labels reordered",
       Field(Type(dx::kEnum, 1, 0, "enum('a','b')"), Type(dx::kEnum, 2, 0, "ENUM('b', 'a')"), size),
       "behaviour: label order differs: sorting by the column differs"},
      // A PostgreSQL enum is spelled by its name: whether labels were added or dropped is unknown.
      {"enum labels unknown on one side",
       Field(Type(dx::kEnum, 1, 0, "mood"), Type(dx::kEnum, 2, 0, "enum('a')"), size),
       "behaviour: labels differ: rows holding a label that 'Sales Test' lacks are refused; "
       "compare the two types' labels"},
      {"enum types of the same labels under two names",
       Field(Type(dx::kEnum, 7, 0, "mood"), Type(dx::kEnum, 7, 0, "feeling"), size),
       "type change: enum types 'mood' on 'Sales Live', 'feeling' on 'Sales Test' of the same "
       "labels: values are converted by their labels"},
      {"another type of other parameters",
       Field(Type(dx::kOtherBase + 7, 5, 0, "geometry(5)"), Type(dx::kOtherBase + 7, 9), size),
       "type change: Size 5 on 'Sales Live', 9 on 'Sales Test': values that do not fit the "
       "primary's parameters are refused"},
  });
}

TEST(DifferenceRiskTest, AChangeOfKindConvertsOrRefuses) {
  const QStringList type{"Data Type", "Size"};
  ExpectLines({
      {"integer into text", Field(Type(dx::kInteger, 4), Type(dx::kText, 0), type),
       "type change: INTEGER on 'Sales Live', TEXT on 'Sales Test': values are converted"},
      {"text into integer", Field(Type(dx::kText, 0), Type(dx::kInteger, 4), type),
       "type change: TEXT on 'Sales Live', INTEGER on 'Sales Test': non-numeric values are "
       "refused"},
      {"text into a date", Field(Text(10), Type(dx::kDate, 4), type),
       "type change: VARCHAR on 'Sales Live', DATE on 'Sales Test': values that are not dates "
       "or times are refused"},
      {"text into JSON", Field(Type(dx::kText, 0), Type(dx::kJson, 0), type),
       "type change: TEXT on 'Sales Live', JSON on 'Sales Test': values that are not JSON are "
       "refused"},
      {"bytes into text", Field(Type(dx::kBlob, 0), Type(dx::kText, 0), type),
       "type change: BLOB on 'Sales Live', TEXT on 'Sales Test': bytes that are not valid text "
       "are refused"},
      {"4-byte integer into DECIMAL(10,0)",
       Field(Type(dx::kInteger, 4), Type(dx::kDecimal, Decimal(10, 0)), type), "safe: converted"},
      {"8-byte integer into DECIMAL(10,0)",
       Field(Type(dx::kInteger, 8), Type(dx::kDecimal, Decimal(10, 0)), type),
       "narrower: INTEGER on 'Sales Live', DECIMAL on 'Sales Test': larger numbers do not fit"},
      {"4-byte integer into a double", Field(Type(dx::kInteger, 4), Type(dx::kFloat, 8), type),
       "safe: converted"},
      {"8-byte integer into a double", Field(Type(dx::kInteger, 8), Type(dx::kFloat, 8), type),
       "rounded: INTEGER on 'Sales Live', FLOAT on 'Sales Test': large numbers lose their last "
       "digits"},
      {"decimal with a scale into integer",
       Field(Type(dx::kDecimal, Decimal(10, 2)), Type(dx::kInteger, 8), type),
       "rounded: DECIMAL on 'Sales Live', INTEGER on 'Sales Test': fractions are rounded away"},
      {"whole decimal that fits an integer",
       Field(Type(dx::kDecimal, Decimal(9, 0)), Type(dx::kInteger, 4), type), "safe: converted"},
      {"whole decimal too long for an integer",
       Field(Type(dx::kDecimal, Decimal(10, 0)), Type(dx::kInteger, 4), type),
       "narrower: DECIMAL on 'Sales Live', INTEGER on 'Sales Test': larger numbers do not fit"},
      {"a date into a timestamp", Field(Type(dx::kDate, 4), Type(dx::kTimestamp, 6), type),
       "safe: converted"},
      {"a timestamp into a date", Field(Type(dx::kTimestamp, 6), Type(dx::kDate, 4), type),
       "type change: TIMESTAMP on 'Sales Live', DATE on 'Sales Test': the time of day is dropped"},
      {"anything into no type", Field(Type(dx::kUuid, 16), Type(dx::kUntyped, 0), type),
       "safe: converted"},
      {"a pair without a rule", Field(Type(dx::kUuid, 16), Type(dx::kInteger, 8), type),
       "type change: UUID on 'Sales Live', INTEGER on 'Sales Test': values are converted, and "
       "those that cannot be are refused"},
  });
}

TEST(DifferenceRiskTest, FieldConstraintsNumberingCollationsAndDefaults) {
  const auto required = [](bool on) {
    return With(Text(40), [&](ColumnFacts& c) { c.required = on; });
  };
  const auto blind = [](bool case_blind, bool accent_blind, const char* name) {
    return With(Text(40), [&](ColumnFacts& c) {
      c.case_blind = case_blind;
      c.accent_blind = accent_blind;
      c.collation = QLatin1String(name);
    });
  };
  const auto numbered = [](int32_t attributes) { return Type(dx::kInteger, 4, attributes); };
  const ColumnFacts defaulted = With(Text(40), [](ColumnFacts& c) {
    c.has_default = true;
    c.default_value = QStringLiteral("'n/a'");
  });
  const ColumnFacts generated = Type(dx::kInteger, 4, dx::kGenerated);
  ExpectLines({
      {"NOT NULL on the primary only", Field(required(false), required(true), {"Required"}),
       "new NOT NULL: existing NULLs are refused"},
      {"NOT NULL on the secondary only", Field(required(true), required(false), {"Required"}),
       "safe: NOT NULL dropped"},
      {"a narrower size with NOT NULL: the other class in brief",
       Field(With(Text(50), [](ColumnFacts& c) { c.required = false; }), required(true),
             {"Required", "Size"}),
       "narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit (also "
       "new NOT NULL)"},
      {"a property not listed is not judged", Field(Text(50), required(true), {"Required"}),
       "new NOT NULL: existing NULLs are refused"},
      {"numbered on the primary only",
       Field(numbered(0), numbered(dx::kAutoIncrement), {"Attributes"}),
       "numbering: numbered on 'Sales Test' only: its counter must be moved past the moved "
       "values"},
      {"numbered ALWAYS on the primary",
       Field(numbered(dx::kAutoIncrement), numbered(dx::kAutoIncrement | dx::kAlwaysNumbered),
             {"Attributes"}),
       "numbering: numbered ALWAYS on 'Sales Test' only: the values moved in are refused"},
      {"numbered on the secondary only, no default on the primary",
       Field(numbered(dx::kAutoIncrement),
             With(numbered(0), [](ColumnFacts& c) { c.default_known = true; }), {"Attributes"}),
       "numbering: numbered on 'Sales Live' only: new rows need a value of their own"},
      {"numbered on the secondary only, defaults not read",
       Field(numbered(dx::kAutoIncrement), numbered(0), {"Attributes"}),
       "numbering: numbered on 'Sales Live' only: new rows on 'Sales Test' need a value of their "
       "own, or take the column's default (defaults were not compared)"},
      {"numbered on the secondary only, a default on the primary",
       Field(numbered(dx::kAutoIncrement),
             With(numbered(0),
                  [](ColumnFacts& c) {
                    c.has_default = true;
                    c.default_known = true;
                    c.default_value = QStringLiteral("0");
                  }),
             {"Attributes"}),
       "numbering: numbered on 'Sales Live' only: new rows on 'Sales Test' take its default 0, "
       "not a number of their own"},
      {"case-blind on the primary",
       Field(blind(false, false, "C"), blind(true, false, "ci"), {"Collation"}),
       "collation: case-blind on one side only: a unique index may refuse rows the other "
       "accepts"},
      {"accent-blind on the secondary",
       Field(blind(false, true, "ai"), blind(false, false, "C"), {"Collation"}),
       "collation: accent-blind on one side only: comparisons and sorting of text differ"},
      {"case- and accent-blind on the primary",
       Field(blind(false, false, "bin"), blind(true, true, "general_ci"), {"Collation"}),
       "collation: case- and accent-blind on one side only: a unique index may refuse rows the "
       "other accepts"},
      {"collations alike in blindness",
       Field(blind(false, false, "de_DE"), blind(false, false, "en_US"), {"Collation"}),
       "collation: 'de_DE' on 'Sales Live', 'en_US' on 'Sales Test': text may sort in another "
       "order"},
      {"a default on one side", Field(defaulted, Text(40), {"Default Value"}),
       "safe: default 'n/a' on 'Sales Live', none on 'Sales Test': only new rows take it"},
      {"generated on the primary only",
       Field(Type(dx::kInteger, 4), generated, {"Attributes", "Generated"}),
       "recomputed: generated on 'Sales Test' only: the values moved in are replaced by computed "
       "ones"},
      {"generated on the secondary only",
       Field(generated, Type(dx::kInteger, 4), {"Attributes", "Generated"}),
       "safe: generated on 'Sales Live' only: its values are kept as they are"},
      {"generated by other expressions", Field(generated, generated, {"Generated"}),
       "recomputed: expression differs: values are recomputed"},
      {"stored and virtual", Field(generated, generated, {"Storage"}),
       "safe: STORED on one side only: the values are the same"},
      {"empty values on the secondary only",
       [] {
         Difference d = Field(Text(40), Text(40), {});
         d.properties = {{PropertyId::kAllowZeroLength, true, false}};
         return d;
       }(),
       "narrower: Allow Zero Length on 'Sales Live' only: empty values are refused"},
      {"position", Field(Text(40), Text(40), {"Ordinal Position"}),
       "safe: position differs: data moved by column name is the same"},
      {"facts unread: the properties' values stand in",
       [] {
         Difference d = Paragraph(Kind::kFieldProperties, {{"Size", 50, 40}});
         return d;
       }(),
       "narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit"},
  });
}

TEST(DifferenceRiskTest, TablesFieldsAndSequencesOnOneSideOnly) {
  const auto missing_field = [](const ColumnFacts& facts) {
    Difference d = Paragraph(Kind::kFieldMissing, {}, kDrivingIsPrimary);
    d.driving_column = facts;
    return d;
  };
  const auto with = [](auto change) { return With(Text(20), change); };
  Difference escaped = Paragraph(Kind::kTableMissing);
  escaped.table = QStringLiteral("Or\nders");
  Difference sequence = Paragraph(Kind::kSequenceMissing);
  sequence.object = QStringLiteral("order_seq");
  Difference view_field = Paragraph(Kind::kFieldMissing);
  view_field.object_kind = ObjectKindId::kView;
  Difference new_view_field = missing_field(with([](ColumnFacts& c) { c.required = true; }));
  new_view_field.object_kind = ObjectKindId::kView;
  ExpectLines({
      {"a table only on the secondary", Paragraph(Kind::kTableMissing),
       "lost: table 'Orders' is not in 'Sales Test': its rows are dropped"},
      {"a table only on the primary", Paragraph(Kind::kTableMissing, {}, kDrivingIsPrimary),
       "safe: new table"},
      {"a name is shown with its line break visible", escaped,
       "lost: table 'Or\\nders' is not in 'Sales Test': its rows are dropped"},
      {"a field only on the secondary", Paragraph(Kind::kFieldMissing),
       "lost: column 'Phone' is not in 'Sales Test': its values are dropped"},
      {"a required field only on the primary",
       missing_field(with([](ColumnFacts& c) { c.required = true; })),
       "new NOT NULL: rows moved from 'Sales Test' have no value for 'Phone'"},
      {"a required field with a default", missing_field(with([](ColumnFacts& c) {
         c.required = true;
         c.has_default = true;
       })),
       "safe: new column"},
      {"a required numbered field", missing_field(Type(dx::kInteger, 4, dx::kAutoIncrement)),
       "safe: new column"},
      {"a nullable field only on the primary", missing_field(Text(20)), "safe: new column"},
      {"a view's field only on the secondary: no values are lost", view_field,
       "behaviour: view column 'Phone' is not in 'Sales Test': queries that read it fail there"},
      {"a view's field only on the primary needs no values", new_view_field,
       "safe: new view column"},
      {"the number of fields", Paragraph(Kind::kFieldCount), "count: see the field paragraphs"},
      {"a sequence only on the secondary", sequence,
       "lost: sequence 'order_seq' is not in 'Sales Test': its numbering is dropped"},
      {"a sequence only on the primary", Paragraph(Kind::kSequenceMissing, {}, kDrivingIsPrimary),
       "safe: new sequence"},
  });
}

TEST(DifferenceRiskTest, KeysIndexesConstraintsTriggersAndViews) {
  const char* const key = "(CustomerID) REFERENCES Customers (ID)";
  using K = ObjectKindId;
  const auto missing = [](ObjectKindId kind, const char* definition, Primary primary = {}) {
    return Object(Kind::kObjectMissing, kind, definition, {}, primary);
  };
  const auto changed = [](ObjectKindId kind, const char* definition, const char* property,
                          const char* driving, const char* other) {
    return Object(Kind::kObjectProperties, kind, definition,
                  {{property, QString::fromUtf8(driving), QString::fromUtf8(other)}});
  };
  Difference trigger = missing(K::kTrigger, "BEFORE INSERT", kDrivingIsPrimary);
  trigger.object_name = QStringLiteral("audit");
  Difference dropped_trigger = trigger;
  dropped_trigger.driving_is_primary = false;
  Difference wider_list = missing(K::kCheck, "Kind IN ('a', 'b')", kDrivingIsPrimary);
  wider_list.driving_facts->admits_all_of = QStringLiteral("Kind IN ('a')");
  Difference narrower_list_dropped = wider_list;
  narrower_list_dropped.driving_is_primary = false;
  ExpectLines({
      {"unique index on the primary", missing(K::kIndex, "UNIQUE (Email)", kDrivingIsPrimary),
       "new UNIQUE: duplicate rows are refused"},
      {"primary key on the secondary", missing(K::kPrimaryKey, "(ID)"),
       "safe: constraint dropped: duplicates are no longer refused"},
      {"plain index on the primary", missing(K::kIndex, "(Email)", kDrivingIsPrimary),
       "safe: new index"},
      {"check on the primary", missing(K::kCheck, "Price > 0", kDrivingIsPrimary),
       "new check: rows that fail 'Price > 0' are refused"},
      {"check on the secondary", missing(K::kCheck, "Price > 0"),
       "safe: constraint dropped: 'Price > 0' is no longer enforced"},
      {"check on the primary that lets in every row the secondary's lets in", wider_list,
       "safe: new check: 'Kind IN ('a', 'b')' lets in every row that 'Kind IN ('a')' of "
       "'Sales Test' lets in"},
      {"the wider check on the secondary", narrower_list_dropped,
       "safe: constraint dropped: 'Kind IN ('a', 'b')' is no longer enforced"},
      {"foreign key on the primary", missing(K::kForeignKey, key, kDrivingIsPrimary),
       "new foreign key: rows without their referenced row are refused"},
      {"foreign key on the secondary", missing(K::kForeignKey, key),
       "safe: constraint dropped: references are no longer enforced"},
      {"ON DELETE CASCADE on one side",
       changed(K::kForeignKey, key, "On Delete", "CASCADE", "NO ACTION"),
       "behaviour: ON DELETE CASCADE on one side only: deleting a row of 'Customers' deletes its "
       "rows of 'Orders'"},
      {"ON UPDATE CASCADE on one side",
       changed(K::kForeignKey, key, "On Update", "NO ACTION", "CASCADE"),
       "behaviour: ON UPDATE CASCADE on one side only: changing the key of a row of 'Customers' "
       "changes it in its rows of 'Orders'"},
      {"ON UPDATE SET NULL on one side",
       changed(K::kForeignKey, key, "On Update", "SET NULL", "RESTRICT"),
       "behaviour: ON UPDATE SET NULL on one side only: changing the key of a row of 'Customers' "
       "sets the key of its rows of 'Orders' to NULL"},
      {"two actions", changed(K::kForeignKey, key, "On Delete", "SET DEFAULT", "CASCADE"),
       "behaviour: ON DELETE SET DEFAULT on 'Sales Live', CASCADE on 'Sales Test': on 'Sales "
       "Test', deleting a row of 'Customers' deletes its rows of 'Orders'"},
      {"the primary's action is SET DEFAULT",
       changed(K::kForeignKey, key, "On Delete", "CASCADE", "SET DEFAULT"),
       "behaviour: ON DELETE CASCADE on 'Sales Live', SET DEFAULT on 'Sales Test': on 'Sales "
       "Test', deleting a row of 'Customers' sets the key of its rows of 'Orders' to its default"},
      {"NO ACTION and RESTRICT", changed(K::kForeignKey, key, "On Delete", "NO ACTION", "RESTRICT"),
       "safe: ON DELETE NO ACTION on 'Sales Live', RESTRICT on 'Sales Test': both refuse a "
       "change that leaves rows without their referenced row"},
      {"deferrable", changed(K::kForeignKey, key, "Deferrable", "NOT DEFERRABLE", "DEFERRABLE"),
       "behaviour: NOT DEFERRABLE on 'Sales Live', DEFERRABLE on 'Sales Test': the reference is "
       "checked at another time"},
      {"MATCH FULL on the primary", changed(K::kForeignKey, key, "Match", "SIMPLE", "FULL"),
       "narrower: MATCH FULL on 'Sales Test' only: rows with a partly NULL key are refused"},
      {"index unique on the primary",
       changed(K::kIndex, "(Email)", "Unique", "NOT UNIQUE", "UNIQUE"),
       "new UNIQUE: duplicate rows are refused"},
      {"index unique on the secondary",
       changed(K::kIndex, "UNIQUE (Email)", "Unique", "UNIQUE", "NOT UNIQUE"),
       "safe: constraint dropped: duplicates are no longer refused"},
      {"primary key on fewer columns on the primary",
       changed(K::kPrimaryKey, "(ID)", "Columns", "ID, Region", "ID"),
       "new UNIQUE: Columns ID, Region on 'Sales Live', ID on 'Sales Test': duplicate rows are "
       "refused"},
      {"primary key on more columns on the primary",
       changed(K::kPrimaryKey, "(ID)", "Columns", "ID", "ID, Region"), "safe: key on more columns"},
      {"a unique index's condition", changed(K::kIndex, "UNIQUE (Email)", "Where", "a", "b"),
       "new UNIQUE: Where differs: rows duplicate under the condition on 'Sales Test' are "
       "refused"},
      {"a sort order beside a new UNIQUE",
       Object(Kind::kObjectProperties, K::kIndex, "(Email)",
              {{"Sort Order", "ASC", "DESC"}, {"Unique", "NOT UNIQUE", "UNIQUE"}}),
       "new UNIQUE: duplicate rows are refused"},
      {"trigger on the primary only", trigger,
       "behaviour: trigger 'audit' runs on 'Sales Live' only: rows moved in may fire it"},
      {"trigger on the secondary only", dropped_trigger,
       "behaviour: trigger 'audit' runs on 'Sales Live' only: what it does is not done on 'Sales "
       "Test'"},
      {"trigger changed",
       Object(Kind::kObjectProperties, K::kTrigger, "audit",
              {{"Timing", "BEFORE", "AFTER"}, {"Events", "INSERT", "UPDATE"}}),
       "behaviour: trigger differs in Timing, Events: it acts differently on each side"},
      {"view changed", changed(K::kView, "", "Definition", "SELECT 1", "SELECT 2"),
       "behaviour: the view's query differs: it shows other rows or values"},
  });
}

TEST(DifferenceRiskTest, SequencesAndTheDatabasesDefaultCollation) {
  const auto sequence = [](std::initializer_list<Named> properties) {
    return Paragraph(Kind::kSequenceProperties, properties);
  };
  // Bounds as the report shows them, "1..100" on the driving side, and their numbers as facts.
  const auto bounds = [](qint64 driving_min, qint64 driving_max, qint64 other_min,
                         qint64 other_max) {
    const auto shown = [](qint64 min, qint64 max) {
      return QString::number(min) + QLatin1String("..") + QString::number(max);
    };
    Difference d =
        Paragraph(Kind::kSequenceProperties,
                  {{"Bounds", shown(driving_min, driving_max), shown(other_min, other_max)}});
    d.driving_facts = ObjectFacts{};
    d.driving_facts->minimum = driving_min;
    d.driving_facts->maximum = driving_max;
    d.other_facts = ObjectFacts{};
    d.other_facts->minimum = other_min;
    d.other_facts->maximum = other_max;
    return d;
  };
  struct Blind {
    bool case_blind = false;
    bool accent_blind = false;
  };
  const auto database = [](const char* driving, Blind driving_blind, const char* other,
                           Blind other_blind) {
    Difference d =
        Paragraph(Kind::kDatabaseProperties,
                  {{"Default Collation", QString::fromUtf8(driving), QString::fromUtf8(other)}});
    for (auto [facts, blind] :
         {std::pair{&d.driving_column, driving_blind}, std::pair{&d.other_column, other_blind}}) {
      *facts = ColumnFacts{};
      (*facts)->case_blind = blind.case_blind;
      (*facts)->accent_blind = blind.accent_blind;
    }
    return d;
  };
  const Blind sensitive;
  const Blind case_blind{true, false};
  const Blind both_blind{true, true};
  ExpectLines({
      {"bounds narrower", bounds(1, 1000, 1, 100),
       "narrower: bounds 1..1000 on 'Sales Live', 1..100 on 'Sales Test': values outside the new "
       "bounds are refused"},
      {"bounds narrower at the bottom", bounds(-5, 100, 1, 100),
       "narrower: bounds -5..100 on 'Sales Live', 1..100 on 'Sales Test': values outside the new "
       "bounds are refused"},
      {"bounds wider", bounds(1, 100, 1, 1000), "safe: wider bounds"},
      {"increment", sequence({{"Increment", 1, 10}}),
       "behaviour: increment 1 on 'Sales Live', 10 on 'Sales Test': new numbers step differently"},
      {"cycling on the primary", sequence({{"Cycle", false, true}}),
       "behaviour: CYCLE on 'Sales Test' only: after the last number one side starts over, the "
       "other stops"},
      {"start and bounds",
       [&] {
         Difference d = bounds(1, 9, 1, 5);
         d.properties.insert(d.properties.begin(), {PropertyId::kStart, 1, 5});
         return d;
       }(),
       "narrower: bounds 1..9 on 'Sales Live', 1..5 on 'Sales Test': values outside the new "
       "bounds are refused"},
      {"owner on one side", sequence({{"Owned By", "Orders.ID", ""}}),
       "behaviour: owner Orders.ID on 'Sales Live', none on 'Sales Test': dropping the column "
       "drops the sequence on one side only"},
      {"default collation case-blind on the primary",
       database("utf8mb4_bin", sensitive, "utf8mb4_0900_as_ci", case_blind),
       "collation: case-blind on one side only: a unique index may refuse rows the other accepts"},
      {"default collation case- and accent-blind on the primary",
       database("utf8mb4_bin", sensitive, "utf8mb4_general_ci", both_blind),
       "collation: case- and accent-blind on one side only: a unique index may refuse rows the "
       "other accepts"},
      {"default collation NOCASE on the secondary",
       database("NOCASE", case_blind, "BINARY", sensitive),
       "collation: case-blind on one side only: comparisons and sorting of text differ"},
      {"default collations alike", database("en_US.utf8", sensitive, "C", sensitive),
       "collation: default 'en_US.utf8' on 'Sales Live', 'C' on 'Sales Test': text may sort in "
       "another order"},
  });
}

}  // namespace
}  // namespace vantrel
