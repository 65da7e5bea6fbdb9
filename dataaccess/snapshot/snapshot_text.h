#ifndef VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_TEXT_H_
#define VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_TEXT_H_

#include <unistd.h>

#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

namespace dataaccess {

// The text of a snapshot file as the JSON parser is given it, one character at a time, with
// three changes that keep the parse within what the format promises:
// - a run of blanks outside strings reaches the parser as one blank: the parser keeps what it
//   reads between two tokens, so a gigabyte of blanks would otherwise be held in memory;
// - a well-formed number too large for a double (1e400) reaches it as one of the same kind that
//   fits, since the parser stops at a number that overflows, even one in a field every reader
//   skips; whole numbers stay whole (18446744073709551616, beyond any field's range) and others
//   stay fractions (1e308), so a known field still fails as it would have;
// - it remembers the line and column, in the file, of the last character it gave, and whether
//   the parser asked for more than the file holds.
class SnapshotText {
 public:
  explicit SnapshotText(int file) : file_(file), buffer_(1 << 20) {}

  // The parser's view: an input iterator whose end is where the text ends.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    explicit Iterator(SnapshotText* text) : text_(text) {}
    char operator*() const { return text_->Current(); }
    Iterator& operator++() {
      text_->Advance();
      return *this;
    }
    bool operator==(const Iterator& other) const { return AtEnd() == other.AtEnd(); }
    bool operator!=(const Iterator& other) const { return !(*this == other); }

   private:
    bool AtEnd() const { return text_ == nullptr || text_->AtEnd(); }
    SnapshotText* text_;
  };
  Iterator begin() { return Iterator(this); }
  static Iterator end() { return Iterator(nullptr); }

  bool ReachedEnd() const { return reached_end_; }
  // The errno of a failed read, which ended the text early; 0 when the file was read whole.
  int ReadError() const { return read_error_; }
  // "line 3, column 5": where the last character given to the parser is in the file.
  QString Where() const {
    const qsizetype column =
        column_ + (consecutive_ ? static_cast<qsizetype>(given_ > 0 ? given_ - 1 : 0) : 0);
    return QStringLiteral("line %1, column %2").arg(line_).arg(column);
  }

