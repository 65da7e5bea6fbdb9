// vantrel-cli migrate for the CI servers: each script, in the target's dialect, is run on the
// secondary (which holds rows) as a person would run it, and the secondary must then compare equal
// to the primary with every row kept; across engines, it must converge or say what it cannot
// express.
#include <sqlite3.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <tuple>
#include <vector>

#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/cli/tests/engine_pair_compare.h"

namespace dataaccess::test_support {
namespace {

struct CliRun {
  int status = -1;
  QByteArray out;
  QString errors;
};

CliRun Cli(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(VANTREL_CLI), arguments);
  process.waitForFinished(120000);
  return {process.exitCode(), process.readAllStandardOutput(),
          QString::fromUtf8(process.readAllStandardError())};
}

// The statements of a JSON script that run: before, the steps not held back, after.
QStringList StatementsThatRun(const QJsonObject& script) {
  QStringList statements;
  for (const auto& statement : script.value("before").toArray()) {
    statements.append(statement.toString());
  }
  for (const auto& step : script.value("steps").toArray()) {
    if (!step.toObject().value("held_back").isNull()) continue;
    for (const auto& statement : step.toObject().value("statements").toArray()) {
      statements.append(statement.toString());
    }
  }
  for (const auto& statement : script.value("after").toArray()) {
    statements.append(statement.toString());
  }
  return statements;
}

// Runs `statements` on the database `name` of `engine` (`path` for SQLite); the test fails on an
// error.
void RunOn(Engine engine, const QString& name, const QString& path, const QStringList& statements) {
  switch (engine) {
    case Engine::kPostgres:
      RunPostgres(name, statements);
      return;
    case Engine::kMariadb:
      RunMysql(QStringList{"USE " + name} + statements);
      return;
    case Engine::kSqlite: {
      sqlite3* db = nullptr;
      sqlite3_open(path.toUtf8().constData(), &db);
      sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
      for (const QString& statement : statements) {
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &message),
                  SQLITE_OK)
            << statement.toStdString() << ": " << (message ? message : "");
        sqlite3_free(message);
      }
      sqlite3_close(db);
      return;
    }
  }
}

QString Count(Engine engine, const QString& name, const QString& path, const QString& table) {
  const QString sql = "SELECT count(*) FROM " + table;
  switch (engine) {
    case Engine::kPostgres:
      return PostgresValue(name, sql);
    case Engine::kMariadb:
      return MysqlValue("SELECT count(*) FROM " + name + "." + table);
    case Engine::kSqlite: {
      sqlite3* db = nullptr;
      sqlite3_open(path.toUtf8().constData(), &db);
      sqlite3_stmt* query = nullptr;
      QString value;
      if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &query, nullptr) == SQLITE_OK &&
          sqlite3_step(query) == SQLITE_ROW) {
        value = QString::number(sqlite3_column_int64(query, 0));
      }
      sqlite3_finalize(query);
      sqlite3_close(db);
      return value;
    }
  }
  return {};
}

// The number of tables, views and sequences of a server's database.
QString Tables(Engine engine, const QString& name) {
  if (engine == Engine::kPostgres) {
    return PostgresValue(name,
                         "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = "
                         "c.relnamespace WHERE n.nspname = 'public' AND c.relkind IN ('r', 'v', "
                         "'S')");
  }
  return MysqlValue("SELECT count(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = '" + name +
                    "'");
}

struct Change {
  const char* name;
  QStringList primary;
  QStringList secondary;    // with rows in every table the primary keeps
  QStringList tables = {};  // tables whose rows are counted before and after
};

// Changes whose SQL both servers take as written.
std::vector<Change> Changes() {
  return {
      {"fields added, changed and dropped",
       {"CREATE TABLE t (id INT PRIMARY KEY, b INT, a VARCHAR(50) NOT NULL DEFAULT 'n', c INT)"},
       {"CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(40), gone INT)",
        "INSERT INTO t VALUES (1, 'x', 1), (2, 'y', 2)"},
       {"t"}},
      {"default changed and dropped",
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT DEFAULT 2, b INT)"},
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT DEFAULT 1, b INT DEFAULT 3)",
        "INSERT INTO t VALUES (1, 1, 1)"},
       {"t"}},
      {"indexes, unique and check",
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT, b INT, CONSTRAINT ta UNIQUE (a),"
        " CONSTRAINT tb CHECK (b > 0))",
        "CREATE INDEX tab ON t (a, b)"},
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT, b INT)", "CREATE INDEX told ON t (b)",
        "INSERT INTO t VALUES (1, 1, 1), (2, 2, 2)"},
       {"t"}},
      {"foreign key into a changed table, and tables added and dropped",
       {"CREATE TABLE p (id INT PRIMARY KEY, name VARCHAR(80))",
        "CREATE TABLE c (id INT PRIMARY KEY, p INT NOT NULL,"
        " CONSTRAINT cp FOREIGN KEY (p) REFERENCES p (id) ON DELETE CASCADE)",
        "CREATE TABLE fresh (id INT PRIMARY KEY, c INT, CONSTRAINT fc FOREIGN KEY (c) REFERENCES c "
        "(id))"},
       {"CREATE TABLE p (id INT PRIMARY KEY, name VARCHAR(40))",
        "CREATE TABLE c (id INT PRIMARY KEY, p INT NOT NULL)", "CREATE TABLE old (x INT)",
        "INSERT INTO p VALUES (1, 'a'), (2, 'b')", "INSERT INTO c VALUES (1, 1), (2, 2), (3, 2)"},
       {"p", "c"}},
      // PostgreSQL drops a serial column's sequence with its table: no statement of its own.
      {"a numbered table dropped and one made",
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE TABLE fresh (id SERIAL PRIMARY KEY, v INT)"},
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE TABLE old (id SERIAL PRIMARY KEY, v INT)",
        "INSERT INTO t VALUES (1)"},
       {"t"}},
      // Both servers refuse to change the type of a field a foreign key holds, on either end,
      // while the key stands: it is dropped before and made again after.
      {"a field's type changed at both ends of a foreign key",
       // The key keeps its own name, which MariaDB's index for it has too.
       {"CREATE TABLE p (id VARCHAR(36) PRIMARY KEY, n BIGINT)",
        "CREATE TABLE c (id INT PRIMARY KEY, p VARCHAR(36),"
        " CONSTRAINT c_to_p FOREIGN KEY (p) REFERENCES p (id))"},
       {"CREATE TABLE p (id UUID PRIMARY KEY, n INT)",
        "CREATE TABLE c (id INT PRIMARY KEY, p UUID,"
        " CONSTRAINT cp FOREIGN KEY (p) REFERENCES p (id))",
        "INSERT INTO p VALUES ('0b3a2c4e-1d2f-4a5b-8c6d-7e8f9a0b1c2d', 1)",
        "INSERT INTO c VALUES (1, '0b3a2c4e-1d2f-4a5b-8c6d-7e8f9a0b1c2d')"},
       {"p", "c"}},
      // MariaDB writes NOCYCLE, and no NO CYCLE.
      {"a sequence made and one changed",
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE SEQUENCE s1 INCREMENT BY 50",
        "CREATE SEQUENCE s2 INCREMENT BY 5"},
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE SEQUENCE s2 INCREMENT BY 1",
        "INSERT INTO t VALUES (1)"},
       {"t"}},
      // A table and a sequence share their names: the one that goes goes first.
      {"a table in place of a sequence",
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE TABLE s_seq (next_val BIGINT)"},
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE SEQUENCE s_seq", "INSERT INTO t VALUES (1)"},
       {"t"}},
      {"a sequence in place of a table",
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE SEQUENCE s_seq"},
       {"CREATE TABLE t (id INT PRIMARY KEY)", "CREATE TABLE s_seq (next_val BIGINT)",
        "INSERT INTO t VALUES (1)"},
       {"t"}},
      {"views over a changed field, changed and new",
       {"CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(60))",
        "CREATE VIEW v AS SELECT id, a FROM t", "CREATE VIEW w AS SELECT a FROM v",
        "CREATE VIEW fresh AS SELECT id FROM t"},
       {"CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(30))",
        "CREATE VIEW v AS SELECT id, a FROM t", "CREATE VIEW w AS SELECT id FROM v",
        "INSERT INTO t VALUES (1, 'x')"},
       {"t"}},
  };
}

