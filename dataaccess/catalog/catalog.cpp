#include "dataaccess/catalog/catalog.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <stdexcept>
#include <type_traits>
#include <unordered_set>

#include "dataaccess/catalog/chunked_storage.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

[[noreturn]] void ThrowNotFound(const QString& what, const QString& name) {
  throw component::Error(
      kItemNotFound, ErrorSource(),
      QStringLiteral("Item not found in this collection: %1 '%2'").arg(what, name));
}

// A column's record in the name buffer: a unit of flags and length, a unit holding the ordinal
// position, then the name. Its characters follow as Latin-1 bytes, two to a unit, when they all
// have one (most names are ASCII). A length of kLongName or more is kLongName in the first unit
// and the length in two units after the position.
constexpr char16_t kLatin1Flag = 0x8000;
constexpr char16_t kRequiredFlag = 0x4000;
constexpr char16_t kLongName = 0x3FFF;

bool IsLatin1(QStringView name) {
  return std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x100; });
}

}  // namespace

// Everything the tables of one catalog share: the characters of every name, one copy of each
// distinct column type, and the columns. All three grow in chunks that never move, so the views
// and pointers handed out stay valid while more is added.
class CatalogStore {
 public:
  QStringView AddName(QStringView name) {
    char16_t* at = names_.Allocate(static_cast<size_t>(name.size()));
    std::copy(name.utf16(), name.utf16() + name.size(), at);
    return QStringView(at, name.size());
  }

  // Before the first column is added.
  void ReserveColumns(size_t count) { columns_.Reserve(count); }

  uint32_t ColumnCount() const { return static_cast<uint32_t>(columns_.size()); }

  const StoredType* Intern(const StoredType& type) { return &*types_.insert(type).first; }

  void AddColumn(const ColumnDefinition& definition, const StoredType* type) {
    if (!type) {
      type = Intern(StoredType{definition.type, definition.declared_type, definition.labels});
    }
    columns_.emplace_back(Encode(definition), type);
  }

  CatalogColumn& Column(uint32_t index) const {
    return const_cast<CatalogColumn&>(columns_[index]);
  }

 private:
  const char16_t* Encode(const ColumnDefinition& definition) {
    const QStringView name = definition.name;
    const bool latin1 = IsLatin1(name);
    const size_t size = static_cast<size_t>(name.size());
    const bool long_name = size >= kLongName;
    const size_t header = long_name ? 4 : 2;
    char16_t* at = names_.Allocate(header + (latin1 ? (size + 1) / 2 : size));
    at[0] = static_cast<char16_t>((latin1 ? kLatin1Flag : 0) |
                                  (definition.required ? kRequiredFlag : 0) |
                                  (long_name ? kLongName : size));
    at[1] = static_cast<char16_t>(definition.ordinal_position);
    if (long_name) {
      at[2] = static_cast<char16_t>(size & 0xFFFF);
      at[3] = static_cast<char16_t>(size >> 16);
    }
    if (latin1) {
      std::transform(name.begin(), name.end(), reinterpret_cast<char*>(at + header),
                     [](QChar c) { return static_cast<char>(c.unicode()); });
    } else {
      std::copy(name.utf16(), name.utf16() + size, at + header);
    }
    return at;
  }

  // A catalog lives as long as its connection: only columns reserved up front, which are sure to
  // fill their pages, get huge ones.
  ChunkedArena<char16_t, HugePages::kNever> names_;
  std::unordered_set<StoredType, StoredTypeHash, StoredTypeEqual> types_;  // nodes never move
  ChunkedVector<CatalogColumn, HugePages::kNever> columns_;
};

size_t StoredTypeHash::operator()(const StoredType& stored) const {
  const ColumnType& t = stored.type;
  return (static_cast<size_t>(static_cast<uint32_t>(t.data_type)) * 1000003u) ^
         (static_cast<size_t>(static_cast<uint32_t>(t.size)) * 8191u) ^
         (static_cast<size_t>(static_cast<uint32_t>(t.attributes)) << 1) ^
         static_cast<size_t>(t.allow_zero_length) ^ (qHash(stored.declared) << 7);
}

bool StoredTypeEqual::operator()(const StoredType& x, const StoredType& y) const {
  return x.type == y.type && x.declared == y.declared;
}

bool CatalogColumn::IsNamed(QStringView name) const {
  return NameView().visit([&](auto stored) {
    if constexpr (std::is_same_v<decltype(stored), QUtf8StringView>) {
      return SameNameIgnoringCase(Name(), name);
    } else {
      return SameNameIgnoringCase(stored, name);  // Latin-1 or UTF-16, read where it is kept
    }
  });
}

