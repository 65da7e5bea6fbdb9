#include "corbenna/sql.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QTime>

#include "platform/component/error.h"
#include "platform/component/regional_format.h"
#include "platform/component/variant_array.h"
#include "platform/winapi/message_box.h"
#include "testing/testutil.h"

namespace corbenna {
namespace {

using component::Variant;
using component::VariantArray;

const QString kUnsupported = QStringLiteral("This datatype is not supported");

Variant Triples(int32_t lower_bound, std::vector<Variant> values) {
  return Variant(VariantArray::OfValues(lower_bound, std::move(values)));
}

class SqlTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }
  size_t Boxes() const {
    size_t count = 0;
    for (const winapi::MessageBoxRequest& box : boxes_->shown()) {
      EXPECT_EQ(box.text, kUnsupported);
      EXPECT_EQ(box.caption, "");
      EXPECT_EQ(box.icon, winapi::MessageIcon::kNone);
      ++count;
    }
    return count;
  }

  std::shared_ptr<winapi::RecordingPresenter> boxes_ =
      std::make_shared<winapi::RecordingPresenter>();
  winapi::ScopedMessagePresenter presenter_{boxes_};
  SQL sql_;
};

TEST_F(SqlTest, SupportedKindsGiveTheirLiterals) {
  const component::Date date = component::DateFromParts(QDate(2024, 3, 9), QTime(14, 5, 6));
  const struct {
    Variant value;
    QString literal;
  } cases[] = {
      {Variant::Null(), "NULL"},
      {Variant(int16_t{42}), "42"},
      {Variant(int16_t{-32768}), "-32768"},
      {Variant(2147483647), "2147483647"},
      {Variant(1234567.25), "1234567.25"},
      {Variant(-0.5), "-0.5"},
      {Variant(date), "'3/9/2024 2:05:06 PM'"},
      {Variant(component::DateFromParts(QDate(2024, 3, 10), QTime(0, 0))), "'3/10/2024'"},
      {Variant(component::Date{0.75}), "'6:00:00 PM'"},
      // Before the zero date the fraction counts forward from midnight; rounding up to the next
      // midnight moves to the following day, on either side of it.
      {Variant(component::Date{-2.5}), "'12/28/1899 12:00:00 PM'"},
      {Variant(component::Date{-1.9999999}), "'12:00:00 AM'"},  // the zero date itself
      {Variant(component::Date{-0.9999999}), "'12/31/1899'"},
      {Variant(component::Date{1.9999999}), "'1/1/1900'"},
      {Variant("Smith"), "'Smith'"},
      {Variant(""), "''"},
      {Variant("O'Brien"), "'O''Brien'"},
      {Variant(true), "1"},
      {Variant(false), "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(sql_.GetSQLValue(c.value), c.literal);
    EXPECT_EQ(sql_.Call(QStringLiteral("GetSQLValue"), {c.value}).AsText(), c.literal);
  }
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(SqlTest, DoublesAndDatesFollowTheUsersLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(sql_.GetSQLValue(Variant(1234567.25)), "1234567,25");
  EXPECT_EQ(sql_.GetSQLValue(Variant(component::DateFromParts(QDate(2024, 3, 9), QTime(14, 5, 6)))),
            "'09.03.2024 14:05:06'");
}

TEST_F(SqlTest, OtherKindsShowTheBoxAndGiveEmptyText) {
  const Variant others[] = {
      Variant(),
      Variant(1.5f),
      Variant(component::Currency{15000}),
      Variant(component::Decimal{15, 1}),
      Variant(uint8_t{7}),
      Variant(std::shared_ptr<component::Dispatch>()),
      Variant(component::ErrorCode{5}),
      Triples(0, {Variant(1)}),
  };
  for (const Variant& value : others) {
    EXPECT_EQ(sql_.GetSQLValue(value), "") << component::KindName(value.kind()).toStdString();
  }
  EXPECT_EQ(Boxes(), std::size(others));
}

TEST_F(SqlTest, WhereClauseJoinsNonBlankTriplesWithAnd) {
  EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(0, {Variant("Name"), Variant("="), Variant("Smith"),
                                               Variant("Age"), Variant(">"), Variant(30)})),
            "(Name = 'Smith') AND (Age > 30) ");
  EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(1, {Variant("A"), Variant("="), Variant(false),
                                               Variant("B"), Variant("<>"), Variant(true)})),
            "(A = 0) AND (B <> 1) ");
  // Blank values drop their triple.
  for (const Variant& blank : {Variant::Null(), Variant(), Variant(""), Variant("   ")}) {
    EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(0, {Variant("A"), Variant("="), blank})), "");
    EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(
                  0, {Variant("A"), Variant("="), blank, Variant("B"), Variant("="), Variant(2)})),
              "(B = 2) ");
  }
  EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(0, {})), "");
  EXPECT_EQ(Boxes(), 0u);
}

TEST_F(SqlTest, UnsupportedValueShowsOneBoxPerTripleAndLeavesTheLiteralOut) {
  EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(
                0, {Variant("A"), Variant("="), Variant(1.5f), Variant("B"), Variant("="),
                    Variant(component::Currency{10000}), Variant("C"), Variant("="), Variant(3)})),
            "(A = ) AND (B = ) AND (C = 3) ");
  EXPECT_EQ(Boxes(), 2u);
}

TEST_F(SqlTest, SubscriptErrorsDropTheWholeClause) {
  // An incomplete last triple, even after a complete one.
  EXPECT_EQ(
      sql_.GetWhereClauseAnd(Triples(0, {Variant("A"), Variant("="), Variant(1), Variant("B")})),
      "");
  EXPECT_EQ(sql_.GetWhereClauseAnd(Triples(-5, {Variant("A"), Variant("=")})), "");
  EXPECT_EQ(sql_.GetWhereClauseAnd(Variant(VariantArray())), "");  // never given elements
  VariantArray grid({{0, 3}, {0, 2}});
  grid.At({0, 0}) = Variant("A");
  grid.At({1, 0}) = Variant("=");
  grid.At({2, 0}) = Variant(1);
  EXPECT_EQ(sql_.GetWhereClauseAnd(Variant(grid)), "");
  EXPECT_EQ(sql_.Call(QStringLiteral("GetWhereClauseAnd"), {Variant(grid)}).AsText(), "");
}

TEST_F(SqlTest, OtherErrorsAreRaisedAgainUnchanged) {
  const struct {
    Variant argument;
    int32_t number = 0;
  } cases[] = {
      {Triples(0, {Variant::Null(), Variant("="), Variant(1)}), component::kInvalidUseOfNull},
      {Triples(0, {Variant("A"), Triples(0, {}), Variant(1)}), component::kTypeMismatch},
      {Triples(0, {Variant("A"), Variant("="), Variant(std::shared_ptr<component::Dispatch>())}),
       component::kTypeMismatch},
      {Variant("not an array"), component::kTypeMismatch},
  };
  for (const auto& c : cases) {
    const component::Error error =
        component::test_support::ErrorThrownBy([&] { sql_.GetWhereClauseAnd(c.argument); });
    // Number, source and description of the conversion that failed inside.
    EXPECT_EQ(error.number(), c.number) << "case " << c.number << ": " << error.what();
    EXPECT_EQ(error.source(), "Variant");
    EXPECT_EQ(error.description(), component::StandardDescription(c.number));
  }
}

}  // namespace
}  // namespace corbenna