class MigrateServerTest : public ::testing::TestWithParam<Engine> {};

TEST_P(MigrateServerTest, EachScriptRunsOnTheSecondaryWithRowsAndConverges) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.name);
    SqliteTestFolder folder;
    const QString primary = BuildDatabase(engine, "migrate_p", change.primary, folder);
    const QString secondary = BuildDatabase(engine, "migrate_s", change.secondary, folder);
    const QString path = folder.PathOf("migrate_s.db");
    QStringList counts;
    for (const QString& table : change.tables)
      counts.append(Count(engine, "migrate_s", path, table));
    // Proven first in a scratch database of the engine, which is left empty again.
    const QString scratch = BuildDatabase(engine, "migrate_x", {}, folder);
    for (const QStringList& allowed : {QStringList{}, QStringList{"--allow-unsafe"}}) {
      const CliRun proof = Cli(QStringList{"migrate", "--verify", "--scratch", scratch} + allowed +
                               QStringList{primary, secondary});
      EXPECT_NE(proof.status, 2) << proof.errors.toStdString() << proof.out.toStdString();
      EXPECT_EQ(Tables(engine, "migrate_x"), "0");
    }
    const CliRun run = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
    ASSERT_NE(run.status, 2) << run.errors.toStdString();
    const QJsonObject script = QJsonDocument::fromJson(run.out).object();
    RunOn(engine, "migrate_s", path, StatementsThatRun(script));
    // Nothing is left but what the script said it cannot write (PostgreSQL never moves a
    // column), and where it said nothing, nothing differs.
    const CliRun again = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
    for (const auto& step : QJsonDocument::fromJson(again.out).object().value("steps").toArray()) {
      EXPECT_TRUE(step.toObject().value("inexpressible").toBool())
          << QJsonDocument(step.toObject()).toJson().toStdString() << run.out.toStdString();
    }
    if (run.status == 0) {
      const CliRun after = Cli({"compare", "--objects", "all", primary, secondary});
      EXPECT_EQ(after.status, 0) << after.out.toStdString() << run.out.toStdString();
    }
    for (qsizetype i = 0; i < change.tables.size(); ++i) {
      EXPECT_EQ(Count(engine, "migrate_s", path, change.tables[i]), counts[i])
          << change.tables[i].toStdString();
    }
  }
}

// Each primary's whole structure, written for an empty database of its engine and run there,
// compares equal to the primary.
TEST_P(MigrateServerTest, FromEmptyMakesTheWholeStructure) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.name);
    SqliteTestFolder folder;
    const QString primary = BuildDatabase(engine, "migrate_p", change.primary, folder);
    const QString empty = BuildDatabase(engine, "migrate_s", {}, folder);
    const CliRun run = Cli({"migrate", "--from-empty", "--format", "json", primary});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString() << run.out.toStdString();
    RunOn(engine, "migrate_s", {}, StatementsThatRun(QJsonDocument::fromJson(run.out).object()));
    const CliRun after = Cli({"compare", "--objects", "all", primary, empty});
    EXPECT_EQ(after.status, 0) << after.out.toStdString() << run.out.toStdString();
  }
}

// A scratch database that holds anything is not written in: the proof is refused, and what it
// holds stays; the secondary's engine must be the scratch's.
TEST_P(MigrateServerTest, AScratchDatabaseThatHoldsATableIsRefused) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  SqliteTestFolder folder;
  const QString primary = BuildDatabase(engine, "migrate_p", {"CREATE TABLE a (x INT)"}, folder);
  const QString secondary = BuildDatabase(engine, "migrate_s", {}, folder);
  const QString scratch = BuildDatabase(
      engine, "migrate_x", {"CREATE TABLE kept (x INT)", "INSERT INTO kept VALUES (1)"}, folder);
  const CliRun run = Cli({"migrate", "--verify", "--scratch", scratch, primary, secondary});
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.errors.contains("the scratch database holds 1 tables, views, sequences or types"))
      << run.errors.toStdString();
  EXPECT_EQ(run.out, QByteArray());
  EXPECT_EQ(Count(engine, "migrate_x", {}, "kept"), "1");
  const CliRun without = Cli({"migrate", "--verify", primary, secondary});
  EXPECT_EQ(without.status, 2);
  EXPECT_TRUE(without.errors.contains("needs --scratch URL")) << without.errors.toStdString();
  const QString sqlite = folder.CreateDatabase("s.db", "CREATE TABLE a (x INT)");
  EXPECT_EQ(Cli({"migrate", "--verify", "--scratch", scratch, primary, sqlite}).status, 2);
  // One of another default collation than the secondary's would give the tables made there
  // another collation: the error says which to make it with.
  if (engine == Engine::kMariadb) {
    const QString wanted = MysqlValue(
        "SELECT DEFAULT_COLLATION_NAME FROM information_schema.SCHEMATA WHERE SCHEMA_NAME = "
        "'migrate_s'");
    RunMysql({"DROP DATABASE migrate_x", "CREATE DATABASE migrate_x COLLATE latin1_swedish_ci"});
    const CliRun other = Cli({"migrate", "--verify", "--scratch", scratch, primary, secondary});
    EXPECT_EQ(other.status, 2);
    EXPECT_TRUE(
        other.errors.contains("its default collation is 'latin1_swedish_ci' where "
                              "'secondary' has '" +
                              wanted + "'"))
        << other.errors.toStdString();
    EXPECT_EQ(Tables(engine, "migrate_x"), "0");
  }
}

