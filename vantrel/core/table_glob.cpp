#include "vantrel/core/table_glob.h"

#include <QChar>
#include <optional>

namespace vantrel {
namespace {

bool InClass(const std::u32string& name, char32_t c) {
  const bool is_byte = c >= 0xDC80 && c <= 0xDCFF;  // a byte that was not UTF-8: in no class
  if (is_byte) return false;
  const auto is = [&](const char32_t* class_name) { return name == class_name; };
  if (is(U"alpha")) return QChar::isLetter(c);
  if (is(U"digit")) return c >= U'0' && c <= U'9';
  if (is(U"alnum")) return QChar::isLetterOrNumber(c);
  if (is(U"upper")) return QChar::isUpper(c);
  if (is(U"lower")) return QChar::isLower(c);
  if (is(U"space")) return QChar::isSpace(c);
  if (is(U"punct")) return QChar::isPunct(c);
  if (is(U"xdigit"))
    return (c >= U'0' && c <= U'9') || (c >= U'a' && c <= U'f') || (c >= U'A' && c <= U'F');
  return false;
}

// The bracket expression at pattern[start] ('['): whether it holds `c`, with `end` set past its
// ']'; nothing when it has no ']', and the '[' then stands for itself, as in the shell.
std::optional<bool> MatchBracket(const std::u32string& pattern, size_t start, char32_t c,
                                 size_t* end) {
  size_t p = start + 1;
  const bool negated = p < pattern.size() && (pattern[p] == U'!' || pattern[p] == U'^');
  if (negated) ++p;
  bool found = false;
  for (bool first = true; p < pattern.size(); first = false) {
    char32_t low = pattern[p];
    if (low == U']' && !first) {
      *end = p + 1;
      return found != negated;
    }
    if (low == U'[' && p + 1 < pattern.size() && pattern[p + 1] == U':') {
      const size_t close = pattern.find(U":]", p + 2);
      if (close != std::u32string::npos) {
        found |= InClass(pattern.substr(p + 2, close - p - 2), c);
        p = close + 2;
        continue;
      }
    }
    if (low == U'\\' && p + 1 < pattern.size()) low = pattern[++p];
    ++p;
    char32_t high = low;
    if (p + 1 < pattern.size() && pattern[p] == U'-' && pattern[p + 1] != U']') {
      high = pattern[p + 1];
      p += 2;
      if (high == U'\\' && p < pattern.size()) high = pattern[p++];
    }
    if (low <= c && c <= high) found = true;
  }
  return std::nullopt;
}

}  // namespace

std::u32string GlobText(const QString& text) {
  std::u32string characters;
  characters.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
      characters += QChar::surrogateToUcs4(c, text.at(i + 1));
      ++i;
    } else {
      characters += c.unicode();
    }
  }
  return characters;
}

bool GlobMatches(const std::u32string& pattern, const std::u32string& name) {
  constexpr size_t kNone = std::u32string::npos;
  size_t p = 0;
  size_t n = 0;
  size_t star = kNone;   // where the pattern resumes after the last '*'
  size_t star_name = 0;  // how much of the name that '*' has taken so far
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      star = ++p;
      star_name = n;
      continue;
    }
    if (p < pattern.size()) {
      size_t next = p + 1;
      bool same = false;
      if (pattern[p] == U'?') {
        same = true;
      } else if (pattern[p] == U'[') {
        const std::optional<bool> in_set = MatchBracket(pattern, p, name[n], &next);
        same = in_set ? *in_set : name[n] == U'[';
      } else if (pattern[p] == U'\\' && p + 1 < pattern.size()) {
        same = name[n] == pattern[p + 1];
        next = p + 2;
      } else {
        same = name[n] == pattern[p];
      }
      if (same) {
        p = next;
        ++n;
        continue;
      }
    }
    if (star == kNone) return false;
    p = star;
    n = ++star_name;
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace vantrel