 private:
  static bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
  static bool InNumber(int c) {
    return (c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-';
  }

  bool AtEnd() {
    if (given_ < pending_.size() || Refill()) return false;  // Refill gives at least one
    reached_end_ = true;
    return true;
  }
  // The parser reads a character only after asking whether the text has ended.
  char Current() const { return pending_[given_]; }
  void Advance() { ++given_; }

  int Peek() {
    if (next_ == filled_) {
      next_ = filled_ = 0;
      ssize_t got = -1;
      do {
        got = read_error_ == 0 ? ::read(file_, buffer_.data(), buffer_.size()) : 0;
      } while (got < 0 && errno == EINTR);
      if (got < 0) read_error_ = errno;
      if (got <= 0) return std::char_traits<char>::eof();
      filled_ = static_cast<size_t>(got);
    }
    return static_cast<unsigned char>(buffer_[next_]);
  }

  int Take() {
    const int c = Peek();
    if (c != std::char_traits<char>::eof()) ++next_;
    if (c == '\n') {
      ++next_line_;
      next_column_ = 1;
    } else if (c != std::char_traits<char>::eof()) {
      ++next_column_;
    }
    return c;
  }

  // Puts the next piece of the text in `pending_`; false at the end of the file.
  bool Refill() {
    pending_.clear();
    given_ = 0;
    line_ = next_line_;
    column_ = next_column_;
    consecutive_ = true;
    int c = Peek();
    if (c == std::char_traits<char>::eof()) return false;
    if (!in_string_ && IsBlank(c)) {
      while (IsBlank(Peek())) {
        size_t i = next_;
        for (; i < filled_ && IsBlank(buffer_[i]); ++i) {
          if (buffer_[i] == '\n') {
            ++next_line_;
            next_column_ = 1;
          } else {
            ++next_column_;
          }
        }
        next_ = i;
      }
      pending_ += ' ';
      consecutive_ = false;
      return true;
    }
    if (!in_string_ && (c == '-' || (c >= '0' && c <= '9'))) {
      while (InNumber(Peek())) pending_ += static_cast<char>(Take());
      ReplaceIfOverflowing();
      return true;
    }
    // What passes unchanged, up to a line break, a run of blanks or a number to check outside
    // strings, copied from the buffer a stretch at a time.
    bool stop = false;
    while (!stop && pending_.size() < 4096 && Peek() != std::char_traits<char>::eof()) {
      const size_t start = next_;
      size_t i = start;
      for (; i < filled_; ++i) {
        const char c = buffer_[i];
        if (c == '\n') {
          stop = true;
          break;
        }
        if (in_string_) {
          if (escaped_) {
            escaped_ = false;
          } else if (c == '\\') {
            escaped_ = true;
          } else if (c == '"') {
            in_string_ = false;
          }
        } else if (IsBlank(c)) {
          // One blank passes; a run of them is taken apart above.
          if (i + 1 >= filled_ || IsBlank(buffer_[i + 1])) {
            stop = true;
            break;
          }
        } else if (c == '-' || (c >= '0' && c <= '9')) {
          // A short number without exponent cannot overflow and passes; others are checked.
          size_t end = i + 1;
          while (end < filled_ && end - i < 40 && InNumber(buffer_[end])) ++end;
          const bool checked = end == filled_ || end - i >= 40 ||
                               std::find_if(buffer_.begin() + static_cast<std::ptrdiff_t>(i),
                                            buffer_.begin() + static_cast<std::ptrdiff_t>(end),
                                            [](char d) { return d == 'e' || d == 'E'; }) !=
                                   buffer_.begin() + static_cast<std::ptrdiff_t>(end);
          if (checked) {
            stop = true;
            break;
          }
          i = end - 1;
        } else if (c == '"') {
          in_string_ = true;
        }
      }
      pending_.append(buffer_.data() + start, i - start);
      next_column_ += static_cast<qsizetype>(i - start);
      next_ = i;
    }
    if (pending_.empty()) pending_ += static_cast<char>(Take());  // a line break in a string
    return true;
  }

  // A well-formed JSON number in `pending_` whose value is beyond a double's range is replaced
  // as the class comment says; anything else is left for the parser to judge.
  void ReplaceIfOverflowing() {
    const std::string& t = pending_;
    // Below 1e308 a number needs an exponent or 309 digits to overflow.
    if (t.size() < 309 && t.find_first_of("eE") == std::string::npos) return;
    size_t i = t[0] == '-' ? 1 : 0;
    const auto digits = [&] {
      const size_t from = i;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
      return i - from;
    };
    const size_t whole_start = i;
    const size_t whole = digits();
    if (whole == 0 || (whole > 1 && t[whole_start] == '0')) return;
    size_t fraction_start = i;
    size_t fraction = 0;
    if (i < t.size() && t[i] == '.') {
      fraction_start = ++i;
      fraction = digits();
      if (fraction == 0) return;
    }
    const bool is_whole = i == t.size() && fraction == 0;
    // Saturated far beyond any double's exponent: only its size matters.
    constexpr long long kFar = 1LL << 40;
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
      ++i;
      const bool negative = i < t.size() && t[i] == '-';
      if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
      const size_t start = i;
      if (digits() == 0) return;
      for (size_t k = start; k < i; ++k) exponent = std::min(exponent * 10 + (t[k] - '0'), kFar);
      if (negative) exponent = -exponent;
    }
    if (i != t.size()) return;  // not a number: the parser says where
    // The decimal exponent of the first significant digit.
    long long magnitude = 0;
    if (whole > 1 || t[whole_start] != '0') {
      magnitude = static_cast<long long>(whole) - 1 + exponent;
    } else {
      size_t k = fraction_start;
      while (k < fraction_start + fraction && t[k] == '0') ++k;
      if (k == fraction_start + fraction) return;  // zero
      magnitude = exponent - static_cast<long long>(k - fraction_start) - 1;
    }
    if (magnitude < 308) return;
    if (magnitude == 308 && std::isfinite(std::strtod(t.c_str(), nullptr))) return;
    const bool negative = t[0] == '-';
    pending_ = std::string(negative ? "-" : "") + (is_whole ? "18446744073709551616" : "1e308");
  }

  const int file_;
  std::vector<char> buffer_;
  size_t next_ = 0;
  size_t filled_ = 0;
  int read_error_ = 0;
  std::string pending_;
  size_t given_ = 0;
  bool in_string_ = false;
  bool escaped_ = false;
  bool reached_end_ = false;
  // Where `pending_` starts in the file, and whether its characters follow each other there.
  qsizetype line_ = 1;
  qsizetype column_ = 1;
  bool consecutive_ = false;
  qsizetype next_line_ = 1;
  qsizetype next_column_ = 1;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_TEXT_H_
