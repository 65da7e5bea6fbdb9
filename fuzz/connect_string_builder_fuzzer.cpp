// The connect string builder on any values: every string it writes reads back, by the client
// library's own reader (libpq for keyword strings and PostgreSQL URIs, QUrl and UrlPartBytes for
// the MySQL URIs the MySQL session reads with them, SQLDriverConnect's grammar for ODBC), as
// exactly the values given and nothing else, and masking it hides the password whole.
//
// The input gives the user, the password, the host, the database and one more value (a data
// source name, a query value).
#include <fuzzer/FuzzedDataProvider.h>

#include <QUrl>
#include <QUrlQuery>
#include <map>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_mask.h"
#include "fuzz/fuzz_check.h"
#include "testing/connect_string_reader.h"

namespace {

using dataaccess::ConnectParameters;
using dataaccess::test_support::ReadLibpqParameters;
using dataaccess::test_support::ReadOdbcAttributes;

struct Fields {
  QString user, password, host, database, other;
};

// The client libraries read C strings: a value never holds a NUL.
QString Value(FuzzedDataProvider& input) {
  return QString::fromStdString(input.ConsumeRandomLengthString(40)).remove(QChar(0));
}

QString Shown(const Fields& f, const QString& written) {
  return QStringList{f.user, f.password, f.host, f.database, f.other}.join(QStringLiteral(" | ")) +
         QStringLiteral("\n -> ") + written;
}

// The libpq parameters a keyword string or URI of `f` must read back as: the empty ones are
// not written at all.
std::map<QString, QString> Expected(const std::map<QString, QString>& all) {
  std::map<QString, QString> expected;
  for (const auto& [keyword, value] : all) {
    if (!value.isEmpty()) expected[keyword] = value;
  }
  return expected;
}

// Masking `written` hides the password whole: the masked text is the same whatever the password.
void CheckMasked(const Fields& f, const QString& written, const QString& with_other_password) {
  // A value reading as a password keyword or a URI of its own ("user=' password=x'",
  // "host='a://u:'") is text that masking cannot tell from one.
  for (const QString& value : {f.user, f.host, f.database, f.other}) {
    if (value.contains(QStringLiteral("pwd"), Qt::CaseInsensitive) ||
        value.contains(QStringLiteral("password"), Qt::CaseInsensitive) ||
        value.contains(QStringLiteral("://"))) {
      return;
    }
  }
  // A password holding a URI of its own is masked as one, which may hide more than the password.
  if (f.password.isEmpty() || f.password.contains(QStringLiteral("://"))) return;
  fuzz::Require(
      dataaccess::MaskPasswords(written) == dataaccess::MaskPasswords(with_other_password),
      "masking hides the whole password",
      Shown(f, written) + QStringLiteral("\n -> ") + dataaccess::MaskPasswords(written));
}

void CheckOdbc(const Fields& f, const QString& password) {
  const ConnectParameters attributes = {{QStringLiteral("DSN"), f.other},
                                        {QStringLiteral("UID"), f.user},
                                        {QStringLiteral("PWD"), password}};
  const QString written = dataaccess::OdbcConnectString(attributes);
  fuzz::Require(written.startsWith(QStringLiteral("ODBC;")), "an ODBC string has its prefix",
                written);
  fuzz::Require(ReadOdbcAttributes(written.mid(5)) == attributes,
                "an ODBC string reads back as its attributes", Shown(f, written));
}

QString OdbcString(const Fields& f) {
  return dataaccess::OdbcConnectString({{QStringLiteral("DSN"), f.other},
                                        {QStringLiteral("UID"), f.user},
                                        {QStringLiteral("PWD"), f.password}});
}

QString KeywordString(const Fields& f) {
  return dataaccess::LibpqKeywordString({{QStringLiteral("host"), f.host},
                                         {QStringLiteral("user"), f.user},
                                         {QStringLiteral("password"), f.password},
                                         {QStringLiteral("dbname"), f.database}});
}

void CheckKeywords(const Fields& f) {
  const QString written = KeywordString(f);
  // A quoted value is read as it is, empty or not.
  const std::map<QString, QString> expected = {{QStringLiteral("host"), f.host},
                                               {QStringLiteral("user"), f.user},
                                               {QStringLiteral("password"), f.password},
                                               {QStringLiteral("dbname"), f.database}};
  fuzz::Require(ReadLibpqParameters(written) == expected,
                "libpq reads a keyword string as its values", Shown(f, written));
}

dataaccess::UrlConnectParts Url(const Fields& f, const QString& scheme) {
  dataaccess::UrlConnectParts parts{scheme, f.user, f.password, f.host, 5432, f.database, {}};
  if (!f.other.isEmpty()) parts.query = {{QStringLiteral("application_name"), f.other}};
  return parts;
}

void CheckPostgresUrl(const Fields& f) {
  const QString written = dataaccess::UrlConnectString(Url(f, QStringLiteral("postgresql")));
  const std::map<QString, QString> expected =
      Expected({{QStringLiteral("host"), f.host},
                {QStringLiteral("port"), QStringLiteral("5432")},
                {QStringLiteral("user"), f.user},
                {QStringLiteral("password"), f.password},
                {QStringLiteral("dbname"), f.database},
                {QStringLiteral("application_name"), f.other}});
  fuzz::Require(ReadLibpqParameters(written) == expected, "libpq reads a URI as its values",
                Shown(f, written));
}

// QUrl takes only host names and addresses as hosts, and the MySQL session refuses a URI it
// cannot read: with any other host the URI is refused as a whole, and with host "h" it reads back.
void CheckMysqlUrl(const Fields& f) {
  for (const QString& host : {f.host, QStringLiteral("h")}) {
    Fields with_host = f;
    with_host.host = host;
    const QString written = dataaccess::UrlConnectString(Url(with_host, QStringLiteral("mysql")));
    const QUrl url(written, QUrl::StrictMode);
    if (!url.isValid() && host != u"h") continue;
    fuzz::Require(url.isValid(), "QUrl reads a MySQL URI",
                  Shown(with_host, written) + u'\n' + url.errorString());
    // Each part read as the MySQL session reads it: the bytes its percent-encoding stands for.
    const auto part = [](const QString& encoded) {
      return QString::fromUtf8(dataaccess::UrlPartBytes(encoded));
    };
    const QStringList read = {part(url.userName(QUrl::FullyEncoded)),
                              part(url.password(QUrl::FullyEncoded)),
                              QString::fromUtf8(dataaccess::MysqlUrlDatabase(url)),
                              part(QUrlQuery(url).queryItemValue(QStringLiteral("application_name"),
                                                                 QUrl::FullyEncoded))};
    fuzz::Require(read == QStringList({f.user, f.password, f.database, f.other}),
                  "QUrl reads a MySQL URI's user, password, database and options as given",
                  Shown(with_host, written) + u'\n' + read.join(QStringLiteral(" | ")));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Fields f;
  f.user = Value(input);
  f.password = Value(input);
  f.host = Value(input);
  f.database = Value(input);
  f.other = Value(input);
  Fields other_password = f;
  other_password.password = QStringLiteral("x");

  CheckOdbc(f, f.password);
  CheckMasked(f, OdbcString(f), OdbcString(other_password));
  CheckKeywords(f);
  CheckMasked(f, KeywordString(f), KeywordString(other_password));
  CheckPostgresUrl(f);
  CheckMasked(f, dataaccess::UrlConnectString(Url(f, QStringLiteral("postgresql"))),
              dataaccess::UrlConnectString(Url(other_password, QStringLiteral("postgresql"))));
  CheckMysqlUrl(f);
  return 0;
}
