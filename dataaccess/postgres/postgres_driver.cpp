#include "dataaccess/postgres/postgres_driver.h"

#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  auto conn = std::make_shared<PgConnection>(OpenPostgresSession(request));
  return {[conn] { return QString::fromUtf8(PQdb(conn->get())); },
          [conn](const QString& target, CatalogTables& tables) {
            ReadPostgresCatalog(conn->get(), target, tables);
          }};
}

}  // namespace

ServerEngine PostgresEngine() {
  return {"PostgreSQL", IsPostgresConnectString, Connect, PostgresReopenString};
}

}  // namespace dataaccess
