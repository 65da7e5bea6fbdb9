// Reads every table, view and column of a PostgreSQL database: one COPY of every column, and
// small queries for what the columns name (sequence owners, types).
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_

#include <libpq-fe.h>

#include <QString>

#include "dataaccess/catalog/catalog.h"

namespace dataaccess {

// Fills `tables` from the catalog `conn` sees: ordinary, partitioned and foreign tables, views
// and materialized views of every schema but the engine's own (pg_catalog, information_schema,
// pg_toast, temporary schemas), sorted by schema and name. The first schema of the search_path
// is the default schema. `target` names the database in error descriptions.
// Throws kCatalogUnreadable when a query fails.
void ReadPostgresCatalog(PGconn* conn, const QString& target, CatalogTables& tables);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_
