// The MySQL/MariaDB driver: accepts "mysql://…" and "mariadb://…" URIs (see mysql_session.h),
// opens a read-only session, reads the database's catalog and ends the session at once.
// DatabaseName is the server's name of the database.
#ifndef VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_
#define VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_

#include "dataaccess/driver.h"

namespace dataaccess {

class MysqlDriver final : public Driver {
 public:
  bool Accepts(const ConnectRequest& request) const override;
  CatalogRead Connect(const ConnectRequest& request) const override;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_
