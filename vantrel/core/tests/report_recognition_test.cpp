// Which files a later report may replace: every format Vantrel writes, whatever its paragraphs,
// and nothing of the user's that merely looks alike.
#include "vantrel/core/report_recognition.h"

#include <gtest/gtest.h>

#include "vantrel/core/html_report.h"

namespace vantrel {
namespace {

TEST(ReportRecognitionTest, EveryFormatIsKnownAndTheUsersFilesAreNot) {
  const QByteArray page = HtmlReport(HtmlComparison{});
  const QByteArray json =
      "{\n    \"differences\": [],\n    \"format\": \"vantrel-comparison\",\n"
      "    \"version\": 1\n}\n";
  const struct {
    const char* what;
    QByteArray file;
    bool ours;
  } rows[] = {
      {"a text report", "Table: 'Orders' exists in database 'A.a', but not in 'B.b'\n\n", true},
      {"with risk and detail lines",
       "Field: 'Name' in table 'A.a.t', and B.b.t differ in the following ways. [Size]\n"
       "    Size: 50 | 40\n    narrower: Size 50 on 'A', 40 on 'B': longer values do not fit\n\n",
       true},
      {"with what was not compared",
       "Table: 'Orders' exists in database 'A.a', but not in 'B.b'\n\n"
       "Not compared: check constraints, which 'B.b' cannot tell\n\n",
       true},
      {"only what was not compared", "Not compared: trigger bodies, which 'B.b' cannot tell\n\n",
       true},
      {"a JSON report", json, true},
      {"an HTML page", page, true},
      {"notes", "my notes\n", false},
      {"notes that start like a report", "Table: 'x'\n\nand then my own words\n", false},
      {"another program's page", "<!DOCTYPE html>\n<html><body>hello</body></html>\n", false},
      {"another program's JSON", "{\n  \"format\": \"other\"\n}\n", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsComparisonReport(row.file, row.file), row.ours) << row.what;
  }
}

}  // namespace
}  // namespace vantrel
