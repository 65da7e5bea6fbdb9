// The library comes in through the class factory alone, as a program that only knows class
// names uses it.
#include <gtest/gtest.h>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace {

using component::Variant;

TEST(CorbennaLoadTest, ClassesAreCreatedByNameAndByIdentifier) {
  EXPECT_FALSE(component::IsClassRegistered(QStringLiteral("corbenna.StringHandler")));
  const std::shared_ptr<component::Dispatch> strings =
      component::CreateObject(QStringLiteral("corbenna.StringHandler"));
  EXPECT_EQ(strings->Identity().interface_name, "_StringHandler");
  EXPECT_TRUE(strings->Call(QStringLiteral("IsBlank"), {Variant("   ")}).AsBoolean());

  for (const char* id : {"{65C91BEA-D8BE-11D2-A28C-00105A1B541E}",     // Registry
                         "{61BDD1EA-D895-11D2-A28C-00105A1B541E}",     // ErrorHandler
                         "{7BAAD0BB-DB13-11D2-A291-00105A1B541E}",     // SQL
                         "{6EDFA497-F75F-11D2-A2E9-00105A1B541E}"}) {  // WinAPI
    EXPECT_EQ(component::CreateObject(QString::fromLatin1(id))->Identity().class_id,
              QUuid(QString::fromLatin1(id)));
  }
  EXPECT_EQ(component::CreateObject(QStringLiteral("corbenna.SQL"))
                ->Call(QStringLiteral("GetSQLValue"), {Variant(true)})
                .AsText(),
            "1");
}

TEST(CorbennaLoadTest, ClassTheLibraryDoesNotHaveIsError429) {
  EXPECT_EQ(component::testing::ErrorThrownBy([] {
              component::CreateObject(QStringLiteral("corbenna.NoSuchClass"));
            }).number(),
            component::kCannotCreateObject);
}

}  // namespace
