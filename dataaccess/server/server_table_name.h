// The name a server's table gets in the catalog, and so in the report.
//
// Tables of the default schema keep their plain names; tables of any other schema are named
// "schema.table". A schema or table name that holds a '.' or starts with '"' is written in double
// quotes, inner quotes doubled, so that the table "sales.orders" of the default schema
// ("\"sales.orders\"") and the table orders of the schema sales (sales.orders) never share a name.
#ifndef VANTREL_DATAACCESS_SERVER_SERVER_TABLE_NAME_H_
#define VANTREL_DATAACCESS_SERVER_SERVER_TABLE_NAME_H_

#include <QString>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

DATAACCESS_EXPORT QString ServerTableName(const QString& default_schema, const QString& schema,
                                          const QString& table);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_SERVER_TABLE_NAME_H_
