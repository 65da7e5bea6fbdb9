#include "dataaccess/sqlite/read_only_vfs.h"

#include <sqlite3.h>
#include <sys/types.h>

#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

// The files that belong to the database being read: everything SQLite opens by name.
constexpr int kDatabaseFiles =
    SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL | SQLITE_OPEN_SUPER_JOURNAL;

sqlite3_vfs* Base(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

int OpenReadOnly(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags,
                 int* out_flags) {
  if (name != nullptr && (flags & kDatabaseFiles) != 0) {
    flags &= ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE |
               SQLITE_OPEN_DELETEONCLOSE);
    flags |= SQLITE_OPEN_READONLY;
  }
  return Base(vfs)->xOpen(Base(vfs), name, file, flags, out_flags);
}

int RefuseDelete(sqlite3_vfs*, const char*, int) { return SQLITE_IOERR_DELETE; }

// SQLite running as root hands every -wal and -journal it opens to the database's owner, even
// one it only reads: a writer of another user would lose its own log. Vantrel creates no SQLite
// file, so no file of its process ever needs another owner.
int KeepOwner(int, uid_t, gid_t) { return 0; }

// A copy of `base_name`'s file system under `name` with the two changes above. Lives as long as
// the process: SQLite keeps a pointer to it.
sqlite3_vfs* Wrap(const char* base_name, const char* name) {
  sqlite3_vfs* base = sqlite3_vfs_find(base_name);
  if (base == nullptr) return nullptr;
  auto* vfs = new sqlite3_vfs(*base);
  vfs->pNext = nullptr;
  vfs->zName = name;
  vfs->pAppData = base;
  vfs->xOpen = OpenReadOnly;
  vfs->xDelete = RefuseDelete;
  if (sqlite3_vfs_register(vfs, 0) != SQLITE_OK) return nullptr;
  return vfs;
}

}  // namespace

const char* ReadOnlyVfsName(bool locks) {
  // Every Unix file system of SQLite shares one table of system calls: set once, it holds for
  // both wrappers. It is set before this process opens any database through them.
  static const bool kRegistered =
      Wrap("unix", "vantrel-read-only") != nullptr &&
      Wrap("unix-none", "vantrel-read-only-none") != nullptr &&
      sqlite3_vfs_find("unix")->xSetSystemCall(sqlite3_vfs_find("unix"), "fchown",
                                               reinterpret_cast<sqlite3_syscall_ptr>(&KeepOwner)) ==
          SQLITE_OK;
  if (!kRegistered) {
    throw component::Error(kCatalogUnreadable, ErrorSource(),
                           QStringLiteral("This SQLite library lacks the Unix file systems that "
                                          "reading a database without changing it needs"));
  }
  return locks ? "vantrel-read-only" : "vantrel-read-only-none";
}

}  // namespace dataaccess
