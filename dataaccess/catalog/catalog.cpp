#include "dataaccess/catalog/catalog.h"

#include <QHashFunctions>

#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

template <class Interface, class Concrete>
class VectorEnumerator final : public Enumerator<Interface> {
 public:
  explicit VectorEnumerator(const std::vector<Concrete>& items) : items_(items) {}
  Interface* Next() override {
    if (next_ >= items_.size()) return nullptr;
    return const_cast<Concrete*>(&items_[next_++]);
  }

 private:
  const std::vector<Concrete>& items_;
  size_t next_ = 0;
};

[[noreturn]] void ThrowNotFound(const QString& what, const QString& name) {
  throw component::Error(kItemNotFound, ErrorSource(),
                         QStringLiteral("Item not found in this collection: %1 '%2'").arg(what, name));
}

}  // namespace

void CatalogColumns::Add(ColumnDefinition definition) {
  exact_hashes_.push_back(qHash(definition.name));
  folded_hashes_.push_back(qHash(FoldAsciiCase(definition.name)));
  columns_.emplace_back(std::move(definition));
}

std::unique_ptr<Enumerator<DataColumn>> CatalogColumns::Enumerate() const {
  return std::make_unique<VectorEnumerator<DataColumn, CatalogColumn>>(columns_);
}

DataColumn& CatalogColumns::Item(const QString& name) const {
  const size_t exact = qHash(name);
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (exact_hashes_[i] == exact && columns_[i].Name() == name) {
      return const_cast<CatalogColumn&>(columns_[i]);
    }
  }
  const QString folded_name = FoldAsciiCase(name);
  const size_t folded = qHash(folded_name);
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (folded_hashes_[i] == folded && FoldAsciiCase(columns_[i].Name()) == folded_name) {
      return const_cast<CatalogColumn&>(columns_[i]);
    }
  }
  ThrowNotFound(QStringLiteral("column"), name);
}

CatalogTable& CatalogTables::AddTable(QString name) {
  index_.Add(name, static_cast<int32_t>(tables_.size()));
  return tables_.emplace_back(std::move(name));
}

void CatalogTables::Reserve(size_t count) {
  tables_.reserve(count);
  index_.Reserve(static_cast<qsizetype>(count));
}

std::unique_ptr<Enumerator<DataTable>> CatalogTables::Enumerate() const {
  return std::make_unique<VectorEnumerator<DataTable, CatalogTable>>(tables_);
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
