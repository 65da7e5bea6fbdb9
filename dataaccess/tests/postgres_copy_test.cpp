// Lines of COPY's text format as the catalog query receives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataaccess/postgres/postgres_copy.h"

namespace dataaccess {
namespace {

// A field as the test writes it: "\\N" for NULL, the text otherwise.
std::vector<std::string> Fields(const std::string& line, size_t expected, bool* parsed) {
  std::string buffer = line;
  CopyTextRow row;
  *parsed = row.Parse(buffer.data(), buffer.size(), expected);
  std::vector<std::string> fields;
  for (size_t i = 0; *parsed && i < expected; ++i) {
    fields.push_back(row.IsNull(i) ? "\\N" : std::string(row.Field(i)));
  }
  return fields;
}

TEST(PostgresCopyTest, ParsesFieldsNullsAndEscapes) {
  const struct {
    std::string line;
    std::vector<std::string> fields;
  } rows[] = {
      {"16384\tpublic\torders\n", {"16384", "public", "orders"}},
      {"1\t\\N\t\n", {"1", "\\N", ""}},  // NULL, then an empty text
      {"\t\t", {"", "", ""}},
      {"a\\tb\tc\\nd\te\\\\f", {"a\tb", "c\nd", "e\\f"}},
      {"\\b\\f\\r\\v\t\\\\N\t\\N", {"\b\f\r\v", "\\N", "\\N"}},
      {"\\101\\7\tx\\x41\\x4a\\xg\t\\q", {"A\a", "xAJxg", "q"}},
      {"Sch\xc3\xa9ma\tt\\\tab\tz", {"Sch\xc3\xa9ma", "t\tab", "z"}},  // an escaped delimiter
      {"a\tb\tc\\", {"a", "b", "c\\"}},  // a backslash at the very end stands for itself
  };
  for (const auto& row : rows) {
    bool parsed = false;
    EXPECT_EQ(Fields(row.line, row.fields.size(), &parsed), row.fields) << row.line;
    EXPECT_TRUE(parsed) << row.line;
  }
}

TEST(PostgresCopyTest, RefusesALineWithAnotherNumberOfFields) {
  for (const char* line : {"a\tb", "a\tb\tc\td", "", "a\\tb\\tc"}) {
    bool parsed = true;
    Fields(line, 3, &parsed);
    EXPECT_FALSE(parsed) << line;
  }
}

}  // namespace
}  // namespace dataaccess
