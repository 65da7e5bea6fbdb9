// Checks made on an SQLite file before SQLite sees it, so that a wrong file is reported as what
// it is (missing, a folder, empty, not a database, truncated) instead of as a vague failure, and
// so that SQLite is never handed a path it might treat as a new, empty database.
#ifndef VANTREL_DATAACCESS_SQLITE_SQLITE_FILE_CHECK_H_
#define VANTREL_DATAACCESS_SQLITE_SQLITE_FILE_CHECK_H_

#include <QString>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// What the header says of a file that passed the checks.
struct SqliteFileFacts {
  bool wal_mode = false;  // the database keeps its recent changes in a -wal file beside it
};

// Throws component::Error (53, 75, kNotADatabase or kDatabaseDamaged) naming `path` when the
// file cannot be an intact SQLite database; returns what its header says otherwise.
DATAACCESS_EXPORT SqliteFileFacts CheckSqliteFile(const QString& path);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SQLITE_SQLITE_FILE_CHECK_H_
