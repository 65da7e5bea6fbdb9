// End-to-end: what only PostgreSQL has, compared on real databases. Within PostgreSQL an index's
// method, operator classes and collations, exclusion constraints, rules, unlogged tables, the
// collations a database defines and the names of enum types are what they are; across engines
// PostgreSQL's own companion index for LIKE searches is no difference, and what the other engine
// cannot tell is said to be not compared only where there is some of it.
#include <QProcess>
#include <QRegularExpression>
#include <tuple>
#include <vector>

#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/cli/tests/engine_pair_compare.h"
#include "vantrel/cli/tests/rendered_page.h"

namespace dataaccess::test_support {
namespace {

// One case: the statements of sides a and b after CREATE TABLE %1 (id int PRIMARY KEY, name
// varchar(40), during tsrange), and the paragraphs found: "a Index missing" for an index of a's
// table that b lacks, "b Index [Method]" for one of b's that a has with another method.
struct Case {
  const char* a;
  const char* b;
  std::vector<const char*> found;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      // An operator class makes another index: never the unique key on the same column.
      {"ALTER TABLE %1 ADD UNIQUE (name); CREATE INDEX %1_like ON %1 (name varchar_pattern_ops)",
       "ALTER TABLE %1 ADD UNIQUE (name)",
       {"a Index missing"}},
      {"CREATE INDEX %1_x ON %1 (name varchar_pattern_ops)",
       "CREATE INDEX %1_y ON %1 (name varchar_pattern_ops)",
       {}},
      {"CREATE INDEX %1_x ON %1 (name text_pattern_ops)",
       "CREATE INDEX %1_x ON %1 (name varchar_pattern_ops)",
       {"a Index missing", "b Index missing"}},
      // The method is a property of the index on the same parts.
      {"CREATE INDEX %1_x ON %1 USING hash (name)",
       "CREATE INDEX %1_x ON %1 (name)",
       {"a Index [Method]", "b Index [Method]"}},
      {"CREATE INDEX %1_x ON %1 USING hash (name)",
       "CREATE INDEX %1_y ON %1 USING hash (name)",
       {}},
      // A collation of its own, within one engine.
      {"CREATE INDEX %1_x ON %1 (name COLLATE \"C\")",
       "CREATE INDEX %1_x ON %1 (name)",
       {"a Index missing", "b Index missing"}},
      // An exclusion constraint is no index on its columns.
      {"ALTER TABLE %1 ADD EXCLUDE USING gist (id WITH =, during WITH &&)",
       "CREATE INDEX %1_x ON %1 USING gist (id, during)",
       {"a Exclusion Constraint missing", "b Index missing"}},
      {"ALTER TABLE %1 ADD CONSTRAINT %1_one EXCLUDE USING gist (during WITH &&)",
       "ALTER TABLE %1 ADD CONSTRAINT %1_two EXCLUDE USING gist (during WITH &&)",
       {}},
      // Rules.
      {"CREATE RULE %1_keep AS ON DELETE TO %1 DO INSTEAD NOTHING", "", {"a Rule missing"}},
      {"CREATE RULE %1_keep AS ON DELETE TO %1 DO INSTEAD NOTHING",
       "CREATE RULE %1_keep AS ON DELETE TO %1 DO ALSO NOTHING",
       {"a Rule [Instead, Definition]", "b Rule [Instead, Definition]"}},
      {"CREATE RULE %1_keep AS ON DELETE TO %1 DO INSTEAD NOTHING",
       "CREATE RULE %1_keep AS ON DELETE TO %1 DO INSTEAD NOTHING",
       {}},
      // Persistence.
      {"ALTER TABLE %1 SET UNLOGGED",
       "",
       {"a Persistence [Persistence]", "b Persistence [Persistence]"}},
      {"ALTER TABLE %1 SET UNLOGGED", "ALTER TABLE %1 SET UNLOGGED", {}},
      // A key that counts NULLs as alike refuses a second NULL: another key than a plain one.
      {"ALTER TABLE %1 ADD UNIQUE NULLS NOT DISTINCT (name)",
       "ALTER TABLE %1 ADD UNIQUE (name)",
       {"a Index [Unique]", "b Index [Unique]"}},
      {"CREATE UNIQUE INDEX %1_x ON %1 (name) NULLS NOT DISTINCT",
       "CREATE UNIQUE INDEX %1_y ON %1 (name) NULLS NOT DISTINCT",
       {}},
      // INCLUDE columns, and where a part sorts NULLs against its direction's default.
      {"CREATE INDEX %1_x ON %1 (name) INCLUDE (id)",
       "CREATE INDEX %1_x ON %1 (name)",
       {"a Index [Included Columns]", "b Index [Included Columns]"}},
      {"CREATE INDEX %1_x ON %1 (name) INCLUDE (ID)",
       "CREATE INDEX %1_y ON %1 (name) INCLUDE (id)",
       {}},
      {"CREATE INDEX %1_x ON %1 (name DESC NULLS LAST)",
       "CREATE INDEX %1_x ON %1 (name DESC)",
       {"a Index [Sort Order]", "b Index [Sort Order]"}},
      {"CREATE INDEX %1_x ON %1 (name ASC NULLS LAST, id DESC NULLS FIRST)",
       "CREATE INDEX %1_x ON %1 (name, id DESC)",
       {}},
  };
  return cases;
}

QString TableOf(size_t i) { return QStringLiteral("q%1").arg(i + 1, 2, 10, QChar(u'0')); }

QStringList Statements(const char* Case::*side) {
  QStringList statements = {"CREATE EXTENSION IF NOT EXISTS btree_gist"};
  for (size_t i = 0; i < Cases().size(); ++i) {
    const QString table = TableOf(i);
    statements.append(
        QStringLiteral("CREATE TABLE %1 (id int PRIMARY KEY, name varchar(40), during tsrange)")
            .arg(table));
    for (const QString& statement :
         QString::fromUtf8(Cases()[i].*side).split(u';', Qt::SkipEmptyParts)) {
      statements.append(statement.trimmed().arg(table));
    }
  }
  return statements;
}

TEST(PostgresObjectsTest, IndexesRulesAndPersistenceAreWhatTheyAre) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres);
  SqliteTestFolder folder;
  const QString a =
      BuildDatabase(Engine::kPostgres, "vt_pg_objects_a", Statements(&Case::a), folder);
  const QString b =
      BuildDatabase(Engine::kPostgres, "vt_pg_objects_b", Statements(&Case::b), folder);
  static const QRegularExpression paragraph(
      QStringLiteral(R"re(^(Index|Exclusion Constraint|Rule|Persistence): '.*?'(?: \(.*?\))? )re"
                     R"re((?:exists in|in) table '(a|b)\.[^.]*\.(?<table>q\d\d)', )re"
                     R"re((but not in|and) .*?(\[.*\])?$)re"),
      QRegularExpression::MultilineOption);
  ExpectCases(
      a, b, {"--objects", "keys,indexes,rules,persistence"}, paragraph,
      [](const QRegularExpressionMatch& m) {
        return m.captured(2) + " " + m.captured(1) + " " +
               (m.captured(4) == QLatin1String("and") ? m.captured(5) : QStringLiteral("missing"));
      },
      Cases(), TableOf);
  // Each risk says what the object does, not what an index would.
  const CliResult explained =
      Compare(a, b, {"--objects", "indexes,rules,persistence", "--explain"});
  for (const char* risk :
       {"new UNIQUE: rows that conflict under 'EXCLUDE USING gist (id WITH =, during WITH &&)'",
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one line over two
        "behaviour: rule 'q09_keep' rewrites DELETE statements on 'a' only: they do something "
        "else there",
        "lost: UNLOGGED on 'a': its rows are lost after a crash",
        "safe: method hash on 'a', btree on 'b'", "safe: new index",
        "new UNIQUE: NULLS NOT DISTINCT: rows whose key is NULL alike are refused"}) {
    EXPECT_TRUE(explained.output.contains(QLatin1String(risk))) << risk << "\n"
                                                                << explained.output.toStdString();
  }
  EXPECT_FALSE(explained.output.contains("new UNIQUE: duplicate rows are refused"))
      << explained.output.toStdString();
}

