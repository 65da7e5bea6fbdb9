#include "vantrel/core/migration_proof.h"

#include <QHash>
#include <QSet>

#include "dataaccess/data_engine.h"
#include "dataaccess/scratch_copy.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/results_view.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;

// The tables of `connection` (not its views).
QStringList TablesOf(const dx::DataConnection& connection) {
  QStringList names;
  const auto tables = connection.Tables().Enumerate();
  while (const dx::DataTable* table = tables->Next()) {
    if (!table->IsView()) names.append(table->Name());
  }
  return names;
}

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

// Whether a held-back step answers `left`, a difference found again after the script.
bool HeldBack(const MigrationScript& script, const Difference& left) {
  if (IsSecondCopy(left)) return true;
  for (const MigrationStep& step : script.steps) {
    if (step.held_back.isEmpty()) continue;
    for (const int answer : step.answers) {
      if (answer < 0) continue;
      const Difference& held = script.differences[static_cast<size_t>(answer)];
      if (held.driving_is_primary == left.driving_is_primary && SameDrift(held, left, true)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

ProofOutcome ProveOnSqliteCopy(const MigrationScript& script, const dx::DataConnection& secondary,
                               dx::DataConnection& primary, const QString& primary_name,
                               const WalkOptions& options) {
  dx::ScratchSqliteCopy copy(secondary.ConnectString());
  const QSet<QString> dropped = DroppedTables(script);
  QHash<QString, qint64> rows;
  for (const QString& table : TablesOf(secondary)) {
    if (!dropped.contains(table)) rows.insert(table, copy.RowCount(table));
  }
  const qsizetype orphans_before = copy.ForeignKeyProblems().size();
  for (const auto& [statement, step] : script.StatementsToRun()) {
    const QString error = copy.Run(statement);
    if (error.isEmpty()) continue;
    const QString where = step >= 0 ? "step " + QString::number(step + 1) + " (" +
                                          script.steps[static_cast<size_t>(step)].title + ")"
                                    : QStringLiteral("the script's frame");
    return {false, "the statement of " + where + " fails: " + VisibleText(error) + ": " +
                       VisibleText(statement.section(u'\n', 0, 0))};
  }
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
  std::unique_ptr<dx::DataConnection> result =
      dx::DataEngine::Instance().Environments().Item(0).OpenConnection(
          QString(), dx::kPromptNever, true, QStringLiteral("sqlite:") + copy.Path(),
          OpenOptionsFor(options.compared));
  TextResultsView view;
  Remaining remaining;
  WalkOptions walk = options;
  walk.observer = &remaining;
  walk.explain = false;
  walk.details = false;
  CompareBothWays(primary, primary_name, *result, QStringLiteral("the script's result"), view,
                  walk);
  result->Close();
  // What the steps held back leaves as it was; anything else that still differs is the script's
  // failure.
  for (const Difference& left : remaining.found) {
    if (!HeldBack(script, left)) {
      return {false, "after the script, the copy still differs from '" + VisibleText(primary_name) +
                         "': " +
                         ReportOf({left}, primary_name, primary_name, QStringLiteral("the copy"),
                                  QStringLiteral("the copy"), false)
                             .trimmed()};
    }
  }
  return {true, QString()};
}

}  // namespace vantrel
