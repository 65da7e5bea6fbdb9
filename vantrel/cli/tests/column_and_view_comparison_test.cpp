// End-to-end: vantrel-cli compares column defaults, generation, collations, views, triggers and
// sequences within and across engines, and explains what each difference risks. Column cases
// are one column on each side, written the same way for every engine, and the paragraphs the
// comparison must find in both directions; the spellings each engine makes of one default must
// find nothing.
#include <QFile>
#include <QHash>
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

// One column `v` of a table on each side, and the paragraphs found: "a [Default Value]" for a's
// field paragraph listing that property.
struct ColumnCase {
  const char* a;
  const char* b;
  std::vector<const char*> found;
};

const std::vector<ColumnCase>& ColumnCases() {
  static const std::vector<ColumnCase> cases = {
      {"v INTEGER DEFAULT 0", "v INTEGER DEFAULT (0)", {}},
      {"v INTEGER DEFAULT 0", "v INTEGER DEFAULT '0'", {}},
      {"v INTEGER", "v INTEGER DEFAULT NULL", {}},
      {"v INTEGER DEFAULT 0", "v INTEGER", {"a [Default Value]", "b [Default Value]"}},
      {"v INTEGER DEFAULT 0", "v INTEGER DEFAULT 1", {"a [Default Value]", "b [Default Value]"}},
      {"v VARCHAR(20) DEFAULT 'abc'", "v VARCHAR(20) DEFAULT 'abc'", {}},
      {"v VARCHAR(20) DEFAULT 'it''s'", "v VARCHAR(20) DEFAULT 'it''s'", {}},
      {"v VARCHAR(20) DEFAULT 'NULL'", "v VARCHAR(20)", {"a [Default Value]", "b [Default Value]"}},
      {"v VARCHAR(20) DEFAULT ''", "v VARCHAR(20)", {"a [Default Value]", "b [Default Value]"}},
      {"v DECIMAL(10, 2) DEFAULT 1.50", "v DECIMAL(10, 2) DEFAULT 1.5", {}},
      {"v TIMESTAMP DEFAULT CURRENT_TIMESTAMP", "v TIMESTAMP DEFAULT CURRENT_TIMESTAMP", {}},
      {"v BOOLEAN DEFAULT TRUE", "v BOOLEAN DEFAULT TRUE", {}},
      {"v BOOLEAN DEFAULT TRUE",
       "v BOOLEAN DEFAULT FALSE",
       {"a [Default Value]", "b [Default Value]"}},
      {"v INTEGER GENERATED ALWAYS AS (id * 2) STORED",
       "v INTEGER GENERATED ALWAYS AS (id*2) STORED",
       {}},
      {"v INTEGER GENERATED ALWAYS AS (id * 2) STORED",
       "v INTEGER GENERATED ALWAYS AS (id * 3) STORED",
       {"a [Generated]", "b [Generated]"}},
  };
  return cases;
}

QString TableOf(size_t i) { return QStringLiteral("c%1").arg(i + 1, 2, 10, QChar(u'0')); }

class ColumnComparisonTest : public ::testing::TestWithParam<std::tuple<Engine, Engine>> {
 protected:
  QString Build(Engine engine, const QString& name, const char* ColumnCase::*side) {
    QStringList statements;
    for (size_t i = 0; i < ColumnCases().size(); ++i) {
      statements.append(QStringLiteral("CREATE TABLE %1 (id INTEGER NOT NULL PRIMARY KEY, %2)")
                            .arg(TableOf(i), QString::fromUtf8(ColumnCases()[i].*side)));
    }
    return BuildDatabase(engine, name, statements, sqlite_);
  }
  SqliteTestFolder sqlite_;
};

