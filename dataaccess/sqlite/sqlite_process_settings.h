// SQLite's process-wide settings, which it takes only before its first use in the process.
#ifndef VANTREL_DATAACCESS_SQLITE_SQLITE_PROCESS_SETTINGS_H_
#define VANTREL_DATAACCESS_SQLITE_SQLITE_PROCESS_SETTINGS_H_

namespace dataaccess {

// Sets them, once; every use of SQLite in the library calls this first. Harmless when SQLite was
// already used in the process (by a test, say): SQLite then keeps what it had. Any thread.
void ApplySqliteProcessSettings() noexcept;

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SQLITE_SQLITE_PROCESS_SETTINGS_H_
