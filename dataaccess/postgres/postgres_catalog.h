// Reads every table, view and column of a PostgreSQL database: one COPY of every column, small
// queries for what the columns name (sequence owners, types), and, when asked, the column details
// in the same COPY and one COPY each of the indexes, the keys and checks, the triggers and the
// sequences.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_

#include <libpq-fe.h>

#include <QString>
#include <QStringList>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/postgres/postgres_export.h"
#include "dataaccess/server/catalog_rows.h"

namespace dataaccess {

// Fills `tables` from the catalog `conn` sees: ordinary, partitioned and foreign tables, views
// and materialized views of every schema but the engine's own (pg_catalog, information_schema,
// pg_toast, temporary schemas), sorted by schema and name. The first schema of the search_path
// is the default schema. With `with_objects`, every table gets its primary key, indexes, foreign
// keys, checks, triggers and column details (defaults, collations other than the database's,
// generation expressions) as the server spells them (TableObjects), every view its definition
// and triggers, and `database` (when given) the default collation and the sequences, at six
// more queries. `target` names the database in error descriptions. Returns the ObjectKind bits
// the read could tell: all of them with `with_objects`, else none.
// Throws kCatalogUnreadable when a query fails.
POSTGRES_EXPORT int ReadPostgresCatalog(PGconn* conn, const QString& target, CatalogTables& tables,
                                        bool with_objects, DatabaseObjects* database = nullptr);

// The schemas ReadPostgresCatalog would read, in the server's order.
POSTGRES_EXPORT QStringList PostgresSchemaNames(PGconn* conn, const QString& target);

// The same read over `schemas` only (sorted, without repeats), in one snapshot and one pass over
// the catalog, split into one catalog per schema as StagedCatalog::FillSchemas says: each names
// its tables as if its schema were the default one, without a prefix.
POSTGRES_EXPORT void ReadPostgresSchemas(PGconn* conn, const QString& target,
                                         const QStringList& schemas,
                                         const StagedCatalog::SchemaFill& each);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_CATALOG_H_