TEST_P(ColumnComparisonTest, ReportsWhatDiffersAndNothingThatIsOnlySpelledDifferently) {
  const auto [engine_a, engine_b] = GetParam();
  VANTREL_REQUIRE_ENGINES(engine_a, engine_b);
  const QString a = Build(engine_a, "vt_columns_a", &ColumnCase::a);
  const QString b = Build(engine_b, "vt_columns_b", &ColumnCase::b);
  static const QRegularExpression paragraph(
      QStringLiteral(
          R"re(^Field: 'v' in table '(a|b)\.[^.]*\.(?<table>c\d\d)', and .*?(\[.*\])$)re"),
      QRegularExpression::MultilineOption);
  // Nothing else is found, and nothing is left uncompared.
  ExpectCases(
      a, b, {"--objects", "defaults,generated"}, paragraph,
      [](const QRegularExpressionMatch& m) { return m.captured(1) + " " + m.captured(3); },
      ColumnCases(), TableOf);
}

INSTANTIATE_TEST_SUITE_P(Engines, ColumnComparisonTest,
                         ::testing::Values(std::tuple(Engine::kSqlite, Engine::kSqlite),
                                           std::tuple(Engine::kPostgres, Engine::kPostgres),
                                           std::tuple(Engine::kMariadb, Engine::kMariadb),
                                           std::tuple(Engine::kSqlite, Engine::kPostgres),
                                           std::tuple(Engine::kPostgres, Engine::kMariadb),
                                           std::tuple(Engine::kMariadb, Engine::kSqlite)),
                         PairName);

// A boolean default is the number an integer column keeps for it: only the types differ.
// True against 0 is a default that differs.
TEST(DefaultComparisonTest, ABooleanTrueIsTheNumberOneOfAnIntegerColumn) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  for (const auto& [engine_a, engine_b] : {std::pair(Engine::kSqlite, Engine::kPostgres),
                                           std::pair(Engine::kPostgres, Engine::kMariadb),
                                           std::pair(Engine::kSqlite, Engine::kSqlite)}) {
    SqliteTestFolder sqlite;
    const QString a = BuildDatabase(
        engine_a, "vt_boolean_a",
        {"CREATE TABLE t (id INTEGER PRIMARY KEY, v SMALLINT DEFAULT 1, w SMALLINT DEFAULT 0, "
         "x SMALLINT DEFAULT 0)"},
        sqlite);
    const QString b = BuildDatabase(
        engine_b, "vt_boolean_b",
        {"CREATE TABLE t (id INTEGER PRIMARY KEY, v BOOLEAN DEFAULT TRUE, w BOOLEAN DEFAULT "
         "FALSE, x BOOLEAN DEFAULT TRUE)"},
        sqlite);
    const CliResult result = Compare(a, b, {"--objects", "defaults"});
    const std::string what = std::string(EngineName(engine_a)) + " " + EngineName(engine_b) + "\n" +
                             result.output.toStdString();
    for (const char* column : {"v", "w"}) {
      static const QRegularExpression default_differs(
          QStringLiteral("^Field: '(\\w)'.*Default Value"), QRegularExpression::MultilineOption);
      for (const QRegularExpressionMatch& m : default_differs.globalMatch(result.output)) {
        EXPECT_NE(m.captured(1), QLatin1String(column)) << what;
      }
    }
    EXPECT_TRUE(result.output.contains(
        QRegularExpression("^Field: 'x'.*Default Value", QRegularExpression::MultilineOption)))
        << what;
  }
}

