#include "dataaccess/driver.h"
#include "dataaccess/sqlite/sqlite_driver.h"

namespace dataaccess {

const std::vector<const Driver*>& AllDrivers() {
  static const SqliteDriver sqlite;
  static const std::vector<const Driver*> drivers = {&sqlite};
  return drivers;
}

}  // namespace dataaccess
