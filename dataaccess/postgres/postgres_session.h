// Opening a read-only session on a PostgreSQL server with libpq.
//
// A connect string is a libpq URI ("postgresql://user@host:5432/db?sslmode=disable") or a libpq
// keyword string ("host=db.example.org dbname=sales user=ann"). Everything libpq offers applies:
// environment variables (PGHOST, PGUSER...), service files and passwords kept in ~/.pgpass, so
// that a connect string need not hold a password.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_SESSION_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_SESSION_H_

#include <libpq-fe.h>

#include <QString>
#include <memory>

#include "dataaccess/drivers/driver.h"
#include "dataaccess/postgres/postgres_export.h"

namespace dataaccess {

struct PgConnDeleter {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};
using PgConnection = std::unique_ptr<PGconn, PgConnDeleter>;

struct PgResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

// True when `connect_string` is a PostgreSQL URI or a string of libpq keywords.
POSTGRES_EXPORT bool IsPostgresConnectString(const QString& connect_string);

// Connects as `request` says: `request.name`, when given and not the connect string itself,
// names the database and overrides the one of the connect string. The session is read-only at
// the server (default_transaction_read_only), and connecting gives up after 5 seconds unless the
// connect string sets connect_timeout. `request.password`, when given, is the password for this
// session only. When the server wants a password and libpq has none, the installed prompter is
// asked as dataaccess/server/password_prompt.h says.
//
// Throws component::Error: kUnknownConnectString (the string cannot be parsed), kLoginFailed
// (credentials refused or missing), kPromptCancelled (the prompter gave no password),
// kUnknownDatabase, kConnectTimeout, kConnectFailed (anything else that keeps the session from
// opening). Descriptions never hold a password.
// With `writable` the session is not made read-only: only for a scratch database the user gave
// to write in (dataaccess/scratch_server.h).
POSTGRES_EXPORT PgConnection OpenPostgresSession(const ConnectRequest& request,
                                                 bool writable = false);

// The connect string that reopens `database` (the one a session is open on): `request`'s own
// connect string when it already names that database, otherwise its parameters with dbname
// replaced. Holds a password only when the request's connect string held one. Throws
// kUnknownConnectString when libpq cannot read the request's connect string.
POSTGRES_EXPORT QString PostgresReopenString(const ConnectRequest& request,
                                             const QString& database);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_SESSION_H_
