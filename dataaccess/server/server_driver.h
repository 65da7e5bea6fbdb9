// The driver of every server engine: connect and ask the session which database it is on (on the
// calling thread), then read the catalog and end the session (in the returned read). An engine
// supplies only the functions of a ServerEngine.
#ifndef VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_
#define VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_

#include <QString>
#include <functional>
#include <memory>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/drivers/driver.h"

namespace dataaccess {

// A logged-in, read-only session. The functions share the engine's handle; the session ends
// when the last copy of them is destroyed.
struct ServerSession {
  // The database the session is open on.
  std::function<QString()> database_name;
  // Reads the whole catalog into `tables`; `target` names the database in error descriptions.
  // Throws kCatalogUnreadable.
  std::function<void(const QString& target, CatalogTables& tables)> read_catalog;
  // The engine that defined the catalog, as DataConnection::Engine names it.
  std::function<QString()> engine;
  // Once the catalog is read: the ObjectKind bits of what the read could tell. Unset: none.
  std::function<int()> object_kinds{};
  // Once the catalog is read: what it found of the database besides its tables (called once,
  // it may give its value away). Unset: nothing.
  std::function<DatabaseObjects()> database_objects{};
};

// What is truly one engine's own.
struct ServerEngine {
  const char* name;
  // True when the connect string is of the engine's form.
  bool (*accepts)(const QString& connect_string);
  // Logs in as the engine's session functions say; throws their connect errors.
  ServerSession (*connect)(const ConnectRequest& request);
  // The connect string that reopens `database`, the one the session is open on.
  QString (*reopen_string)(const ConnectRequest& request, const QString& database);
};

class ScratchSession;

// How an engine opens a database a user gave to write in (dataaccess/scratch_server.h); its
// library exports it as "ENGINE_scratch" (vantrel_postgres_scratch).
struct ScratchEngine {
  std::unique_ptr<ScratchSession> (*open)(const ConnectRequest& request);
};

class ServerDriver final : public Driver {
 public:
  explicit ServerDriver(const ServerEngine& engine) : engine_(engine) {}
  QString Name() const override { return QString::fromLatin1(engine_.name); }
  bool Accepts(const ConnectRequest& request) const override {
    return engine_.accepts(request.connect_string);
  }
  CatalogRead Connect(const ConnectRequest& request) const override;

 private:
  ServerEngine engine_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_
