// A migration script: the SQL that, run on the secondary database, gives it the primary's
// structure, as the differences a comparison found lead to it. It is written in the secondary's
// dialect, in steps ordered so that each finds what it needs (views that depend on a changing
// table are dropped before it changes and created again after, a referenced table exists
// before a foreign key names it); a step that could lose data or fail on the rows already there
// is held back (written commented out, with its risk) unless allowed, and so is a step the
// target cannot express.
#ifndef VANTREL_VANTREL_CORE_MIGRATION_SCRIPT_H_
#define VANTREL_VANTREL_CORE_MIGRATION_SCRIPT_H_

#include <QString>
#include <QStringList>
#include <vector>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/data_objects.h"
#include "vantrel/core/difference.h"

namespace vantrel {

// One change, and the statements that make it, which run or are held back together.
struct MigrationStep {
  // The order steps run in: drops of what depends on a change first, creations of views last.
  enum class Phase {
    kDropDependents,  // views that depend on what changes, views that go
    kDropObjects,     // triggers, foreign keys, indexes, checks and rules replaced or removed
    kCreateTables,    // new tables and sequences
    kChangeTables,    // columns added, changed, dropped; SQLite's rebuilds
    kCreateObjects,   // indexes, checks, foreign keys, triggers and rules
    kDropTables,      // tables and sequences that the primary does not have
    kCreateViews,     // views, each after the views it reads
  };
  Phase phase = Phase::kChangeTables;
  QString title;           // what the step does, one line: "add field 'x' to table 't'"
  QStringList notes;       // more lines said before it ("may be a rename of ...")
  QStringList statements;  // each one SQL statement ending with ';'
  // Why the step is held back: the risk of what it answers, or what the target cannot express;
  // empty for a step that runs.
  QString held_back;
  // What the target cannot express: the step is written as a comment whatever is allowed.
  bool inexpressible = false;
  // A view's: it holds no rows, so what its fields' differences risk does not hold it back.
  bool holds_no_rows = false;
  // The new table a "create table" step makes, and the tables (by the primary's names) a step's
  // statements need to exist: a foreign key's own table and the one it names.
  QString makes_table;
  QStringList needs_tables;
  std::vector<int> answers;  // places in MigrationScript::differences
};

struct MigrationScript {
  dataaccess::TypeDialect dialect = dataaccess::TypeDialect::kOther;
  std::vector<Difference> differences;  // what the steps answer
  QStringList before;                   // statements around the steps: PRAGMA, BEGIN
  std::vector<MigrationStep> steps;     // in the order they run
  QStringList after;                    // the checks before COMMIT, COMMIT

  bool AnythingHeldBack() const;
  // Every statement that runs, in order: `before`, the steps not held back, `after`; with the
  // step each belongs to (-1 for `before` and `after`).
  std::vector<std::pair<QString, int>> StatementsToRun() const;
};

struct MigrationOptions {
  bool allow_unsafe = false;   // run steps that risk data instead of holding them back
  int compared = 0;            // the ComparedKind bits compared
  int ignored_properties = 0;  // the ComparedProperty bits --ignore leaves out
  // The sides' display names, as a held-back step's risk line names them.
  QString primary_name;
  QString secondary_name;
};

// The script that moves `secondary` to `primary`'s structure, from the differences the two
// walks between them found (each with driving_is_primary set, as CompareBothWays tells them).
// The connections must still be open. Throws only std::bad_alloc.
MigrationScript PlanMigration(const dataaccess::DataConnection& primary,
                              const dataaccess::DataConnection& secondary,
                              std::vector<Difference> differences, const MigrationOptions& options);

// Whether a file that starts with `head` is a script MigrationText wrote, or its JSON form: what
// a later script may replace.
bool IsMigrationScript(const QByteArray& head);

// The script as SQL text: a header naming both sides, each step with its title and notes as
// comments, a held-back step's lines commented out under its reason.
QString MigrationText(const MigrationScript& script, const QString& primary_name,
                      const QString& secondary_name);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_MIGRATION_SCRIPT_H_
