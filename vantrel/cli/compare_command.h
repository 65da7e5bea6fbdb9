// `vantrel-cli compare`: the comparison of two databases, printed as the report.
#ifndef VANTREL_VANTREL_CLI_COMPARE_COMMAND_H_
#define VANTREL_VANTREL_CLI_COMPARE_COMMAND_H_

namespace vantrel::cli {

// Exit statuses of the command line.
enum ExitStatus : int {
  kNoDifferences = 0,
  kDifferencesFound = 1,
  kFailed = 2,
};

// Parses the command line and runs it; returns the exit status.
int RunCommandLine(int argc, char** argv);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_COMPARE_COMMAND_H_
