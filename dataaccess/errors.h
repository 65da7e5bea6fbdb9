// Error numbers raised by the data-access library, besides the standard ones of
// platform/component/error.h (53 for a database file that does not exist, 75 for one that
// cannot be read). Every description names the database it is about. Constants only: any thread.
#ifndef VANTREL_DATAACCESS_ERRORS_H_
#define VANTREL_DATAACCESS_ERRORS_H_

#include <QString>
#include <cstdint>

namespace dataaccess {

enum DataAccessError : int32_t {
  kItemNotFound = 3100,          // Item(name) found no table or column of that name
  kConnectionClosed = 3101,      // the connection was used after Close()
  kNotADatabase = 3102,          // the file exists but is not a database of the engine
  kDatabaseDamaged = 3103,       // the file is a database or snapshot, but damaged or truncated
  kDatabaseLocked = 3104,        // another program holds a lock that stops reading
  kCatalogUnreadable = 3105,     // the catalog query failed for another reason
  kNoDatabaseGiven = 3106,       // neither a name nor a connect string says what to open
  kUnknownConnectString = 3107,  // the connect string has a form no driver understands
  kPromptCancelled = 3108,  // the user cancelled the connection prompt, or nobody could be asked
  kConnectFailed = 3110,    // a server could not be reached
  kLoginFailed = 3111,      // a server refused the credentials
  kUnknownDatabase = 3112,  // the server has no database of that name
  kConnectTimeout = 3113,   // a server did not answer in time
  kDriverMissing = 3114,    // the client library or driver for the engine is not installed
  kSnapshotTooNew = 3115,   // a snapshot file of a format version this build cannot read
  kNameNotUnicode = 3116,   // a name holds bytes that are not UTF-8: a snapshot cannot keep it
  kScratchFailed = 3117,    // a private copy to prove a script on could not be made
};

// The source text that errors of the data-access library carry.
inline QString ErrorSource() { return QStringLiteral("Vantrel.DataAccess"); }

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ERRORS_H_
