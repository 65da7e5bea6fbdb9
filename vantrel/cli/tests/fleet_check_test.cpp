// `vantrel-cli check` against fleets on the real servers: the lines per target, the groups, the
// exit status, and how many sessions the servers themselves saw.
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "dataaccess/data_engine.h"
#include "testing/output_corpus.h"
#include "testing/server_test_support.h"

namespace dataaccess::test_support {
namespace {

struct CliResult {
  int status = -1;
  QString output;
  QString errors;
};

CliResult RunCli(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(VANTREL_CLI), arguments);
  EXPECT_TRUE(process.waitForFinished(120000));
  const QByteArray output = process.readAllStandardOutput();
  if (arguments.value(0) == u"compare" || arguments.value(0) == u"check") {
    vantrel::test_support::RecordOutput(arguments, process.exitCode(), output);
  }
  return {process.exitCode(), QString::fromUtf8(output),
          QString::fromUtf8(process.readAllStandardError())};
}

// The tables every tenant has; a drift is one statement run in one tenant after them.
const char* const kTenantTables[] = {
    "CREATE TABLE %1.orders (id integer PRIMARY KEY, total numeric(10,2), placed date)",
    "CREATE TABLE %1.customers (id integer, name varchar(50) NOT NULL)",
    "CREATE TABLE %1.notes (id integer, body text)",
};

struct Drift {
  int tenant;
  const char* statement;
};

QString Tenant(int i) { return QStringLiteral("tenant_%1").arg(i, 2, 10, QChar(u'0')); }

// The lines check prints for its targets, in order, without the groups and the summary.
QStringList TargetLines(const QString& output) {
  return output.section(QStringLiteral("\n\n"), 0, 0).split(u'\n');
}

TEST(FleetCheckTest, PostgresSchemasAreReadThroughOneSessionAndDriftsGroup) {
  VANTREL_REQUIRE_SERVER("PG");
  constexpr int kTenants = 30;
  const std::vector<Drift> drifts = {
      {5, "ALTER TABLE tenant_05.orders ADD COLUMN note text"},
      {12, "ALTER TABLE tenant_12.orders ADD COLUMN note text"},
      {20, "DROP TABLE tenant_20.notes"},
  };
  RecreatePostgresDatabase("vt_fleet");
  QStringList statements = {"CREATE SCHEMA unrelated", "CREATE TABLE unrelated.x (a int)"};
  for (int i = 1; i <= kTenants; ++i) {
    statements.append("CREATE SCHEMA " + Tenant(i));
    for (const char* table : kTenantTables) statements.append(QString(table).arg(Tenant(i)));
  }
  for (const Drift& drift : drifts) statements.append(drift.statement);
  RunPostgres("vt_fleet", statements);
  const QString database = PostgresUri("vt_fleet");
  const QTemporaryDir folder;
  const QString reference = folder.filePath("reference.json");
  ASSERT_EQ(RunCli({"snapshot", database + "?schema=tenant_01", "-o", reference}).status, 0);

  // Two schemas of other names compare as equal databases, in both forms of connect string.
  const QString keywords = QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=vt_fleet")
                               .arg(ServerFact("PG_HOST"), ServerFact("PG_PORT"),
                                    ServerFact("PG_USER"), ServerFact("PG_PASSWORD"));
  const struct {
    QString a, b;
    int status;
  } pairs[] = {{database + "?schema=tenant_01", database + "?schema=tenant_02", 0},
               {keywords + " schema=tenant_03", database + "?sslmode=disable&schema=tenant_05", 1},
               {reference, keywords + " schema=tenant_04", 0},
               {database + "?schema=tenant_01", database + "?schema=no_such_schema", 2}};
  for (const auto& pair : pairs) {
    const CliResult result = RunCli({"compare", pair.a, pair.b});
    EXPECT_EQ(result.status, pair.status)
        << pair.a.toStdString() << " / " << pair.b.toStdString() << "\n"
        << result.output.toStdString() << result.errors.toStdString();
  }

  // A connection to a schema names it "DATABASE.SCHEMA" and reopens from what it says, also when
  // the name overrides the database of another connect string.
  for (const auto& [name, connect_string] :
       {std::pair(QString(), database + "?schema=tenant_05"),
        std::pair(QString("vt_fleet.tenant_05"), PostgresUri("postgres") + "?schema=tenant_05")}) {
    const DataEnvironment& environment = DataEngine::Instance().Environments().Item(0);
    const auto first = environment.OpenConnection(name, kPromptNever, true, connect_string);
    const auto again = environment.OpenConnection(first->DatabaseName(), kPromptNever, true,
                                                  first->ConnectString());
    EXPECT_EQ(again->DatabaseName(), "vt_fleet.tenant_05") << connect_string.toStdString();
    EXPECT_TRUE(CatalogDifferences(*first, *again).isEmpty()) << connect_string.toStdString();
    EXPECT_EQ(again->Tables().Item("orders").Columns().Count(), 4);
  }

  const QString sessions = "SELECT sessions FROM pg_stat_database WHERE datname = 'vt_fleet'";
  const int before = PostgresValue("postgres", sessions).toInt();
  const QString unreachable =
      QStringLiteral("postgresql://%1:%2@127.0.0.1:%3/vt_fleet?schema=tenant_01")
          .arg(ServerFact("PG_USER"), ServerFact("PG_PASSWORD"))
          .arg(ClosedPort());
  const CliResult result = RunCli({"check", "--jobs", "4", reference, database + "?schema=tenant_*",
                                   database + "?schema=nomatch_*", unreachable,
                                   database + "?schema=tenant_02", database + "?schema="});
  // A session is counted when its backend ends, which may be just after the client left.
  int after = before;
  for (int wait = 0; wait < 30 && after == before; ++wait) {
    QThread::msleep(100);
    after = PostgresValue("postgres", sessions).toInt();
  }
  QThread::msleep(300);
  EXPECT_EQ(PostgresValue("postgres", sessions).toInt() - before, 1)
      << "one session for every schema of the database";
  EXPECT_EQ(result.status, 2) << result.errors.toStdString();
  EXPECT_FALSE(result.output.contains(ServerFact("PG_PASSWORD")));
  QStringList expected;
  for (int i = 1; i <= kTenants; ++i) {
    const bool drifted = i == 5 || i == 12 || i == 20;
    expected.append(Tenant(i) + (i == 20   ? ": 1 difference"
                                 : drifted ? ": 3 differences"
                                           : ": identical"));
  }
  expected.append(QString(database).replace(ServerFact("PG_PASSWORD"), "***") +
                  "?schema=nomatch_*: cannot be compared: no schema matches 'nomatch_*'");
  expected.append("tenant_01: cannot be compared: ");
  expected.append("tenant_02: identical");
  // An empty schema (an unset variable in a CI script) is named by the target as given.
  expected.append(QString(database).replace(ServerFact("PG_PASSWORD"), "***") +
                  "?schema=: cannot be compared: the connect string names an empty schema");
  const QStringList lines = TargetLines(result.output);
  ASSERT_EQ(lines.size(), expected.size()) << result.output.toStdString();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].startsWith(expected[i])) << lines[i].toStdString();
  }
  EXPECT_TRUE(
      result.output.contains("\n2 targets differ the same way: tenant_05, tenant_12\n\n"
                             "Table: '" +
                             reference +
                             ".vt_fleet.tenant_01.orders', and "
                             "'<target>.orders' differ"))
      << result.output.toStdString();
  EXPECT_TRUE(result.output.contains("\n1 target differs this way: tenant_20\n"));
  EXPECT_TRUE(
      result.output.endsWith("\n34 targets: 28 identical, 3 differ, 3 could not be compared\n"));
}