QAnyStringView CatalogColumn::NameView() const {
  qsizetype size = stored_[0] & kLongName;
  const char16_t* characters = stored_ + 2;
  if (size == kLongName) {
    size = static_cast<qsizetype>(stored_[2]) | (static_cast<qsizetype>(stored_[3]) << 16);
    characters = stored_ + 4;
  }
  if (stored_[0] & kLatin1Flag) {
    return QLatin1StringView(reinterpret_cast<const char*>(characters), size);
  }
  return QStringView(characters, size);
}

int16_t CatalogColumn::OrdinalPosition() const { return static_cast<int16_t>(stored_[1]); }

bool CatalogColumn::Required() const { return (stored_[0] & kRequiredFlag) != 0; }

namespace {

class ColumnEnumerator final : public Enumerator<DataColumn> {
 public:
  ColumnEnumerator(const CatalogStore& store, uint32_t first, uint32_t end)
      : store_(store), next_(first), end_(end) {}
  DataColumn* Next() override { return next_ < end_ ? &store_.Column(next_++) : nullptr; }

 private:
  const CatalogStore& store_;
  uint32_t next_;
  uint32_t end_;
};

class TableEnumerator final : public Enumerator<DataTable> {
 public:
  explicit TableEnumerator(const std::vector<CatalogTable>& tables) : tables_(tables) {}
  DataTable* Next() override {
    if (next_ >= tables_.size()) return nullptr;
    return const_cast<CatalogTable*>(&tables_[next_++]);
  }

 private:
  const std::vector<CatalogTable>& tables_;
  size_t next_ = 0;
};

}  // namespace

void CatalogColumns::Add(const ColumnDefinition& definition, const StoredType* type) {
  if (count_ == 0) {
    first_ = store_->ColumnCount();
  } else if (first_ + count_ != store_->ColumnCount()) {
    throw std::logic_error("the columns of a table must be added together");
  }
  store_->AddColumn(definition, type);
  ++count_;
}

std::unique_ptr<Enumerator<DataColumn>> CatalogColumns::Enumerate() const {
  return std::make_unique<ColumnEnumerator>(*store_, first_, first_ + count_);
}

const CatalogColumn& CatalogColumns::At(uint32_t index) const {
  assert(index < count_);
  return store_->Column(first_ + index);
}

DataColumn& CatalogColumns::Item(const QString& name) const {
  // An exact name wins over a folded one, wherever each stands: every column is tried exactly
  // before any is tried folded.
  std::atomic_ref<uint32_t> next(next_lookup_);
  uint32_t offset = next.load(std::memory_order_relaxed);
  if (offset >= count_) offset = 0;
  for (uint32_t tried = 0; tried < count_; ++tried) {
    CatalogColumn& column = store_->Column(first_ + offset);
    if (++offset == count_) offset = 0;
    if (column.NameView() == name) {
      next.store(offset, std::memory_order_relaxed);
      return column;
    }
  }
  const uint32_t end = first_ + count_;
  for (uint32_t i = first_; i < end; ++i) {
    CatalogColumn& column = store_->Column(i);
    if (EqualFolded(column.NameView(), name)) return column;
  }
  ThrowNotFound(QStringLiteral("column"), name);
}

TableObjects& CatalogTable::MutableObjects() {
  if (!objects_) objects_ = std::make_unique<TableObjects>();
  return *objects_;
}

CatalogTables::CatalogTables() : store_(std::make_unique<CatalogStore>()) {}
CatalogTables::~CatalogTables() = default;

CatalogTable& CatalogTables::AddTable(const QString& name, bool view) {
  const QStringView stored = store_->AddName(name);
  index_.Add(stored, static_cast<int32_t>(tables_.size()));
  return tables_.emplace_back(store_.get(), stored, view);
}

void CatalogTables::Reserve(size_t count, size_t columns) {
  tables_.reserve(count);
  store_->ReserveColumns(columns);
  index_.Reserve(count);
}

CatalogTable* CatalogTables::FindExact(const QString& name) {
  const int32_t position = index_.FindExact(name);
  return position < 0 ? nullptr : &tables_[static_cast<size_t>(position)];
}

const StoredType* CatalogTables::InternType(const StoredType& type) { return store_->Intern(type); }

std::unique_ptr<Enumerator<DataTable>> CatalogTables::Enumerate() const {
  return std::make_unique<TableEnumerator>(tables_);
}

DataTable& CatalogTables::Item(const QString& name) const {
  const int32_t position = index_.Find(name);
  if (position < 0) ThrowNotFound(QStringLiteral("table"), name);
  return const_cast<CatalogTable&>(tables_[static_cast<size_t>(position)]);
}

TableCollection& CatalogConnection::Tables() const {
  if (closed_) {
    throw component::Error(kConnectionClosed, ErrorSource(),
                           QStringLiteral("The connection to '%1' is closed").arg(database_name_));
  }
  return tables_;
}

}  // namespace dataaccess