// One value and one expression however each engine shows them: MariaDB escapes the quote of a
// TEXT column's default with a backslash ('it\'s') where the others double it, and PostgreSQL
// shows the conversion it makes of an integer column in price * qty, which the others make
// without saying. Another value, or another operator, differs.
TEST(SpellingAcrossEnginesTest, OneValueAndOneExpressionHoweverTheEngineShowsThem) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  const auto table = [](const char* other_default, const char* other_operator) {
    return QStringList{
        QStringLiteral(
            "CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, price NUMERIC(8, 2), qty INTEGER, "
            "note TEXT DEFAULT 'it''s', other TEXT DEFAULT %1, "
            "total NUMERIC(12, 2) GENERATED ALWAYS AS (price * qty) STORED, "
            "part NUMERIC(12, 2) GENERATED ALWAYS AS (price %2 qty) STORED)")
            .arg(QLatin1String(other_default), QLatin1String(other_operator))};
  };
  for (const auto& [engine_a, engine_b] : {std::pair(Engine::kSqlite, Engine::kMariadb),
                                           std::pair(Engine::kPostgres, Engine::kMariadb),
                                           std::pair(Engine::kSqlite, Engine::kPostgres),
                                           std::pair(Engine::kMariadb, Engine::kMariadb)}) {
    SqliteTestFolder sqlite;
    const QString a = BuildDatabase(engine_a, "vt_spelt_a", table("'it''s'", "-"), sqlite);
    const QString b = BuildDatabase(engine_b, "vt_spelt_b", table("'its'", "+"), sqlite);
    const CliResult result = Compare(a, b, {"--objects", "defaults,generated"});
    const std::string what = std::string(EngineName(engine_a)) + " " + EngineName(engine_b) + "\n" +
                             result.output.toStdString();
    const auto reported = [&](const char* field, const char* property) {
      return result.output.contains(QRegularExpression(
          QStringLiteral("^Field: '%1'.*%2").arg(QLatin1String(field), QLatin1String(property)),
          QRegularExpression::MultilineOption));
    };
    EXPECT_FALSE(reported("note", "Default Value")) << what;
    EXPECT_TRUE(reported("other", "Default Value")) << what;
    EXPECT_FALSE(reported("total", "Generated")) << what;
    EXPECT_TRUE(reported("part", "Generated")) << what;
  }
}

// A text column that a check holds to a list of labels allows what an enumeration of those
// labels allows: nothing of it is reported against MariaDB's ENUM or a PostgreSQL enum type. A
// list of other labels is a check the other side lacks, and another type.
TEST(EnumComparisonTest, ACheckedListOfLabelsIsTheEnumerationOfThem) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder sqlite;
  const QString listed = BuildDatabase(
      Engine::kSqlite, "vt_enum_a",
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, grade VARCHAR(1) CHECK (grade IN ('A','B','C')), "
       "other VARCHAR(1) CHECK (other IN ('A', 'B', 'D')))"},
      sqlite);
  const QStringList enumerations[] = {
      {"CREATE TABLE t (id INTEGER PRIMARY KEY, grade ENUM('A','B','C'), other "
       "ENUM('A','B','C'))"},
      {"CREATE TYPE grade_t AS ENUM ('A', 'B', 'C')",
       "CREATE TABLE t (id INTEGER PRIMARY KEY, grade grade_t, other grade_t)"},
  };
  for (const Engine engine : {Engine::kMariadb, Engine::kPostgres}) {
    const QString enumerated = BuildDatabase(
        engine, "vt_enum_b", enumerations[engine == Engine::kMariadb ? 0 : 1], sqlite);
    const CliResult result = Compare(listed, enumerated, {"--objects", "all"});
    QStringList about_columns;
    for (const QString& paragraph : result.output.split(QStringLiteral("\n\n"))) {
      if (paragraph.contains("grade") || paragraph.contains("other")) {
        about_columns.append(paragraph.section(u' ', 0, 1));
      }
    }
    about_columns.sort();
    EXPECT_EQ(about_columns, (QStringList{"Check: 'other", "Field: 'other'", "Field: 'other'"}))
        << EngineName(engine) << "\n"
        << result.output.toStdString() << result.errors.toStdString();
  }
}

