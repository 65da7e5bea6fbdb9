#include "dataaccess/postgres/postgres_driver.h"
#include "dataaccess/catalog/type_kinds.h"

#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  auto conn = std::make_shared<PgConnection>(OpenPostgresSession(request));
  auto kinds = std::make_shared<int>(0);
  return {[conn] { return QString::fromUtf8(PQdb(conn->get())); },
          [conn, kinds](const QString& target, CatalogTables& tables) {
            *kinds = ReadPostgresCatalog(conn->get(), target, tables);
          },
          [] { return EngineName(TypeDialect::kPostgres); }, [kinds] { return *kinds; }};
}

}  // namespace

ServerEngine PostgresEngine() {
  return {"PostgreSQL", IsPostgresConnectString, Connect, PostgresReopenString};
}

}  // namespace dataaccess

// What the data-access library looks up when it loads this engine's library.
extern "C" __attribute__((visibility("default"))) const dataaccess::ServerEngine*
vantrel_postgres_engine() {
  static const dataaccess::ServerEngine engine = dataaccess::PostgresEngine();
  return &engine;
}
