// The server engines live in shared libraries of their own (libvantrel_postgres.so,
// libvantrel_mysql.so, libvantrel_odbc.so, beside the data-access library), each loaded the first
// time a connect string of its engine comes by. A run on SQLite files or snapshots then never
// loads libpq, libmariadb or unixODBC and what those bring along (TLS, Kerberos, LDAP): about
// half of the process's start-up work and 7 MB of its memory.
//
// Each engine library exports `extern "C" const dataaccess::ServerEngine* ENTRY()`.
#ifndef VANTREL_DATAACCESS_DRIVERS_ENGINE_LIBRARY_H_
#define VANTREL_DATAACCESS_DRIVERS_ENGINE_LIBRARY_H_

#include <QString>

#include "dataaccess/dataaccess_export.h"
#include "dataaccess/drivers/driver.h"
#include "dataaccess/server/server_driver.h"

namespace dataaccess {

struct EngineLibrary {
  const char* engine;  // as messages name it: "PostgreSQL"
  const char* file;    // "libvantrel_postgres.so"
  const char* entry;   // "vantrel_postgres_engine"
  const char* client;  // the Debian package of the engine's client library: "libpq5"
};

// The engine libraries: the one place their files, entries and client packages are named.
inline constexpr EngineLibrary kPostgresLibrary = {"PostgreSQL", "libvantrel_postgres.so",
                                                   "vantrel_postgres_engine", "libpq5"};
inline constexpr EngineLibrary kMysqlLibrary = {"MySQL", "libvantrel_mysql.so",
                                                "vantrel_mysql_engine", "libmariadb3"};
inline constexpr EngineLibrary kOdbcLibrary = {"ODBC", "libvantrel_odbc.so", "vantrel_odbc_engine",
                                               "unixodbc"};

// The address of `symbol` in the engine's library, loading it on first use; throws
// kDriverMissing naming the engine and the library when it cannot be loaded. Thread-safe.
DATAACCESS_EXPORT void* ResolveInEngineLibrary(const EngineLibrary& library, const char* symbol);

// Loads the engine's library and runs its entry on another thread, so that the load overlaps
// whatever the caller does next; a later ResolveInEngineLibrary waits for it. A library that
// cannot be loaded is left for ResolveInEngineLibrary to report.
DATAACCESS_EXPORT void LoadEngineLibraryAhead(const EngineLibrary& library);

// Waits for every load LoadEngineLibraryAhead started. Never throws.
DATAACCESS_EXPORT void WaitForEngineLibrariesLoadedAhead() noexcept;

// A server engine's driver that loads the engine's library only when needed. `might_accept` is a
// cheap test of the connect string's form that needs no client library; the engine's own test
// decides when it passes.
class EngineLibraryDriver final : public Driver {
 public:
  EngineLibraryDriver(EngineLibrary library, bool (*might_accept)(const QString& connect_string))
      : library_(library), might_accept_(might_accept) {}
  QString Name() const override { return QString::fromLatin1(library_.engine); }
  bool Accepts(const ConnectRequest& request) const override;
  void Prepare(const QString& connect_string) const noexcept override;
  CatalogRead Connect(const ConnectRequest& request) const override;

 private:
  const ServerEngine& Engine() const;

  EngineLibrary library_;
  bool (*might_accept_)(const QString& connect_string);
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_DRIVERS_ENGINE_LIBRARY_H_
