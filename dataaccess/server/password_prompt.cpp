#include "dataaccess/server/password_prompt.h"

#include <string.h>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/server_connect.h"

namespace dataaccess {
namespace {

bool ModeAsksForPasswords(int32_t prompt) {
  return prompt == kPromptComplete || prompt == kPromptAlways || prompt == kPromptCompleteRequired;
}

// `attempt` with `request`, its failure or error scrubbed of the typed password's pieces: a
// client library may quote a piece of it.
std::optional<PasswordFailure> Scrubbed(const LoginAttempt& attempt,
                                        const ConnectRequest& request) {
  const QStringList pieces = PasswordPieces(QString(), request.password);
  try {
    std::optional<PasswordFailure> failure = attempt(request);
    if (failure) failure->error = WithoutPasswordPieces(failure->error, pieces);
    return failure;
  } catch (const component::Error& error) {
    throw WithoutPasswordPieces(error, pieces);
  }
}

}  // namespace

void WipePassword(QString& password) noexcept {
  if (password.isEmpty() || !password.isDetached()) return;
  explicit_bzero(password.data(), static_cast<size_t>(password.size()) * sizeof(QChar));
}

void WipePassword(QByteArray& password) noexcept {
  if (password.isEmpty() || !password.isDetached()) return;
  explicit_bzero(password.data(), static_cast<size_t>(password.size()));
}

void OpenAskingForPassword(const ConnectRequest& request, const LoginAttempt& attempt) {
  std::optional<PasswordFailure> failure = Scrubbed(attempt, request);
  if (!failure) return;
  const std::shared_ptr<ConnectionPrompter> prompter = InstalledConnectionPrompter();
  if (!failure->password_missing || !ModeAsksForPasswords(request.prompt) || !prompter) {
    throw failure->error;
  }
  ConnectRequest with_password = request;
  struct WipedWhenDone {
    QString& password;
    ~WipedWhenDone() { WipePassword(password); }
  } wiped{with_password.password};
  for (int asked = 0; asked < kMaxPasswordAttempts; ++asked) {
    PasswordRequest who = failure->who;
    who.retry = asked > 0;
    std::optional<QString> password = prompter->AskPassword(who);
    if (!password) {
      throw component::Error(
          kPromptCancelled, ErrorSource(),
          QStringLiteral("The %1 server for '%2' needs a password and none was given")
              .arg(who.engine, who.target));
    }
    WipePassword(with_password.password);
    with_password.password = std::move(*password);
    failure = Scrubbed(attempt, with_password);
    if (!failure) return;
  }
  throw failure->error;
}

}  // namespace dataaccess
