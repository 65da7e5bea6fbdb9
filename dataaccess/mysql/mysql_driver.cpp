#include "dataaccess/mysql/mysql_driver.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"

namespace dataaccess {

bool MysqlDriver::Accepts(const ConnectRequest& request) const {
  return IsMysqlConnectString(request.connect_string);
}

CatalogRead MysqlDriver::Connect(const ConnectRequest& request) const {
  MysqlConnection session = OpenMysqlSession(request);
  const QString database = MysqlDatabaseName(session.get());
  auto connection =
      std::make_unique<CatalogConnection>(MysqlReopenString(request, database), database);
  return CatalogRead([session = std::move(session), connection = std::move(connection)]() mutable {
    ReadMysqlCatalog(session.get(), MaskPasswords(connection->ConnectString()),
                     connection->MutableTables());
    session.reset();
    return std::move(connection);
  });
}

}  // namespace dataaccess
