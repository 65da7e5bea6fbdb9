// A scripted stand-in for a database connection, for the faults a real database cannot produce
// on demand: any property, lookup, count, name or enumeration step can be made to fail.
#ifndef VANTREL_VANTREL_CORE_TESTS_FAKE_DATABASE_H_
#define VANTREL_VANTREL_CORE_TESTS_FAKE_DATABASE_H_

#include <QString>
#include <set>
#include <string>
#include <vector>

#include "dataaccess/data_objects.h"
#include "platform/component/error.h"

namespace vantrel::test_support {

// Names the members that fail; a member fails when its name is in the set.
using Faults = std::set<std::string>;

[[noreturn]] inline void Fail(const std::string& what) {
  throw component::Error(3999, QStringLiteral("Fake"), QString::fromStdString(what + " fails"));
}

struct FakeColumn final : dataaccess::DataColumn {
  QString name;
  int32_t type = 2;
  int32_t size = 4;
  int16_t ordinal = 1;
  bool required = false;
  int32_t attributes = 1;
  bool zero_length = false;
  Faults faults;

  void Check(const char* member) const {
    if (faults.count(member)) Fail(member);
  }
  QString Name() const override { return Check("Name"), name; }
  int32_t DataType() const override { return Check("DataType"), type; }
  int32_t Size() const override { return Check("Size"), size; }
  int16_t OrdinalPosition() const override { return Check("OrdinalPosition"), ordinal; }
  bool Required() const override { return Check("Required"), required; }
  int32_t Attributes() const override { return Check("Attributes"), attributes; }
  bool AllowZeroLength() const override { return Check("AllowZeroLength"), zero_length; }
};

template <class Item>
class FakeEnumerator final : public dataaccess::Enumerator<Item> {
 public:
  FakeEnumerator(std::vector<Item*> items, int fail_at)
      : items_(std::move(items)), fail_at_(fail_at) {}
  Item* Next() override {
    if (static_cast<int>(next_) == fail_at_) Fail("Next");
    return next_ < items_.size() ? items_[next_++] : nullptr;
  }

 private:
  std::vector<Item*> items_;
  int fail_at_;
  size_t next_ = 0;
};

struct FakeColumns final : dataaccess::ColumnCollection {
  std::vector<FakeColumn> columns;
  Faults faults;          // "Count", "Enumerate", "Item:<name>"
  int fail_next_at = -1;  // the enumeration fails when asked for this item

  std::unique_ptr<dataaccess::Enumerator<dataaccess::DataColumn>> Enumerate() const override {
    if (faults.count("Enumerate")) Fail("Enumerate");
    std::vector<dataaccess::DataColumn*> items;
    for (const FakeColumn& c : columns) items.push_back(const_cast<FakeColumn*>(&c));
    return std::make_unique<FakeEnumerator<dataaccess::DataColumn>>(items, fail_next_at);
  }
  int32_t Count() const override {
    if (faults.count("Count")) Fail("Count");
    return static_cast<int32_t>(columns.size());
  }
  dataaccess::DataColumn& Item(const QString& name) const override {
    if (faults.count("Item:" + name.toStdString())) Fail("Item");
    for (const FakeColumn& c : columns) {
      if (c.name == name) return const_cast<FakeColumn&>(c);
    }
    Fail("Item (not found)");
  }
};

struct FakeTable final : dataaccess::DataTable {
  QString name;
  mutable FakeColumns columns;
  Faults faults;  // "Name", "Columns"
  QString Name() const override {
    if (faults.count("Name")) Fail("Name");
    return name;
  }
  dataaccess::ColumnCollection& Columns() const override {
    if (faults.count("Columns")) Fail("Columns");
    return columns;
  }
};

struct FakeTables final : dataaccess::TableCollection {
  std::vector<FakeTable> tables;
  Faults faults;  // "Enumerate", "Item:<name>"
  int fail_next_at = -1;
  std::unique_ptr<dataaccess::Enumerator<dataaccess::DataTable>> Enumerate() const override {
    if (faults.count("Enumerate")) Fail("Enumerate");
    std::vector<dataaccess::DataTable*> items;
    for (const FakeTable& t : tables) items.push_back(const_cast<FakeTable*>(&t));
    return std::make_unique<FakeEnumerator<dataaccess::DataTable>>(items, fail_next_at);
  }
  dataaccess::DataTable& Item(const QString& name) const override {
    if (faults.count("Item:" + name.toStdString())) Fail("Item");
    for (const FakeTable& t : tables) {
      if (t.name.compare(name, Qt::CaseInsensitive) == 0) return const_cast<FakeTable&>(t);
    }
    Fail("Item (not found)");
  }
};

struct FakeConnection final : dataaccess::DataConnection {
  QString database_name;
  mutable FakeTables tables;
  Faults faults;  // "DatabaseName", "Tables"
  QString ConnectString() const override { return QStringLiteral("fake:") + database_name; }
  QString DatabaseName() const override {
    if (faults.count("DatabaseName")) Fail("DatabaseName");
    return database_name;
  }
  dataaccess::TableCollection& Tables() const override {
    if (faults.count("Tables")) Fail("Tables");
    return tables;
  }
  void Close() override {}
};

// A table of `names`, each column an INTEGER at its position.
inline FakeTable MakeTable(const QString& name, const std::vector<QString>& names) {
  FakeTable table;
  table.name = name;
  int16_t ordinal = 0;
  for (const QString& column_name : names) {
    FakeColumn column;
    column.name = column_name;
    column.ordinal = ++ordinal;
    table.columns.columns.push_back(column);
  }
  return table;
}

}  // namespace vantrel::test_support

#endif  // VANTREL_VANTREL_CORE_TESTS_FAKE_DATABASE_H_
