// Opening a read-only session through unixODBC, so that any ODBC driver a user has installed
// (psqlODBC, FreeTDS for SQL Server, ...) can serve as a source.
//
// A connect string is an ODBC connection string, with or without an "ODBC;" prefix:
// "ODBC;DSN=sales;UID=ann;PWD=secret", "DRIVER={PostgreSQL Unicode};SERVER=db;DATABASE=sales".
// Passwords may stay in the DSN's own configuration (odbc.ini) instead.
#ifndef VANTREL_DATAACCESS_ODBC_ODBC_SESSION_H_
#define VANTREL_DATAACCESS_ODBC_ODBC_SESSION_H_

#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <memory>

#include "dataaccess/drivers/driver.h"
#include "dataaccess/odbc/odbc_export.h"

namespace dataaccess {

// An open ODBC session; the destructor disconnects and frees its handles.
class ODBC_ENGINE_EXPORT OdbcSession {
 public:
  OdbcSession();
  ~OdbcSession();
  OdbcSession(const OdbcSession&) = delete;
  OdbcSession& operator=(const OdbcSession&) = delete;

  SQLHENV environment() const { return environment_; }
  SQLHDBC connection() const { return connection_; }
  bool connected() const { return connected_; }
  void set_connected() { connected_ = true; }

  // SQLGetInfo text, empty when the driver does not say.
  QString Info(SQLUSMALLINT type) const;
  // The database the session is open on (the current catalog).
  QString CurrentDatabase() const;
  // Runs one statement; returns false, with the driver's message in `message`, when it fails.
  bool Execute(const QString& sql, QString* message = nullptr) const;
  // The first column of the first row of a query, or an empty text.
  QString QueryText(const QString& sql) const;

 private:
  SQLHENV environment_ = SQL_NULL_HENV;
  SQLHDBC connection_ = SQL_NULL_HDBC;
  bool connected_ = false;
};

// The connection string without its "ODBC;" prefix, with the database keyword (DATABASE or DB)
// replaced by `database` when that is not empty.
ODBC_ENGINE_EXPORT QString OdbcConnectionString(const QString& connect_string,
                                                const QString& database);

// Connects without ever prompting (`request.name`, when given and not the connect string itself,
// names the database), gives up logging in after 5 seconds, asks the driver for a read-only
// connection and, on engines that support it, makes the server session read-only as well
// (PostgreSQL, MySQL/MariaDB, SQL Server cannot be made read-only per session).
//
// Throws component::Error: kDriverMissing (no such DSN or driver), kLoginFailed,
// kUnknownDatabase, kConnectTimeout, kConnectFailed. Descriptions never hold a password.
ODBC_ENGINE_EXPORT std::unique_ptr<OdbcSession> OpenOdbcSession(const ConnectRequest& request);

// The connect string that reopens the session's database: the request's own when `name` did not
// override the database, otherwise it with the database keyword replaced.
ODBC_ENGINE_EXPORT QString OdbcReopenString(const ConnectRequest& request);

// The message of the last failure on `handle`, with its SQLSTATE in `state`.
ODBC_ENGINE_EXPORT QString OdbcDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle,
                                           QString* state = nullptr);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ODBC_ODBC_SESSION_H_
