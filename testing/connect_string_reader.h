// Reading connect strings back the way their client libraries do, for tests and fuzzers that
// check what a written connect string says.
#ifndef VANTREL_TESTING_CONNECT_STRING_READER_H_
#define VANTREL_TESTING_CONNECT_STRING_READER_H_

#include <libpq-fe.h>

#include <QList>
#include <QPair>
#include <QString>
#include <map>
#include <optional>

namespace dataaccess::test_support {

// The parameters libpq reads from `text` (a keyword string or a URI), decoded; nullopt when
// libpq cannot read it.
inline std::optional<std::map<QString, QString>> ReadLibpqParameters(const QString& text) {
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &message);
  PQfreemem(message);
  if (!options) return std::nullopt;
  std::map<QString, QString> parameters;
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    if (o->val) parameters[QString::fromUtf8(o->keyword)] = QString::fromUtf8(o->val);
  }
  PQconninfoFree(options);
  return parameters;
}

// The attributes of an ODBC connection string as SQLDriverConnect's grammar has them: pairs
// separated by ';', a key up to its '=', a value that opens with '{' running to the next '}'
// that is not doubled ("}}" standing for '}'), any other value to the next ';'. nullopt for a
// pair without '=' or a brace left open.
inline std::optional<QList<QPair<QString, QString>>> ReadOdbcAttributes(const QString& text) {
  QList<QPair<QString, QString>> attributes;
  qsizetype i = 0;
  while (i < text.size()) {
    const qsizetype equals = text.indexOf(u'=', i);
    const qsizetype semicolon = text.indexOf(u';', i);
    if (equals < 0 || (semicolon >= 0 && semicolon < equals)) return std::nullopt;
    const QString key = text.mid(i, equals - i);
    QString value;
    i = equals + 1;
    if (i < text.size() && text.at(i) == u'{') {
      for (++i;; ++i) {
        if (i >= text.size()) return std::nullopt;
        if (text.at(i) != u'}') {
          value += text.at(i);
        } else if (i + 1 < text.size() && text.at(i + 1) == u'}') {
          value += text.at(++i);
        } else {
          break;
        }
      }
      ++i;
      if (i < text.size() && text.at(i) != u';') return std::nullopt;
    } else {
      const qsizetype end = semicolon < 0 ? text.size() : semicolon;
      value = text.mid(i, end - i);
      i = end;
    }
    attributes.append({key, value});
    ++i;  // the ';'
  }
  return attributes;
}

}  // namespace dataaccess::test_support

#endif  // VANTREL_TESTING_CONNECT_STRING_READER_H_
