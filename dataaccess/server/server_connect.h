// What every server driver decides and says the same way when it connects: which database a
// request names, how messages name what it reaches, and the sentences of a failed connect or
// catalog read. Each engine keeps only its client calls and the classifying of its own messages.
#ifndef VANTREL_DATAACCESS_SERVER_SERVER_CONNECT_H_
#define VANTREL_DATAACCESS_SERVER_SERVER_CONNECT_H_

#include <QString>
#include <QStringList>
#include <cstdint>

#include "dataaccess/dataaccess_export.h"
#include "dataaccess/drivers/driver.h"
#include "platform/component/error.h"

namespace dataaccess {

// True when `request.name`, given and not the connect string itself, names the database and so
// overrides the one of the connect string.
DATAACCESS_EXPORT bool NameOverridesDatabase(const ConnectRequest& request);

// How descriptions name what `request` reaches: its connect string with passwords masked, and
// ", database NAME" when the name overrides the connect string's database.
DATAACCESS_EXPORT QString ConnectTarget(const ConnectRequest& request);

// A connect that failed with `number` (kLoginFailed, kUnknownDatabase, kConnectTimeout; any
// other number reads as a plain connect failure). `server` is how the engine is called ("the
// PostgreSQL server"); `detail` is the client library's own message and may be empty.
DATAACCESS_EXPORT component::Error ConnectError(int32_t number, const QString& server,
                                                const QString& target, const QString& detail);

// The session opened but could not be made read-only (kConnectFailed).
DATAACCESS_EXPORT component::Error ReadOnlyError(const QString& target, const QString& detail);

// `error` with its description passed through ScrubPasswordPieces with `pieces`
// (connect_string_mask.h).
component::Error WithoutPasswordPieces(const component::Error& error, const QStringList& pieces);

// A catalog query failed (kCatalogUnreadable).
DATAACCESS_EXPORT component::Error CatalogUnreadableError(const QString& target,
                                                          const QString& detail);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_SERVER_CONNECT_H_
