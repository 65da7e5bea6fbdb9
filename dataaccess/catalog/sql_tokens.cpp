#include "dataaccess/catalog/sql_tokens.h"

namespace dataaccess {
namespace {

using Kind = SqlToken::Kind;

bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsHexDigit(char16_t c) {
  return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
// As SQLite: any character beyond ASCII may stand in an identifier, surrogates included.
bool IsIdentifierStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}
bool IsIdentifierChar(char16_t c) { return IsIdentifierStart(c) || IsDigit(c) || c == u'$'; }

// The operators of more than one character, longest first where one begins another.
constexpr const char16_t* kLongOperators[] = {u"->>", u"||", u"<<", u">>", u"<=", u">=",
                                              u"==",  u"!=", u"<>", u"::", u"->"};

class Splitter {
 public:
  Splitter(QStringView text, bool borrow) : text_(text), size_(text.size()), borrow_(borrow) {}

  std::vector<SqlToken> Split() {
    std::vector<SqlToken> tokens;
    // Room for SQL as written, where a token and its space take some five characters, so that
    // a catalog reader splitting thousands of table texts does not grow each vector step by step.
    tokens.reserve(static_cast<size_t>(size_ / 4 + 4));
    while (SkipSpaceAndComments()) tokens.push_back(Next());
    return tokens;
  }

 private:
  char16_t At(qsizetype i) const { return i < size_ ? text_[i].unicode() : u'\0'; }
  bool Has(qsizetype i) const { return i < size_; }

  // Moves past whitespace and comments; false at the end of the text.
  bool SkipSpaceAndComments() {
    while (Has(pos_)) {
      const char16_t c = At(pos_);
      if (IsSpace(c)) {
        ++pos_;
      } else if (c == u'-' && Has(pos_ + 1) && At(pos_ + 1) == u'-') {
        while (Has(pos_) && At(pos_) != u'\n') ++pos_;
      } else if (c == u'/' && Has(pos_ + 1) && At(pos_ + 1) == u'*') {
        const qsizetype start = pos_;
        pos_ += 2;
        while (Has(pos_ + 1) && !(At(pos_) == u'*' && At(pos_ + 1) == u'/')) ++pos_;
        if (!Has(pos_ + 1)) throw SqlSyntaxError("unterminated /* comment", start);
        pos_ += 2;
      } else {
        return true;
      }
    }
    return false;
  }

  SqlToken Make(Kind kind, qsizetype start, QString text) {
    return SqlToken{kind, std::move(text), start, pos_ - start};
  }
  SqlToken AsWritten(Kind kind, qsizetype start) {
    const QStringView spelling = text_.mid(start, pos_ - start);
    return Make(
        kind, start,
        borrow_ ? QString::fromRawData(spelling.data(), spelling.size()) : spelling.toString());
  }

  // A quoted run from pos_ (at the opening quote) to `close`; `close` written twice stands for
  // itself unless `doubling` is false (brackets).
  SqlToken Quoted(Kind kind, char16_t close, bool doubling, const char* unterminated) {
    const qsizetype start = pos_++;
    QString value;
    while (true) {
      if (!Has(pos_)) throw SqlSyntaxError(unterminated, start);
      const char16_t c = At(pos_++);
      if (c != close) {
        value += QChar(c);
      } else if (doubling && Has(pos_) && At(pos_) == close) {
        value += QChar(c);
        ++pos_;
      } else {
        break;
      }
    }
    return Make(kind, start, value);
  }

  SqlToken Number() {
    const qsizetype start = pos_;
    if (At(pos_) == u'0' && (At(pos_ + 1) == u'x' || At(pos_ + 1) == u'X') &&
        IsHexDigit(At(pos_ + 2))) {
      pos_ += 2;
      while (IsHexDigit(At(pos_))) ++pos_;
      return AsWritten(Kind::kNumber, start);
    }
    while (IsDigit(At(pos_))) ++pos_;
    if (At(pos_) == u'.') {
      ++pos_;
      while (IsDigit(At(pos_))) ++pos_;
    }
    // An exponent only when digits follow: "1e" is the number 1 and the word e.
    if (At(pos_) == u'e' || At(pos_) == u'E') {
      qsizetype digits = pos_ + 1;
      if (At(digits) == u'+' || At(digits) == u'-') ++digits;
      if (IsDigit(At(digits))) {
        pos_ = digits;
        while (IsDigit(At(pos_))) ++pos_;
      }
    }
    return AsWritten(Kind::kNumber, start);
  }

  SqlToken Next() {
    const qsizetype start = pos_;
    const char16_t c = At(pos_);
    const char16_t next = At(pos_ + 1);
    switch (c) {
      case u'\'':
        return Quoted(Kind::kString, u'\'', true, "unterminated string literal");
      case u'"':
        return Quoted(Kind::kIdentifier, u'"', true, "unterminated quoted identifier");
      case u'`':
        return Quoted(Kind::kIdentifier, u'`', true, "unterminated quoted identifier");
      case u'[':
        return Quoted(Kind::kIdentifier, u']', false, "unterminated quoted identifier");
      case u'?':
        ++pos_;
        while (IsDigit(At(pos_))) ++pos_;
        return AsWritten(Kind::kVariable, start);
      case u':':
      case u'@':
      case u'$':
        if (Has(pos_ + 1) && IsIdentifierChar(next)) {
          ++pos_;
          while (Has(pos_) && IsIdentifierChar(At(pos_))) ++pos_;
          return AsWritten(Kind::kVariable, start);
        }
        break;
      case u'x':
      case u'X':
        if (Has(pos_ + 1) && next == u'\'') {
          pos_ += 2;
          while (Has(pos_) && At(pos_) != u'\'') ++pos_;
          if (!Has(pos_)) throw SqlSyntaxError("unterminated blob literal", start);
          ++pos_;
          return AsWritten(Kind::kBlob, start);
        }
        break;
      case u'.':
        if (Has(pos_ + 1) && IsDigit(next)) return Number();
        break;
      default:
        break;
    }
    if (IsDigit(c)) return Number();
    if (IsIdentifierStart(c)) {
      while (Has(pos_) && IsIdentifierChar(At(pos_))) ++pos_;
      return AsWritten(Kind::kWord, start);
    }
    // Punctuation, the most frequent operators, begins no longer operator.
    if (c == u'(' || c == u')' || c == u',' || c == u';') {
      ++pos_;
      return AsWritten(Kind::kOperator, start);
    }
    for (const char16_t* op : kLongOperators) {
      const QStringView spelling(op);
      if (text_.mid(pos_).startsWith(spelling)) {
        pos_ += spelling.size();
        return AsWritten(Kind::kOperator, start);
      }
    }
    ++pos_;
    return AsWritten(Kind::kOperator, start);
  }

  QStringView text_;
  qsizetype size_;
  bool borrow_;
  qsizetype pos_ = 0;
};

}  // namespace

std::vector<SqlToken> SqlTokens(QStringView text) { return Splitter(text, false).Split(); }

std::vector<SqlToken> SqlTokensBorrowing(QStringView text) { return Splitter(text, true).Split(); }

}  // namespace dataaccess
