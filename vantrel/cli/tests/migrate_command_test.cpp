// vantrel-cli migrate on real SQLite files: each script is run, as a person would run it, on a
// copy of the secondary that holds rows, and the copy must then compare equal to the primary with
// every row kept.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <string_view>

#include "testing/sqlite_test_file.h"
#include "vantrel/cli/tests/cli_process.h"

namespace vantrel::cli {
namespace {

using dataaccess::test_support::SqliteTestFolder;
using test_support::Result;
using test_support::RunCli;

// Runs `script` on the SQLite file `path` as `sqlite3 -bail` would, in a session that enforces
// foreign keys (as an application's does); empty on success.
QString RunScript(const QString& path, const QByteArray& script) {
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  sqlite3_exec(db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message);
  QString error = rc == SQLITE_OK ? QString() : QString::fromUtf8(message ? message : "failed");
  sqlite3_free(message);
  sqlite3_close(db);
  return error;
}

// The first value of `sql` on `path`, as text.
QString Value(const QString& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_open(path.toUtf8().constData(), &db);
  sqlite3_stmt* query = nullptr;
  QString value;
  if (sqlite3_prepare_v2(db, sql, -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return value;
}

struct Change {
  const char* name;
  const char* primary;    // the structure the script is to give
  const char* secondary;  // the structure it starts from, with rows
  // Checked on the migrated copy, each a query whose first value must be "1".
  std::vector<const char*> checks = {};
};

// One pair per kind of change. Every secondary holds rows, so that a rebuild that loses any, a
// cascade that deletes children, or a counter that starts over shows.
const std::vector<Change>& Changes() {
  static const std::vector<Change> changes = {
      {"field added at the end",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, b INT DEFAULT 7);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t(a) VALUES ('x'), ('y');",
       {"SELECT count(*) = 2 AND min(b) = 7 FROM t"}},
      {"field added in the middle",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, b INT, a TEXT);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t(a) VALUES ('x'), ('y');",
       {"SELECT group_concat(a) = 'x,y' FROM t"}},
      {"field dropped",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, gone INT); INSERT INTO t VALUES (1,'x',5);",
       {"SELECT a = 'x' FROM t WHERE id = 1"}},
      {"wider type", "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(50));",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(40)); INSERT INTO t VALUES (1,'x');"},
      {"NOT NULL with a default",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT NOT NULL DEFAULT 'n');",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t VALUES (1,'x');"},
      {"default changed", "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT DEFAULT 2);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT DEFAULT 1); INSERT INTO t VALUES (1,1);"},
      {"collation changed", "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT COLLATE RTRIM);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t VALUES (1,'x');"},
      {"index added and dropped",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, b TEXT); CREATE INDEX ia ON t(a);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, b TEXT); CREATE INDEX ib ON t(b DESC);"
       "INSERT INTO t VALUES (1,'x','y');"},
      {"partial and expression index",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT);"
       "CREATE INDEX ip ON t(lower(a)) WHERE a IS NOT NULL;",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t VALUES (1,'x');"},
      {"trigger added and changed",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, n INT DEFAULT 0);"
       "CREATE TRIGGER tr AFTER UPDATE OF a ON t BEGIN UPDATE t SET n = n + 1 WHERE id = NEW.id; "
       "END;"
       "CREATE TRIGGER tn BEFORE DELETE ON t BEGIN SELECT RAISE(ABORT, 'kept'); END;",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, n INT DEFAULT 0);"
       "CREATE TRIGGER tr AFTER UPDATE ON t BEGIN UPDATE t SET n = n + 2 WHERE id = NEW.id; END;"
       "INSERT INTO t(a) VALUES ('x');"},
      {"check added and dropped",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT CHECK (a > 0), b INT);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT, b INT CHECK (b < 9)); INSERT INTO t VALUES "
       "(1,1,1);"},
      {"primary key changed", "CREATE TABLE t(a INT, b INT, PRIMARY KEY (a, b));",
       "CREATE TABLE t(a INT PRIMARY KEY, b INT); INSERT INTO t VALUES (1,2),(2,2);"},
      {"unique constraint added", "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT, UNIQUE (a));",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); INSERT INTO t VALUES (1,'x'),(2,'y');"},
      {"foreign key added",
       "CREATE TABLE p(id INTEGER PRIMARY KEY); CREATE TABLE c(id INTEGER PRIMARY KEY,"
       " p INT REFERENCES p(id) ON DELETE CASCADE);",
       "CREATE TABLE p(id INTEGER PRIMARY KEY); CREATE TABLE c(id INTEGER PRIMARY KEY, p INT);"
       "INSERT INTO p VALUES (1); INSERT INTO c VALUES (1,1);"},
      {"table added and dropped",
       "CREATE TABLE kept(id INTEGER PRIMARY KEY); CREATE TABLE fresh(id INTEGER PRIMARY KEY,"
       " k INT REFERENCES kept(id), v TEXT); CREATE INDEX fv ON fresh(v);",
       "CREATE TABLE kept(id INTEGER PRIMARY KEY); CREATE TABLE old(id INTEGER PRIMARY KEY, w "
       "BLOB);"
       "INSERT INTO kept VALUES (1); INSERT INTO old VALUES (1, x'00');",
       {"SELECT count(*) = 0 FROM sqlite_schema WHERE name = 'old'"}},
      // A parent rebuilt under ON DELETE CASCADE: dropping it with foreign keys on would
      // delete every child row.
      {"parent rebuilt under a cascade",
       "CREATE TABLE p(id INTEGER PRIMARY KEY, name VARCHAR(80) NOT NULL DEFAULT '');"
       "CREATE TABLE c(id INTEGER PRIMARY KEY, p INT NOT NULL REFERENCES p(id) ON DELETE CASCADE,"
       " q INT REFERENCES p(id) ON DELETE SET NULL);",
       "CREATE TABLE p(id INTEGER PRIMARY KEY, name VARCHAR(40));"
       "CREATE TABLE c(id INTEGER PRIMARY KEY, p INT NOT NULL REFERENCES p(id) ON DELETE CASCADE,"
       " q INT REFERENCES p(id) ON DELETE SET NULL);"
       "INSERT INTO p VALUES (1,'a'),(2,'b'); INSERT INTO c VALUES (10,1,2),(11,2,1),(12,2,2);",
       {"SELECT count(*) = 3 FROM c", "SELECT count(*) = 3 FROM c WHERE q IS NOT NULL"}},
      // AUTOINCREMENT never reuses a number: the counter survives the rebuild.
      {"AUTOINCREMENT counter kept",
       "CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, a VARCHAR(20));",
       "CREATE TABLE t(id INTEGER PRIMARY KEY AUTOINCREMENT, a VARCHAR(10));"
       "INSERT INTO t(a) VALUES ('x'),('y'),('z'); DELETE FROM t WHERE id = 3;",
       {"SELECT seq = 3 FROM sqlite_sequence WHERE name = 't'"}},
      // A view over a changed field is dropped before the rebuild and made again after it.
      {"view over a changed field",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(30)); CREATE VIEW v AS SELECT a FROM t;"
       "CREATE VIEW w AS SELECT a FROM v;",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(20)); CREATE VIEW v AS SELECT a FROM t;"
       "CREATE VIEW w AS SELECT a FROM v; INSERT INTO t VALUES (1,'x');",
       {"SELECT count(*) = 1 FROM w"}},
      {"view changed, added and dropped",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); CREATE VIEW v AS SELECT id FROM t;"
       "CREATE VIEW fresh AS SELECT a FROM t;",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a TEXT); CREATE VIEW v AS SELECT a FROM t;"
       "CREATE VIEW old AS SELECT * FROM t; INSERT INTO t VALUES (1,'x');"},
      // SQLite checks every trigger as a table is renamed: one that names a table being
      // rebuilt, on another table or on a rebuilt one, must not stop the rename.
      {"triggers that name rebuilt tables",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(30)); CREATE TABLE u(b VARCHAR(30));"
       "CREATE TABLE log(x); CREATE TRIGGER lt AFTER INSERT ON log BEGIN INSERT INTO t(a) VALUES"
       " (NEW.x); END; CREATE TRIGGER tu AFTER INSERT ON t BEGIN INSERT INTO u VALUES (NEW.a); "
       "END;",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a VARCHAR(20)); CREATE TABLE u(b VARCHAR(20));"
       "CREATE TABLE log(x); CREATE TRIGGER lt AFTER INSERT ON log BEGIN INSERT INTO t(a) VALUES"
       " (NEW.x); END; CREATE TRIGGER tu AFTER INSERT ON t BEGIN INSERT INTO u VALUES (NEW.a); END;"
       "INSERT INTO log VALUES ('x');",
       {"SELECT count(*) = 1 FROM u"}},
      {"table that refers to itself rebuilt",
       "CREATE TABLE n(id INTEGER PRIMARY KEY, up INT REFERENCES n(id) ON DELETE CASCADE,"
       " label VARCHAR(30));",
       "CREATE TABLE n(id INTEGER PRIMARY KEY, up INT REFERENCES n(id) ON DELETE CASCADE,"
       " label VARCHAR(20)); INSERT INTO n VALUES (1, NULL, 'root'), (2, 1, 'a'), (3, 2, 'b');",
       {"SELECT count(*) = 3 FROM n WHERE id = 1 OR up IS NOT NULL"}},
      {"generated field",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT, g INT AS (a * 2) STORED);",
       "CREATE TABLE t(id INTEGER PRIMARY KEY, a INT, g INT AS (a * 3) STORED);"
       "INSERT INTO t(a) VALUES (2);",
       {"SELECT g = 4 FROM t"}},
      {"names that need quoting",
       "CREATE TABLE \"we\"\"ird t\"(\"a b\" INT, \"c\"\"d\" TEXT, x INT);",
       "CREATE TABLE \"we\"\"ird t\"(\"a b\" INT, \"c\"\"d\" INT);"
       "INSERT INTO \"we\"\"ird t\" VALUES (1, 2);"},
  };
  return changes;
}

