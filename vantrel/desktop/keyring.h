// Server passwords kept in the desktop's keyring (the Secret Service, through QtKeychain), one
// per engine, user, host, port and database. Each call waits for the keyring, running the event
// loop meanwhile; without a keyring service it fails at once.
#ifndef VANTREL_VANTREL_DESKTOP_KEYRING_H_
#define VANTREL_VANTREL_DESKTOP_KEYRING_H_

#include <QString>
#include <optional>

#include "dataaccess/connection_prompter.h"

namespace vantrel::desktop {

// The keyring entry's name: "ENGINE USER@HOST:PORT/DATABASE".
QString KeyringKey(const dataaccess::PasswordRequest& server);

// The kept password, or nullopt when none is kept or there is no keyring.
std::optional<QString> ReadKeyringPassword(const dataaccess::PasswordRequest& server);

// Keeps the password; returns empty text when kept, otherwise why not.
QString StoreKeyringPassword(const dataaccess::PasswordRequest& server, const QString& password);

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_KEYRING_H_
