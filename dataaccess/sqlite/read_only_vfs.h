// SQLite file systems through which a read can change no file of the database it reads.
//
// Each wraps one of SQLite's own Unix file systems ("unix", taking POSIX locks, and "unix-none",
// taking none) and changes two things:
//   - the database, its -journal, its -wal and a super-journal are opened read-only, and never
//     created: a missing -wal stays missing, and whatever SQLite would write to one fails instead;
//   - deleting a file fails: SQLite deletes a -wal when it believes the last connection closes,
//     which a connection without locks always believes, and a writer of another process would
//     then commit into a file nobody else can see.
// Temporary files SQLite makes for itself (unnamed, in the temporary folder) are not the
// database's and are left alone.
//
// Thread safety: registered once per process on first use; any thread may open through them.
#ifndef VANTREL_DATAACCESS_SQLITE_READ_ONLY_VFS_H_
#define VANTREL_DATAACCESS_SQLITE_READ_ONLY_VFS_H_

namespace dataaccess {

// The name of the wrapper over "unix" (locks == true) or over "unix-none", for the `vfs=`
// parameter of a URI file name. Registers both on the first call. Throws component::Error
// (kCatalogUnreadable) if this SQLite lacks the file system to wrap.
const char* ReadOnlyVfsName(bool locks);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SQLITE_READ_ONLY_VFS_H_
