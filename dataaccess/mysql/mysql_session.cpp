#include "dataaccess/mysql/mysql_session.h"

#include <errmsg.h>
#include <mysqld_error.h>
#include <poll.h>

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <chrono>
#include <optional>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_mask.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/password_prompt.h"
#include "dataaccess/server/server_connect.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr int kDefaultConnectTimeoutSeconds = 5;

struct UriParts {
  QByteArray host;
  QByteArray user;
  QByteArray password;
  QByteArray database;
  QByteArray socket;
  QByteArray option_file;
  QByteArray option_group = "client";
  unsigned port = 0;
  bool has_user = false;
  bool has_password = false;
  bool has_database = false;
  int connect_timeout = kDefaultConnectTimeoutSeconds;
};

[[noreturn]] void ThrowBadUri(const QString& connect_string, const QString& why) {
  throw component::Error(kUnknownConnectString, ErrorSource(),
                         QStringLiteral("Cannot read the MySQL connect string '%1': %2")
                             .arg(MaskPasswords(connect_string), why));
}

// Each part is taken as the bytes it encodes, which the server compares byte for byte: see
// UrlPartBytes for what QUrl's own decoding would change.
UriParts ParseUri(const QString& connect_string) {
  const QUrl url(connect_string.trimmed(), QUrl::StrictMode);
  if (!url.isValid()) {
    // QUrl's reason, without the whole URI it appends (already shown, masked, before it).
    ThrowBadUri(connect_string,
                url.errorString().section(QStringLiteral("; source was"), 0, 0) +
                    QStringLiteral(": write it as mysql://USER@HOST:PORT/DATABASE (a password "
                                   "follows USER after a colon), with %XX for each byte of a "
                                   "character that means something in a URI"));
  }
  UriParts parts;
  parts.host = url.host(QUrl::FullyDecoded).toUtf8();
  if (url.port() > 0) parts.port = static_cast<unsigned>(url.port());
  parts.has_user = !url.userName().isEmpty();
  parts.user = UrlPartBytes(url.userName(QUrl::FullyEncoded));
  const QString password = url.password(QUrl::FullyEncoded);
  parts.has_password = !password.isNull();
  parts.password = UrlPartBytes(password);
  parts.database = MysqlUrlDatabase(url);
  parts.has_database = !parts.database.isEmpty();
  const QUrlQuery query(url);
  for (const auto& [encoded_key, encoded_value] : query.queryItems(QUrl::FullyEncoded)) {
    const QString key = QString::fromUtf8(UrlPartBytes(encoded_key));
    const QByteArray value = UrlPartBytes(encoded_value);
    if (key == u"socket") {
      parts.socket = value;
    } else if (key == u"option-file") {
      parts.option_file = value;
    } else if (key == u"option-group") {
      parts.option_group = value;
    } else if (key == u"connect-timeout") {
      bool ok = false;
      parts.connect_timeout = value.toInt(&ok);
      if (!ok || parts.connect_timeout <= 0) {
        ThrowBadUri(connect_string,
                    "connect-timeout must be a whole number of seconds above 0, such as "
                    "connect-timeout=10");
      }
    } else {
      ThrowBadUri(connect_string, QStringLiteral("unknown option '%1': the options are socket, "
                                                 "option-file, option-group and connect-timeout")
                                      .arg(key));
    }
  }
  // The client library takes C strings: a "%00" would silently cut a password short.
  for (const QByteArray* part : {&parts.user, &parts.password, &parts.database, &parts.socket,
                                 &parts.option_file, &parts.option_group}) {
    if (part->contains('\0')) {
      ThrowBadUri(connect_string,
                  "a part holds a NUL byte (%00), which MySQL cannot take: remove it from the URI");
    }
  }
  return parts;
}

