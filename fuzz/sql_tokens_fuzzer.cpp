// SqlTokens on any text: it returns tokens or throws SqlSyntaxError, nothing else; the tokens
// follow one another inside the text without overlapping, each written there as its kind says,
// and an error's offset lies inside the text. The input is read as UTF-8 and, when its length
// is even, also as UTF-16 (which reaches lone surrogates). The same text is compared as a
// check's expression (ExpressionMeaning, which rewrites the tokens it gets), under the
// sanitizers: a database's catalog may hold any text there.
#include <QString>
#include <cstring>

#include "dataaccess/catalog/sql_tokens.h"
#include "dataaccess/object_rules.h"
#include "fuzz/fuzz_check.h"

namespace {

using dataaccess::SqlToken;

void Check(const QString& text) {
  (void)dataaccess::ExpressionMeaning(text);
  std::vector<SqlToken> tokens;
  try {
    tokens = dataaccess::SqlTokens(text);
  } catch (const dataaccess::SqlSyntaxError& error) {
    fuzz::Require(error.offset() >= 0 && error.offset() < text.size(),
                  "an error's offset is inside the text", text);
    return;
  }
  qsizetype end = 0;
  for (const SqlToken& t : tokens) {
    fuzz::Require(t.offset >= end && t.length > 0 && t.offset + t.length <= text.size(),
                  "tokens follow one another inside the text", text);
    end = t.offset + t.length;
    const QString written = text.mid(t.offset, t.length);
    switch (t.kind) {
      case SqlToken::Kind::kString:
      case SqlToken::Kind::kIdentifier: {
        const QChar open = written.front();
        const QChar close = open == u'[' ? QChar(u']') : open;
        fuzz::Require(QStringLiteral("'\"`[").contains(open) && written.size() >= 2 &&
                          written.back() == close && t.text.size() <= written.size() - 2,
                      "a quoted token is written between its quotes", text);
        break;
      }
      default:
        fuzz::Require(written == t.text, "a token's text is as written", text + u'\n' + t.text);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  if (size % 2 == 0) {
    QString utf16(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, size);
    Check(utf16);
  }
  return 0;
}
