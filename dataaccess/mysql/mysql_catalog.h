// Reads every table, view and column of the database a MySQL or MariaDB session is open on: the
// columns, then the names and the types of what has no index, then the indexes, foreign keys,
// checks (on MariaDB, the checks also make a text JSON), views, triggers and sequences.
#ifndef VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
#define VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_

#include <mysql.h>

#include <QByteArrayView>
#include <QString>
#include <cstdint>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/mysql/mysql_export.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// The `asked` of ReadMysqlCatalog for a read with OpenConnection's `options` (the ObjectKind bits
// asked for).
MYSQL_ENGINE_EXPORT int MysqlObjectKindsAsked(int32_t options);

// The expression of a column's ON UPDATE clause from information_schema's EXTRA; empty for none.
MYSQL_ENGINE_EXPORT QString MysqlOnUpdate(QByteArrayView extra);

// Fills `tables` with the base tables and views of the session's database, sorted by name
// (binary order). Only that database is read: on these engines a schema is a database, and
// listing the other databases of the server would make two databases of one server differ in
// each other's tables. `asked` (ObjectKind bits) says what else to read; 0 reads the columns
// alone. Given kPrimaryKeys or kIndexes, every table gets its primary key and indexes (a unique
// constraint is listed as the unique index it is); given kForeignKeys, kChecks or kIndexes (an
// index MariaDB made for a foreign key is told by its key), its foreign keys and, where the
// server lists them, its checks (TableObjects). Those come from information_schema views that
// open every table of the database, which costs seconds at 10,000 tables where the columns cost
// under one. Any other bit reads the rest, which costs little: the triggers, the columns'
// defaults, collations other than the database's and generation expressions (read by the column
// query itself), the views' definitions and, given `database`, the database's default collation
// and, on MariaDB 10.3 and later, its sequences. `target` names the database in error
// descriptions. Returns the ObjectKind bits the read could tell: none for 0; else the rest, with
// kGeneratedColumns where COLUMNS has GENERATION_EXPRESSION, kSequences on MariaDB 10.3 on, and
// the key kinds read (never kForeignKeyDeferrability; kChecks only where the server has
// CHECK_CONSTRAINTS). Throws kCatalogUnreadable when a query fails.
MYSQL_ENGINE_EXPORT int ReadMysqlCatalog(MYSQL* mysql, const QString& target, CatalogTables& tables,
                                         int asked, DatabaseObjects* database = nullptr);

// A column's default as ColumnDetails::default_value spells it, from information_schema.COLUMNS'
// COLUMN_DEFAULT (`value`, null for SQL NULL), EXTRA and the column's kind of type. A server
// that quotes string defaults itself (`quoted_by_server`, MariaDB 10.2.7 and later) gives the
// text NULL for no default; on the others (MySQL), a default is quoted (quotes and backslashes
// doubled) unless EXTRA marks it an expression (DEFAULT_GENERATED), it is a number's or a bit
// string's, or it is a timestamp's CURRENT_TIMESTAMP.
MYSQL_ENGINE_EXPORT QString MysqlColumnDefault(QByteArrayView value, QByteArrayView extra,
                                               bool quoted_by_server, int32_t data_type);

// kAutoIncrement and kGenerated as information_schema.COLUMNS.EXTRA gives them, in any case:
// "auto_increment"; "VIRTUAL GENERATED", "STORED GENERATED" or, on older MariaDB, "PERSISTENT".
// MySQL's DEFAULT_GENERATED marks a default that is an expression, not a generated column.
MYSQL_ENGINE_EXPORT int32_t ExtraAttributes(QByteArrayView extra);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_MYSQL_MYSQL_CATALOG_H_
