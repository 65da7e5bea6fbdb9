#include "platform/component/variant.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLocale>
#include <QTime>

#include "platform/component/error.h"
#include "platform/component/regional_format.h"
#include "platform/component/variant_array.h"
#include "testing/testutil.h"

namespace component {
namespace {

using test_support::ErrorThrownBy;

class VariantTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(VariantTest, EachConstructorGivesItsKind) {
  EXPECT_EQ(Variant().kind(), VariantKind::kEmpty);
  EXPECT_EQ(Variant::Null().kind(), VariantKind::kNull);
  EXPECT_EQ(Variant(int16_t{42}).kind(), VariantKind::kInteger);
  EXPECT_EQ(Variant(42).kind(), VariantKind::kLong);
  EXPECT_EQ(Variant(1.5f).kind(), VariantKind::kSingle);
  EXPECT_EQ(Variant(1.5).kind(), VariantKind::kDouble);
  EXPECT_EQ(Variant(Currency{15000}).kind(), VariantKind::kCurrency);
  EXPECT_EQ(Variant(Decimal{15, 1}).kind(), VariantKind::kDecimal);
  EXPECT_EQ(Variant(uint8_t{7}).kind(), VariantKind::kByte);
  EXPECT_EQ(Variant(Date{1.0}).kind(), VariantKind::kDate);
  EXPECT_EQ(Variant("text").kind(), VariantKind::kText);
  EXPECT_EQ(Variant(true).kind(), VariantKind::kBoolean);
  EXPECT_EQ(Variant(ErrorCode{5}).kind(), VariantKind::kError);
  EXPECT_EQ(Variant(std::shared_ptr<Dispatch>()).kind(), VariantKind::kObject);
  EXPECT_EQ(Variant(VariantArray()).kind(), VariantKind::kArray);
  EXPECT_EQ(ErrorThrownBy([] { Variant(42).AsText(); }).number(), kTypeMismatch);
}

TEST_F(VariantTest, TextConversionFollowsThePlatformRules) {
  EXPECT_EQ(Variant().ToText(), "");
  EXPECT_EQ(Variant(int16_t{-42}).ToText(), "-42");
  EXPECT_EQ(Variant(true).ToText(), "True");
  EXPECT_EQ(Variant(false).ToText(), "False");
  EXPECT_EQ(Variant(1234567.5).ToText(), "1234567.5");  // no digit grouping
  EXPECT_EQ(Variant(0.1f).ToText(), "0.1");
  EXPECT_EQ(Variant(Currency{-12345}).ToText(), "-1.2345");
  EXPECT_EQ(Variant(Currency{20000}).ToText(), "2");
  EXPECT_EQ(Variant(Decimal{5, 3}).ToText(), "0.005");
  EXPECT_EQ(Variant(ErrorCode{5}).ToText(), "Error 5");
  EXPECT_EQ(Variant::Null().JoinedText(), "");
  EXPECT_EQ(ErrorThrownBy([] { Variant::Null().ToText(); }).number(), kInvalidUseOfNull);
  EXPECT_EQ(ErrorThrownBy([] { Variant(VariantArray()).JoinedText(); }).number(), kTypeMismatch);
  EXPECT_EQ(ErrorThrownBy([] { Variant(std::shared_ptr<Dispatch>()).ToText(); }).number(),
            kTypeMismatch);
}

TEST_F(VariantTest, NumbersFollowTheDefaultLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(Variant(1234567.5).ToText(), "1234567,5");
  EXPECT_EQ(Variant("2,5").ToDouble(), 2.5);
}

TEST_F(VariantTest, NumericConversionsRoundHalfToEvenAndCheckRange) {
  EXPECT_EQ(Variant(2.5).ToLong(), 2);
  EXPECT_EQ(Variant(3.5).ToLong(), 4);
  EXPECT_EQ(Variant(" 17 ").ToLong(), 17);
  EXPECT_EQ(Variant(true).ToLong(), -1);
  EXPECT_EQ(Variant().ToLong(), 0);
  EXPECT_EQ(ErrorThrownBy([] { Variant(3e9).ToLong(); }).number(), kOverflow);
  EXPECT_EQ(ErrorThrownBy([] { Variant("abc").ToLong(); }).number(), kTypeMismatch);
  EXPECT_EQ(ErrorThrownBy([] { Variant::Null().ToBoolean(); }).number(), kInvalidUseOfNull);
  EXPECT_TRUE(Variant("true").ToBoolean());
  EXPECT_FALSE(Variant(0.0).ToBoolean());
}

TEST_F(VariantTest, GeneralDateShowsDateTimeOrBoth) {
  const Date both = DateFromParts(QDate(2024, 3, 9), QTime(14, 5, 6));
  EXPECT_EQ(FormatGeneralDate(both), "3/9/2024 2:05:06 PM");  // four-digit year, no zone
  EXPECT_EQ(FormatGeneralDate(DateFromParts(QDate(2024, 3, 9), QTime(0, 0))), "3/9/2024");
  EXPECT_EQ(FormatGeneralDate(Date{0.5}), "12:00:00 PM");
  EXPECT_EQ(FormatGeneralDate(Date{0.0}), "12:00:00 AM");
  EXPECT_EQ(FormatGeneralDate(Date{-1.25}), "12/29/1899 6:00:00 AM");
  EXPECT_EQ(DatePart(both), QDate(2024, 3, 9));
  EXPECT_EQ(TimePart(both), QTime(14, 5, 6));
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(FormatGeneralDate(both), "09.03.2024 14:05:06");
}

TEST(VariantArrayTest, BoundsAndIndicesAreChecked) {
  const VariantArray never_dimensioned;
  EXPECT_EQ(ErrorThrownBy([&] { never_dimensioned.LowerBound(); }).number(), kSubscriptOutOfRange);
  EXPECT_EQ(ErrorThrownBy([&] { never_dimensioned.At({0}); }).number(), kSubscriptOutOfRange);

  const VariantArray list = VariantArray::OfValues(5, {Variant("a"), Variant("b")});
  EXPECT_EQ(list.LowerBound(), 5);
  EXPECT_EQ(list.UpperBound(), 6);
  EXPECT_EQ(list.At({6}).AsText(), "b");
  EXPECT_EQ(ErrorThrownBy([&] { list.At({4}); }).number(), kSubscriptOutOfRange);
  EXPECT_EQ(ErrorThrownBy([&] { list.At({7}); }).number(), kSubscriptOutOfRange);
  EXPECT_EQ(ErrorThrownBy([&] { list.UpperBound(2); }).number(), kSubscriptOutOfRange);

  VariantArray grid({{1, 2}, {-1, 3}});
  grid.At({2, 1}) = Variant(21);
  EXPECT_EQ(grid.DimensionCount(), 2);
  EXPECT_EQ(grid.UpperBound(2), 1);
  EXPECT_EQ(grid.At({2, 1}).AsLong(), 21);
  EXPECT_TRUE(grid.At({1, 1}).IsEmpty());
  EXPECT_EQ(ErrorThrownBy([&] { grid.At({1}); }).number(),
            kSubscriptOutOfRange);  // too few indices

  const VariantArray empty = VariantArray::OfValues(0, {});
  EXPECT_EQ(empty.UpperBound(), -1);
}

}  // namespace
}  // namespace component
