// `vantrel-cli migrate`: the SQL that gives the secondary database the primary's structure, with
// what could lose data held back, proven on a copy before it is printed when asked.
#ifndef VANTREL_VANTREL_CLI_MIGRATE_COMMAND_H_
#define VANTREL_VANTREL_CLI_MIGRATE_COMMAND_H_

#include <CLI/CLI.hpp>
#include <functional>

namespace vantrel::cli {

// Adds the `migrate` subcommand to `app`; `*run` is set to it when it is chosen.
void AddMigrateCommand(CLI::App& app, std::function<int()>* run);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_MIGRATE_COMMAND_H_
