// The ODBC driver: accepts ODBC connection strings (see odbc_session.h), opens a read-only
// session through unixODBC, reads the catalog with the ODBC catalog functions and disconnects at
// once. DatabaseName is the data source's current database.
#ifndef VANTREL_DATAACCESS_ODBC_ODBC_DRIVER_H_
#define VANTREL_DATAACCESS_ODBC_ODBC_DRIVER_H_

#include "dataaccess/odbc/odbc_export.h"
#include "dataaccess/server/server_driver.h"

namespace dataaccess {

ODBC_ENGINE_EXPORT ServerEngine OdbcEngine();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ODBC_ODBC_DRIVER_H_
