#include "dataaccess/mysql/mysql_driver.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {

bool MysqlDriver::Accepts(const ConnectRequest& request) const {
  return IsMysqlConnectString(request.connect_string);
}

std::unique_ptr<CatalogConnection> MysqlDriver::Open(const ConnectRequest& request) const {
  MysqlConnection session = OpenMysqlSession(request);
  const QString database = MysqlDatabaseName(session.get());
  auto connection =
      std::make_unique<CatalogConnection>(MysqlReopenString(request, database), database);
  ReadMysqlCatalog(session.get(), MaskPasswords(connection->ConnectString()),
                   connection->MutableTables());
  return connection;
}

}  // namespace dataaccess
