#include "dataaccess/drivers/driver.h"
#include "dataaccess/mysql/mysql_driver.h"
#include "dataaccess/odbc/odbc_driver.h"
#include "dataaccess/postgres/postgres_driver.h"
#include "dataaccess/snapshot/snapshot_driver.h"
#include "dataaccess/sqlite/sqlite_driver.h"

namespace dataaccess {

const std::vector<const Driver*>& AllDrivers() {
  static const ServerDriver postgres(PostgresEngine());
  static const ServerDriver mysql(MysqlEngine());
  static const ServerDriver odbc(OdbcEngine());
  static const SnapshotDriver snapshot;
  static const SqliteDriver sqlite;
  static const std::vector<const Driver*> drivers = {&postgres, &mysql, &odbc, &snapshot, &sqlite};
  return drivers;
}

}  // namespace dataaccess
