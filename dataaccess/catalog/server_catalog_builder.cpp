#include "dataaccess/catalog/server_catalog_builder.h"

namespace dataaccess {

namespace {

// A part of a qualified name that could be mistaken for two parts, or for a quoted part, is
// quoted as SQL quotes identifiers; every other part is written as it is.
QString NamePart(const QString& part) {
  if (!part.contains(u'.') && !part.startsWith(u'"')) return part;
  QString quoted = part;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

QString ServerCatalogBuilder::TableName(const QString& schema, const QString& table) const {
  if (schema.isEmpty() || schema == default_schema_) return NamePart(table);
  return NamePart(schema) + u'.' + NamePart(table);
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