// The SQL text, as a person runs it with the engine's own client, does what the JSON says: a
// trigger whose body holds statements of its own reaches mariadb under a delimiter of its own.
TEST_P(MigrateServerTest, TheTextRunsInTheEnginesOwnClient) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  SqliteTestFolder folder;
  QStringList primary_sql = {"CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(50), n INT DEFAULT 0)"};
  if (engine == Engine::kMariadb) {
    primary_sql.append(
        "CREATE TRIGGER tn BEFORE UPDATE ON t FOR EACH ROW BEGIN SET NEW.n = OLD.n + 1; "
        "IF NEW.a IS NULL THEN SET NEW.a = 'none'; END IF; END");
  }
  const QString primary = BuildDatabase(engine, "migrate_p", primary_sql, folder);
  const QString secondary = BuildDatabase(
      engine, "migrate_s",
      {"CREATE TABLE t (id INT PRIMARY KEY, a VARCHAR(40))", "INSERT INTO t VALUES (1, 'x')"},
      folder);
  const CliRun run = Cli({"migrate", primary, secondary});
  ASSERT_EQ(run.status, 0) << run.errors.toStdString() << run.out.toStdString();
  QProcess client;
  if (engine == Engine::kMariadb) {
    client.start("mariadb",
                 {"-uroot", "-h127.0.0.1", "-P" + ServerFact("MARIADB_PORT"), "migrate_s"});
  } else {
    client.start("psql", {"-q", "-v", "ON_ERROR_STOP=1", "-h", ServerFact("PG_SOCKET_DIR"), "-p",
                          ServerFact("PG_PORT"), "-U", "postgres", "-d", "migrate_s"});
  }
  ASSERT_TRUE(client.waitForStarted()) << "the engine's client is missing";
  client.write(run.out);
  client.closeWriteChannel();
  client.waitForFinished(60000);
  EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString()
                                  << run.out.toStdString();
  const CliRun after = Cli({"compare", "--objects", "all", primary, secondary});
  EXPECT_EQ(after.status, 0) << after.out.toStdString() << run.out.toStdString();
  EXPECT_EQ(Count(engine, "migrate_s", {}, "t"), "1");
}

// A check or unique index that the primary has anew under the name of one of the secondary's
// replaces it: while the new one is held back, the old one is not dropped, and the secondary still
// refuses what it refused.
TEST_P(MigrateServerTest, AConstraintIsNotDroppedWhileItsReplacementIsHeldBack) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  struct Replaced {
    const char* name;
    QStringList primary;
    QStringList secondary;
    const char* refused;  // a row the secondary's own constraint refuses, into table %1
  };
  const std::vector<Replaced> cases = {
      {"check",
       {"CREATE TABLE t (id INT PRIMARY KEY, w VARCHAR(10), CONSTRAINT tw CHECK (w <> 'b'))"},
       {"CREATE TABLE t (id INT PRIMARY KEY, w VARCHAR(10), CONSTRAINT tw CHECK (w <> 'z'))",
        "INSERT INTO t VALUES (1, 'a'), (2, 'b')"},
       "INSERT INTO %1 VALUES (3, 'z')"},
      {"unique index",
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT, b INT)", "CREATE UNIQUE INDEX tw ON t (b)"},
       {"CREATE TABLE t (id INT PRIMARY KEY, a INT, b INT)", "CREATE UNIQUE INDEX tw ON t (a)",
        "INSERT INTO t VALUES (1, 1, 5), (2, 2, 5)"},
       "INSERT INTO %1 VALUES (3, 1, 6)"},
  };
  for (const Replaced& c : cases) {
    SCOPED_TRACE(c.name);
    SqliteTestFolder folder;
    const QString primary = BuildDatabase(engine, "migrate_p", c.primary, folder);
    const QString secondary = BuildDatabase(engine, "migrate_s", c.secondary, folder);
    const QString scratch = BuildDatabase(engine, "migrate_x", {}, folder);
    const CliRun proof =
        Cli({"migrate", "--verify", "--scratch", scratch, "--format", "json", primary, secondary});
    ASSERT_EQ(proof.status, 1) << proof.errors.toStdString() << proof.out.toStdString();
    RunOn(engine, "migrate_s", {}, StatementsThatRun(QJsonDocument::fromJson(proof.out).object()));
    const QString error = engine == Engine::kPostgres
                              ? PostgresError("migrate_s", QString::fromUtf8(c.refused).arg("t"))
                              : MysqlError(QString::fromUtf8(c.refused).arg("migrate_s.t"));
    EXPECT_FALSE(error.isEmpty()) << proof.out.toStdString();
    EXPECT_EQ(Count(engine, "migrate_s", {}, "t"), "2");
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, MigrateServerTest,
                         ::testing::Values(Engine::kPostgres, Engine::kMariadb),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                           return std::string(EngineName(info.param));
                         });

// The same application's schema, an older version on one engine and the newer one on another:
// the script runs on the target and converges, or says what it cannot express.
class CrossEngineMigrateTest : public ::testing::TestWithParam<std::tuple<Engine, Engine>> {};

