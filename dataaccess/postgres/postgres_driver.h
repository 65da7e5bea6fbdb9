// The PostgreSQL driver: accepts libpq URIs ("postgresql://…", "postgres://…") and libpq keyword
// strings ("host=… dbname=…"), opens a read-only session, reads the whole catalog and ends the
// session at once. DatabaseName is the server's name of the database.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_

#include "dataaccess/server/server_driver.h"

namespace dataaccess {

class PostgresDriver final : public ServerDriver {
 public:
  bool Accepts(const ConnectRequest& request) const override;

 protected:
  std::unique_ptr<ServerSession> Connect(const ConnectRequest& request) const override;
  QString ReopenString(const ConnectRequest& request, const QString& database) const override;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