class MigrateTest : public ::testing::Test {
 protected:
  // The primary and the secondary of `change`, and a copy of the secondary to run scripts on.
  void Build(const Change& change) {
    primary_ = folder_.CreateDatabase(QStringLiteral("p.db"), change.primary);
    secondary_ = folder_.CreateDatabase(QStringLiteral("s.db"), change.secondary);
    copy_ = folder_.CreateDatabase(QStringLiteral("copy.db"), change.secondary);
  }

  SqliteTestFolder folder_;
  QString primary_;
  QString secondary_;
  QString copy_;
};

// Every change, with --allow-unsafe and --verify: the script is proven, and run by the test on
// a copy it gives the primary's structure with every row kept.
TEST_F(MigrateTest, EachChangeRunsOnACopyWithRowsAndConverges) {
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.name);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), change.primary);
    const QString secondary = folder.CreateDatabase(QStringLiteral("s.db"), change.secondary);
    const QString copy = folder.CreateDatabase(QStringLiteral("copy.db"), change.secondary);
    const QStringList before = folder.State();
    const Result result =
        RunCli({"migrate", "--objects", "all", "--allow-unsafe", "--verify", primary, secondary});
    EXPECT_EQ(result.exit_code, 0) << result.err.toStdString() << result.out.toStdString();
    EXPECT_EQ(folder.State(), before) << "the inputs are untouched, no copy is left beside them";
    EXPECT_TRUE(result.out.endsWith("COMMIT;\nPRAGMA foreign_keys = ON;\n"))
        << result.out.toStdString();
    const QString error = RunScript(copy, result.out);
    EXPECT_EQ(error, QString()) << result.out.toStdString();
    const Result after = RunCli({"compare", "--objects", "all", primary, copy});
    EXPECT_EQ(after.exit_code, 0) << after.out.toStdString() << result.out.toStdString();
    // No row of a table both sides keep is lost.
    for (const char* table : {"t", "c", "kept", "p", "we\"ird t"}) {
      const QString count =
          QStringLiteral("SELECT count(*) FROM \"%1\"")
              .arg(QString::fromUtf8(table).replace(u'"', QStringLiteral("\"\"")));
      const QString was = Value(secondary, count.toUtf8().constData());
      if (!was.isEmpty()) {
        EXPECT_EQ(Value(copy, count.toUtf8().constData()), was) << table;
      }
    }
    for (const char* check : change.checks) {
      EXPECT_EQ(Value(copy, check), QStringLiteral("1")) << check << "\n"
                                                         << result.out.toStdString();
    }
  }
}

