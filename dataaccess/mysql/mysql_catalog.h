// Reads every table, view and column of the database a MySQL or MariaDB session is open on: the
// columns, then the names and the types of what has no index, then the indexes, foreign keys
// and checks (on MariaDB, the checks also make a text JSON).
#ifndef VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
#define VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_

#include <mysql.h>

#include <QByteArrayView>
#include <QString>
#include <cstdint>

#include "dataaccess/catalog/catalog.h"

namespace dataaccess {

// Fills `tables` with the base tables and views of the session's database, sorted by name
// (binary order). Only that database is read: on these engines a schema is a database, and
// listing the other databases of the server would make two databases of one server differ in
// each other's tables. With `with_objects`, every table gets its primary key, indexes, foreign
// keys and, where the server lists them, checks (TableObjects); a unique constraint is listed
// as the unique index it is. Those come from information_schema views that open every table of
// the database, which costs seconds at 10,000 tables where the columns cost under one: they are
// read only when asked for. `target` names the database in error descriptions. Returns the
// ObjectKind bits the read could tell: none without `with_objects`; else all but
// kForeignKeyDeferrability, and kChecks only where the server has CHECK_CONSTRAINTS.
// Throws kCatalogUnreadable when a query fails.
int ReadMysqlCatalog(MYSQL* mysql, const QString& target, CatalogTables& tables, bool with_objects);

// kAutoIncrement and kGenerated as information_schema.COLUMNS.EXTRA gives them, in any case:
// "auto_increment"; "VIRTUAL GENERATED", "STORED GENERATED" or, on older MariaDB, "PERSISTENT".
// MySQL's DEFAULT_GENERATED marks a default that is an expression, not a generated column.
int32_t ExtraAttributes(QByteArrayView extra);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
