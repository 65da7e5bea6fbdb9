// The options that shape a report, shared by `compare` and `check` so that both take the same
// ones with the same help.
#ifndef VANTREL_VANTREL_CLI_REPORT_OPTIONS_H_
#define VANTREL_VANTREL_CLI_REPORT_OPTIONS_H_

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "vantrel/core/compare_tables.h"

namespace vantrel::cli {

struct ReportOptions {
  std::string format = "text";
  std::vector<std::string> include;
  std::vector<std::string> exclude;
  std::vector<std::string> ignore;
  std::vector<std::string> objects;
  bool compare_names = false;
  bool explain = false;
  bool details = false;
};

// Adds --objects, --include, --exclude and --ignore: what a command compares. `objects_default`
// names what an empty --objects compares, for its help.
void AddSelectionOptions(CLI::App& command, ReportOptions& options,
                         const char* objects_default = "fields");

// Adds --objects, --compare-names, --explain, --details, --include, --exclude, --ignore and
// --format to
// `command`, writing to `options`, which must outlive the parse.
void AddReportOptions(CLI::App& command, ReportOptions& options);

// The walk the options ask for, without an observer.
WalkOptions WalkOptionsOf(const ReportOptions& options);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_REPORT_OPTIONS_H_
