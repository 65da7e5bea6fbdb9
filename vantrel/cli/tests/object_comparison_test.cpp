// End-to-end: vantrel-cli compares keys, indexes, foreign keys and checks within and across
// engines. Each case is a pair of schemas for one table (and its parent) and the paragraphs the
// comparison must find, in both directions; cases whose schemas mean the same must find nothing,
// however the engines or their authors named and spelled them.
#include <QProcess>
#include <QRegularExpression>
#include <tuple>
#include <vector>

#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/cli/tests/engine_pair_compare.h"

namespace dataaccess::test_support {
namespace {

// One case: the statements of side a and side b (%1 stands for the case's table, %1_p for its
// parent, created on both sides), and what the report says, one entry per paragraph:
// "a Index missing" for an index of a's table that b lacks, "b Foreign Key [On Delete]" for a
// foreign key of b's that a has with another ON DELETE.
struct Case {
  const char* a;
  const char* b;
  std::vector<const char*> found;
  bool partial_indexes = false;  // needs an engine with partial indexes (not MariaDB)
  // b's foreign key has an index MariaDB made for it, which stands in for a's declared one:
  // where b is MariaDB, nothing is found.
  bool made_index_stands_in = false;
  // Run on side b after its statements where b is MariaDB.
  const char* b_on_mariadb = nullptr;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // Indexes.
      {"CREATE INDEX %1_ix ON %1 (email)", "", {"a Index missing"}},
      {"CREATE INDEX %1_first ON %1 (email)", "CREATE INDEX %1_second ON %1 (email)", {}},
      {"CREATE UNIQUE INDEX %1_ix ON %1 (email)", "CREATE UNIQUE INDEX %1_u ON %1 (email)", {}},
      {"CREATE UNIQUE INDEX %1_ix ON %1 (email)",
       "CREATE INDEX %1_ix ON %1 (email)",
       {"a Index [Unique]", "b Index [Unique]"}},
      {"CREATE INDEX %1_ix ON %1 (email, qty)",
       "CREATE INDEX %1_ix ON %1 (qty, email)",
       {"a Index missing", "b Index missing"}},
      {"CREATE INDEX %1_ix ON %1 (email DESC)",
       "CREATE INDEX %1_ix ON %1 (email)",
       {"a Index [Sort Order]", "b Index [Sort Order]"}},
      {"CREATE INDEX %1_ix ON %1 (email) WHERE qty > 0",
       "CREATE INDEX %1_ix ON %1 (email) WHERE (qty > 0)",
       {},
       true},
      {"CREATE INDEX %1_ix ON %1 (email) WHERE qty > 0",
       "CREATE INDEX %1_ix ON %1 (email) WHERE qty > 1",
       {"a Index [Where]", "b Index [Where]"},
       true},
      // Foreign keys.
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id)",
       "",
       {"a Foreign Key missing"}},
      {"ALTER TABLE %1 ADD CONSTRAINT %1_one FOREIGN KEY (parent) REFERENCES %1_p (id)",
       "ALTER TABLE %1 ADD CONSTRAINT %1_two FOREIGN KEY (parent) REFERENCES %1_p (id)",
       {}},
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id) ON DELETE CASCADE",
       "ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id)",
       {"a Foreign Key [On Delete]", "b Foreign Key [On Delete]"}},
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id) ON DELETE RESTRICT",
       "ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id) ON DELETE NO ACTION",
       {}},
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id) ON UPDATE SET NULL",
       "ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id)",
       {"a Foreign Key [On Update]", "b Foreign Key [On Update]"}},
      // A foreign key with an index declared for it on one side: the index is what differs.
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id);"
       "CREATE INDEX %1_by_parent ON %1 (parent)",
       "ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id)",
       {"a Index missing"},
       false,
       true},
      // A foreign key on a key's leftmost column: MariaDB serves it with UNIQUE (parent, qty)
      // and makes no index, so a's index for it stands in nothing b lacks; elsewhere it does.
      {"ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id);"
       "CREATE UNIQUE INDEX %1_u ON %1 (parent, qty);"
       "CREATE INDEX %1_by_parent ON %1 (parent)",
       "ALTER TABLE %1 ADD FOREIGN KEY (parent) REFERENCES %1_p (id);"
       "CREATE UNIQUE INDEX %1_u ON %1 (parent, qty)",
       {"a Index missing"},
       false,
       true},
      // Checks.
      {"ALTER TABLE %1 ADD CHECK (qty > 0)", "", {"a Check missing"}},
      {"ALTER TABLE %1 ADD CONSTRAINT %1_c CHECK (qty > 0)",
       "ALTER TABLE %1 ADD CONSTRAINT %1_positive CHECK ((qty)>0)",
       {}},
      {"ALTER TABLE %1 ADD CHECK (qty > 0 AND email <> '')",
       "ALTER TABLE %1 ADD CHECK ((qty > 0) AND (email != ''))",
       {}},
      {"ALTER TABLE %1 ADD CHECK (qty > 0)",
       "ALTER TABLE %1 ADD CHECK (qty >= 0)",
       {"a Check missing", "b Check missing"}},
      // PostgreSQL shows a list as "= ANY (ARRAY[...])" and a range as two comparisons.
      {"ALTER TABLE %1 ADD CHECK (email IN ('a', 'b'))",
       "ALTER TABLE %1 ADD CHECK (email IN ('a','b'))",
       {}},
      {"ALTER TABLE %1 ADD CHECK (email NOT IN ('a', 'b'))",
       "ALTER TABLE %1 ADD CHECK (email NOT IN ('a', 'b'))",
       {}},
      {"ALTER TABLE %1 ADD CHECK (email IN ('a', 'b'))",
       "ALTER TABLE %1 ADD CHECK (email IN ('a', 'c'))",
       {"a Check missing", "b Check missing"}},
      {"ALTER TABLE %1 ADD CHECK (qty BETWEEN 1 AND 5)",
       "ALTER TABLE %1 ADD CHECK (qty >= 1 AND qty <= 5)",
       {}},
      {"ALTER TABLE %1 ADD CHECK (qty NOT BETWEEN 1 AND 5)",
       "ALTER TABLE %1 ADD CHECK (qty BETWEEN 1 AND 5)",
       {"a Check missing", "b Check missing"}},
      // Whether a text is empty, which MariaDB's length() in bytes tells as the others' does.
      {"ALTER TABLE %1 ADD CHECK (length(email) > 0)",
       "ALTER TABLE %1 ADD CHECK (length(email) > 0)",
       {}},
      // MariaDB shows the quote in a string as \', the other engines as ''.
      {"ALTER TABLE %1 ADD CHECK (email <> 'it''s')",
       "ALTER TABLE %1 ADD CHECK (email <> 'it''s')",
       {}},
      {"ALTER TABLE %1 ADD CHECK (email <> 'it''s')",
       "ALTER TABLE %1 ADD CHECK (email <> 'its')",
       {"a Check missing", "b Check missing"}},
      // An ORM's "qty >= 0" for an unsigned column, which MariaDB keeps beside UNSIGNED: part
      // of the column on either side (its type differs, which the fields' comparison says).
      {"ALTER TABLE %1 ADD CHECK (qty >= 0)",
       "ALTER TABLE %1 ADD CHECK (qty >= 0)",
       {},
       false,
       false,
       "ALTER TABLE %1 MODIFY qty INTEGER UNSIGNED"},
  };
  return cases;
}

