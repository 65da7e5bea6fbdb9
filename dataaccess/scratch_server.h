// A database on a PostgreSQL or MySQL/MariaDB server that a user gives Vantrel to write in: a
// migration script is proven there before anyone runs it on the database it is for. It is the
// one server session Vantrel opens for writing, and only on the database the user named for it.
//
// Threads: one thread at a time.
#ifndef VANTREL_DATAACCESS_SCRATCH_SERVER_H_
#define VANTREL_DATAACCESS_SCRATCH_SERVER_H_

#include <QString>
#include <memory>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

class DATAACCESS_EXPORT ScratchSession {
 public:
  virtual ~ScratchSession() = default;
  // Runs one SQL statement; empty on success, otherwise the server's message.
  virtual QString Run(const QString& statement) = 0;
  // The number of tables, views, sequences and (PostgreSQL) enum types in the database
  // (PostgreSQL: outside its own schemas); -1 when they cannot be counted.
  virtual qint64 ObjectCount() = 0;
  // Drops every table, view, sequence and enum type of the database; empty on success, otherwise
  // why not.
  virtual QString DropEverything() = 0;
};

// Opens the database `connect_string` names (a PostgreSQL or MySQL/MariaDB connect string, as a
// comparison takes it) for writing, asking for a password as a comparison's open does. Throws
// component::Error as that open would, and kUnknownConnectString for another engine's string.
DATAACCESS_EXPORT std::unique_ptr<ScratchSession> OpenScratchDatabase(
    const QString& connect_string);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SCRATCH_SERVER_H_
