#include <sql.h>
#include <sqlext.h>

#include <QFile>
#include <QTemporaryDir>

#include "dataaccess/errors.h"
#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"
#include "dataaccess/odbc_sources.h"
#include "dataaccess/tests/server_test_support.h"
#include "platform/component/error.h"

namespace dataaccess::testing {
namespace {

const QString kDatabase = QStringLiteral("vt_odbc_catalog");

class OdbcDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VANTREL_REQUIRE_SERVER("ODBC");
    UseTestOdbcConfiguration();
    static bool created = false;
    if (created) return;
    RecreatePostgresDatabase(kDatabase);
    RunPostgres(kDatabase, PostgresSampleSchema());
    created = true;
  }

  static QString Dsn(const QString& database, const QString& password) {
    return QStringLiteral("ODBC;DSN=%1;UID=postgres;PWD=%2;Database=%3")
        .arg(ServerFact("ODBC_DSN"), password, database);
  }
  static QString Dsn(const QString& database) { return Dsn(database, ServerFact("PG_PASSWORD")); }
};

TEST_F(OdbcDriverTest, ReadsTheSameCatalogAsThePostgresDriver) {
  const auto through_odbc = Open(QString(), Dsn(kDatabase));
  const auto direct = Open(QString(), PostgresUri(kDatabase));
  // What the ODBC catalog functions cannot tell: generated columns, whether a sequence default
  // belongs to its column, how PostgreSQL stores a type the table does not know, and psqlODBC's
  // spelling of arrays and bit varying lengths.
  EXPECT_EQ(
      CatalogDifferences(*direct, *through_odbc),
      QStringList({"families.c_varbit: Size 8 vs 4", "families.c_inet: Attributes 2 vs 0",
                   "families.c_arr: DataType 1442451717 vs 2079207697",
                   "families.c_arr: Attributes 2 vs 0", "numbering.shared: Size 4 vs 0",
                   "numbering.shared: Attributes 1 vs 17", "numbering.g: Attributes 33 vs 1"}));
  EXPECT_TRUE(TableNames(*through_odbc).contains("Schéma X.Ünïcode tablé"));
}

TEST_F(OdbcDriverTest, AcceptsConnectionStringsWithoutPrefixOrDsn) {
  const QString driver_form =
      QStringLiteral(
          "DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;UID=postgres;"
          "PWD=%2;Database=%3")
          .arg(ServerFact("PG_PORT"), ServerFact("PG_PASSWORD"), kDatabase);
  const auto connection = Open(QString(), driver_form);
  EXPECT_EQ(connection->DatabaseName(), kDatabase);
  EXPECT_TRUE(TableNames(*connection).contains("alpha"));
}

TEST_F(OdbcDriverTest, SessionIsReadOnlyAtTheServer) {
  const auto session = OpenOdbcSession({QString(), Dsn(kDatabase)});
  for (const char* sql : {"INSERT INTO beta (a) VALUES (1)", "CREATE TABLE intruder (a int)"}) {
    QString message;
    EXPECT_FALSE(session->Execute(QString::fromUtf8(sql), &message)) << sql;
    EXPECT_TRUE(message.contains("read-only")) << message.toStdString();
  }
}

TEST_F(OdbcDriverTest, WrongPasswordSaysSoWithoutPrintingIt) {
  const component::Error error = OpenFailure(QString(), Dsn(kDatabase, "Wr0ng-Secret"));
  EXPECT_EQ(error.number(), kLoginFailed) << error.what();
  EXPECT_TRUE(error.description().contains("password")) << error.what();
  EXPECT_FALSE(error.description().contains("Wr0ng-Secret")) << error.what();
}

TEST_F(OdbcDriverTest, UnknownDatabaseAndUnknownDsnSaySo) {
  {
    const component::Error error = OpenFailure(QString(), Dsn("no_such_database"));
    EXPECT_EQ(error.number(), kUnknownDatabase) << error.what();
    EXPECT_FALSE(error.description().contains(ServerFact("PG_PASSWORD"))) << error.what();
  }
  {
    const component::Error error = OpenFailure(QString(), "ODBC;DSN=no_such_dsn;PWD=Wr0ng-Secret");
    EXPECT_EQ(error.number(), kDriverMissing) << error.what();
    EXPECT_FALSE(error.description().contains("Wr0ng-Secret")) << error.what();
  }
}

