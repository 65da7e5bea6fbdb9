#include "corbenna/registry.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "corbenna/registry_access_provider.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace corbenna {
namespace {

using component::Variant;
using component::test_support::ErrorThrownBy;

constexpr ParentRegistryKey kUser = ParentRegistryKey::HKEYCurrentUser;
constexpr ParentRegistryKey kMachine = ParentRegistryKey::HKEYLocalMachine;
const QString kBase = QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources\\");

// A store that fails on demand: raises from ReadValue, or refuses writes through its flag.
class FaultyStore : public registry::RegistryAccess {
 public:
  FaultyStore(registry::StoreLocations locations, bool raise_on_read)
      : registry::RegistryAccess(std::move(locations), [] { return false; }),
        raise_on_read_(raise_on_read) {}
  bool ReadValue(int32_t root, const QString& key_path, const QString& value_name,
                 QString* value) override {
    if (raise_on_read_) {
      throw component::Error(75, QStringLiteral("FaultyStore"), QStringLiteral("disk went away"));
    }
    return registry::RegistryAccess::ReadValue(root, key_path, value_name, value);
  }

 private:
  bool raise_on_read_;
};

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    UseStore(false);
  }
  void TearDown() override { SetRegistryAccessMaker(nullptr); }
  void UseStore(bool raise_on_read) {
    const registry::StoreLocations locations{dir_.filePath(QStringLiteral("user.json")),
                                             dir_.filePath(QStringLiteral("machine.json"))};
    SetRegistryAccessMaker([=, this] {
      ++made_;
      return std::make_unique<FaultyStore>(locations, raise_on_read);
    });
  }

  QTemporaryDir dir_;
  std::atomic<int> made_{0};
  Registry registry_;
};

TEST_F(RegistryTest, BlankOrMissingValuesReadAsTheDefault) {
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Missing")), "");
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Missing"), "dflt"), "dflt");
  EXPECT_EQ(registry_.SaveSettingPro(kUser, kBase, QStringLiteral("Empty"), QString()), "");
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Empty"), "dflt"), "dflt");
  registry_.SaveSettingPro(kUser, kBase, QStringLiteral("Spaces"), QStringLiteral("   "));
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Spaces"), "dflt"), "dflt");
  registry_.SaveSettingPro(kUser, kBase, QStringLiteral("Padded"), QStringLiteral(" a "));
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Padded"), "dflt"), " a ");
  registry_.SaveSettingPro(kUser, kBase, QStringLiteral("Tab"), QStringLiteral("\t"));
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("Tab"), "dflt"), "\t");
}

TEST_F(RegistryTest, WriteBelowANewPathCreatesItAndMeetsTheRead) {
  const QString key = kBase + QStringLiteral("My Source\\");
  registry_.SaveSettingPro(kUser, key, QStringLiteral("ConnectionString"),
                           QStringLiteral("Driver=x;Pwd='p=1;'"));
  EXPECT_EQ(registry_.GetSettingPro(kUser, key.chopped(1), QStringLiteral("ConnectionString")),
            "Driver=x;Pwd='p=1;'");
  // The parent key doesn't see its child's value.
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("ConnectionString"), "none"),
            "none");
}

TEST_F(RegistryTest, ReadFailureIsRaisedAgainUnchangedNotDefaulted) {
  UseStore(true);
  const component::Error error = ErrorThrownBy(
      [&] { registry_.GetSettingPro(kUser, kBase, QStringLiteral("DataSourceList"), "dflt"); });
  EXPECT_EQ(error.number(), 75);
  EXPECT_EQ(error.source(), "FaultyStore");
  EXPECT_EQ(error.description(), "disk went away");
}

TEST_F(RegistryTest, StoreErrorsOfAWriteReachTheCaller) {
  EXPECT_EQ(ErrorThrownBy([&] {
              registry_.SaveSettingPro(kMachine, kBase, QStringLiteral("V"), QStringLiteral("x"));
            }).number(),
            component::kPermissionDenied)
      << "a non-privileged machine write";
}

TEST_F(RegistryTest, OneStorePerThreadSharedByItsObjects) {
  Registry other;
  registry_.GetSettingPro(kUser, kBase, QStringLiteral("A"));
  other.SaveSettingPro(kUser, kBase, QStringLiteral("A"), QStringLiteral("from other"));
  EXPECT_EQ(made_, 1);
  std::thread([&] {
    EXPECT_EQ(Registry().GetSettingPro(kUser, kBase, QStringLiteral("A")), "from other");
  }).join();
  EXPECT_EQ(made_, 2);
}

TEST_F(RegistryTest, ByNameAndBySlotGiveTheSameResult) {
  const Variant user(static_cast<int32_t>(kUser));
  const auto by_name = [&](const char* member, std::vector<Variant> arguments) {
    arguments.insert(arguments.begin(), {user, Variant(kBase)});
    return registry_.Call(QString::fromLatin1(member), arguments).AsText();
  };
  EXPECT_EQ(by_name("SaveSettingPro", {Variant("PrimaryDatabase"), Variant("Sales")}), "");
  EXPECT_EQ(by_name("GetSettingPro", {Variant("PrimaryDatabase")}), "Sales");
  EXPECT_EQ(registry_.GetSettingPro(kUser, kBase, QStringLiteral("PrimaryDatabase")), "Sales");
  EXPECT_EQ(by_name("GetSettingPro", {Variant("Missing"), Variant("d")}), "d");
  EXPECT_EQ(ErrorThrownBy([&] { by_name("GetSettingPro", {}); }).number(),
            component::kWrongNumberOfArguments)
      << "two arguments";
}

}  // namespace
}  // namespace corbenna
