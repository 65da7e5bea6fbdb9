// The in-memory catalog that every driver fills in one pass when a connection opens, and the
// data objects that serve it. Reading the whole catalog up front keeps the comparison walk free
// of round trips: after OpenConnection nothing touches the database again.
#ifndef VANTREL_DATAACCESS_CATALOG_CATALOG_H_
#define VANTREL_DATAACCESS_CATALOG_CATALOG_H_

#include <QString>
#include <cstdint>
#include <vector>

#include "dataaccess/catalog/name_index.h"
#include "dataaccess/data_objects.h"
#include "dataaccess/catalog/type_kinds.h"

namespace dataaccess {

// What a driver knows of one column.
struct ColumnDefinition {
  QString name;
  ColumnType type;
  int16_t ordinal_position = 0;
  bool required = false;
};

class CatalogColumn final : public DataColumn {
 public:
  explicit CatalogColumn(ColumnDefinition definition) : d_(std::move(definition)) {}
  QString Name() const override { return d_.name; }
  int32_t DataType() const override { return d_.type.data_type; }
  int32_t Size() const override { return d_.type.size; }
  int16_t OrdinalPosition() const override { return d_.ordinal_position; }
  bool Required() const override { return d_.required; }
  int32_t Attributes() const override { return d_.type.attributes; }
  bool AllowZeroLength() const override { return d_.type.allow_zero_length; }

 private:
  ColumnDefinition d_;
};

// Columns keep a hash of each name beside it instead of a hash table per table: ten thousand
// small tables would otherwise spend more memory on empty buckets than on names.
class CatalogColumns final : public ColumnCollection {
 public:
  void Add(ColumnDefinition definition);
  std::unique_ptr<Enumerator<DataColumn>> Enumerate() const override;
  int32_t Count() const override { return static_cast<int32_t>(columns_.size()); }
  DataColumn& Item(const QString& name) const override;

 private:
  std::vector<CatalogColumn> columns_;
  std::vector<size_t> exact_hashes_;
  std::vector<size_t> folded_hashes_;
};

class CatalogTable final : public DataTable {
 public:
  explicit CatalogTable(QString name) : name_(std::move(name)) {}
  QString Name() const override { return name_; }
  ColumnCollection& Columns() const override { return columns_; }
  CatalogColumns& MutableColumns() { return columns_; }

 private:
  QString name_;
  mutable CatalogColumns columns_;
};

class CatalogTables final : public TableCollection {
 public:
  // Adds a table and returns it for its columns. The returned reference stays valid until the
  // next AddTable call; pointers handed out by Item and Enumerate stay valid once filling ends.
  CatalogTable& AddTable(QString name);
  void Reserve(size_t count);
  // True when a table of exactly this name was added.
  bool Contains(const QString& name) const { return index_.FindExact(name) >= 0; }
  std::unique_ptr<Enumerator<DataTable>> Enumerate() const override;
  DataTable& Item(const QString& name) const override;

 private:
  std::vector<CatalogTable> tables_;
  NameIndex index_;
};

// The connection every driver returns: the catalog it read, and how it reached the database.
class CatalogConnection final : public DataConnection {
 public:
  CatalogConnection(QString connect_string, QString database_name)
      : connect_string_(std::move(connect_string)), database_name_(std::move(database_name)) {}

  QString ConnectString() const override { return connect_string_; }
  QString DatabaseName() const override { return database_name_; }
  TableCollection& Tables() const override;
  void Close() override { closed_ = true; }

  CatalogTables& MutableTables() { return tables_; }

 private:
  QString connect_string_;
  QString database_name_;
  mutable CatalogTables tables_;
  bool closed_ = false;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_CATALOG_H_
