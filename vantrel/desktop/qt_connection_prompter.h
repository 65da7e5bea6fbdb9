// The desktop program's connection prompt: the library's questions as dialogs, with server
// passwords kept in the desktop's keyring when the user asks for it.
#ifndef VANTREL_VANTREL_DESKTOP_QT_CONNECTION_PROMPTER_H_
#define VANTREL_VANTREL_DESKTOP_QT_CONNECTION_PROMPTER_H_

#include "dataaccess/connection_prompter.h"

namespace vantrel::desktop {

class QtConnectionPrompter final : public dataaccess::ConnectionPrompter {
 public:
  // Shows the connection dialog; keeps a typed server password in the keyring if asked to.
  std::optional<dataaccess::ConnectionChoice> ChooseConnection() override;
  // Takes the keyring's password on a first attempt; otherwise, or when there is none, asks.
  std::optional<QString> AskPassword(const dataaccess::PasswordRequest& request) override;
};

// Installs a QtConnectionPrompter for the process.
void InstallQtConnectionPrompter();

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_QT_CONNECTION_PROMPTER_H_
