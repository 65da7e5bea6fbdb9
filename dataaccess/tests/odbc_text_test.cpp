// The ODBC driver's handling of connection strings, type rows and data source lists, which needs
// no server.
#include <sql.h>
#include <sqlext.h>

#include <QFile>
#include <QTemporaryDir>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"
#include "dataaccess/odbc_sources.h"
#include "testing/testutil.h"

namespace dataaccess {
namespace {

TEST(OdbcConnectionStringTest, ReplacesTheDatabaseKeywordAndKeepsBraces) {
  EXPECT_EQ(OdbcConnectionString("ODBC;DSN=a;DB=old;PWD={x;y}", "new db"),
            "DSN=a;PWD={x;y};DATABASE={new db}");
  EXPECT_EQ(OdbcConnectionString("DSN=a;Database=old", "semi;colon"),
            "DSN=a;DATABASE={semi;colon}");
  EXPECT_EQ(OdbcConnectionString("ODBC;DSN=a", QString()), "DSN=a");
}

TEST(OdbcTypeTest, AddsTheLengthOrPrecisionTheOdbcTypeCarries) {
  const struct {
    OdbcTypeRow row;
    TypeDialect dialect = TypeDialect::kOther;
    int32_t size = 0;
  } cases[] = {
      {{"varchar", SQL_VARCHAR, 20, -1}, TypeDialect::kOther, 20},
      {{"numeric", SQL_NUMERIC, 10, 2}, TypeDialect::kOther, 10 * 65536 + 2},
      {{"serial", SQL_INTEGER, 10, 0}, TypeDialect::kOther, 4},
      {{"int4", SQL_INTEGER, 10, 0}, TypeDialect::kOther, 4},
      // A time kind's DECIMAL_DIGITS is the precision in effect, declared or not.
      {{"timestamptz", SQL_TYPE_TIMESTAMP, 23, 3}, TypeDialect::kOther, 3},
      {{"datetime", SQL_TYPE_TIMESTAMP, 26, 6}, TypeDialect::kMysql, 6},
      // A display width is no declared length.
      {{"inet", SQL_VARCHAR, 50, -1}, TypeDialect::kOther, 0},
      {{"varchar", SQL_VARCHAR, 255, -1, false}, TypeDialect::kOther, 0},
      {{"numeric", SQL_NUMERIC, 28, 6, false}, TypeDialect::kOther, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyOdbcType(c.row, c.dialect).size, c.size) << c.row.type_name.toStdString();
  }
  EXPECT_EQ(ClassifyOdbcType({"int identity", SQL_INTEGER, 10, 0}).data_type, kInteger);
  EXPECT_EQ(DialectOfDbms("MariaDB"), TypeDialect::kMysql);
}

TEST(OdbcDataSourcesTest, ListsUserThenSystemSourcesEachNameOnce) {
  QTemporaryDir dir;
  component::test_support::WriteFileContents(dir.filePath("user.ini"),
                                             "[mine]\nDriver=x\n[shared]\nDriver=x\n");
  component::test_support::WriteFileContents(dir.filePath("odbc.ini"),
                                             "[shared]\nDriver=x\n[everyone]\nDriver=x\n");
  component::test_support::WriteFileContents(dir.filePath("odbcinst.ini"), "");
  component::test_support::ScopedEnvironment environment;
  environment.Set("ODBCINI", QFile::encodeName(dir.filePath("user.ini")).toStdString());
  environment.Set("ODBCSYSINI", QFile::encodeName(dir.path()).toStdString());
  EXPECT_EQ(OdbcDataSourceNames(), QStringList({"mine", "shared", "everyone"}));
}

}  // namespace
}  // namespace dataaccess