QString TableOf(size_t i) { return QStringLiteral("o%1").arg(i + 1, 2, 10, QChar(u'0')); }

class ObjectComparisonTest : public ::testing::TestWithParam<std::tuple<Engine, Engine>> {
 protected:
  static bool HasPartialIndexes(Engine engine) { return engine != Engine::kMariadb; }

  // The statements of one side: every case's table and parent, then the case's own statements.
  QStringList Statements(Engine engine, const char* Case::*side) {
    QStringList statements;
    for (size_t i = 0; i < Cases().size(); ++i) {
      const Case& c = Cases()[i];
      if (c.partial_indexes && !(HasPartialIndexes(std::get<0>(GetParam())) &&
                                 HasPartialIndexes(std::get<1>(GetParam())))) {
        continue;
      }
      const QString table = TableOf(i);
      statements.append(
          QStringLiteral("CREATE TABLE %1_p (id INTEGER NOT NULL PRIMARY KEY)").arg(table));
      // SQLite cannot add a constraint to a table: its statements are folded into CREATE TABLE.
      QString definition = QStringLiteral(
          "CREATE TABLE %1 (id INTEGER NOT NULL PRIMARY KEY, email VARCHAR(50), qty INTEGER, "
          "parent INTEGER");
      QStringList later;
      for (const QString& statement : QString::fromUtf8(c.*side).split(u';', Qt::SkipEmptyParts)) {
        const QString text = statement.arg(table);
        static const QRegularExpression add(QStringLiteral(R"(^ALTER TABLE \S+ ADD (.*)$)"));
        const QRegularExpressionMatch m = add.match(text);
        if (engine == Engine::kSqlite && m.hasMatch()) {
          definition += ", " + m.captured(1);
        } else {
          later.append(text);
        }
      }
      if (side == &Case::b && engine == Engine::kMariadb && c.b_on_mariadb != nullptr) {
        later.append(QString::fromUtf8(c.b_on_mariadb).arg(table));
      }
      statements.append(definition.arg(table) + ")");
      statements += later;
    }
    return statements;
  }

