#include "dataaccess/postgres/postgres_session.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QStringList>
#include <optional>
#include <vector>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_forms.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/password_prompt.h"
#include "dataaccess/server/server_connect.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr char kDefaultConnectTimeout[] = "5";
constexpr char kReadOnlyOption[] = "-c default_transaction_read_only=on";

struct ConninfoDeleter {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Conninfo = std::unique_ptr<PQconninfoOption, ConninfoDeleter>;

// The parameters the connect string itself sets; throws kUnknownConnectString when libpq cannot
// read it.
Conninfo ParseConnectString(const QString& connect_string) {
  char* message = nullptr;
  Conninfo options(PQconninfoParse(connect_string.trimmed().toUtf8().constData(), &message));
  if (!options) {
    // libpq quotes the offending piece, which may be a password: the message keeps only what
    // is outside quotes, and the string itself is not repeated.
    static const QRegularExpression quoted(QStringLiteral("\\s*\"[^\"]*\"|\\s*'[^']*'"));
    QString detail = message ? QString::fromUtf8(message).trimmed() : QString();
    PQfreemem(message);
    detail.remove(quoted);
    throw component::Error(
        kUnknownConnectString, ErrorSource(),
        QStringLiteral("Cannot read the PostgreSQL connect string (%1)").arg(detail));
  }
  return options;
}

QString ValueOf(const PQconninfoOption* options, const char* keyword) {
  for (const PQconninfoOption* o = options; o && o->keyword; ++o) {
    if (qstrcmp(o->keyword, keyword) == 0 && o->val) return QString::fromUtf8(o->val);
  }
  return QString();
}

bool IsLibpqKeyword(const QString& word) {
  static const QStringList keywords = [] {
    QStringList list;
    const Conninfo defaults(PQconndefaults());
    for (const PQconninfoOption* o = defaults.get(); o && o->keyword; ++o) {
      list.append(QString::fromLatin1(o->keyword));
    }
    return list;
  }();
  return keywords.contains(word);
}

// libpq reports connection failures as text only; the server's part of it is in the server's
// message language, which a freshly created cluster keeps in English.
int32_t ClassifyConnectFailure(const QString& message) {
  static const QRegularExpression login(
      QStringLiteral("password authentication failed|no password supplied|authentication "
                     "failed|role \".*\" does not exist|no pg_hba\\.conf entry|password is "
                     "required|peer authentication"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression database(QStringLiteral("database \".*\" does not exist"),
                                           QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression timeout(QStringLiteral("timeout expired"),
                                          QRegularExpression::CaseInsensitiveOption);
  if (database.match(message).hasMatch()) return kUnknownDatabase;
  if (login.match(message).hasMatch()) return kLoginFailed;
  if (timeout.match(message).hasMatch()) return kConnectTimeout;
  return kConnectFailed;
}

// One connection attempt; the result may hold a failed connection, never nullptr.
PgConnection Connect(const ConnectRequest& request, const QByteArray& options) {
  // Later entries override what the expanded connect string sets, earlier ones only fill gaps.
  std::vector<std::pair<QByteArray, QByteArray>> parameters = {
      {"connect_timeout", kDefaultConnectTimeout},
      {"fallback_application_name", "vantrel"},
      {"dbname", request.connect_string.trimmed().toUtf8()},
      {"options", options},
  };
  if (NameOverridesDatabase(request)) parameters.push_back({"dbname", request.name.toUtf8()});
  if (!request.password.isEmpty()) parameters.push_back({"password", request.password.toUtf8()});
  std::vector<const char*> keywords;
  std::vector<const char*> values;
  for (const auto& [keyword, value] : parameters) {
    keywords.push_back(keyword.constData());
    values.push_back(value.constData());
  }
  keywords.push_back(nullptr);
  values.push_back(nullptr);

  PgConnection conn(PQconnectdbParams(keywords.data(), values.data(), 1));
  for (auto& [keyword, value] : parameters) {
    if (keyword == "password") WipePassword(value);
  }
  if (!conn) {
    throw component::Error(kConnectFailed, ErrorSource(),
                           QStringLiteral("Out of memory while connecting to PostgreSQL"));
  }
  return conn;
}

// Nothing when `conn` is open; what the password prompt needs when the server wanted a password
// or refused the one given. Throws for every other failure.
std::optional<PasswordFailure> LoginFailure(PGconn* conn, const QString& target) {
  if (PQstatus(conn) == CONNECTION_OK) return std::nullopt;
  const QString detail = QString::fromUtf8(PQerrorMessage(conn)).simplified();
  const int32_t number = ClassifyConnectFailure(detail);
  component::Error error =
      ConnectError(number, QStringLiteral("PostgreSQL server"), target, detail);
  const bool missing = PQconnectionNeedsPassword(conn) != 0;
  if (!missing && (number != kLoginFailed || PQconnectionUsedPassword(conn) == 0)) throw error;
  // libpq keeps the parameters of the host it tried last on a failed connection.
  PasswordRequest who;
  who.engine = QStringLiteral("PostgreSQL");
  who.user = QString::fromUtf8(PQuser(conn));
  who.host = QString::fromUtf8(PQhost(conn));
  who.port = QByteArray(PQport(conn)).toInt();
  who.database = QString::fromUtf8(PQdb(conn));
  who.target = target;
  return PasswordFailure{missing, who, error};
}

}  // namespace

bool IsPostgresConnectString(const QString& connect_string) {
  if (IsPostgresUri(connect_string)) return true;
  // A keyword string is libpq's when it starts with one of libpq's keywords, even if it cannot
  // be parsed: it then fails as a PostgreSQL string instead of being taken for a file name.
  const QString keyword = LeadingKeyword(connect_string);
  // "schema", which the driver takes out before libpq sees the string, may come first too.
  return !keyword.isEmpty() && (IsLibpqKeyword(keyword) || keyword == QLatin1String("schema"));
}

PgConnection OpenPostgresSession(const ConnectRequest& request, bool writable) {
  const Conninfo given = ParseConnectString(request.connect_string);
  QString options = ValueOf(given.get(), "options");
  if (options.isEmpty()) options = qEnvironmentVariable("PGOPTIONS");
  if (!writable) options = (options + u' ' + QLatin1String(kReadOnlyOption)).trimmed();
  const QString target = ConnectTarget(request);

  PgConnection conn;
  OpenAskingForPassword(request, [&](const ConnectRequest& attempt) {
    conn = Connect(attempt, options.toUtf8());
    return LoginFailure(conn.get(), target);
  });
  PQsetClientEncoding(conn.get(), "UTF8");
  return conn;
}

QString PostgresReopenString(const ConnectRequest& request, const QString& database) {
  const Conninfo given = ParseConnectString(request.connect_string);
  if (ValueOf(given.get(), "dbname") == database) return request.connect_string.trimmed();
  QStringList parts;
  bool has_database = false;
  for (const PQconninfoOption* o = given.get(); o->keyword; ++o) {
    if (!o->val) continue;
    const bool is_database = qstrcmp(o->keyword, "dbname") == 0;
    has_database |= is_database;
    parts.append(QString::fromUtf8(o->keyword) + u'=' +
                 LibpqValue(is_database ? database : QString::fromUtf8(o->val)));
  }
  if (!has_database) parts.append(QStringLiteral("dbname=") + LibpqValue(database));
  return parts.join(u' ');
}

}  // namespace dataaccess
