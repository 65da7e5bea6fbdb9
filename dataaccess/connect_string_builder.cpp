#include "dataaccess/connect_string_builder.h"

#include <algorithm>

namespace dataaccess {
namespace {

QString Encoded(const QString& value) {
  // QByteArray::toPercentEncoding leaves exactly the unreserved characters as they are.
  return QString::fromLatin1(value.toUtf8().toPercentEncoding());
}

QString Joined(const ConnectParameters& parameters, QString (*escape)(const QString&),
               QChar separator) {
  QString text;
  for (const auto& [key, value] : parameters) {
    if (!text.isEmpty()) text += separator;
    text += key + u'=' + escape(value);
  }
  return text;
}

}  // namespace

QString OdbcValue(const QString& value) {
  const bool plain = !value.isEmpty() && std::none_of(value.begin(), value.end(), [](QChar c) {
    return c.isSpace() || QStringView(u";{}='\"").contains(c);
  });
  if (plain) return value;
  QString escaped = value;
  escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
  return u'{' + escaped + u'}';
}

QString OdbcConnectString(const ConnectParameters& attributes) {
  return QStringLiteral("ODBC;") + Joined(attributes, OdbcValue, u';');
}

QString LibpqValue(const QString& value) {
  QString quoted = value;
  quoted.replace(u'\\', QStringLiteral("\\\\"));
  quoted.replace(u'\'', QStringLiteral("\\'"));
  return u'\'' + quoted + u'\'';
}

QString LibpqKeywordString(const ConnectParameters& parameters) {
  return Joined(parameters, LibpqValue, u' ');
}

QString UrlConnectString(const UrlConnectParts& parts) {
  QString text = parts.scheme + QStringLiteral("://");
  if (!parts.user.isEmpty() || !parts.password.isEmpty()) {
    text += Encoded(parts.user);
    if (!parts.password.isEmpty()) text += u':' + Encoded(parts.password);
    text += u'@';
  }
  // A literal IPv6 address keeps its colons inside brackets. Any other host has its ASCII
  // encoded and the rest left as it is: QUrl takes an international host name only unencoded.
  const bool ipv6 =
      parts.host.contains(u':') && std::all_of(parts.host.begin(), parts.host.end(), [](QChar c) {
        return c.isDigit() || QStringView(u"abcdefABCDEF:.").contains(c);
      });
  if (ipv6) {
    text += u'[' + parts.host + u']';
  } else {
    for (const QChar c : parts.host) text += c.unicode() < 0x80 ? Encoded(c) : QString(c);
  }
  if (parts.port > 0) text += u':' + QString::number(parts.port);
  text += u'/' + Encoded(parts.database);
  QString query;
  for (const auto& [key, value] : parts.query) {
    query += (query.isEmpty() ? u'?' : u'&') + Encoded(key) + u'=' + Encoded(value);
  }
  return text + query;
}

QByteArray UrlPartBytes(const QString& fully_encoded) {
  return QByteArray::fromPercentEncoding(fully_encoded.toUtf8());
}

QByteArray MysqlUrlDatabase(const QUrl& url) {
  QByteArray path = UrlPartBytes(url.path(QUrl::FullyEncoded));
  if (path.startsWith('/')) path.remove(0, 1);
  return path;
}

QUrl WithMysqlUrlDatabase(QUrl url, const QString& database) {
  // The name's UTF-8, percent-encoded here as QUrl encodes a path ('%' included; the
  // sub-delimiters, ':', '@' and '/' left as they are): QUrl's own encoding of a decoded path
  // writes a noncharacter beyond the first plane (U+BFFFF) as two halves of a surrogate pair,
  // which no longer read back as the name.
  const QByteArray encoded = database.toUtf8().toPercentEncoding("!$&'()*+,;=:@/");
  url.setPath(u'/' + QString::fromLatin1(encoded), QUrl::StrictMode);
  return url;
}

}  // namespace dataaccess
