#include "dataaccess/odbc/odbc_driver.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"

namespace dataaccess {

bool OdbcDriver::Accepts(const ConnectRequest& request) const {
  return IsOdbcConnectString(request.connect_string);
}

CatalogRead OdbcDriver::Connect(const ConnectRequest& request) const {
  std::unique_ptr<OdbcSession> session = OpenOdbcSession(request);
  auto connection =
      std::make_unique<CatalogConnection>(OdbcReopenString(request), session->CurrentDatabase());
  return CatalogRead([session = std::move(session), connection = std::move(connection)]() mutable {
    ReadOdbcCatalog(*session, MaskPasswords(connection->ConnectString()),
                    connection->MutableTables());
    session.reset();
    return std::move(connection);
  });
}

}  // namespace dataaccess
