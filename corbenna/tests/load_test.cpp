// The library comes in through the class factory alone, as a program that only knows class
// names uses it.
#include <gtest/gtest.h>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace {

using component::Variant;

TEST(CorbennaLoadTest, ClassesAreCreatedByName) {
  EXPECT_FALSE(component::IsClassRegistered(QStringLiteral("corbenna.StringHandler")));
  const std::shared_ptr<component::Dispatch> strings =
      component::CreateObject(QStringLiteral("corbenna.StringHandler"));
  EXPECT_EQ(strings->Identity().interface_name, "_StringHandler");
  EXPECT_TRUE(strings->Call(QStringLiteral("IsBlank"), {Variant("   ")}).AsBoolean());

  EXPECT_EQ(component::CreateObject(QStringLiteral("corbenna.SQL"))
                ->Call(QStringLiteral("GetSQLValue"), {Variant(true)})
                .AsText(),
            "1");
}

TEST(CorbennaLoadTest, ClassTheLibraryDoesNotHaveIsError429) {
  EXPECT_EQ(component::test_support::ErrorThrownBy([] {
              component::CreateObject(QStringLiteral("corbenna.NoSuchClass"));
            }).number(),
            component::kCannotCreateObject);
}

}  // namespace
