// The seam through which the data-access library asks the user for connection details.
//
// The library holds no widget code: a program installs a ConnectionPrompter (the desktop program
// a dialog, the command line a terminal prompt) and OpenConnection calls it, on the calling
// thread, when the prompt mode allows and something is missing:
//
//   mode                     no connect string and no name      a server wants a password
//   kPromptComplete (0)      ChooseConnection                   AskPassword
//   kPromptNever (1)         fails with kNoDatabaseGiven        fails with kLoginFailed
//   kPromptAlways (2)        ChooseConnection                   AskPassword
//   kPromptCompleteRequired  fails with kNoDatabaseGiven        AskPassword
//   (3)
//
// Without an installed prompter nothing is ever asked, as in mode 1. A prompter that returns
// nothing (the user cancelled, or there is nobody to ask) makes OpenConnection fail with
// kPromptCancelled.
//
// A password given through the prompter is used for that one open only: it is never part of the
// connection's ConnectString(), so a stored connect string never learns it.
#ifndef VANTREL_DATAACCESS_CONNECTION_PROMPTER_H_
#define VANTREL_DATAACCESS_CONNECTION_PROMPTER_H_

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// What the user chose in the connection prompt.
struct ConnectionChoice {
  QString connect_string;  // as for OpenConnection; holds no password the user typed
  QString database_name;   // the database on a server; may be empty
  QString password;        // typed for this open only; empty when none was typed
};

// Who a server wants a password for. Fields the library cannot tell are empty (port 0).
struct PasswordRequest {
  QString engine;  // "PostgreSQL", "MySQL"
  QString user;
  QString host;
  int32_t port = 0;
  QString database;
  QString target;      // the connect string without passwords, for the prompt's text
  bool retry = false;  // the server refused the password given last time
};

class DATAACCESS_EXPORT ConnectionPrompter {
 public:
  virtual ~ConnectionPrompter();
  // Lets the user pick an engine and describe a database. nullopt: cancelled.
  virtual std::optional<ConnectionChoice> ChooseConnection() = 0;
  // The password for `request`. nullopt: cancelled, or nobody can be asked.
  virtual std::optional<QString> AskPassword(const PasswordRequest& request) = 0;
};

// Installs the prompter for the whole process; nullptr removes it. Not thread-safe against a
// concurrent OpenConnection: install it once, before the first open.
DATAACCESS_EXPORT void SetConnectionPrompter(std::shared_ptr<ConnectionPrompter> prompter);
// The installed prompter, or nullptr.
std::shared_ptr<ConnectionPrompter> InstalledConnectionPrompter();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CONNECTION_PROMPTER_H_
