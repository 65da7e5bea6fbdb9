// The risk of a difference in a key, index, constraint, trigger, rule or view, a sequence, a
// collation a database defines, and the databases' default collations.
#include <QStringList>
#include <algorithm>
#include <utility>

#include "vantrel/core/difference_risk_parts.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::risk {
namespace {

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

}  // namespace

// What it means that a key, index, constraint, trigger or view is on one side only.
Finding ObjectMissing(const Difference& difference, const Sides& sides) {
  const bool on_primary = sides.driving_is_primary;
  using K = ObjectKindId;
  const ObjectKindId kind = difference.object_kind;
  const bool unique =
      kind == K::kPrimaryKey ||
      (kind == K::kIndex && difference.driving_facts.value_or(ObjectFacts{}).unique);
  if (unique) {
    // The other side refuses the same rows with the other kind of key (object rule 10).
    const QString other = difference.driving_facts.value_or(ObjectFacts{}).same_rows_refused_by;
    if (!other.isEmpty()) {
      const QString side = Quoted(on_primary ? sides.Secondary() : sides.Primary());
      return {Risk::kSafe, (on_primary ? "no new row is refused: " : "constraint dropped: ") +
                               Quoted(other) + " on " + side + " refuses the same duplicates"};
    }
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
    const QString admitted = difference.driving_facts.value_or(ObjectFacts{}).admits_all_of;
    if (on_primary && !admitted.isEmpty()) {
      return {Risk::kSafe, "new check: " + expression + " lets in every row that " +
                               Quoted(admitted) + " of " + Quoted(sides.Secondary()) + " lets in"};
    }
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

namespace {

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
    // UNIQUE NULLS NOT DISTINCT refuses a second NULL, which UNIQUE lets in.
    const QLatin1StringView kNullsAlike("UNIQUE NULLS NOT DISTINCT");
    if (p == kNullsAlike && s == u"UNIQUE") {
      return {Risk::kNewUnique, QStringLiteral("NULLS NOT DISTINCT: rows whose key is NULL "
                                               "alike are refused")};
    }
    if (p == kNullsAlike) {
      return {Risk::kNewUnique,
              QStringLiteral("duplicate rows are refused, and NULLs count as alike")};
    }
    if (p == u"UNIQUE" && s == kNullsAlike) {
      return {Risk::kSafe, QStringLiteral("NULLS NOT DISTINCT dropped: a second NULL is no "
                                          "longer refused")};
    }
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
  if (name == P::kIncluded) {
    const auto columns = [](const QString& names) {
      return names.isEmpty() ? QStringLiteral("none") : VisibleText(names);
    };
    return {Risk::kSafe, "included columns " + sides.Each(columns(p), columns(s)) +
                             ": the index answers other queries alone"};
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

}  // namespace

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

namespace {

// The two bounds of a sequence on each side; nothing where the walk did not tell them.
std::optional<std::pair<qint64, qint64>> Bounds(const std::optional<ObjectFacts>& facts) {
  if (!facts) return std::nullopt;
  return std::pair<qint64, qint64>{facts->minimum, facts->maximum};
}

}  // namespace

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

}  // namespace vantrel::risk
