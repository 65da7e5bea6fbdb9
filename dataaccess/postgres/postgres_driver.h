// The PostgreSQL driver: accepts libpq URIs ("postgresql://…", "postgres://…") and libpq keyword
// strings ("host=… dbname=…"), opens a read-only session, reads the whole catalog and ends the
// session at once. DatabaseName is the server's name of the database.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_

#include "dataaccess/postgres/postgres_export.h"
#include "dataaccess/server/server_driver.h"

namespace dataaccess {

POSTGRES_EXPORT ServerEngine PostgresEngine();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
