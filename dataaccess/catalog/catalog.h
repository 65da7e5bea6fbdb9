// The in-memory catalog that every driver fills in one pass when a connection opens, and the
// data objects that serve it. Reading the whole catalog up front keeps the comparison walk free
// of round trips: after OpenConnection nothing touches the database again.
#ifndef VANTREL_DATAACCESS_CATALOG_CATALOG_H_
#define VANTREL_DATAACCESS_CATALOG_CATALOG_H_

#include <QAnyStringView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

#include "dataaccess/catalog/name_index.h"
#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// What a driver knows of one column.
struct ColumnDefinition {
  QString name;
  ColumnType type;
  int16_t ordinal_position = 0;
  bool required = false;
  QString declared_type{};  // as the engine spells it: "varchar(20)", "INT(11) UNSIGNED"
  QStringList labels{};     // as StoredType::labels
};

// A column type as the catalog keeps it: its meaning, and the spelling it was declared with.
// Columns of the same type and spelling share one.
struct StoredType {
  ColumnType type;
  QString declared;
  // An enumeration's labels in order, where its spelling names none (a PostgreSQL enum type is
  // spelled by its name); empty otherwise.
  QStringList labels{};
};
struct StoredTypeHash {
  size_t operator()(const StoredType& stored) const;
};
struct StoredTypeEqual {
  bool operator()(const StoredType& x, const StoredType& y) const;
};

class CatalogStore;

// A column as the catalog keeps it: its name, with its position and whether it is required in
// front, in the catalog's name buffer, and its type shared with every column of the same type.
// The record is 24 bytes and allocates nothing of its own: there are hundreds of thousands.
class DATAACCESS_EXPORT CatalogColumn final : public DataColumn {
 public:
  // `stored` as CatalogStore::AddColumn encodes it.
  CatalogColumn(const char16_t* stored, const StoredType* type) : stored_(stored), type_(type) {}
  QString Name() const override { return NameView().toString(); }
  bool IsNamed(QStringView name) const override;
  int32_t DataType() const override { return type_->type.data_type; }
  int32_t Size() const override { return type_->type.size; }
  int16_t OrdinalPosition() const override;
  bool Required() const override;
  int32_t Attributes() const override { return type_->type.attributes; }
  bool AllowZeroLength() const override { return type_->type.allow_zero_length; }

  QAnyStringView NameView() const;
  QString DeclaredType() const override { return type_->declared; }
  QStringList EnumerationLabels() const override { return type_->labels; }

 private:
  const char16_t* stored_;
  const StoredType* type_;
};
static_assert(sizeof(CatalogColumn) <= 24, "a column record stays small: there are many");

// One table's columns: a run of consecutive columns in the catalog's store. A lookup compares
// the names of the run instead of using a hash table per table: ten thousand small tables would
// otherwise spend more memory on empty buckets than on names.
class DATAACCESS_EXPORT CatalogColumns final : public ColumnCollection {
 public:
  explicit CatalogColumns(CatalogStore* store) : store_(store) {}
  // Adds a column after the others. The columns of one table are added together: adding to a
  // table after columns of a later table were added throws std::logic_error. `type`, when given,
  // is the catalog's own copy of the definition's type and spelling (CatalogTables::InternType),
  // which spares looking them up for every column.
  void Add(const ColumnDefinition& definition, const StoredType* type = nullptr);
  std::unique_ptr<Enumerator<DataColumn>> Enumerate() const override;
  int32_t Count() const override { return static_cast<int32_t>(count_); }
  DataColumn& Item(const QString& name) const override;
  // The column at `index` in the table's order, 0 for the first; `index` is below Count().
  const CatalogColumn& At(uint32_t index) const;

 private:
  CatalogStore* store_;
  uint32_t first_ = 0;
  uint32_t count_ = 0;
  // Where the next lookup starts, relative to first_: just after the column the last one found.
  // A comparison looks the columns up in the order the other database lists them, which is
  // mostly this table's order too, so most lookups compare one name. Read and written through
  // std::atomic_ref, so that lookups from several threads stay well defined.
  mutable uint32_t next_lookup_ = 0;
};

class DATAACCESS_EXPORT CatalogTable final : public DataTable {
 public:
  CatalogTable(CatalogStore* store, QStringView name, bool view)
      : name_(name), columns_(store), view_(view) {}
  QString Name() const override { return name_.toString(); }
  ColumnCollection& Columns() const override { return columns_; }
  bool IsView() const override { return view_; }
  const TableObjects* Objects() const override { return objects_.get(); }
  CatalogColumns& MutableColumns() { return columns_; }
  // The table's objects, made on first use: most tables of a catalog read without objects have
  // none, and a pointer costs them 8 bytes where the lists would cost 80.
  TableObjects& MutableObjects();

 private:
  QStringView name_;  // in the store's name buffer
  mutable CatalogColumns columns_;
  std::unique_ptr<TableObjects> objects_;
  bool view_;
};

class DATAACCESS_EXPORT CatalogTables final : public TableCollection {
 public:
  CatalogTables();
  ~CatalogTables() override;
  CatalogTables(const CatalogTables&) = delete;
  CatalogTables& operator=(const CatalogTables&) = delete;

  // Adds a table and returns it for its columns. The returned reference stays valid until the
  // next AddTable call; pointers handed out by Item and Enumerate stay valid once filling ends.
  CatalogTable& AddTable(const QString& name, bool view = false);
  // Makes room for `count` tables and, when the reader knows it, `columns` columns in all.
  void Reserve(size_t count, size_t columns = 0);
  // The catalog's copy of `type`, shared by every column of that type and spelling.
  const StoredType* InternType(const StoredType& type);
  // True when a table of exactly this name was added.
  bool Contains(const QString& name) const { return index_.FindExact(name) >= 0; }
  // The table of exactly this name, for a reader that adds a table's objects after its columns;
  // null when there is none.
  CatalogTable* FindExact(const QString& name);
  std::unique_ptr<Enumerator<DataTable>> Enumerate() const override;
  DataTable& Item(const QString& name) const override;

 private:
  std::unique_ptr<CatalogStore> store_;
  std::vector<CatalogTable> tables_;
  NameIndex index_;
};

// The connection every driver returns: the catalog it read, and how it reached the database.
class DATAACCESS_EXPORT CatalogConnection final : public DataConnection {
 public:
  CatalogConnection(QString connect_string, QString database_name)
      : connect_string_(std::move(connect_string)), database_name_(std::move(database_name)) {}

  QString ConnectString() const override { return connect_string_; }
  QString DatabaseName() const override { return database_name_; }
  QString Engine() const override { return engine_; }
  int ObjectKinds() const override { return object_kinds_; }
  const DatabaseObjects* Objects() const override { return &database_objects_; }
  TableCollection& Tables() const override;
  void Close() override { closed_ = true; }

  CatalogTables& MutableTables() { return tables_; }
  // For a driver that learns the name only while reading the catalog.
  void SetDatabaseName(QString name) { database_name_ = std::move(name); }
  void SetEngine(QString engine) { engine_ = std::move(engine); }
  void SetObjectKinds(int kinds) { object_kinds_ = kinds; }
  DatabaseObjects& MutableObjects() { return database_objects_; }

 private:
  QString connect_string_;
  QString database_name_;
  QString engine_;
  mutable CatalogTables tables_;
  DatabaseObjects database_objects_;
  int object_kinds_ = 0;
  bool closed_ = false;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_CATALOG_H_
