// The PostgreSQL driver: accepts libpq URIs ("postgresql://…", "postgres://…") and libpq keyword
// strings ("host=… dbname=…"), opens a read-only session, reads the whole catalog and ends the
// session at once. DatabaseName is the server's name of the database.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_

#include "dataaccess/driver.h"

namespace dataaccess {

class PostgresDriver final : public Driver {
 public:
  bool Accepts(const ConnectRequest& request) const override;
  CatalogRead Connect(const ConnectRequest& request) const override;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_DRIVER_H_