// What only PostgreSQL has reads on the HTML page as any difference does: under its own kind,
// both sides' values, once.
TEST(PostgresObjectsTest, ThePageShowsEveryKindOnlyPostgresHas) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres);
  SqliteTestFolder folder;
  const QString a = BuildDatabase(
      Engine::kPostgres, "vt_pg_page_a",
      {"CREATE EXTENSION IF NOT EXISTS btree_gist",
       "CREATE COLLATION blind (provider = icu, locale = 'und-u-ks-level1', deterministic = false)",
       "CREATE SEQUENCE tickets INCREMENT 5",
       // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): one statement over two lines
       "CREATE UNLOGGED TABLE t (id int PRIMARY KEY, during tsrange, "
       "EXCLUDE USING gist (during WITH &&))",
       "CREATE RULE t_keep AS ON DELETE TO t DO INSTEAD NOTHING"},
      folder);
  const QString b = BuildDatabase(
      Engine::kPostgres, "vt_pg_page_b",
      {"CREATE SEQUENCE tickets INCREMENT 1", "CREATE TABLE t (id int, during tsrange)"}, folder);
  const CliResult result = Compare(a, b, {"--objects", "all", "--format", "html"});
  EXPECT_EQ(result.status, 1) << result.errors.toStdString();
  const QString page = folder.PathOf("page.html");
  component::test_support::WriteFileContents(page, result.output.toUtf8());
  const std::vector<vantrel::test_support::ShownRow> rows =
      vantrel::test_support::ShownDifferences(vantrel::test_support::RenderedDom(page));
  const struct {
    const char* kind;
    const char* text;
  } expected[] = {
      {"Collation", "blind only in the primary"},
      {"Sequence", "Increment 5 1"},
      {"Persistence", "Persistence UNLOGGED LOGGED"},
      {"Exclusion Constraint", "only in the primary"},
      {"Rule", "only in the primary"},
      {"Primary Key", "only in the primary"},
  };
  for (const auto& want : expected) {
    const auto shown = std::count_if(rows.begin(), rows.end(), [&](const auto& row) {
      return row.kind == QLatin1String(want.kind) && row.text.contains(QLatin1String(want.text));
    });
    EXPECT_EQ(shown, 1) << want.kind << ": " << want.text;
  }
}

