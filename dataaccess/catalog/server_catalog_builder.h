// Fills a CatalogTables from the rows of a server's catalog query, one row per column (or one
// row with no column for a table that has none), sorted by schema, table and column position.
//
// Tables of the default schema keep their plain names; tables of any other schema are named
// "schema.table". A schema or table name that holds a '.' or starts with '"' is written in double
// quotes, inner quotes doubled, so that the table "sales.orders" of the default schema
// ("\"sales.orders\"") and the table orders of the schema sales (sales.orders) never share a name.
// Columns are numbered 1, 2, ... in the order they arrive, so gaps that an engine leaves in its own
// numbering (dropped columns) do not show.
#ifndef VANTREL_DATAACCESS_CATALOG_SERVER_CATALOG_BUILDER_H_
#define VANTREL_DATAACCESS_CATALOG_SERVER_CATALOG_BUILDER_H_

#include <QString>

#include "dataaccess/catalog/catalog.h"

namespace dataaccess {

// What a catalog row says of one column, before numbering.
struct ServerColumn {
  QString name;
  ColumnType type;
  bool required = false;
};

class ServerCatalogBuilder {
 public:
  ServerCatalogBuilder(CatalogTables& tables, QString default_schema)
      : tables_(tables), default_schema_(std::move(default_schema)) {}

  // Starts a new table when (schema, table) differs from the previous row's.
  void AddTable(const QString& schema, const QString& table);
  // Adds a column to the table of the last AddTable call.
  void AddColumn(ServerColumn column);

  // The name a table of `schema` gets.
  QString TableName(const QString& schema, const QString& table) const;

 private:
  CatalogTables& tables_;
  QString default_schema_;
  QString current_schema_;
  QString current_table_;
  CatalogTable* table_ = nullptr;
  int ordinal_ = 0;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_SERVER_CATALOG_BUILDER_H_
