#include "vantrel/core/migration_proof.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <future>

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/scratch_copy.h"
#include "dataaccess/scratch_server.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/empty_database.h"
#include "vantrel/core/migration_plan_parts.h"
#include "vantrel/core/migration_sql.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/results_view.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;

// The tables the script drops, as the steps that run drop them.
QSet<QString> DroppedTables(const MigrationScript& script) {
  QSet<QString> dropped;
  for (const MigrationStep& step : script.steps) {
    if (step.phase != MigrationStep::Phase::kDropTables || !step.held_back.isEmpty()) continue;
    for (const int answer : step.answers) {
      if (answer >= 0) dropped.insert(script.differences[static_cast<size_t>(answer)].table);
    }
  }
  return dropped;
}

class Remaining final : public DifferenceObserver {
 public:
  void Found(const Difference& difference) override { found.push_back(difference); }
  std::vector<Difference> found;
};

// What a held-back step leaves as it was: the differences it answers (or what of them the steps
// that ran did not change), the positions of the
// fields after one it keeps or does not add, and the fields of the views that read a table whose
// fields it leaves alone.
// Whether two differences are about the same table, field or object, found from the same side.
// A named object is the same under its name: the scratch database, made from the secondary's
// catalog, may spell its definition another way (PostgreSQL casts a list's items anew).
bool SameThing(const Difference& a, const Difference& b) {
  const bool same_object =
      a.object == b.object || (!a.object_name.isEmpty() && a.object_name == b.object_name);
  return a.kind == b.kind && a.driving_is_primary == b.driving_is_primary && a.table == b.table &&
         a.field == b.field && a.object_kind == b.object_kind && same_object;
}

class HeldBack {
 public:
  HeldBack(const MigrationScript& script, const dx::DataConnection& primary) : script_(script) {
    for (const MigrationStep& step : script.steps) {
      if (step.held_back.isEmpty()) continue;
      for (const int answer : step.answers) {
        if (answer < 0) continue;
        const Difference& held = script.differences[static_cast<size_t>(answer)];
        if (held.kind == Difference::Kind::kFieldMissing ||
            held.kind == Difference::Kind::kFieldProperties) {
          kept_fields_.insert(held.driving_is_primary ? held.table : held.other_table);
        }
        // A new table's foreign keys and triggers, made by a step of their own.
        if (held.kind == Difference::Kind::kTableMissing && held.driving_is_primary &&
            step.phase == MigrationStep::Phase::kCreateObjects) {
          objects_not_made_.insert(held.table);
        }
      }
    }
    if (kept_fields_.isEmpty()) return;
    const auto tables = primary.Tables().Enumerate();
    while (const dx::DataTable* table = tables->Next()) {
      const dx::TableObjects* objects = table->Objects();
      if (!table->IsView() || objects == nullptr) continue;
      const migration::NamesIn reads(objects->view_definition);
      for (const QString& name : kept_fields_) {
        if (reads.Mentions(name)) views_.insert(table->Name());
      }
    }
  }

  bool Answers(const Difference& left) const {
    if (IsSecondCopy(left)) return true;
    if (left.kind == Difference::Kind::kObjectMissing && left.driving_is_primary &&
        (left.object_kind == ObjectKindId::kForeignKey ||
         left.object_kind == ObjectKindId::kTrigger) &&
        objects_not_made_.contains(left.table)) {
      return true;
    }
    const QString& table = left.driving_is_primary ? left.table : left.other_table;
    const bool field = left.kind == Difference::Kind::kFieldProperties ||
                       left.kind == Difference::Kind::kFieldMissing;
    if (field && views_.contains(table)) return true;
    const bool only_position = left.kind == Difference::Kind::kFieldProperties &&
                               left.properties.size() == 1 &&
                               left.properties.front().id == PropertyId::kOrdinalPosition;
    if (only_position && kept_fields_.contains(table)) return true;
    for (const MigrationStep& step : script_.steps) {
      if (step.held_back.isEmpty()) continue;
      for (const int answer : step.answers) {
        if (answer < 0) continue;
        const Difference& held = script_.differences[static_cast<size_t>(answer)];
        if (SameThing(held, left) && std::all_of(left.properties.begin(), left.properties.end(),
                                                 [&](const Difference::Property& property) {
                                                   return Lists(held, property.id);
                                                 })) {
          return true;
        }
      }
    }
    return false;
  }

