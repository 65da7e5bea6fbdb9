#include "dataaccess/mysql/mysql_driver.h"

#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  auto mysql = std::make_shared<MysqlConnection>(OpenMysqlSession(request));
  return {[mysql] { return MysqlDatabaseName(mysql->get()); },
          [mysql](const QString& target, CatalogTables& tables) {
            ReadMysqlCatalog(mysql->get(), target, tables);
          }};
}

}  // namespace

ServerEngine MysqlEngine() { return {"MySQL", IsMysqlConnectString, Connect, MysqlReopenString}; }

}  // namespace dataaccess
