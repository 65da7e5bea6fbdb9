#include "dataaccess/server/staged_objects.h"

#include <algorithm>
#include <iterator>

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

// `items` ordered by their `positions`, one for one, in place: a copy would double what a large
// catalog's details take at their peak.
template <class Item>
std::vector<Item> InPositionOrder(std::vector<Item> items, const std::vector<long>& positions) {
  if (std::is_sorted(positions.begin(), positions.end())) return items;
  std::vector<size_t> from(items.size());  // from[i]: where the item that belongs at i is now
  for (size_t i = 0; i < from.size(); ++i) from[i] = i;
  std::stable_sort(from.begin(), from.end(),
                   [&](size_t a, size_t b) { return positions[a] < positions[b]; });
  // Each cycle of the permutation moves its items one step along it.
  for (size_t start = 0; start < from.size(); ++start) {
    if (from[start] == start) continue;
    Item first = std::move(items[start]);
    size_t at = start;
    while (from[at] != start) {
      const size_t next = from[at];
      items[at] = std::move(items[next]);
      from[at] = at;
      at = next;
    }
    items[at] = std::move(first);
    from[at] = at;
  }
  return items;
}

}  // namespace

StagedObjects::Staged& StagedObjects::Table(const QString& table) {
  if (!last_ || table != last_name_) {
    if (last_) {
      // A table's rows are done, mostly: its details stop taking room for more.
      last_->columns.details.shrink_to_fit();
      last_->columns.positions.shrink_to_fit();
    }
    last_ = &tables_[table];  // a node of an unordered_map stays in place
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

StagedObjects::Rest& StagedObjects::RestOf(const QString& table) {
  Staged& staged = Table(table);
  if (!staged.rest) staged.rest = std::make_unique<Rest>();
  return *staged.rest;
}

IndexDefinition& StagedObjects::AddIndexPart(const QString& table, const QString& name,
                                             long position, IndexPart part) {
  Rest& staged = RestOf(table);
  const size_t slot = SlotOf(staged.indexes, name);
  if (slot == staged.index_parts.size()) staged.index_parts.emplace_back();
  staged.index_parts[slot].emplace_back(position, std::move(part));
  return staged.indexes[slot];
}

ForeignKeyDefinition& StagedObjects::AddForeignKeyColumn(const QString& table, const QString& name,
                                                         long position, const QString& column,
                                                         const QString& referenced_column) {
  Rest& staged = RestOf(table);
  const size_t slot = SlotOf(staged.foreign_keys, name);
  if (slot == staged.foreign_key_columns.size()) staged.foreign_key_columns.emplace_back();
  staged.foreign_key_columns[slot].emplace_back(position, column, referenced_column);
  return staged.foreign_keys[slot];
}

void StagedObjects::AddCheck(const QString& table, CheckDefinition check) {
  RestOf(table).checks.push_back(std::move(check));
}

void StagedObjects::AddColumnDetails(const QString& table, long position, ColumnDetails details) {
  Staged& staged = Table(table);
  staged.columns.details.push_back(std::move(details));
  staged.columns.positions.push_back(position);
}

void StagedObjects::AddColumnDetails(const QString& table, ColumnDetailsRun run) {
  ColumnDetailsRun& columns = Table(table).columns;
  if (columns.details.empty()) {
    columns = std::move(run);
    columns.details.shrink_to_fit();
    columns.positions.shrink_to_fit();
    return;
  }
  std::move(run.details.begin(), run.details.end(), std::back_inserter(columns.details));
  columns.positions.insert(columns.positions.end(), run.positions.begin(), run.positions.end());
}

TriggerDefinition& StagedObjects::AddTrigger(const QString& table, const QString& name) {
  Rest& staged = RestOf(table);
  return staged.triggers[SlotOf(staged.triggers, name)];
}

void StagedObjects::SetViewDefinition(const QString& table, QString definition) {
  RestOf(table).view_definition = std::move(definition);
}

void StagedObjects::AddRule(const QString& table, RuleDefinition rule) {
  RestOf(table).rules.push_back(std::move(rule));
}

void StagedObjects::SetUnlogged(const QString& table) { RestOf(table).unlogged = true; }

void StagedObjects::Attach(CatalogTables& tables) {
  last_ = nullptr;
  // Each entry goes once its table took what it staged: the tables' objects and the entries
  // left are never all held at once.
  for (auto entry = tables_.begin(); entry != tables_.end(); entry = tables_.erase(entry)) {
    const QString& name = entry->first;
    Staged& staged = entry->second;
    CatalogTable* table = tables.FindExact(name);
    if (!table) continue;
    TableObjects& objects = table->MutableObjects();
    objects.columns = InPositionOrder(std::move(staged.columns.details), staged.columns.positions);
    Rest* const rest = staged.rest.get();
    if (rest) {
      SortByName(rest->triggers);
      objects.triggers = std::move(rest->triggers);
      SortByName(rest->rules);
      objects.rules = std::move(rest->rules);
      objects.unlogged = rest->unlogged;
    }
    if (table->IsView()) {
      if (rest) objects.view_definition = std::move(rest->view_definition);
      continue;
    }
    if (staged.has_key) {
      SortByPosition(staged.key_columns);
      PrimaryKeyDefinition key{staged.key_name, {}};
      for (auto& [position, column] : staged.key_columns) key.columns.append(std::move(column));
      objects.primary_key = std::move(key);
    }
    if (!rest) continue;
    for (size_t i = 0; i < rest->indexes.size(); ++i) {
      SortByPosition(rest->index_parts[i]);
      for (auto& [position, part] : rest->index_parts[i]) {
        rest->indexes[i].parts.push_back(std::move(part));
      }
    }
    for (size_t i = 0; i < rest->foreign_keys.size(); ++i) {
      SortByPosition(rest->foreign_key_columns[i]);
      ForeignKeyDefinition& key = rest->foreign_keys[i];
      for (auto& [position, column, referenced] : rest->foreign_key_columns[i]) {
        key.columns.append(std::move(column));
        if (!referenced.isEmpty()) key.referenced_columns.append(std::move(referenced));
      }
    }
    SortByName(rest->indexes);
    SortByName(rest->foreign_keys);
    SortByName(rest->checks);
    objects.indexes = std::move(rest->indexes);
    objects.foreign_keys = std::move(rest->foreign_keys);
    objects.checks = std::move(rest->checks);
  }
}

}  // namespace dataaccess
