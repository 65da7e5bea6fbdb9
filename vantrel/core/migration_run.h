// A whole migration without a window: open both databases, compare them both ways, plan the
// script, prove it when asked, close both. The command line and the window run it.
#ifndef VANTREL_VANTREL_CORE_MIGRATION_RUN_H_
#define VANTREL_VANTREL_CORE_MIGRATION_RUN_H_

#include <QString>
#include <optional>

#include "vantrel/core/comparison_run.h"
#include "vantrel/core/migration_script.h"

namespace vantrel {

struct MigrationRequest {
  WalkOptions walk;  // what is compared, and so answered (its observer is not used)
  bool allow_unsafe = false;
  bool verify = false;  // prove the script before it is kept
  // With `verify` on PostgreSQL or MySQL: the connect string of an empty database of the
  // secondary's engine that the proof may write in (ProveOnScratch).
  QString scratch;
};

struct MigrationResult {
  std::optional<MigrationScript> script;  // none when it was refused or not proven
  QString primary_name;
  QString secondary_name;
  // How to reach each side again (empty for an empty database), so that the script is never
  // written over one of them.
  QString primary_connect_string;
  QString secondary_connect_string;
  QString refused;  // why there is no script, in one line
};

// The script that gives `secondary` `primary`'s structure. Throws as RunComparison does
// (SideError, UnmatchedPatternsError), and component::Error when a proof's copy cannot be made.
MigrationResult RunMigration(const SourceLookup& primary, const SourceLookup& secondary,
                             const MigrationRequest& request);

// The script that makes `primary`'s whole structure in an empty database of `engine`
// (DataConnection::Engine's words; empty for `primary`'s own). Throws as RunMigration does.
MigrationResult RunMigrationFromEmpty(const SourceLookup& primary, const QString& engine,
                                      const MigrationRequest& request);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_MIGRATION_RUN_H_
