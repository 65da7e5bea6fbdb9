// The forms of connect string each server engine takes, told by how the string starts and
// before anything is parsed or any engine library loaded. The list of drivers routes connect
// strings by these, and each engine library checks its own with the same ones, so that the two
// never disagree. Blanks around a connect string are ignored. Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_CONNECT_STRING_FORMS_H_
#define VANTREL_DATAACCESS_CONNECT_STRING_FORMS_H_

#include <QRegularExpression>
#include <QString>

namespace dataaccess {

// "postgresql://…" or "postgres://…", in any case.
inline bool IsPostgresUri(const QString& connect_string) {
  static const QRegularExpression uri(QStringLiteral("^postgres(ql)?://"),
                                      QRegularExpression::CaseInsensitiveOption);
  return uri.match(connect_string.trimmed()).hasMatch();
}

// The keyword a string starts with when it starts like a keyword string ("host = db …" gives
// "host"); empty text otherwise.
inline QString LeadingKeyword(const QString& connect_string) {
  static const QRegularExpression keyword(QStringLiteral("^([A-Za-z_]+)\\s*="));
  const QRegularExpressionMatch match = keyword.match(connect_string.trimmed());
  return match.hasMatch() ? match.captured(1) : QString();
}

// A PostgreSQL URI, or a string that starts like a keyword string: the cheap test, made without
// libpq. Whether the keyword is libpq's is for the PostgreSQL engine to decide.
inline bool MightBePostgres(const QString& connect_string) {
  return IsPostgresUri(connect_string) || !LeadingKeyword(connect_string).isEmpty();
}

// "mysql://…" or "mariadb://…", in any case.
inline bool IsMysqlConnectString(const QString& connect_string) {
  static const QRegularExpression uri(QStringLiteral("^(mysql|mariadb)://"),
                                      QRegularExpression::CaseInsensitiveOption);
  return uri.match(connect_string.trimmed()).hasMatch();
}

// "ODBC;…", or a connection string that starts with DSN=, DRIVER= or FILEDSN=, in any case.
inline bool IsOdbcConnectString(const QString& connect_string) {
  static const QRegularExpression odbc(QStringLiteral("^(ODBC;|(DSN|DRIVER|FILEDSN)\\s*=)"),
                                       QRegularExpression::CaseInsensitiveOption);
  return odbc.match(connect_string.trimmed()).hasMatch();
}

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CONNECT_STRING_FORMS_H_