// Every primary's whole structure, written for an empty database: proven, and run by the test on
// an empty file, it compares equal to the primary.
TEST_F(MigrateTest, FromEmptyWritesTheWholeStructure) {
  for (const Change& change : Changes()) {
    SCOPED_TRACE(change.name);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), change.primary);
    const QString empty = folder.CreateDatabase(QStringLiteral("e.db"), "");
    const Result result = RunCli({"migrate", "--from-empty", "--verify", primary});
    EXPECT_EQ(result.exit_code, 0) << result.err.toStdString();
    EXPECT_EQ(RunScript(empty, result.out), QString()) << result.out.toStdString();
    const Result after = RunCli({"compare", "--objects", "all", primary, empty});
    EXPECT_EQ(after.exit_code, 0) << after.out.toStdString() << result.out.toStdString();
  }
  EXPECT_EQ(RunCli({"migrate", "--from-empty", "a.db", "b.db"}).exit_code, 2);
  EXPECT_EQ(RunCli({"migrate", "--dialect", "mysql", "a.db", "b.db"}).exit_code, 2);
}

// --objects narrows what is compared, not what a table is made of: a table that fields alone
// make rebuild or create keeps its keys, default, check, index, foreign key and trigger, and
// the result compares equal to the primary in every kind.
TEST_F(MigrateTest, AScriptOfFieldsAloneMakesWholeTables) {
  // Table t as each side has it, but for the type of its field a.
  const auto parent_and_t = [](const char* type_of_a) {
    return QStringLiteral(
               "CREATE TABLE p (id INTEGER PRIMARY KEY); INSERT INTO p VALUES (1);"
               "CREATE TABLE t (id INTEGER PRIMARY KEY, a %1 NOT NULL DEFAULT 0 CHECK (a >= 0),"
               "                p_id INTEGER REFERENCES p (id) ON DELETE CASCADE, b TEXT);"
               "CREATE INDEX t_b ON t (b);"
               "CREATE TRIGGER t_stamp AFTER INSERT ON t BEGIN SELECT 1; END;")
        .arg(QString::fromUtf8(type_of_a))
        .toStdString();
  };
  const std::string primary_sql =
      parent_and_t("INTEGER") +
      "CREATE TABLE u (x INT, y INT, PRIMARY KEY (x, y)); CREATE UNIQUE INDEX u_y ON u (y);";
  const std::string secondary_sql =
      parent_and_t("TEXT") + "INSERT INTO t VALUES (1, '5', 1, 'x'), (2, '7', 1, 'y');";
  for (const char* mode : {"pair", "from-empty"}) {
    SCOPED_TRACE(mode);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), primary_sql.c_str());
    const bool pair = std::string_view(mode) == "pair";
    const QString target =
        folder.CreateDatabase(QStringLiteral("copy.db"), pair ? secondary_sql.c_str() : "");
    const QString secondary = folder.CreateDatabase(QStringLiteral("s.db"), secondary_sql.c_str());
    const Result result =
        pair ? RunCli({"migrate", "--objects", "fields", "--allow-unsafe", "--verify", primary,
                       secondary})
             : RunCli({"migrate", "--objects", "fields", "--from-empty", "--verify", primary});
    ASSERT_EQ(result.exit_code, 0) << result.err.toStdString() << result.out.toStdString();
    EXPECT_EQ(RunScript(target, result.out), QString()) << result.out.toStdString();
    const Result after = RunCli({"compare", "--objects", "all", primary, target});
    EXPECT_EQ(after.exit_code, 0) << after.out.toStdString() << result.out.toStdString();
    if (pair) {
      EXPECT_EQ(Value(target, "SELECT group_concat(id || ':' || a || ':' || p_id) FROM t"),
                QStringLiteral("1:5:1,2:7:1"));
    }
  }
}

