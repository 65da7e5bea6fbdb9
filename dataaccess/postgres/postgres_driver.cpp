#include "dataaccess/postgres/postgres_driver.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"

namespace dataaccess {

bool PostgresDriver::Accepts(const ConnectRequest& request) const {
  return IsPostgresConnectString(request.connect_string);
}

CatalogRead PostgresDriver::Connect(const ConnectRequest& request) const {
  PgConnection session = OpenPostgresSession(request);
  const QString database = QString::fromUtf8(PQdb(session.get()));
  auto connection =
      std::make_unique<CatalogConnection>(PostgresReopenString(request, database), database);
  return CatalogRead([session = std::move(session), connection = std::move(connection)]() mutable {
    ReadPostgresCatalog(session.get(), MaskPasswords(connection->ConnectString()),
                        connection->MutableTables());
    session.reset();
    return std::move(connection);
  });
}

}  // namespace dataaccess
