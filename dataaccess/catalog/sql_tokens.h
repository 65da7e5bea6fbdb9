// SQL text split into tokens, following SQLite's documented lexical rules (which take in the
// spellings of PostgreSQL and MySQL/MariaDB as well): the catalog readers take clauses out of a
// table's SQL text with it, and the object rules compare expressions token by token.
//
// Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_CATALOG_SQL_TOKENS_H_
#define VANTREL_DATAACCESS_CATALOG_SQL_TOKENS_H_

#include <QString>
#include <QStringView>
#include <stdexcept>
#include <vector>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

struct SqlToken {
  enum class Kind {
    kWord,        // a keyword or bare identifier: text as written
    kIdentifier,  // "quoted", `quoted` or [quoted]: text without the quotes, doubled quotes undone
    kString,      // 'literal': text without the quotes, doubled quotes undone
    kNumber,      // 12, 1.5e3, 0x1F, .5: text as written
    kBlob,        // x'0A': text as written
    kVariable,    // ?, ?1, :name, @name, $name: text as written
    kOperator,    // one operator or punctuation: ( ) , ; . = == <> != < <= > >= || + - * / % & |
                  // << >> -> ->> ~ :: and any other single character
  };
  Kind kind = Kind::kWord;
  QString text;
  qsizetype offset = 0;  // where the token starts in the text, in UTF-16 units
  qsizetype length = 0;  // how long it is there, quotes included
};

// The text cannot be split: an unterminated string, quoted identifier or block comment.
class DATAACCESS_EXPORT SqlSyntaxError : public std::runtime_error {
 public:
  SqlSyntaxError(const char* what, qsizetype offset) : std::runtime_error(what), offset_(offset) {}
  qsizetype offset() const { return offset_; }

 private:
  qsizetype offset_;
};

// The tokens of `text`, whitespace and comments (-- to the end of the line, /* */) left out.
// Throws SqlSyntaxError when the text cannot be split; never reads outside it.
DATAACCESS_EXPORT std::vector<SqlToken> SqlTokens(QStringView text);

// As SqlTokens, without copying: the text of every token spelled as written (all but quoted
// identifiers and strings) is QString::fromRawData over `text`, which must outlive it. A copy
// of such a text shares those characters; a text kept beyond `text` needs a deep copy (Owned).
// For a reader that splits thousands of texts and keeps little of them.
DATAACCESS_EXPORT std::vector<SqlToken> SqlTokensBorrowing(QStringView text);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_SQL_TOKENS_H_