// A table rebuilt for its fields keeps the secondary's own indexes and triggers where --objects
// does not compare them (but an index of a field that goes), and takes the primary's where it
// does.
TEST_F(MigrateTest, ARebuildKeepsWhatIsNotComparedAsTheSecondaryHasIt) {
  struct Row {
    const char* objects;
    const char* ignore;              // an --ignore property, or empty
    const char* left_in_the_schema;  // the indexes and triggers of t afterwards
    // The comment the rebuild carries besides SQLite's; empty for none.
    const char* note = "";
  };
  const std::vector<Row> rows = {
      {"fields", "", "t_log,t_own",
       "-- Its primary keys, foreign keys, check constraints, column defaults, collations and "
       "generated columns are not compared, and are made as the primary has them.\n"
       "-- Index 't_old' is not made again: its field 'old' goes.\n"},
      {"all", "", ""},
      {"all", "default", "",
       "-- --ignore leaves out the fields' Default Value, which the new table takes from the "
       "primary.\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.objects) + " " + row.ignore);
    SqliteTestFolder folder;
    const QString primary =
        folder.CreateDatabase(QStringLiteral("p.db"),
                              "CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER, b TEXT);"
                              "CREATE TABLE log (x);");
    constexpr char kSecondary[] =
        "CREATE TABLE t (id INTEGER PRIMARY KEY, a TEXT, b TEXT, old TEXT);"
        "CREATE TABLE log (x); CREATE INDEX t_own ON t (b); CREATE INDEX t_old ON t (old);"
        "CREATE TRIGGER t_log AFTER INSERT ON t BEGIN INSERT INTO log VALUES (new.id); END;"
        "INSERT INTO t VALUES (1, '5', 'x', 'o'), (2, '7', 'y', 'p');";
    const QString secondary = folder.CreateDatabase(QStringLiteral("s.db"), kSecondary);
    const QString copy = folder.CreateDatabase(QStringLiteral("copy.db"), kSecondary);
    QStringList arguments{"migrate", "--objects", row.objects, "--allow-unsafe", "--verify"};
    if (*row.ignore != '\0') arguments << "--ignore" << row.ignore;
    const Result result = RunCli(arguments << primary << secondary);
    ASSERT_EQ(result.exit_code, 0) << result.err.toStdString() << result.out.toStdString();
    const QByteArray sqlite_says =
        "so that no ON DELETE action fires on the rows that refer to it.\n";
    const qsizetype notes = result.out.indexOf(sqlite_says) + sqlite_says.size();
    EXPECT_EQ(result.out.mid(notes, result.out.indexOf("CREATE TEMP TABLE temp.", notes) - notes),
              QByteArray(row.note))
        << result.out.toStdString();
    ASSERT_EQ(RunScript(copy, result.out), QString()) << result.out.toStdString();
    EXPECT_EQ(Value(copy,
                    "SELECT coalesce(group_concat(name), '') FROM (SELECT name FROM "
                    "sqlite_schema WHERE tbl_name = 't' AND type <> 'table' ORDER BY name)"),
              QString::fromUtf8(row.left_in_the_schema))
        << result.out.toStdString();
    EXPECT_EQ(Value(copy, "SELECT group_concat(id || ':' || a || ':' || b) FROM t"),
              QStringLiteral("1:5:x,2:7:y"));
    const Result after = RunCli({"compare", "--objects", row.objects, primary, copy});
    EXPECT_EQ(after.exit_code, 0) << after.out.toStdString();
  }
}

// AUTOINCREMENT, WITHOUT ROWID and STRICT are not compared, so a rebuild made for another change
// keeps the secondary's own: a number given once is not given again, a value of another type is
// still refused. WITHOUT ROWID on a table that is to lose its primary key cannot be kept.
TEST_F(MigrateTest, ARebuildKeepsTheSecondarysOwnTableOptions) {
  struct Row {
    const char* primary;
    const char* secondary;  // with rows, the highest of which was deleted
    int exit_code;
    // Each a query on the migrated copy whose first value must be "1"; or, where the rebuild is
    // held back, what the script says instead.
    std::vector<const char*> checks;
  };
  const std::vector<Row> rows = {
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER NOT NULL DEFAULT 0);",
       "CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, a INTEGER) STRICT;"
       "INSERT INTO t VALUES (1, 5), (2, 7), (3, 9); DELETE FROM t WHERE id = 3;",
       0,
       {"SELECT sql LIKE '%AUTOINCREMENT%) STRICT' FROM sqlite_schema WHERE name = 't'",
        "SELECT seq = 3 FROM sqlite_sequence WHERE name = 't'",
        "SELECT group_concat(id || ':' || a) = '1:5,2:7' FROM t"}},
      {"CREATE TABLE t (id INTEGER PRIMARY KEY AUTOINCREMENT, a INTEGER NOT NULL DEFAULT 0);",
       "CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER);"
       "INSERT INTO t VALUES (1, 5), (2, 7);",
       0,
       {"SELECT sql NOT LIKE '%AUTOINCREMENT%' FROM sqlite_schema WHERE name = 't'",
        "SELECT count(*) = 0 FROM sqlite_schema WHERE name = 'sqlite_sequence'"}},
      {"CREATE TABLE t (k TEXT NOT NULL PRIMARY KEY, a INTEGER NOT NULL DEFAULT 0);",
       "CREATE TABLE t (k TEXT NOT NULL PRIMARY KEY, a INTEGER) WITHOUT ROWID;"
       "INSERT INTO t VALUES ('x', 5), ('y', 7);",
       0,
       {"SELECT sql LIKE '%) WITHOUT ROWID' FROM sqlite_schema WHERE name = 't'",
        "SELECT group_concat(k || ':' || a) = 'x:5,y:7' FROM t"}},
      {"CREATE TABLE t (k TEXT NOT NULL, a INTEGER);",
       "CREATE TABLE t (k TEXT NOT NULL PRIMARY KEY, a INTEGER) WITHOUT ROWID;"
       "INSERT INTO t VALUES ('x', 5);",
       1,
       {"-- NOT WRITTEN: SQLite cannot express WITHOUT ROWID on a table without a primary key"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.primary) + " from " + row.secondary);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), row.primary);
    const QString secondary = folder.CreateDatabase(QStringLiteral("s.db"), row.secondary);
    const QString copy = folder.CreateDatabase(QStringLiteral("copy.db"), row.secondary);
    const Result result = RunCli({"migrate", "--allow-unsafe", "--verify", "-o",
                                  folder.PathOf(QStringLiteral("m.sql")), primary, secondary});
    ASSERT_EQ(result.exit_code, row.exit_code) << result.err.toStdString();
    QFile file(folder.PathOf(QStringLiteral("m.sql")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray script = file.readAll();
    if (row.exit_code != 0) {
      for (const char* said : row.checks) EXPECT_TRUE(script.contains(said)) << script.data();
      continue;
    }
    ASSERT_EQ(RunScript(copy, script), QString()) << script.toStdString();
    for (const char* check : row.checks) {
      EXPECT_EQ(Value(copy, check), QStringLiteral("1")) << check << "\n" << script.toStdString();
    }
    const Result after = RunCli({"compare", "--objects", "all", primary, copy});
    EXPECT_EQ(after.exit_code, 0) << after.out.toStdString();
  }
}