  QString Build(Engine engine, const QString& name, const char* Case::*side) {
    return BuildDatabase(engine, name, Statements(engine, side), sqlite_);
  }

  SqliteTestFolder sqlite_;
};

TEST_P(ObjectComparisonTest, ReportsWhatDiffersAndNothingThatIsOnlySpelledDifferently) {
  const auto [engine_a, engine_b] = GetParam();
  VANTREL_REQUIRE_ENGINES(engine_a, engine_b);
  const QString a = Build(engine_a, "vt_objects_a", &Case::a);
  const QString b = Build(engine_b, "vt_objects_b", &Case::b);
  static const QRegularExpression paragraph(
      QStringLiteral(
          R"re(^(Primary Key|Index|Foreign Key|Check): '.*?'(?: \(.*?\))? (?:exists in|in) )re"
          R"re(table '(a|b)\.[^.]*\.(?<table>o\d\d)', (but not in|and) .*?(\[.*\])?$)re"),
      QRegularExpression::MultilineOption);
  const CliResult result = ExpectCases(
      a, b, {"--objects", "keys,indexes,foreign-keys,checks"}, paragraph,
      [](const QRegularExpressionMatch& m) {
        return m.captured(2) + " " + m.captured(1) + " " +
               (m.captured(4) == QLatin1String("and") ? m.captured(5) : QStringLiteral("missing"));
      },
      Cases(), TableOf, 0,
      [partial = HasPartialIndexes(engine_a) && HasPartialIndexes(engine_b),
       b_mariadb =
           engine_b == Engine::kMariadb](const Case& c) -> std::optional<std::vector<const char*>> {
        if (c.partial_indexes && !partial) return std::nullopt;
        return c.made_index_stands_in && b_mariadb ? std::vector<const char*>() : c.found;
      });
  // No key defers its checks on either side, MariaDB's never do: nothing went uncompared.
  EXPECT_FALSE(result.output.contains("Not compared")) << result.output.toStdString();

  // A snapshot keeps every object: each side compares empty with its own.
  for (const QString& side : {a, b}) {
    const QString path = sqlite_.PathOf(QStringLiteral("objects.json"));
    QProcess snapshot;
    snapshot.start(QStringLiteral(VANTREL_CLI), {"snapshot", side, "-o", path});
    snapshot.waitForFinished(120000);
    ASSERT_EQ(snapshot.exitCode(), 0) << snapshot.readAllStandardError().toStdString();
    const CliResult same = Compare(side, path, {"--objects", "all"});
    EXPECT_EQ(same.output, QString()) << side.toStdString();
    EXPECT_EQ(same.status, 0);
  }
}

