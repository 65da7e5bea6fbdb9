// Opening databases and reading their catalogs in tests, the same way for every engine.
#ifndef VANTREL_TESTING_CATALOG_READING_H_
#define VANTREL_TESTING_CATALOG_READING_H_

#include <QString>
#include <QStringList>
#include <memory>

#include "dataaccess/data_objects.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace dataaccess::test_support {

// Opens through DataEngine (read-only, never prompting).
std::unique_ptr<DataConnection> Open(const QString& name, const QString& connect_string);

// The error that opening raises; fails the test (and returns error 0) when the database opens.
component::Error OpenFailure(const QString& name, const QString& connect_string);

// Table names in enumeration order.
QStringList TableNames(const DataConnection& connection);
// Column names of a table in enumeration order.
QStringList ColumnNames(const DataConnection& connection, const QString& table);
// Every compared property of every column, a line each ("table.column type size position
// required attributes zero-length"), in enumeration order.
QStringList ColumnProperties(const DataConnection& connection);
// Every field of every table's objects, a line each, in enumeration order:
//   "t: primary key NAME (a, b)"
//   "t: index NAME unique (a, expression lower(b) desc) where PREDICATE constraint"
//   "t: foreign key NAME (a) -> p (x) delete cascade update no action deferrable initially
//    deferred match full"
//   "t: check NAME (EXPRESSION)"
// with the words of flags that are false, an empty predicate and the origin kIndex left out.
QStringList ObjectProperties(const DataConnection& connection);
// A table's column details, view query and triggers in one line, every field:
//   "c default [TEXT] collate C charset S locale L nondeterministic as (EXPR) stored; view [Q];
//    TR NAME TIMING EVENTS of COLUMNS row when COND [BODY]"
// a default in brackets, so that an empty one differs from none; flags that are false, empty
// texts and a null default left out. Empty for null.
QString DescribeDetails(const TableObjects* objects);
// What the connection says of the database besides its tables, a line each: "collation NAME
// charset S locale L nondeterministic", then for each sequence "sequence NAME MIN..MAX from
// START by INCREMENT cycle owned by T.C".
QStringList DatabaseProperties(const DataConnection& connection);

}  // namespace dataaccess::test_support

#endif  // VANTREL_TESTING_CATALOG_READING_H_
