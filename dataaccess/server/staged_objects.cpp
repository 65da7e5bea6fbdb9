#include "dataaccess/server/staged_objects.h"

#include <algorithm>

namespace dataaccess {
namespace {

template <class Definition>
size_t SlotOf(std::vector<Definition>& definitions, const QString& name) {
  // A table has few objects of a kind: a scan costs less than a hash of its own.
  for (size_t i = definitions.size(); i-- > 0;) {
    if (definitions[i].name == name) return i;
  }
  definitions.emplace_back();
  definitions.back().name = name;
  return definitions.size() - 1;
}

template <class Definition>
void SortByName(std::vector<Definition>& definitions) {
  std::stable_sort(definitions.begin(), definitions.end(),
                   [](const Definition& a, const Definition& b) { return a.name < b.name; });
}

template <class Part>
void SortByPosition(std::vector<Part>& parts) {
  std::stable_sort(parts.begin(), parts.end(),
                   [](const Part& a, const Part& b) { return std::get<0>(a) < std::get<0>(b); });
}

}  // namespace

StagedObjects::Staged& StagedObjects::Table(const QString& table) {
  if (!last_ || table != last_name_) {
    last_ = &tables_[table];  // QHash keeps its values in place while no other key is added
    last_name_ = table;
  }
  return *last_;
}

void StagedObjects::AddPrimaryKeyColumn(const QString& table, const QString& name, long position,
                                        const QString& column) {
  Staged& staged = Table(table);
  staged.has_key = true;
  staged.key_name = name;
  staged.key_columns.emplace_back(position, column);
}

IndexDefinition& StagedObjects::AddIndexPart(const QString& table, const QString& name,
                                             long position, IndexPart part) {
  Staged& staged = Table(table);
  const size_t slot = SlotOf(staged.indexes, name);
  if (slot == staged.index_parts.size()) staged.index_parts.emplace_back();
  staged.index_parts[slot].emplace_back(position, std::move(part));
  return staged.indexes[slot];
}

ForeignKeyDefinition& StagedObjects::AddForeignKeyColumn(const QString& table, const QString& name,
                                                         long position, const QString& column,
                                                         const QString& referenced_column) {
  Staged& staged = Table(table);
  const size_t slot = SlotOf(staged.foreign_keys, name);
  if (slot == staged.foreign_key_columns.size()) staged.foreign_key_columns.emplace_back();
  staged.foreign_key_columns[slot].emplace_back(position, column, referenced_column);
  return staged.foreign_keys[slot];
}

void StagedObjects::AddCheck(const QString& table, CheckDefinition check) {
  Table(table).checks.push_back(std::move(check));
}

void StagedObjects::AddColumnDetails(const QString& table, long position, ColumnDetails details) {
  Table(table).columns.emplace_back(position, std::move(details));
}

TriggerDefinition& StagedObjects::AddTrigger(const QString& table, const QString& name) {
  Staged& staged = Table(table);
  return staged.triggers[SlotOf(staged.triggers, name)];
}

void StagedObjects::SetViewDefinition(const QString& table, QString definition) {
  Table(table).view_definition = std::move(definition);
}

void StagedObjects::Attach(CatalogTables& tables) {
  last_ = nullptr;
  for (auto it = tables_.begin(); it != tables_.end(); ++it) {
    CatalogTable* table = tables.FindExact(it.key());
    if (!table) continue;
    Staged& staged = it.value();
    TableObjects& objects = table->MutableObjects();
    SortByPosition(staged.columns);
    for (auto& [position, details] : staged.columns) objects.columns.push_back(std::move(details));
    SortByName(staged.triggers);
    objects.triggers = std::move(staged.triggers);
    if (table->IsView()) {
      objects.view_definition = std::move(staged.view_definition);
      continue;
    }
    if (staged.has_key) {
      SortByPosition(staged.key_columns);
      PrimaryKeyDefinition key{staged.key_name, {}};
      for (auto& [position, column] : staged.key_columns) key.columns.append(std::move(column));
      objects.primary_key = std::move(key);
    }
    for (size_t i = 0; i < staged.indexes.size(); ++i) {
      SortByPosition(staged.index_parts[i]);
      for (auto& [position, part] : staged.index_parts[i]) {
        staged.indexes[i].parts.push_back(std::move(part));
      }
    }
    for (size_t i = 0; i < staged.foreign_keys.size(); ++i) {
      SortByPosition(staged.foreign_key_columns[i]);
      ForeignKeyDefinition& key = staged.foreign_keys[i];
      for (auto& [position, column, referenced] : staged.foreign_key_columns[i]) {
        key.columns.append(std::move(column));
        if (!referenced.isEmpty()) key.referenced_columns.append(std::move(referenced));
      }
    }
    SortByName(staged.indexes);
    SortByName(staged.foreign_keys);
    SortByName(staged.checks);
    objects.indexes = std::move(staged.indexes);
    objects.foreign_keys = std::move(staged.foreign_keys);
    objects.checks = std::move(staged.checks);
  }
  tables_.clear();
}

}  // namespace dataaccess