TEST_P(CrossEngineMigrateTest, TheScriptConvergesOrSaysWhatItCannotExpress) {
  const auto [from, to] = GetParam();
  VANTREL_REQUIRE_ENGINES(from, to);
  SqliteTestFolder folder;
  const QString primary = BuildDatabase(
      from, "migrate_p",
      {"CREATE TABLE customers (id INT PRIMARY KEY, name VARCHAR(80) NOT NULL, email VARCHAR(120),"
       " score DECIMAL(10,2) DEFAULT 0, born DATE, CONSTRAINT email_once UNIQUE (email))",
       "CREATE TABLE orders (id INT PRIMARY KEY, customer INT NOT NULL, total DECIMAL(12,2),"
       " placed TIMESTAMP, note TEXT, CONSTRAINT oc FOREIGN KEY (customer) REFERENCES customers "
       "(id)"
       " ON DELETE CASCADE)",
       "CREATE INDEX orders_placed ON orders (placed)"},
      folder);
  const QString secondary = BuildDatabase(
      to, "migrate_s",
      {"CREATE TABLE customers (id INT PRIMARY KEY, name VARCHAR(60), score DECIMAL(10,2))",
       "CREATE TABLE orders (id INT PRIMARY KEY, customer INT NOT NULL, total DECIMAL(10,2))",
       "INSERT INTO customers VALUES (1, 'a', 1), (2, 'b', 2)",
       "INSERT INTO orders VALUES (1, 1, 5), (2, 2, 6), (3, 2, 7)"},
      folder);
  const QString path = folder.PathOf("migrate_s.db");
  const CliRun run = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
  ASSERT_NE(run.status, 2) << run.errors.toStdString();
  RunOn(to, "migrate_s", path, StatementsThatRun(QJsonDocument::fromJson(run.out).object()));
  EXPECT_EQ(Count(to, "migrate_s", path, "orders"), "3");
  // Run again, the script has nothing left to do but what it said it cannot write.
  const CliRun again = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
  for (const auto& step : QJsonDocument::fromJson(again.out).object().value("steps").toArray()) {
    EXPECT_TRUE(step.toObject().value("inexpressible").toBool())
        << QJsonDocument(step.toObject()).toJson().toStdString() << run.out.toStdString();
  }
}

// From PostgreSQL to another engine: a new table that cannot be made there (a generation of
// PostgreSQL's own) holds back the foreign keys that name it, so that the script still runs and
// is proven; a serial's nextval() is the numbering written, an enum's default is its label,
// and price * qty, which PostgreSQL shows with a cast of qty, is written as price * qty.
TEST(PostgresToOtherEnginesTest, ATableThatCannotBeMadeHoldsBackTheKeysThatNameIt) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString primary = BuildDatabase(
      Engine::kPostgres, "migrate_p",
      {"CREATE TYPE mood AS ENUM ('glad', 'sad')",
       "CREATE TABLE kinds (id serial PRIMARY KEY, feel mood NOT NULL DEFAULT 'glad', "
       "note text, label text GENERATED ALWAYS AS (note || 'x') STORED)",
       "CREATE TABLE items (id serial PRIMARY KEY, kind_id int REFERENCES kinds (id), "
       "price numeric(8, 2), qty int, "
       "total numeric(12, 2) GENERATED ALWAYS AS (price * qty) STORED)"},
      folder);
  for (const Engine to : {Engine::kMariadb, Engine::kSqlite}) {
    SCOPED_TRACE(EngineName(to));
    // A file SQLite takes for a database holds a table.
    const QString secondary =
        BuildDatabase(to, "migrate_s", {"CREATE TABLE other (id INT)"}, folder);
    QStringList proof = {"migrate", "--verify"};
    if (to == Engine::kMariadb) proof << "--scratch" << BuildDatabase(to, "migrate_x", {}, folder);
    const CliRun run = Cli(proof + QStringList{primary, secondary});
    EXPECT_EQ(run.status, 1) << run.errors.toStdString() << run.out.toStdString();
    const QString script = QString::fromUtf8(run.out);
    EXPECT_TRUE(script.contains("the generation of field 'label'")) << script.toStdString();
    if (to == Engine::kMariadb) {
      EXPECT_TRUE(
          script.contains(QRegularExpression("-- NOT WRITTEN: held back with step \\d+, which "
                                             "makes table 'kinds': without that table its "
                                             "statements fail")))
          << script.toStdString();
    }
    EXPECT_TRUE(script.contains(
        QRegularExpression("^  .total. [^\\n]* GENERATED ALWAYS AS \\(.price. \\* .qty.\\) STORED",
                           QRegularExpression::MultilineOption)))
        << script.toStdString();
    // The enum's default is its label, as the held-back table would have it.
    EXPECT_TRUE(script.contains("DEFAULT 'glad'")) << script.toStdString();
    EXPECT_FALSE(script.contains("::mood")) << script.toStdString();
    EXPECT_FALSE(script.contains("nextval")) << script.toStdString();
  }
}

// A shorter VARCHAR cuts or refuses the longer values on the servers, and is held back there
// unless allowed, whatever engine the primary is; SQLite keeps any text whatever its declared
// length, so there the table is rebuilt with every row.
TEST(NarrowerTextTest, HeldBackOnTheServersAndWrittenForSqlite) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  const std::pair<Engine, Engine> pairs[] = {{Engine::kSqlite, Engine::kSqlite},
                                             {Engine::kPostgres, Engine::kPostgres},
                                             {Engine::kMariadb, Engine::kMariadb},
                                             {Engine::kSqlite, Engine::kPostgres},
                                             {Engine::kPostgres, Engine::kSqlite}};
  for (const auto& [from, to] : pairs) {
    SCOPED_TRACE(std::string(EngineName(from)) + " to " + EngineName(to));
    SqliteTestFolder folder;
    const QString primary = BuildDatabase(
        from, "migrate_p", {"CREATE TABLE a (id INT NOT NULL PRIMARY KEY, x VARCHAR(10))"}, folder);
    const QString secondary =
        BuildDatabase(to, "migrate_s",
                      {"CREATE TABLE a (id INT NOT NULL PRIMARY KEY, x VARCHAR(20))",
                       "INSERT INTO a VALUES (1, 'fifteen letters')"},
                      folder);
    const CliRun run = Cli({"migrate", primary, secondary});
    if (to == Engine::kSqlite) {
      EXPECT_EQ(run.status, 0) << run.out.toStdString();
      EXPECT_FALSE(run.out.contains("HELD BACK")) << run.out.toStdString();
      EXPECT_EQ(Cli({"migrate", "--verify", primary, secondary}).status, 0);
    } else {
      EXPECT_EQ(run.status, 1) << run.out.toStdString();
      EXPECT_TRUE(run.out.contains("-- HELD BACK: narrower: Size 10 on ")) << run.out.toStdString();
    }
  }
}

