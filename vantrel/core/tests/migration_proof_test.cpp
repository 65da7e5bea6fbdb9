// The proof of a script on a copy of an SQLite secondary, given scripts no planner would write:
// each check must refuse a script that loses rows or leaves rows without their parent, wherever
// that happens, and must not stand in the way of one that does neither.
#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/core/migration_proof.h"

namespace vantrel {
namespace {

using dataaccess::test_support::SqliteTestFolder;

// Both sides: a parent and its children, and a table that the comparison may leave out.
constexpr const char* kTables =
    "CREATE TABLE parent(id INTEGER PRIMARY KEY);"
    "CREATE TABLE child(id INTEGER PRIMARY KEY, parent_id INT REFERENCES parent(id));"
    "CREATE TABLE other(x INT);";
constexpr const char* kRows =
    "INSERT INTO parent VALUES (1), (2);"
    "INSERT INTO child VALUES (1, 1), (2, 2);"
    "INSERT INTO other VALUES (7);";
// A virtual table of a module no SQLite has: its rows cannot be counted.
constexpr const char* kUncountable =
    "PRAGMA writable_schema = ON;"
    "INSERT INTO sqlite_schema VALUES ('table', 'ghost', 'ghost', 0, "
    "'CREATE VIRTUAL TABLE ghost USING no_such_module()');";

struct ProofCase {
  const char* name;
  std::vector<const char*> statements;  // one step that runs them
  MigrationStep::Phase phase = MigrationStep::Phase::kChangeTables;
  const char* failure = "";          // empty: proven
  const char* secondary_extra = "";  // more of the secondary, after kTables and kRows
  QStringList include = {};
};

MigrationScript ScriptOf(const ProofCase& c) {
  MigrationScript script;
  script.dialect = dataaccess::TypeDialect::kSqlite;
  script.before = {QStringLiteral("BEGIN;")};
  script.after = {QStringLiteral("COMMIT;")};
  MigrationStep step;
  step.phase = c.phase;
  step.title = QStringLiteral("a step of the test");
  for (const char* statement : c.statements) step.statements.append(statement);
  if (c.phase == MigrationStep::Phase::kDropTables) {
    Difference gone;
    gone.kind = Difference::Kind::kTableMissing;
    gone.driving_is_primary = false;
    gone.table = QStringLiteral("gone");
    script.differences.push_back(gone);
    step.answers = {0};
  }
  script.steps.push_back(step);
  return script;
}

TEST(MigrationProofTest, RowsLostOrLeftWithoutTheirParentAnywhereRefuseTheScript) {
  const std::vector<ProofCase> cases = {
      {"nothing runs", {}},
      {"rows that stay where they are", {"UPDATE other SET x = 8"}},
      {"a table emptied",
       {"DELETE FROM child"},
       {},
       "table 'child' held 2 rows before the "
       "script and 0 after it"},
      {"a table the comparison leaves out loses a row",
       {"DELETE FROM other"},
       {},
       "table 'other' held 1 rows before the script and 0 after it",
       "",
       {QStringLiteral("parent"), QStringLiteral("child")}},
      {"a parent deleted under its child, foreign keys off",
       {"DELETE FROM parent WHERE id = 2"},
       {},
       "1 more rows refer to rows that are not there after the script (child -> parent)"},
      {"a table dropped by a step that does not drop tables",
       {"DROP TABLE gone"},
       {},
       "table 'gone' held 1 rows before the script and is gone after it",
       "CREATE TABLE gone(y INT); INSERT INTO gone VALUES (1);"},
      {"a table the script drops is not counted",
       {"DROP TABLE gone"},
       MigrationStep::Phase::kDropTables,
       "",
       "CREATE TABLE gone(y INT); INSERT INTO gone VALUES (1);"},
      {"a table that cannot be counted does not stop the proof", {}, {}, "", kUncountable},
  };
  for (const ProofCase& c : cases) {
    SCOPED_TRACE(c.name);
    SqliteTestFolder folder;
    const bool ghost = std::string_view(c.secondary_extra) == kUncountable;
    const QString primary_path = folder.CreateDatabase(
        QStringLiteral("p.db"), (std::string(kTables) + (ghost ? kUncountable : "")).c_str());
    const QString secondary_path = folder.CreateDatabase(
        QStringLiteral("s.db"), (std::string(kTables) + kRows + c.secondary_extra).c_str());
    const std::unique_ptr<dataaccess::DataConnection> primary =
        dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
            QString(), dataaccess::kPromptCompleteRequired, true, primary_path,
            dataaccess::kReadEveryObject);
    WalkOptions options;
    options.compared = kCompareAll;
    options.include = c.include;
    const QStringList before = folder.State();
    const ProofOutcome outcome = ProveOnSqliteCopy(ScriptOf(c), CopyForProof(secondary_path),
                                                   *primary, QStringLiteral("p"), options);
    EXPECT_EQ(outcome.failure.toStdString(), c.failure);
    EXPECT_EQ(outcome.proven, std::string_view(c.failure).empty());
    EXPECT_EQ(folder.State(), before);
  }
}

}  // namespace
}  // namespace vantrel
