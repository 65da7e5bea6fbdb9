#include "testing/catalog_reading.h"

#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"

namespace dataaccess::test_support {

std::unique_ptr<DataConnection> Open(const QString& name, const QString& connect_string) {
  return DataEngine::Instance().Environments().Item(0).OpenConnection(
      name, kPromptNever, true, connect_string, kReadTableObjects);
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
        parts << (part.column.isEmpty() ? "expression " + part.expression : part.column) +
                     (part.descending ? " desc" : "");
      }
      lines << t + QStringLiteral("index %1%2 (%3)%4%5")
                       .arg(index.name, index.unique ? " unique" : "", parts.join(", "),
                            index.predicate.isEmpty() ? QString() : " where " + index.predicate,
                            index.origin == IndexDefinition::Origin::kIndex ? "" : " constraint");
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
  }
  return lines;
}

}  // namespace dataaccess::test_support