// The collations a database defines, and enum types by name, within one engine; across engines
// an enum type is its labels.
TEST(PostgresObjectsTest, DefinedCollationsAndEnumTypeNamesCountWithinTheEngine) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString a = BuildDatabase(
      Engine::kPostgres, "vt_pg_types_a",
      {"CREATE COLLATION blind (provider = icu, locale = 'und-u-ks-level1', deterministic = false)",
       "CREATE COLLATION loose (provider = icu, locale = 'und-u-ks-level2', deterministic = false)",
       "CREATE TYPE mood AS ENUM ('glad', 'sad')", "CREATE TABLE t (id int PRIMARY KEY, m mood)"},
      folder);
  const QString b = BuildDatabase(
      Engine::kPostgres, "vt_pg_types_b",
      {"CREATE COLLATION loose (provider = icu, locale = 'und-u-ks-level1', deterministic = false)",
       "CREATE TYPE feeling AS ENUM ('glad', 'sad')",
       "CREATE TABLE t (id int PRIMARY KEY, m feeling)"},
      folder);
  const CliResult within = Compare(a, b, {"--objects", "all", "--explain"});
  EXPECT_EQ(within.status, 1);
  for (const char* paragraph :
       {"Field: 'm' in table 'a.vt_pg_types_a.t', and b.vt_pg_types_b.t differ in the following "
        "ways. [Data Type]",
        "Field: 'm' in table 'b.vt_pg_types_b.t', and a.vt_pg_types_a.t differ in the following "
        "ways. [Data Type]",
        "type change: enum types 'feeling' on 'b', 'mood' on 'a' of the same labels: values are "
        "converted by their labels",
        "Collation: 'blind' exists in database 'a.vt_pg_types_a', but not in 'b.vt_pg_types_b'",
        "Collation: 'loose' in database 'a.vt_pg_types_a', and b.vt_pg_types_b differ in the "
        "following ways. [Locale]"}) {
    EXPECT_TRUE(within.output.contains(QLatin1String(paragraph))) << paragraph << "\n"
                                                                  << within.output.toStdString();
  }
  const QString mariadb =
      BuildDatabase(Engine::kMariadb, "vt_pg_types_m",
                    {"CREATE TABLE t (id int PRIMARY KEY, m ENUM('glad', 'sad'))"}, folder);
  const CliResult across = Compare(a, mariadb, {"--objects", "all"});
  EXPECT_FALSE(across.output.contains("Data Type")) << across.output.toStdString();
  EXPECT_FALSE(across.output.contains("Collation: 'blind'")) << across.output.toStdString();
}

