#include "vantrel/core/migration_run.h"

#include <future>

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "vantrel/core/empty_database.h"
#include "vantrel/core/migration_proof.h"
#include "vantrel/core/migration_sql.h"
#include "vantrel/core/results_view.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

// The copy an SQLite secondary's proof runs on, begun as soon as the secondary is reached: the
// copy and its row counts are then made while both catalogs are read and compared, on a core the
// comparison leaves idle for most of its time, instead of after it.
class EarlyProofCopy {
 public:
  // Begins copying `source` when the request's proof would run on a copy of it: --verify without
  // --scratch, and a connect string that names no server. A copy begun for a side that turns out
  // not to be an SQLite file is never taken; its failure is no one's.
  void BeginFor(const MigrationRequest& request, const DataSource& source) {
    const QString& text = source.connect_string;
    if (!request.verify || !request.scratch.isEmpty() || dataaccess::MightBePostgres(text) ||
        dataaccess::IsMysqlConnectString(text) || dataaccess::IsOdbcConnectString(text)) {
      return;
    }
    copy_ = std::async(std::launch::async, [text] { return CopyForProof(text); });
  }

  // The copy of the database `connect_string` reaches: the one begun, when it is of that
  // database; otherwise one made now, which throws what keeps it from being made.
  SqliteProofCopy Take(const QString& connect_string) {
    if (copy_.valid()) {
      try {
        SqliteProofCopy early = copy_.get();
        if (early.copy->Source() == connect_string) return early;
      } catch (const component::Error&) {
        // Said, if it still holds, by the copy made now.
      }
    }
    return CopyForProof(connect_string);
  }

 private:
  std::future<SqliteProofCopy> copy_;
};

void PlanAndProve(const MigrationRequest& request, std::vector<Difference> differences,
                  const OpenSides& sides, EarlyProofCopy& early_copy, MigrationResult* result) {
  result->primary_name = sides.primary_name;
  result->secondary_name = sides.secondary_name;
  result->primary_connect_string = sides.primary.ConnectString();
  result->secondary_connect_string = sides.secondary.ConnectString();
  const TypeDialect dialect = DialectOfEngine(sides.secondary.Engine());
  if (dialect == TypeDialect::kOther) {
    result->refused = "cannot write SQL for the secondary database's engine ('" +
                      VisibleText(sides.secondary.Engine()) +
                      "'): migrate writes SQLite, PostgreSQL and MySQL";
    return;
  }
  MigrationOptions plan;
  plan.allow_unsafe = request.allow_unsafe;
  plan.compared = request.walk.compared;
  plan.ignored_properties = request.walk.ignored_properties;
  plan.primary_name = sides.primary_name;
  plan.secondary_name = sides.secondary_name;
  MigrationScript script =
      PlanMigration(sides.primary, sides.secondary, std::move(differences), plan);
  if (!request.scratch.isEmpty() && dialect == TypeDialect::kSqlite) {
    result->refused = QStringLiteral(
        "--scratch is for a PostgreSQL or MySQL secondary; an SQLite one is proven on a copy");
    return;
  }
  if (request.verify) {
    if (dialect != TypeDialect::kSqlite && request.scratch.isEmpty()) {
      result->refused = QStringLiteral(
          "--verify on a PostgreSQL or MySQL secondary needs --scratch URL: an empty database of "
          "its engine that Vantrel may write in");
      return;
    }
    WalkOptions proof = request.walk;
    proof.observer = nullptr;
    const ProofOutcome outcome =
        dialect == TypeDialect::kSqlite
            ? ProveOnSqliteCopy(script, early_copy.Take(sides.secondary.ConnectString()),
                                sides.primary, sides.primary_name, proof)
            : ProveOnScratch(script, sides.secondary, sides.primary, sides.primary_name,
                             request.scratch, proof);
    if (!outcome.proven) {
      result->refused = "the script was not proven, and is not printed: " + outcome.failure;
      return;
    }
  }
  result->script = std::move(script);
}

}  // namespace

MigrationResult RunMigration(const SourceLookup& primary, const SourceLookup& secondary,
                             const MigrationRequest& request) {
  MigrationResult result;
  DifferenceCollector collected;
  WalkOptions walk = request.walk;
  walk.observer = &collected;
  walk.read_every_object = true;
  TextResultsView view;
  EarlyProofCopy early_copy;
  const SourceLookup secondary_then_copy = [&] {
    DataSource source = secondary();
    early_copy.BeginFor(request, source);
    return source;
  };
  RunComparison(
      primary, secondary_then_copy, view,
      [&](const ComparisonOutcome&, const OpenSides& sides) {
        PlanAndProve(request, std::move(collected.found), sides, early_copy, &result);
      },
      walk);
  return result;
}

MigrationResult RunMigrationFromEmpty(const SourceLookup& primary, const QString& engine,
                                      const MigrationRequest& request) {
  DataSource source;
  std::unique_ptr<dataaccess::DataConnection> opened;
  try {
    source = primary();
    opened = dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
        source.database_name, dataaccess::kPromptCompleteRequired, true, source.connect_string,
        dataaccess::kReadEveryObject);
  } catch (const component::Error& error) {
    throw SideError(Side::kPrimary, error);
  }
  const std::unique_ptr<dataaccess::DataConnection> empty =
      EmptyDatabase(engine.isEmpty() ? opened->Engine() : engine, *opened);
  DifferenceCollector collected;
  WalkOptions walk = request.walk;
  walk.observer = &collected;
  TextResultsView view;
  const QString empty_name = QStringLiteral("an empty database");
  CompareBothWays(*opened, source.display_name, *empty, empty_name, view, walk);
  MigrationResult result;
  EarlyProofCopy none_begun;
  PlanAndProve(request, std::move(collected.found),
               {*opened, source.display_name, *empty, empty_name}, none_begun, &result);
  opened->Close();
  return result;
}

}  // namespace vantrel
