#include "dataaccess/catalog/type_kinds.h"

#include <gtest/gtest.h>

#include "testing/testutil.h"

#include <QString>
#include <tuple>
#include <vector>

namespace dataaccess {
namespace {

std::string Describe(const ColumnType& t) {
  return QStringLiteral("{kind %1, size %2, attributes %3, zero-length %4}")
      .arg(t.data_type)
      .arg(t.size)
      .arg(t.attributes)
      .arg(t.allow_zero_length)
      .toStdString();
}

// Spellings that must classify alike, whichever engine wrote them.
TEST(TypeKindsTest, AliasesCompareEqual) {
  const std::vector<std::vector<const char*>> groups = {
      {"INT", "INTEGER", "int4", "int", "Integer", "INT(11)", "serial"},
      {"BIGINT", "int8", "bigint(20)", "BIG INT", "bigserial"},
      {"SMALLINT", "int2", "smallserial"},
      {"VARCHAR(20)", "character varying(20)", "NVARCHAR(20)", "varchar2( 20 )",
       "VARYING CHARACTER(20)", "char varying(20)"},
      {"CHAR(3)", "character(3)", "bpchar(3)", "NCHAR(3)", "NATIVE CHARACTER(3)"},
      {"CHAR", "character", "char(1)"},
      {"NUMERIC(10,2)", "decimal(10, 2)", "DEC(10,2)"},
      {"REAL", "float4", "FLOAT(24)"},
      {"DOUBLE", "DOUBLE PRECISION", "float8", "FLOAT", "float(53)"},
      {"TIMESTAMP", "timestamp without time zone", "DATETIME", "timestamp(6)"},
      {"timestamptz", "timestamp with time zone", "TIMESTAMP(6) WITH TIME ZONE"},
      {"TEXT", "clob", "text"},
      {"BLOB", "bytea"},
      {"BOOLEAN", "bool"},
      {"bit varying(5)", "varbit(5)"},
      {"interval", "interval year to month", "INTERVAL(3)"},
  };
  for (const auto& group : groups) {
    const ColumnType first = ClassifyDeclaredType(QString::fromUtf8(group[0]));
    for (const char* spelling : group) {
      EXPECT_TRUE(ClassifyDeclaredType(QString::fromUtf8(spelling)) == first)
          << spelling << " " << Describe(ClassifyDeclaredType(QString::fromUtf8(spelling)))
          << " vs " << group[0] << " " << Describe(first);
    }
  }
}

// Each pair names a change a user must see: the kind or the Size differs.
TEST(TypeKindsTest, DifferentDefinitionsDiffer) {
  const std::vector<std::pair<const char*, const char*>> pairs = {
      {"INT", "BIGINT"},
      {"INT", "MEDIUMINT"},
      {"VARCHAR(20)", "VARCHAR(21)"},
      {"VARCHAR(20)", "CHAR(20)"},
      {"VARCHAR", "TEXT"},
      {"NUMERIC(10,2)", "NUMERIC(12,2)"},
      {"NUMERIC(10,2)", "NUMERIC(10,3)"},
      {"NUMERIC(10,2)", "NUMERIC"},
      {"REAL", "DOUBLE"},
      {"TIMESTAMP", "TIMESTAMPTZ"},
      {"TIMESTAMP", "TIMESTAMP(3)"},
      {"TIME", "TIME WITH TIME ZONE"},
      {"inet", "cidr"},
      {"geometry(Point)", "geometry(Polygon)"},
      {"ENUM('a','b')", "ENUM('a','c')"},
      {"ENUM('a','b')", "ENUM('A','b')"},
      {"ENUM('a','b')", "SET('a','b')"},
      {"ENUM('a,b')", "ENUM('a','b')"},
      {"", "TEXT"},
      {"BLOB", "TEXT"},
      {"UUID", "CHAR(16)"},
      {"INT UNSIGNED", "INT"},
      {"integer[]", "integer"},
  };
  for (const auto& [a, b] : pairs) {
    const ColumnType ta = ClassifyDeclaredType(QString::fromUtf8(a));
    const ColumnType tb = ClassifyDeclaredType(QString::fromUtf8(b));
    EXPECT_FALSE(ta == tb) << a << " and " << b << " both " << Describe(ta);
  }
}

TEST(TypeKindsTest, SizesFollowTheDocumentedTableAndTheEnginesRules) {
  using enum TypeDialect;
  struct Row {
    TypeDialect dialect;
    const char* declared;
    int32_t kind;
    int32_t size;
    int32_t attributes;
    bool zero_length;
  };
  const std::vector<Row> rows = {
      {kOther, "VARCHAR(50)", kVarChar, 50, kVariableLength, true},
      {kOther, "VARCHAR", kVarChar, 0, kVariableLength, true},
      {kOther, "CHAR(10)", kChar, 10, kFixedLength, false},
      {kOther, "INTEGER", kInteger, 4, kFixedLength, false},
      {kOther, "tinyint(1) unsigned zerofill", kInteger, 1, kFixedLength | kUnsigned, false},
      {kOther, "NUMERIC(10,2)", kDecimal, 10 * 65536 + 2, kFixedLength, false},
      {kOther, "numeric(5,-2)", kDecimal, 5 * 65536 + 0xFFFE, kFixedLength, false},
      {kOther, "NUMERIC(40000,2)", kDecimal, int32_t(0x9C400002), kFixedLength, false},
      {kOther, "NUMERIC(65537)", kDecimal, 65536, kFixedLength, false},
      {kOther, "DATE", kDate, 4, kFixedLength, false},
      {kOther, "", kUntyped, 0, 0, true},
      {kOther, "  ", kUntyped, 0, 0, true},
      {kOther, "BLOB", kBlob, 0, kVariableLength, true},
      {kOther, "TEXT", kText, 0, kVariableLength, true},
      {kOther, "MEDIUMTEXT", kText, 16777215, kVariableLength, true},
      {kOther, "bit(8)", kBit, 8, kFixedLength, false},
      {kSqlite, "REAL", kFloat, 8, kFixedLength, false},
      {kSqlite, "FLOAT(10)", kFloat, 8, kFixedLength, false},
      {kSqlite, "INTEGER UNSIGNED", kInteger, 4, kFixedLength, false},
      {kSqlite, "DATETIME", kTimestamp, 6, kFixedLength, false},
      {kSqlite, "TIME(0)", kTime, 6, kFixedLength, false},
      // SQLite's affinity rule first, the spelling only within the affinity.
      {kSqlite, "BLOB SUB_TYPE TEXT", kText, 0, kVariableLength, true},
      {kSqlite, "LONG VARCHAR", kText, 0, kVariableLength, true},
      {kSqlite, "VARCHAR(20)", kVarChar, 20, kVariableLength, true},
      {kSqlite, "POINT", kInteger, 8, kFixedLength, false},
      {kSqlite, "INTERVAL", kInteger, 8, kFixedLength, false},
      {kSqlite, "FLOATING POINT", kInteger, 8, kFixedLength, false},
      {kSqlite, "BLOB SUB_TYPE 0", kBlob, 0, kVariableLength, true},
      {kSqlite, "DOUBLE FLOAT", kFloat, 8, kFixedLength, false},
      {kSqlite, "REAL4", kFloat, 8, kFixedLength, false},
      {kSqlite, "JSON", kJson, 0, kVariableLength, false},
      {kSqlite, "BOOLEAN", kBoolean, 1, kFixedLength, false},
      {kMysql, "timestamp", kTimestampTz, 0, kFixedLength, false},
      {kMysql, "timestamp(3)", kTimestampTz, 3, kFixedLength, false},
      {kPostgres, "timestamp without time zone", kTimestamp, 6, kFixedLength, false},
      {kPostgres, "time(3) with time zone", kTimeTz, 3, kFixedLength, false},
      {kMysql, "datetime", kTimestamp, 0, kFixedLength, false},
      {kMysql, "time(6)", kTime, 6, kFixedLength, false},
      {kMysql, "float", kFloat, 4, kFixedLength, false},
      {kMysql, "float unsigned", kFloat, 4, kFixedLength | kUnsigned, false},
      {kMysql, "float(7,3)", kFloat, 4, kFixedLength, false},
      {kMysql, "tinyint(1)", kBoolean, 1, kFixedLength, false},
      {kMysql, "tinyint(1) unsigned", kInteger, 1, kFixedLength | kUnsigned, false},
      {kMysql, "tinyint(1) zerofill", kInteger, 1, kFixedLength, false},
      {kMysql, "tinyint(4)", kInteger, 1, kFixedLength, false},
      {kMysql, "text", kText, 65535, kVariableLength, true},
      {kMysql, "blob", kBlob, 65535, kVariableLength, true},
      {kMysql, "longtext", kText, 0, kVariableLength, true},
      {kMysql, "enum('a','it''s','b\\\\c')", kEnum, EnumType({"a", "it's", "b\\c"}).size,
       kVariableLength, false},
      {kOther, "ENUM( 'a' , \"it's\", 'b\\c' )", kEnum, EnumType({"a", "it's", "b\\c"}).size,
       kVariableLength, false},
  };
  for (const Row& row : rows) {
    const ColumnType t = ClassifyDeclaredType(QString::fromUtf8(row.declared), row.dialect);
    EXPECT_TRUE((t == ColumnType{row.kind, row.size, row.attributes, row.zero_length}))
        << row.declared << " in dialect " << static_cast<int>(row.dialect) << ": " << Describe(t);
  }
}

// Catalog facts beyond the spelling: a column the engine numbers, a text held to JSON by a
// check, and the storage PostgreSQL gives a type of another name.
TEST(TypeKindsTest, CatalogFactsAdjustTheType) {
  // A numbered key keeps its width; only SQLite's rowid alias has none of its own.
  const ColumnType key = AutoNumbered(ClassifyDeclaredType(u"INTEGER"));
  EXPECT_FALSE(key == AutoNumbered(ClassifyDeclaredType(u"bigint"))) << Describe(key);
  EXPECT_TRUE(key == (ColumnType{kInteger, 4, kFixedLength | kAutoIncrement, false}));
  EXPECT_TRUE(RowidAlias(ClassifyDeclaredType(u"INTEGER")) ==
              (ColumnType{kInteger, 0, kFixedLength | kAutoIncrement, false}));
  EXPECT_EQ(AutoNumbered(ClassifyDeclaredType(u"NUMERIC(10)")).size, 10 * 65536);
  // The empty set and the empty array are values distinct from NULL, as '' is for a text.
  for (const auto& [declared, dialect, empty_allowed] :
       std::vector<std::tuple<const char16_t*, TypeDialect, bool>>{
           {u"set('a','b')", TypeDialect::kMysql, true},
           {u"integer[]", TypeDialect::kPostgres, true},
           {u"character varying(3)[]", TypeDialect::kPostgres, true},
           {u"enum('a','b')", TypeDialect::kMysql, false},
           {u"json", TypeDialect::kPostgres, false}}) {
    EXPECT_EQ(ClassifyDeclaredType(declared, dialect).allow_zero_length, empty_allowed)
        << QString::fromUtf16(declared).toStdString();
  }
  const ColumnType json = AsJson(ClassifyDeclaredType(u"longtext", TypeDialect::kMysql));
  EXPECT_TRUE(json == ClassifyDeclaredType(u"JSON")) << Describe(json);
  EXPECT_EQ(AsJson(ClassifyDeclaredType(u"text", TypeDialect::kMysql)).size, 65535);
  EXPECT_TRUE(AsJson(ClassifyDeclaredType(u"VARCHAR(9)")) == ClassifyDeclaredType(u"VARCHAR(9)"));
  EXPECT_EQ(WithTypeLength(ClassifyDeclaredType(u"inet"), -1).attributes, kVariableLength);
  EXPECT_EQ(WithTypeLength(ClassifyDeclaredType(u"macaddr"), 6).attributes, kFixedLength);
  EXPECT_EQ(WithTypeLength(ClassifyDeclaredType(u"uuid"), -1).attributes, kFixedLength);
}

TEST(TypeKindsTest, OnlyAJsonValidCheckOfOneColumnMakesItJson) {
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"json_valid(`doc`)", "doc"},
      {"(JSON_VALID(\"doc\") OR \"doc\" IS NULL)", "doc"},
      {"doc IS NULL OR json_valid([doc])", "doc"},
      {"((json_valid(\"a \"\"b\"\"\")))", "a \"b\""},
      {"json_valid(`doc`) or `DOC` is null", "doc"},
      {"json_valid(doc) OR other IS NULL", ""},
      {"json_valid(doc) AND length(doc) < 10", ""},
      {"NOT json_valid(doc)", ""},
      {"json_valid(doc, 1)", ""},
      {"`doc` > 10", ""},
  };
  for (const auto& [condition, column] : rows) {
    EXPECT_EQ(JsonCheckedColumn(QString::fromUtf8(condition)), QString::fromUtf8(column))
        << condition;
  }
}

TEST(TypeKindsTest, UnknownNamesGetAStableCodeInTheOtherRange) {
  const ColumnType a = ClassifyDeclaredType(u"inet");
  EXPECT_GE(a.data_type, kOtherBase);
  EXPECT_EQ(ClassifyDeclaredType(u"INET").data_type, a.data_type);
  EXPECT_NE(ClassifyDeclaredType(u"cidr").data_type, a.data_type);
  EXPECT_EQ(ClassifyDeclaredType(u"varchar(20) unsigned").data_type, kVarChar);
  // Parentheses inside quoted enum values do not end the parameter list.
  EXPECT_EQ(ClassifyDeclaredType(u"ENUM('a)', 'b')").size, EnumType({"a)", "b"}).size);
}

}  // namespace
}  // namespace dataaccess
