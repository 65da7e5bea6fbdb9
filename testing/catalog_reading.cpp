#include "testing/catalog_reading.h"

#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"

namespace dataaccess::test_support {

std::unique_ptr<DataConnection> Open(const QString& name, const QString& connect_string) {
  return DataEngine::Instance().Environments().Item(0).OpenConnection(name, kPromptNever, true,
                                                                      connect_string);
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

}  // namespace dataaccess::test_support
