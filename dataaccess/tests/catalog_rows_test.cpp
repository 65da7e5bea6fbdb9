// A server's catalog rows, in whatever order they come, make the catalog the walk expects.
#include <gtest/gtest.h>

#include "dataaccess/server/catalog_rows.h"
#include "testing/testutil.h"

namespace dataaccess {
namespace {

ServerColumn Column(const QString& name, int32_t data_type, bool required = false) {
  ServerColumn column;
  column.name = name;
  column.type.data_type = data_type;
  column.required = required;
  return column;
}

// "name:ordinal:type:required" for each column of the table, in catalog order.
QStringList Described(const DataTable& table) {
  QStringList described;
  auto columns = table.Columns().Enumerate();
  while (DataColumn* column = columns->Next()) {
    described << QStringLiteral("%1:%2:%3:%4")
                     .arg(column->Name().left(8))
                     .arg(column->OrdinalPosition())
                     .arg(column->DataType())
                     .arg(column->Required() ? 1 : 0);
  }
  return described;
}

TEST(CatalogRowsTest, InterleavedUnsortedRowsFillTheCatalogInOrder) {
  CatalogRows<QString> rows;
  const size_t b = rows.AddTable("b", {}, "b");
  const size_t a = rows.AddTable("a", {}, "a");
  const size_t gone = rows.AddTable("gone", {}, "gone");
  rows.AddTable("empty", {}, "empty");
  const QString long_name(20000, u'x');  // past the short length field of a stored name
  rows.AddColumn(b, 7, Column("late", kText));
  rows.AddColumn(a, 2, Column("naïve", kInteger, true));
  rows.AddColumn(gone, 1, Column("value", kInteger));
  rows.AddColumn(b, 3, Column("名前", kText, true));
  rows.AddColumn(rows.AddTable("a", {}, "ignored"), 1, Column(long_name, kFloat));
  rows.AddColumn(b, 3, Column("same", kInteger));  // an equal position keeps the order added
  rows.DropUnless([](const QString& table) { return table != "gone"; });
  CatalogTables tables;
  rows.Fill(tables, {});

  const struct {
    const char* table = nullptr;
    QStringList columns;
  } expected[] = {
      {"a", {"xxxxxxxx:1:4:0", "naïve:2:2:1"}},
      {"b", {"名前:1:7:1", "same:2:2:0", "late:3:7:0"}},
      {"empty", {}},
  };
  QStringList order;
  auto enumerated = tables.Enumerate();
  while (DataTable* table = enumerated->Next()) order << table->Name();
  EXPECT_EQ(order, QStringList({"a", "b", "empty"}));
  for (const auto& table : expected) {
    EXPECT_EQ(Described(tables.Item(table.table)), table.columns) << table.table;
  }
  EXPECT_EQ(tables.Item("a").Columns().Item(long_name).Name().size(), long_name.size());
}

TEST(CatalogRowsTest, ColumnsPastEveryChunkBoundaryKeepTheirPlace) {
  // More columns than the staged rows' first chunk and a huge page of the catalog each hold.
  constexpr int kColumns = 100000;
  CatalogRows<QString> rows;
  const size_t big = rows.AddTable("big", {}, "big");
  const size_t small = rows.AddTable("small", {}, "small");
  for (int i = kColumns; i >= 1; --i) {
    rows.AddColumn(big, i, Column(QString::number(i), i % 2 ? kInteger : kText, i % 3 == 0));
    if (i % 10000 == 0) rows.AddColumn(small, i, Column(QString::number(i), kInteger));
  }
  CatalogTables tables;
  rows.Fill(tables, {});
  ColumnCollection& columns = tables.Item("big").Columns();
  ASSERT_EQ(columns.Count(), kColumns);
  auto enumerated = columns.Enumerate();
  for (int i = 1; i <= kColumns; ++i) {
    DataColumn* column = enumerated->Next();
    ASSERT_NE(column, nullptr) << i;
    ASSERT_EQ(column->Name(), QString::number(i));
    ASSERT_EQ(column->OrdinalPosition(), static_cast<int16_t>(i)) << i;
    ASSERT_EQ(column->DataType(), i % 2 ? kInteger : kText) << i;
    ASSERT_EQ(column->Required(), i % 3 == 0) << i;
  }
  EXPECT_EQ(enumerated->Next(), nullptr);
  EXPECT_EQ(Described(tables.Item("small")).size(), 10);
  EXPECT_EQ(columns.Item("99999").Name(), "99999");
}

TEST(CatalogRowsTest, NamesDecodedInPlaceReadAsFromUtf8) {
  // One buffer reused for every name, longer and shorter ones in turn, as a reader uses it.
  const QByteArray names[] = {"a_much_longer_column_name",
                              "id",
                              "",
                              "naïve",
                              "名前",
                              "\xF0\x9F\x98\x80 emoji",
                              "cut\xE5\x90",
                              "bad\xFF\x62yte",
                              "x"};
  QString reused;
  for (const QByteArray& bytes : names) {
    AssignUtf8(reused, bytes);
    EXPECT_EQ(reused, QString::fromUtf8(bytes)) << bytes.toHex().constData();
  }
}

// A column kept in Latin-1 or UTF-16 answers whether it has a name as its built name would.
TEST(CatalogRowsTest, ColumnsTellTheirNameWithoutRegardToCaseAsTheirBuiltNameDoes) {
  const QString long_name = QString(200, u'a') + u'\u00C9';  // past the room on the stack
  const QString names[] = {"Name", "naïve", "名前", "a@", long_name};
  CatalogRows<QString> rows;
  const size_t t = rows.AddTable("t", {}, "t");
  int position = 0;
  for (const QString& name : names) rows.AddColumn(t, ++position, Column(name, kText));
  CatalogTables tables;
  rows.Fill(tables, {});
  const struct {
    QString column;
    QString asked;
    bool named;
  } cases[] = {
      {"Name", "Name", true},
      {"Name", "nAME", true},
      {"Name", "Nam", false},
      {"Name", "Names", false},
      {"Name", "Nbme", false},
      {"naïve", "NAÏVE", true},  // folded by Qt beyond ASCII
      {"naïve", "naive", false},
      {"名前", "名前", true},
      {"名前", "名", false},
      {"a@", "A`", false},  // 0x40 and 0x60 differ by the case bit but are no letters
      {long_name, QString(200, u'A') + u'\u00E9', true},
      {long_name, QString(200, u'a') + u'e', false},
  };
  for (const auto& [column, asked, named] : cases) {
    const DataColumn& stored = tables.Item("t").Columns().Item(column);
    const std::string row =
        (column.left(8) + QStringLiteral(" asked ") + asked.left(8)).toStdString();
    EXPECT_EQ(stored.IsNamed(asked), named) << row;
    EXPECT_EQ(SameNameIgnoringCase(stored.Name(), asked), named) << row;
  }
}

// A key or index names its columns by number: each is found however the table's rows came, both
// from the staged rows and, once they are given back, from the catalog filled.
TEST(CatalogRowsTest, ColumnsAreFoundByNumberHoweverTheirRowsCameBeforeAndAfterFill) {
  CatalogRows<QString> rows;
  const size_t in_order = rows.AddTable("in_order", {}, "in_order");
  for (int i = 1; i <= 3; ++i) {
    rows.AddColumn(in_order, i, Column(QStringLiteral("o%1").arg(i), kText));
  }
  const size_t gap = rows.AddTable("gap", {}, "gap");  // column 2 dropped
  for (int i : {1, 3, 4}) rows.AddColumn(gap, i, Column(QStringLiteral("g%1").arg(i), kText));
  const size_t reversed = rows.AddTable("reversed", {}, "reversed");
  rows.AddColumn(reversed, 3, Column("名前", kText));
  rows.AddColumn(reversed, 2, Column("naïve", kText));
  rows.AddColumn(reversed, 1, Column("r1", kText));
  const size_t a = rows.AddTable("a", {}, "a");  // rows of two tables interleaved
  const size_t b = rows.AddTable("b", {}, "b");
  for (int i = 1; i <= 3; ++i) {
    rows.AddColumn(a, i, Column(QStringLiteral("a%1").arg(i), kText));
    rows.AddColumn(b, i, Column(QStringLiteral("b%1").arg(i), kText));
  }
  rows.AddColumn(in_order, 4, Column("o4", kText));  // a late row of a table seen before
  const size_t empty = rows.AddTable("empty", {}, "empty");
  const size_t gone = rows.AddTable("gone", {}, "gone");
  rows.AddColumn(gone, 1, Column("x", kText));

  const struct {
    size_t table;
    long position;
    QString name;  // null: no such column
  } cases[] = {
      {in_order, 1, "o1"},   {in_order, 3, "o3"}, {in_order, 4, "o4"},
      {in_order, 0, {}},     {in_order, 5, {}},   {in_order, -1, {}},
      {gap, 1, "g1"},        {gap, 2, {}},        {gap, 3, "g3"},
      {gap, 4, "g4"},        {reversed, 1, "r1"}, {reversed, 2, "naïve"},
      {reversed, 3, "名前"}, {a, 2, "a2"},        {b, 1, "b1"},
      {b, 3, "b3"},          {b, 4, {}},          {empty, 1, {}},
  };
  const auto check = [&](const char* phase) {
    for (const auto& [table, position, name] : cases) {
      const QString found = rows.ColumnName(table, position);
      const std::string row =
          phase +
          (QStringLiteral(" %1 column %2").arg(rows.Name(table)).arg(position)).toStdString();
      EXPECT_EQ(found, name) << row;
      EXPECT_EQ(found.isNull(), name.isNull()) << row;
    }
  };
  check("staged");
  EXPECT_EQ(rows.ColumnName(gone, 1), "x");
  rows.DropUnless([](const QString& table) { return table != "gone"; });
  CatalogTables tables;
  rows.Fill(tables, {});
  check("filled");
  EXPECT_TRUE(rows.ColumnName(gone, 1).isNull()) << "a table left out of the catalog";
}

}  // namespace
}  // namespace dataaccess
