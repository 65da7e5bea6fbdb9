// The command line's connection prompter: it never picks a database, and asks for a password on
// the terminal, with echo off, only when standard input is a terminal.
#ifndef VANTREL_VANTREL_CLI_TERMINAL_PROMPTER_H_
#define VANTREL_VANTREL_CLI_TERMINAL_PROMPTER_H_

#include <QString>
#include <optional>

#include "dataaccess/connection_prompter.h"

namespace vantrel::cli {

class TerminalPrompter final : public dataaccess::ConnectionPrompter {
 public:
  // Always nullopt: the databases are named on the command line.
  std::optional<dataaccess::ConnectionChoice> ChooseConnection() override;
  // nullopt when standard input is not a terminal, or ends (or fails) before a line is read.
  // Otherwise writes PasswordPromptText to /dev/tty (standard error when that cannot be opened),
  // reads one line from standard input with echo off and returns it without its line end. From
  // the prompt on, the process is not dumpable (PR_SET_DUMPABLE 0) for the rest of its life, and
  // the bytes read are wiped once the returned text holds them. The terminal's settings are
  // restored on every path, and before a SIGINT, SIGTERM, SIGHUP or SIGQUIT that arrives
  // meanwhile takes its usual effect.
  std::optional<QString> AskPassword(const dataaccess::PasswordRequest& request) override;
};

// "Password for USER@HOST:PORT/DATABASE (ENGINE): ", each part left out (with its separator)
// when the request leaves it empty.
QString PasswordPromptText(const dataaccess::PasswordRequest& request);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_TERMINAL_PROMPTER_H_
