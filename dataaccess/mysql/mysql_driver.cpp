#include "dataaccess/mysql/mysql_driver.h"

#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {
namespace {

class MysqlSession final : public ServerSession {
 public:
  explicit MysqlSession(MysqlConnection mysql) : mysql_(std::move(mysql)) {}
  QString DatabaseName() const override { return MysqlDatabaseName(mysql_.get()); }
  void ReadCatalog(const QString& target, CatalogTables& tables) const override {
    ReadMysqlCatalog(mysql_.get(), target, tables);
  }

 private:
  MysqlConnection mysql_;
};

}  // namespace

bool MysqlDriver::Accepts(const ConnectRequest& request) const {
  return IsMysqlConnectString(request.connect_string);
}

std::unique_ptr<ServerSession> MysqlDriver::Connect(const ConnectRequest& request) const {
  return std::make_unique<MysqlSession>(OpenMysqlSession(request));
}

QString MysqlDriver::ReopenString(const ConnectRequest& request, const QString& database) const {
  return MysqlReopenString(request, database);
}

}  // namespace dataaccess
