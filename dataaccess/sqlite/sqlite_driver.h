// The SQLite driver, the library's embedded default: opens a database file strictly read-only
// and reads its catalog in one query.
//
// Accepts "sqlite:PATH" and any bare path; it declines strings that carry another URI scheme
// ("postgresql://…") or an ODBC prefix, so a mistyped server address is not taken for a file.
// A relative PATH is resolved against the working directory, and the connection reports
// "sqlite:" + the absolute path as its ConnectString and the file's name without its last
// extension as its DatabaseName.
#ifndef VANTREL_DATAACCESS_SQLITE_SQLITE_DRIVER_H_
#define VANTREL_DATAACCESS_SQLITE_SQLITE_DRIVER_H_

#include "dataaccess/dataaccess_export.h"
#include "dataaccess/drivers/driver.h"

namespace dataaccess {

class DATAACCESS_EXPORT SqliteDriver final : public Driver {
 public:
  QString Name() const override { return QStringLiteral("SQLite"); }
  bool Accepts(const ConnectRequest& request) const override;
  CatalogRead Connect(const ConnectRequest& request) const override;
};

// The absolute path of the file `connect_string` names ("sqlite:PATH", "sqlite://PATH" or PATH);
// a connection to it reports "sqlite:" + this path as its ConnectString.
QString SqliteFilePath(const QString& connect_string);

// Copies the database at `path` into the new SQLite file `destination` through SQLite's backup
// API, reading it as a catalog is read (strictly read-only, its side files untouched). Throws
// component::Error as reading its catalog would, or kScratchFailed when the copy fails.
void CopySqliteDatabase(const QString& path, const QString& destination);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SQLITE_SQLITE_DRIVER_H_
