#include "dataaccess/server/schema_parameter.h"

#include <QByteArray>
#include <QUrl>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_forms.h"

namespace dataaccess {
namespace {

constexpr QStringView kSchemaKeyword = u"schema";

// Where a URI's query starts (its '?'), or -1. libpq takes the user info up to the first '@'
// before a '/', whatever it holds, so a '?' in a password is not taken for the query.
qsizetype QueryStart(const QString& uri) {
  qsizetype from = uri.indexOf(QStringLiteral("://")) + 3;
  const qsizetype slash = uri.indexOf(u'/', from);
  const qsizetype at = uri.indexOf(u'@', from);
  if (at >= 0 && (slash < 0 || at < slash)) from = at + 1;
  return uri.indexOf(u'?', from);
}

PostgresSchemaSplit SplitUri(const QString& uri) {
  const qsizetype query = QueryStart(uri);
  if (query < 0) return {uri, std::nullopt};
  const qsizetype fragment = uri.indexOf(u'#', query);
  const QString tail = fragment < 0 ? QString() : uri.mid(fragment);
  QStringList kept;
  std::optional<QString> schema;
  for (const QString& item :
       uri.mid(query + 1, fragment < 0 ? -1 : fragment - query - 1).split(u'&')) {
    const qsizetype equals = item.indexOf(u'=');
    if (equals >= 0 && QStringView(item).left(equals) == kSchemaKeyword) {
      schema = QString::fromUtf8(QByteArray::fromPercentEncoding(item.mid(equals + 1).toUtf8()));
    } else if (!item.isEmpty()) {
      kept.append(item);
    }
  }
  if (!schema) return {uri, std::nullopt};
  QString rest = uri.left(query);
  if (!kept.isEmpty()) rest += u'?' + kept.join(u'&');
  return {rest + tail, schema};
}

// libpq's keyword strings: "keyword = value" pairs apart by blanks; a value in single quotes may
// hold blanks, and a backslash takes the next character literally, quoted or not.
PostgresSchemaSplit SplitKeywords(const QString& text) {
  QString kept;
  std::optional<QString> schema;
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    while (i < n && text[i].isSpace()) ++i;
    if (i >= n) break;
    const qsizetype start = i;
    while (i < n && text[i] != u'=' && !text[i].isSpace()) ++i;
    const QString keyword = text.mid(start, i - start);
    while (i < n && text[i].isSpace()) ++i;
    if (i >= n || text[i] != u'=') return {text, std::nullopt};
    ++i;
    while (i < n && text[i].isSpace()) ++i;
    QString value;
    if (i < n && text[i] == u'\'') {
      ++i;
      for (; i < n && text[i] != u'\''; ++i) {
        if (text[i] == u'\\' && i + 1 < n) ++i;
        value += text[i];
      }
      if (i >= n) return {text, std::nullopt};
      ++i;
    } else {
      for (; i < n && !text[i].isSpace(); ++i) {
        if (text[i] == u'\\' && i + 1 < n) ++i;
        value += text[i];
      }
    }
    if (keyword == kSchemaKeyword) {
      schema = value;
    } else {
      if (!kept.isEmpty()) kept += u' ';
      kept += QStringView(text).mid(start, i - start);
    }
  }
  if (!schema) return {text, std::nullopt};
  return {kept, schema};
}

}  // namespace

PostgresSchemaSplit SplitPostgresSchema(const QString& connect_string) {
  const QString text = connect_string.trimmed();
  return IsPostgresUri(text) ? SplitUri(text) : SplitKeywords(text);
}

QString WithPostgresSchema(const QString& connect_string, const QString& schema) {
  const QString text = connect_string.trimmed();
  if (!IsPostgresUri(text)) return text + QStringLiteral(" schema=") + LibpqValue(schema);
  const QString value = QString::fromLatin1(QUrl::toPercentEncoding(schema));
  const qsizetype fragment = text.indexOf(u'#', qMax<qsizetype>(QueryStart(text), 0));
  const QString head = fragment < 0 ? text : text.left(fragment);
  const QString tail = fragment < 0 ? QString() : text.mid(fragment);
  return head + (QueryStart(text) < 0 ? u'?' : u'&') + QStringLiteral("schema=") + value + tail;
}

}  // namespace dataaccess
