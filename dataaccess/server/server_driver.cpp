#include "dataaccess/server/server_driver.h"

#include "dataaccess/connect_string_mask.h"

namespace dataaccess {

CatalogRead ServerDriver::Connect(const ConnectRequest& request) const {
  ServerSession session = engine_.connect(request);
  const QString database = session.database_name();
  auto connection =
      std::make_unique<CatalogConnection>(engine_.reopen_string(request, database), database);
  connection->SetEngine(session.engine());
  return CatalogRead([session = std::move(session), connection = std::move(connection)]() mutable {
    session.read_catalog(MaskPasswords(connection->ConnectString()), connection->MutableTables());
    if (session.object_kinds) connection->SetObjectKinds(session.object_kinds());
    if (session.database_objects) connection->MutableObjects() = session.database_objects();
    session = ServerSession();  // ends the session as soon as the catalog is read
    return std::move(connection);
  });
}

}  // namespace dataaccess
