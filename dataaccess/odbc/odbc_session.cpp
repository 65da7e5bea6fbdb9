#include "dataaccess/odbc/odbc_session.h"

#include <QRegularExpression>
#include <QStringList>
#include <vector>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_mask.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/server_connect.h"
#include "platform/component/error.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use UTF-16 SQLWCHAR");

namespace dataaccess {
namespace {

constexpr SQLULEN kLoginTimeoutSeconds = 5;

SQLWCHAR* Wide(const QString& text) {
  return reinterpret_cast<SQLWCHAR*>(
      const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

QString StripPrefix(const QString& connect_string) {
  QString text = connect_string.trimmed();
  if (text.startsWith(u"ODBC;", Qt::CaseInsensitive)) text = text.mid(5);
  return text;
}

// KEY=VALUE pairs split at the semicolons outside braced values. As ODBC connection strings
// have them (and as OdbcValue writes them), a value that opens with '{' runs to the next '}' that
// is not doubled, "}}" standing for '}'; braces do not nest, and a '{' further on in a value is an
// ordinary character. Counting braces instead let "{a{b}" swallow every pair after it.
QStringList SplitPairs(const QString& text) {
  QStringList pairs;
  QString current;
  bool in_key = true;        // before the pair's first '='
  bool value_start = false;  // after it, with nothing but spaces since
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c == u';') {
      if (!current.trimmed().isEmpty()) pairs.append(current.trimmed());
      current.clear();
      in_key = true;
      value_start = false;
      continue;
    }
    current += c;
    if (in_key) {
      in_key = c != u'=';
      value_start = !in_key;
    } else if (value_start && c == u'{') {
      value_start = false;
      for (++i; i < text.size(); ++i) {
        current += text.at(i);
        if (text.at(i) != u'}') continue;
        if (i + 1 >= text.size() || text.at(i + 1) != u'}') break;
        current += text.at(++i);
      }
    } else if (!c.isSpace()) {
      value_start = false;
    }
  }
  if (!current.trimmed().isEmpty()) pairs.append(current.trimmed());
  return pairs;
}

QString KeyOf(const QString& pair) { return pair.section(u'=', 0, 0).trimmed().toUpper(); }

int32_t ClassifyFailure(const QString& state, const QString& message) {
  static const QRegularExpression database(
      QStringLiteral("database \".*\" does not exist|unknown database|cannot open database"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression login(
      QStringLiteral("password authentication failed|no password supplied|authentication "
                     "failed|access denied|login failed|role \".*\" does not exist"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression timeout(QStringLiteral("timeout expired|timed out"),
                                          QRegularExpression::CaseInsensitiveOption);
  if (state == u"IM002" || state == u"IM003") return kDriverMissing;
  if (state == u"3D000" || database.match(message).hasMatch()) return kUnknownDatabase;
  if (state == u"28000" || login.match(message).hasMatch()) return kLoginFailed;
  if (state.startsWith(u"HYT") || timeout.match(message).hasMatch()) return kConnectTimeout;
  return kConnectFailed;
}

component::Error Failure(int32_t number, const QString& target, const QString& detail) {
  if (number != kDriverMissing) {
    return ConnectError(number, QStringLiteral("ODBC data source"), target, detail);
  }
  return component::Error(number, ErrorSource(),
                          QStringLiteral("No ODBC data source or driver for '%1' (check the DSN "
                                         "or DRIVER name and the unixODBC configuration): %2")
                              .arg(target, detail));
}

}  // namespace

QString OdbcDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle, QString* state) {
  QStringList messages;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR sql_state[6] = {};
    SQLINTEGER native = 0;
    std::vector<SQLWCHAR> text(1024);
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLGetDiagRecW(handle_type, handle, record, sql_state, &native, text.data(),
                       static_cast<SQLSMALLINT>(text.size()), &length);
    if (!Succeeded(rc)) break;
    if (record == 1 && state) {
      *state = QString::fromUtf16(reinterpret_cast<const char16_t*>(sql_state), 5);
    }
    const qsizetype size = std::min<qsizetype>(length, static_cast<qsizetype>(text.size()) - 1);
    messages.append(
        QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), size).simplified());
  }
  return messages.join(u' ');
}

OdbcSession::OdbcSession() {
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment_))) {
    throw component::Error(kDriverMissing, ErrorSource(),
                           QStringLiteral("The ODBC driver manager cannot start"));
  }
  SQLSetEnvAttr(environment_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &connection_))) {
    SQLFreeHandle(SQL_HANDLE_ENV, environment_);
    throw component::Error(kDriverMissing, ErrorSource(),
                           QStringLiteral("The ODBC driver manager cannot start"));
  }
}

