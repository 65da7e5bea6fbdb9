// Collects a server's catalog rows in the order the server sends them and fills a CatalogTables
// in the library's order. The servers' catalog queries are left unsorted: sorting 170,000 rows on
// the server spills to disk and costs more than sorting each table's few columns here.
//
// Until the catalog is filled, a column is held in 32 bytes (its name in shared chunks, its type
// shared with the columns of the same type), not as a ServerColumn: a large catalog is held
// twice at the end of a read, once here and once in the catalog.
#ifndef VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_
#define VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/catalog/chunked_storage.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// What a catalog row says of one column, before numbering.
struct ServerColumn {
  QString name;
  ColumnType type;
  bool required = false;
  QString declared_type{};
};

// Sets `text` to the UTF-8 `bytes` in the buffer it already has: a reader that decodes every
// row's column name into one ServerColumn allocates nothing per row.
DATAACCESS_EXPORT void AssignUtf8(QString& text, QByteArrayView bytes);

// The part of CatalogRows that does not depend on how the engine identifies its tables.
class DATAACCESS_EXPORT StagedCatalog {
 public:
  // Called for each column just before it is added, with the table's schema and name. The
  // columns of a table come one after the other, all with the same `table` object.
  using Adjust =
      std::function<void(const QString& schema, const QString& table, ColumnDefinition&)>;

  size_t AddTable(QString schema, QString name);
  // Marks the table as a view.
  void MarkView(size_t table) { tables_[table].view = true; }
  void AddColumn(size_t table, long position, const ServerColumn& column);
  // Leaves the table and its columns out of the catalog.
  void Drop(size_t table);
  // The schema and name the table was added with, and whether it is a view.
  const QString& Schema(size_t table) const { return tables_[table].schema; }
  const QString& Name(size_t table) const { return tables_[table].name; }
  bool IsView(size_t table) const { return tables_[table].view; }
  // The name of the table's column added at `position`; null when there is none. After Fill, read
  // from the catalog filled, which must outlive these rows; FillSchemas leaves none to read.
  QString ColumnName(size_t table, long position) const;
  // The distinct types of the columns added so far, in the order they were first added.
  const std::vector<StoredType>& Types() const { return types_; }
  // Replaces Types() by `types`, one for one, for the columns added so far.
  void ReplaceTypes(std::vector<StoredType> types);
  // Fill and FillSchemas give back what held the columns: a reader that reads more of the
  // database after filling (keys, indexes) does so without it.
  void Fill(CatalogTables& tables, const QString& default_schema, const Adjust& adjust);
  // Fills one catalog per schema of `schemas` (sorted, without repeats), in that order: `each`
  // is called with the schema and a function that fills the catalog given to it with that
  // schema's tables, named as in a catalog whose default schema it is. Tables of other schemas
  // are left out.
  using SchemaFill =
      std::function<void(const QString& schema, const std::function<void(CatalogTables&)>& fill)>;
  void FillSchemas(const QStringList& schemas, const SchemaFill& each, const Adjust& adjust);

 private:
  static constexpr uint32_t kNoColumn = UINT32_MAX;
  struct Column {
    const char16_t* name;  // in names_
    uint32_t name_size;
    int32_t position;
    uint32_t type;  // in types_
    uint32_t next;  // the next column added to the same table, or kNoColumn
    bool required;
  };
  // A table's columns are chained in the order they were added, wherever they stand in
  // columns_: a server may interleave the rows of its tables.
  struct Table {
    QString schema;
    QString name;
    uint32_t first = kNoColumn;
    uint32_t last = kNoColumn;
    uint32_t count = 0;
    // Once filled: where the positions of its columns, in the catalog's order, start in
    // filled_positions_ (kNoColumn for a table left out), and the catalog's table, once asked.
    mutable uint32_t filled_first = kNoColumn;
    mutable CatalogTable* filled = nullptr;
    bool dropped = false;
    bool view = false;
  };
  std::vector<const Table*> SortedTables();
  // Gives back the staged columns, their names and types.
  void ReleaseColumns();
  QString FilledColumnName(size_t table, long position) const;
  void FillRun(CatalogTables& tables, const QString& default_schema, const Table* const* begin,
               const Table* const* end, const Adjust& adjust);

  ChunkedVector<Table, HugePages::kPastFirstChunk> tables_;
  // Dropped once the catalog is filled, so a huge page left part empty costs nothing for long.
  ChunkedVector<Column, HugePages::kPastFirstChunk> columns_;
  ChunkedArena<char16_t, HugePages::kPastFirstChunk> names_;
  std::vector<StoredType> types_;
  std::unordered_map<StoredType, uint32_t, StoredTypeHash, StoredTypeEqual> type_numbers_;
  // Kept by Fill for ColumnName, 4 bytes a column where the staged columns took 32 and more.
  CatalogTables* filled_ = nullptr;
  QString filled_default_schema_;
  std::vector<int32_t> filled_positions_;
};

// `Key` is whatever identifies a table in the engine's rows (an oid, a name).
template <class Key>
class CatalogRows {
 public:
  using Adjust = StagedCatalog::Adjust;

  // The table's slot, or nothing when no table of that key was added.
  std::optional<size_t> Find(const Key& key) const {
    const auto it = slots_.constFind(key);
    if (it == slots_.cend()) return std::nullopt;
    return *it;
  }

  // Adds a table once; a key seen before keeps its first names.
  size_t AddTable(const Key& key, QString schema, QString name) {
    if (const auto slot = Find(key)) return *slot;
    const size_t slot = staged_.AddTable(std::move(schema), std::move(name));
    slots_.insert(key, slot);
    return slot;
  }

  // What StagedCatalog tells of the table in `slot` (Find).
  const QString& Schema(size_t slot) const { return staged_.Schema(slot); }
  const QString& Name(size_t slot) const { return staged_.Name(slot); }
  bool IsView(size_t slot) const { return staged_.IsView(slot); }
  QString ColumnName(size_t slot, long position) const {
    return staged_.ColumnName(slot, position);
  }

  // Marks the table of `key`, when one was added, as a view.
  void MarkView(const Key& key) {
    if (const auto slot = Find(key)) staged_.MarkView(*slot);
  }

  // Leaves out every table added so far whose key `keep` refuses.
  template <class Keep>
  void DropUnless(Keep&& keep) {
    for (auto it = slots_.cbegin(); it != slots_.cend(); ++it) {
      if (!keep(it.key())) staged_.Drop(*it);
    }
  }

  // A reader whose rows name a column's type only by a key of its own adds the key as the
  // column's type, then replaces each distinct key (Types) by the type it stands for before Fill.
  const std::vector<StoredType>& Types() const { return staged_.Types(); }
  void ReplaceTypes(std::vector<StoredType> types) { staged_.ReplaceTypes(std::move(types)); }

  // `position` is the engine's own column number; only the order it gives counts.
  void AddColumn(size_t table, long position, const ServerColumn& column) {
    staged_.AddColumn(table, position, column);
  }

  // Fills `tables` sorted by schema and table name (ServerTableName), each table's columns by
  // position and numbered 1, 2, ... so that gaps an engine leaves in its own numbering (dropped
  // columns) do not show.
  void Fill(CatalogTables& tables, const QString& default_schema, const Adjust& adjust = {}) {
    staged_.Fill(tables, default_schema, adjust);
  }
  void FillSchemas(const QStringList& schemas, const StagedCatalog::SchemaFill& each,
                   const Adjust& adjust = {}) {
    staged_.FillSchemas(schemas, each, adjust);
  }

 private:
  StagedCatalog staged_;
  QHash<Key, size_t> slots_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_
