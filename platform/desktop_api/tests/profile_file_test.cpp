#include "platform/desktop_api/profile_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "testing/testutil.h"

namespace desktop_api {
namespace {

using component::test_support::FileContents;
using component::test_support::WriteFileContents;

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

  QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }

  static QString Read(const QString& section, const QString& key, const QString& path) {
    return GetPrivateProfileString(section, key, QStringLiteral("<default>"), 255, path);
  }

  QTemporaryDir folder_;
};

TEST_F(ProfileFileTest, FirstWriteCreatesFileAndSectionAndLaterWritesKeepTheRest) {
  const QString path = Path(QStringLiteral("app.ini"));
  EXPECT_EQ(Read("RunTime", "HelpURL", path), "<default>");
  EXPECT_FALSE(QFile::exists(path)) << "reading must not create the file";

  ASSERT_TRUE(WritePrivateProfileString("RunTime", "HelpURL", "help.htm", path));
  EXPECT_EQ(FileContents(path), "[RunTime]\nHelpURL=help.htm\n");

  ASSERT_TRUE(WritePrivateProfileString("RunTime", "AboutURL", " about.htm ", path));
  ASSERT_TRUE(WritePrivateProfileString("Other", "Key", "x", path));
  ASSERT_TRUE(WritePrivateProfileString("RunTime", "HelpURL", "new.htm", path));
  EXPECT_EQ(FileContents(path),
            "[RunTime]\nHelpURL=new.htm\nAboutURL= about.htm \n\n[Other]\nKey=x\n");
  EXPECT_EQ(Read("RunTime", "AboutURL", path), " about.htm ") << "values come back as stored";
}

TEST_F(ProfileFileTest, SectionAndKeyNamesIgnoreLetterCaseAndSurroundingSpaces) {
  const QString path = Path(QStringLiteral("case.ini"));
  WriteFileContents(
      path,
      "; comment\r\n[ RunTime ]\r\n  AboutURL = a\r\nnot a key line\r\n[Next]\r\nAboutURL=b\r\n");
  EXPECT_EQ(Read("runtime", "ABOUTURL", path), " a");
  EXPECT_EQ(Read("NEXT", "abouturl", path), "b");
  EXPECT_EQ(Read("RunTime", "not a key line", path), "<default>");

  ASSERT_TRUE(WritePrivateProfileString("RUNTIME", "abouturl", "c", path));
  EXPECT_EQ(FileContents(path),
            "; comment\n[ RunTime ]\nabouturl=c\nnot a key line\n[Next]\nAboutURL=b\n");
}

TEST_F(ProfileFileTest, BufferHoldsOneCharacterLessThanItsSize) {
  const QString path = Path(QStringLiteral("long.ini"));
  const QString long_value(300, u'v');
  ASSERT_TRUE(WritePrivateProfileString("S", "K", long_value, path));
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", 255, path), QString(254, u'v'));
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", 1, path), "");
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", 0, path), "");
  EXPECT_EQ(GetPrivateProfileString("S", "Missing", long_value, 255, path), QString(254, u'v'))
      << "the default is cut like a value";

  // A character of two UTF-16 units straddling the cut is dropped whole.
  const QString emoji = QString(253, u'x') + QString::fromUtf8("\xF0\x9F\x98\x80");
  ASSERT_TRUE(WritePrivateProfileString("S", "E", emoji, path));
  EXPECT_EQ(GetPrivateProfileString("S", "E", "", 255, path), QString(253, u'x'));
}

TEST_F(ProfileFileTest, FileThatIsNoTextReadsAsMissingAndIsNeverOverwritten) {
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"nul.ini", QByteArray("[S]\nK=v\n\0binary", 16)},
      {"latin1.ini", QByteArray("[S]\nK=caf\xE9\n")},
  };
  for (const auto& c : cases) {
    const QString path = Path(QString::fromLatin1(c.name));
    WriteFileContents(path, c.bytes);
    EXPECT_EQ(Read("S", "K", path), "<default>") << c.name;
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", path)) << c.name;
    EXPECT_EQ(FileContents(path), c.bytes) << c.name;
  }

  const QString folder_in_the_way = Path(QStringLiteral("folder.ini"));
  ASSERT_TRUE(QDir().mkdir(folder_in_the_way));
  EXPECT_EQ(Read("S", "K", folder_in_the_way), "<default>");
  EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", folder_in_the_way));
  EXPECT_TRUE(QFileInfo(folder_in_the_way).isDir());
}

TEST_F(ProfileFileTest, WriteThatCannotHappenLeavesEverythingAsItWas) {
  const QString path = Path(QStringLiteral("lines.ini"));
  WriteFileContents(path, "[S]\nK=old\n");
  const struct {
    const char* section;
    const char* key;
    const char* value;
  } refused[] = {
      {"S", "K", "two\nlines"}, {"S", "K", "cr\rhere"}, {"S\n[X]", "K", "v"}, {"S", "K\nY", "v"},
      {"", "K", "v"},           {"S", " ", "v"},        {"S]", "K", "v"},     {"S", "K=1", "v"},
      {"S", "[K", "v"},         {"S", ";K", "v"},
  };
  for (const auto& r : refused) {
    EXPECT_FALSE(WritePrivateProfileString(r.section, r.key, r.value, path))
        << r.section << "/" << r.key << "/" << r.value;
  }
  EXPECT_EQ(FileContents(path), "[S]\nK=old\n");

  EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", Path(QStringLiteral("no/such/x.ini"))));
  EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("no"))));
}

}  // namespace
}  // namespace desktop_api
