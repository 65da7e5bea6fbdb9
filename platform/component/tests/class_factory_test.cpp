#include "platform/component/class_factory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/component/error.h"
#include "platform/component/member_table.h"
#include "platform/component/tests/echo.h"
#include "testing/testutil.h"

namespace component {
namespace {

using test_support::ErrorThrownBy;

// Points the library search at `folder` for the life of the object.
struct ScopedSearchPath : test_support::ScopedEnvironment {
  explicit ScopedSearchPath(const QString& folder) {
    Set("VANTREL_COMPONENT_PATH", QFile::encodeName(folder).toStdString());
  }
};

TEST(ClassFactoryTest, LoadsTheLibraryOnDemandAndCallsBySlotAndByName) {
  ScopedSearchPath path(QStringLiteral(TEST_PLUGIN_FOLDER));
  std::shared_ptr<Dispatch> object = CreateObject(QStringLiteral("testplug.ECHO"));
  auto echo = std::dynamic_pointer_cast<component_test::_Echo>(object);
  ASSERT_NE(echo, nullptr);
  EXPECT_EQ(echo->Identity().interface_name, "_Echo");

  echo->SetTimes(2);
  EXPECT_EQ(object->Get(QStringLiteral("times")).AsLong(), 2);
  object->Put(QStringLiteral("Times"), Variant(QStringLiteral("3")));
  EXPECT_EQ(echo->Times(), 3);
  EXPECT_EQ(echo->Join("a", "b", "-"), "a-b-b-b");
  EXPECT_EQ(
      object->Call(QStringLiteral("Join"), {Variant("a"), Variant("b"), Variant("-")}).AsText(),
      "a-b-b-b");
  EXPECT_EQ(object->Call(QStringLiteral("Join"), {Variant("a"), Variant(7)}).AsText(), "a,7,7,7");

  // Registered now: creating by identifier needs no search.
  EXPECT_TRUE(IsClassRegistered(QStringLiteral("{0D9B0C52-3C55-4C0B-9C53-2A4E1A7C0001}")));
  EXPECT_NE(CreateObject(QStringLiteral("{0d9b0c52-3c55-4c0b-9c53-2a4e1a7c0001}")), nullptr);
}

TEST(ClassFactoryTest, WrongCallsGiveNumberedErrors) {
  ScopedSearchPath path(QStringLiteral(TEST_PLUGIN_FOLDER));
  std::shared_ptr<Dispatch> object = CreateObject(QStringLiteral("TESTPLUG.Echo"));
  EXPECT_EQ(ErrorThrownBy([&] { object->Call(QStringLiteral("Shout")); }).number(),
            kObjectDoesNotSupportMember);
  EXPECT_EQ(ErrorThrownBy([&] { object->Call(QStringLiteral("Join"), {Variant("a")}); }).number(),
            kWrongNumberOfArguments);
  const Error mismatch = ErrorThrownBy([&] { object->Put(QStringLiteral("Times"), Variant("x")); });
  EXPECT_EQ(mismatch.number(), kTypeMismatch);
  EXPECT_EQ(mismatch.source(), "TESTPLUG.Echo");
  EXPECT_EQ(ErrorThrownBy([&] {
              object->Call(QStringLiteral("Join"), {Variant::Null(), Variant("b")});
            }).number(),
            kInvalidUseOfNull);
  // A read-only use of a write member is no member at all.
  EXPECT_EQ(ErrorThrownBy([&] { object->Put(QStringLiteral("Join"), Variant("x")); }).number(),
            kObjectDoesNotSupportMember);
}

TEST(ClassFactoryTest, MissingLibraryOrClassIsErrorNotCrash) {
  ScopedSearchPath path(QStringLiteral(TEST_PLUGIN_FOLDER));
  const struct {
    const char* name;
    const char* named_in_description;
  } cases[] = {
      {"LUMIFEXX.About", "liblumifexx.so"},      // no such library
      {"TESTPLUG.Missing", "TESTPLUG.Missing"},  // the library lacks the class
      {"NoDotName", ""},
      {"{11111111-2222-3333-4444-555555555555}", ""},  // an identifier nobody registered
  };
  for (const auto& c : cases) {
    const Error error = ErrorThrownBy([&] { CreateObject(QString::fromLatin1(c.name)); });
    EXPECT_EQ(error.number(), kCannotCreateObject) << c.name;
    EXPECT_TRUE(error.description().contains(QString::fromLatin1(c.named_in_description)))
        << c.name << ": " << error.what();
  }
}

TEST(ClassFactoryTest, LibraryThatCannotLoadGivesError48) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString broken = QDir(folder.path()).filePath(QStringLiteral("libbroken.so"));
  test_support::WriteFileContents(broken, "not a shared library");
  ScopedSearchPath path(folder.path());
  const Error error = ErrorThrownBy([] { CreateObject(QStringLiteral("BROKEN.Thing")); });
  EXPECT_EQ(error.number(), kErrorLoadingLibrary);
  EXPECT_TRUE(error.description().contains(broken)) << error.what();
}

TEST(ClassFactoryTest, FirstRegistrationWins) {
  const ClassIdentity identity{QStringLiteral("Local.Thing"),
                               QUuid("{5A4E2F7B-0000-4000-8000-000000000001}"),
                               QStringLiteral("_Thing"), QUuid()};
  EXPECT_TRUE(RegisterClass(identity, [] { return std::shared_ptr<Dispatch>(); }));
  EXPECT_FALSE(RegisterClass(identity, [] { return std::shared_ptr<Dispatch>(); }));
  // A factory that makes nothing is reported, not handed on as a null object.
  EXPECT_EQ(ErrorThrownBy([] { CreateObject(QStringLiteral("local.thing")); }).number(),
            kCannotCreateObject);
}

}  // namespace
}  // namespace component
