#include "testing/catalog_reading.h"

#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"

namespace dataaccess::testing {

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

}  // namespace dataaccess::testing
