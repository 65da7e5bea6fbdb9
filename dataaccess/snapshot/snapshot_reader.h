// Reads snapshot files (dataaccess/snapshot.h) into a catalog.
#ifndef VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_READER_H_
#define VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_READER_H_

#include <QString>
#include <memory>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// True when `path` is a regular file whose first byte other than white space (and a UTF-8 byte
// order mark) opens a JSON object or array: no SQLite database starts so, and any JSON file is
// better told that it is not a snapshot than that it is not an SQLite database.
bool LooksLikeJson(const QString& path);

// The whole snapshot at `path`, or component::Error as dataaccess/snapshot.h lists; never part
// of one. Reads the file as it streams by, without holding it whole.
DATAACCESS_EXPORT std::unique_ptr<CatalogConnection> ReadSnapshot(const QString& path);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_READER_H_
