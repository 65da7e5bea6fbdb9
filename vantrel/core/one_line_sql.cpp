#include "vantrel/core/one_line_sql.h"

namespace vantrel {
namespace {

// The character that closes a quote opened by `c`, or a null character when `c` opens none.
QChar ClosingQuote(QChar c) {
  if (c == u'\'' || c == u'"' || c == u'`') return c;
  return {};
}

}  // namespace

QString OneLineSql(const QString& sql) {
  QString line;
  line.reserve(sql.size());
  bool blank_pending = false;
  for (qsizetype i = 0; i < sql.size();) {
    const QChar c = sql.at(i);
    if (c.isSpace()) {
      blank_pending = true;
      ++i;
      continue;
    }
    if (blank_pending && !line.isEmpty()) line += u' ';
    blank_pending = false;
    const QChar close = ClosingQuote(c);
    if (close.isNull()) {
      line += c;
      ++i;
      continue;
    }
    // Copied as it stands up to its closing quote; a doubled closing quote stays inside.
    qsizetype end = i + 1;
    while (end < sql.size()) {
      if (sql.at(end) != close) {
        ++end;
      } else if (end + 1 < sql.size() && sql.at(end + 1) == close) {
        end += 2;
      } else {
        ++end;
        break;
      }
    }
    line += QStringView(sql).mid(i, end - i);
    i = end;
  }
  return line;
}

}  // namespace vantrel
