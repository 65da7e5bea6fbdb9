// The data-access object model: the program's only view of a database.
//
// A DataConnection owns everything reachable from it. References and pointers returned by
// Tables(), Columns(), Item() and the enumerators stay valid until the connection is destroyed;
// Close() ends the session with the database but does not free them. Every member may throw
// component::Error; the numbers are listed in dataaccess/errors.h. An empty database is not an
// error: its TableCollection simply enumerates nothing.
//
// The interfaces are abstract so that tests can substitute objects that fail on any chosen call.
//
// Threads: a connection and everything reachable from it may be used from one thread at a time;
// separate connections are independent.
#ifndef VANTREL_DATAACCESS_DATA_OBJECTS_H_
#define VANTREL_DATAACCESS_DATA_OBJECTS_H_

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "dataaccess/dataaccess_export.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// Walks a collection once, in the library's order. Next() returns nullptr after the last item
// and throws component::Error when the collection cannot be read further.
template <class T>
class DATAACCESS_EXPORT Enumerator {
 public:
  virtual ~Enumerator() = default;
  virtual T* Next() = 0;
};

// One column of a table or view. The meaning of DataType, Size and Attributes is defined once
// for every engine in dataaccess/catalog/type_kinds.h, so equal values mean equal definitions.
class DATAACCESS_EXPORT DataColumn {
 public:
  virtual ~DataColumn() = default;
  virtual QString Name() const = 0;
  // Whether the column is `name`, without regard to letter case (SameNameIgnoringCase). A
  // source that keeps names in another form answers without building the name.
  virtual bool IsNamed(QStringView name) const { return SameNameIgnoringCase(Name(), name); }
  virtual int32_t DataType() const = 0;
  virtual int32_t Size() const = 0;
  virtual int16_t OrdinalPosition() const = 0;  // 1 for the first column
  virtual bool Required() const = 0;            // NOT NULL
  virtual int32_t Attributes() const = 0;       // bit set of ColumnAttribute
  virtual bool AllowZeroLength() const = 0;
  // The type as the engine spelled it ("varchar(20)", "enum('a','b')"); empty when the source
  // has no spelling to give. Never compared: DataType and Size say what the column holds.
  virtual QString DeclaredType() const { return QString(); }
  // An enumeration's labels in order where DeclaredType does not spell them (a PostgreSQL enum
  // type is spelled by its name); empty otherwise, and where the source does not know them.
  virtual QStringList EnumerationLabels() const { return {}; }
};

class DATAACCESS_EXPORT ColumnCollection {
 public:
  virtual ~ColumnCollection() = default;
  // Columns in their ordinal order.
  virtual std::unique_ptr<Enumerator<DataColumn>> Enumerate() const = 0;
  virtual int32_t Count() const = 0;
  // The column of that name: an exact match first, otherwise one that differs only in the letter
  // case of ASCII letters. Throws kItemNotFound when there is none.
  virtual DataColumn& Item(const QString& name) const = 0;
};

// A user's table or view; the engine's own tables are never listed.
class DATAACCESS_EXPORT DataTable {
 public:
  virtual ~DataTable() = default;
  virtual QString Name() const = 0;
  virtual ColumnCollection& Columns() const = 0;
  // True for a view (or a materialized view): its columns' types are what the engine inferred
  // from the view's query, not what a schema's author declared.
  virtual bool IsView() const { return false; }
  // The table's keys, indexes, foreign keys and checks; null when it has none or the source
  // could not read them (DataConnection::ObjectKinds says which it could).
  virtual const TableObjects* Objects() const { return nullptr; }
};

class DATAACCESS_EXPORT TableCollection {
 public:
  virtual ~TableCollection() = default;
  virtual std::unique_ptr<Enumerator<DataTable>> Enumerate() const = 0;
  // Same matching rule as ColumnCollection::Item; throws kItemNotFound when there is none.
  virtual DataTable& Item(const QString& name) const = 0;
};

class DATAACCESS_EXPORT DataConnection {
 public:
  virtual ~DataConnection() = default;
  // How to reach the database again: passing ConnectString() and DatabaseName() back to
  // DataEnvironment::OpenConnection opens the same database.
  virtual QString ConnectString() const = 0;
  // A short name for reports: a file's base name, or the server's name of the database.
  virtual QString DatabaseName() const = 0;
  // The engine that defined the catalog ("sqlite", "postgresql", "mysql", or the name an ODBC
  // driver gives its database system, in lower case); empty when unknown (a snapshot of a format
  // that did not record it).
  virtual QString Engine() const { return QString(); }
  // The ObjectKind bits of what this source could read of its tables besides their columns.
  virtual int ObjectKinds() const { return 0; }
  // The database's default collation and sequences; null when the source read none
  // (ObjectKinds says which it could).
  virtual const DatabaseObjects* Objects() const { return nullptr; }
  // Throws kConnectionClosed after Close().
  virtual TableCollection& Tables() const = 0;
  // Ends the session. Closing twice is not an error.
  virtual void Close() = 0;
};

// The name whose bytes are `bytes`, in the form Name() gives it: UTF-8 decoded, and each byte
// that is not part of valid UTF-8 kept as the lone surrogate U+DC00 + byte, so that a name typed
// as bytes (a command-line argument) equals the name of the table whose bytes it repeats.
// Defined with its inverse in dataaccess/catalog/name_bytes.h.
DATAACCESS_EXPORT QString NameFromBytes(QByteArrayView bytes);

// The bytes of a name NameFromBytes gave: UTF-8, each lone surrogate U+DC80–U+DCFF the byte it
// stands for. File names go through this pair too, so that a file whose name is not UTF-8 (a
// command-line argument, a name in a list) is opened by its own bytes.
DATAACCESS_EXPORT QByteArray NameToBytes(const QString& name);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_DATA_OBJECTS_H_
