#include "dataaccess/server/password_prompt.h"

#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"

namespace dataaccess {
namespace {

bool ModeAsksForPasswords(int32_t prompt) {
  return prompt == kPromptComplete || prompt == kPromptAlways || prompt == kPromptCompleteRequired;
}

}  // namespace

void OpenAskingForPassword(const ConnectRequest& request, const LoginAttempt& attempt) {
  std::optional<PasswordFailure> failure = attempt(request);
  if (!failure) return;
  const std::shared_ptr<ConnectionPrompter> prompter = InstalledConnectionPrompter();
  if (!failure->password_missing || !ModeAsksForPasswords(request.prompt) || !prompter) {
    throw failure->error;
  }
  ConnectRequest with_password = request;
  for (int asked = 0; asked < kMaxPasswordAttempts; ++asked) {
    PasswordRequest who = failure->who;
    who.retry = asked > 0;
    const std::optional<QString> password = prompter->AskPassword(who);
    if (!password) {
      throw component::Error(
          kPromptCancelled, ErrorSource(),
          QStringLiteral("The %1 server for '%2' needs a password and none was given")
              .arg(who.engine, who.target));
    }
    with_password.password = *password;
    failure = attempt(with_password);
    if (!failure) return;
  }
  throw failure->error;
}

}  // namespace dataaccess
