// `vantrel-cli snapshot`: writes a database's catalog to a snapshot file, which `compare`, the
// stored data sources and the window then open like the database itself.
#ifndef VANTREL_VANTREL_CLI_SNAPSHOT_COMMAND_H_
#define VANTREL_VANTREL_CLI_SNAPSHOT_COMMAND_H_

#include <CLI/CLI.hpp>
#include <functional>

namespace vantrel::cli {

// Adds the `snapshot` subcommand to `app`; `*run` is set to it when it is chosen.
void AddSnapshotCommand(CLI::App& app, std::function<int()>* run);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_SNAPSHOT_COMMAND_H_