// The labels of a PostgreSQL enum type are read with it: labels added to the primary's type are
// safe, labels only the secondary's has are rows refused.
TEST(PostgresObjectsTest, AnEnumTypesLabelsTellWhatMovingRowsRisks) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres);
  SqliteTestFolder folder;
  const QString more = BuildDatabase(
      Engine::kPostgres, "vt_pg_labels_a",
      {"CREATE TYPE mood AS ENUM ('glad', 'sad', 'meh')", "CREATE TABLE t (m mood)"}, folder);
  const QString fewer = BuildDatabase(
      Engine::kPostgres, "vt_pg_labels_b",
      {"CREATE TYPE mood AS ENUM ('glad', 'sad')", "CREATE TABLE t (m mood)"}, folder);
  const struct {
    QString primary;
    QString secondary;
    const char* risk;
  } cases[] = {
      {more, fewer, "    safe: labels added\n"},
      {fewer, more, "    narrower: label 'meh' only on 'b': rows holding it are refused\n"},
  };
  // A snapshot keeps the labels: the same lines from it.
  const QString snapshot = folder.PathOf(QStringLiteral("more.json"));
  QProcess take;
  take.start(QStringLiteral(VANTREL_CLI), {"snapshot", more, "-o", snapshot});
  take.waitForFinished(120000);
  ASSERT_EQ(take.exitCode(), 0) << take.readAllStandardError().toStdString();
  for (const auto& c : cases) {
    for (const bool from_snapshot : {false, true}) {
      const QString primary = from_snapshot && c.primary == more ? snapshot : c.primary;
      const QString secondary = from_snapshot && c.secondary == more ? snapshot : c.secondary;
      const CliResult result = Compare(primary, secondary, {"--explain"});
      EXPECT_EQ(result.output.count(QLatin1String(c.risk)), 2)
          << c.risk << (from_snapshot ? " (snapshot)\n" : "\n") << result.output.toStdString();
    }
  }
}

// A key that counts NULLs as alike, and an index with INCLUDE columns and NULLS LAST, are
// written as such for PostgreSQL, and the script converges on a scratch database; for another
// engine, which cannot say them, they are held back.
TEST(PostgresObjectsTest, WhatOnlyPostgresSaysOfAnIndexIsWrittenWhereTheTargetCanSayIt) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres);
  SqliteTestFolder folder;
  const QString alike = BuildDatabase(
      Engine::kPostgres, "vt_pg_nulls_a",
      {"CREATE TABLE t (id int PRIMARY KEY, a int, b int, CONSTRAINT t_a UNIQUE NULLS NOT DISTINCT "
       "(a))",
       "CREATE UNIQUE INDEX t_b ON t (b) NULLS NOT DISTINCT",
       "CREATE INDEX t_c ON t (a DESC NULLS LAST) INCLUDE (b)"},
      folder);
  const QStringList plain = {"CREATE TABLE t (id int PRIMARY KEY, a int, b int)",
                             "INSERT INTO t VALUES (1, NULL, NULL), (2, 5, 5)"};
  const QString pg_plain = BuildDatabase(Engine::kPostgres, "vt_pg_nulls_b", plain, folder);
  const QString sqlite_plain = BuildDatabase(Engine::kSqlite, "vt_pg_nulls_c", plain, folder);
  const QString scratch = BuildDatabase(Engine::kPostgres, "vt_pg_nulls_x", {}, folder);
  const auto migrate = [](const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI), QStringList{"migrate"} + arguments);
    process.waitForFinished(120000);
    return std::pair(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()) +
                                             QString::fromUtf8(process.readAllStandardError()));
  };
  const auto [status, script] =
      migrate({"--allow-unsafe", "--verify", "--scratch", scratch, alike, pg_plain});
  EXPECT_EQ(status, 0) << script.toStdString();
  EXPECT_TRUE(script.contains("UNIQUE NULLS NOT DISTINCT (\"a\")")) << script.toStdString();
  EXPECT_TRUE(script.contains("(\"b\") NULLS NOT DISTINCT;")) << script.toStdString();
  EXPECT_TRUE(script.contains("(\"a\" DESC NULLS LAST) INCLUDE (\"b\");")) << script.toStdString();
  const auto [across_status, across] = migrate({"--allow-unsafe", alike, sqlite_plain});
  EXPECT_EQ(across_status, 1) << across.toStdString();
  EXPECT_TRUE(across.contains("NULLS NOT DISTINCT of the unique key t_a")) << across.toStdString();
  EXPECT_TRUE(across.contains("the INCLUDE columns of index t_c")) << across.toStdString();
  EXPECT_FALSE(across.contains(
      QRegularExpression("^[^-].*NULLS NOT DISTINCT", QRegularExpression::MultilineOption)))
      << across.toStdString();
}

