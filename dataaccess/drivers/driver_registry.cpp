#include "dataaccess/drivers/driver.h"
#include "dataaccess/mysql/mysql_driver.h"
#include "dataaccess/odbc/odbc_driver.h"
#include "dataaccess/postgres/postgres_driver.h"
#include "dataaccess/sqlite/sqlite_driver.h"

namespace dataaccess {

const std::vector<const Driver*>& AllDrivers() {
  static const PostgresDriver postgres;
  static const MysqlDriver mysql;
  static const OdbcDriver odbc;
  static const SqliteDriver sqlite;
  static const std::vector<const Driver*> drivers = {&postgres, &mysql, &odbc, &sqlite};
  return drivers;
}

}  // namespace dataaccess
