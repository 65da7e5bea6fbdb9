// MySQL and MariaDB write a string literal with backslash escapes ('it\'s', 'a\\b', 'tab\t');
// the standard, PostgreSQL and SQLite double a quote ('it''s') and take a backslash as itself.
// The catalogs of the two servers show defaults, checks and generation expressions in their own
// spelling, which this turns into the standard one, so that one value is one text everywhere.
//
// Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_CATALOG_MYSQL_STRINGS_H_
#define VANTREL_DATAACCESS_CATALOG_MYSQL_STRINGS_H_

#include <QString>
#include <QStringView>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// `text`, MySQL SQL, with each single-quoted string respelled the standard way: its escapes
// undone (\' \" \\ \0 \b \n \r \t \Z; \% and \_ keep their backslash, as in MySQL; any other
// escaped character stands for itself) and quotes doubled. Quoted names, double-quoted strings
// and comments are left as they are; a text with an unterminated string is returned unchanged.
DATAACCESS_EXPORT QString MysqlStringsAsStandard(QStringView text);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_MYSQL_STRINGS_H_
