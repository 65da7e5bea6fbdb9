#include "dataaccess/catalog/sql_tokens.h"

#include "dataaccess/catalog/mysql_strings.h"

#include <gtest/gtest.h>

#include "testing/testutil.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace dataaccess {
namespace {

// Tokens as "K:text" joined by spaces, K one letter per kind (W word, I identifier, S string,
// N number, B blob, V variable, O operator).
QString Describe(const std::vector<SqlToken>& tokens) {
  QStringList parts;
  for (const SqlToken& t : tokens)
    parts << QStringLiteral("%1:%2").arg("WISNBVO"[int(t.kind)]).arg(t.text);
  return parts.join(u' ');
}

TEST(SqlTokensTest, SplitsAsSqlite) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"", ""},
      {" \t\r\n\f\v-- only a comment", ""},
      {"CREATE TABLE t(a)", "W:CREATE W:TABLE W:t O:( W:a O:)"},
      {"\"my \"\"table\"\"\" `b``q` [x\"y]", "I:my \"table\" I:b`q I:x\"y"},
      {"[a]]b]", "I:a O:] W:b O:]"},
      {"'it''s' '' 'a\nb'", "S:it's S: S:a\nb"},
      {"x'0A' X'' x 'a'", "B:x'0A' B:X'' W:x S:a"},
      {"1 1.5 .5 1. 1e3 1.5E-3 2e+1 0x1F 0X0 1e 0x",
       "N:1 N:1.5 N:.5 N:1. N:1e3 N:1.5E-3 N:2e+1 "
       "N:0x1F N:0X0 N:1 W:e N:0 W:x"},
      {"? ?12 :name @n1 $v $1 :x$y", "V:? V:?12 V::name V:@n1 V:$v V:$1 V::x$y"},
      {"a||b<<c>>d<=e>=f==g!=h<>i::j->k->>l",
       "W:a O:|| W:b O:<< W:c O:>> W:d O:<= W:e O:>= W:f "
       "O:== W:g O:!= W:h O:<> W:i O::: W:j O:-> W:k O:->> W:l"},
      {"a<b>c=d!e|f&g~h%i+j-k*l/m : @ $",
       "W:a O:< W:b O:> W:c O:= W:d O:! W:e O:| W:f O:& W:g "
       "O:~ W:h O:% W:i O:+ W:j O:- W:k O:* W:l O:/ W:m O:: O:@ O:$"},
      {"a/* x */b-- y\nc/**/d", "W:a W:b W:c W:d"},
      {"_a1$ é名 a.b;", "W:_a1$ W:é名 W:a O:. W:b O:;"},
      {"CHECK (x > 0) -- trailing", "W:CHECK O:( W:x O:> N:0 O:)"},
  };
  for (const auto& [input, expected] : rows) {
    const QString text = QString::fromUtf8(input);
    const std::vector<SqlToken> tokens = SqlTokens(text);
    EXPECT_EQ(Describe(tokens), QString::fromUtf8(expected)) << input;
    for (const SqlToken& t : tokens) {
      const QString written = text.mid(t.offset, t.length);
      const bool quoted =
          t.kind == SqlToken::Kind::kIdentifier || t.kind == SqlToken::Kind::kString;
      EXPECT_TRUE(quoted ? written.size() >= 2 : written == t.text)
          << input << ": " << qPrintable(t.text) << " at " << t.offset << "+" << t.length;
    }
    // Split without copying: the same tokens, those spelled as written read in place.
    const std::vector<SqlToken> borrowed = SqlTokensBorrowing(text);
    EXPECT_EQ(Describe(borrowed), Describe(tokens)) << input;
    for (size_t i = 0; i < borrowed.size() && i < tokens.size(); ++i) {
      const SqlToken& t = borrowed[i];
      const bool quoted =
          t.kind == SqlToken::Kind::kIdentifier || t.kind == SqlToken::Kind::kString;
      EXPECT_EQ(t.offset, tokens[i].offset) << input;
      EXPECT_EQ(t.length, tokens[i].length) << input;
      EXPECT_EQ(!quoted, t.text.constData() == text.constData() + t.offset) << input << " " << i;
    }
  }
}

TEST(SqlTokensTest, UnterminatedTextThrowsWithItsOffset) {
  const std::vector<std::pair<const char*, qsizetype>> rows = {
      {"'abc", 0},   {"a 'it''s", 2},    {"\"a\"\"", 0}, {"x `b", 2},   {"[a", 0},
      {"a /* b", 2}, {"/* a */ /*/", 8}, {"x'0A", 0},    {"a ''' ", 2}, {"/*", 0},
  };
  for (const auto& [input, offset] : rows) {
    try {
      SqlTokens(QString::fromUtf8(input));
      ADD_FAILURE() << input << ": nothing thrown";
    } catch (const SqlSyntaxError& error) {
      EXPECT_EQ(error.offset(), offset) << input;
    }
  }
}

// MySQL's strings as the standard spells the same values; what is not a string stays as it is.
TEST(MysqlStringsTest, AreSpeltTheStandardWay) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"`b` <> 'don\\'t'", "`b` <> 'don''t'"},
      {"'it''s'", "'it''s'"},
      {"`a` <> 'c:\\\\'", "`a` <> 'c:\\'"},
      {"'tab\\there'", "'tab\there'"},
      {"'a\\nb\\rc\\Zd'",
       "'a\nb\rc\x1a"
       "d'"},
      {"like 'a\\%b\\_'", "like 'a\\%b\\_'"},      // LIKE still reads them escaped
      {"'\\q\\\"'", "'q\"'"},                      // any other character stands for itself
      {"`it's` = \"it's\"", "`it's` = \"it's\""},  // a quoted name, a double-quoted string
      {"a -- don't\n= 'x'", "a -- don't\n= 'x'"},  // a comment
      {"a # don't\n= 'x'", "a # don't\n= 'x'"},
      {"a /* don't */ = 'x\\'y'", "a /* don't */ = 'x''y'"},
      {"'open", "'open"},  // unterminated: unchanged
      {"'ends in \\", "'ends in \\"},
      {"no strings", "no strings"},
  };
  for (const auto& [mysql, standard] : rows) {
    EXPECT_EQ(MysqlStringsAsStandard(QString::fromUtf8(mysql)), QString::fromUtf8(standard))
        << mysql;
  }
  EXPECT_EQ(MysqlStringsAsStandard(u"'a\\0b'"),
            QStringLiteral("'a") + QChar(u'\0') + QStringLiteral("b'"));
}

}  // namespace
}  // namespace dataaccess