 private:
  const MigrationScript& script_;
  QSet<QString> kept_fields_;  // tables, by the primary's names, whose fields a step keeps
  QSet<QString> views_;        // the primary's views that read one of them
  // New tables, by the primary's names, whose foreign keys and triggers a held-back step makes.
  QSet<QString> objects_not_made_;
};

}  // namespace

namespace {

// What is left different from `reference` in `scratch` (its connect string) that no held-back
// step of `script` answers; empty when nothing is.
QString LeftDifferent(const MigrationScript& script, dx::DataConnection& reference,
                      const QString& reference_name, const QString& scratch,
                      const QString& scratch_name, const WalkOptions& options) {
  std::unique_ptr<dx::DataConnection> result =
      dx::DataEngine::Instance().Environments().Item(0).OpenConnection(
          QString(), dx::kPromptCompleteRequired, true, scratch, OpenOptionsFor(options.compared));
  TextResultsView view;
  Remaining remaining;
  WalkOptions walk = options;
  walk.observer = &remaining;
  walk.explain = false;
  walk.details = false;
  CompareBothWays(reference, reference_name, *result, scratch_name, view, walk);
  result->Close();
  const HeldBack held(script, reference);
  for (const Difference& left : remaining.found) {
    if (held.Answers(left)) continue;
    const Difference::Property* collation = FindProperty(left, PropertyId::kDefaultCollation);
    if (left.kind == Difference::Kind::kDatabaseProperties && collation != nullptr) {
      // No script changes it, and every table made there without a collation of its own
      // takes it: the scratch database must be made with the one of the database it stands for.
      const QVariant& wanted =
          left.driving_is_primary ? collation->driving_value : collation->other_value;
      const QVariant& found =
          left.driving_is_primary ? collation->other_value : collation->driving_value;
      return "its default collation is '" + VisibleText(found.toString()) + "' where '" +
             VisibleText(reference_name) + "' has '" + VisibleText(wanted.toString()) +
             "', and a table made there without a collation of its own takes it: give --scratch "
             "a database made with '" +
             VisibleText(wanted.toString()) + "'";
    }
    return ReportOf({left}, reference_name, reference_name, scratch_name, scratch_name, false)
        .trimmed();
  }
  return QString();
}

// Runs what `script` runs; empty on success, otherwise which step failed and why.
QString RunOn(dx::ScratchSession& session, const MigrationScript& script) {
  for (const auto& [statement, step] : script.StatementsToRun()) {
    const QString error = session.Run(statement);
    if (error.isEmpty()) continue;
    session.Run(QStringLiteral("ROLLBACK"));
    const QString where = step >= 0 ? "step " + QString::number(step + 1) + " (" +
                                          script.steps[static_cast<size_t>(step)].title + ")"
                                    : QStringLiteral("the script's frame");
    return "the statement of " + where + " fails: " + VisibleText(error) + ": " +
           VisibleText(statement.section(u'\n', 0, 0));
  }
  return QString();
}

}  // namespace

ProofOutcome ProveOnScratch(const MigrationScript& script, dx::DataConnection& secondary,
                            dx::DataConnection& primary, const QString& primary_name,
                            const QString& scratch, const WalkOptions& options) {
  const TypeDialect engine =
      dx::IsMysqlConnectString(scratch) ? TypeDialect::kMysql : TypeDialect::kPostgres;
  if (engine != script.dialect) {
    return {false, QStringLiteral("the scratch database is not of the secondary's engine")};
  }
  const std::unique_ptr<dx::ScratchSession> session = dx::OpenScratchDatabase(scratch);
  const qint64 held = session->ObjectCount();
  if (held != 0) {
    return {false, held < 0 ? QStringLiteral("the scratch database's tables cannot be counted")
                            : "the scratch database holds " + QString::number(held) +
                                  " tables, views, sequences or types: --scratch names an empty "
                                  "database that Vantrel may write in"};
  }
  // Whatever happens below, what was made there goes.
  struct Cleanup {
    dx::ScratchSession& session;
    ~Cleanup() { session.DropEverything(); }
  } cleanup{*session};
  // The secondary's structure, made from its catalog as a script from nothing.
  const std::unique_ptr<dx::DataConnection> empty = EmptyDatabase(secondary.Engine(), secondary);
  Remaining found;
  WalkOptions walk = options;
  walk.observer = &found;
  walk.explain = false;
  walk.details = false;
  TextResultsView view;
  CompareBothWays(secondary, QStringLiteral("secondary"), *empty, QStringLiteral("empty"), view,
                  walk);
  MigrationOptions everything;
  everything.allow_unsafe = true;
  everything.compared = options.compared;
  const MigrationScript structure =
      PlanMigration(secondary, *empty, std::move(found.found), everything);
  QString failure = RunOn(*session, structure);
  if (!failure.isEmpty()) {
    return {false, "the secondary's structure cannot be made in the scratch database: " + failure};
  }
  const QString scratch_name = QStringLiteral("the scratch database");
  failure = LeftDifferent(structure, secondary, QStringLiteral("secondary"), scratch, scratch_name,
                          options);
  if (!failure.isEmpty()) {
    return {false, "the scratch database cannot hold the secondary's structure: " + failure};
  }
  failure = RunOn(*session, script);
  if (!failure.isEmpty()) return {false, failure};
  failure = LeftDifferent(script, primary, primary_name, scratch, scratch_name, options);
  if (!failure.isEmpty()) {
    return {false, "after the script, the scratch database still differs from '" +
                       VisibleText(primary_name) + "': " + failure};
  }
  return {true, QString()};
}

