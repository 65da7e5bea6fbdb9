#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/winapi/short_path.h"
#include "platform/winapi/system_folder.h"
#include "platform/winapi/temp_folder.h"
#include "testing/testutil.h"

namespace winapi {
namespace {

using component::testing::ScopedEnvironment;

TEST(FoldersTest, TempPathFollowsTmpdirAndEndsInSeparator) {
  ScopedEnvironment environment;
  environment.Set("TMPDIR", "/var/tmp/somewhere");
  EXPECT_EQ(GetTempPath(), "/var/tmp/somewhere/");
  environment.Set("TMPDIR", "/var/tmp/");
  EXPECT_EQ(GetTempPath(), "/var/tmp/");
  environment.Set("TMPDIR", "");
  EXPECT_EQ(GetTempPath(), "/tmp/");
  environment.Unset("TMPDIR");
  EXPECT_EQ(GetTempPath(), "/tmp/");
}

TEST(FoldersTest, SystemDirectoryIsCreatedInTheUsersConfigurationFolder) {
  QTemporaryDir config;
  QTemporaryDir home;
  ASSERT_TRUE(config.isValid() && home.isValid());
  ScopedEnvironment environment;
  environment.Set("XDG_CONFIG_HOME", QFile::encodeName(config.path()).toStdString());
  environment.Set("HOME", QFile::encodeName(home.path()).toStdString());
  const QString folder = GetSystemDirectory("kelvo");
  EXPECT_EQ(folder, config.path() + "/kelvo");
  EXPECT_TRUE(QFileInfo(folder).isDir());

  // A relative XDG_CONFIG_HOME is ignored for ~/.config.
  environment.Set("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(GetSystemDirectory("kelvo"), home.path() + "/.config/kelvo");
  EXPECT_TRUE(QFileInfo(home.path() + "/.config/kelvo").isDir());

  environment.Unset("XDG_CONFIG_HOME");
  environment.Unset("HOME");
  EXPECT_EQ(GetSystemDirectory("kelvo"), "");

  // A file where the folder should be: it cannot be created.
  const QString blocker = QDir(config.path()).filePath("blocked");
  component::testing::WriteFileContents(blocker, "");
  environment.Set("XDG_CONFIG_HOME", QFile::encodeName(blocker).toStdString());
  EXPECT_EQ(GetSystemDirectory("kelvo"), "");
}

TEST(FoldersTest, ShortPathOfAnExistingPathIsItsAbsolutePath) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = QDir(folder.path()).filePath("a file.txt");
  component::testing::WriteFileContents(file, "");
  ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
  EXPECT_EQ(GetShortPathName(file), file);
  EXPECT_EQ(GetShortPathName(folder.path() + "/./sub/../a file.txt"), file);
  EXPECT_EQ(GetShortPathName(folder.path() + "/"), folder.path() + "/");

  const QString saved = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  EXPECT_EQ(GetShortPathName("a file.txt"), file);
  QDir::setCurrent(saved);

  EXPECT_EQ(GetShortPathName(""), "");
  EXPECT_EQ(GetShortPathName(folder.path() + "/missing"), "");
  EXPECT_EQ(GetShortPathName(file + " "), "") << "trailing spaces are part of a name here";
  ASSERT_TRUE(QFile::link(folder.path() + "/gone", folder.path() + "/dangling"));
  EXPECT_EQ(GetShortPathName(folder.path() + "/dangling"), "");
}

}  // namespace
}  // namespace winapi
