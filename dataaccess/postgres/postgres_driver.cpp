#include "dataaccess/postgres/postgres_driver.h"

#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"

namespace dataaccess {
namespace {

class PostgresSession final : public ServerSession {
 public:
  explicit PostgresSession(PgConnection conn) : conn_(std::move(conn)) {}
  QString DatabaseName() const override { return QString::fromUtf8(PQdb(conn_.get())); }
  void ReadCatalog(const QString& target, CatalogTables& tables) const override {
    ReadPostgresCatalog(conn_.get(), target, tables);
  }

 private:
  PgConnection conn_;
};

}  // namespace

bool PostgresDriver::Accepts(const ConnectRequest& request) const {
  return IsPostgresConnectString(request.connect_string);
}

std::unique_ptr<ServerSession> PostgresDriver::Connect(const ConnectRequest& request) const {
  return std::make_unique<PostgresSession>(OpenPostgresSession(request));
}

QString PostgresDriver::ReopenString(const ConnectRequest& request, const QString& database) const {
  return PostgresReopenString(request, database);
}

}  // namespace dataaccess