SqliteProofCopy CopyForProof(const QString& connect_string) {
  SqliteProofCopy prepared;
  prepared.copy = std::make_unique<dx::ScratchSqliteCopy>(connect_string);
  for (const QString& table : prepared.copy->TableNames()) {
    // A virtual table whose module this SQLite lacks cannot be counted; its rows are kept in
    // tables of their own, which are.
    const qint64 rows = prepared.copy->RowCount(table);
    if (rows >= 0) prepared.rows.insert(table, rows);
  }
  prepared.orphans = prepared.copy->ForeignKeyProblems().size();
  return prepared;
}

ProofOutcome ProveOnSqliteCopy(const MigrationScript& script, SqliteProofCopy prepared,
                               dx::DataConnection& primary, const QString& primary_name,
                               const WalkOptions& options) {
  dx::ScratchSqliteCopy& copy = *prepared.copy;
  QHash<QString, qint64>& rows = prepared.rows;
  for (const QString& table : DroppedTables(script)) rows.remove(table);
  const qsizetype orphans_before = prepared.orphans;
  for (const auto& [statement, step] : script.StatementsToRun()) {
    const QString error = copy.Run(statement);
    if (error.isEmpty()) continue;
    const QString where = step >= 0 ? "step " + QString::number(step + 1) + " (" +
                                          script.steps[static_cast<size_t>(step)].title + ")"
                                    : QStringLiteral("the script's frame");
    return {false, "the statement of " + where + " fails: " + VisibleText(error) + ": " +
                       VisibleText(statement.section(u'\n', 0, 0))};
  }
  // The script has run and nothing writes to the copy again: its comparison with the primary
  // reads it on a connection of its own while the checks below read it on this one. Returning
  // early waits for the comparison (the future's destructor does) and drops its result.
  std::future<QString> left =
      std::async(std::launch::async, [&script, &primary, &primary_name, &copy, &options] {
        return LeftDifferent(script, primary, primary_name, QStringLiteral("sqlite:") + copy.Path(),
                             QStringLiteral("the copy"), options);
      });
  const QStringList broken = copy.IntegrityProblems();
  if (!broken.isEmpty()) {
    return {false, "the database is damaged after the script: " + VisibleText(broken.front())};
  }
  // Rows that lacked their parent before the script are the database's own.
  const QStringList orphans = copy.ForeignKeyProblems();
  if (orphans.size() > orphans_before) {
    return {false, QString::number(orphans.size() - orphans_before) +
                       " more rows refer to rows that are not there after the script (" +
                       VisibleText(orphans.back()) + ")"};
  }
  for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
    const qint64 after = copy.RowCount(it.key());
    if (after != it.value()) {
      return {false, "table '" + VisibleText(it.key()) + "' held " + QString::number(it.value()) +
                         " rows before the script and " +
                         (after < 0 ? QStringLiteral("is gone") : QString::number(after)) +
                         " after it"};
    }
  }
  const QString still_different = left.get();
  if (!still_different.isEmpty()) {
    return {false, "after the script, the copy still differs from '" + VisibleText(primary_name) +
                       "': " + still_different};
  }
  return {true, QString()};
}

}  // namespace vantrel
