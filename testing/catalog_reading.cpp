#include "testing/catalog_reading.h"

#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"

namespace dataaccess::test_support {

std::unique_ptr<DataConnection> Open(const QString& name, const QString& connect_string) {
  return DataEngine::Instance().Environments().Item(0).OpenConnection(
      name, kPromptNever, true, connect_string, kReadEveryObject);
}

component::Error OpenFailure(const QString& name, const QString& connect_string) {
  try {
    Open(name, connect_string);
  } catch (const component::Error& error) {
    return error;
  }
  ADD_FAILURE() << "opened " << connect_string.toStdString();
  return component::Error(0, QString(), QString());
}

QStringList TableNames(const DataConnection& connection) {
  QStringList names;
  auto tables = connection.Tables().Enumerate();
  while (DataTable* table = tables->Next()) names.append(table->Name());
  return names;
}

QStringList ColumnNames(const DataConnection& connection, const QString& table) {
  QStringList names;
  auto columns = connection.Tables().Item(table).Columns().Enumerate();
  while (DataColumn* column = columns->Next()) names.append(column->Name());
  return names;
}

QStringList ColumnProperties(const DataConnection& connection) {
  QStringList lines;
  const auto tables = connection.Tables().Enumerate();
  while (const DataTable* table = tables->Next()) {
    const auto columns = table->Columns().Enumerate();
    while (const DataColumn* c = columns->Next()) {
      lines << QStringLiteral("%1.%2 %3 %4 %5 %6 %7 %8")
                   .arg(table->Name(), c->Name())
                   .arg(c->DataType())
                   .arg(c->Size())
                   .arg(c->OrdinalPosition())
                   .arg(c->Required())
                   .arg(c->Attributes())
                   .arg(c->AllowZeroLength());
    }
  }
  return lines;
}

QStringList ObjectProperties(const DataConnection& connection) {
  static const char* const kActions[] = {"no action", "restrict", "cascade", "set null",
                                         "set default"};
  const auto action = [](ReferentialAction a) { return QLatin1String(kActions[int(a)]); };
  QStringList lines;
  const auto tables = connection.Tables().Enumerate();
  while (const DataTable* table = tables->Next()) {
    const TableObjects* objects = table->Objects();
    if (objects == nullptr) continue;
    const QString t = table->Name() + QStringLiteral(": ");
    if (const auto& key = objects->primary_key) {
      lines << t + QStringLiteral("primary key %1 (%2)").arg(key->name, key->columns.join(", "));
    }
    for (const IndexDefinition& index : objects->indexes) {
      QStringList parts;
      for (const IndexPart& part : index.parts) {
        QString text = (part.column.isEmpty() ? "expression " + part.expression : part.column) +
                       (part.descending ? " desc" : "");
        if (!part.operator_class.isEmpty()) text += " class " + part.operator_class;
        if (!part.collation.isEmpty()) text += " collate " + part.collation;
        if (!part.exclusion_operator.isEmpty()) text += " with " + part.exclusion_operator;
        if (part.nulls_reversed) text += " nulls reversed";
        if (part.prefix_length > 0) text += " prefix " + QString::number(part.prefix_length);
        parts << text;
      }
      const char* origin = index.origin == IndexDefinition::Origin::kIndex ? ""
                           : index.origin == IndexDefinition::Origin::kUniqueConstraint
                               ? " constraint"
                               : " exclusion";
      lines << t +
                   QStringLiteral("index %1%2 (%3)%4%5%6")
                       .arg(index.name,
                            !index.unique              ? ""
                            : index.nulls_not_distinct ? " unique nulls not distinct"
                                                       : " unique",
                            parts.join(", "),
                            index.predicate.isEmpty() ? QString() : " where " + index.predicate,
                            QLatin1String(origin),
                            index.method.isEmpty() ? QString() : " using " + index.method) +
                   (index.included.isEmpty() ? QString()
                                             : " include (" + index.included.join(", ") + ")");
    }
    for (const ForeignKeyDefinition& key : objects->foreign_keys) {
      lines << t + QStringLiteral("foreign key %1 (%2) -> %3 (%4) delete %5 update %6%7%8%9")
                       .arg(key.name, key.columns.join(", "), key.referenced_table,
                            key.referenced_columns.join(", "), action(key.on_delete),
                            action(key.on_update), key.deferrable ? " deferrable" : "",
                            key.initially_deferred ? " initially deferred" : "",
                            key.match_full ? " match full" : "");
    }
    for (const CheckDefinition& check : objects->checks) {
      lines << t + QStringLiteral("check %1 (%2)").arg(check.name, check.expression);
    }
    for (const RuleDefinition& rule : objects->rules) {
      lines << t + QStringLiteral("rule %1 on %2%3 [%4]")
                       .arg(rule.name, rule.event, rule.instead ? " instead" : "", rule.definition);
    }
    if (objects->unlogged) lines << t + QStringLiteral("unlogged");
  }
  return lines;
}

QString DescribeDetails(const TableObjects* objects) {
  if (!objects) return QString();
  QStringList parts;
  for (const ColumnDetails& column : objects->columns) {
    QString line = column.column;
    if (!column.default_value.isNull()) line += " default [" + column.default_value + "]";
    if (!column.on_update.isEmpty()) line += " on update [" + column.on_update + "]";
    if (const ColumnCollation* collation = column.collation.get()) {
      if (!collation->name.isEmpty()) line += " collate " + collation->name;
      if (!collation->character_set.isEmpty()) line += " charset " + collation->character_set;
      if (!collation->locale.isEmpty()) line += " locale " + collation->locale;
      if (!collation->deterministic) line += " nondeterministic";
    }
    if (const ColumnGeneration* generation = column.generation.get()) {
      line += " as (" + generation->expression + (generation->stored ? ") stored" : ")");
    }
    parts << line;
  }
  if (!objects->view_definition.isEmpty()) parts << "view [" + objects->view_definition + "]";
  for (const TriggerDefinition& trigger : objects->triggers) {
    parts << QStringLiteral("TR %1 %2 %3%4%5%6 [%7]")
                 .arg(trigger.name, trigger.timing, trigger.events.join(','),
                      trigger.update_columns.isEmpty() ? ""
                                                       : " of " + trigger.update_columns.join(','),
                      trigger.for_each_row ? " row" : " statement",
                      trigger.when.isEmpty() ? "" : " when " + trigger.when, trigger.body);
  }
  return parts.join("; ");
}

QStringList DatabaseProperties(const DataConnection& connection) {
  QStringList lines;
  const DatabaseObjects* objects = connection.Objects();
  if (!objects) return lines;
  lines << QStringLiteral("collation %1 charset %2 locale %3%4")
               .arg(objects->default_collation, objects->default_character_set,
                    objects->default_collation_locale,
                    objects->default_collation_deterministic ? "" : " nondeterministic");
  for (const SequenceDefinition& sequence : objects->sequences) {
    lines << QStringLiteral("sequence %1 %2..%3 from %4 by %5%6 owned by %7")
                 .arg(sequence.name)
                 .arg(sequence.minimum)
                 .arg(sequence.maximum)
                 .arg(sequence.start)
                 .arg(sequence.increment)
                 .arg(sequence.cycle ? " cycle" : "", sequence.owned_by);
  }
  for (const CollationDefinition& collation : objects->collations) {
    lines << QStringLiteral("collation object %1 %2 %3%4")
                 .arg(collation.name, collation.provider, collation.locale,
                      collation.deterministic ? "" : " nondeterministic");
  }
  return lines;
}

}  // namespace dataaccess::test_support
