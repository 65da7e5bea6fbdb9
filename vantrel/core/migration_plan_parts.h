// What the planning of a migration script shares between its files (migration_plan.cpp, the
// table changes of each dialect in migration_tables.cpp, views in migration_views.cpp): the
// work gathered for one table from the differences, and the planner's view of both databases.
// Internal to those files.
#ifndef VANTREL_VANTREL_CORE_MIGRATION_PLAN_PARTS_H_
#define VANTREL_VANTREL_CORE_MIGRATION_PLAN_PARTS_H_

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "dataaccess/data_objects.h"
#include "vantrel/core/comparable_objects.h"
#include "vantrel/core/migration_script.h"
#include "vantrel/core/migration_sql.h"

namespace vantrel::migration {

// A name as a step's title or note shows it: in single quotes, escaped for display.
QString Quoted(const QString& name);

// An object of one side that a step drops or creates, with the difference it answers.
struct ObjectChange {
  int answer = -1;
  ComparableObject object;
  // A create that makes again the secondary's own object, dropped only to let a change through.
  bool as_secondary_has_it = false;
};

// Everything that changes in one table found on both sides.
struct TableWork {
  const dataaccess::DataTable* primary = nullptr;
  const dataaccess::DataTable* secondary = nullptr;
  QString name;  // the secondary's name of the table
  std::vector<int> answers;
  QStringList added;                  // the primary's fields the secondary lacks
  QStringList dropped;                // the secondary's fields the primary lacks
  QStringList changed;                // fields whose properties differ, by the primary's names
  std::vector<int> changed_answers;   // the difference of each of `changed`
  std::vector<ObjectChange> drops;    // the secondary's objects replaced or removed
  std::vector<ObjectChange> creates;  // the primary's objects made
  int persistence_answer = -1;
};

// Both sides and what a step is written with.
struct Sides {
  const dataaccess::DataConnection& primary;
  const dataaccess::DataConnection& secondary;
  const MigrationSql& sql;      // writes the primary's definitions for the secondary
  const MigrationSql& own_sql;  // writes the secondary's own definitions back
  const std::vector<Difference>& differences;
  int compared = kCompareAll;  // ComparedKind bits: what the script answers
  int ignored_properties = 0;  // ComparedProperty bits it does not answer
};

// The primary's definition of an object of `table` that `object` stands for.
const dataaccess::IndexDefinition* IndexOf(const dataaccess::DataTable& table,
                                           const ComparableObject& object);

// The steps that make `work` in the secondary's dialect, appended to `steps`; `rebuilt` is set
// when the whole table is made again (SQLite), so that views over it are dropped around it.
void PlanTableChanges(const Sides& sides, const TableWork& work, std::vector<MigrationStep>* steps,
                      bool* rebuilt);

// The steps that make a new table `table` of the primary (and its indexes, foreign keys and
// triggers) in the secondary.
void PlanNewTable(const Sides& sides, const dataaccess::DataTable& table, int answer,
                  std::vector<MigrationStep>* steps);

// A step of `phase`; where `unwritten` names what `dialect` cannot express, it is held back
// with those words whatever is allowed.
MigrationStep Step(MigrationStep::Phase phase, const QString& title, QStringList statements,
                   std::vector<int> answers, const QStringList& unwritten, TypeDialect dialect);

// A field of the primary that the script makes or changes, and the difference it answers.
struct FieldMade {
  const dataaccess::DataColumn* column;
  int answer;
};

// Within PostgreSQL: the enum types of `fields` that no field of the secondary is of, each made
// by a step put before every other step, since no table or field of the type can be made before
// it. A type whose labels are not known (a snapshot of format version 3 or earlier) is named as
// not written.
void PlanEnumTypes(const Sides& sides, const std::vector<FieldMade>& fields,
                   std::vector<MigrationStep>* steps);

// SQLite's rebuild of `work`'s table to the primary's definition, with its rows kept.
MigrationStep SqliteRebuild(const Sides& sides, const TableWork& work);

// The names an SQL text (a view's query, a trigger's body) may read: each word of it, in lower
// case, quoted or not. Whether it names a table is then an over-estimate of what it reads, found
// without reading the text again for every table.
class NamesIn {
 public:
  explicit NamesIn(const QString& text);
  // Whether the text names `name` (its last part after a schema's dot) as a word of its own.
  bool Mentions(const QString& name) const;

 private:
  QString text_;  // in lower case
  QSet<QString> words_;
};

}  // namespace vantrel::migration

#endif  // VANTREL_VANTREL_CORE_MIGRATION_PLAN_PARTS_H_
