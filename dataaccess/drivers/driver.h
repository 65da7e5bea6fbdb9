// What one engine's driver offers the library. Drivers are internal: callers go through
// DataEnvironment::OpenConnection, which picks the first driver that accepts the request.
#ifndef VANTREL_DATAACCESS_DRIVERS_DRIVER_H_
#define VANTREL_DATAACCESS_DRIVERS_DRIVER_H_

#include <QString>
#include <memory>
#include <vector>

#include "dataaccess/catalog/catalog.h"

namespace dataaccess {

struct ConnectRequest {
  QString name;            // as passed to OpenConnection
  QString connect_string;  // the connect string, or `name` when none was passed
  int32_t prompt = 0;
  // A password the user gave through the prompter, for this connection only: drivers pass it to
  // the server and never write it into a connect string or a message. Empty when none was given.
  QString password{};
};

class Driver {
 public:
  virtual ~Driver() = default;
  // The engine's name, as messages and tests call it.
  virtual QString Name() const = 0;
  // True when the connect string is of this driver's form.
  virtual bool Accepts(const ConnectRequest& request) const = 0;
  // Opens the database read-only, reads its whole catalog and ends the session.
  virtual std::unique_ptr<CatalogConnection> Open(const ConnectRequest& request) const = 0;
};

// Every driver, most specific first; the last one accepts any request.
const std::vector<const Driver*>& AllDrivers();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_DRIVERS_DRIVER_H_