// SQLite has no enumeration: an enum of PostgreSQL or MariaDB is written as a text that a check
// holds to its labels, which the proof compares as the same enumeration, and which refuses what
// the enumeration refuses.
TEST(EnumToSqliteTest, AnEnumerationIsATextCheckedToItsLabels) {
  const struct {
    Engine from = Engine::kPostgres;
    QStringList statements;
  } cases[] = {
      {Engine::kPostgres,
       {"CREATE TYPE mood AS ENUM ('glad', 'it''s')",
        "CREATE TABLE t (id INT PRIMARY KEY, feel mood NOT NULL DEFAULT 'glad')"}},
      {Engine::kMariadb,
       {"CREATE TABLE t (id INT PRIMARY KEY, feel ENUM('glad', 'it''s') NOT NULL DEFAULT "
        "'glad')"}},
  };
  for (const auto& c : cases) {
    VANTREL_REQUIRE_ENGINES(c.from, Engine::kSqlite);
    SCOPED_TRACE(EngineName(c.from));
    SqliteTestFolder folder;
    const QString primary = BuildDatabase(c.from, "migrate_p", c.statements, folder);
    const QString secondary =
        BuildDatabase(Engine::kSqlite, "migrate_s", {"CREATE TABLE other (id INT)"}, folder);
    const CliRun run = Cli({"migrate", "--verify", primary, secondary});
    ASSERT_EQ(run.status, 1) << run.errors.toStdString() << run.out.toStdString();
    const QString script = QString::fromUtf8(run.out);
    EXPECT_TRUE(script.contains(
        R"("feel" TEXT NOT NULL DEFAULT 'glad' CHECK ("feel" IN ('glad', 'it''s')))"))
        << script.toStdString();
    // (From MariaDB the database's default collation is not written: SQLite has none to set.)
    EXPECT_FALSE(script.contains("enumeration") || script.contains("of field 'feel'"))
        << script.toStdString();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(secondary.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, script.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    EXPECT_EQ(sqlite3_exec(db, "INSERT INTO t VALUES (1, 'it''s')", nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    EXPECT_EQ(sqlite3_exec(db, "INSERT INTO t VALUES (2, 'sad')", nullptr, nullptr, nullptr),
              SQLITE_CONSTRAINT);
    sqlite3_close(db);
  }
}

// What every engine reads alike is written across engines, not held back as inexpressible:
// checks of lists, ranges and comparisons of the table's columns, and the current date as a
// default; the target then refuses what the primary refuses.
TEST_P(CrossEngineMigrateTest, ChecksAndDatesEveryEngineReadsAlikeAreWritten) {
  const auto [from, to] = GetParam();
  VANTREL_REQUIRE_ENGINES(from, to);
  SqliteTestFolder folder;
  const QString primary =
      BuildDatabase(from, "migrate_p",
                    {"CREATE TABLE items (id INT PRIMARY KEY, kind VARCHAR(10) NOT NULL, qty INT,"
                     " made DATE DEFAULT CURRENT_DATE,"
                     " CONSTRAINT kind_known CHECK (kind IN ('a', 'b') AND lower(kind) <> 'x'),"
                     " CONSTRAINT qty_range CHECK (qty BETWEEN 0 AND 10 OR qty IS NULL))"},
                    folder);
  const QString secondary = BuildDatabase(
      to, "migrate_s",
      {"CREATE TABLE items (id INT PRIMARY KEY, kind VARCHAR(10) NOT NULL, qty INT, made DATE)",
       "INSERT INTO items VALUES (1, 'a', 1, NULL), (2, 'b', NULL, NULL)"},
      folder);
  const QString path = folder.PathOf("migrate_s.db");
  const CliRun run = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
  ASSERT_NE(run.status, 2) << run.errors.toStdString();
  EXPECT_FALSE(run.out.contains("the check ")) << run.out.toStdString();
  EXPECT_FALSE(run.out.contains("the default ")) << run.out.toStdString();
  RunOn(to, "migrate_s", path, StatementsThatRun(QJsonDocument::fromJson(run.out).object()));
  const CliRun again = Cli({"migrate", "--allow-unsafe", "--format", "json", primary, secondary});
  for (const auto& step : QJsonDocument::fromJson(again.out).object().value("steps").toArray()) {
    EXPECT_TRUE(step.toObject().value("inexpressible").toBool())
        << QJsonDocument(step.toObject()).toJson().toStdString() << run.out.toStdString();
  }
  for (const char* refused :
       {"INSERT INTO %1 VALUES (3, 'z', 1, NULL)", "INSERT INTO %1 VALUES (3, 'a', 11, NULL)"}) {
    QString error;
    if (to == Engine::kPostgres) {
      error = PostgresError("migrate_s", QString::fromUtf8(refused).arg("items"));
    } else if (to == Engine::kMariadb) {
      error = MysqlError(QString::fromUtf8(refused).arg("migrate_s.items"));
    } else {
      sqlite3* db = nullptr;
      sqlite3_open(path.toUtf8().constData(), &db);
      if (sqlite3_exec(db, QString::fromUtf8(refused).arg("items").toUtf8().constData(), nullptr,
                       nullptr, nullptr) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
      }
      sqlite3_close(db);
    }
    EXPECT_FALSE(error.isEmpty()) << refused << "\n" << run.out.toStdString();
  }
  EXPECT_EQ(Count(to, "migrate_s", path, "items"), "2");
}

// Within PostgreSQL an enum type is made before the table or field that is of it, by the
// script and by the structure made in the scratch database, which is left without it again.
TEST(PostgresEnumTypesTest, AnEnumTypeIsMadeBeforeWhatIsOfIt) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres);
  SqliteTestFolder folder;
  const QStringList types = {"CREATE TYPE mood AS ENUM ('glad', 'it''s')",
                             "CREATE TYPE size AS ENUM ('s', 'm')"};
  const QString primary = BuildDatabase(
      Engine::kPostgres, "migrate_p",
      types + QStringList{"CREATE TABLE t (id INT PRIMARY KEY, m mood NOT NULL DEFAULT 'glad')",
                          "CREATE TABLE fresh (id INT PRIMARY KEY, s size)"},
      folder);
  const QString secondary =
      BuildDatabase(Engine::kPostgres, "migrate_s",
                    {"CREATE TABLE t (id INT PRIMARY KEY)", "INSERT INTO t VALUES (1)"}, folder);
  const QString scratch = BuildDatabase(Engine::kPostgres, "migrate_x", {}, folder);
  const auto types_left = [] {
    return PostgresValue("migrate_x", "SELECT count(*) FROM pg_type WHERE typtype = 'e'");
  };
  for (const QString& source : {primary, secondary}) {
    // The secondary's own types are made in the scratch database from its catalog too.
    const CliRun proof = Cli({"migrate", "--verify", "--scratch", scratch, primary, source});
    EXPECT_EQ(proof.status, 0) << proof.errors.toStdString() << proof.out.toStdString();
    EXPECT_EQ(types_left(), "0");
  }
  const CliRun run = Cli({"migrate", "--format", "json", primary, secondary});
  ASSERT_EQ(run.status, 0) << run.errors.toStdString() << run.out.toStdString();
  RunOn(Engine::kPostgres, "migrate_s", {},
        StatementsThatRun(QJsonDocument::fromJson(run.out).object()));
  const CliRun after = Cli({"compare", "--objects", "all", primary, secondary});
  EXPECT_EQ(after.status, 0) << after.out.toStdString() << run.out.toStdString();
  EXPECT_EQ(Count(Engine::kPostgres, "migrate_s", {}, "t"), "1");
}

// From PostgreSQL into MariaDB a sequence of PostgreSQL's whole range is MariaDB's, one less
// on either end; MariaDB's JSON collation is no collation to write into PostgreSQL.
TEST(ServerToServerTest, SequencesAndJsonAreWrittenAsTheOtherServerTakesThem) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString postgres =
      BuildDatabase(Engine::kPostgres, "migrate_p",
                    {"CREATE SEQUENCE up INCREMENT BY 50", "CREATE SEQUENCE down INCREMENT BY -1",
                     "CREATE TABLE t (id INT PRIMARY KEY, doc JSON)"},
                    folder);
  const QString mariadb =
      BuildDatabase(Engine::kMariadb, "migrate_s", {"CREATE TABLE t (id INT PRIMARY KEY)"}, folder);
  const QString mariadb_with_json = BuildDatabase(
      Engine::kMariadb, "migrate_m", {"CREATE TABLE t (id INT PRIMARY KEY, doc JSON)"}, folder);
  const QString postgres_without = BuildDatabase(Engine::kPostgres, "migrate_q",
                                                 {"CREATE TABLE t (id INT PRIMARY KEY)"}, folder);
  for (const auto& [from, to, scratch_engine] :
       {std::tuple(postgres, mariadb, Engine::kMariadb),
        std::tuple(mariadb_with_json, postgres_without, Engine::kPostgres)}) {
    const QString scratch = BuildDatabase(scratch_engine, "migrate_x", {}, folder);
    const CliRun proof = Cli({"migrate", "--verify", "--scratch", scratch, from, to});
    // Only the databases' default collations, which no script changes, are left.
    EXPECT_EQ(proof.status, 1) << proof.errors.toStdString();
    EXPECT_EQ(proof.out.count("-- NOT WRITTEN:"), 1) << proof.out.toStdString();
    EXPECT_TRUE(proof.out.contains("-- NOT WRITTEN: a database's default collation"))
        << proof.out.toStdString();
  }
}