// A new table's foreign key that names a table the secondary lacks and the script does not make
// (a pattern left it out) is said on the table's step; one whose table exists (in another
// letter case), is made, or is the table itself is not.
TEST_F(MigrateTest, AForeignKeyToATableLeftOutIsNamed) {
  struct Row {
    std::vector<const char*> patterns;
    bool named = false;
  };
  const std::vector<Row> rows = {
      {{"--include", "c"}, true},
      {{"--exclude", "p"}, true},
      {{}, false},
      {{"--include", "c", "--include", "Q"}, true},
  };
  for (const Row& row : rows) {
    QStringList arguments{"migrate"};
    for (const char* word : row.patterns) arguments << word;
    SCOPED_TRACE(arguments.join(u' ').toStdString());
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(
        QStringLiteral("p.db"),
        "CREATE TABLE p (id INTEGER PRIMARY KEY); CREATE TABLE Q (id INTEGER PRIMARY KEY);"
        "CREATE TABLE c (id INTEGER PRIMARY KEY, p_id INTEGER REFERENCES p (id),"
        "                q_id INTEGER REFERENCES q (id), up INTEGER REFERENCES c (id));");
    const QString secondary =
        folder.CreateDatabase(QStringLiteral("s.db"), "CREATE TABLE Q (id INTEGER PRIMARY KEY);");
    const Result result = RunCli(arguments << primary << secondary);
    EXPECT_EQ(result.exit_code, 0) << result.err.toStdString();
    EXPECT_EQ(result.out.count("-- Its foreign key names table"), row.named ? 1 : 0)
        << result.out.toStdString();
    EXPECT_EQ(result.out.contains("-- Its foreign key names table 'p', which the secondary does "
                                  "not have and this script does not make.\n"),
              row.named)
        << result.out.toStdString();
  }
}

