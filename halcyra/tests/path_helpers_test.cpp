#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "halcyra/common.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace halcyra {
namespace {

using component::test_support::ErrorThrownBy;

using component::Error;
using component::Variant;

std::shared_ptr<_common> NewCommon() {
  auto object = std::dynamic_pointer_cast<_common>(
      component::CreateObject(QStringLiteral("{779884D7-FD16-11D2-A2FA-00105A1B541E}")));
  EXPECT_NE(object, nullptr);
  return object;
}

TEST(PathHelpersTest, AddDirSepAddsOneSeparatorUnlessOneCloses) {
  const struct {
    QString in;
    QString out;
  } cases[] = {
      {"/home/user", "/home/user/"},
      {"/home/user/", "/home/user/"},
      {"C:\\Folder\\", "C:\\Folder\\"},
      {"/home/user   ", "/home/user/"},
      {"/home/user/   ", "/home/user/   "},
      {"  /x", "  /x/"},
      {"", "/"},
      {"   ", "/"},
      {"a\\  ", "a\\  "},
  };
  std::shared_ptr<_common> common = NewCommon();
  for (const auto& c : cases) {
    QString path = c.in;
    common->AddDirSep(path);
    EXPECT_EQ(path, c.out) << "'" << c.in.toStdString() << "'";
    EXPECT_EQ(common->Call("adddirsep", {Variant(c.in)}).AsText(), c.out) << "by name";
  }
}

TEST(PathHelpersTest, StripTerminatorCutsAtTheFirstNulUpTo32767) {
  std::shared_ptr<_common> common = NewCommon();
  EXPECT_EQ(common->StripTerminator("no terminator"), "no terminator");
  EXPECT_EQ(common->StripTerminator(QStringView(u"\0rest", 5).toString()), "");
  EXPECT_EQ(common->StripTerminator(QStringView(u"ab\0cd\0", 6).toString()), "ab");
  EXPECT_EQ(common->StripTerminator(""), "");

  // The position of the NUL, counted from 1, must fit a 16-bit signed number.
  const QString fits = QString(32766, u'x') + QChar(u'\0') + "tail";
  EXPECT_EQ(common->StripTerminator(fits), QString(32766, u'x'));
  const QString too_far = QString(32767, u'x') + QChar(u'\0');
  const Error overflow = ErrorThrownBy([&] { common->StripTerminator(too_far); });
  EXPECT_EQ(overflow.number(), component::kOverflow);
  EXPECT_EQ(overflow.source(), "halcyra.common");
  EXPECT_EQ(overflow.description(), "Overflow");
  EXPECT_EQ(common->StripTerminator(QString(40000, u'x')), QString(40000, u'x'))
      << "a long text without NUL is no overflow";
}

TEST(PathHelpersTest, IsBlankCountsOnlySpaces) {
  std::shared_ptr<_common> common = NewCommon();
  EXPECT_TRUE(common->IsBlank("").AsBoolean());
  EXPECT_TRUE(common->IsBlank("    ").AsBoolean());
  EXPECT_FALSE(common->IsBlank("\t").AsBoolean());
  EXPECT_FALSE(common->IsBlank(" x ").AsBoolean());
  EXPECT_EQ(common->Call("IsBlank", {Variant()}).kind(), component::VariantKind::kBoolean);
}

TEST(PathHelpersTest, ShortPathOfMissingPathIsError53) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
  std::shared_ptr<_common> common = NewCommon();
  EXPECT_EQ(common->GetShortPathName(folder.path() + "/sub/.."), folder.path());
  for (const QString& missing : {folder.path() + "/missing.txt", QString()}) {
    const Error error = ErrorThrownBy([&] { common->GetShortPathName(missing); });
    EXPECT_EQ(error.number(), component::kFileNotFound) << missing.toStdString();
    EXPECT_EQ(error.description(), "File not found");
  }
  EXPECT_EQ(ErrorThrownBy([&] {
              common->Call("GetShortPathName", {Variant(folder.path() + "/missing")});
            }).number(),
            component::kFileNotFound);
}

TEST(PathHelpersTest, FoldersComeFromTheEnvironmentAndEndInSeparator) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  component::test_support::ScopedEnvironment environment;
  environment.Set("XDG_CONFIG_HOME", QFile::encodeName(config.path()).toStdString());
  environment.Set("TMPDIR", "/some/tmp");
  std::shared_ptr<_common> common = NewCommon();
  EXPECT_EQ(common->GetTempDir(), "/some/tmp/");
  EXPECT_EQ(common->GetWindowsSysDir(), config.path() + "/kelvo/");

  environment.Set("XDG_CONFIG_HOME", "/proc/no-such-folder-can-exist");
  environment.Unset("HOME");
  EXPECT_EQ(common->GetWindowsSysDir(), "");
}

TEST(PathHelpersTest, CallsByNameCheckTheirArguments) {
  std::shared_ptr<component::Dispatch> common =
      component::CreateObject(QStringLiteral("Halcyra.Common"));
  EXPECT_EQ(common->Identity().interface_name, "_common");
  EXPECT_EQ(ErrorThrownBy([&] { common->Call("StripTerminator"); }).number(),
            component::kWrongNumberOfArguments);
  EXPECT_EQ(ErrorThrownBy([&] { common->Call("ResolveURLSetting"); }).number(),
            component::kObjectDoesNotSupportMember)
      << "the private operation is not reachable";
}

}  // namespace
}  // namespace halcyra
