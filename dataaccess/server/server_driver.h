// The driver of every server engine: connect, ask the session which database it is on, read the
// catalog, end the session. An engine supplies only how to connect and how to reach the same
// database again.
#ifndef VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_
#define VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_

#include <QString>
#include <memory>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/drivers/driver.h"

namespace dataaccess {

// A logged-in, read-only session; destroying it ends the session.
class ServerSession {
 public:
  virtual ~ServerSession() = default;
  // The database the session is open on.
  virtual QString DatabaseName() const = 0;
  // Reads the whole catalog into `tables`; `target` names the database in error descriptions.
  // Throws kCatalogUnreadable.
  virtual void ReadCatalog(const QString& target, CatalogTables& tables) const = 0;
};

class ServerDriver : public Driver {
 public:
  std::unique_ptr<CatalogConnection> Open(const ConnectRequest& request) const final;

 protected:
  // Logs in as the engine's session functions say; throws their connect errors.
  virtual std::unique_ptr<ServerSession> Connect(const ConnectRequest& request) const = 0;
  // The connect string that reopens `database`, the one the session is open on.
  virtual QString ReopenString(const ConnectRequest& request, const QString& database) const = 0;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_SERVER_DRIVER_H_
