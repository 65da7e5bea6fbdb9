// Reads every table, view and column an ODBC session sees with two catalog functions (SQLTables
// and SQLColumns over all schemas), never one call per table; then each table's primary key,
// indexes and foreign keys, which ODBC can only be asked for one table at a time.
#ifndef VANTREL_DATAACCESS_ODBC_ODBC_CATALOG_H_
#define VANTREL_DATAACCESS_ODBC_ODBC_CATALOG_H_

#include <QString>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/odbc/odbc_export.h"
#include "dataaccess/odbc/odbc_session.h"

namespace dataaccess {

// Fills `tables`, sorted by schema and name, leaving out the engines' own schemas
// (information_schema, pg_catalog, pg_toast, sys, mysql, performance_schema). The default schema
// is the engine's current one where the engine can say (PostgreSQL, SQL Server, MySQL),
// otherwise the one named like the user. `target` names the source in error descriptions.
// With `with_objects`, each table's primary key, indexes and foreign keys are read too: ODBC's
// catalog functions for them take one table per call, which costs seconds per thousand tables
// where the columns cost a fraction of one, so they are read only when asked for; so are the
// columns' defaults (SQLColumns' COLUMN_DEF, which the column read fetches anyway). Returns the
// ObjectKind bits of what was read: none without `with_objects`, else what the driver could
// tell (kDefaults, never kChecks: ODBC has no catalog function for them). Throws kCatalogUnreadable
// when a catalog function fails.
ODBC_ENGINE_EXPORT int ReadOdbcCatalog(const OdbcSession& session, const QString& target,
                                       CatalogTables& tables, bool with_objects);

// What one SQLColumns row says of a column's type.
struct OdbcTypeRow {
  QString type_name;         // TYPE_NAME, the data source's own spelling
  int data_type = 0;         // DATA_TYPE, the ODBC SQL type
  long column_size = -1;     // COLUMN_SIZE, -1 when NULL
  int decimal_digits = -1;   // DECIMAL_DIGITS, -1 when NULL
  bool has_modifier = true;  // false when the driver says no length or precision was declared
};

// The type of a column: the data source's type name, with the length or precision the driver
// reports for the kinds whose Size is one and the fractional-second digits of time kinds, mapped
// through ClassifyDeclaredType in the engine's dialect. Serial type names count as integers; the
// auto-increment bit is left to the caller.
ODBC_ENGINE_EXPORT ColumnType ClassifyOdbcType(const OdbcTypeRow& row,
                                               TypeDialect dialect = TypeDialect::kOther);

// The dialect of the engine behind a data source, from its SQL_DBMS_NAME.
ODBC_ENGINE_EXPORT TypeDialect DialectOfDbms(const QString& dbms_name);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ODBC_ODBC_CATALOG_H_