// Across engines, PostgreSQL's pattern-class companion of a key is what the other engine's key
// serves itself; within PostgreSQL it is an index the other side lacks. A rule the other engine
// cannot tell is said to be not compared; an unlogged table likewise. INCLUDE columns are
// compared with the engines whose indexes have none.
TEST(PostgresObjectsTest, ThePatternCompanionAndRulesAcrossEngines) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QStringList plain = {"CREATE TABLE t (id int PRIMARY KEY, name varchar(40) UNIQUE)"};
  const QString pg = BuildDatabase(
      Engine::kPostgres, "vt_pg_companion",
      plain + QStringList{"CREATE INDEX t_name_like ON t (name varchar_pattern_ops)",
                          "CREATE TABLE archive (id int, note text)",
                          "CREATE RULE archive_keep AS ON DELETE TO archive DO INSTEAD NOTHING",
                          "CREATE UNLOGGED TABLE scratch (a int)",
                          "CREATE INDEX archive_covering ON archive (id) INCLUDE (note)"},
      folder);
  const QStringList others = plain + QStringList{"CREATE TABLE archive (id int, note text)",
                                                 "CREATE TABLE scratch (a int)",
                                                 "CREATE INDEX archive_covering ON archive (id)"};
  for (const Engine engine : {Engine::kSqlite, Engine::kMariadb}) {
    const QString other = BuildDatabase(engine, "vt_pg_companion_o", others, folder);
    const CliResult result = Compare(pg, other, {"--objects", "indexes,rules,persistence"});
    EXPECT_FALSE(result.output.contains("varchar_pattern_ops")) << result.output.toStdString();
    const bool mariadb = engine == Engine::kMariadb;
    EXPECT_EQ(result.output.contains("Rule: 'ON DELETE DO INSTEAD' (archive_keep) exists in"),
              !mariadb)
        << result.output.toStdString();
    EXPECT_EQ(
        result.output.contains("Not compared: rules, which 'b.vt_pg_companion_o' cannot tell"),
        mariadb)
        << result.output.toStdString();
    EXPECT_EQ(result.output.contains("Not compared: whether tables are logged, which "
                                     "'b.vt_pg_companion_o' cannot tell"),
              mariadb)
        << result.output.toStdString();
    // No other engine's index includes columns of its own: SQLite's and MariaDB's say so.
    EXPECT_TRUE(
        result.output.contains("Index: '(id)' (archive_covering) in table "
                               "'a.vt_pg_companion.archive', and "
                               "b.vt_pg_companion_o.archive differ in the following "
                               "ways. [Included Columns]"))
        << result.output.toStdString();
    EXPECT_FALSE(result.output.contains("Not compared: index methods"))
        << result.output.toStdString();
  }
  const QString pg_plain = BuildDatabase(Engine::kPostgres, "vt_pg_companion_o", plain, folder);
  const CliResult within = Compare(pg, pg_plain, {"--objects", "indexes"});
  EXPECT_TRUE(within.output.contains("Index: '(name varchar_pattern_ops)' (t_name_like) exists in"))
      << within.output.toStdString();
}

}  // namespace
}  // namespace dataaccess::test_support

