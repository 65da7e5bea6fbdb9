#include "dataaccess/server/server_driver.h"

#include "dataaccess/connect_string_mask.h"

namespace dataaccess {

std::unique_ptr<CatalogConnection> ServerDriver::Open(const ConnectRequest& request) const {
  const std::unique_ptr<ServerSession> session = Connect(request);
  const QString database = session->DatabaseName();
  auto connection = std::make_unique<CatalogConnection>(ReopenString(request, database), database);
  session->ReadCatalog(MaskPasswords(connection->ConnectString()), connection->MutableTables());
  return connection;
}

}  // namespace dataaccess