TEST_F(OdbcDriverTest, ClosedAndSilentPortsFail) {
  const QString form = QStringLiteral(
      "DRIVER={PostgreSQL Unicode};Servername=127.0.0.1;Port=%1;UID=u;PWD=pw;Database=x");
  {
    const component::Error error = OpenFailure(QString(), form.arg(ClosedPort()));
    EXPECT_EQ(error.number(), kConnectFailed) << error.what();
  }
  SilentPort silent;
  {
    const component::Error error = OpenFailure(QString(), form.arg(silent.port()));
    EXPECT_EQ(error.number(), kConnectTimeout) << error.what();
    EXPECT_FALSE(error.description().contains("PWD=pw")) << error.what();
  }
}

TEST_F(OdbcDriverTest, ConnectStringAndDatabaseNameReopenTheDatabase) {
  const auto direct = Open(QString(), Dsn(kDatabase));
  EXPECT_EQ(direct->DatabaseName(), kDatabase);
  EXPECT_EQ(Open(direct->DatabaseName(), direct->ConnectString())->DatabaseName(), kDatabase);

  const auto named = Open(kDatabase, Dsn("postgres"));
  EXPECT_EQ(named->DatabaseName(), kDatabase);
  EXPECT_EQ(TableNames(*named), TableNames(*direct));
  EXPECT_EQ(Open(QString(), named->ConnectString())->DatabaseName(), kDatabase);
  EXPECT_EQ(Open(named->DatabaseName(), named->ConnectString())->DatabaseName(), kDatabase);
}

TEST(OdbcConnectionStringTest, ReplacesTheDatabaseKeywordAndKeepsBraces) {
  EXPECT_EQ(OdbcConnectionString("ODBC;DSN=a;DB=old;PWD={x;y}", "new db"),
            "DSN=a;PWD={x;y};DATABASE=new db");
  EXPECT_EQ(OdbcConnectionString("DSN=a;Database=old", "semi;colon"),
            "DSN=a;DATABASE={semi;colon}");
  EXPECT_EQ(OdbcConnectionString("ODBC;DSN=a", QString()), "DSN=a");
}

TEST(OdbcTypeTest, AddsTheLengthOrPrecisionTheOdbcTypeCarries) {
  EXPECT_EQ(ClassifyOdbcType({"varchar", SQL_VARCHAR, 20, -1}).size, 20);
  EXPECT_EQ(ClassifyOdbcType({"numeric", SQL_NUMERIC, 10, 2}).size, 10 * 65536 + 2);
  EXPECT_EQ(ClassifyOdbcType({"int identity", SQL_INTEGER, 10, 0}).data_type, kInteger);
  EXPECT_EQ(ClassifyOdbcType({"serial", SQL_INTEGER, 10, 0}).size, 4);
  EXPECT_EQ(ClassifyOdbcType({"int4", SQL_INTEGER, 10, 0}).size, 4);
  // A time kind's DECIMAL_DIGITS is the precision in effect, declared or not.
  EXPECT_EQ(ClassifyOdbcType({"timestamptz", SQL_TYPE_TIMESTAMP, 23, 3}).size, 3);
  EXPECT_EQ(ClassifyOdbcType({"datetime", SQL_TYPE_TIMESTAMP, 26, 6}, TypeDialect::kMysql).size, 6);
  EXPECT_EQ(DialectOfDbms("MariaDB"), TypeDialect::kMysql);
  // A display width is no declared length.
  EXPECT_EQ(ClassifyOdbcType({"inet", SQL_VARCHAR, 50, -1}).size, 0);
  EXPECT_EQ(ClassifyOdbcType({"varchar", SQL_VARCHAR, 255, -1, false}).size, 0);
  EXPECT_EQ(ClassifyOdbcType({"numeric", SQL_NUMERIC, 28, 6, false}).size, 0);
}

TEST(OdbcDataSourcesTest, ListsUserThenSystemSourcesEachNameOnce) {
  QTemporaryDir dir;
  const auto write = [&](const QString& name, const QByteArray& text) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  };
  write("user.ini", "[mine]\nDriver=x\n[shared]\nDriver=x\n");
  write("odbc.ini", "[shared]\nDriver=x\n[everyone]\nDriver=x\n");
  write("odbcinst.ini", "");
  const QByteArray saved_ini = qgetenv("ODBCINI");
  const QByteArray saved_sysini = qgetenv("ODBCSYSINI");
  qputenv("ODBCINI", QFile::encodeName(dir.filePath("user.ini")));
  qputenv("ODBCSYSINI", QFile::encodeName(dir.path()));
  const QStringList names = OdbcDataSourceNames();
  qputenv("ODBCINI", saved_ini);
  qputenv("ODBCSYSINI", saved_sysini);
  EXPECT_EQ(names, QStringList({"mine", "shared", "everyone"}));
}

}  // namespace
}  // namespace dataaccess::testing
