#include "dataaccess/connect_string_forms.h"
#include "dataaccess/drivers/driver.h"
#include "dataaccess/drivers/engine_library.h"
#include "dataaccess/odbc_sources.h"
#include "dataaccess/snapshot/snapshot_driver.h"
#include "dataaccess/sqlite/sqlite_driver.h"
#include "platform/component/error.h"

namespace dataaccess {

const std::vector<const Driver*>& AllDrivers() {
  static const EngineLibraryDriver postgres(kPostgresLibrary, MightBePostgres);
  static const EngineLibraryDriver mysql(kMysqlLibrary, IsMysqlConnectString);
  static const EngineLibraryDriver odbc(kOdbcLibrary, IsOdbcConnectString);
  static const SnapshotDriver snapshot;
  static const SqliteDriver sqlite;
  static const std::vector<const Driver*> drivers = {&postgres, &mysql, &odbc, &snapshot, &sqlite};
  return drivers;
}

QStringList OdbcDataSourceNames() noexcept {
  try {
    using Names = void (*)(QStringList*);
    QStringList names;
    reinterpret_cast<Names>(ResolveInEngineLibrary(kOdbcLibrary, "vantrel_odbc_data_source_names"))(
        &names);
    return names;
  } catch (const component::Error&) {
    return {};  // no driver manager: no data sources to offer
  }
}

}  // namespace dataaccess