// The values a detail line shows are what the type says: an enumeration's labels, not the
// number they are compared by, and a DECIMAL without digits as such.
TEST(DetailValuesTest, AnEnumerationShowsItsLabelsAndADecimalWithoutDigitsSaysSo) {
  VANTREL_REQUIRE_ENGINES(Engine::kPostgres, Engine::kMariadb);
  SqliteTestFolder sqlite;
  const QString postgres =
      BuildDatabase(Engine::kPostgres, "vt_shown_pg",
                    {"CREATE TYPE mood AS ENUM ('new', 'it''s')",
                     "CREATE TABLE t (id INTEGER PRIMARY KEY, m mood, d NUMERIC(10, 2))"},
                    sqlite);
  const struct {
    Engine engine = Engine::kSqlite;
    const char* table = nullptr;
    QStringList lines;
  } cases[] = {
      {Engine::kSqlite,
       "CREATE TABLE t (id INTEGER PRIMARY KEY, m TEXT, d DECIMAL)",
       {"    Size: unlimited | 'new','it''s'", "    Size: not declared | 10,2"}},
      {Engine::kMariadb,
       "CREATE TABLE t (id INTEGER PRIMARY KEY, m ENUM('new','old'), d DECIMAL(10,2))",
       {"    Size: 'new','old' | 'new','it''s'"}},
  };
  for (const auto& c : cases) {
    const QString other = BuildDatabase(c.engine, "vt_shown_other", {c.table}, sqlite);
    const CliResult result = Compare(other, postgres, {"--details"});
    for (const QString& line : c.lines) {
      EXPECT_TRUE(result.output.contains(line + "\r\n") || result.output.contains(line + "\n"))
          << EngineName(c.engine) << ": " << line.toStdString() << "\n"
          << result.output.toStdString() << result.errors.toStdString();
    }
    EXPECT_FALSE(result.output.contains(QRegularExpression(QStringLiteral("Size: .*\\d{6}"))))
        << EngineName(c.engine) << "\n"
        << result.output.toStdString();
  }
}

// MariaDB's JSON refuses what is not JSON by the check it keeps; SQLite keeps any text in a
// column declared JSON, and refuses it only by a check of its own. The check is reported where
// SQLite has none, and is part of the column where it has one.
TEST(JsonComparisonTest, ACheckThatRefusesWhatIsNotJsonIsReportedWhereSqliteHasNone) {
  VANTREL_REQUIRE_SERVER("MARIADB");
  SqliteTestFolder sqlite;
  const QString sqlite_json = BuildDatabase(Engine::kSqlite, "vt_json_a",
                                            {"CREATE TABLE t (id INTEGER PRIMARY KEY, doc JSON, "
                                             "checked TEXT CHECK (json_valid(checked)))"},
                                            sqlite);
  const QString mariadb_json =
      BuildDatabase(Engine::kMariadb, "vt_json_b",
                    {"CREATE TABLE t (id INTEGER PRIMARY KEY, doc JSON, checked JSON)"}, sqlite);
  const CliResult result = Compare(sqlite_json, mariadb_json, {"--objects", "checks"});
  EXPECT_EQ(result.output.count(QStringLiteral("\n\n")), 1) << result.output.toStdString();
  EXPECT_TRUE(result.output.startsWith("Check: 'json_valid(`doc`)'"))
      << result.output.toStdString();
  EXPECT_TRUE(result.output.contains("exists in table 'b.vt_json_b.t', but not in 'a.vt_json_a.t'"))
      << result.output.toStdString() << result.errors.toStdString();
  EXPECT_EQ(result.status, 1);
}

// Objects of one engine, in its own SQL: each row's statements on side a and side b, and the
// paragraph openings the report must hold (in any order, nothing else).
struct ObjectCase {
  const char* what;
  QStringList a;
  QStringList b;
  QStringList found;
};

