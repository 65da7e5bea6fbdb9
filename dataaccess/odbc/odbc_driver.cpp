#include "dataaccess/odbc/odbc_driver.h"

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"
#include "dataaccess/odbc/odbc_sources_reader.h"

namespace dataaccess {
namespace {

ServerSession Connect(const ConnectRequest& request) {
  std::shared_ptr<OdbcSession> session = OpenOdbcSession(request);
  auto kinds = std::make_shared<int>(0);
  return {[session] { return session->CurrentDatabase(); },
          [session, kinds, objects = request.options != 0](const QString& target,
                                                           CatalogTables& tables) {
            *kinds = ReadOdbcCatalog(*session, target, tables, objects);
          },
          [session] {
            // Types are read in the dialect of the database system behind the driver.
            const QString dbms = session->Info(SQL_DBMS_NAME);
            const QString engine = EngineName(DialectOfDbms(dbms));
            return engine.isEmpty() ? dbms.toLower() : engine;
          },
          [kinds] { return *kinds; }};
}

// The session stays on the database the request names, so the request says how to reopen it.
QString ReopenString(const ConnectRequest& request, const QString&) {
  return OdbcReopenString(request);
}

}  // namespace

ServerEngine OdbcEngine() { return {"ODBC", IsOdbcConnectString, Connect, ReopenString}; }

}  // namespace dataaccess

// What the data-access library looks up when it loads this engine's library.
extern "C" __attribute__((visibility("default"))) const dataaccess::ServerEngine*
vantrel_odbc_engine() {
  static const dataaccess::ServerEngine engine = dataaccess::OdbcEngine();
  return &engine;
}

extern "C" __attribute__((visibility("default"))) void vantrel_odbc_data_source_names(
    QStringList* names) {
  *names = dataaccess::ReadOdbcDataSourceNames();
}