namespace dataaccess::test_support {
namespace {

// MariaDB's ON UPDATE CURRENT_TIMESTAMP and a PostgreSQL trigger keep one column current in two
// ways: both are reported, and each risk line says what the other side does instead. Within
// MariaDB the clause is a property of the field.
TEST(OnUpdateTest, TheClauseAndATriggerThatDoesItAreEachToldOfTheOther) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString kept =
      "CREATE TABLE actor (id int PRIMARY KEY, last_update TIMESTAMP NOT NULL DEFAULT "
      "CURRENT_TIMESTAMP ON UPDATE CURRENT_TIMESTAMP)";
  const QString mariadb = BuildDatabase(Engine::kMariadb, "vt_on_update_a", {kept}, folder);
  const QString postgres = BuildDatabase(
      Engine::kPostgres, "vt_on_update_b",
      {"CREATE TABLE actor (id int PRIMARY KEY, last_update timestamptz(0) NOT NULL DEFAULT "
       "CURRENT_TIMESTAMP)",
       "CREATE FUNCTION touch() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN NEW.last_update = "
       "now(); RETURN NEW; END$$",
       "CREATE TRIGGER last_updated BEFORE UPDATE ON actor FOR EACH ROW EXECUTE FUNCTION "
       "touch()"},
      folder);
  const CliResult across = Compare(mariadb, postgres, {"--objects", "all", "--explain"});
  for (const char* said :
       {"Field: 'last_update' in table 'a.vt_on_update_a.actor', and b.vt_on_update_b.actor "
        "differ in the following ways. [On Update]\n    behaviour: ON UPDATE current_timestamp() "
        "on 'a' only: an UPDATE sets the column on that side alone; on 'b', trigger "
        "'last_updated' may set it on every UPDATE instead\n",
        "Trigger: 'BEFORE UPDATE FOR EACH ROW' (last_updated) exists in table "
        "'b.vt_on_update_b.actor', but not in 'a.vt_on_update_a.actor'\n    behaviour: trigger "
        "'last_updated' runs on 'b' only: what it does is not done on 'a'; on 'a', column "
        "'last_update' is set ON UPDATE current_timestamp() instead\n"}) {
    EXPECT_TRUE(across.output.contains(QLatin1String(said))) << said << "\n"
                                                             << across.output.toStdString();
  }
  const QString same = BuildDatabase(Engine::kMariadb, "vt_on_update_b", {kept}, folder);
  EXPECT_EQ(Compare(mariadb, same, {"--objects", "defaults"}).output, QString());
  const QString without = BuildDatabase(
      Engine::kMariadb, "vt_on_update_b",
      {"CREATE TABLE actor (id int PRIMARY KEY, last_update TIMESTAMP NOT NULL DEFAULT "
       "CURRENT_TIMESTAMP)"},
      folder);
  const CliResult within = Compare(mariadb, without, {"--objects", "defaults"});
  EXPECT_EQ(within.output.count(QLatin1String("differ in the following ways. [On Update]")), 2)
      << within.output.toStdString();
}

}  // namespace
}  // namespace dataaccess::test_support

namespace dataaccess::test_support {
namespace {

// An identity column on the secondary only, against a column with a default on the primary: new
// rows take that default, they do not need a value of their own.
TEST(IdentityRiskTest, ANumberedColumnAgainstOneWithADefaultSaysWhatNewRowsTake) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder folder;
  const QString with_default =
      BuildDatabase(Engine::kMariadb, "vt_identity_a",
                    {"CREATE TABLE t (id int NOT NULL DEFAULT 0 PRIMARY KEY, n int)"}, folder);
  const QString numbered = BuildDatabase(
      Engine::kPostgres, "vt_identity_b",
      {"CREATE TABLE t (id int GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, n int)"}, folder);
  const CliResult result =
      Compare(with_default, numbered, {"--explain", "--objects", "fields,defaults"});
  EXPECT_EQ(result.output.count(QLatin1String(
                "numbering: numbered on 'b' only: new rows on 'a' take its default 0, not a "
                "number of their own")),
            2)
      << result.output.toStdString();
  EXPECT_FALSE(result.output.contains("need a value of their own")) << result.output.toStdString();
  // Without the defaults read, the line does not claim what it does not know.
  const CliResult fields = Compare(with_default, numbered, {"--explain"});
  EXPECT_EQ(fields.output.count(QLatin1String(
                "new rows on 'a' need a value of their own, or take the column's default "
                "(defaults were not compared)")),
            2)
      << fields.output.toStdString();
}

}  // namespace
}  // namespace dataaccess::test_support
