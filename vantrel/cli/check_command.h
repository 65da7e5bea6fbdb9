// `vantrel-cli check`: one reference database against many targets (a fleet of tenant schemas,
// databases or files), one line per target, the targets that differ the same way grouped.
#ifndef VANTREL_VANTREL_CLI_CHECK_COMMAND_H_
#define VANTREL_VANTREL_CLI_CHECK_COMMAND_H_

#include <CLI/CLI.hpp>
#include <functional>

namespace vantrel::cli {

// Adds the `check` subcommand to `app`; `*run` is set to it when it is chosen.
void AddCheckCommand(CLI::App& app, std::function<int()>* run);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_CHECK_COMMAND_H_
