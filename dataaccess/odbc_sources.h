// The ODBC data sources a user can pick from, for a connection dialog's list. Any thread may call
// it; it reads unixODBC's configuration afresh each time.
#ifndef VANTREL_DATAACCESS_ODBC_SOURCES_H_
#define VANTREL_DATAACCESS_ODBC_SOURCES_H_

#include <QStringList>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// The names of the data sources unixODBC knows, user ones (ODBCINI, ~/.odbc.ini) first and then
// system ones (odbc.ini in ODBCSYSINI), each name once. Empty when there are none or the driver
// manager cannot start; never throws. "ODBC;DSN=" + a name is a connect string for
// OpenConnection.
DATAACCESS_EXPORT QStringList OdbcDataSourceNames() noexcept;

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ODBC_SOURCES_H_