// SQLite keeps any 64-bit integer: into a server each of its integers is a BIGINT, so that a
// foreign key's two ends agree (MariaDB refuses INT against BIGINT) and no wider field is cut.
TEST(SqliteToServersTest, IntegersAreBigintsAndKeysAndTheirReferencesAgree) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString sqlite = BuildDatabase(
      Engine::kSqlite, "lite",
      {"CREATE TABLE users (id INTEGER PRIMARY KEY, n INTEGER)",
       "CREATE TABLE posts (id INTEGER PRIMARY KEY, user_id INTEGER REFERENCES users (id), v INT)"},
      folder);
  for (const Engine to : {Engine::kPostgres, Engine::kMariadb}) {
    SCOPED_TRACE(to == Engine::kPostgres ? "PostgreSQL" : "MariaDB");
    const QString empty = BuildDatabase(to, "migrate_e", {}, folder);
    const QString scratch = BuildDatabase(to, "migrate_x", {}, folder);
    const bool mariadb = to == Engine::kMariadb;
    const QString wide = mariadb ? "BIGINT UNSIGNED" : "NUMERIC(20)";
    const QString numbered =
        mariadb ? "BIGINT AUTO_INCREMENT PRIMARY KEY" : "BIGSERIAL PRIMARY KEY";
    const QString secondary = BuildDatabase(
        to, "migrate_s",
        {"CREATE TABLE users (id " + numbered + ", n " + wide + ")",
         "CREATE TABLE posts (id " + numbered + ", user_id BIGINT REFERENCES users (id), v BIGINT)",
         "INSERT INTO users VALUES (1, 5000000000)", "INSERT INTO posts VALUES (1, 1, 6000000000)"},
        folder);
    for (const QString& target : {empty, secondary}) {
      const CliRun proof = Cli({"migrate", "--verify", "--allow-unsafe", "--scratch", scratch,
                                "--format", "json", sqlite, target});
      ASSERT_NE(proof.status, 2) << proof.errors.toStdString();
      RunOn(to, target == empty ? "migrate_e" : "migrate_s", {},
            StatementsThatRun(QJsonDocument::fromJson(proof.out).object()));
    }
    const QString read = "SELECT n + 0 FROM users";
    EXPECT_EQ(
        mariadb ? MysqlValue("SELECT n FROM migrate_s.users") : PostgresValue("migrate_s", read),
        "5000000000");
    EXPECT_EQ(mariadb ? MysqlValue("SELECT v FROM migrate_s.posts")
                      : PostgresValue("migrate_s", "SELECT v FROM posts"),
              "6000000000");
    for (const QString& target : {empty, secondary}) {
      const CliRun after = Cli({"compare", "--objects", "all", sqlite, target});
      EXPECT_FALSE(after.out.contains("Field:")) << after.out.toStdString();
    }
  }
}