MysqlConnection NewHandle(const UriParts& parts) {
  MysqlConnection mysql(mysql_init(nullptr));
  if (!mysql) {
    throw component::Error(kConnectFailed, ErrorSource(),
                           QStringLiteral("Out of memory while connecting to MySQL"));
  }
  // The deadline of ConnectWithin decides; the library's timeout is only a backstop.
  const unsigned timeout = static_cast<unsigned>(parts.connect_timeout + 2);
  mysql_optionsv(mysql.get(), MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  mysql_optionsv(mysql.get(), MYSQL_READ_DEFAULT_GROUP, parts.option_group.constData());
  if (!parts.option_file.isEmpty()) {
    mysql_optionsv(mysql.get(), MYSQL_READ_DEFAULT_FILE, parts.option_file.constData());
  }
  mysql_optionsv(mysql.get(), MYSQL_SET_CHARSET_NAME, "utf8mb4");
  mysql_optionsv(mysql.get(), MYSQL_OPT_NONBLOCK, nullptr);
  return mysql;
}

// Connects with the non-blocking calls so that the whole handshake, not only the TCP connect,
// is bounded: a server that accepts the connection and never greets would otherwise hold a
// blocking connect for as long as the read timeout, which must stay unbounded for the catalog
// query of a large database.
bool ConnectWithin(MYSQL* mysql, const UriParts& parts, const QString& typed_password,
                   bool* timed_out) {
  using Clock = std::chrono::steady_clock;
  // A password in the URI wins; without one, nullptr lets the option files supply it.
  QByteArray typed = typed_password.toUtf8();
  struct WipedWhenDone {
    QByteArray& password;
    ~WipedWhenDone() { WipePassword(password); }
  } wiped{typed};
  const char* password = nullptr;
  if (parts.has_password) {
    password = parts.password.constData();
  } else if (!typed.isEmpty()) {
    password = typed.constData();
  }
  const auto deadline = Clock::now() + std::chrono::seconds(parts.connect_timeout);
  MYSQL* result = nullptr;
  int status = mysql_real_connect_start(
      &result, mysql, parts.host.isEmpty() ? nullptr : parts.host.constData(),
      parts.has_user ? parts.user.constData() : nullptr, password,
      parts.database.isEmpty() ? nullptr : parts.database.constData(), parts.port,
      parts.socket.isEmpty() ? nullptr : parts.socket.constData(), 0);
  while (status != 0) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      *timed_out = true;
      return false;
    }
    pollfd descriptor{mysql_get_socket(mysql), 0, 0};
    if (status & MYSQL_WAIT_READ) descriptor.events |= POLLIN;
    if (status & MYSQL_WAIT_WRITE) descriptor.events |= POLLOUT;
    if (status & MYSQL_WAIT_EXCEPT) descriptor.events |= POLLPRI;
    int wait = static_cast<int>(left);
    if (status & MYSQL_WAIT_TIMEOUT) {
      wait = std::min<int>(wait, static_cast<int>(mysql_get_timeout_value_ms(mysql)));
    }
    const int ready = poll(&descriptor, 1, wait);
    int events = 0;
    if (ready > 0) {
      if (descriptor.revents & (POLLIN | POLLERR | POLLHUP)) events |= MYSQL_WAIT_READ;
      if (descriptor.revents & (POLLOUT | POLLERR | POLLHUP)) events |= MYSQL_WAIT_WRITE;
      if (descriptor.revents & POLLPRI) events |= MYSQL_WAIT_EXCEPT;
    } else if (ready == 0 && (status & MYSQL_WAIT_TIMEOUT)) {
      events = MYSQL_WAIT_TIMEOUT;
    } else {
      continue;
    }
    status = mysql_real_connect_cont(&result, mysql, events);
  }
  // The library's own timeouts end the attempt as a lost connection.
  if (!result && Clock::now() >= deadline) *timed_out = true;
  return result != nullptr;
}

component::Error ConnectFailure(MYSQL* mysql, const QString& target, bool timed_out) {
  const QString server = QStringLiteral("MySQL server");
  if (timed_out) return ConnectError(kConnectTimeout, server, target, QString());
  int32_t number = kConnectFailed;
  switch (mysql_errno(mysql)) {
    case ER_ACCESS_DENIED_ERROR:
    case ER_DBACCESS_DENIED_ERROR:
    case ER_ACCESS_DENIED_NO_PASSWORD_ERROR:
      number = kLoginFailed;
      break;
    case ER_BAD_DB_ERROR:
      number = kUnknownDatabase;
      break;
  }
  return ConnectError(number, server, target, QString::fromUtf8(mysql_error(mysql)));
}

