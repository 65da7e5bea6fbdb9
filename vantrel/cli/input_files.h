// The files a command reads, so that nothing it writes replaces one of them.
#ifndef VANTREL_VANTREL_CLI_INPUT_FILES_H_
#define VANTREL_VANTREL_CLI_INPUT_FILES_H_

#include <QString>

namespace vantrel::cli {

// The file a database of one file (SQLite, a snapshot) is read from, given its connect string:
// the text after "sqlite:" (and after its "//", as in "sqlite:///PATH") or "snapshot:", or the
// bare path; empty for a server's connect string (connect_string_forms.h).
QString FileOfConnectString(const QString& connect_string);

// True when the two paths name one file (device and inode, links followed); false when either
// does not exist.
bool SameFile(const QString& a, const QString& b);

// True when writing `output` would replace the database file `database` or a file SQLite keeps
// beside it (-wal, -shm, -journal). Files are told apart by identity, not by spelling; a side
// file that does not exist yet is recognised by its name in the database's folder.
bool WouldReplace(const QString& output, const QString& database);

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_INPUT_FILES_H_
