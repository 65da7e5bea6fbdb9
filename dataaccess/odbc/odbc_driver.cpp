#include "dataaccess/odbc/odbc_driver.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"

namespace dataaccess {

bool OdbcDriver::Accepts(const ConnectRequest& request) const {
  return IsOdbcConnectString(request.connect_string);
}

std::unique_ptr<CatalogConnection> OdbcDriver::Open(const ConnectRequest& request) const {
  const std::unique_ptr<OdbcSession> session = OpenOdbcSession(request);
  auto connection =
      std::make_unique<CatalogConnection>(OdbcReopenString(request), session->CurrentDatabase());
  ReadOdbcCatalog(*session, MaskPasswords(connection->ConnectString()),
                  connection->MutableTables());
  return connection;
}

}  // namespace dataaccess
