// The schema a PostgreSQL connect string names, which libpq does not know: the URI parameter
// "?schema=NAME" or the keyword "schema=NAME" (see dataaccess/schema_set.h). Pure functions: any
// thread.
#ifndef VANTREL_DATAACCESS_SERVER_SCHEMA_PARAMETER_H_
#define VANTREL_DATAACCESS_SERVER_SCHEMA_PARAMETER_H_

#include <QString>
#include <optional>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

struct PostgresSchemaSplit {
  QString connect_string;         // without the schema, for libpq
  std::optional<QString> schema;  // decoded; nullopt when none is named
};

// Splits a URI or keyword string; a string that cannot be read comes back whole with no schema
// (libpq then says what is wrong with it). When the schema is given twice the last one counts,
// as libpq does for its own keywords.
DATAACCESS_EXPORT PostgresSchemaSplit SplitPostgresSchema(const QString& connect_string);

// `connect_string` (without a schema) naming `schema`.
DATAACCESS_EXPORT QString WithPostgresSchema(const QString& connect_string, const QString& schema);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_SCHEMA_PARAMETER_H_