// One schema as its author would write it for any of the engines: with fields and every kind of
// object, it compares empty however each engine names and spells what it made of it.
TEST_P(ObjectComparisonTest, TheSameSchemaComparesEmptyWithEverything) {
  VANTREL_REQUIRE_ENGINES(std::get<0>(GetParam()), std::get<1>(GetParam()));
  const QStringList schema = {
      "CREATE TABLE customers (id BIGINT NOT NULL PRIMARY KEY, email VARCHAR(100) NOT NULL "
      "UNIQUE, name VARCHAR(50))",
      "CREATE TABLE orders (id BIGINT NOT NULL PRIMARY KEY, customer_id BIGINT NOT NULL, qty "
      "INTEGER NOT NULL CHECK (qty > 0), note VARCHAR(200), FOREIGN KEY (customer_id) "
      "REFERENCES customers (id) ON DELETE CASCADE, CHECK (note <> ''))",
      "CREATE INDEX orders_by_customer ON orders (customer_id, qty DESC)",
      "CREATE UNIQUE INDEX customers_by_name ON customers (name, email)"};
  const auto [engine_a, engine_b] = GetParam();
  const QString a = BuildDatabase(engine_a, "vt_objects_a", schema, sqlite_);
  const QString b = BuildDatabase(engine_b, "vt_objects_b", schema, sqlite_);
  const CliResult result = Compare(a, b, {"--objects", "all"});
  const bool one_side_mariadb = (engine_a == Engine::kMariadb) != (engine_b == Engine::kMariadb);
  // MariaDB's default collation is case-blind, the other engines' are not: one paragraph says
  // so, and nothing of any table.
  EXPECT_EQ(result.output, one_side_mariadb
                               ? QStringLiteral("Database: 'a.vt_objects_a', and 'b.vt_objects_b' "
                                                "differ in the following ways. [Default "
                                                "Collation]\n\n")
                               : QString());
  EXPECT_EQ(result.status, one_side_mariadb ? 1 : 0) << result.errors.toStdString();
}

// "Not compared" is said only where something of the kind was there to compare: no foreign key
// on either side, a view on one side only.
TEST_P(ObjectComparisonTest, NothingIsNotComparedWhereThereWasNothingToCompare) {
  VANTREL_REQUIRE_ENGINES(std::get<0>(GetParam()), std::get<1>(GetParam()));
  const QStringList schema = {"CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, qty INTEGER)"};
  const auto [engine_a, engine_b] = GetParam();
  const QString a = BuildDatabase(
      engine_a, "vt_objects_a", schema + QStringList{"CREATE VIEW v AS SELECT id FROM t"}, sqlite_);
  const QString b = BuildDatabase(engine_b, "vt_objects_b", schema, sqlite_);
  const CliResult result = Compare(a, b, {"--objects", "all"});
  EXPECT_FALSE(result.output.contains("Not compared")) << result.output.toStdString();
  EXPECT_TRUE(result.output.contains("Table: 'v' exists in database 'a.vt_objects_a'"))
      << result.output.toStdString();
}

// MariaDB checks every foreign key at once and cannot declare one deferrable: against a side
// whose key defers its check to the commit, the report says once that deferrability was not
// compared, naming MariaDB's side; against keys that are all checked at once it says nothing.
TEST(DeferrabilityTest, IsSaidNotComparedOnlyAgainstAKeyThatDefers) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  const auto schema = [](const char* deferral) {
    return QStringList{"CREATE TABLE p (id INTEGER NOT NULL PRIMARY KEY)",
                       QStringLiteral("CREATE TABLE c (id INTEGER NOT NULL PRIMARY KEY, p INTEGER, "
                                      "FOREIGN KEY (p) REFERENCES p (id)%1)")
                           .arg(QLatin1String(deferral))};
  };
  SqliteTestFolder sqlite;
  for (const Engine engine : {Engine::kSqlite, Engine::kPostgres}) {
    for (const bool deferred : {true, false}) {
      const QString a =
          BuildDatabase(engine, deferred ? "vt_defer_a" : "vt_at_once_a",
                        schema(deferred ? " DEFERRABLE INITIALLY DEFERRED" : ""), sqlite);
      const QString b = BuildDatabase(Engine::kMariadb, "vt_defer_b", schema(""), sqlite);
      // The report names its sides a and b in the order given.
      for (const auto& [first, second, mariadb] :
           {std::tuple(a, b, QStringLiteral("b")), std::tuple(b, a, QStringLiteral("a"))}) {
        const CliResult result = Compare(first, second, {"--objects", "foreign-keys"});
        const QString said = QStringLiteral(
                                 "Not compared: whether foreign keys are deferrable, which "
                                 "'%1.vt_defer_b' cannot tell")
                                 .arg(mariadb);
        EXPECT_EQ(result.output.contains(said), deferred)
            << EngineName(engine) << " deferred " << deferred << "\n"
            << result.output.toStdString();
        EXPECT_FALSE(result.output.contains("Foreign Key")) << result.output.toStdString();
      }
    }
  }
}

