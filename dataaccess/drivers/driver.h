// What one engine's driver offers the library. Drivers are internal: callers go through
// DataEnvironment::OpenConnection, which picks the first driver that accepts the request.
#ifndef VANTREL_DATAACCESS_DRIVERS_DRIVER_H_
#define VANTREL_DATAACCESS_DRIVERS_DRIVER_H_

#include <QString>
#include <memory>
#include <vector>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

struct ConnectRequest {
  QString name;            // as passed to OpenConnection
  QString connect_string;  // the connect string, or `name` when none was passed
  int32_t prompt = 0;
  // A password the user gave through the prompter, for this connection only: drivers pass it to
  // the server and never write it into a connect string or a message. Empty when none was given.
  QString password{};
  int32_t options = 0;  // the ObjectKind bits asked for (data_engine.h)
};

// What is left of an open once the driver has reached the database: reading its catalog. Runs
// once, on any one thread; it owns whatever session the driver opened and ends it.
class DATAACCESS_EXPORT CatalogRead {
 public:
  template <class Read>
  explicit CatalogRead(Read read) : read_(std::make_unique<Holder<Read>>(std::move(read))) {}
  std::unique_ptr<CatalogConnection> operator()() { return read_->Run(); }

 private:
  struct Base {
    virtual ~Base() = default;
    virtual std::unique_ptr<CatalogConnection> Run() = 0;
  };
  template <class Read>
  struct Holder final : Base {
    explicit Holder(Read r) : read(std::move(r)) {}
    std::unique_ptr<CatalogConnection> Run() override { return read(); }
    Read read;
  };
  std::unique_ptr<Base> read_;
};

class DATAACCESS_EXPORT Driver {
 public:
  virtual ~Driver() = default;
  // The engine's name, as messages and tests call it.
  virtual QString Name() const = 0;
  // True when the connect string is of this driver's form.
  virtual bool Accepts(const ConnectRequest& request) const = 0;
  // Starts, on another thread, the slow set-up that a connection to `connect_string` would need
  // first, when this driver may take it. Never throws.
  virtual void Prepare(const QString& /*connect_string*/) const noexcept {}
  // Reaches the database read-only on the calling thread, asking the installed prompter for a
  // password there when needed, and throws what keeps it from being reached (missing file,
  // refused connection or login). The returned read takes the whole catalog and ends the
  // session; it may run on another thread.
  virtual CatalogRead Connect(const ConnectRequest& request) const = 0;
  // Connect, then the read, on the calling thread.
  std::unique_ptr<CatalogConnection> Open(const ConnectRequest& request) const {
    return Connect(request)();
  }
};

// Every driver, most specific first; the last one accepts any request.
DATAACCESS_EXPORT const std::vector<const Driver*>& AllDrivers();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_DRIVERS_DRIVER_H_
