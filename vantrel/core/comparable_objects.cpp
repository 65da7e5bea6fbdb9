#include "vantrel/core/comparable_objects.h"

#include <QStringList>
#include <algorithm>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/column_rules.h"
#include "dataaccess/object_rules.h"
#include "vantrel/core/compare_tables.h"
#include "vantrel/core/one_line_sql.h"

namespace vantrel {
namespace {

using dataaccess::CheckDefinition;
using dataaccess::ForeignKeyDefinition;
using dataaccess::IndexDefinition;
using dataaccess::ReferentialAction;
using dataaccess::TableObjects;
using dataaccess::TriggerDefinition;

QString ColumnList(const QStringList& columns) {
  return u'(' + columns.join(QStringLiteral(", ")) + u')';
}

QString ActionText(ReferentialAction action) {
  switch (action) {
    case ReferentialAction::kNoAction:
      return QStringLiteral("NO ACTION");
    case ReferentialAction::kRestrict:
      return QStringLiteral("RESTRICT");
    case ReferentialAction::kCascade:
      return QStringLiteral("CASCADE");
    case ReferentialAction::kSetNull:
      return QStringLiteral("SET NULL");
    case ReferentialAction::kSetDefault:
      return QStringLiteral("SET DEFAULT");
  }
  return {};
}

QString DeferrableText(const ForeignKeyDefinition& key) {
  if (!key.deferrable) return QStringLiteral("NOT DEFERRABLE");
  return key.initially_deferred ? QStringLiteral("DEFERRABLE INITIALLY DEFERRED")
                                : QStringLiteral("DEFERRABLE INITIALLY IMMEDIATE");
}

// An expression as the report shows it: the engine's text on one line, literals as they are.
QString Shown(const QString& expression) { return OneLineSql(expression); }

void AddName(ComparableObject& object, bool compare_names) {
  if (compare_names) {
    object.properties.push_back({PropertyId::kName, object.name, object.name});
  }
}

ComparableObject PrimaryKey(const dataaccess::PrimaryKeyDefinition& key, bool compare_names) {
  ComparableObject object{ObjectKindId::kPrimaryKey,
                          QStringLiteral("primary key"),
                          ColumnList(key.columns),
                          key.name,
                          false,
                          {},
                          {}};
  object.facts.unique = true;
  object.properties.push_back({PropertyId::kColumns, dataaccess::ColumnsIdentity(key.columns),
                               key.columns.join(QStringLiteral(", "))});
  AddName(object, compare_names);
  return object;
}

// An index as the report shows it: "UNIQUE (a, b DESC)", "USING hash (c)",
// "(name varchar_pattern_ops)", "EXCLUDE USING gist (during WITH &&)".
QString IndexDefinitionText(const IndexDefinition& index) {
  QStringList shown;
  for (const dataaccess::IndexPart& part : index.parts) {
    QString text = part.column.isEmpty() ? Shown(part.expression) : part.column;
    if (part.prefix_length > 0) text += u'(' + QString::number(part.prefix_length) + u')';
    if (!part.collation.isEmpty()) text += QLatin1String(" COLLATE ") + part.collation;
    if (!part.operator_class.isEmpty()) text += u' ' + part.operator_class;
    if (part.descending) text += QLatin1String(" DESC");
    if (!part.exclusion_operator.isEmpty())
      text += QLatin1String(" WITH ") + part.exclusion_operator;
    shown.append(text);
  }
  QString definition = u'(' + shown.join(QStringLiteral(", ")) + u')';
  const bool exclusion = index.origin == IndexDefinition::Origin::kExclusionConstraint;
  if (exclusion || (!index.method.isEmpty() && index.method != QLatin1String("btree"))) {
    definition.prepend(QLatin1String("USING ") + index.method + u' ');
  }
  if (exclusion) definition.prepend(QLatin1String("EXCLUDE "));
  if (index.unique) definition.prepend(QLatin1String("UNIQUE "));
  if (!index.predicate.isEmpty()) definition += QLatin1String(" WHERE ") + Shown(index.predicate);
  return definition;
}

ComparableObject Index(const IndexDefinition& index, const TableObjects& objects,
                       const QString& engine, dataaccess::ExpressionOrigin origin,
                       bool compare_methods, bool compare_names) {
  const bool same_engine = !origin.across_engines;
  QStringList order;
  for (const dataaccess::IndexPart& part : index.parts) {
    QString direction = part.descending ? QStringLiteral("DESC") : QStringLiteral("ASC");
    // Where NULLs sort is each engine's own across engines (SQLite and MySQL put them first in
    // ascending order, PostgreSQL last): only PostgreSQL's choice against its own compares.
    if (same_engine && part.nulls_reversed) {
      direction += part.descending ? QLatin1String(" NULLS LAST") : QLatin1String(" NULLS FIRST");
    }
    order.append(direction);
  }
  const bool exclusion = index.origin == IndexDefinition::Origin::kExclusionConstraint;
  ComparableObject object{exclusion ? ObjectKindId::kExclusionConstraint : ObjectKindId::kIndex,
                          dataaccess::IndexIdentity(index, same_engine),
                          IndexDefinitionText(index),
                          index.name,
                          dataaccess::IsEngineMadeForeignKeyIndex(index, objects, engine),
                          {},
                          {}};
  object.facts.unique = index.unique;
  const QString unique = !index.unique              ? QStringLiteral("NOT UNIQUE")
                         : index.nulls_not_distinct ? QStringLiteral("UNIQUE NULLS NOT DISTINCT")
                                                    : QStringLiteral("UNIQUE");
  object.properties.push_back({PropertyId::kUnique, unique, unique});
  const QString sort_order = order.join(QStringLiteral(", "));
  object.properties.push_back({PropertyId::kSortOrder, sort_order, sort_order});
  object.properties.push_back({PropertyId::kWhere,
                               dataaccess::ExpressionMeaning(index.predicate, origin),
                               Shown(index.predicate)});
  if (compare_methods) {
    const QString method = dataaccess::IndexMethod(index);
    object.properties.push_back({PropertyId::kMethod, method, method});
    const QString included = index.included.join(QStringLiteral(", "));
    object.properties.push_back({PropertyId::kIncluded, included.toLower(), included});
  }
  AddName(object, compare_names);
  return object;
}

ComparableObject ForeignKey(const ForeignKeyDefinition& key, bool compare_deferrable,
                            bool compare_names) {
  QString definition =
      ColumnList(key.columns) + QLatin1String(" REFERENCES ") + key.referenced_table;
  if (!key.referenced_columns.isEmpty()) definition += u' ' + ColumnList(key.referenced_columns);
  ComparableObject object{ObjectKindId::kForeignKey,
                          dataaccess::ForeignKeyIdentity(key),
                          definition,
                          key.name,
                          false,
                          {},
                          {}};
  object.facts.referenced_table = key.referenced_table;
  const auto action = [&](PropertyId id, ReferentialAction value) {
    object.properties.push_back(
        {id, ActionText(dataaccess::EnforcedAction(value, key.deferrable)), ActionText(value)});
  };
  action(PropertyId::kOnDelete, key.on_delete);
  action(PropertyId::kOnUpdate, key.on_update);
  if (compare_deferrable) {
    const QString deferrable = DeferrableText(key);
    object.properties.push_back({PropertyId::kDeferrable, deferrable, deferrable});
  }
  const QString match = key.match_full ? QStringLiteral("FULL") : QStringLiteral("SIMPLE");
  object.properties.push_back({PropertyId::kMatch, match, match});
  AddName(object, compare_names);
  return object;
}

ComparableObject Check(const CheckDefinition& check, dataaccess::ExpressionOrigin origin,
                       bool compare_names) {
  ComparableObject object{ObjectKindId::kCheck,
                          dataaccess::ExpressionMeaning(check.expression, origin),
                          Shown(check.expression),
                          check.name,
                          false,
                          {},
                          {}};
  AddName(object, compare_names);
  return object;
}

ComparableObject View(const QString& definition, const QString& database, bool names_databases) {
  const QString meaning = dataaccess::ViewMeaning(definition, database);
  QString shown = Shown(definition);
  ObjectFacts facts;
  if (names_databases) {
    if (const QStringList others = dataaccess::OtherDatabasesRead(meaning); !others.isEmpty()) {
      shown += QLatin1String(" (reads database ") + others.join(QStringLiteral(", ")) +
               QLatin1String(", not its own ") + database + u')';
      facts.other_databases_read = others;
      facts.own_database = database;
    }
  }
  ComparableObject object{ObjectKindId::kView, QStringLiteral("view"), shown, QString(), false, {},
                          std::move(facts)};
  object.properties.push_back({PropertyId::kDefinition, meaning, shown});
  return object;
}

QString TriggerEvents(const TriggerDefinition& trigger) {
  QStringList events;
  for (const QString& event : trigger.events) {
    QString text = event.toUpper();
    if (text == QLatin1String("UPDATE") && !trigger.update_columns.isEmpty()) {
      text += QLatin1String(" OF ") + trigger.update_columns.join(QStringLiteral(", "));
    }
    events.append(text);
  }
  return events.join(QStringLiteral(" OR "));
}

ComparableObject Trigger(const TriggerDefinition& trigger, dataaccess::ExpressionOrigin origin) {
  const QString level =
      trigger.for_each_row ? QStringLiteral("FOR EACH ROW") : QStringLiteral("FOR EACH STATEMENT");
  QString definition = trigger.timing.toUpper() + u' ' + TriggerEvents(trigger) + u' ' + level;
  if (!trigger.when.isEmpty()) definition += QLatin1String(" WHEN ") + Shown(trigger.when);
  ComparableObject object{
      ObjectKindId::kTrigger, trigger.name.toLower(), definition, trigger.name, false, {}, {}};
  object.facts.fires_on_update = std::any_of(
      trigger.events.begin(), trigger.events.end(),
      [](const QString& event) { return event.compare(u"UPDATE", Qt::CaseInsensitive) == 0; });
  const QString timing = trigger.timing.toUpper();
  object.properties.push_back({PropertyId::kTiming, timing, timing});
  object.properties.push_back(
      {PropertyId::kEvents, dataaccess::TriggerEventsMeaning(trigger), TriggerEvents(trigger)});
  object.properties.push_back({PropertyId::kLevel, level, level});
  object.properties.push_back({PropertyId::kWhen,
                               dataaccess::ExpressionMeaning(trigger.when, origin),
                               Shown(trigger.when)});
  if (!origin.across_engines) {
    object.properties.push_back({PropertyId::kBody,
                                 dataaccess::ExpressionMeaning(trigger.body, origin),
                                 Shown(trigger.body)});
  }
  return object;
}

// A rule, matched by its name (a table's rules are named, and a rule's text is the engine's own).
ComparableObject Rule(const dataaccess::RuleDefinition& rule) {
  QString definition = QLatin1String("ON ") + rule.event + QLatin1String(" DO ");
  if (rule.instead) definition += QLatin1String("INSTEAD");
  ComparableObject object{
      ObjectKindId::kRule, rule.name, definition.trimmed(), rule.name, false, {}, {}};
  object.facts.rule_event = rule.event;
  object.facts.rule_instead = rule.instead;
  object.properties.push_back({PropertyId::kEvent, rule.event, rule.event});
  const QString instead = rule.instead ? QStringLiteral("INSTEAD") : QStringLiteral("ALSO");
  object.properties.push_back({PropertyId::kInstead, instead, instead});
  object.properties.push_back({PropertyId::kDefinition,
                               dataaccess::ExpressionMeaning(rule.definition),
                               Shown(rule.definition)});
  return object;
}

// Whether the table's writes are logged: one object for each table, found on both sides.
ComparableObject Persistence(bool unlogged) {
  const QString persistence = unlogged ? QStringLiteral("UNLOGGED") : QStringLiteral("LOGGED");
  ComparableObject object{ObjectKindId::kPersistence,
                          QStringLiteral("persistence"),
                          persistence,
                          QString(),
                          false,
                          {},
                          {}};
  object.properties.push_back({PropertyId::kPersistence, persistence, persistence});
  return object;
}

}  // namespace

std::vector<ComparableObject> ComparableObjects(const ObjectSides& sides, int compared,
                                                bool compare_names) {
  std::vector<ComparableObject> result;
  const int both = sides.connection.ObjectKinds() & sides.other_connection.ObjectKinds();
  const int kinds = compared & both;
  const TableObjects* objects = sides.table.Objects();
  // Every table has a persistence, whether or not it has objects to tell.
  if ((kinds & kComparePersistence) && !sides.table.IsView()) {
    result.push_back(Persistence(objects != nullptr && objects->unlogged));
  }
  if (objects == nullptr || kinds == 0) return result;
  const QString engine = sides.connection.Engine();
  if ((kinds & kCompareKeys) && objects->primary_key) {
    result.push_back(PrimaryKey(*objects->primary_key, compare_names));
    result.back().unique_columns = dataaccess::UniqueColumnSet(*objects->primary_key, sides.table);
  }
  const dataaccess::ExpressionOrigin origin =
      dataaccess::OriginOf(engine, sides.other_connection.Engine());
  const bool same_engine = !origin.across_engines;
  if (kinds & kCompareIndexes) {
    const TableObjects* other_objects = sides.other_table.Objects();
    const QString other_engine = sides.other_connection.Engine();
    const bool methods = (both & dataaccess::kIndexMethods) != 0;
    for (const IndexDefinition& index : objects->indexes) {
      result.push_back(Index(index, *objects, engine, origin, methods, compare_names));
      result.back().source_index = static_cast<int>(&index - objects->indexes.data());
      result.back().unique_columns = dataaccess::UniqueColumnSet(index, sides.table);
      if ((other_objects != nullptr &&
           dataaccess::IsForeignKeyIndexServedBy(index, *objects, *other_objects, other_engine)) ||
          (!same_engine && dataaccess::IsPatternSearchCompanion(index, *objects))) {
        result.back().engine_made = true;
      }
    }
  }
  if (kinds & kCompareForeignKeys) {
    const bool deferrable = (both & dataaccess::kForeignKeyDeferrability) != 0;
    for (const ForeignKeyDefinition& key : objects->foreign_keys) {
      result.push_back(ForeignKey(key, deferrable, compare_names));
      result.back().source_index = static_cast<int>(&key - objects->foreign_keys.data());
    }
  }
  if (kinds & kCompareChecks) {
    for (const CheckDefinition& check : objects->checks) {
      if (dataaccess::CheckBelongsToColumn(check, sides.table, &sides.other_table,
                                           sides.other_connection.Engine())) {
        continue;
      }
      result.push_back(Check(check, origin, compare_names));
      result.back().source_index = static_cast<int>(&check - objects->checks.data());
    }
  }
  // Across engines a view's query is another dialect (rule 16): the report says so instead.
  if ((kinds & kCompareViews) && same_engine && !objects->view_definition.isEmpty()) {
    result.push_back(View(objects->view_definition, sides.connection.DatabaseName(),
                          engine == dataaccess::EngineName(dataaccess::TypeDialect::kMysql)));
  }
  if (kinds & kCompareTriggers) {
    for (const TriggerDefinition& trigger : objects->triggers) {
      result.push_back(Trigger(trigger, origin));
      result.back().source_index = static_cast<int>(&trigger - objects->triggers.data());
    }
  }
  if (kinds & kCompareRules) {
    for (const dataaccess::RuleDefinition& rule : objects->rules) {
      result.push_back(Rule(rule));
      result.back().source_index = static_cast<int>(&rule - objects->rules.data());
    }
  }
  return result;
}

bool SameProperty(const ComparableObject::Property& a, const ComparableObject::Property& b) {
  if (a.id == PropertyId::kName &&
      (dataaccess::IsEngineMadeName(a.compared) || dataaccess::IsEngineMadeName(b.compared))) {
    return true;
  }
  return a.compared == b.compared;
}

}  // namespace vantrel