// Within MariaDB an index of a column's first characters is another index than one of the whole
// column (a unique one refuses rows alike in those characters), and a FULLTEXT index on a column
// is a B-tree's namesake of another method. A snapshot keeps both.
TEST(MariadbIndexesTest, APrefixAndAMethodAreWhatTheIndexIs) {
  VANTREL_REQUIRE_ENGINES(Engine::kMariadb);
  const auto schema = [](const char* key, const char* text_index, const char* method) {
    return QStringList{QStringLiteral("CREATE TABLE t (id INT PRIMARY KEY, e VARCHAR(100), "
                                      "n VARCHAR(50), x TEXT, UNIQUE KEY ue (%1), %2 KEY tx (%3), "
                                      "%4 KEY tn (n))")
                           .arg(QLatin1String(key), QLatin1String(text_index),
                                QLatin1String(*text_index ? "x" : "x(20)"), QLatin1String(method))};
  };
  SqliteTestFolder folder;
  const QString a = BuildDatabase(Engine::kMariadb, "vt_prefix_a",
                                  schema("e(10)", "FULLTEXT", "FULLTEXT"), folder);
  const QString b = BuildDatabase(Engine::kMariadb, "vt_prefix_b", schema("e", "", ""), folder);
  const CliResult result = Compare(a, b, {"--objects", "indexes", "--details"});
  for (const char* found : {"Index: 'UNIQUE (e(10))' (ue) exists in table 'a.vt_prefix_a.t'",
                            "Index: 'UNIQUE (e)' (ue) exists in table 'b.vt_prefix_b.t'",
                            "Index: 'USING fulltext (x)' (tx) exists in table 'a.vt_prefix_a.t'",
                            "Index: '(x(20))' (tx) exists in table 'b.vt_prefix_b.t'",
                            // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one paragraph
                            "Index: 'USING fulltext (n)' (tn) in table 'a.vt_prefix_a.t', and "
                            "b.vt_prefix_b.t differ in the following ways. [Method]\n"
                            "    Method: fulltext | btree"}) {
    EXPECT_TRUE(result.output.contains(QLatin1String(found))) << found << "\n"
                                                              << result.output.toStdString();
  }
  const QString same = BuildDatabase(Engine::kMariadb, "vt_prefix_c",
                                     schema("e(10)", "FULLTEXT", "FULLTEXT"), folder);
  const QString path = folder.PathOf(QStringLiteral("prefix.json"));
  QProcess snapshot;
  snapshot.start(QStringLiteral(VANTREL_CLI), {"snapshot", a, "-o", path});
  snapshot.waitForFinished(120000);
  ASSERT_EQ(snapshot.exitCode(), 0) << snapshot.readAllStandardError().toStdString();
  for (const QString& other : {same, path}) {
    const CliResult none = Compare(a, other, {"--objects", "all"});
    EXPECT_EQ(none.output, QString()) << other.toStdString();
    EXPECT_EQ(none.status, 0) << other.toStdString();
  }
  // The script makes each index as it is, proven on a scratch database.
  const QString scratch = BuildDatabase(Engine::kMariadb, "vt_prefix_x", {}, folder);
  QProcess migrate;
  migrate.start(QStringLiteral(VANTREL_CLI),
                {"migrate", "--allow-unsafe", "--verify", "--scratch", scratch, a, b});
  migrate.waitForFinished(120000);
  const QString script = QString::fromUtf8(migrate.readAllStandardOutput()) +
                         QString::fromUtf8(migrate.readAllStandardError());
  EXPECT_EQ(migrate.exitCode(), 0) << script.toStdString();
  EXPECT_TRUE(script.contains("CREATE FULLTEXT INDEX `tn` ON `t` (`n`);")) << script.toStdString();
  EXPECT_TRUE(script.contains("CREATE UNIQUE INDEX `ue` ON `t` (`e`(10));"))
      << script.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Engines, ObjectComparisonTest,
                         ::testing::Values(std::tuple(Engine::kSqlite, Engine::kSqlite),
                                           std::tuple(Engine::kPostgres, Engine::kPostgres),
                                           std::tuple(Engine::kMariadb, Engine::kMariadb),
                                           std::tuple(Engine::kSqlite, Engine::kPostgres),
                                           std::tuple(Engine::kPostgres, Engine::kSqlite),
                                           std::tuple(Engine::kSqlite, Engine::kMariadb),
                                           std::tuple(Engine::kMariadb, Engine::kPostgres)),
                         PairName);

}  // namespace
}  // namespace dataaccess::test_support