std::vector<ObjectCase> ObjectCases(Engine engine) {
  const QString table =
      QStringLiteral("CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, qty INTEGER)");
  QStringList trigger;
  QStringList other_trigger;
  switch (engine) {
    case Engine::kSqlite:
      trigger = {"CREATE TRIGGER tg BEFORE INSERT ON t BEGIN SELECT 1; END"};
      other_trigger = {"CREATE TRIGGER tg AFTER INSERT ON t BEGIN SELECT 1; END"};
      break;
    case Engine::kPostgres:
      trigger = {
          "CREATE FUNCTION f() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN RETURN NEW; END$$",
          "CREATE TRIGGER tg BEFORE INSERT ON t FOR EACH ROW EXECUTE FUNCTION f()"};
      other_trigger = {trigger[0],
                       "CREATE TRIGGER tg AFTER INSERT ON t FOR EACH ROW EXECUTE FUNCTION f()"};
      break;
    case Engine::kMariadb:
      trigger = {"CREATE TRIGGER tg BEFORE INSERT ON t FOR EACH ROW SET NEW.qty = 1"};
      other_trigger = {"CREATE TRIGGER tg AFTER INSERT ON t FOR EACH ROW SET @n = 1"};
      break;
  }
  std::vector<ObjectCase> cases = {
      {"a view on one side only",
       {table, "CREATE VIEW w AS SELECT id FROM t"},
       {table},
       {"Table: 'w' exists in database 'a.vt_detail_a"}},
      {"a view's query changed",
       {table, "CREATE VIEW w AS SELECT id FROM t WHERE qty > 0"},
       {table, "CREATE VIEW w AS SELECT id FROM t WHERE qty > 1"},
       {"View: ", "View: "}},
      {"the same view, spelled otherwise",
       {table, "CREATE VIEW w AS SELECT id FROM t WHERE qty > 0"},
       {table, "create view w as select \"id\" from t where (qty>0)"},
       {}},
      {"a trigger on one side only",
       QStringList{table} + trigger,
       {table},
       {"Trigger: 'BEFORE INSERT FOR EACH ROW' (tg) exists in table 'a."}},
      {"a trigger's timing changed",
       QStringList{table} + trigger,
       QStringList{table} + other_trigger,
       {"Trigger: 'BEFORE INSERT FOR EACH ROW' (tg) in table 'a.",
        "Trigger: 'AFTER INSERT FOR EACH ROW' (tg) in table 'b."}},
  };
  if (engine == Engine::kMariadb) {
    // MariaDB quotes identifiers in its view text: the spelled-otherwise row needs no quotes.
    cases[2].b = QStringList{table, "create view w as select `id` from t where (qty>0)"};
    // b's view reads a's table: the two texts print alike, and b's says which database it reads.
    cases.push_back({"a view that reads the other database",
                     {table, "CREATE VIEW w AS SELECT id FROM vt_detail_a.t"},
                     {table, "CREATE VIEW w AS SELECT id FROM vt_detail_a.t"},
                     {"View: 'select `vt_detail_a`.`t`.`id` AS `id` from `vt_detail_a`.`t`' in",
                      "View: 'select `vt_detail_a`.`t`.`id` AS `id` from `vt_detail_a`.`t` "
                      "(reads database vt_detail_a, not its own vt_detail_b)' in"}});
  }
  if (engine != Engine::kSqlite) {
    cases.push_back({"a sequence on one side only",
                     {table, "CREATE SEQUENCE s"},
                     {table},
                     {"Sequence: 's' exists in database 'a."}});
    cases.push_back({"a sequence's increment changed",
                     {table, "CREATE SEQUENCE s INCREMENT BY 2"},
                     {table, "CREATE SEQUENCE s"},
                     {"Sequence: 's' in database 'a.", "Sequence: 's' in database 'b."}});
  }
  return cases;
}

class ObjectsOfOneEngineTest : public ::testing::TestWithParam<Engine> {
 protected:
  SqliteTestFolder sqlite_;
};

