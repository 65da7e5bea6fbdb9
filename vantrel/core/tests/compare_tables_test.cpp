// The comparison of real SQLite databases, both ways, as a run makes it. Each case compares the
// whole report text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dataaccess/errors.h"
#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"
#include "testing/testutil.h"
#include "vantrel/core/comparison_run.h"

namespace vantrel {
namespace {

using component::test_support::FileContents;
using component::test_support::WriteFileContents;

using dataaccess::test_support::ClosedPort;
using dataaccess::test_support::CountingPort;
using dataaccess::test_support::SqliteTestFolder;

class CompareTablesTest : public ::testing::Test {
 protected:
  // Builds P.db and S.db from the SQL texts and compares them as "Prim" and "Sec".
  QString Report(const char* primary_sql, const char* secondary_sql) {
    primary_ = folder_.CreateDatabase("P.db", primary_sql);
    secondary_ = folder_.CreateDatabase("S.db", secondary_sql);
    RunComparison({"Prim", "", primary_}, {"Sec", "", secondary_}, view_);
    return view_.Text();
  }

  SqliteTestFolder folder_;
  QString primary_;
  QString secondary_;
  TextResultsView view_;
};

QByteArray SampleSql(const char* file) {
  QFile sql(QStringLiteral(VANTREL_SOURCE_DIR "/samples/") + file);
  EXPECT_TRUE(sql.open(QIODevice::ReadOnly)) << file;
  return sql.readAll();
}

TEST_F(CompareTablesTest, TheSampleDatabasesGiveTheSixParagraphsOfTheSalesExample) {
  const QString sales = folder_.CreateDatabase("SALES.db", SampleSql("sales.sql").constData());
  const QString test =
      folder_.CreateDatabase("SALESTEST.db", SampleSql("salestest.sql").constData());
  RunComparison({"Sales Live", "", sales}, {"Sales Test", "", test}, view_);
  EXPECT_EQ(
      view_.Text(),
      "Field: 'Name' in table 'Sales Live.SALES.Customers', and Sales Test.SALESTEST.Customers "
      "differ in the following ways. [Required, Size]\r\n\r\n"
      "Field: 'Phone' exists in table 'Sales Live.SALES.Customers', but not in "
      "'Sales Test.SALESTEST.Customers'\r\n\r\n"
      "Table: 'Sales Live.SALES.Customers', and 'Sales Test.SALESTEST.Customers' differ in "
      "the following ways. [Number of Fields]\r\n\r\n"
      "Table: 'Orders' exists in database 'Sales Live.SALES', but not in "
      "'Sales Test.SALESTEST'\r\n\r\n"
      "Field: 'Name' in table 'Sales Test.SALESTEST.Customers', and Sales Live.SALES.Customers "
      "differ in the following ways. [Required, Size]\r\n\r\n"
      "Table: 'Sales Test.SALESTEST.Customers', and 'Sales Live.SALES.Customers' differ in "
      "the following ways. [Number of Fields]\r\n\r\n");
  EXPECT_FALSE(ReportIsBlank(view_.Text()));
}

TEST_F(CompareTablesTest, IdenticalDatabasesAndEmptyOnesGiveNoReport) {
  const char* schema =
      "CREATE TABLE a (x INTEGER PRIMARY KEY, y VARCHAR(5) NOT NULL);"
      "CREATE VIEW v AS SELECT y FROM a;";
  EXPECT_EQ(Report(schema, schema), "");
  EXPECT_TRUE(ReportIsBlank(view_.Text()));
  EXPECT_EQ(view_.table_caption(), "");
  EXPECT_EQ(view_.field_caption(), "");
  EXPECT_EQ(Report("PRAGMA user_version = 1;", "PRAGMA user_version = 2;"), "");
  // A database compared with itself.
  RunComparison({"Same", "", primary_}, {"Same", "", primary_}, view_);
  EXPECT_EQ(view_.Text(), "");
}

TEST_F(CompareTablesTest, FieldMissingInTheMiddleShiftsTheOrdinalsAfterIt) {
  EXPECT_EQ(Report("CREATE TABLE t (a INT, b INT, c INT, d INT);",
                   "CREATE TABLE t (a INT, c INT, d INT);"),
            "Field: 'b' exists in table 'Prim.P.t', but not in 'Sec.S.t'\r\n\r\n"
            "Field: 'c' in table 'Prim.P.t', and Sec.S.t differ in the following ways. "
            "[Ordinal Position]\r\n\r\n"
            "Field: 'd' in table 'Prim.P.t', and Sec.S.t differ in the following ways. "
            "[Ordinal Position]\r\n\r\n"
            "Table: 'Prim.P.t', and 'Sec.S.t' differ in the following ways. "
            "[Number of Fields]\r\n\r\n"
            "Field: 'c' in table 'Sec.S.t', and Prim.P.t differ in the following ways. "
            "[Ordinal Position]\r\n\r\n"
            "Field: 'd' in table 'Sec.S.t', and Prim.P.t differ in the following ways. "
            "[Ordinal Position]\r\n\r\n"
            "Table: 'Sec.S.t', and 'Prim.P.t' differ in the following ways. "
            "[Number of Fields]\r\n\r\n");
}

TEST_F(CompareTablesTest, AllSixPropertiesAreListedInTheirFixedOrder) {
  const QString report = Report("CREATE TABLE t (x VARCHAR(10), pad INT);",
                                "CREATE TABLE t (pad INT, x INTEGER NOT NULL);");
  EXPECT_TRUE(report.startsWith(
      "Field: 'x' in table 'Prim.P.t', and Sec.S.t differ in the following ways. "
      "[Allow Zero Length, Attributes, Ordinal Position, Required, Size, Data Type]\r\n\r\n"))
      << report.toStdString();
}

TEST_F(CompareTablesTest, DataTypeAloneDiffersOncePerWalk) {
  EXPECT_EQ(Report("CREATE TABLE t (a INT, b BIGINT);", "CREATE TABLE t (a INT, b REAL);"),
            "Field: 'b' in table 'Prim.P.t', and Sec.S.t differ in the following ways. "
            "[Data Type]\r\n\r\n"
            "Field: 'b' in table 'Sec.S.t', and Prim.P.t differ in the following ways. "
            "[Data Type]\r\n\r\n");
}

TEST_F(CompareTablesTest, MissingFirstTableStandsAlone) {
  EXPECT_EQ(Report("CREATE TABLE first (a INT); CREATE TABLE second (b INT);",
                   "CREATE TABLE second (b INT);"),
            "Table: 'first' exists in database 'Prim.P', but not in 'Sec.S'\r\n\r\n");
}

// A name that holds a paragraph break or a terminal control cannot forge a paragraph or move
// the cursor: every control character is shown escaped, every break comes from the report.
TEST_F(CompareTablesTest, NamesCannotForgeParagraphsOrControlTheTerminal) {
  EXPECT_EQ(Report("CREATE TABLE \"audit' exists in database 'P.Live', but not in "
                   "'S.Test'\r\n\r\nTable: 'Payroll\" (a INT);"
                   "CREATE TABLE t (\"it's\" INT, \"x\x1b[2J\x1b]0;title\x07\" INT);",
                   "CREATE TABLE t (\"it's\" INT);"),
            "Table: 'audit' exists in database 'P.Live', but not in 'S.Test'\\r\\n\\r\\nTable: "
            "'Payroll' exists in database 'Prim.P', but not in 'Sec.S'\r\n\r\n"
            "Field: 'x\\e[2J\\e]0;title\\u{0007}' exists in table 'Prim.P.t', but not in "
            "'Sec.S.t'\r\n\r\n"
            "Table: 'Prim.P.t', and 'Sec.S.t' differ in the following ways. [Number of "
            "Fields]\r\n\r\n"
            "Table: 'Sec.S.t', and 'Prim.P.t' differ in the following ways. [Number of "
            "Fields]\r\n\r\n");
  EXPECT_EQ(view_.table_caption().contains(u'\x1b'), false);
}

// SQLite keeps names that are not UTF-8; two different byte strings stay two names.
TEST_F(CompareTablesTest, NamesThatAreNotUtf8StayApart) {
  EXPECT_EQ(Report("CREATE TABLE \"bad\xff\" (a INT, \"c\xe9\" INT);"
                   "CREATE TABLE \"bad\xfe\" (a INT);",
                   "CREATE TABLE \"bad\xff\" (a INT, \"c\xe9\" INT);"),
            "Table: 'bad\\xfe' exists in database 'Prim.P', but not in 'Sec.S'\r\n\r\n");
}

TEST_F(CompareTablesTest, TableFoundUnderOtherCaseIsComparedButNotCounted) {
  EXPECT_EQ(
      Report("CREATE TABLE Customers (id INT, name TEXT);", "CREATE TABLE CUSTOMERS (id BIGINT);"),
      "Field: 'id' in table 'Prim.P.Customers', and Sec.S.CUSTOMERS differ in the following "
      "ways. [Size]\r\n\r\n"
      "Field: 'name' exists in table 'Prim.P.Customers', but not in 'Sec.S.CUSTOMERS'\r\n\r\n"
      "Field: 'id' in table 'Sec.S.CUSTOMERS', and Prim.P.Customers differ in the following "
      "ways. [Size]\r\n\r\n");
}

TEST_F(CompareTablesTest, RenamedFieldIsMissingOnBothSidesWithoutCountParagraph) {
  EXPECT_EQ(Report("CREATE TABLE t (id INT, phone TEXT);", "CREATE TABLE t (id INT, tel TEXT);"),
            "Field: 'phone' exists in table 'Prim.P.t', but not in 'Sec.S.t'\r\n\r\n"
            "Field: 'tel' exists in table 'Sec.S.t', but not in 'Prim.P.t'\r\n\r\n");
}

TEST_F(CompareTablesTest, MoreFieldsOnTheOtherSideAreCountedHereAndNamedThere) {
  EXPECT_EQ(Report("CREATE TABLE t (id INT);", "CREATE TABLE t (id INT, extra TEXT);"),
            "Table: 'Prim.P.t', and 'Sec.S.t' differ in the following ways. "
            "[Number of Fields]\r\n\r\n"
            "Field: 'extra' exists in table 'Sec.S.t', but not in 'Prim.P.t'\r\n\r\n"
            "Table: 'Sec.S.t', and 'Prim.P.t' differ in the following ways. "
            "[Number of Fields]\r\n\r\n");
}

// Each option leaves out its tables or properties and nothing else; the case-only rename
// (Orders, orders) is one table to the filters, and '*' reaches across the dot of a qualified name.
TEST_F(CompareTablesTest, FiltersAndIgnoredPropertiesLeaveOutOnlyTheirParagraphs) {
  const QString qty =
      "Field: 'qty' in table 'Prim.P.Orders', and Sec.S.orders differ in the "
      "following ways. [Ordinal Position, Required]\r\n\r\n";
  const QString qty_back =
      "Field: 'qty' in table 'Sec.S.orders', and Prim.P.Orders differ in "
      "the following ways. [Ordinal Position, Required]\r\n\r\n";
  const QString a =
      "Field: 'a' in table 'Prim.P.sales.orders', and Sec.S.sales.orders differ in "
      "the following ways. [Size]\r\n\r\n";
  const QString a_back =
      "Field: 'a' in table 'Sec.S.sales.orders', and Prim.P.sales.orders "
      "differ in the following ways. [Size]\r\n\r\n";
  const QString note =
      "Field: 'note' in table 'Prim.P.Orders', and Sec.S.orders differ in the "
      "following ways. [Ordinal Position]\r\n\r\n";
  const QString note_back =
      "Field: 'note' in table 'Sec.S.orders', and Prim.P.Orders differ in "
      "the following ways. [Ordinal Position]\r\n\r\n";
  const QString required_only = "differ in the following ways. [Required]\r\n\r\n";
  const struct {
    const char* what;
    WalkOptions options;
    QString report;
  } cases[] = {
      {"exclude Orders", {{}, {"Orders"}, 0}, a + a_back},
      {"exclude orders, the other side's name", {{}, {"orders"}, 0}, a + a_back},
      {"include sales.*", {{"sales.*"}, {}, 0}, a + a_back},
      {"include *orders minus sales.*",
       {{"*orders"}, {"sales.*"}, 0},
       qty + note + note_back + qty_back},
      {"exclude *", {{}, {"*"}, 0}, ""},
      {"ignore ordinal position",
       {{}, {}, kOrdinalPositionProperty},
       "Field: 'qty' in table 'Prim.P.Orders', and Sec.S.orders " + required_only + a +
           "Field: 'qty' in table 'Sec.S.orders', and Prim.P.Orders " + required_only + a_back},
      {"ignore ordinal position, required and size, on sales.orders only",
       {{"sales.orders"}, {}, kOrdinalPositionProperty | kRequiredProperty | kSizeProperty},
       ""},
  };
  const QString primary =
      folder_.CreateDatabase("P.db",
                             "CREATE TABLE Orders (id INT, qty INT NOT NULL, note TEXT);"
                             "CREATE TABLE \"sales.orders\" (a INT);");
  const QString secondary =
      folder_.CreateDatabase("S.db",
                             "CREATE TABLE orders (id INT, note TEXT, qty INT);"
                             "CREATE TABLE \"sales.orders\" (a BIGINT);");
  for (const auto& c : cases) {
    RunComparison({"Prim", "", primary}, {"Sec", "", secondary}, view_, c.options);
    EXPECT_EQ(view_.Text(), c.report) << c.what;
  }
}

TEST_F(CompareTablesTest, ComparisonLeavesBothFilesByteForByte) {
  const char* schema =
      "CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT); INSERT INTO t VALUES (1, 'x');";
  primary_ = folder_.CreateDatabase("P.db", schema);
  secondary_ = folder_.CreateDatabase("S.db", "CREATE TABLE u (id INT);");
  const QByteArray before_primary = FileContents(primary_);
  const QByteArray before_secondary = FileContents(secondary_);
  RunComparison({"Prim", "", primary_}, {"Sec", "", secondary_}, view_);
  EXPECT_FALSE(view_.Text().isEmpty());
  EXPECT_EQ(FileContents(primary_), before_primary);
  EXPECT_EQ(FileContents(secondary_), before_secondary);
  EXPECT_FALSE(QFile::exists(primary_ + "-journal"));
  EXPECT_FALSE(QFile::exists(primary_ + "-wal"));
}

TEST_F(CompareTablesTest, SecondaryThatCannotOpenEndsTheRunWithItsSide) {
  primary_ = folder_.CreateDatabase("P.db", "CREATE TABLE t (a INT);");
  view_.AppendText("the last run's report");
  try {
    RunComparison({"Prim", "", primary_}, {"Sec", "", folder_.PathOf("gone.db")}, view_);
    ADD_FAILURE() << "the run must fail";
  } catch (const SideError& error) {
    EXPECT_EQ(error.side(), Side::kSecondary);
    EXPECT_EQ(error.number(), component::kFileNotFound);
  }
  EXPECT_EQ(view_.Text(), "") << "the report is emptied before anything is opened";
}

QString PostgresAt(int port) {
  return QStringLiteral("postgresql://vantrel@127.0.0.1:%1/db?connect_timeout=2&sslmode=disable")
      .arg(port);
}

TEST_F(CompareTablesTest, ThePrimaryThatCannotBeReachedKeepsTheSecondaryUncontacted) {
  const QString good = folder_.CreateDatabase("P.db", "CREATE TABLE t (a INT);");
  struct Case {
    QString primary;
    Side failing;
    bool secondary_contacted;
  };
  const Case cases[] = {
      {folder_.PathOf("gone.db"), Side::kPrimary, false},
      {PostgresAt(ClosedPort()), Side::kPrimary, false},
      {good, Side::kSecondary, true},  // the listener does count a contact
  };
  for (const Case& c : cases) {
    CountingPort secondary;
    try {
      RunComparison({"Prim", "", c.primary}, {"Sec", "", PostgresAt(secondary.port())}, view_);
      ADD_FAILURE() << "the run must fail: " << c.primary.toStdString();
    } catch (const SideError& error) {
      EXPECT_EQ(error.side(), c.failing) << c.primary.toStdString() << ": " << error.what();
    }
    EXPECT_EQ(secondary.connections() > 0, c.secondary_contacted) << c.primary.toStdString();
  }
}

// True while this process holds a descriptor open on `path`.
bool HoldsOpen(const QString& path) {
  const QString wanted = QFileInfo(path).canonicalFilePath();
  for (const QFileInfo& fd :
       QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::AllEntries | QDir::System)) {
    if (fd.symLinkTarget() == wanted) return true;
  }
  return false;
}

TEST_F(CompareTablesTest, ACatalogThatFailsToReadIsItsSidesOpenFailureAndGivesNoReport) {
  QByteArray sql;
  for (int i = 0; i < 40; ++i)
    sql += "CREATE TABLE t" + QByteArray::number(i) + " (a INT, b TEXT);";
  const QString good = folder_.CreateDatabase("good.db", sql.constData());
  // The header passes every check made before the read; the schema's root page does not.
  const QString damaged = folder_.CreateDatabase("damaged.db", sql.constData());
  QByteArray bytes = FileContents(damaged);
  bytes.replace(100, 412, QByteArray(412, '\xA5'));
  WriteFileContents(damaged, bytes);
  {
    QFile held(good);
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    ASSERT_TRUE(HoldsOpen(good)) << "the check sees a file this process holds";
  }
  struct Case {
    QString primary;
    QString secondary;
    Side failing;
  };
  const Case cases[] = {
      {damaged, good, Side::kPrimary},
      {good, damaged, Side::kSecondary},
      {damaged, damaged, Side::kPrimary},
  };
  for (const Case& c : cases) {
    view_.AppendText("the last run's report");
    try {
      RunComparison({"Prim", "", c.primary}, {"Sec", "", c.secondary}, view_);
      ADD_FAILURE() << "the run must fail";
    } catch (const SideError& error) {
      EXPECT_EQ(error.side(), c.failing) << error.what();
      EXPECT_EQ(error.number(), dataaccess::kDatabaseDamaged) << error.what();
    }
    EXPECT_EQ(view_.Text(), "");
    EXPECT_FALSE(HoldsOpen(good)) << "the side that was read is released";
    EXPECT_FALSE(HoldsOpen(damaged));
  }
}

}  // namespace
}  // namespace vantrel
