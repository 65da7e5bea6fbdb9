#include "dataaccess/server/catalog_rows.h"

#include <QStringDecoder>
#include <algorithm>
#include <cassert>

#include "dataaccess/server/server_table_name.h"

namespace dataaccess {

void AssignUtf8(QString& text, QByteArrayView bytes) {
  text.resize(bytes.size());  // never fewer UTF-8 bytes than UTF-16 units
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QChar* end = decoder.appendToBuffer(text.data(), bytes);
  text.truncate(end - text.constData());
}

size_t StagedCatalog::AddTable(QString schema, QString name) {
  tables_.emplace_back(Table{.schema = std::move(schema), .name = std::move(name)});
  return tables_.size() - 1;
}

void StagedCatalog::AddColumn(size_t table, long position, const ServerColumn& column) {
  Table& owner = tables_[table];
  if (owner.dropped) return;
  const auto [it, added] = type_numbers_.try_emplace(StoredType{column.type, column.declared_type},
                                                     static_cast<uint32_t>(types_.size()));
  if (added) types_.push_back(it->first);
  const auto size = static_cast<size_t>(column.name.size());
  char16_t* name = names_.Allocate(size);
  std::copy_n(reinterpret_cast<const char16_t*>(column.name.constData()), size, name);
  const auto number = static_cast<uint32_t>(columns_.size());
  columns_.emplace_back(Column{name, static_cast<uint32_t>(size), static_cast<int32_t>(position),
                               it->second, kNoColumn, column.required});
  if (owner.count++ == 0) {
    owner.first = number;
  } else {
    columns_[owner.last].next = number;
  }
  owner.last = number;
}

void StagedCatalog::Drop(size_t table) { tables_[table].dropped = true; }

QString StagedCatalog::ColumnName(size_t table, long position) const {
  if (filled_) return FilledColumnName(table, position);
  const Table& owner = tables_[table];
  if (owner.count == 0 || columns_.size() == 0) return QString();
  const auto name_of = [](const Column& column) {
    return QString(reinterpret_cast<const QChar*>(column.name),
                   static_cast<qsizetype>(column.name_size));
  };
  // A table's rows mostly arrive together and in column order: its columns then stand side by
  // side, numbered from 1 unless one was dropped, and the one asked for is found at once.
  if (owner.last - owner.first + 1 == owner.count) {
    if (position >= 1 && static_cast<unsigned long>(position) <= owner.count) {
      const Column& guess = columns_[owner.first + static_cast<uint32_t>(position) - 1];
      if (guess.position == position) return name_of(guess);
    }
    for (uint32_t at = owner.first; at <= owner.last; ++at) {
      if (columns_[at].position == position) return name_of(columns_[at]);
    }
    return QString();
  }
  // Rows interleaved with another table's, as a hash join in batches sends them.
  for (uint32_t at = owner.first; at != kNoColumn; at = columns_[at].next) {
    if (columns_[at].position == position) return name_of(columns_[at]);
  }
  return QString();
}

QString StagedCatalog::FilledColumnName(size_t table, long position) const {
  const Table& owner = tables_[table];
  if (owner.filled_first == kNoColumn) return QString();
  const auto begin = filled_positions_.begin() + owner.filled_first;
  const auto found = std::find(begin, begin + owner.count, position);
  if (found == begin + owner.count) return QString();
  if (!owner.filled) {
    owner.filled =
        filled_->FindExact(ServerTableName(filled_default_schema_, owner.schema, owner.name));
    if (!owner.filled) return QString();
  }
  return owner.filled->MutableColumns().At(static_cast<uint32_t>(found - begin)).Name();
}

void StagedCatalog::ReleaseColumns() {
  columns_.Clear();
  names_.Clear();
  types_ = {};
  type_numbers_ = {};
}

void StagedCatalog::ReplaceTypes(std::vector<StoredType> types) {
  assert(types.size() == types_.size());
  types_ = std::move(types);
  type_numbers_.clear();
  for (uint32_t number = 0; number < types_.size(); ++number) {
    type_numbers_.try_emplace(types_[number], number);  // two keys may stand for one type
  }
}

std::vector<const StagedCatalog::Table*> StagedCatalog::SortedTables() {
  std::vector<const Table*> sorted;
  sorted.reserve(tables_.size());
  for (size_t i = 0; i < tables_.size(); ++i) {
    if (!tables_[i].dropped) sorted.push_back(&tables_[i]);
  }
  std::sort(sorted.begin(), sorted.end(), [](const Table* a, const Table* b) {
    return a->schema != b->schema ? a->schema < b->schema : a->name < b->name;
  });
  return sorted;
}

void StagedCatalog::Fill(CatalogTables& tables, const QString& default_schema,
                         const Adjust& adjust) {
  const std::vector<const Table*> sorted = SortedTables();
  filled_positions_.reserve(columns_.size());
  FillRun(tables, default_schema, sorted.data(), sorted.data() + sorted.size(), adjust);
  filled_ = &tables;
  filled_default_schema_ = default_schema;
  ReleaseColumns();
}

void StagedCatalog::FillSchemas(const QStringList& schemas, const SchemaFill& each,
                                const Adjust& adjust) {
  const std::vector<const Table*> sorted = SortedTables();
  const Table* const* at = sorted.data();
  const Table* const* const end = at + sorted.size();
  for (const QString& schema : schemas) {
    while (at != end && (*at)->schema < schema) ++at;
    const Table* const* run_end = at;
    while (run_end != end && (*run_end)->schema == schema) ++run_end;
    each(schema, [&](CatalogTables& tables) { FillRun(tables, schema, at, run_end, adjust); });
    at = run_end;
  }
  filled_positions_ = {};  // no one catalog to read the names from
  ReleaseColumns();
}

void StagedCatalog::FillRun(CatalogTables& tables, const QString& default_schema,
                            const Table* const* begin, const Table* const* end,
                            const Adjust& adjust) {
  size_t column_count = 0;
  for (const Table* const* table = begin; table != end; ++table) column_count += (*table)->count;
  tables.Reserve(static_cast<size_t>(end - begin), column_count);
  ColumnDefinition definition;  // reused: its name keeps its buffer from column to column
  std::vector<const Column*> in_order;
  std::vector<const StoredType*> interned(types_.size(), nullptr);  // by staged type number
  for (const Table* const* staged = begin; staged != end; ++staged) {
    const Table& table = **staged;
    CatalogColumns& columns =
        tables.AddTable(ServerTableName(default_schema, table.schema, table.name), table.view)
            .MutableColumns();
    in_order.clear();
    for (uint32_t at = table.first; at != kNoColumn; at = columns_[at].next) {
      in_order.push_back(&columns_[at]);
    }
    const auto by_position = [](const Column* a, const Column* b) {
      return a->position < b->position;
    };
    if (!std::is_sorted(in_order.begin(), in_order.end(), by_position)) {
      std::stable_sort(in_order.begin(), in_order.end(), by_position);
    }
    table.filled_first = static_cast<uint32_t>(filled_positions_.size());
    int16_t ordinal = 0;
    for (const Column* column : in_order) {
      filled_positions_.push_back(column->position);
      definition.name.setUnicode(reinterpret_cast<const QChar*>(column->name),
                                 static_cast<qsizetype>(column->name_size));
      const StoredType& type = types_[column->type];
      definition.type = type.type;
      definition.declared_type = type.declared;
      definition.ordinal_position = ++ordinal;
      definition.required = column->required;
      if (adjust) adjust(table.schema, table.name, definition);
      if (definition.type == type.type && definition.declared_type.isSharedWith(type.declared)) {
        const StoredType*& known = interned[column->type];
        if (!known) known = tables.InternType(type);
        columns.Add(definition, known);
      } else {
        columns.Add(definition);  // adjusted: a type of its own
      }
    }
  }
}

}  // namespace dataaccess
