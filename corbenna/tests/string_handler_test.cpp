#include "corbenna/string_handler.h"

#include <gtest/gtest.h>

#include "platform/component/error.h"
#include "testing/testutil.h"

namespace corbenna {
namespace {

using component::Variant;
using component::test_support::ErrorThrownBy;

struct BlankCase {
  QString text;
  bool blank;
};

TEST(StringHandlerTest, IsBlankOnlyForSpaces) {
  const BlankCase cases[] = {
      {QString(), true},
      {QStringLiteral(""), true},
      {QStringLiteral("   "), true},
      {QStringLiteral("\t"), false},
      {QStringLiteral(" a "), false},
      {QStringLiteral("\n"), false},
      {QStringLiteral(" \u00A0 "), false},  // a no-break space is not a space
  };
  StringHandler strings;
  for (const BlankCase& c : cases) {
    EXPECT_EQ(strings.IsBlank(c.text), c.blank) << '"' << c.text.toStdString() << '"';
    EXPECT_EQ(strings.Call(QStringLiteral("IsBlank"), {Variant(c.text)}).AsBoolean(), c.blank);
  }
  EXPECT_TRUE(strings.Call(QStringLiteral("isblank"), {Variant::Null()}).AsBoolean());
}

struct SplitCase {
  QString text;
  QString delimiter;
  QStringList items;
};

TEST(StringHandlerTest, ParseStringSplitsAtEveryDelimiterWithoutTrimming) {
  const QString comma = QStringLiteral(",");
  const SplitCase cases[] = {
      {QString(), comma, {}},
      {QStringLiteral(""), comma, {}},
      {QStringLiteral("   "), comma, {}},
      {QStringLiteral("A"), comma, {QStringLiteral("A")}},
      {QStringLiteral(" A "), comma, {QStringLiteral(" A ")}},
      {QStringLiteral("\t"), comma, {QStringLiteral("\t")}},
      {QStringLiteral("A,B,C"), comma, {"A", "B", "C"}},
      {QStringLiteral("A, B"), comma, {"A", " B"}},
      {QStringLiteral("A,B,"), comma, {"A", "B", ""}},
      {QStringLiteral(","), comma, {"", ""}},
      {QStringLiteral(",A"), comma, {"", "A"}},
      {QStringLiteral("A,,B"), comma, {"A", "", "B"}},
      {QStringLiteral(" , "), comma, {" ", " "}},
      {QStringLiteral("A;B"), comma, {"A;B"}},
      {QStringLiteral("a,A"), QStringLiteral("A"), {"a,", ""}},  // case-sensitive
      // Left open for other delimiters: an empty one never matches, a long one is skipped whole.
      {QStringLiteral("A,B"), QString(), {"A,B"}},
      {QStringLiteral("A::B::"), QStringLiteral("::"), {"A", "B", ""}},
  };
  StringHandler strings;
  for (const SplitCase& c : cases) {
    const std::unique_ptr<TextCollection> items = strings.ParseString(c.text, c.delimiter);
    EXPECT_EQ(items->items(), c.items) << '"' << c.text.toStdString() << '"';
    EXPECT_EQ(items->Count(), c.items.size());
  }
}

TEST(StringHandlerTest, CollectionByNameCountsFromOne) {
  StringHandler strings;
  const Variant result =
      strings.Call(QStringLiteral("ParseString"), {Variant("A,,B"), Variant(",")});
  const std::shared_ptr<component::Dispatch>& items = result.AsObject();
  EXPECT_EQ(items->Get(QStringLiteral("Count")).AsLong(), 3);
  EXPECT_EQ(items->Call(QStringLiteral("Item"), {Variant(1)}).AsText(), "A");
  EXPECT_EQ(items->Call(QStringLiteral("Item"), {Variant(2)}).AsText(), "");
  EXPECT_EQ(items->Call(QStringLiteral("Item"), {Variant(3)}).AsText(), "B");
  for (int bad : {0, 4}) {
    EXPECT_EQ(ErrorThrownBy([&] { items->Call(QStringLiteral("Item"), {Variant(bad)}); }).number(),
              component::kSubscriptOutOfRange)
        << "item " << bad;
  }
  EXPECT_EQ(
      ErrorThrownBy([&] { strings.Call(QStringLiteral("ParseString"), {Variant("A")}); }).number(),
      component::kWrongNumberOfArguments)
      << "one argument accepted";
}

}  // namespace
}  // namespace corbenna
