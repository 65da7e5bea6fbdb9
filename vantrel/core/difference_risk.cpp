#include "vantrel/core/difference_risk.h"

#include <QStringList>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/difference_risk_parts.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;
using namespace risk;  // NOLINT(google-build-using-namespace): the parts of this one file

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
  // A view holds no values of its own: what changes is what its queries may read.
  if (difference.object_kind == ObjectKindId::kView) {
    if (sides.driving_is_primary) return {Risk::kSafe, QStringLiteral("new view column")};
    return {Risk::kBehaviour, "view column " + Quoted(difference.field) + " is not in " +
                                  Quoted(sides.Primary()) + ": queries that read it fail there"};
  }
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

std::vector<Finding> RiskFindings(const Difference& difference, const QString& driving_name,
                                  const QString& other_name) {
  const Sides sides{VisibleText(driving_name), VisibleText(other_name),
                    difference.driving_is_primary};
  using Kind = Difference::Kind;
  switch (difference.kind) {
    case Kind::kTableMissing:
      // A view holds no rows of its own: what it showed is what changes.
      if (difference.object_kind == ObjectKindId::kView) {
        return {{Risk::kBehaviour, "view " + Quoted(difference.table) + " only on " +
                                       Quoted(sides.driving) +
                                       ": queries of it fail on the other side"}};
      }
      if (sides.driving_is_primary) return {{Risk::kSafe, QStringLiteral("new table")}};
      return {{Risk::kLost, "table " + Quoted(difference.table) + " is not in " +
                                Quoted(sides.Primary()) + ": its rows are dropped"}};
    case Kind::kFieldMissing:
      return {FieldMissing(difference, sides)};
    case Kind::kFieldProperties:
      return FieldPropertyFindings(difference, sides);
    case Kind::kFieldCount:
      return {{Risk::kCount, QStringLiteral("see the field paragraphs")}};
    case Kind::kObjectMissing:
      return {ObjectMissing(difference, sides)};
    case Kind::kObjectProperties:
      return ObjectPropertyFindings(difference, sides);
    case Kind::kDatabaseProperties:
      return DatabaseFindings(difference, sides);
    case Kind::kSequenceMissing:
      return {SequenceMissing(difference, sides)};
    case Kind::kSequenceProperties:
      return SequenceFindings(difference, sides);
    case Kind::kDatabaseObjectMissing:
      return {CollationMissing(difference, sides)};
    case Kind::kDatabaseObjectProperties:
      return {{Risk::kCollationBehaviour,
               "collation " + Quoted(difference.object) + " differs in " +
                   PropertyNames(difference) +
                   ": the columns that use it sort and compare differently"}};
  }
  return {};
}

}  // namespace

QString DifferenceRisk(const Difference& difference, const QString& driving_name,
                       const QString& other_name) {
  const QString line = Line(RiskFindings(difference, driving_name, other_name));
  // Another mechanism on the other side may do what this one does: the reader judges.
  const QString instead = OtherMechanismText(difference.instead, driving_name, other_name);
  return instead.isEmpty() ? line : line + "; " + VisibleText(instead);
}

RiskSeverity DifferenceSeverity(const Difference& difference) {
  std::vector<Finding> findings = RiskFindings(difference, QString(), QString());
  Risk worst = Risk::kSafe;
  for (const Finding& finding : findings) worst = std::min(worst, finding.risk);
  if (worst <= Risk::kTypeChangeLost) return RiskSeverity::kDataLost;
  if (worst <= Risk::kNumberingRefused) return RiskSeverity::kRowsRefused;
  if (worst <= Risk::kTypeChangeConverted) return RiskSeverity::kValuesChange;
  if (worst <= Risk::kBehaviour) return RiskSeverity::kBehaviour;
  return RiskSeverity::kSafe;
}

}  // namespace vantrel