TEST_P(ObjectsOfOneEngineTest, ReportsViewsTriggersAndSequencesThatDiffer) {
  const Engine engine = GetParam();
  VANTREL_REQUIRE_ENGINES(engine);
  int row = 0;
  for (const ObjectCase& c : ObjectCases(engine)) {
    // Each row's databases afresh; an SQLite file is named by its row.
    const QString suffix = engine == Engine::kSqlite ? QString::number(++row) : QString();
    const QString a = BuildDatabase(engine, "vt_detail_a" + suffix, c.a, sqlite_);
    const QString b = BuildDatabase(engine, "vt_detail_b" + suffix, c.b, sqlite_);
    const CliResult result = Compare(a, b, {"--objects", "views,triggers,sequences"});
    QStringList paragraphs = result.output.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    EXPECT_EQ(paragraphs.size(), c.found.size()) << c.what << "\n" << result.output.toStdString();
    for (const QString& opening : c.found) {
      const auto at = std::find_if(paragraphs.begin(), paragraphs.end(),
                                   [&](const QString& p) { return p.startsWith(opening); });
      EXPECT_NE(at, paragraphs.end()) << c.what << ": no '" << opening.toStdString() << "' in\n"
                                      << result.output.toStdString();
      if (at != paragraphs.end()) paragraphs.erase(at);
    }
    EXPECT_EQ(result.status, c.found.isEmpty() ? 0 : 1) << c.what << result.errors.toStdString();
    // The JSON summary counts every kind its differences hold, sequences too.
    const CliResult json =
        Compare(a, b, {"--objects", "views,triggers,sequences", "--format", "json"});
    const QJsonObject document = QJsonDocument::fromJson(json.output.toUtf8()).object();
    QHash<QString, int> kinds;
    for (const auto& difference : document["differences"].toArray()) {
      ++kinds[difference.toObject()["kind"].toString()];
    }
    const QJsonObject summary = document["summary"].toObject();
    for (auto kind = kinds.begin(); kind != kinds.end(); ++kind) {
      EXPECT_EQ(summary[kind.key()].toInt(-1), kind.value())
          << c.what << " " << kind.key().toStdString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, ObjectsOfOneEngineTest,
                         ::testing::Values(Engine::kSqlite, Engine::kPostgres, Engine::kMariadb),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                           return std::string(EngineName(info.param));
                         });

// A unique text key that is case-blind on one side only accepts rows the other refuses: the
// column is reported, and so are the databases' defaults when they differ, once.
TEST(CollationComparisonTest, ACaseBlindColumnOnOneSideOnlyIsReportedWithWhatItRisks) {
  SqliteTestFolder sqlite;
  const QString a = BuildDatabase(Engine::kSqlite, "vt_collation_a",
                                  {"CREATE TABLE t (id INTEGER PRIMARY KEY, email TEXT COLLATE "
                                   "NOCASE UNIQUE)"},
                                  sqlite);
  const QString b =
      BuildDatabase(Engine::kSqlite, "vt_collation_b",
                    {"CREATE TABLE t (id INTEGER PRIMARY KEY, email TEXT UNIQUE)"}, sqlite);
  const CliResult result = Compare(a, b, {"--objects", "collations", "--explain"});
  EXPECT_EQ(result.output,
            QStringLiteral("Field: 'email' in table 'a.vt_collation_a.t', and b.vt_collation_b.t "
                           "differ in the following ways. [Collation]\n"
                           "    collation: case-blind on one side only: a unique index may "
                           "refuse rows the other accepts\n\n"
                           "Field: 'email' in table 'b.vt_collation_b.t', and a.vt_collation_a.t "
                           "differ in the following ways. [Collation]\n"
                           "    collation: case-blind on one side only: a unique index may "
                           "refuse rows the other accepts\n\n"));
  EXPECT_EQ(result.status, 1);
}

TEST(CollationComparisonTest, DifferentDatabaseDefaultsAreSaidOnceAcrossEngines) {
  VANTREL_REQUIRE_SERVER("MARIADB");
  SqliteTestFolder sqlite;
  const QStringList schema = {"CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20))"};
  const QString a = BuildDatabase(Engine::kSqlite, "vt_collation_a", schema, sqlite);
  const QString b = BuildDatabase(Engine::kMariadb, "vt_collation_b", schema, sqlite);
  const CliResult result = Compare(a, b, {"--objects", "collations"});
  EXPECT_EQ(result.output, QStringLiteral("Database: 'a.vt_collation_a', and 'b.vt_collation_b' "
                                          "differ in the following ways. [Default Collation]\n\n"))
      << result.errors.toStdString();

  // Columns are judged by how they compare text, against their own database's default: a
  // collation of another name that behaves as the default does not depart from it, and one that
  // departs but behaves as the other side's column does is no difference. Only 'flag',
  // case-blind on one side and not on the other, differs.
  const QString c = BuildDatabase(
      Engine::kSqlite, "vt_collation_c",
      {"CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20), code VARCHAR(20), "
       "flag VARCHAR(20) COLLATE NOCASE)"},
      sqlite);
  const QString d = BuildDatabase(
      Engine::kMariadb, "vt_collation_d",
      {"CREATE TABLE t (id INTEGER NOT NULL PRIMARY KEY, name VARCHAR(20) CHARACTER SET utf8mb3 "
       "COLLATE utf8mb3_general_ci, code VARCHAR(20) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin, "
       "flag VARCHAR(20) CHARACTER SET utf8mb4 COLLATE utf8mb4_bin)"},
      sqlite);
  const CliResult columns = Compare(c, d, {"--objects", "collations"});
  QStringList paragraphs = columns.output.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
  paragraphs.sort();
  EXPECT_EQ(paragraphs,
            (QStringList{"Database: 'a.vt_collation_c', and 'b.vt_collation_d' differ in the "
                         "following ways. [Default Collation]",
                         "Field: 'flag' in table 'a.vt_collation_c.t', and b.vt_collation_d.t "
                         "differ in the following ways. [Collation]",
                         "Field: 'flag' in table 'b.vt_collation_d.t', and a.vt_collation_c.t "
                         "differ in the following ways. [Collation]"}))
      << columns.output.toStdString() << columns.errors.toStdString();
}

// A sequence made with the engines' defaults is the same sequence on PostgreSQL and MariaDB,
// though MariaDB's upper bound stops one short of PostgreSQL's; a serial's own sequence is the
// column's numbering, not a sequence MariaDB lacks.
TEST(SequenceComparisonTest, DefaultBoundsAndASerialsSequenceAreNoDifferenceAcrossEngines) {
  VANTREL_REQUIRE_SERVER("PG");
  VANTREL_REQUIRE_SERVER("MARIADB");
  SqliteTestFolder sqlite;
  const QString a =
      BuildDatabase(Engine::kPostgres, "vt_sequence_a",
                    {"CREATE SEQUENCE s", "CREATE TABLE t (id SERIAL PRIMARY KEY)"}, sqlite);
  const QString b = BuildDatabase(
      Engine::kMariadb, "vt_sequence_b",
      {"CREATE SEQUENCE s", "CREATE TABLE t (id INTEGER AUTO_INCREMENT PRIMARY KEY)"}, sqlite);
  const CliResult same = Compare(a, b, {"--objects", "sequences"});
  EXPECT_EQ(same.output, QString()) << same.errors.toStdString();
  EXPECT_EQ(same.status, 0);
  // A bound of its own is a difference, with what it risks.
  const QString c = BuildDatabase(
      Engine::kMariadb, "vt_sequence_b",
      {"CREATE SEQUENCE s MAXVALUE 100", "CREATE TABLE t (id INTEGER AUTO_INCREMENT PRIMARY KEY)"},
      sqlite);
  const CliResult bounded = Compare(a, c, {"--objects", "sequences", "--explain"});
  EXPECT_TRUE(bounded.output.startsWith(
      "Sequence: 's' in database 'a.vt_sequence_a', and b.vt_sequence_b differ in the "
      "following ways. [Bounds]\n    "))
      << bounded.output.toStdString();
  EXPECT_EQ(bounded.status, 1);
}

// A sequence that one column's default draws from, owned or not, is that column's numbering
// against an engine that numbers the column itself; one that two columns share is a sequence of
// its own, which the other side lacks.
TEST(SequenceComparisonTest, ASequenceOneColumnDrawsFromIsItsNumbering) {
  VANTREL_REQUIRE_SERVER("PG");
  VANTREL_REQUIRE_SERVER("MARIADB");
  SqliteTestFolder sqlite;
  const QString numbered = BuildDatabase(
      Engine::kPostgres, "vt_sequence_a",
      {"CREATE SEQUENCE orders_seq", "CREATE SEQUENCE shared_seq",
       "CREATE TABLE orders (id integer PRIMARY KEY DEFAULT nextval('orders_seq'))",
       "CREATE TABLE a (id integer PRIMARY KEY DEFAULT nextval('shared_seq'::regclass))",
       "CREATE TABLE b (id integer PRIMARY KEY DEFAULT nextval('public.shared_seq'))"},
      sqlite);
  // MariaDB numbers each column itself.
  const QString other =
      BuildDatabase(Engine::kMariadb, "vt_sequence_b",
                    {"CREATE TABLE orders (id INTEGER AUTO_INCREMENT PRIMARY KEY)",
                     "CREATE TABLE a (id INTEGER AUTO_INCREMENT PRIMARY KEY)",
                     "CREATE TABLE b (id INTEGER AUTO_INCREMENT PRIMARY KEY)"},
                    sqlite);
  const CliResult result = Compare(numbered, other, {"--objects", "sequences"});
  EXPECT_EQ(result.output,
            "Sequence: 'shared_seq' exists in database 'a.vt_sequence_a', but not in "
            "'b.vt_sequence_b'\n\n")
      << result.output.toStdString() << result.errors.toStdString();
  EXPECT_EQ(result.status, 1);
}

// The risk lines of --explain and the "risk" of --format json say the same, paragraph by
// paragraph, on the sample databases.
TEST(ExplainTest, TheTextAndTheJsonTellTheSameRisks) {
  const QString primary = QStringLiteral(VANTREL_SAMPLES_DIR "/SALES.db");
  const QString secondary = QStringLiteral(VANTREL_SAMPLES_DIR "/SALESTEST.db");
  const CliResult text = Compare(primary, secondary, {"--objects", "all", "--explain"});
  const CliResult json =
      Compare(primary, secondary, {"--objects", "all", "--explain", "--format", "json"});
  QStringList text_risks;
  static const QRegularExpression risk(QStringLiteral("^    (.*)$"),
                                       QRegularExpression::MultilineOption);
  for (const QRegularExpressionMatch& m : risk.globalMatch(text.output)) {
    text_risks.append(m.captured(1));
  }
  QStringList json_risks;
  const QJsonArray differences =
      QJsonDocument::fromJson(json.output.toUtf8()).object().value("differences").toArray();
  for (const auto& difference : differences) {
    json_risks.append(difference.toObject().value("risk").toString());
  }
  EXPECT_EQ(text_risks, json_risks) << text.output.toStdString();
  EXPECT_GE(text_risks.size(), 8) << text.output.toStdString();
  // Without --explain the report holds no risk line.
  EXPECT_FALSE(Compare(primary, secondary, {"--objects", "all"}).output.contains("\n    "));
}

// The README shows --objects all with --explain and with --details on the samples: what it
// shows is what the program prints.
TEST(ExplainTest, TheReadmeShowsTheSamplesReportAsPrinted) {
  QFile readme(QStringLiteral(VANTREL_README));
  ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(readme.readAll());
  for (const char* option : {"--explain", "--details"}) {
    const QString command =
        QStringLiteral(
            "$ vantrel-cli compare --name1 \"Sales Live\" --name2 \"Sales Test\" --objects all "
            "%1 \\\n    build/samples/SALES.db build/samples/SALESTEST.db\n")
            .arg(QLatin1String(option));
    const qsizetype start = text.indexOf(command);
    ASSERT_GE(start, 0) << "the README lost its example of " << option;
    const qsizetype end = text.indexOf(QStringLiteral("```"), start);
    const QString shown = text.mid(start + command.size(), end - start - command.size());
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI),
                  {"compare", "--name1", "Sales Live", "--name2", "Sales Test", "--objects", "all",
                   QLatin1String(option), QStringLiteral(VANTREL_SAMPLES_DIR "/SALES.db"),
                   QStringLiteral(VANTREL_SAMPLES_DIR "/SALESTEST.db")});
    process.waitForFinished(60000);
    QString printed = QString::fromUtf8(process.readAllStandardOutput());
    printed.chop(1);  // the blank line after the last paragraph
    EXPECT_EQ(shown, printed) << option;
  }
}

}  // namespace
}  // namespace dataaccess::test_support
