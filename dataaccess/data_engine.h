// Entry to the data-access library: one DataEngine per process, whose environment 0 opens every
// connection.
//
// Threads: each connection is opened and used from one thread at a time, and several threads may
// each open and use connections of their own at once (the fleet check's workers do, without
// prompting). The installed ConnectionPrompter is called on the thread that opens a connection
// that asks for a prompt. BeginOpenConnection reads a catalog on a worker thread of the
// library's own until PendingConnection::Take returns it; nothing else leaves a thread running
// after a call returns.
#ifndef VANTREL_DATAACCESS_DATA_ENGINE_H_
#define VANTREL_DATAACCESS_DATA_ENGINE_H_

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// How OpenConnection may involve the user when the connect string lacks something.
enum PromptMode : int32_t {
  kPromptComplete = 0,          // ask only when something is missing
  kPromptNever = 1,             // never ask; fail instead
  kPromptAlways = 2,            // always show the connection dialog
  kPromptCompleteRequired = 3,  // ask only for what is required, nothing optional
};

// The `options` of OpenConnection are the ObjectKind bits (table_objects.h) of the objects the
// caller will look at: the same bits a comparison is asked to compare. With none, the drivers of
// SQLite, PostgreSQL, MySQL, MariaDB and ODBC read the columns alone, and the connection's
// ObjectKinds is 0; a snapshot is read whole, with the objects it holds. With any, every driver
// reads every kind it can tell, except that a driver whose server opens every table to list
// them (MySQL and MariaDB) leaves out keys and indexes, or foreign keys and checks, where none of
// the two is asked for, and the connection's ObjectKinds says that it did.
inline constexpr int32_t kReadEveryObject = kAllObjectKinds | kPostgresObjectKinds;

// An open that has reached its database and reads the catalog on a worker thread.
class DATAACCESS_EXPORT PendingConnection {
 public:
  virtual ~PendingConnection() = default;
  // Waits for the read and returns the connection. Throws what the read threw, as
  // OpenConnection would have. Call once.
  virtual std::unique_ptr<DataConnection> Take() = 0;
};

class DATAACCESS_EXPORT DataEnvironment {
 public:
  // Opens a database and reads its whole catalog.
  //
  // `connect_string` says how to reach the database:
  //   "sqlite:PATH" or a bare PATH                 an SQLite file
  //   "snapshot:PATH", or a bare PATH of a file    a snapshot (snapshot.h)
  //     that starts as JSON
  //   "postgresql://…", "host=… dbname=…"          PostgreSQL (postgres/postgres_session.h)
  //   "mysql://…", "mariadb://…"                   MySQL or MariaDB (mysql/mysql_session.h)
  //   "ODBC;DSN=…", "DSN=…", "DRIVER={…};…"        an ODBC data source (odbc/odbc_session.h)
  // When `connect_string` is empty, `name` is taken as the connect string. When both are given,
  // the connect string decides how to reach the server, and for a server engine a non-empty
  // `name` names the database on it. Either way OpenConnection(c.DatabaseName(), p, r,
  // c.ConnectString()) reopens the database of any connection c, and so does c.ConnectString()
  // alone.
  //
  // Every database is opened read-only, whatever `read_only` says: nothing the library does
  // can change or create a database. `options` are the ObjectKind bits of the objects to read
  // (below).
  //
  // `prompt` says whether the installed ConnectionPrompter (connection_prompter.h) may be asked,
  // on the calling thread, for what is missing. With neither a connect string nor a name,
  // kPromptComplete and kPromptAlways ask it to choose a database and open the choice (its
  // password for this open only); the other modes, or no prompter, fail with kNoDatabaseGiven.
  // When a PostgreSQL or MySQL server wants a password that nothing supplied, kPromptComplete,
  // kPromptAlways and kPromptCompleteRequired ask for it, up to three times while the server
  // refuses it; kPromptNever, or no prompter, fails with kLoginFailed. A password typed there never
  // becomes part of the connection's ConnectString().
  //
  // Throws component::Error: 53 (file not found), 75 (file cannot be read), or one of
  // dataaccess/errors.h (servers: kConnectFailed, kConnectTimeout, kLoginFailed,
  // kUnknownDatabase, kDriverMissing, kUnknownConnectString; the prompt: kPromptCancelled). The
  // description names the database and never holds a password.
  std::unique_ptr<DataConnection> OpenConnection(const QString& name,
                                                 int32_t prompt = kPromptComplete,
                                                 bool read_only = false,
                                                 const QString& connect_string = QString(),
                                                 int32_t options = 0) const;

  // OpenConnection in two steps: reaches the database on the calling thread (where the prompter
  // is asked, as OpenConnection says) and throws as it would when the database cannot be
  // reached or refuses the login; then reads the catalog on a worker thread while the caller
  // goes on. Destroying the result waits for the read and discards the connection.
  std::unique_ptr<PendingConnection> BeginOpenConnection(const QString& name,
                                                         int32_t prompt = kPromptComplete,
                                                         bool read_only = false,
                                                         const QString& connect_string = QString(),
                                                         int32_t options = 0) const;
};

class DATAACCESS_EXPORT EnvironmentCollection {
 public:
  EnvironmentCollection();
  int32_t Count() const { return static_cast<int32_t>(environments_.size()); }
  // Throws 9 (subscript out of range) for an index other than 0.
  DataEnvironment& Item(int32_t index) const;

 private:
  std::vector<std::unique_ptr<DataEnvironment>> environments_;
};

class DATAACCESS_EXPORT DataEngine {
 public:
  // The process's engine, created on first use and kept until the process ends.
  static DataEngine& Instance();
  EnvironmentCollection& Environments() { return environments_; }

 private:
  DataEngine() = default;
  EnvironmentCollection environments_;
};

// Starts, on another thread, the set-up that opening `connect_string` would otherwise begin
// with: loading the server engine's client library takes several milliseconds, which can overlap
// the caller's own start-up. Does nothing for files, snapshots and strings no engine takes.
// Never throws: a library that cannot be loaded is reported by the open that needs it.
DATAACCESS_EXPORT void PrepareToConnect(const QString& connect_string) noexcept;

// Waits until what PrepareToConnect started has finished. A program that prepared must call it
// before it exits: a client library's own exit handlers (OpenSSL's) may otherwise tear down what
// a load still running is setting up, and the process dies at exit. Never throws.
DATAACCESS_EXPORT void FinishPreparingToConnect() noexcept;

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_DATA_ENGINE_H_
