#include "dataaccess/server/server_driver.h"

#include "dataaccess/connect_string_mask.h"

namespace dataaccess {

std::unique_ptr<CatalogConnection> ServerDriver::Open(const ConnectRequest& request) const {
  const ServerSession session = engine_.connect(request);
  const QString database = session.database_name();
  auto connection =
      std::make_unique<CatalogConnection>(engine_.reopen_string(request, database), database);
  session.read_catalog(MaskPasswords(connection->ConnectString()), connection->MutableTables());
  return connection;
}

}  // namespace dataaccess
