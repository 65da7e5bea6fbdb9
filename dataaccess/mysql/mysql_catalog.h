// Reads every table, view and column of the database a MySQL or MariaDB session is open on, in
// two information_schema queries (and, on MariaDB, a third for the checks that make a text JSON).
#ifndef VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
#define VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_

#include <mysql.h>

#include <QString>

#include "dataaccess/catalog/catalog.h"

namespace dataaccess {

// Fills `tables` with the base tables and views of the session's database, sorted by name
// (binary order). Only that database is read: on these engines a schema is a database, and
// listing the other databases of the server would make two databases of one server differ in
// each other's tables. `target` names the database in error descriptions.
// Throws kCatalogUnreadable when a query fails.
void ReadMysqlCatalog(MYSQL* mysql, const QString& target, CatalogTables& tables);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