// What the password prompt needs when the server denied access for want of the right password;
// throws every other failure. The server's denial ("Access denied for user 'ann'@'host' (using
// password: NO)") names the user the client library sent, which may come from an option file,
// and says whether any password was sent at all.
std::optional<PasswordFailure> LoginFailure(MYSQL* mysql, const UriParts& parts,
                                            const QString& target, bool timed_out) {
  static const QRegularExpression denied(
      QStringLiteral("^Access denied for user '(.*)'@'[^']*' \\(using password: (YES|NO)\\)"));
  component::Error error = ConnectFailure(mysql, target, timed_out);
  const QRegularExpressionMatch match = denied.match(QString::fromUtf8(mysql_error(mysql)));
  if (timed_out || mysql_errno(mysql) != ER_ACCESS_DENIED_ERROR || !match.hasMatch()) throw error;
  PasswordRequest who;
  who.engine = QStringLiteral("MySQL");
  who.user = parts.has_user ? QString::fromUtf8(parts.user) : match.captured(1);
  // The client library reaches localhost, the host it takes when none is given, through the
  // Unix socket, and every other host over TCP; only TCP has a port.
  const bool over_tcp = !parts.host.isEmpty() && parts.host != "localhost";
  who.host = parts.host.isEmpty() ? QStringLiteral("localhost") : QString::fromUtf8(parts.host);
  who.port = over_tcp ? static_cast<int32_t>(mysql->port) : 0;
  who.database = QString::fromUtf8(parts.database);
  who.target = target;
  return PasswordFailure{match.captured(2) == u"NO", who, error};
}

// The database the session is open on; empty when it is on none. Throws kConnectFailed when the
// server cannot be asked.
QString MysqlDatabaseName(MYSQL* mysql) {
  MYSQL_RES* result = nullptr;
  if (mysql_query(mysql, "SELECT DATABASE()") != 0 || !(result = mysql_store_result(mysql))) {
    throw component::Error(
        kConnectFailed, ErrorSource(),
        QStringLiteral("Cannot ask the MySQL server which database the session is on: %1")
            .arg(QString::fromUtf8(mysql_error(mysql))));
  }
  QString name;
  if (MYSQL_ROW row = mysql_fetch_row(result); row && row[0]) name = QString::fromUtf8(row[0]);
  mysql_free_result(result);
  return name;
}

}  // namespace

MysqlConnection OpenMysqlSession(const ConnectRequest& request, QString* database_name,
                                 bool writable) {
  UriParts parts = ParseUri(request.connect_string);
  if (NameOverridesDatabase(request)) {
    parts.database = request.name.trimmed().toUtf8();
    parts.has_database = true;
  }
  const QString target = ConnectTarget(request);

  MysqlConnection mysql;
  OpenAskingForPassword(request, [&](const ConnectRequest& attempt) {
    // A failed handle is not reused: every attempt starts from a fresh one.
    mysql = NewHandle(parts);
    bool timed_out = false;
    return ConnectWithin(mysql.get(), parts, attempt.password, &timed_out)
               ? std::nullopt
               : LoginFailure(mysql.get(), parts, target, timed_out);
  });
  if (!writable && mysql_query(mysql.get(), "SET SESSION TRANSACTION READ ONLY") != 0) {
    throw ReadOnlyError(target, QString::fromUtf8(mysql_error(mysql.get())));
  }
  const QString database = MysqlDatabaseName(mysql.get());
  if (database.isEmpty()) {
    throw component::Error(kNoDatabaseGiven, ErrorSource(),
                           QStringLiteral("'%1' names no database: give one after the server, "
                                          "as in mysql://host/DATABASE")
                               .arg(target));
  }
  if (database_name) *database_name = database;
  return mysql;
}

QString MysqlReopenString(const ConnectRequest& request, const QString& database) {
  QString given = request.connect_string.trimmed();
  QUrl url(given, QUrl::StrictMode);
  if (QString::fromUtf8(MysqlUrlDatabase(url)) == database) return given;
  return WithMysqlUrlDatabase(url, database).toString(QUrl::FullyEncoded);
}

}  // namespace dataaccess
