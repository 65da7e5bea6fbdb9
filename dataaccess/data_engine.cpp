#include "dataaccess/data_engine.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/driver.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {

std::unique_ptr<DataConnection> DataEnvironment::OpenConnection(const QString& name,
                                                                int32_t prompt, bool /*read_only*/,
                                                                const QString& connect_string,
                                                                int32_t /*options*/) const {
  ConnectRequest request{name, connect_string.trimmed().isEmpty() ? name : connect_string, prompt};
  if (request.connect_string.trimmed().isEmpty()) {
    throw component::Error(
        kNoDatabaseGiven, ErrorSource(),
        QStringLiteral("No database was given: name a database file or give a connect string"));
  }
  for (const Driver* driver : AllDrivers()) {
    if (driver->Accepts(request)) return driver->Open(request);
  }
  throw component::Error(kUnknownConnectString, ErrorSource(),
                         QStringLiteral("No driver understands the connect string '%1'")
                             .arg(MaskPasswords(request.connect_string)));
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

DataEngine& DataEngine::Instance() {
  static DataEngine engine;
  return engine;
}

}  // namespace dataaccess
