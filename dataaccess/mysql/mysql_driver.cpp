#include "dataaccess/mysql/mysql_driver.h"

#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  QString database;
  auto mysql = std::make_shared<MysqlConnection>(OpenMysqlSession(request, &database));
  return {[database] { return database; },
          [mysql](const QString& target, CatalogTables& tables) {
            ReadMysqlCatalog(mysql->get(), target, tables);
          }};
}

}  // namespace

ServerEngine MysqlEngine() { return {"MySQL", IsMysqlConnectString, Connect, MysqlReopenString}; }

}  // namespace dataaccess

// What the data-access library looks up when it loads this engine's library.
extern "C" __attribute__((visibility("default"))) const dataaccess::ServerEngine*
vantrel_mysql_engine() {
  static const dataaccess::ServerEngine engine = dataaccess::MysqlEngine();
  return &engine;
}
