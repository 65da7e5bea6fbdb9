// The walk's failure handling, driven by a scripted database: each fault is injected on one
// call and the whole report is compared.
#include <gtest/gtest.h>

#include "testing/testutil.h"
#include "vantrel/core/compare_tables.h"
#include "vantrel/core/tests/fake_database.h"

namespace vantrel {
namespace {

using test_support::FakeConnection;
using test_support::MakeTable;

// A view whose chosen appends (counted from 1) fail, as a broken control would.
class FlakyView final : public TextResultsView {
 public:
  std::set<int> failing_appends;
  int appends = 0;
  void AppendText(const QString& text) override {
    if (failing_appends.count(++appends)) test_support::Fail("AppendText");
    TextResultsView::AppendText(text);
  }
};

class CompareTablesFaultsTest : public ::testing::Test {
 protected:
  CompareTablesFaultsTest() {
    left_.database_name = "L";
    right_.database_name = "R";
    left_.tables.tables = {MakeTable("T", {"a", "b"})};
    right_.tables.tables = {MakeTable("T", {"a", "b"})};
  }
  QString Walk() {
    CompareTables(left_, "Left", right_, "Right", view_);
    return view_.Text();
  }
  test_support::FakeColumn& LeftColumn(int i) { return left_.tables.tables[0].columns.columns[i]; }
  test_support::FakeColumn& RightColumn(int i) {
    return right_.tables.tables[0].columns.columns[i];
  }

  FakeConnection left_;
  FakeConnection right_;
  FlakyView view_;
};

TEST_F(CompareTablesFaultsTest, AlikeTablesGiveNoReport) { EXPECT_EQ(Walk(), ""); }

TEST_F(CompareTablesFaultsTest, FailedTableLookupCountsAsMissing) {
  right_.tables.faults = {"Item:T"};
  EXPECT_EQ(Walk(), "Table: 'T' exists in database 'Left.L', but not in 'Right.R'\r\n\r\n");
}

TEST_F(CompareTablesFaultsTest, FailedFieldLookupCountsAsMissingAndOnlyThatField) {
  right_.tables.tables[0].columns.faults = {"Item:a"};
  EXPECT_EQ(Walk(), "Field: 'a' exists in table 'Left.L.T', but not in 'Right.R.T'\r\n\r\n");
}

TEST_F(CompareTablesFaultsTest, PropertyUnreadableOnEitherSideCountsAsDifferent) {
  RightColumn(0).faults = {"Size"};
  LeftColumn(1).faults = {"AllowZeroLength", "DataType"};
  EXPECT_EQ(Walk(),
            "Field: 'a' in table 'Left.L.T', and Right.R.T differ in the following ways. "
            "[Size]\r\n\r\n"
            "Field: 'b' in table 'Left.L.T', and Right.R.T differ in the following ways. "
            "[Allow Zero Length, Data Type]\r\n\r\n");
}

TEST_F(CompareTablesFaultsTest, UnreadableCountOnEitherSideGivesTheFieldCountParagraph) {
  for (auto* columns : {&left_.tables.tables[0].columns, &right_.tables.tables[0].columns}) {
    left_.tables.tables[0].columns.faults.clear();
    right_.tables.tables[0].columns.faults.clear();
    columns->faults = {"Count"};
    view_.ClearText();
    EXPECT_EQ(Walk(),
              "Table: 'Left.L.T', and 'Right.R.T' differ in the following ways. "
              "[Number of Fields]\r\n\r\n");
  }
}

TEST_F(CompareTablesFaultsTest, FailedAppendLeavesOutOnlyThatPiece) {
  left_.tables.tables.push_back(MakeTable("Only", {"x"}));
  view_.failing_appends = {2};  // "database 'Left.L'"
  EXPECT_EQ(Walk(), "Table: 'Only' exists in , but not in 'Right.R'\r\n\r\n");
}

TEST_F(CompareTablesFaultsTest, UnreadableDatabaseNameLeavesOutThePiecesThatNeedIt) {
  right_.faults = {"DatabaseName"};
  LeftColumn(0).size = 8;
  EXPECT_EQ(Walk(),
            "Field: 'a' in table 'Left.L.T', and T differ in the following ways. "
            "[Size]\r\n\r\n");
}

TEST_F(CompareTablesFaultsTest, UnreadableMatchedNameSkipsOnlyTheCountCheckAndItsPieces) {
  right_.tables.tables[0].faults = {"Name"};
  right_.tables.tables[0].columns.columns.pop_back();
  // The last piece needs the matched name, so the paragraph ends without it; the field
  // counts differ, but an unreadable name cannot prove the exact match the count check needs.
  EXPECT_EQ(Walk(), "Field: 'b' exists in table 'Left.L.T', but not in 'Right.R.");
}

TEST_F(CompareTablesFaultsTest, EnumerationFailureEndsThatCollectionOnly) {
  left_.tables.tables.push_back(MakeTable("U", {"x"}));
  left_.tables.tables[0].columns.fail_next_at = 1;  // after field a
  LeftColumn(0).size = 2;
  LeftColumn(1).size = 2;  // never reached
  EXPECT_EQ(Walk(),
            "Field: 'a' in table 'Left.L.T', and Right.R.T differ in the following ways. "
            "[Size]\r\n\r\n"
            "Table: 'U' exists in database 'Left.L', but not in 'Right.R'\r\n\r\n");
  EXPECT_EQ(view_.table_caption(), "");
  EXPECT_EQ(view_.field_caption(), "");
}

TEST_F(CompareTablesFaultsTest, UnreadableNamesAreNotCompared) {
  left_.tables.tables.push_back(MakeTable("Nameless", {"x"}));
  left_.tables.tables[1].faults = {"Name"};
  LeftColumn(0).faults = {"Name"};
  LeftColumn(0).size = 99;
  right_.tables.faults = {"Enumerate"};
  EXPECT_EQ(Walk(), "");
}

TEST_F(CompareTablesFaultsTest, FailingDrivingTablesReportNothing) {
  left_.faults = {"Tables"};
  EXPECT_EQ(Walk(), "");
  EXPECT_EQ(view_.table_caption(), "");
}

}  // namespace
}  // namespace vantrel
