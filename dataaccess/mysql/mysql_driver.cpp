#include "dataaccess/mysql/mysql_driver.h"
#include "dataaccess/catalog/type_kinds.h"

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  QString database;
  auto mysql = std::make_shared<MysqlConnection>(OpenMysqlSession(request, &database));
  auto kinds = std::make_shared<int>(0);
  auto database_objects = std::make_shared<DatabaseObjects>();
  return {[database] { return database; },
          [mysql, kinds, database_objects, asked = MysqlObjectKindsAsked(request.options)](
              const QString& target, CatalogTables& tables) {
            *kinds = ReadMysqlCatalog(mysql->get(), target, tables, asked, database_objects.get());
          },
          [] { return EngineName(TypeDialect::kMysql); }, [kinds] { return *kinds; },
          [database_objects] { return std::move(*database_objects); }};
}

}  // namespace

ServerEngine MysqlEngine() { return {"MySQL", IsMysqlConnectString, Connect, MysqlReopenString}; }

}  // namespace dataaccess

// What the data-access library looks up when it loads this engine's library.
extern "C" __attribute__((visibility("default"))) const dataaccess::ServerEngine*
vantrel_mysql_engine() {
  static const dataaccess::ServerEngine engine = [] {
    // Once, when the library is loaded: the client library sets up TLS and reads its defaults
    // here, the slow part of a first mysql_init, and a load ahead of need then covers it too.
    mysql_library_init(0, nullptr, nullptr);
    return dataaccess::MysqlEngine();
  }();
  return &engine;
}