// A secondary in write-ahead-log mode whose rows are still only in its -wal, with its writer
// connected: the proof's copy holds those rows (a row that the new NOT NULL refuses makes the
// proof fail on that step), and neither the database nor its -wal and -shm change.
TEST_F(MigrateTest, AWriteAheadLoggedSecondaryIsProvenWithTheRowsOfItsLog) {
  struct Row {
    const char* rows;
    int exit_code = 0;
    const char* error = "";
  };
  const std::vector<Row> rows = {
      {"(1, 5, 'x'), (2, 6, 'y')"},
      {"(1, 5, 'x'), (2, NULL, 'y')", 2, "NOT NULL constraint failed: t.a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.rows);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(
        QStringLiteral("p.db"),
        "CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER NOT NULL, b TEXT);");
    const QString secondary = folder.CreateDatabase(
        QStringLiteral("s.db"),
        "PRAGMA journal_mode = WAL; CREATE TABLE t (id INTEGER PRIMARY KEY, a INTEGER, b TEXT);");
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(secondary.toUtf8().constData(), &writer), SQLITE_OK);
    const std::string insert =
        std::string("PRAGMA wal_autocheckpoint = 0; INSERT INTO t VALUES ") + row.rows;
    ASSERT_EQ(sqlite3_exec(writer, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    const QStringList before = folder.State();
    const Result result = RunCli({"migrate", "--allow-unsafe", "--verify", primary, secondary});
    EXPECT_EQ(result.exit_code, row.exit_code)
        << result.err.toStdString() << result.out.toStdString();
    EXPECT_TRUE(result.err.contains(row.error)) << result.err.toStdString();
    EXPECT_EQ(folder.State(), before);
    sqlite3_close(writer);
  }
}

struct Unsafe {
  const char* name;
  const char* primary;
  const char* secondary;
  const char* statement;  // a line the script holds, commented out unless allowed
};

// What can lose data or fail on the rows there: held back unless --allow-unsafe.
TEST_F(MigrateTest, UnsafeChangesAreHeldBackUnlessAllowed) {
  const std::vector<Unsafe> cases = {
      {"table dropped", "CREATE TABLE a(x INT);", "CREATE TABLE a(x INT); CREATE TABLE b(y INT);",
       "DROP TABLE \"b\";"},
      {"field dropped", "CREATE TABLE a(x INT);", "CREATE TABLE a(x INT, y INT);",
       "DROP TABLE \"a\";"},
      {"new NOT NULL without default", "CREATE TABLE a(x INT, y INT NOT NULL);",
       "CREATE TABLE a(x INT);", "DROP TABLE \"a\";"},
      {"new unique index", "CREATE TABLE a(x INT); CREATE UNIQUE INDEX u ON a(x);",
       "CREATE TABLE a(x INT);", "CREATE UNIQUE INDEX \"u\" ON \"a\" (\"x\");"},
      {"new check", "CREATE TABLE a(x INT CHECK (x > 0));", "CREATE TABLE a(x INT);",
       "DROP TABLE \"a\";"},
      {"type change", "CREATE TABLE a(x INTEGER);", "CREATE TABLE a(x TEXT);", "DROP TABLE \"a\";"},
  };
  for (const Unsafe& c : cases) {
    SCOPED_TRACE(c.name);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), c.primary);
    const QString secondary = folder.CreateDatabase(QStringLiteral("s.db"), c.secondary);
    const Result held = RunCli({"migrate", "--objects", "all", primary, secondary});
    EXPECT_EQ(held.exit_code, 1) << held.out.toStdString();
    EXPECT_TRUE(held.out.contains("-- HELD BACK: ")) << held.out.toStdString();
    EXPECT_TRUE(held.out.contains(QByteArray("\n-- | ") + c.statement + '\n'))
        << held.out.toStdString();
    const Result allowed =
        RunCli({"migrate", "--objects", "all", "--allow-unsafe", primary, secondary});
    EXPECT_EQ(allowed.exit_code, 0) << allowed.out.toStdString();
    EXPECT_FALSE(allowed.out.contains("HELD BACK")) << allowed.out.toStdString();
    EXPECT_TRUE(allowed.out.contains(QByteArray("\n") + c.statement + '\n'))
        << allowed.out.toStdString();
    // What is held back leaves the rest of the script proven.
    EXPECT_EQ(RunCli({"migrate", "--objects", "all", "--verify", primary, secondary}).exit_code, 1);
  }
}

// A check whose list of values grows refuses no row that is there: its table is made anew
// without --allow-unsafe. One whose list shrinks is held back.
TEST_F(MigrateTest, ACheckWhoseListGrowsIsNotHeldBack) {
  const struct {
    const char* primary;
    int exit_code;
  } rows[] = {
      {"CREATE TABLE a(id INTEGER PRIMARY KEY, s TEXT CHECK (s IN ('x', 'y', 'z')));", 0},
      {"CREATE TABLE a(id INTEGER PRIMARY KEY, s TEXT CHECK (s IN ('x')));", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.primary);
    SqliteTestFolder folder;
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), row.primary);
    const QString secondary = folder.CreateDatabase(
        QStringLiteral("s.db"),
        "CREATE TABLE a(id INTEGER PRIMARY KEY, s TEXT CHECK (s IN ('x', 'y')));"
        "INSERT INTO a VALUES (1, 'x'), (2, 'y');");
    const Result result = RunCli({"migrate", "--objects", "all", "--verify", primary, secondary});
    EXPECT_EQ(result.exit_code, row.exit_code)
        << result.err.toStdString() << result.out.toStdString();
    EXPECT_EQ(result.out.contains("-- HELD BACK: "), row.exit_code == 1)
        << result.out.toStdString();
  }
}