// SQLite's datetime('now') is written as CURRENT_TIMESTAMP; SQLite's unchecked JSON cannot be
// given to MariaDB, whose JSON is a LONGTEXT with a json_valid() check: the check stays.
TEST(SqliteToServersTest, TheCurrentTimeIsWrittenAndMariadbsJsonKeepsItsCheck) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString sqlite = BuildDatabase(
      Engine::kSqlite, "lite",
      {"CREATE TABLE t (id INT PRIMARY KEY, doc JSON, at DATETIME DEFAULT (datetime('now')),"
       " price NUMERIC)"},
      folder);
  for (const Engine to : {Engine::kPostgres, Engine::kMariadb}) {
    const bool mariadb = to == Engine::kMariadb;
    SCOPED_TRACE(mariadb ? "MariaDB" : "PostgreSQL");
    const QString secondary = BuildDatabase(
        to, "migrate_s",
        {QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, doc JSON, at %1, price DECIMAL(8,2))")
             .arg(mariadb ? "DATETIME" : "TIMESTAMP"),
         "INSERT INTO t (id) VALUES (1)"},
        folder);
    const QString scratch = BuildDatabase(to, "migrate_x", {}, folder);
    const CliRun proof =
        Cli({"migrate", "--verify", "--allow-unsafe", "--scratch", scratch, sqlite, secondary});
    EXPECT_NE(proof.status, 2) << proof.errors.toStdString();
    EXPECT_TRUE(proof.out.contains(" DEFAULT CURRENT_TIMESTAMP")) << proof.out.toStdString();
    EXPECT_FALSE(proof.out.contains("the default ")) << proof.out.toStdString();
    EXPECT_EQ(proof.out.contains("cannot express a JSON field 'doc' that takes what is not JSON"),
              mariadb)
        << proof.out.toStdString();
    // MariaDB's DECIMAL without digits is DECIMAL(10,0), which cuts what SQLite's NUMERIC keeps.
    EXPECT_EQ(proof.out.contains("the type NUMERIC of field 'price'"), mariadb)
        << proof.out.toStdString();
  }
}

// A foreign key's two ends keep one type: where the change at one end cannot be written, the
// change at the other is held back with it, and the key stays as it is.
TEST(ServerToServerTest, TheEndsOfAForeignKeyChangeTogetherOrNotAtAll) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString postgres =
      BuildDatabase(Engine::kPostgres, "migrate_p",
                    {"CREATE TABLE p (id UUID PRIMARY KEY DEFAULT md5('a')::uuid)",
                     "CREATE TABLE c (id INT PRIMARY KEY, p UUID REFERENCES p (id))"},
                    folder);
  const QString mariadb =
      BuildDatabase(Engine::kMariadb, "migrate_s",
                    {"CREATE TABLE p (id VARCHAR(36) PRIMARY KEY)",
                     "CREATE TABLE c (id INT PRIMARY KEY, p VARCHAR(36) REFERENCES p (id))",
                     "INSERT INTO p VALUES ('0b3a2c4e-1d2f-4a5b-8c6d-7e8f9a0b1c2d')",
                     "INSERT INTO c VALUES (1, '0b3a2c4e-1d2f-4a5b-8c6d-7e8f9a0b1c2d')"},
                    folder);
  const QString scratch = BuildDatabase(Engine::kMariadb, "migrate_x", {}, folder);
  const CliRun proof =
      Cli({"migrate", "--verify", "--allow-unsafe", "--scratch", scratch, postgres, mariadb});
  EXPECT_EQ(proof.status, 1) << proof.errors.toStdString();
  EXPECT_TRUE(proof.out.contains("of field 'id'")) << proof.out.toStdString();
  EXPECT_TRUE(proof.out.contains("kept while the change of the other end of a foreign key"))
      << proof.out.toStdString();
  EXPECT_FALSE(proof.out.contains("\nALTER TABLE `c` DROP FOREIGN KEY")) << proof.out.toStdString();
}

// MariaDB indexes a TEXT, BLOB or JSON field only by a prefix (a unique one by a hash of the
// whole, which serves no foreign key, where MySQL refuses it): an unbounded text of the primary
// whose field an index holds whole is named as not written, and the script is proven. So is a
// type MariaDB lacks (SQLite's JSONB), whose JSON field keeps the check that makes it JSON.
TEST(IntoMariadbTest, AFieldAnIndexHoldsWholeIsNoTextAndJsonKeepsItsCheck) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QStringList primary_tables = {
      "CREATE TABLE parent (id INTEGER PRIMARY KEY)",
      "CREATE TABLE t (id INT PRIMARY KEY, owner INT NOT NULL REFERENCES parent (id), email "
      "TEXT NOT NULL, title TEXT NOT NULL, note TEXT)",
      "CREATE UNIQUE INDEX t_email ON t (email)",
      "CREATE UNIQUE INDEX t_owner_title ON t (owner, title)"};
  const QString sqlite =
      BuildDatabase(Engine::kSqlite, "lite",
                    primary_tables + QStringList{"ALTER TABLE t ADD COLUMN meta JSONB"}, folder);
  const QString postgres = BuildDatabase(Engine::kPostgres, "migrate_p", primary_tables, folder);
  const QString secondary = BuildDatabase(
      Engine::kMariadb, "migrate_s",
      {"CREATE TABLE parent (id BIGINT PRIMARY KEY)",
       // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one statement over three lines
       "CREATE TABLE t (id INT PRIMARY KEY, owner BIGINT NOT NULL, email VARCHAR(191) NOT NULL, "
       "title VARCHAR(191) NOT NULL, note VARCHAR(191), meta JSON, FOREIGN KEY (owner) "
       "REFERENCES parent (id))",
       "CREATE UNIQUE INDEX t_email ON t (email)",
       "CREATE UNIQUE INDEX t_owner_title ON t (owner, title)", "INSERT INTO parent VALUES (1)",
       "INSERT INTO t VALUES (1, 1, 'a@b', 'x', 'n', '{}')"},
      folder);
  const QString scratch = BuildDatabase(Engine::kMariadb, "migrate_x", {}, folder);
  for (const QString& primary : {sqlite, postgres}) {
    SCOPED_TRACE(primary.toStdString());
    const CliRun proof =
        Cli({"migrate", "--verify", "--allow-unsafe", "--scratch", scratch, primary, secondary});
    EXPECT_EQ(proof.status, 1) << proof.errors.toStdString() << proof.out.toStdString();
    for (const char* field : {"email", "title"}) {
      EXPECT_TRUE(proof.out.contains("cannot express field '" + QByteArray(field) +
                                     "' as LONGTEXT, which index 't_"))
          << field << "\n"
          << proof.out.toStdString();
    }
    // The field no index holds is written.
    EXPECT_TRUE(proof.out.contains("MODIFY COLUMN `note` LONGTEXT")) << proof.out.toStdString();
    EXPECT_EQ(proof.out.contains("cannot express a JSON field 'meta' that takes what is not JSON"),
              primary == sqlite)
        << proof.out.toStdString();
  }
}

