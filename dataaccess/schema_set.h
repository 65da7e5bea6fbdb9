// Schemas that stand for databases, and many of them read through one session.
//
// A PostgreSQL connect string may name one schema of its database: the URI parameter
// "postgresql://HOST/DB?schema=tenant_17" or the keyword "host=HOST dbname=DB schema=tenant_17".
// libpq knows no such keyword; the library takes it out before connecting. Such a connection
// reads only that schema and names its tables without a schema prefix, so that two schemas of
// the same tables compare as equal; its ConnectString keeps the schema and its DatabaseName is
// "DB.SCHEMA". On MySQL and MariaDB a database already is a schema: the URI's path names it.
//
// A schema set is every schema of one PostgreSQL database, or every database of one MySQL or
// MariaDB server, whose name a test accepts, read through one session: on PostgreSQL with one
// catalog read covering all of them, split into one catalog per schema.
//
// Threads: SchemaOfConnectString is a pure function (any thread). ReadSchemaSet never asks for a
// password, so any thread may call it, several at a time on different servers.
#ifndef VANTREL_DATAACCESS_SCHEMA_SET_H_
#define VANTREL_DATAACCESS_SCHEMA_SET_H_

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// What a connect string says of a schema.
struct SchemaReference {
  // The connect string without the schema (PostgreSQL) or without the database (MySQL): every
  // reference with the same `server` is read through one session by ReadSchemaSet.
  QString server;
  // The schema or database named, decoded, as written (it may be a pattern for the caller).
  QString schema;
};

// The schema a PostgreSQL connect string names (schema=), or the database of a MySQL or MariaDB
// URI; nullopt when it names none, or when the string is of another engine or cannot be read.
DATAACCESS_EXPORT std::optional<SchemaReference> SchemaOfConnectString(
    const QString& connect_string);

// A connect string of `server` (SchemaReference::server) that names `schema`.
DATAACCESS_EXPORT QString WithSchema(const QString& server, const QString& schema);

// Told of a schema set's members as they are read.
class DATAACCESS_EXPORT SchemaSetReceiver {
 public:
  virtual ~SchemaSetReceiver() = default;
  // Once, before any catalog: the names accepted, in name order (QString's operator<).
  virtual void Listed(const QStringList& names) = 0;
  // Once per name of Listed, in that order: the member as a connection of its own, as
  // OpenConnection(WithSchema(server, name)) would give it. It is the receiver's to keep or drop;
  // the next member's catalog is made only after Read returns, so a receiver that drops each
  // one holds one at a time.
  virtual void Read(std::unique_ptr<DataConnection> connection) = 0;
};

// Opens one read-only session on `server`, lists its schemas (PostgreSQL: every schema but the
// engine's own; MySQL and MariaDB: every database but information_schema, mysql,
// performance_schema and sys), keeps those `accepts` accepts and reads their catalogs. On
// PostgreSQL one catalog read covers all of them. Never asks for a password (kPromptNever).
// `options` are OpenConnection's: a MySQL or MariaDB member reads the objects they ask for, as
// it would alone; a PostgreSQL member has its columns only, and its ObjectKinds says so.
//
// Throws component::Error as DataEnvironment::OpenConnection does (a MySQL `server` connects to
// information_schema), kCatalogUnreadable when a read fails (possibly after some members were
// passed on), kUnknownConnectString when `server` is of an engine without schema sets, and what
// the receiver throws. Descriptions never hold a password.
DATAACCESS_EXPORT void ReadSchemaSet(const QString& server,
                                     const std::function<bool(const QString&)>& accepts,
                                     SchemaSetReceiver& receiver, int32_t options = 0);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SCHEMA_SET_H_
