#include "dataaccess/catalog/server_catalog_builder.h"

namespace dataaccess {

QString ServerCatalogBuilder::TableName(const QString& schema, const QString& table) const {
  if (schema.isEmpty() || schema == default_schema_) return table;
  return schema + u'.' + table;
}

void ServerCatalogBuilder::AddTable(const QString& schema, const QString& table) {
  if (table_ && schema == current_schema_ && table == current_table_) return;
  current_schema_ = schema;
  current_table_ = table;
  table_ = &tables_.AddTable(TableName(schema, table));
  ordinal_ = 0;
}

void ServerCatalogBuilder::AddColumn(ServerColumn column) {
  ColumnDefinition definition;
  definition.name = std::move(column.name);
  definition.type = column.type;
  definition.required = column.required;
  definition.ordinal_position = static_cast<int16_t>(++ordinal_);
  table_->MutableColumns().Add(std::move(definition));
}

}  // namespace dataaccess