// MariaDB refuses to drop the index a foreign key needs: the secondary's UNIQUE (a, b), which
// serves its key on a, is dropped only once the primary's key on (a, b) is made to serve it.
TEST(IntoMariadbTest, AnIndexAForeignKeyNeedsIsDroppedAfterWhatServesItInstead) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QStringList parent = {"CREATE TABLE tag (id INT PRIMARY KEY)",
                              "CREATE TABLE post (id INT PRIMARY KEY)"};
  const QString secondary = BuildDatabase(
      Engine::kMariadb, "migrate_s",
      parent + QStringList{"CREATE TABLE tag_post (a INT NOT NULL REFERENCES tag (id), b INT NOT "
                           "NULL REFERENCES post (id), UNIQUE (a, b))",
                           "INSERT INTO tag VALUES (1)", "INSERT INTO post VALUES (1)",
                           "INSERT INTO tag_post VALUES (1, 1)"},
      folder);
  const QString scratch = BuildDatabase(Engine::kMariadb, "migrate_x", {}, folder);
  for (const Engine from : {Engine::kPostgres, Engine::kMariadb}) {
    SCOPED_TRACE(from == Engine::kPostgres ? "PostgreSQL" : "MariaDB");
    const QString primary = BuildDatabase(
        from, "migrate_p",
        parent + QStringList{"CREATE TABLE tag_post (a INT NOT NULL REFERENCES tag (id), b INT "
                             "NOT NULL REFERENCES post (id), PRIMARY KEY (a, b))",
                             "CREATE INDEX tag_post_b ON tag_post (b)"},
        folder);
    const CliRun proof = Cli({"migrate", "--verify", "--scratch", scratch, primary, secondary});
    // Proven (across engines the databases' default collations differ, and are not written).
    EXPECT_NE(proof.status, 2) << proof.errors.toStdString() << proof.out.toStdString();
    const qsizetype made = proof.out.indexOf("ADD PRIMARY KEY");
    const qsizetype dropped = proof.out.indexOf("DROP INDEX");
    EXPECT_TRUE(made >= 0 && dropped > made) << proof.out.toStdString();
  }
}

// MariaDB's JSON field has a check of its own, named after it, which a MODIFY of the field
// replaces. Made anew (the scratch database, a script from nothing) it stays the field's own: as
// a check of the table, MODIFY `data` JSON would add a second check named `data`, refused.
TEST(IntoMariadbTest, AFieldsOwnCheckIsMadeWithTheField) {
  VANTREL_REQUIRE_ENGINES(Engine::kMariadb);
  SqliteTestFolder folder;
  const QString sqlite = BuildDatabase(
      Engine::kSqlite, "lite",
      {"CREATE TABLE settings (id INTEGER PRIMARY KEY, data json DEFAULT '{}' NOT NULL)"}, folder);
  const QString secondary = BuildDatabase(
      Engine::kMariadb, "migrate_s",
      {"CREATE TABLE settings (id BIGINT PRIMARY KEY, data JSON NOT NULL, n INT, CONSTRAINT "
       "positive CHECK (n > 0))",
       "INSERT INTO settings VALUES (1, '[]', 1)"},
      folder);
  const CliRun made = Cli({"migrate", "--from-empty", secondary});
  EXPECT_TRUE(made.out.contains("NOT NULL CHECK (json_valid(`data`)),")) << made.out.toStdString();
  EXPECT_TRUE(made.out.contains("CONSTRAINT `positive` CHECK (`n` > 0)")) << made.out.toStdString();
  const QString scratch = BuildDatabase(Engine::kMariadb, "migrate_x", {}, folder);
  const CliRun proof =
      Cli({"migrate", "--verify", "--allow-unsafe", "--scratch", scratch, sqlite, secondary});
  EXPECT_NE(proof.status, 2) << proof.errors.toStdString() << proof.out.toStdString();
  EXPECT_TRUE(proof.out.contains("MODIFY COLUMN `data` JSON NOT NULL DEFAULT '{}'"))
      << proof.out.toStdString();
}

// SQLite and PostgreSQL have no UNSIGNED: a MariaDB field that is UNSIGNED is named as not
// written there (a script that wrote it signed would not converge and not be proven).
TEST(UnsignedTest, AnUnsignedFieldIsNotWrittenWhereTheTargetHasNone) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString mariadb = BuildDatabase(
      Engine::kMariadb, "migrate_p",
      {"CREATE TABLE t (id BIGINT UNSIGNED AUTO_INCREMENT PRIMARY KEY, n BIGINT UNSIGNED)"},
      folder);
  for (const Engine to : {Engine::kSqlite, Engine::kPostgres}) {
    const QString secondary = BuildDatabase(
        to, "migrate_s",
        {"CREATE TABLE t (id BIGINT PRIMARY KEY, n INT)", "INSERT INTO t VALUES (1, 2)"}, folder);
    QStringList arguments{"migrate", "--verify", "--allow-unsafe"};
    if (to == Engine::kPostgres) {
      arguments << "--scratch" << BuildDatabase(to, "migrate_x", {}, folder);
    }
    const CliRun proof = Cli(arguments << mariadb << secondary);
    EXPECT_EQ(proof.status, 1) << proof.errors.toStdString();
    EXPECT_TRUE(proof.out.contains("the type bigint(20) unsigned of field 'n'"))
        << proof.out.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Pairs, CrossEngineMigrateTest,
                         ::testing::Values(std::make_tuple(Engine::kPostgres, Engine::kMariadb),
                                           std::make_tuple(Engine::kMariadb, Engine::kPostgres),
                                           std::make_tuple(Engine::kSqlite, Engine::kPostgres),
                                           std::make_tuple(Engine::kSqlite, Engine::kMariadb),
                                           std::make_tuple(Engine::kPostgres, Engine::kSqlite),
                                           std::make_tuple(Engine::kMariadb, Engine::kSqlite)),
                         PairName);

}  // namespace
}  // namespace dataaccess::test_support
