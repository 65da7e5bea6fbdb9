#include "testing/server_test_support.h"

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <mysql.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QUrl>

#include "dataaccess/data_engine.h"
#include "platform/component/error.h"

namespace dataaccess::test_support {
namespace {

const QHash<QString, QString>& Facts() {
  static const QHash<QString, QString> facts = [] {
    QHash<QString, QString> read;
    QString path = qEnvironmentVariable("VANTREL_TEST_SERVERS");
    if (path.isEmpty()) path = QStringLiteral(VANTREL_DEFAULT_SERVER_STATE);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return read;
    while (!file.atEnd()) {
      const QString line = QString::fromUtf8(file.readLine()).trimmed();
      const qsizetype equals = line.indexOf(u'=');
      if (equals > 0) read.insert(line.left(equals), line.mid(equals + 1));
    }
    return read;
  }();
  return facts;
}

}  // namespace

QString ServerFact(const QString& key) { return Facts().value(key); }

QString ServerProblem(const QString& engine) {
  if (Facts().isEmpty()) {
    return QStringLiteral("no state file (run the tests through ctest, which starts the servers)");
  }
  const QString status = ServerFact(engine + QStringLiteral("_STATUS"));
  // An engine the state file does not name (a misspelt one) is no server that runs.
  if (status.isEmpty()) return QStringLiteral("the state file names no %1 server").arg(engine);
  return status == u"ok" ? QString() : status;
}

void UseTestOdbcConfiguration() {
  qputenv("ODBCSYSINI", ServerFact("ODBCSYSINI").toUtf8());
  qputenv("ODBCINI", ServerFact("ODBCINI").toUtf8());
}

QString PostgresUri(const QString& database) {
  return QStringLiteral("postgresql://%1:%2@%3:%4/%5")
      .arg(ServerFact("PG_USER"), ServerFact("PG_PASSWORD"), ServerFact("PG_HOST"),
           ServerFact("PG_PORT"), QString::fromUtf8(QUrl::toPercentEncoding(database)));
}

QString MysqlUri(const QString& database) {
  return QStringLiteral("mysql://%1:%2@%3:%4/%5")
      .arg(ServerFact("MARIADB_USER"), ServerFact("MARIADB_PASSWORD"), ServerFact("MARIADB_HOST"),
           ServerFact("MARIADB_PORT"), QString::fromUtf8(QUrl::toPercentEncoding(database)));
}

namespace {

// A session of the PostgreSQL superuser on `database` (the server's default when empty), through
// the server's socket; PQstatus tells whether it opened.
PGconn* PostgresSuperuser(const QString& database) {
  const QByteArray info = QStringLiteral("host=%1 port=%2 user=postgres dbname=%3")
                              .arg(ServerFact("PG_SOCKET_DIR"), ServerFact("PG_PORT"),
                                   database.isEmpty() ? QStringLiteral("postgres") : database)
                              .toUtf8();
  return PQconnectdb(info.constData());
}

// A session of MariaDB's root in utf8mb4; mysql_errno tells whether it opened. Closed with
// mysql_close either way.
MYSQL* MysqlRoot() {
  MYSQL* mysql = mysql_init(nullptr);
  mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  mysql_real_connect(mysql, "127.0.0.1", "root", nullptr, nullptr,
                     ServerFact("MARIADB_PORT").toUInt(), nullptr, 0);
  return mysql;
}

}  // namespace

void RunPostgres(const QString& database, const QStringList& statements) {
  PGconn* conn = PostgresSuperuser(database);
  ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
  for (const QString& sql : statements) {
    PGresult* result = PQexec(conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        << sql.toStdString() << ": " << PQerrorMessage(conn);
    PQclear(result);
  }
  PQfinish(conn);
}

void RunMysql(const QStringList& statements) {
  MYSQL* mysql = MysqlRoot();
  ASSERT_EQ(mysql_errno(mysql), 0U) << mysql_error(mysql);
  for (const QString& sql : statements) {
    EXPECT_EQ(mysql_query(mysql, sql.toUtf8().constData()), 0)
        << sql.toStdString() << ": " << mysql_error(mysql);
    if (MYSQL_RES* result = mysql_store_result(mysql)) mysql_free_result(result);
  }
  mysql_close(mysql);
}

QString PostgresError(const QString& database, const QString& sql) {
  PGconn* conn = PostgresSuperuser(database);
  PGresult* result = PQexec(conn, sql.toUtf8().constData());
  const ExecStatusType status = PQresultStatus(result);
  QString error = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK
                      ? QString()
                      : QString::fromUtf8(PQerrorMessage(conn)).trimmed();
  PQclear(result);
  PQfinish(conn);
  return error;
}

QString MysqlError(const QString& sql) {
  MYSQL* mysql = MysqlRoot();
  QString error;
  if (mysql_errno(mysql) != 0 || mysql_query(mysql, sql.toUtf8().constData()) != 0) {
    error = QString::fromUtf8(mysql_error(mysql));
  }
  if (MYSQL_RES* result = mysql_store_result(mysql)) mysql_free_result(result);
  mysql_close(mysql);
  return error;
}

QString PostgresValue(const QString& database, const QString& sql) {
  PGconn* conn = PostgresSuperuser(database);
  PGresult* result = PQexec(conn, sql.toUtf8().constData());
  QString value;
  if (PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) > 0) {
    value = QString::fromUtf8(PQgetvalue(result, 0, 0));
  } else {
    ADD_FAILURE() << sql.toStdString() << ": " << PQerrorMessage(conn);
  }
  PQclear(result);
  PQfinish(conn);
  return value;
}

QString MysqlValue(const QString& sql) {
  MYSQL* mysql = MysqlRoot();
  QString value;
  if (mysql_errno(mysql) == 0 && mysql_query(mysql, sql.toUtf8().constData()) == 0) {
    if (MYSQL_RES* result = mysql_store_result(mysql)) {
      if (MYSQL_ROW row = mysql_fetch_row(result)) value = QString::fromUtf8(row[0]);
      mysql_free_result(result);
    }
  } else {
    ADD_FAILURE() << sql.toStdString() << ": " << mysql_error(mysql);
  }
  mysql_close(mysql);
  return value;
}

QStringList PostgresSampleSchema() {
  return {
      "CREATE SCHEMA other",
      "CREATE SCHEMA \"Schéma X\"",
      // Statements longer than a line go on in the next literal.
      // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
      "CREATE TABLE alpha (id serial PRIMARY KEY, name varchar(40) NOT NULL, "
      "price numeric(10,2), note text)",
      "CREATE TABLE beta (a int4, b integer, c int, d varchar(20), e character varying(20), "
      "f numeric(10,2), g numeric(12,2))",
      "CREATE VIEW v_alpha AS SELECT id, name FROM alpha",
      "CREATE TABLE other.gamma (x bigint)",
      "CREATE TABLE empty_table ()",
      "CREATE TABLE families (c_bool boolean, c_small smallint, c_int integer, c_big bigint, "
      "c_num numeric(8,3), c_numplain numeric, c_real real, c_double double precision, "
      "c_char char(5), c_varchar varchar(30), c_varchar_free varchar, c_text text, "
      "c_bytea bytea, c_date date, c_time time, c_timetz time with time zone, "
      "c_ts timestamp(3), c_tstz timestamptz, c_interval interval, c_uuid uuid, c_json json, "
      "c_money money, c_bit bit(4), c_varbit bit varying(8), c_xml xml, c_inet inet, "
      "c_arr integer[])",
      "CREATE SEQUENCE free_seq",
      "CREATE SEQUENCE other.far_seq",
      "CREATE TABLE numbering (s serial, bs bigserial, ia int GENERATED ALWAYS AS IDENTITY, "
      "ib bigint GENERATED BY DEFAULT AS IDENTITY, shared int NOT NULL DEFAULT "
      "nextval('free_seq'), g int GENERATED ALWAYS AS (s * 2) STORED, far int NOT NULL DEFAULT "
      "nextval('other.far_seq'::regclass), label text DEFAULT 'n' || nextval('free_seq'))",
      "CREATE TABLE dropped (a int, b int, c int, d int)",
      "ALTER TABLE dropped DROP COLUMN b",
      "CREATE TABLE \"Mixed Case \"\"Quoted\"\" Tëst\" (\"Spalte Größe\" int, \"lower\" int, "
      "\"UPPER\" int)",
      "CREATE TABLE \"Schéma X\".\"Ünïcode tablé\" (x int)",
  };
}

void RecreatePostgresDatabase(const QString& database) {
  QString quoted = database;
  quoted.replace(u'"', QStringLiteral("\"\""));
  RunPostgres(QString(), {QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(quoted),
                          QStringLiteral("CREATE DATABASE \"%1\"").arg(quoted)});
}

void RecreateMysqlDatabase(const QString& database) {
  QString quoted = database;
  quoted.replace(u'`', QStringLiteral("``"));
  RunMysql({QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(quoted),
            QStringLiteral("CREATE DATABASE `%1`").arg(quoted)});
}

QStringList CatalogDifferences(const DataConnection& a, const DataConnection& b) {
  QStringList differences;
  const QStringList a_tables = TableNames(a);
  const QStringList b_tables = TableNames(b);
  if (a_tables != b_tables) {
    differences.append(
        QStringLiteral("tables: %1 vs %2").arg(a_tables.join(u", "), b_tables.join(u", ")));
  }
  for (const QString& table : a_tables) {
    if (!b_tables.contains(table)) continue;
    const ColumnCollection& b_columns = b.Tables().Item(table).Columns();
    auto columns = a.Tables().Item(table).Columns().Enumerate();
    if (a.Tables().Item(table).Columns().Count() != b_columns.Count()) {
      differences.append(table + QStringLiteral(": column count differs"));
    }
    while (DataColumn* x = columns->Next()) {
      const QString where = table + u'.' + x->Name();
      DataColumn* y = nullptr;
      try {
        y = &b_columns.Item(x->Name());
      } catch (const component::Error&) {
        differences.append(where + QStringLiteral(": missing"));
        continue;
      }
      const auto check = [&](const char* what, qint64 p, qint64 q) {
        if (p != q)
          differences.append(QStringLiteral("%1: %2 %3 vs %4").arg(where, what).arg(p).arg(q));
      };
      check("DataType", x->DataType(), y->DataType());
      check("Size", x->Size(), y->Size());
      check("OrdinalPosition", x->OrdinalPosition(), y->OrdinalPosition());
      check("Required", x->Required(), y->Required());
      check("Attributes", x->Attributes(), y->Attributes());
      check("AllowZeroLength", x->AllowZeroLength(), y->AllowZeroLength());
    }
  }
  return differences;
}

SilentPort::SilentPort() {
  socket_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  EXPECT_EQ(listen(socket_, 16), 0);
  socklen_t length = sizeof(address);
  getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
}

SilentPort::~SilentPort() { close(socket_); }

int ClosedPort() {
  // A port that was just free; nothing listens on it once the socket is closed.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  socklen_t length = sizeof(address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

CountingPort::CountingPort() {
  socket_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  EXPECT_EQ(bind(socket_, reinterpret_cast<sockaddr*>(&address), length), 0);
  EXPECT_EQ(listen(socket_, 16), 0);
  getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] {
    while (!stop_) {
      pollfd waiting{socket_, POLLIN, 0};
      if (poll(&waiting, 1, 20) <= 0) continue;
      const int client = accept(socket_, nullptr, nullptr);
      if (client < 0) continue;
      ++connections_;
      close(client);
    }
  });
}

CountingPort::~CountingPort() {
  stop_ = true;
  thread_.join();
  close(socket_);
}

QString BuildDatabase(Engine engine, const QString& name, QStringList statements,
                      SqliteTestFolder& folder) {
  switch (engine) {
    case Engine::kSqlite:
      return folder.CreateDatabase(name + ".db", statements.join(";\n").toUtf8().constData());
    case Engine::kPostgres:
      RecreatePostgresDatabase(name);
      RunPostgres(name, statements);
      return PostgresUri(name);
    case Engine::kMariadb:
      statements.prepend("USE " + name);
      RecreateMysqlDatabase(name);
      RunMysql(statements);
      return MysqlUri(name);
  }
  return {};
}

}  // namespace dataaccess::test_support