namespace dataaccess::test_support {
namespace {

// Any schema loaded twice on one engine from the same statements compares empty with every kind
// of object: whatever an engine generates (names, view texts, sequences, the objects only it
// has) is the same for the same statements.
TEST(SameSchemaTwiceTest, ComparesEmptyOnEachEngineUnderEverything) {
  const QStringList common = {
      "CREATE TABLE customers (id INTEGER NOT NULL PRIMARY KEY, email VARCHAR(100) NOT NULL "
      "UNIQUE, name VARCHAR(50) DEFAULT 'none', grade CHAR(1) CHECK (grade IN ('A', 'B')))",
      "CREATE TABLE orders (id INTEGER NOT NULL PRIMARY KEY, customer_id INTEGER NOT NULL, qty "
      "INTEGER NOT NULL DEFAULT 1 CHECK (qty > 0), note VARCHAR(200), FOREIGN KEY (customer_id) "
      "REFERENCES customers (id) ON DELETE CASCADE)",
      "CREATE INDEX orders_by_customer ON orders (customer_id, qty DESC)",
      "CREATE VIEW big_orders AS SELECT o.id, c.email FROM orders o JOIN customers c ON c.id = "
      "o.customer_id WHERE o.qty > 10"};
  const struct {
    Engine engine = Engine::kSqlite;
    QStringList own;
  } engines[] = {
      {Engine::kSqlite,
       {"CREATE TRIGGER orders_touch AFTER UPDATE OF qty ON orders FOR EACH ROW WHEN NEW.qty > 5 "
        "BEGIN UPDATE customers SET name = 'busy' WHERE id = NEW.customer_id; END"}},
      {Engine::kPostgres,
       {"CREATE EXTENSION IF NOT EXISTS btree_gist",
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one statement over two lines
        "CREATE COLLATION blind (provider = icu, locale = 'und-u-ks-level1', deterministic = "
        "false)",
        "CREATE TYPE mood AS ENUM ('glad', 'sad')",
        "CREATE TABLE booking (id serial PRIMARY KEY, room int, during tsrange, feel mood, tag "
        "text COLLATE blind, EXCLUDE USING gist (room WITH =, during WITH &&))",
        "CREATE INDEX booking_tag ON booking USING hash (tag)",
        "CREATE INDEX customers_email_like ON customers (email varchar_pattern_ops)",
        "CREATE UNLOGGED TABLE scratch (a int)", "CREATE SEQUENCE free_numbers START 7",
        "CREATE RULE orders_keep AS ON DELETE TO orders WHERE OLD.qty > 100 DO INSTEAD NOTHING",
        "CREATE FUNCTION touch() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$",
        "CREATE TRIGGER orders_touch BEFORE UPDATE ON orders FOR EACH ROW EXECUTE FUNCTION "
        "touch()"}},
      {Engine::kMariadb,
       {"CREATE TABLE flags (id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY, size "
        "ENUM('s', 'm') NOT NULL, seen TIMESTAMP DEFAULT CURRENT_TIMESTAMP ON UPDATE "
        "CURRENT_TIMESTAMP, doc JSON)",
        "CREATE SEQUENCE free_numbers START WITH 7",
        "CREATE TRIGGER orders_touch BEFORE UPDATE ON orders FOR EACH ROW SET NEW.note = "
        "'touched'"}},
  };
  SqliteTestFolder folder;
  for (const auto& [engine, own] : engines) {
    VANTREL_REQUIRE_ENGINES(engine);
    const QString a = BuildDatabase(engine, "vt_twice_a", common + own, folder);
    const QString b = BuildDatabase(engine, "vt_twice_b", common + own, folder);
    const CliResult result = Compare(a, b, {"--objects", "all"});
    EXPECT_EQ(result.output, QString()) << EngineName(engine);
    EXPECT_EQ(result.errors, QString()) << EngineName(engine);
    EXPECT_EQ(result.status, 0) << EngineName(engine);
  }
}

}  // namespace
}  // namespace dataaccess::test_support

