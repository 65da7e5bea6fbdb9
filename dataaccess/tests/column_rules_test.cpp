#include "dataaccess/column_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "dataaccess/catalog/type_kinds.h"

namespace dataaccess {
namespace {

struct DefaultSpelling {
  const char* text;  // nullptr: no default
  int32_t data_type;
  int32_t size;
};

// Each group holds one column default as the engines and their tools spell it: every spelling
// must mean the same, across engines.
TEST(ColumnRulesTest, SpellingsOfOneDefaultMeanTheSame) {
  const std::vector<std::vector<DefaultSpelling>> groups = {
      {{nullptr, kInteger, 4},
       {"NULL", kInteger, 4},
       {"NULL::integer", kInteger, 4},
       {"nextval('t_id_seq'::regclass)", kInteger, 4}},
      {{"0", kInteger, 4},
       {"(0)", kInteger, 4},
       {"'0'::integer", kInteger, 4},
       {"'0'", kInteger, 4},
       {"((0))", kInteger, 4}},
      {{"1.50", kDecimal, 0},
       {"1.5", kDecimal, 0},
       {"'1.5'::numeric", kDecimal, 0},
       {"(01.500)", kDecimal, 0}},
      {{"-1", kInteger, 4}, {"(-1)", kInteger, 4}, {"'-1'::integer", kInteger, 4}},
      {{"'abc'::character varying", kVarChar, 20},
       {"'abc'", kVarChar, 20},
       {"('abc')", kVarChar, 20},
       {"'abc'::text", kVarChar, 20}},
      {{"'it''s'", kText, 0}, {"'it''s'::text", kText, 0}},
      {{"'0'", kVarChar, 10}, {"0", kVarChar, 10}},
      {{"true", kBoolean, 1},
       {"'t'", kBoolean, 1},
       {"1", kBoolean, 1},
       {"'1'", kBoolean, 1},
       {"b'1'", kBoolean, 1},
       {"TRUE", kBoolean, 1}},
      {{"false", kBoolean, 1}, {"'f'", kBoolean, 1}, {"0", kBoolean, 1}, {"b'0'", kBoolean, 1}},
      {{"now()", kTimestamp, 6},
       {"CURRENT_TIMESTAMP", kTimestamp, 6},
       {"current_timestamp()", kTimestamp, 6},
       {"CURRENT_TIMESTAMP(6)", kTimestamp, 6},
       {"LOCALTIMESTAMP", kTimestamp, 6},
       {"datetime('now')", kTimestamp, 6}},
      {{"CURRENT_TIMESTAMP", kTimestamp, 3}, {"current_timestamp(3)", kTimestamp, 3}},
      {{"CURRENT_DATE", kDate, 4}, {"curdate()", kDate, 4}, {"date('now')", kDate, 4}},
      {{"gen_random_uuid()", kUuid, 16}, {"uuid()", kUuid, 16}},
      {{"lower((name)::text)", kText, 0}, {"lower(name)", kText, 0}},
  };
  for (const auto& group : groups) {
    const DefaultSpelling& first = group.front();
    const QString meaning = DefaultMeaning(first.text ? QString::fromUtf8(first.text) : QString(),
                                           first.data_type, first.size, true);
    for (const DefaultSpelling& spelling : group) {
      const QString text = spelling.text ? QString::fromUtf8(spelling.text) : QString();
      EXPECT_EQ(DefaultMeaning(text, spelling.data_type, spelling.size, true), meaning)
          << "'" << (spelling.text ? spelling.text : "(none)") << "' against '"
          << (first.text ? first.text : "(none)") << "'";
    }
  }
}

// Defaults that look alike but store something else: none may compare equal.
TEST(ColumnRulesTest, DifferentDefaultsStayDifferent) {
  const std::vector<std::pair<DefaultSpelling, DefaultSpelling>> pairs = {
      {{"0", kInteger, 4}, {nullptr, kInteger, 4}},
      {{"0", kInteger, 4}, {"1", kInteger, 4}},
      {{"1.5", kDecimal, 0}, {"1.05", kDecimal, 0}},
      {{"10", kInteger, 4}, {"1", kInteger, 4}},
      {{"''", kVarChar, 10}, {nullptr, kVarChar, 10}},
      {{"'abc'", kVarChar, 10}, {"'ABC'", kVarChar, 10}},
      {{"'abc '", kVarChar, 10}, {"'abc'", kVarChar, 10}},
      {{"'NULL'", kVarChar, 10}, {"NULL", kVarChar, 10}},
      {{"true", kBoolean, 1}, {"false", kBoolean, 1}},
      {{"CURRENT_TIMESTAMP(0)", kTimestamp, 6}, {"CURRENT_TIMESTAMP", kTimestamp, 6}},
      {{"CURRENT_TIMESTAMP", kTimestamp, 6}, {"CURRENT_DATE", kTimestamp, 6}},
      {{"'2024-01-01'", kDate, 4}, {"'2024-01-02'", kDate, 4}},
      {{"lower(name)", kText, 0}, {"upper(name)", kText, 0}},
  };
  for (const auto& [a, b] : pairs) {
    const QString first =
        DefaultMeaning(a.text ? QString::fromUtf8(a.text) : QString(), a.data_type, a.size, true);
    const QString second =
        DefaultMeaning(b.text ? QString::fromUtf8(b.text) : QString(), b.data_type, b.size, true);
    EXPECT_NE(first, second) << "'" << (a.text ? a.text : "(none)") << "' against '"
                             << (b.text ? b.text : "(none)") << "'";
  }
}

TEST(ColumnRulesTest, CollationTraitsFollowEachEnginesNaming) {
  struct Case {
    const char* engine = nullptr;
    const char* name = nullptr;
    const char* locale = nullptr;
    bool deterministic = true;
    CollationTraits expected;
  };
  const Case cases[] = {
      {"sqlite", "BINARY", "", true, {false, false}},
      {"sqlite", "NOCASE", "", true, {true, false}},
      {"sqlite", "RTRIM", "", true, {false, false}},
      {"mysql", "utf8mb4_general_ci", "", true, {true, true}},
      {"mysql", "utf8mb4_bin", "", true, {false, false}},
      {"mysql", "utf8mb4_0900_as_ci", "", true, {true, false}},
      {"mysql", "utf8mb4_0900_ai_ci", "", true, {true, true}},
      {"mysql", "utf8mb4_0900_as_cs", "", true, {false, false}},
      {"mysql", "latin1_swedish_ci", "", true, {true, true}},
      {"postgresql", "en_US.utf8", "en_US.utf8", true, {false, false}},
      {"postgresql", "ci", "und-u-ks-level2", false, {true, false}},
      {"postgresql", "ci_ai", "und-u-ks-level1", false, {true, true}},
      {"postgresql", "ai", "und-u-ks-level1-kc-true", false, {false, true}},
      {"postgresql", "nd", "und", false, {false, false}},
  };
  for (const auto& c : cases) {
    const CollationTraits traits =
        TraitsOfCollation(QString::fromUtf8(c.engine), QString::fromUtf8(c.name),
                          QString::fromUtf8(c.locale), c.deterministic);
    EXPECT_EQ(traits.case_blind, c.expected.case_blind) << c.engine << " " << c.name;
    EXPECT_EQ(traits.accent_blind, c.expected.accent_blind) << c.engine << " " << c.name;
  }
}

TEST(ColumnRulesTest, AColumnIsReportedOnlyWhereItDepartsDifferently) {
  DatabaseObjects mariadb;
  mariadb.default_collation = QStringLiteral("utf8mb4_general_ci");
  mariadb.default_character_set = QStringLiteral("utf8mb4");
  DatabaseObjects sqlite;
  sqlite.default_collation = QStringLiteral("BINARY");
  ColumnDetails nocase;
  nocase.column = QStringLiteral("email");
  nocase.collation = std::make_shared<const ColumnCollation>(
      ColumnCollation{QStringLiteral("NOCASE"), QString(), QString(), true});
  ColumnDetails bin;
  bin.collation = std::make_shared<const ColumnCollation>(
      ColumnCollation{QStringLiteral("utf8mb4_bin"), QStringLiteral("utf8mb4"), QString(), true});
  const QString my = QStringLiteral("mysql");
  const QString lite = QStringLiteral("sqlite");
  struct Case {
    const char* what = nullptr;
    EffectiveCollation a;
    EffectiveCollation b;
    bool across = false;
    bool differ = false;
  };
  const Case cases[] = {
      {"both on their defaults", CollationOf(my, nullptr, kVarChar, &mariadb),
       CollationOf(lite, nullptr, kVarChar, &sqlite), true, false},
      {"NOCASE is not accent-blind as _ci is", CollationOf(my, nullptr, kVarChar, &mariadb),
       CollationOf(lite, &nocase, kVarChar, &sqlite), true, true},
      {"case-blind on one side only", CollationOf(my, &bin, kVarChar, &mariadb),
       CollationOf(lite, &nocase, kVarChar, &sqlite), true, true},
      {"_bin departs from a case-blind default", CollationOf(my, &bin, kVarChar, &mariadb),
       CollationOf(my, nullptr, kVarChar, &mariadb), false, true},
      {"JSON's utf8mb4_bin is no departure", CollationOf(my, &bin, kJson, &mariadb),
       CollationOf(lite, nullptr, kJson, &sqlite), true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CollationsDiffer(c.a, c.b, c.across), c.differ) << c.what;
  }
}

// A column's details are found by its name without regard to case, as the comparison matches
// columns. ASCII is folded by hand: the pairs of characters one bit apart that are not letters
// must stay different.
TEST(ColumnRulesTest, DetailsAreFoundByNameWithoutRegardToCase) {
  TableObjects objects;
  for (const char16_t* name : {u"id", u"a@", u"x[", u"Größe", u"k"}) {
    objects.columns.emplace_back();
    objects.columns.back().column = QString::fromUtf16(name);
  }
  const struct {
    const char16_t* asked;
    const char16_t* found;  // null for none
  } cases[] = {
      {u"ID", u"id"},       {u"iD", u"id"},   {u"i", nullptr},
      {u"idx", nullptr},    {u"a`", nullptr}, {u"A@", u"a@"},
      {u"x{", nullptr},     {u"X[", u"x["},   {u"GRÖSSE", nullptr},
      {u"GRÖßE", u"Größe"}, {u"K", u"k"},     {u"\u212A", u"k"},  // KELVIN SIGN folds to k
  };
  for (const auto& c : cases) {
    const ColumnDetails* details = objects.DetailsOf(QStringView(c.asked));
    const QString asked = QString::fromUtf16(c.asked);
    if (c.found == nullptr) {
      EXPECT_EQ(details, nullptr) << asked.toStdString() << " found "
                                  << details->column.toStdString();
    } else {
      ASSERT_NE(details, nullptr) << asked.toStdString();
      EXPECT_EQ(details->column, QString::fromUtf16(c.found)) << asked.toStdString();
    }
  }
}

}  // namespace
}  // namespace dataaccess