TEST_F(MigrateTest, ARenameIsNotGuessedButNamed) {
  Build({"", "CREATE TABLE fresh(a INT, b TEXT); CREATE TABLE k(id INT, born DATE NOT NULL);",
         "CREATE TABLE old(a INT, b TEXT); CREATE TABLE k(id INT, birth DATE NOT NULL);"});
  const Result result = RunCli({"migrate", primary_, secondary_});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_TRUE(
      result.out.contains("Table 'old', which goes, has the same fields: if this is a rename"))
      << result.out.toStdString();
  EXPECT_TRUE(result.out.contains("\n-- | DROP TABLE \"old\";\n")) << result.out.toStdString();
  EXPECT_TRUE(
      result.out.contains("-- Field 'birth', which goes, and field 'born', which comes, have "
                          "the same definition: if this is a rename"))
      << result.out.toStdString();
}

// A script that fails on the rows there is not printed; the error names the step and why.
TEST_F(MigrateTest, AScriptThatFailsOnTheCopyIsNotPrinted) {
  Build({"", "CREATE TABLE a(x INT); CREATE UNIQUE INDEX u ON a(x);",
         "CREATE TABLE a(x INT); INSERT INTO a VALUES (1), (1);"});
  const QStringList before = folder_.State();
  const Result result =
      RunCli({"migrate", "--objects", "all", "--allow-unsafe", "--verify", primary_, secondary_});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.out, QByteArray());
  EXPECT_TRUE(
      result.err.contains("the script was not proven, and is not printed: the statement "
                          "of step 1 (create index u of table 'a') fails: UNIQUE "
                          "constraint failed: a.x"))
      << result.err.toStdString();
  EXPECT_EQ(folder_.State(), before);
}

TEST_F(MigrateTest, NothingDiffersIsAnEmptyScriptAndExitZero) {
  Build({"", "CREATE TABLE a(x INT);", "CREATE TABLE a(x INT);"});
  const Result result = RunCli({"migrate", "--verify", primary_, secondary_});
  EXPECT_EQ(result.exit_code, 0) << result.err.toStdString();
  EXPECT_TRUE(result.out.endsWith("-- Nothing differs.\n")) << result.out.toStdString();
}

// The script goes to a file, never onto an input or a file Vantrel did not write.
TEST_F(MigrateTest, OutputNeverReplacesAnInputOrAStrangersFile) {
  Build({"", "CREATE TABLE a(x INT, y INT);", "CREATE TABLE a(x INT);"});
  const QString script = folder_.PathOf(QStringLiteral("m.sql"));
  EXPECT_EQ(RunCli({"migrate", "-o", script, primary_, secondary_}).exit_code, 0);
  QFile written(script);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_TRUE(written.readAll().contains("ALTER TABLE \"a\" ADD COLUMN \"y\" INT;"));
  written.close();
  EXPECT_EQ(RunCli({"migrate", "-o", script, primary_, secondary_}).exit_code, 0)
      << "its own earlier script is replaced";
  const QStringList before = folder_.State();
  for (const QString& target : {secondary_, primary_, secondary_ + "-wal"}) {
    const Result refused = RunCli({"migrate", "-o", target, primary_, secondary_});
    EXPECT_EQ(refused.exit_code, 2) << target.toStdString();
    EXPECT_TRUE(refused.err.contains("will not write the script to")) << refused.err.toStdString();
  }
  // A link in the way is never followed, even to an earlier script.
  ASSERT_TRUE(QFile::link(script, folder_.PathOf(QStringLiteral("link.sql"))));
  const QByteArray earlier = [&] {
    QFile file(script);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();
  EXPECT_EQ(
      RunCli({"migrate", "-o", folder_.PathOf(QStringLiteral("link.sql")), secondary_, primary_})
          .exit_code,
      2);
  QFile kept(script);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), earlier);
  QFile stranger(folder_.PathOf(QStringLiteral("notes.txt")));
  ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
  stranger.write("mine\n");
  stranger.close();
  const QStringList with_notes = folder_.State();
  EXPECT_EQ(RunCli({"migrate", "-o", stranger.fileName(), primary_, secondary_}).exit_code, 2);
  EXPECT_EQ(folder_.State(), with_notes);
  EXPECT_EQ(before.size() + 2, with_notes.size());
}

