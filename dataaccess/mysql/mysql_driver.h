// The MySQL/MariaDB driver: accepts "mysql://…" and "mariadb://…" URIs (see mysql_session.h),
// opens a read-only session, reads the database's catalog and ends the session at once.
// DatabaseName is the server's name of the database.
#ifndef VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_
#define VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_

#include "dataaccess/mysql/mysql_export.h"
#include "dataaccess/server/server_driver.h"

namespace dataaccess {

MYSQL_ENGINE_EXPORT ServerEngine MysqlEngine();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_MYSQL_MYSQL_DRIVER_H_
