#include "dataaccess/catalog/mysql_strings.h"

namespace dataaccess {
namespace {

// What MySQL reads `\c` in a string as.
QString Unescaped(char16_t c) {
  switch (c) {
    case u'0':
      return QString(QChar(u'\0'));
    case u'b':
      return QStringLiteral("\b");
    case u'n':
      return QStringLiteral("\n");
    case u'r':
      return QStringLiteral("\r");
    case u't':
      return QStringLiteral("\t");
    case u'Z':
      return QString(QChar(u'\x1a'));
    case u'%':
    case u'_':
      // Kept escaped so that LIKE still reads them as the characters themselves.
      return QString(QChar(u'\\')) + QChar(c);
    default:
      return QString(QChar(c));
  }
}

// The end of the quoted run starting at `open` (a backtick or double quote), just past its
// closing quote; -1 when it has none. A doubled quote stands for one.
qsizetype EndOfQuoted(QStringView text, qsizetype open) {
  const QChar quote = text[open];
  for (qsizetype i = open + 1; i < text.size(); ++i) {
    if (quote == u'"' && text[i] == u'\\') {
      ++i;
    } else if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        ++i;
      } else {
        return i + 1;
      }
    }
  }
  return -1;
}

// The end of the comment starting at `at`, or `at` when none starts there.
qsizetype EndOfComment(QStringView text, qsizetype at) {
  const auto next_is = [&](char16_t c) { return at + 1 < text.size() && text[at + 1] == c; };
  // MySQL's -- comment needs a space or a control character after it.
  const bool dashes = text[at] == u'-' && next_is(u'-') &&
                      (at + 2 >= text.size() || text[at + 2].unicode() <= u' ');
  if (dashes || text[at] == u'#') {
    const qsizetype end = text.indexOf(u'\n', at);
    return end < 0 ? text.size() : end;
  }
  if (text[at] == u'/' && next_is(u'*')) {
    const qsizetype end = text.indexOf(QStringView(u"*/"), at + 2);
    return end < 0 ? text.size() : end + 2;
  }
  return at;
}

}  // namespace

QString MysqlStringsAsStandard(QStringView text) {
  if (!text.contains(u'\'')) return text.toString();
  QString result;
  result.reserve(text.size());
  for (qsizetype i = 0; i < text.size();) {
    const QChar c = text[i];
    if (c == u'`' || c == u'"') {
      const qsizetype end = EndOfQuoted(text, i);
      if (end < 0) return text.toString();
      result += text.sliced(i, end - i);
      i = end;
      continue;
    }
    if (const qsizetype end = EndOfComment(text, i); end != i) {
      result += text.sliced(i, end - i);
      i = end;
      continue;
    }
    if (c != u'\'') {
      result += c;
      ++i;
      continue;
    }
    QString value;
    qsizetype at = i + 1;
    for (;; ++at) {
      if (at >= text.size()) return text.toString();
      if (text[at] == u'\\') {
        if (++at >= text.size()) return text.toString();
        value += Unescaped(text[at].unicode());
      } else if (text[at] == u'\'') {
        if (at + 1 < text.size() && text[at + 1] == u'\'') {
          value += u'\'';
          ++at;
        } else {
          break;
        }
      } else {
        value += text[at];
      }
    }
    value.replace(u'\'', QStringLiteral("''"));
    result += u'\'' + value + u'\'';
    i = at + 1;
  }
  return result;
}

}  // namespace dataaccess
