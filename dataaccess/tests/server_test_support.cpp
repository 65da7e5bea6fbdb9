#include "dataaccess/tests/server_test_support.h"

#include <arpa/inet.h>
#include <libpq-fe.h>
#include <mysql.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QUrl>

#include "dataaccess/data_engine.h"

namespace dataaccess::testing {
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

void RunPostgres(const QString& database, const QStringList& statements) {
  const QByteArray info = QStringLiteral("host=%1 port=%2 user=postgres dbname=%3")
                              .arg(ServerFact("PG_SOCKET_DIR"), ServerFact("PG_PORT"),
                                   database.isEmpty() ? QStringLiteral("postgres") : database)
                              .toUtf8();
  PGconn* conn = PQconnectdb(info.constData());
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
  MYSQL* mysql = mysql_init(nullptr);
  mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  ASSERT_NE(mysql_real_connect(mysql, "127.0.0.1", "root", nullptr, nullptr,
                               ServerFact("MARIADB_PORT").toUInt(), nullptr, 0),
            nullptr)
      << mysql_error(mysql);
  for (const QString& sql : statements) {
    EXPECT_EQ(mysql_query(mysql, sql.toUtf8().constData()), 0)
        << sql.toStdString() << ": " << mysql_error(mysql);
    if (MYSQL_RES* result = mysql_store_result(mysql)) mysql_free_result(result);
  }
  mysql_close(mysql);
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

std::unique_ptr<DataConnection> Open(const QString& name, const QString& connect_string) {
  return DataEngine::Instance().Environments().Item(0).OpenConnection(name, kPromptNever, true,
                                                                      connect_string);
}

QStringList TableNames(const DataConnection& connection) {
  QStringList names;
  auto tables = connection.Tables().Enumerate();
  while (DataTable* table = tables->Next()) names.append(table->Name());
  return names;
}

QStringList ColumnNames(const DataConnection& connection, const QString& table) {
  QStringList names;
  auto columns = connection.Tables().Item(table).Columns().Enumerate();
  while (DataColumn* column = columns->Next()) names.append(column->Name());
  return names;
}

SilentPort::SilentPort() {
  socket_ = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  listen(socket_, 16);
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
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

}  // namespace dataaccess::testing
