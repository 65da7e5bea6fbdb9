// Connect strings as the drivers read them before any connection: which driver takes a string,
// and the strings that reopen a database after a session named it. Nothing here connects: only
// functions that read or write text are called.
//
// The input is a connect string and then a database name. Properties:
//   - PostgreSQL: a reopen string is a keyword string libpq reads, naming the database and
//     keeping every other parameter of the connect string;
//   - MySQL: a reopen string is a URI whose path is the database, with user, password, host,
//     port and options kept;
//   - ODBC: the reopen string of a database, reopened under another name, gives what the
//     original reopened under that name gives, when every braced value of the original is closed.
#include <fuzzer/FuzzedDataProvider.h>
#include <libpq-fe.h>

#include <QStringList>
#include <QUrl>
#include <QUrlQuery>
#include <map>
#include <vector>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/drivers/driver.h"
#include "dataaccess/mysql/mysql_session.h"
#include "dataaccess/odbc/odbc_session.h"
#include "dataaccess/postgres/postgres_session.h"
#include "fuzz/fuzz_check.h"
#include "platform/component/error.h"

namespace {

using dataaccess::ConnectRequest;

// The parameters libpq reads from `text`; false when it cannot read it.
bool LibpqParameters(const QString& text, std::map<QByteArray, QByteArray>* parameters) {
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &message);
  PQfreemem(message);
  if (!options) return false;
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    if (o->val) (*parameters)[o->keyword] = o->val;
  }
  PQconninfoFree(options);
  return true;
}

void CheckPostgres(const QString& connect_string, const QString& database) {
  if (!dataaccess::IsPostgresConnectString(connect_string)) return;
  std::map<QByteArray, QByteArray> given;
  if (!LibpqParameters(connect_string.trimmed(), &given)) return;
  // A connect string is text: a URI's percent-escape for a byte that is not UTF-8 has no place
  // in the keyword string that reopens the database.
  for (const auto& [keyword, value] : given) {
    if (QString::fromUtf8(value).toUtf8() != value) return;
  }
  const ConnectRequest request{QString(), connect_string, dataaccess::kPromptNever};
  const QString reopen = dataaccess::PostgresReopenString(request, database);
  std::map<QByteArray, QByteArray> read;
  const QString detail =
      connect_string + QStringLiteral(" / ") + database + QStringLiteral("\n -> ") + reopen;
  fuzz::Require(LibpqParameters(reopen, &read), "libpq reads a PostgreSQL reopen string", detail);
  fuzz::Require(read["dbname"] == database.toUtf8(), "the reopen string names the database",
                detail);
  read.erase("dbname");
  given.erase("dbname");
  fuzz::Require(read == given, "the reopen string keeps every other parameter", detail);
}

// A MySQL URI's parts are read as the session reads them: as the bytes they encode.
using dataaccess::UrlPartBytes;

// What a MySQL URI says apart from its path.
std::vector<QByteArray> UriParts(const QUrl& url) {
  std::vector<QByteArray> parts = {
      url.scheme().toUtf8(), UrlPartBytes(url.userName(QUrl::FullyEncoded)),
      UrlPartBytes(url.password(QUrl::FullyEncoded)), url.host(QUrl::FullyDecoded).toUtf8(),
      QByteArray::number(url.port())};
  for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyEncoded)) {
    parts.push_back(UrlPartBytes(key));
    parts.push_back(UrlPartBytes(value));
  }
  return parts;
}

void CheckMysql(const QString& connect_string, const QString& database) {
  const QUrl given(connect_string.trimmed(), QUrl::StrictMode);
  // The session opens only URIs that QUrl reads.
  if (!dataaccess::IsMysqlConnectString(connect_string) || !given.isValid()) return;
  const ConnectRequest request{QString(), connect_string, dataaccess::kPromptNever};
  const QString reopen = dataaccess::MysqlReopenString(request, database);
  const QUrl read(reopen, QUrl::StrictMode);
  const QString detail =
      connect_string + QStringLiteral(" / ") + database + QStringLiteral("\n -> ") + reopen;
  fuzz::Require(read.isValid(), "a MySQL reopen string is a URI", detail);
  fuzz::Require(dataaccess::MysqlUrlDatabase(read) == database.toUtf8(),
                "the reopen string's path is the database", detail);
  fuzz::Require(UriParts(read) == UriParts(given), "the reopen string keeps the rest of the URI",
                detail);
}

// True when every value of an ODBC connection string that opens with '{' is closed by a '}'
// ("}}" stands for a '}' inside it).
bool BracesClosed(const QString& text) {
  bool at_value = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (at_value && c == u'{') {
      for (++i;; ++i) {
        if (i >= text.size()) return false;
        if (text.at(i) != u'}') continue;
        if (i + 1 < text.size() && text.at(i + 1) == u'}') {
          ++i;
        } else {
          break;
        }
      }
      at_value = false;
    } else {
      at_value = c == u'=' || (at_value && c.isSpace());
    }
  }
  return true;
}

void CheckOdbc(const QString& connect_string, const QString& database) {
  const ConnectRequest named{database, connect_string, dataaccess::kPromptNever};
  const QString once = dataaccess::OdbcReopenString(named);
  if (!BracesClosed(connect_string)) return;
  const QString other = QStringLiteral("other");
  const QString twice = dataaccess::OdbcReopenString({other, once, dataaccess::kPromptNever});
  const QString direct =
      dataaccess::OdbcReopenString({other, connect_string, dataaccess::kPromptNever});
  fuzz::Require(twice == direct, "reopening an ODBC database under another name replaces it",
                connect_string + QStringLiteral(" / ") + database + QStringLiteral("\n -> ") +
                    once + QStringLiteral("\n -> ") + twice + QStringLiteral("\n != ") + direct);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string connect_bytes = input.ConsumeRandomLengthString();
  const std::string database_bytes = input.ConsumeRemainingBytesAsString();
  const QString connect_string = QString::fromStdString(connect_bytes);
  // A session reports its database as a C string: it never holds a NUL.
  const QString database = QString::fromStdString(database_bytes).remove(QChar(0));

  // Routing has no property of its own to check; every driver reads the string, under the
  // sanitizers.
  const ConnectRequest request{QString(), connect_string, dataaccess::kPromptNever};
  for (const dataaccess::Driver* driver : dataaccess::AllDrivers()) driver->Accepts(request);
  // A session is always open on a named database.
  if (database.isEmpty()) return 0;
  try {
    CheckPostgres(connect_string, database);
    CheckMysql(connect_string, database);
    CheckOdbc(connect_string, database);
  } catch (const component::Error& error) {
    fuzz::Require(false, "no error for a connect string that was checked first", error.what());
  }
  return 0;
}
