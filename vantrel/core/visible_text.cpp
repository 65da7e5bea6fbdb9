#include "vantrel/core/visible_text.h"

#include <unicode/uchar.h>

namespace vantrel {
namespace {

// Control characters, line and paragraph separators, and every character Unicode gives the
// Bidi_Control property (marks such as U+061C and U+200E, embeddings, overrides, isolates).
bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
         (c >= 0x061C && u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_BIDI_CONTROL));
}

// A UTF-16 unit at `i` that is a surrogate without its partner: a byte that was not UTF-8 in a
// name read from the engine (dataaccess/catalog/name_bytes.h), or broken text.
bool IsLoneSurrogate(const QString& text, qsizetype i) {
  const QChar c = text.at(i);
  if (c.isHighSurrogate()) return i + 1 >= text.size() || !text.at(i + 1).isLowSurrogate();
  if (c.isLowSurrogate()) return i == 0 || !text.at(i - 1).isHighSurrogate();
  return false;
}

// The code point at `i`: a pair of surrogates as one.
char32_t CodePointAt(const QString& text, qsizetype i) {
  const QChar c = text.at(i);
  if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
    return QChar::surrogateToUcs4(c, text.at(i + 1));
  }
  return c.unicode();
}

bool NeedsEscape(const QString& text, qsizetype i) {
  return IsControl(CodePointAt(text, i)) || IsLoneSurrogate(text, i);
}

}  // namespace

QString VisibleText(const QString& text) {
  qsizetype first = 0;
  while (first < text.size() && !NeedsEscape(text, first)) ++first;
  if (first == text.size()) return text;  // the common case: nothing to change
  QString visible = text.left(first);
  for (qsizetype i = first; i < text.size(); ++i) {
    const char32_t c = CodePointAt(text, i);
    if (!NeedsEscape(text, i)) {
      visible += text.at(i);
    } else if (c >= 0xDC80 && c <= 0xDCFF) {  // a byte that was not UTF-8
      visible += QStringLiteral("\\x%1").arg(static_cast<int>(c & 0xFF), 2, 16, QLatin1Char('0'));
    } else if (c == u'\n') {
      visible += QStringLiteral("\\n");
    } else if (c == u'\r') {
      visible += QStringLiteral("\\r");
    } else if (c == u'\t') {
      visible += QStringLiteral("\\t");
    } else if (c == 0x1B) {
      visible += QStringLiteral("\\e");
    } else {
      visible += QStringLiteral("\\u{%1}").arg(static_cast<int>(c), 4, 16, QLatin1Char('0'));
      if (c > 0xFFFF) ++i;  // both halves of the pair
    }
  }
  return visible;
}

}  // namespace vantrel
