// `vantrel-cli sources`: the user's stored data sources, the same ones the window's Data Source
// Manager shows, kept by the same rules.
#ifndef VANTREL_VANTREL_CLI_SOURCES_COMMAND_H_
#define VANTREL_VANTREL_CLI_SOURCES_COMMAND_H_

#include <CLI/CLI.hpp>
#include <functional>

namespace vantrel::cli {

// Adds the `sources` subcommand and its `list`, `add`, `delete` and `show` subcommands to `app`.
// `*run` is set to the chosen action, which returns the exit status.
void AddSourcesCommand(CLI::App& app, std::function<int()>* run);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_SOURCES_COMMAND_H_
