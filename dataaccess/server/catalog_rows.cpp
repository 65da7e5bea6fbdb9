#include "dataaccess/server/catalog_rows.h"

#include <algorithm>
#include <cassert>

#include "dataaccess/server/server_table_name.h"

namespace dataaccess {

size_t StagedCatalog::AddTable(QString schema, QString name) {
  tables_.push_back({std::move(schema), std::move(name), {}});
  return tables_.size() - 1;
}

void StagedCatalog::AddColumn(size_t table, long position, const ServerColumn& column) {
  if (tables_[table].dropped) return;
  const auto [it, added] = type_numbers_.try_emplace(StoredType{column.type, column.declared_type},
                                                     static_cast<uint32_t>(types_.size()));
  if (added) types_.push_back(it->first);
  const uint32_t offset = static_cast<uint32_t>(names_.size());
  names_.append(reinterpret_cast<const char16_t*>(column.name.constData()),
                static_cast<size_t>(column.name.size()));
  tables_[table].columns.push_back({static_cast<int32_t>(position), offset,
                                    static_cast<uint32_t>(column.name.size()), it->second,
                                    column.required});
}

void StagedCatalog::Drop(size_t table) {
  tables_[table].dropped = true;
  std::vector<Column>().swap(tables_[table].columns);
}

void StagedCatalog::ReplaceTypes(std::vector<StoredType> types) {
  assert(types.size() == types_.size());
  types_ = std::move(types);
  type_numbers_.clear();
  for (uint32_t number = 0; number < types_.size(); ++number) {
    type_numbers_.try_emplace(types_[number], number);  // two keys may stand for one type
  }
}

void StagedCatalog::Fill(CatalogTables& tables, const QString& default_schema,
                         const Adjust& adjust) {
  std::sort(tables_.begin(), tables_.end(), [](const Table& a, const Table& b) {
    return a.schema != b.schema ? a.schema < b.schema : a.name < b.name;
  });
  tables.Reserve(tables_.size());
  ColumnDefinition definition;  // reused: its name keeps its buffer from column to column
  for (Table& table : tables_) {
    if (table.dropped) continue;
    CatalogColumns& columns =
        tables.AddTable(ServerTableName(default_schema, table.schema, table.name)).MutableColumns();
    std::stable_sort(table.columns.begin(), table.columns.end(),
                     [](const Column& a, const Column& b) { return a.position < b.position; });
    int16_t ordinal = 0;
    for (const Column& column : table.columns) {
      definition.name.setUnicode(reinterpret_cast<const QChar*>(names_.data() + column.name_offset),
                                 column.name_size);
      const StoredType& type = types_[column.type];
      definition.type = type.type;
      definition.declared_type = type.declared;
      definition.ordinal_position = ++ordinal;
      definition.required = column.required;
      if (adjust) adjust(table.schema, table.name, definition);
      columns.Add(definition);
    }
    std::vector<Column>().swap(table.columns);  // what is in the catalog need not be kept here
  }
}

}  // namespace dataaccess
