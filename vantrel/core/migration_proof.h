// The proof of a migration script before anyone runs it: the script run on a private copy of the
// secondary SQLite database, which must then be sound, keep every row of every table the script
// keeps, and compare equal to the primary in everything compared.
#ifndef VANTREL_VANTREL_CORE_MIGRATION_PROOF_H_
#define VANTREL_VANTREL_CORE_MIGRATION_PROOF_H_

#include <QHash>
#include <QString>
#include <memory>

#include "dataaccess/data_objects.h"
#include "dataaccess/scratch_copy.h"
#include "vantrel/core/compare_tables.h"
#include "vantrel/core/migration_script.h"

namespace vantrel {

struct ProofOutcome {
  bool proven = false;
  // Why not, in one line: the statement that failed (its step and SQLite's message), a broken
  // reference, rows lost, or what still differs from the primary.
  QString failure;
};

// A private copy of an SQLite secondary to prove a script on, with what the proof holds the copy
// to once the script has run.
struct SqliteProofCopy {
  std::unique_ptr<dataaccess::ScratchSqliteCopy> copy;
  QHash<QString, qint64> rows;  // each table's rows before any script ran
  qsizetype orphans = 0;        // the rows that lacked their parent before any script ran
};

// Copies the SQLite database `connect_string` names (the original and its side files are
// untouched; empty: an empty database) and counts what the proof holds the copy to. Any one
// thread. Throws component::Error when the copy cannot be made or read.
SqliteProofCopy CopyForProof(const QString& connect_string);

// Runs `script`'s statements that are not held back on `prepared`, a copy of the secondary, then
// checks it and compares it with `primary` (displayed as `primary_name`) with `options`. The copy
// is deleted before it returns. Throws component::Error when the copy cannot be read.
ProofOutcome ProveOnSqliteCopy(const MigrationScript& script, SqliteProofCopy prepared,
                               dataaccess::DataConnection& primary, const QString& primary_name,
                               const WalkOptions& options);

// Proves `script` on the scratch database `scratch` (a PostgreSQL or MySQL connect string of the
// secondary's engine), which must hold no table, view or sequence: the secondary's structure is
// made there from its catalog, the script runs on it (in one transaction on PostgreSQL), and it
// must then compare equal to `primary` in everything compared but what was held back. Everything
// made there is dropped before it returns, however it ends. Throws component::Error when the
// scratch database cannot be opened or read.
ProofOutcome ProveOnScratch(const MigrationScript& script, dataaccess::DataConnection& secondary,
                            dataaccess::DataConnection& primary, const QString& primary_name,
                            const QString& scratch, const WalkOptions& options);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_MIGRATION_PROOF_H_
