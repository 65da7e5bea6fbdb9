// Asking the installed prompter for a password when a server wants one, shared by the server
// drivers. Internal to the library.
#ifndef VANTREL_DATAACCESS_SERVER_PASSWORD_PROMPT_H_
#define VANTREL_DATAACCESS_SERVER_PASSWORD_PROMPT_H_

#include <functional>
#include <optional>

#include "dataaccess/connection_prompter.h"
#include "dataaccess/dataaccess_export.h"
#include "dataaccess/drivers/driver.h"
#include "platform/component/error.h"

namespace dataaccess {

// The most passwords the user is asked for in one open: after that many refusals the open fails.
inline constexpr int kMaxPasswordAttempts = 3;

// A login the server refused for want of the right password.
struct PasswordFailure {
  // True when the server wanted a password and none was given; false when it refused the one
  // given.
  bool password_missing = false;
  PasswordRequest who;     // whom to ask about; `retry` is set by OpenAskingForPassword
  component::Error error;  // what the open fails with when nobody is asked (kLoginFailed)
};

// Overwrites the characters of a password copy once it is no longer needed, where this copy is
// their only holder (text shared with another holder is left to that holder).
DATAACCESS_EXPORT void WipePassword(QString& password) noexcept;
DATAACCESS_EXPORT void WipePassword(QByteArray& password) noexcept;

// One attempt at logging in with `request` (its `password` possibly filled in by the prompter).
// Returns nullopt once logged in, a PasswordFailure when the password is missing or wrong, and
// throws for any other failure.
using LoginAttempt = std::function<std::optional<PasswordFailure>(const ConnectRequest& request)>;

// Runs `attempt` with `request`. When it reports a missing password, the prompt mode allows
// asking (kPromptComplete, kPromptAlways, kPromptCompleteRequired) and a prompter is installed,
// asks it and tries again with the answer; a refused answer is asked for again with `retry` set, up
// to kMaxPasswordAttempts answers in all. A password that was given and refused before anything was
// asked is not asked for again.
//
// Throws the last attempt's error when nobody is asked or the answers run out, and
// kPromptCancelled when the prompter returns nothing. Every answer is wiped when it is done with,
// and no error holds a piece of one (PasswordPieces).
DATAACCESS_EXPORT void OpenAskingForPassword(const ConnectRequest& request,
                                             const LoginAttempt& attempt);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_PASSWORD_PROMPT_H_
