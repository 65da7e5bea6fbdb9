// Names shown to the user can forge no line, paragraph or reordering of the text around them.
#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include "vantrel/core/one_line_sql.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

// Every code point Unicode gives the Bidi_Control property, as ICU knows them; U+061C (the
// Arabic letter mark) among them.
TEST(VisibleTextTest, EveryBidiControlIsWrittenAsAnEscape) {
  int controls = 0;
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    if (!u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL)) continue;
    ++controls;
    const QString name = QStringLiteral("a") +
                         QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1) +
                         QStringLiteral("b");
    const QString expected = QStringLiteral("a\\u{%1}b").arg(c, 4, 16, QLatin1Char('0'));
    EXPECT_EQ(VisibleText(name), expected) << std::hex << c;
  }
  EXPECT_GE(controls, 12) << "U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069";
  // Letters of the scripts those marks serve are shown as they are.
  for (const QString& plain :
       {QStringLiteral("عربي"), QStringLiteral("עברית"), QStringLiteral("名前𝔘")}) {
    EXPECT_EQ(VisibleText(plain), plain) << plain.toStdString();
  }
}

TEST(OneLineSqlTest, WhitespaceIsFoldedOutsideQuotesOnly) {
  const struct {
    const char* sql;
    const char* shown;
  } rows[] = {
      {"x <> 'p q'", "x <> 'p q'"},
      {"x <> 'p  q'", "x <> 'p  q'"},
      {"  x\n  <>\t'p\nq'  ", "x <> 'p\nq'"},
      {"\"my  col\" > 0", "\"my  col\" > 0"},
      {"`a  b` = 'it''s  here'  AND  y", "`a  b` = 'it''s  here' AND y"},
      {"x = 'open  quote", "x = 'open  quote"},
      {"", ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(OneLineSql(QString::fromUtf8(row.sql)), QString::fromUtf8(row.shown)) << row.sql;
  }
}

}  // namespace
}  // namespace vantrel
