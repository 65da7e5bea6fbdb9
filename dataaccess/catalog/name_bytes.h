// Names as an engine stores them, in bytes, and as the library holds them, in QString.
//
// SQLite keeps whatever bytes a program gave it, valid UTF-8 or not. Decoding invalid bytes to
// U+FFFD would make "bad\xff" and "bad\xfe" one name, so a byte that is not part of valid UTF-8
// is kept as the lone surrogate U+DC00 + byte instead: two different byte strings always give
// two different names, and NameToBytes gives back the bytes exactly.
#ifndef VANTREL_DATAACCESS_CATALOG_NAME_BYTES_H_
#define VANTREL_DATAACCESS_CATALOG_NAME_BYTES_H_

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "dataaccess/data_objects.h"  // NameFromBytes, public for command-line patterns

// NameFromBytes and its inverse NameToBytes are declared in data_objects.h, public for file names
// and command-line patterns.

namespace dataaccess {

// `path` made absolute and clean by its text alone, so that a name kept in NameFromBytes's form
// keeps its bytes (QFileInfo would take it through the file system's encoding and lose them).
QString AbsoluteFileName(const QString& path);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_NAME_BYTES_H_
