#include "dataaccess/data_engine.h"

#include <future>
#include <optional>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/connection_prompter.h"
#include "dataaccess/drivers/driver.h"
#include "dataaccess/drivers/engine_library.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {

namespace {

[[noreturn]] void ThrowNoDatabaseGiven() {
  throw component::Error(
      kNoDatabaseGiven, ErrorSource(),
      QStringLiteral("No database was given: name a database file or give a connect string"));
}

// The database the user picks in the connection prompt, when the mode lets OpenConnection ask.
ConnectRequest ChosenInPrompt(int32_t prompt) {
  const std::shared_ptr<ConnectionPrompter> prompter = InstalledConnectionPrompter();
  if (!prompter || (prompt != kPromptComplete && prompt != kPromptAlways)) ThrowNoDatabaseGiven();
  std::optional<ConnectionChoice> choice = prompter->ChooseConnection();
  if (!choice) {
    throw component::Error(kPromptCancelled, ErrorSource(),
                           QStringLiteral("The connection prompt was cancelled"));
  }
  ConnectRequest request{choice->database_name, choice->connect_string, prompt, choice->password};
  if (request.connect_string.trimmed().isEmpty()) request.connect_string = request.name;
  if (request.connect_string.trimmed().isEmpty()) ThrowNoDatabaseGiven();
  return request;
}

// The last guard: whatever a driver or its client library said, no password, nor any piece of
// one of `pieces` (the connection's passwords, PasswordPieces), leaves.
[[noreturn]] void ThrowMasked(const component::Error& error, const QStringList& pieces) {
  throw component::Error(error.number(), error.source(),
                         MaskPasswords(ScrubPasswordPieces(error.description(), pieces)));
}

CatalogRead Connect(const QString& name, int32_t prompt, const QString& connect_string,
                    int32_t options) {
  ConnectRequest request{name, connect_string.trimmed().isEmpty() ? name : connect_string, prompt};
  if (request.connect_string.trimmed().isEmpty()) request = ChosenInPrompt(prompt);
  request.options = options;
  for (const Driver* driver : AllDrivers()) {
    if (!driver->Accepts(request)) continue;
    const QStringList pieces = PasswordPieces(request.connect_string, request.password);
    try {
      return CatalogRead([read = driver->Connect(request), pieces]() mutable {
        try {
          return read();
        } catch (const component::Error& error) {
          ThrowMasked(error, pieces);
        }
      });
    } catch (const component::Error& error) {
      ThrowMasked(error, pieces);
    }
  }
  throw component::Error(kUnknownConnectString, ErrorSource(),
                         QStringLiteral("No driver understands the connect string '%1'")
                             .arg(MaskPasswords(request.connect_string)));
}

class WorkerRead final : public PendingConnection {
 public:
  explicit WorkerRead(CatalogRead read)
      : read_(std::async(std::launch::async,
                         [read = std::move(read)]() mutable -> std::unique_ptr<DataConnection> {
                           return read();
                         })) {}
  // The future of std::async waits for the read when it is destroyed.
  std::unique_ptr<DataConnection> Take() override { return read_.get(); }

 private:
  std::future<std::unique_ptr<DataConnection>> read_;
};

}  // namespace

std::unique_ptr<DataConnection> DataEnvironment::OpenConnection(const QString& name, int32_t prompt,
                                                                bool /*read_only*/,
                                                                const QString& connect_string,
                                                                int32_t options) const {
  CatalogRead read = Connect(name, prompt, connect_string, options);
  return read();
}

std::unique_ptr<PendingConnection> DataEnvironment::BeginOpenConnection(
    const QString& name, int32_t prompt, bool /*read_only*/, const QString& connect_string,
    int32_t options) const {
  return std::make_unique<WorkerRead>(Connect(name, prompt, connect_string, options));
}

EnvironmentCollection::EnvironmentCollection() {
  environments_.push_back(std::make_unique<DataEnvironment>());
}

DataEnvironment& EnvironmentCollection::Item(int32_t index) const {
  if (index < 0 || index >= Count()) {
    throw component::Error(component::kSubscriptOutOfRange, ErrorSource());
  }
  return *environments_[static_cast<size_t>(index)];
}

void PrepareToConnect(const QString& connect_string) noexcept {
  for (const Driver* driver : AllDrivers()) driver->Prepare(connect_string.trimmed());
}

void FinishPreparingToConnect() noexcept { WaitForEngineLibrariesLoadedAhead(); }

DataEngine& DataEngine::Instance() {
  static DataEngine engine;
  return engine;
}

}  // namespace dataaccess