TEST(FleetCheckTest, MariadbDatabasesOfAPatternShareOneConnection) {
  VANTREL_REQUIRE_SERVER("MARIADB");
  const QStringList tenants = {"vt_tenant_a", "vt_tenant_b", "vt_tenant_c", "vt_tenant_d",
                               "vt_tenant_e"};
  for (const QString& tenant : tenants + QStringList{"vt_other"}) {
    RecreateMysqlDatabase(tenant);
    RunMysql(
        {QString("CREATE TABLE %1.orders (id int PRIMARY KEY, total decimal(10,2))").arg(tenant),
         QString("CREATE TABLE %1.customers (id int, name varchar(50))").arg(tenant)});
  }
  // Drifts the comparison of fields does not see: an index, and a default.
  RunMysql({"ALTER TABLE vt_tenant_c.customers MODIFY name varchar(80)",
            "CREATE INDEX by_total ON vt_tenant_d.orders (total)",
            "ALTER TABLE vt_tenant_e.orders ALTER total SET DEFAULT 0"});
  const QTemporaryDir folder;
  const QString reference = folder.filePath("reference.json");
  ASSERT_EQ(RunCli({"snapshot", MysqlUri("vt_tenant_a"), "-o", reference}).status, 0);
  const QString connections =
      "SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS "
      "WHERE VARIABLE_NAME = 'CONNECTIONS'";
  const int before = MysqlValue(connections).toInt();
  const CliResult result =
      RunCli({"check", reference, MysqlUri("vt_tenant_*"), MysqlUri("vt_nothing_*")});
  // The check's one connection, and the one that reads the counter again.
  EXPECT_EQ(MysqlValue(connections).toInt() - before, 2);
  EXPECT_EQ(result.status, 2) << result.errors.toStdString();
  EXPECT_EQ(
      TargetLines(result.output),
      QStringList({"vt_tenant_a: identical", "vt_tenant_b: identical", "vt_tenant_c: 2 differences",
                   "vt_tenant_d: identical", "vt_tenant_e: identical",
                   MysqlUri("vt_nothing_*").replace(ServerFact("MARIADB_PASSWORD"), "***") +
                       ": cannot be compared: no database matches 'vt_nothing_*'"}))
      << result.output.toStdString();

  // Each database of the pattern has the objects asked for read, through the same one session;
  // the fields are not asked for, so vt_tenant_c's longer name is not seen.
  const int before_objects = MysqlValue(connections).toInt();
  const CliResult objects =
      RunCli({"check", "--objects", "indexes,defaults", reference, MysqlUri("vt_tenant_*")});
  EXPECT_EQ(MysqlValue(connections).toInt() - before_objects, 2);
  EXPECT_EQ(objects.status, 1) << objects.errors.toStdString();
  EXPECT_EQ(
      TargetLines(objects.output),
      QStringList({"vt_tenant_a: identical", "vt_tenant_b: identical", "vt_tenant_c: identical",
                   "vt_tenant_d: 1 difference", "vt_tenant_e: 2 differences"}))
      << objects.output.toStdString();
}

// A database named in a target's URI is looked for under the name the session would open: the
// bytes its percent-encoding stands for, a noncharacter (U+FFFF) included.
TEST(FleetCheckTest, AMariadbDatabaseIsLookedForUnderTheNameItsUriSpells) {
  VANTREL_REQUIRE_SERVER("MARIADB");
  const QString tenant = QStringLiteral("vt_t\uFFFF\u00E9");
  RecreateMysqlDatabase(tenant);
  RunMysql({QStringLiteral("CREATE TABLE `%1`.orders (id int PRIMARY KEY)").arg(tenant)});
  const QTemporaryDir folder;
  const QString reference = folder.filePath("reference.json");
  ASSERT_EQ(RunCli({"snapshot", MysqlUri(tenant), "-o", reference}).status, 0);
  const CliResult result = RunCli({"check", reference, MysqlUri(tenant)});
  EXPECT_EQ(result.status, 0) << result.output.toStdString() << result.errors.toStdString();
  EXPECT_TRUE(
      result.output.endsWith("\n1 target: 1 identical, 0 differ, 0 could not be compared\n"))
      << result.output.toStdString();
}

}  // namespace
}  // namespace dataaccess::test_support
