#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

bool NeedsEscape(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

QString VisibleText(const QString& text) {
  qsizetype first = 0;
  while (first < text.size() && !NeedsEscape(text.at(first).unicode())) ++first;
  if (first == text.size()) return text;  // the common case: nothing to change
  QString visible = text.left(first);
  for (qsizetype i = first; i < text.size(); ++i) {
    const char16_t c = text.at(i).unicode();
    if (!NeedsEscape(c)) {
      visible += QChar(c);
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
    }
  }
  return visible;
}

}  // namespace vantrel