OdbcSession::~OdbcSession() {
  if (connected_) SQLDisconnect(connection_);
  SQLFreeHandle(SQL_HANDLE_DBC, connection_);
  SQLFreeHandle(SQL_HANDLE_ENV, environment_);
}

QString OdbcSession::Info(SQLUSMALLINT type) const {
  SQLWCHAR buffer[512] = {};
  SQLSMALLINT length = 0;
  if (!Succeeded(SQLGetInfoW(connection_, type, buffer, sizeof(buffer), &length))) return {};
  const qsizetype units = std::min<qsizetype>(length / 2, 511);
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
}

QString OdbcSession::CurrentDatabase() const {
  SQLWCHAR buffer[512] = {};
  SQLINTEGER length = 0;
  if (Succeeded(SQLGetConnectAttrW(connection_, SQL_ATTR_CURRENT_CATALOG, buffer, sizeof(buffer),
                                   &length))) {
    const qsizetype units = std::min<qsizetype>(length / 2, 511);
    QString name = QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
    if (!name.isEmpty()) return name;
  }
  return Info(SQL_DATABASE_NAME);
}

bool OdbcSession::Execute(const QString& sql, QString* message) const {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement))) return false;
  const SQLRETURN rc = SQLExecDirectW(statement, Wide(sql), SQL_NTS);
  const bool ok = Succeeded(rc) || rc == SQL_NO_DATA;
  if (!ok && message) *message = OdbcDiagnostics(SQL_HANDLE_STMT, statement);
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return ok;
}

QString OdbcSession::QueryText(const QString& sql) const {
  SQLHSTMT statement = SQL_NULL_HSTMT;
  if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement))) return {};
  QString value;
  if (Succeeded(SQLExecDirectW(statement, Wide(sql), SQL_NTS)) && Succeeded(SQLFetch(statement))) {
    SQLWCHAR buffer[512] = {};
    SQLLEN length = 0;
    if (Succeeded(SQLGetData(statement, 1, SQL_C_WCHAR, buffer, sizeof(buffer), &length)) &&
        length > 0) {
      const qsizetype units = std::min<qsizetype>(static_cast<qsizetype>(length / 2), 511);
      value = QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, statement);
  return value;
}

QString OdbcConnectionString(const QString& connect_string, const QString& database) {
  QString text = StripPrefix(connect_string);
  if (database.isEmpty()) return text;
  QStringList pairs;
  for (const QString& pair : SplitPairs(text)) {
    const QString key = KeyOf(pair);
    if (key != u"DATABASE" && key != u"DB") pairs.append(pair);
  }
  pairs.append(QStringLiteral("DATABASE=") + OdbcValue(database));
  return pairs.join(u';');
}

std::unique_ptr<OdbcSession> OpenOdbcSession(const ConnectRequest& request) {
  const QString database = NameOverridesDatabase(request) ? request.name.trimmed() : QString();
  const QString target = ConnectTarget(request);

  auto session = std::make_unique<OdbcSession>();
  SQLSetConnectAttr(session->connection(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  SQLSetConnectAttr(session->connection(), SQL_ATTR_ACCESS_MODE,
                    reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
  QString input = OdbcConnectionString(request.connect_string, database);
  std::vector<SQLWCHAR> completed(4096);
  SQLSMALLINT completed_length = 0;
  const SQLRETURN rc = SQLDriverConnectW(
      session->connection(), nullptr, Wide(input), SQL_NTS, completed.data(),
      static_cast<SQLSMALLINT>(completed.size()), &completed_length, SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) {
    QString state;
    const QString detail =
        MaskPasswords(OdbcDiagnostics(SQL_HANDLE_DBC, session->connection(), &state));
    const int32_t number = ClassifyFailure(state, detail);
    throw Failure(number, target, QStringLiteral("[%1] %2").arg(state, detail));
  }
  session->set_connected();

  // The access mode is only a hint to the driver; where the engine has a read-only session
  // mode, the server enforces it too.
  const QString dbms = session->Info(SQL_DBMS_NAME);
  QString sql;
  if (dbms.contains(u"PostgreSQL", Qt::CaseInsensitive)) {
    sql = QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY");
  } else if (dbms.contains(u"MySQL", Qt::CaseInsensitive) ||
             dbms.contains(u"MariaDB", Qt::CaseInsensitive)) {
    sql = QStringLiteral("SET SESSION TRANSACTION READ ONLY");
  }
  QString message;
  if (!sql.isEmpty() && !session->Execute(sql, &message)) {
    throw ReadOnlyError(target, message);
  }
  return session;
}

QString OdbcReopenString(const ConnectRequest& request) {
  if (!NameOverridesDatabase(request)) return request.connect_string.trimmed();
  return QStringLiteral("ODBC;") +
         OdbcConnectionString(request.connect_string, request.name.trimmed());
}

}  // namespace dataaccess
