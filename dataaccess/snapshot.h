// Catalog snapshots: a database's tables, columns and table objects kept in a JSON file, so that
// a database can be compared with how another one looked when the snapshot was taken, without
// reaching it.
//
// The library opens a snapshot like any database: by the connect string "snapshot:PATH", or by
// the path of any file that starts as a JSON document. The connection's ConnectString is
// "snapshot:" + the absolute path; its DatabaseName is the DatabaseName of the connection the
// snapshot was taken from, and its ObjectKinds those of that connection (0 for a file of format
// version 1, which kept no objects). The format is described in docs/snapshot-format.md, and
// docs/snapshot.schema.json is its JSON Schema.
//
// A snapshot is read whole or not at all. Opening one throws component::Error naming the file:
// 53 or 75 when it is missing or unreadable, kNotADatabase when it is not a snapshot (another
// JSON document, or no JSON), kSnapshotTooNew when a later build wrote a format version this one
// does not know, and kDatabaseDamaged when it is truncated or a value is missing or of the wrong
// type, or a word (an object kind, a referential action, an index origin) this version does not
// know; the description says what is wrong and where.
//
// Threads: WriteSnapshot reads the connection, so the connection's rule applies.
#ifndef VANTREL_DATAACCESS_SNAPSHOT_H_
#define VANTREL_DATAACCESS_SNAPSHOT_H_

#include <QIODevice>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// The format version that WriteSnapshot writes and the newest one the library reads.
constexpr int kSnapshotFormatVersion = 5;

// Writes the catalog of `connection` as a snapshot to `out`: every table in the library's order,
// every column with its name, its declared type as the engine spells it (empty when the engine
// gave none) and the six compared properties, each table's objects (none written for a table
// without), and the connection's ObjectKinds. Throws what reading the catalog throws, and
// component::Error 75 when `out` refuses the writing.
DATAACCESS_EXPORT void WriteSnapshot(const DataConnection& connection, QIODevice& out);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SNAPSHOT_H_