namespace dataaccess::test_support {
namespace {

// A join table's primary key on one engine and a UNIQUE index on the same NOT NULL columns on
// another (as an ORM makes them) refuse the same rows: both are reported, neither as refusing or
// letting in duplicates. On nullable columns the index lets in rows the key refuses.
TEST(UniqueKeyKindsTest, AKeyAndAUniqueIndexOnTheSameRequiredColumnsRefuseTheSameRows) {
  const struct {
    Engine keyed;
    Engine indexed;
  } pairs[] = {{Engine::kPostgres, Engine::kSqlite},
               {Engine::kPostgres, Engine::kMariadb},
               {Engine::kSqlite, Engine::kMariadb}};
  SqliteTestFolder folder;
  for (const auto& [keyed_engine, indexed_engine] : pairs) {
    VANTREL_REQUIRE_ENGINES(keyed_engine, indexed_engine);
    const QString what =
        QStringLiteral("%1 against %2").arg(EngineName(keyed_engine), EngineName(indexed_engine));
    const QString keyed = BuildDatabase(
        keyed_engine, "vt_unique_a",
        {"CREATE TABLE tag_post (a INTEGER NOT NULL, b INTEGER NOT NULL, PRIMARY KEY (a, b))",
         "CREATE TABLE loose (a INTEGER NOT NULL, b INTEGER NOT NULL, PRIMARY KEY (a, b))"},
        folder);
    const QString indexed =
        BuildDatabase(indexed_engine, "vt_unique_b",
                      {"CREATE TABLE tag_post (a INTEGER NOT NULL, b INTEGER NOT NULL)",
                       "CREATE UNIQUE INDEX tag_post_ba ON tag_post (b, a)",
                       "CREATE TABLE loose (a INTEGER NOT NULL, b INTEGER)",
                       "CREATE UNIQUE INDEX loose_ab ON loose (a, b)"},
                      folder);
    const CliResult result = Compare(keyed, indexed, {"--explain", "--objects", "keys,indexes"});
    const QString& out = result.output;
    EXPECT_EQ(result.status, 1) << what.toStdString() << "\n" << out.toStdString();
    const QStringList expected = {
        // tag_post, the key on a and the index on b: each the other's counterpart
        "safe: no new row is refused: 'UNIQUE (b, a)' on 'b' refuses the same duplicates",
        "safe: constraint dropped: 'primary key (a, b)' on 'a' refuses the same duplicates",
        // loose: b is nullable on b's side, where rows alike but for a NULL get in
        "new UNIQUE: duplicate rows are refused"};
    for (const QString& line : expected) {
      EXPECT_EQ(out.count(line), 1) << what.toStdString() << ": " << line.toStdString() << "\n"
                                    << out.toStdString();
    }
  }
}

}  // namespace
}  // namespace dataaccess::test_support
