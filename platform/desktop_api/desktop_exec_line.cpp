#include "platform/desktop_api/desktop_exec_line.h"

namespace desktop_api {
namespace {

QString UndoValueEscapes(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] != u'\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const QChar next = value[++i];
    if (next == u's') {
      out += u' ';
    } else if (next == u'n') {
      out += u'\n';
    } else if (next == u't') {
      out += u'\t';
    } else if (next == u'r') {
      out += u'\r';
    } else if (next == u'\\') {
      out += u'\\';
    } else {
      out += u'\\';
      out += next;
    }
  }
  return out;
}

bool IsQuotedEscape(QChar c) { return c == u'"' || c == u'`' || c == u'$' || c == u'\\'; }

bool IsTargetCode(QChar c) { return c == u'u' || c == u'U' || c == u'f' || c == u'F'; }

}  // namespace

std::optional<QStringList> SplitExecLine(const QString& exec) {
  const QString text = UndoValueEscapes(exec);
  QStringList words;
  QString word;
  bool in_word = false;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == u'"') {
        quoted = false;
      } else if (c == u'\\' && i + 1 < text.size() && IsQuotedEscape(text[i + 1])) {
        word += text[++i];
      } else {
        word += c;
      }
    } else if (c == u' ' || c == u'\t') {
      if (in_word) words.append(word);
      word.clear();
      in_word = false;
    } else if (c == u'"') {
      quoted = true;
      in_word = true;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (quoted) return std::nullopt;
  if (in_word) words.append(word);
  if (words.isEmpty() || words.first().isEmpty()) return std::nullopt;
  return words;
}

QStringList ExpandFieldCodes(const QStringList& words, const QString& target) {
  QStringList out;
  bool placed = false;
  for (const QString& word : words) {
    QString expanded;
    bool had_other_code = false;
    for (qsizetype i = 0; i < word.size(); ++i) {
      if (word[i] != u'%' || i + 1 == word.size()) {
        expanded += word[i];
        continue;
      }
      const QChar code = word[++i];
      if (code == u'%') {
        expanded += u'%';
      } else if (IsTargetCode(code)) {
        expanded += target;
        placed = true;
      } else {
        had_other_code = true;
      }
    }
    if (expanded.isEmpty() && had_other_code) continue;
    out.append(expanded);
  }
  if (!placed) out.append(target);
  return out;
}

}  // namespace desktop_api
