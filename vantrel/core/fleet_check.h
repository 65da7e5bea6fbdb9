// One reference database against many targets: each target compared with the reference as
// `compare` would compare them, the targets of one server read through one session
// (dataaccess/schema_set.h), the others several at a time, each target's catalog dropped once
// it is compared. The command line's `check` runs it.
#ifndef VANTREL_VANTREL_CORE_FLEET_CHECK_H_
#define VANTREL_VANTREL_CORE_FLEET_CHECK_H_

#include <QString>
#include <functional>
#include <vector>

#include "dataaccess/data_objects.h"
#include "vantrel/core/compare_tables.h"
#include "vantrel/core/comparison_run.h"

namespace vantrel {

// What became of one target.
struct FleetResult {
  enum class Status { kIdentical, kDiffers, kFailed };
  // The schema for a PostgreSQL schema, the database for a MySQL or MariaDB database of a
  // server set, otherwise the display name of the target's DataSource.
  QString name;
  Status status = Status::kFailed;
  // Only when the target differs: the report, as `compare REFERENCE TARGET` prints it (both
  // walks, then what was not compared), and its paragraphs as data, which tell which targets
  // differ the same way (SameDrift).
  QString report;
  std::vector<Difference> differences;
  // How the report names the reference's database ("NAME.DB"), for a report of what targets
  // share (ReportOf).
  QString reference_qualified_name;
  // Only when it failed: one line saying why, without a password.
  QString failure;
  // What was asked for but not compared, because the reference or the target cannot tell it.
  std::vector<NotCompared> not_compared;  // Side::kPrimary is the reference
};

struct FleetOptions {
  // The walks' patterns and ignored properties; the observer is not used.
  WalkOptions walk;
  // How many targets are read at a time besides the server sets, which read one member at a time
  // each. At least 1.
  int jobs = 1;
  // Called, one call at a time, from any thread, after each target: how many are finished and how
  // many are known so far (a server set's members become known when it is listed). May be empty.
  std::function<void(size_t finished, size_t known)> progress;
};

// True when a target's schema or database is a pattern to expand on its server ('*', '?' or
// '[' in the schema a PostgreSQL connect string names, or in a MySQL URI's database).
bool IsServerPattern(const QString& connect_string);

// Compares `reference` with each of `targets` and returns the results in the order of `targets`,
// a server pattern giving its matches in name order (QString's operator<), a pattern matching
// nothing one failed result named after the target's display name. Targets that name a
// schema (SchemaOfConnectString) are read as members of their server's set: one session per
// server, however many of its schemas or databases are named. Every other target is opened
// read-only, never asking for a password. A failing target fails alone; nothing is thrown.
// `reference` is only read, from several threads at once.
std::vector<FleetResult> RunFleetCheck(dataaccess::DataConnection& reference,
                                       const QString& reference_name,
                                       const std::vector<DataSource>& targets,
                                       const FleetOptions& options);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_FLEET_CHECK_H_
