#include "dataaccess/object_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace dataaccess {
namespace {

// Each group holds spellings of one expression as different engines and tools write it: they
// must mean the same.
TEST(ObjectRulesTest, SpellingsOfOneExpressionMeanTheSame) {
  const std::vector<std::vector<const char*>> groups = {
      // PostgreSQL's pg_get_constraintdef, SQLite's text, MariaDB's CHECK_CLAUSE.
      {"((price > (0)::numeric))", "price > 0", "`price` > 0", "\"Price\" > 0", "(price>0)",
       "price > CAST(0 AS numeric)"},
      {"((qty >= 0) AND (qty <= 100))", "qty >= 0 AND qty <= 100", "(`qty` >= 0 and `qty` <= 100)",
       "qty>=0 /* lower */ AND -- upper\n qty<=100"},
      {"((status)::text <> 'gone'::text)", "status != 'gone'", "`status` <> 'gone'"},
      {"(a = 1)", "a == 1", "[a] = 1", "A = '1'::integer"},
      {"lower((email)::text)", "lower(email::text)"},
      {"json_valid(doc)", "JSON_VALID(`doc`)", "(json_valid(\"doc\"))"},
      {"lower(kind) <> 'x'", "lcase(`kind`) <> 'x'", "(lower((kind)::text) <> 'x'::text)"},
      {"upper(kind) <> 'X'", "ucase(`kind`) <> 'X'"},
      {"(NOT (deleted))", "NOT deleted"},
      {"((a + b) > 0)", "a + b > 0"},
      {"x IN (1, 2)", "(x IN (1,2))", "`x` in (1 , 2)", "(x = ANY (ARRAY[1, 2]))"},
      // PostgreSQL's lists, with the array cast to its column's type, and its ranges.
      {"status IN ('draft', 'published')",
       "((status)::text = ANY ((ARRAY['draft'::character varying, 'published'::character "
       "varying])::text[]))",
       "`status` in ('draft','published')", "status = ANY (ARRAY['draft', 'published']::text[])"},
      {"status NOT IN ('a', 'b')",
       "((status)::text <> ALL ((ARRAY['a'::character varying, 'b'::character varying])::text[]))"},
      {"stars BETWEEN 1 AND 5", "((stars >= 1) AND (stars <= 5))", "`stars` between 1 and 5"},
      {"stars NOT BETWEEN 1 AND 5", "((stars < 1) OR (stars > 5))"},
      {"NOT stars BETWEEN 1 AND 5", "(NOT ((stars >= 1) AND (stars <= 5)))"},
      {"a = 1 OR stars BETWEEN 1 AND 5", "((a = 1) OR ((stars >= 1) AND (stars <= 5)))",
       "a = 1 OR stars >= 1 AND stars <= 5"},
      // AND binds more tightly than OR, NOT more tightly than AND: PostgreSQL's pretty form
      // leaves out the parentheses that say so.
      {"(a = 1 AND b = 2) OR c = 3", "a = 1 AND b = 2 OR c = 3"},
      {"(NOT a) AND b", "NOT a AND b"},
      // A list, as IN or as comparisons joined by OR.
      {"e IN (1, 2)", "((e = 1) OR (e = 2))", "(e = ANY (ARRAY[1, 2]))", "e = 1 or e = 2"},
      {"a = 0 OR e IN ('x', 'y')", "((a = 0) OR (e = 'x'::text) OR (e = 'y'::text))"},
      // A text's length in characters, as PostgreSQL, SQLite and MySQL name it.
      {"length(name) > 0", "(char_length((name)::text) > 0)", "character_length(name) > 0"},
      // An array of literals, as a constructor or as PostgreSQL's text of it.
      {"ARRAY[]::integer[]", "'{}'::integer[]"},
      {"ARRAY[1, -2]", "'{1,-2}'::integer[]"},
      {"(ARRAY['a'::text, 'b c'::text, ''::text])", "'{a,\"b c\",\"\"}'::text[]"},
      // A view's query, as SQLite keeps what its author typed.
      {"SELECT id FROM t WHERE qty > 0", "select \"id\" from t where (qty>0)"},
  };
  for (const auto& group : groups) {
    const QString first = ExpressionMeaning(QString::fromUtf8(group.front()));
    for (const char* spelling : group) {
      EXPECT_EQ(ExpressionMeaning(QString::fromUtf8(spelling)), first)
          << "'" << spelling << "' against '" << group.front() << "'";
    }
  }
}

// Spellings that mean the same only from where they come: MySQL's SQL escapes in strings with
// a backslash, and across engines PostgreSQL's conversion of an integer column to numeric where
// it meets a numeric one is the column. Each row: the two texts, the origin of the first (the
// second is standard SQL of the same comparison), and whether they mean the same.
TEST(ObjectRulesTest, WhatAnExpressionMeansTurnsOnWhereItComesFrom) {
  struct Row {
    const char* text;
    const char* other;
    ExpressionOrigin origin;
    bool same;
  };
  constexpr ExpressionOrigin kMysqlAcross{true, true};
  constexpr ExpressionOrigin kMysqlWithin{true, false};
  constexpr ExpressionOrigin kAcross{false, true};
  constexpr ExpressionOrigin kWithin{false, false};
  const std::vector<Row> rows = {
      {"`b` <> 'don\\'t'", "b <> 'don''t'", kMysqlAcross, true},
      {"char_length(`name`) > 0", "length(name) > 0", kMysqlAcross, true},
      {"length(`name`) <= 10", "octet_length(name) <= 10", kMysqlAcross, true},
      {"length(`name`) <= 10", "length(name) <= 10", kMysqlAcross, false},
      // Emptiness is the same in bytes and in characters.
      {"length(`name`) > 0", "length(name) > 0", kMysqlAcross, true},
      {"length(`name`) >= 1", "char_length(name) >= 1", kMysqlAcross, true},
      {"length(`name`) = 0", "octet_length(name) = 0", kMysqlAcross, true},
      {"`b` <> 'don\\'t'", "b <> 'don''t'", kMysqlWithin, true},
      {"`a` <> 'c:\\\\'", "a <> 'c:\\'", kMysqlAcross, true},
      {"`a` <> 'c:\\\\'", "a <> 'c:\\\\'", kMysqlAcross, false},
      {"`a` <> 'c:\\\\'", "a <> 'c:\\\\'", kWithin, true},  // standard SQL: two backslashes
      {"(price * (qty)::numeric)", "price * qty", kAcross, true},
      {"((qty)::numeric >= price)", "qty >= price", kAcross, true},
      {"(t.qty)::numeric + price", "t.qty + price", kAcross, true},
      {"(price * (qty)::numeric)", "price * qty", kWithin, false},
      // Where the expression divides, the cast decides whether fractions are kept.
      {"((qty)::numeric / 2)", "qty / 2", kAcross, false},
      {"(price * (qty)::numeric) / 2", "price * qty / 2", kAcross, false},
      // A precision rounds; another type may truncate.
      {"(price * (qty)::numeric(5,1))", "price * qty", kAcross, false},
      {"(price * (qty)::integer)", "price * qty", kAcross, false},
      {"round((qty)::numeric, 2)", "round(qty, 2)", kAcross, true},
      {"abs((qty)::numeric)", "abs(qty)", kAcross, true},
  };
  for (const Row& row : rows) {
    const QString text = QString::fromUtf8(row.text);
    const QString other = QString::fromUtf8(row.other);
    EXPECT_EQ(ExpressionMeaning(text, row.origin) ==
                  ExpressionMeaning(other, {false, row.origin.across_engines}),
              row.same)
        << row.text << " against " << row.other << " (MySQL " << row.origin.backslash_escapes
        << ", across engines " << row.origin.across_engines << ")";
  }
}

// Pairs that look alike but mean something else: none may compare equal.
TEST(ObjectRulesTest, DifferentExpressionsStayDifferent) {
  const std::vector<std::pair<const char*, const char*>> pairs = {
      {"price > 0", "price >= 0"},
      {"(a OR b) AND c", "a OR (b AND c)"},
      {"ARRAY[1, 2]", "'{1,3}'::integer[]"},
      {"a AND e = 1 OR e = 2", "a AND e IN (1, 2)"},
      {"e = 1 OR f = 2", "e IN (1, 2)"},
      {"e = 1 OR e = 2 AND b", "e IN (1, 2) AND b"},
      {"ARRAY['a b']", "'{a,b}'::text[]"},
      {"a - (b - c)", "a - b - c"},
      {"a * (b + c)", "a * b + c"},
      {"status <> 'Gone'", "status <> 'gone'"},
      {"x IN (1, 2)", "x IN (1, 3)"},
      {"'0'", "'00'"},
      {"NOT (a AND b)", "NOT a AND b"},
      {"(a OR b) AND c", "a OR b AND c"},
      {"a AND (b OR c)", "a AND b OR c"},
      {"NOT (a OR b)", "NOT a OR b"},
      {"x NOT BETWEEN 1 AND 5 AND y", "x < 1 OR x > 5 AND y"},
      {"-(a + b) > 0", "-a + b > 0"},
      {"x BETWEEN 1 AND 5", "x >= 1 AND x < 5"},
      {"x NOT BETWEEN 1 AND 5", "x BETWEEN 1 AND 5"},
      {"a + x BETWEEN 1 AND 5", "a + x >= 1 AND x <= 5"},
      {"x IN ('a', 'b')", "x NOT IN ('a', 'b')"},
      {"x IN ('a', 'b')", "(x = ANY (ARRAY['a'::text, 'c'::text]))"},
      {"x NOT IN ('a', 'b')", "(x <> ANY (ARRAY['a'::text, 'b'::text]))"},
  };
  for (const auto& [a, b] : pairs) {
    EXPECT_NE(ExpressionMeaning(QString::fromUtf8(a)), ExpressionMeaning(QString::fromUtf8(b)))
        << "'" << a << "' against '" << b << "'";
  }
}

// Text the tokenizer cannot split still compares, by its text.
TEST(ObjectRulesTest, UnsplittableTextComparesByItsText) {
  EXPECT_EQ(ExpressionMeaning(u" a = 'open "), QStringLiteral("a = 'open"));
  EXPECT_NE(ExpressionMeaning(u"a = 'open"), ExpressionMeaning(u"a = 'opem"));
}

// Rule 9: a list check lets in what a check of a part of its list on the same column lets in.
TEST(ObjectRulesTest, AListCheckAdmitsWhatAShorterListOfItsColumnAdmits) {
  const struct {
    const char* check;
    const char* other;
    bool admits;
  } rows[] = {
      {"kind IN ('a', 'b', 'c')", "kind IN ('a', 'b')", true},
      {"kind IN ('a', 'b')", "kind IN ('b', 'a')", true},
      {"((kind)::text = ANY ((ARRAY['a'::character varying, 'b'::character varying])::text[]))",
       "`Kind` in ('a')", true},
      {"kind IN ('a', 'b')", "kind IN ('a', 'b', 'c')", false},
      {"kind IN ('a', 'b')", "other IN ('a')", false},
      {"kind IN ('a', 'b')", "kind IN ('A')", false},
      {"kind IN ('a', 'b')", "kind <> 'c'", false},
      {"kind <> 'c'", "kind IN ('a')", false},
      {"kind NOT IN ('a', 'b')", "kind NOT IN ('a')", false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CheckAdmitsAllOf(QString::fromUtf8(row.check), QString::fromUtf8(row.other)),
              row.admits)
        << "'" << row.check << "' against '" << row.other << "'";
  }
}

TEST(ObjectRulesTest, RestrictIsNoActionUnlessDeferrable) {
  const struct {
    ReferentialAction action;
    bool deferrable;
    ReferentialAction enforced;
  } rows[] = {
      {ReferentialAction::kRestrict, false, ReferentialAction::kNoAction},
      {ReferentialAction::kRestrict, true, ReferentialAction::kRestrict},
      {ReferentialAction::kNoAction, true, ReferentialAction::kNoAction},
      {ReferentialAction::kCascade, false, ReferentialAction::kCascade},
      {ReferentialAction::kSetNull, false, ReferentialAction::kSetNull},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(EnforcedAction(row.action, row.deferrable), row.enforced)
        << static_cast<int>(row.action) << " deferrable " << row.deferrable;
  }
}

TEST(ObjectRulesTest, OnlyMysqlsOwnForeignKeyIndexIsEngineMade) {
  TableObjects objects;
  objects.foreign_keys.push_back({QStringLiteral("fk"),
                                  {QStringLiteral("CustomerId")},
                                  QStringLiteral("Customers"),
                                  {QStringLiteral("Id")}});
  const auto index = [](QString column, bool unique, QString name = QStringLiteral("CustomerId")) {
    IndexDefinition definition;
    definition.name = std::move(name);
    definition.parts.push_back({std::move(column), {}, false, {}, {}, {}});
    definition.unique = unique;
    return definition;
  };
  const QString mysql = QStringLiteral("mysql");
  EXPECT_TRUE(
      IsEngineMadeForeignKeyIndex(index(QStringLiteral("customerid"), false), objects, mysql));
  EXPECT_FALSE(
      IsEngineMadeForeignKeyIndex(index(QStringLiteral("CustomerId"), true), objects, mysql));
  EXPECT_FALSE(IsEngineMadeForeignKeyIndex(index(QStringLiteral("Total"), false), objects, mysql));
  // Named after the constraint, or the column with a number: made by the server.
  EXPECT_TRUE(IsEngineMadeForeignKeyIndex(
      index(QStringLiteral("CustomerId"), false, QStringLiteral("fk")), objects, mysql));
  EXPECT_TRUE(IsEngineMadeForeignKeyIndex(
      index(QStringLiteral("CustomerId"), false, QStringLiteral("customerid_2")), objects, mysql));
  // A name of the author's own: declared, and reported like any index.
  EXPECT_FALSE(IsEngineMadeForeignKeyIndex(
      index(QStringLiteral("CustomerId"), false, QStringLiteral("orders_by_customer")), objects,
      mysql));
  EXPECT_FALSE(IsEngineMadeForeignKeyIndex(index(QStringLiteral("CustomerId"), false), objects,
                                           QStringLiteral("postgresql")));
}

}  // namespace
}  // namespace dataaccess