// Each step of the JSON document names the differences it answers, each with its risk.
TEST_F(MigrateTest, JsonGivesEachStepItsStatementsAnswersAndRisk) {
  Build({"", "CREATE TABLE a(x VARCHAR(10));",
         "CREATE TABLE a(x VARCHAR(20)); CREATE TABLE b(y INT);"});
  const Result result = RunCli({"migrate", "--format", "json", primary_, secondary_});
  EXPECT_EQ(result.exit_code, 1);
  const QJsonObject document = QJsonDocument::fromJson(result.out).object();
  EXPECT_EQ(document.value("format").toString(), "vantrel-migration");
  EXPECT_EQ(document.value("dialect").toString(), "sqlite");
  const QJsonArray steps = document.value("steps").toArray();
  ASSERT_EQ(steps.size(), 2) << result.out.toStdString();
  QStringList risks;
  QStringList held_back;
  for (const auto& step : steps) {
    held_back.append(step.toObject().value("held_back").toString().section(u':', 0, 0));
    for (const auto& answer : step.toObject().value("answers").toArray()) {
      risks.append(answer.toObject().value("risk").toString().section(u':', 0, 0));
    }
  }
  risks.sort();
  // SQLite keeps a text longer than its declared length: the shorter VARCHAR loses nothing.
  EXPECT_EQ(risks, QStringList({"lost", "safe"}));
  held_back.sort();
  EXPECT_EQ(held_back, QStringList({"", "lost"})) << result.out.toStdString();
}

// A name may hold a line break: in a held-back step it stays inside the comment, and in a step
// that runs inside its quotes.
TEST_F(MigrateTest, ANameWithALineBreakCannotEscapeItsComment) {
  Build({"", "CREATE TABLE a(x INT);",
         "CREATE TABLE a(x INT); CREATE TABLE \"b\rDROP TABLE a;\n--\"(y INT);"});
  const Result result = RunCli({"migrate", primary_, secondary_});
  EXPECT_EQ(result.exit_code, 1);
  for (const QByteArray& line : result.out.split('\n')) {
    for (const QByteArray& piece : line.split('\r')) {
      EXPECT_FALSE(piece.startsWith("DROP TABLE a") || piece.startsWith("--\""))
          << result.out.toStdString();
    }
  }
}

// Generated pairs of schemas: whatever the pair, --verify either proves the script or names the
// step that does not hold; a proven script, run by the test, converges.
TEST_F(MigrateTest, GeneratedPairsConvergeOrNameTheFailingStep) {
  QRandomGenerator random(20261210);
  const QStringList types = {"INTEGER", "TEXT", "VARCHAR(20)",  "VARCHAR(30)",
                             "REAL",    "BLOB", "NUMERIC(10,2)"};
  const auto schema = [&](int tables) {
    QString sql;
    for (int t = 0; t < tables; ++t) {
      if (t > 0 && random.bounded(5) == 0) continue;
      QStringList columns{QStringLiteral("id INTEGER PRIMARY KEY")};
      const int count = 1 + static_cast<int>(random.bounded(4));
      for (int c = 0; c < count; ++c) {
        if (random.bounded(4) == 0) continue;
        QString column = QStringLiteral("c%1 %2").arg(c).arg(types[random.bounded(types.size())]);
        if (random.bounded(4) == 0) {
          column += QStringLiteral(" DEFAULT %1").arg(random.bounded(3));
        } else if (random.bounded(6) == 0) {
          column += QStringLiteral(" NOT NULL DEFAULT 0");
        }
        if (t > 0 && c == 0 && random.bounded(3) == 0) {
          column = QStringLiteral("c0 INT REFERENCES t0(id) ON DELETE CASCADE");
        }
        columns.append(column);
      }
      sql += QStringLiteral("CREATE TABLE t%1(%2);").arg(t).arg(columns.join(u','));
      if (random.bounded(3) == 0 && columns.size() > 1) {
        sql += QStringLiteral("CREATE INDEX i%1 ON t%1(%2);")
                   .arg(t)
                   .arg(columns[1].section(u' ', 0, 0));
      }
      if (random.bounded(4) == 0) {
        sql += QStringLiteral("CREATE VIEW v%1 AS SELECT * FROM t%1;").arg(t);
      }
    }
    return sql.toUtf8();
  };
  int proven = 0;
  for (int pair = 0; pair < 25; ++pair) {
    SqliteTestFolder folder;
    const QByteArray primary_sql = schema(4);
    const QByteArray secondary_sql = schema(4);
    SCOPED_TRACE(primary_sql.toStdString() + "\nagainst\n" + secondary_sql.toStdString());
    const QString primary = folder.CreateDatabase(QStringLiteral("p.db"), primary_sql.constData());
    const QString secondary =
        folder.CreateDatabase(QStringLiteral("s.db"), secondary_sql.constData());
    const QString copy = folder.CreateDatabase(QStringLiteral("c.db"), secondary_sql.constData());
    RunScript(secondary, "INSERT INTO t0 VALUES (1), (2);");
    RunScript(copy, "INSERT INTO t0 VALUES (1), (2);");
    const Result result =
        RunCli({"migrate", "--objects", "all", "--allow-unsafe", "--verify", primary, secondary});
    if (result.exit_code == 2) {
      EXPECT_TRUE(result.err.contains("the statement of step") ||
                  result.err.contains("still differs"))
          << result.err.toStdString();
      continue;
    }
    EXPECT_EQ(result.exit_code, 0) << result.err.toStdString();
    EXPECT_EQ(RunScript(copy, result.out), QString()) << result.out.toStdString();
    EXPECT_EQ(RunCli({"compare", "--objects", "all", primary, copy}).exit_code, 0)
        << result.out.toStdString();
    ++proven;
  }
  EXPECT_GE(proven, 20) << "most generated pairs have a script that is proven";
}

}  // namespace
}  // namespace vantrel::cli
