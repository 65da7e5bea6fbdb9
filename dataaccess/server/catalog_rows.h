// Collects a server's catalog rows in the order the server sends them and fills a CatalogTables
// in the library's order. The servers' catalog queries are left unsorted: sorting 170,000 rows on
// the server spills to disk and costs more than sorting each table's few columns here.
#ifndef VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_
#define VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_

#include <QHash>
#include <QString>
#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/server/server_table_name.h"

namespace dataaccess {

// What a catalog row says of one column, before numbering.
struct ServerColumn {
  QString name;
  ColumnType type;
  bool required = false;
  QString declared_type{};
};

// `Key` is whatever identifies a table in the engine's rows (an oid, a name).
template <class Key>
class CatalogRows {
 public:
  // Called for each column just before it is added, with the table's schema and name.
  using Adjust = std::function<void(const QString& schema, const QString& table, ServerColumn&)>;

  // The table's slot, or nothing when no table of that key was added.
  std::optional<size_t> Find(const Key& key) const {
    const auto it = slots_.constFind(key);
    if (it == slots_.cend()) return std::nullopt;
    return *it;
  }

  // Adds a table once; a key seen before keeps its first names.
  size_t AddTable(const Key& key, QString schema, QString name) {
    if (const auto slot = Find(key)) return *slot;
    slots_.insert(key, tables_.size());
    tables_.push_back({std::move(schema), std::move(name), {}});
    return tables_.size() - 1;
  }

  // `position` is the engine's own column number; only the order it gives counts.
  void AddColumn(size_t table, long position, ServerColumn column) {
    tables_[table].columns.emplace_back(position, std::move(column));
  }

  // Fills `tables` sorted by schema and table name (ServerTableName), each table's columns by
  // position and numbered 1, 2, ... so that gaps an engine leaves in its own numbering (dropped
  // columns) do not show.
  void Fill(CatalogTables& tables, const QString& default_schema, const Adjust& adjust = {}) {
    std::sort(tables_.begin(), tables_.end(), [](const Table& a, const Table& b) {
      return a.schema != b.schema ? a.schema < b.schema : a.name < b.name;
    });
    tables.Reserve(tables_.size());
    for (Table& table : tables_) {
      CatalogColumns& columns =
          tables.AddTable(ServerTableName(default_schema, table.schema, table.name))
              .MutableColumns();
      std::stable_sort(table.columns.begin(), table.columns.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      int16_t ordinal = 0;
      for (auto& [position, column] : table.columns) {
        if (adjust) adjust(table.schema, table.name, column);
        columns.Add({std::move(column.name), column.type, ++ordinal, column.required,
                     std::move(column.declared_type)});
      }
    }
  }

 private:
  struct Table {
    QString schema;
    QString name;
    std::vector<std::pair<long, ServerColumn>> columns;
  };
  std::vector<Table> tables_;
  QHash<Key, size_t> slots_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_CATALOG_ROWS_H_
