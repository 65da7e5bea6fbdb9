// What the server tests share: the facts scripts/test-servers.sh wrote about the servers it
// started, administration sessions that create the databases under test, and a check that skips
// a test on a machine without the server (or fails it in CI, where the servers must run).
#ifndef VANTREL_TESTING_SERVER_TEST_SUPPORT_H_
#define VANTREL_TESTING_SERVER_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <thread>

#include "dataaccess/data_objects.h"
#include "testing/catalog_reading.h"
#include "testing/sqlite_test_file.h"

namespace dataaccess::test_support {

// The KEY=VALUE lines of the state file named by VANTREL_TEST_SERVERS (ctest sets it), or of
// the default state file of the build tree.
QString ServerFact(const QString& key);

// Empty when the engine's server runs; otherwise why not. `engine` is PG, MARIADB or ODBC.
QString ServerProblem(const QString& engine);

// Points unixODBC at the configuration the script wrote; call before any ODBC call.
void UseTestOdbcConfiguration();

#define VANTREL_REQUIRE_SERVER(engine)                                                            \
  do {                                                                                            \
    const QString problem = ::dataaccess::test_support::ServerProblem((engine));                  \
    if (!problem.isEmpty()) {                                                                     \
      if (qEnvironmentVariable("CI") == u"true") {                                                \
        FAIL() << "the " << (engine) << " test server is not running: " << problem.toStdString(); \
      }                                                                                           \
      GTEST_SKIP() << "no " << (engine) << " test server: " << problem.toStdString();             \
    }                                                                                             \
  } while (false)

// URIs that reach the test servers as their test users, with the password, on `database`.
QString PostgresUri(const QString& database);
QString MysqlUri(const QString& database);

// Runs SQL statements as the servers' superusers; fails the test on an error. `database` empty
// means the server's default database.
void RunPostgres(const QString& database, const QStringList& statements);
void RunMysql(const QStringList& statements);

// Runs one statement as the servers' superusers and gives the server's error message, empty when
// it succeeded: for statements a test expects the server to refuse.
QString PostgresError(const QString& database, const QString& sql);
QString MysqlError(const QString& sql);

// The first value of the first row `sql` returns, as the superusers see it; fails the test on an
// error. For counters kept at the server (sessions, connections).
QString PostgresValue(const QString& database, const QString& sql);
QString MysqlValue(const QString& sql);

// A schema that exercises every catalog feature: schemas, views, every type family, serial,
// identity and generated columns, a dropped column, names with quotes, spaces and non-ASCII.
QStringList PostgresSampleSchema();

// Drops `database` if it exists and creates it empty.
void RecreatePostgresDatabase(const QString& database);

// The engines a test builds its databases on.
enum class Engine { kSqlite, kPostgres, kMariadb };

// Creates database `name` on `engine` from `statements`, afresh (an SQLite file NAME.db in
// `folder`); returns its connect string.
QString BuildDatabase(Engine engine, const QString& name, QStringList statements,
                      SqliteTestFolder& folder);
void RecreateMysqlDatabase(const QString& database);

// Every way the catalogs of `a` and `b` differ, one line each ("T.C: DataType 2 vs 4").
QStringList CatalogDifferences(const DataConnection& a, const DataConnection& b);

// A TCP port on 127.0.0.1 that accepts connections into its backlog and never answers, for as
// long as the object lives; and a port where nothing listens.
class SilentPort {
 public:
  SilentPort();
  ~SilentPort();
  int port() const { return port_; }

 private:
  int socket_ = -1;
  int port_ = 0;
};
int ClosedPort();

// A TCP port on 127.0.0.1 that accepts connections, counts them and closes each at once, so that
// a client gives up quickly: whether a database was contacted at all.
class CountingPort {
 public:
  CountingPort();
  ~CountingPort();
  int port() const { return port_; }
  int connections() const { return connections_; }

 private:
  int socket_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
};

}  // namespace dataaccess::test_support

#endif  // VANTREL_TESTING_SERVER_TEST_SUPPORT_H_
