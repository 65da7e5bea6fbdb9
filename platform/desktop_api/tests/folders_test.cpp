#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/desktop_api/runtime_folder.h"
#include "platform/desktop_api/short_path.h"
#include "platform/desktop_api/system_folder.h"
#include "platform/desktop_api/temp_folder.h"
#include "testing/testutil.h"

namespace desktop_api {
namespace {

using component::test_support::ScopedEnvironment;

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
  component::test_support::WriteFileContents(blocker, "");
  environment.Set("XDG_CONFIG_HOME", QFile::encodeName(blocker).toStdString());
  EXPECT_EQ(GetSystemDirectory("kelvo"), "");
}

QStringList qt_warnings;

// Without XDG_RUNTIME_DIR, Qt's own fallback folder is taken, and Qt then warns of nothing; a
// folder there that is not this user's private one is left for Qt to complain about.
TEST(FoldersTest, RuntimeFolderIsQtsFallbackWithoutItsWarning) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  ScopedEnvironment environment;
  environment.Set("TMPDIR", QFile::encodeName(temp.path()).toStdString());
  const QString fallback = temp.path() + "/runtime-" + qEnvironmentVariable("USER", "root");
  const auto previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { qt_warnings.append(text); });
  const struct {
    const char* what;
    const char* set;   // XDG_RUNTIME_DIR, or nullptr for unset
    int existing;      // the mode of a folder already there, 0 for none, -1 for a link
    QString prepared;  // what PrepareRuntimeFolder returns
  } cases[] = {
      {"set already", "/run/user/0", 0, ""},
      {"first start", nullptr, 0, fallback},
      {"next start", nullptr, 0700, fallback},
      {"open to others", nullptr, 0755, ""},
      {"a link", nullptr, -1, ""},
  };
  for (const auto& c : cases) {
    QDir(fallback).removeRecursively();
    QFile::remove(fallback);
    if (c.existing > 0) {
      ASSERT_TRUE(QDir().mkdir(fallback));
      ASSERT_EQ(::chmod(QFile::encodeName(fallback).constData(), c.existing), 0);
    } else if (c.existing < 0) {
      ASSERT_TRUE(QDir().mkdir(temp.path() + "/elsewhere"));
      ASSERT_TRUE(QFile::link(temp.path() + "/elsewhere", fallback));
    }
    if (c.set) environment.Set("XDG_RUNTIME_DIR", c.set);
    if (!c.set) environment.Unset("XDG_RUNTIME_DIR");
    qt_warnings.clear();
    EXPECT_EQ(PrepareRuntimeFolder(), c.prepared) << c.what;
    EXPECT_EQ(qEnvironmentVariable("XDG_RUNTIME_DIR"), c.set ? c.set : c.prepared) << c.what;
    if (c.prepared.isEmpty()) continue;
    struct stat facts {};
    ASSERT_EQ(::stat(QFile::encodeName(fallback).constData(), &facts), 0);
    EXPECT_EQ(facts.st_mode & 07777, 0700u) << c.what;
    EXPECT_EQ(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), fallback)
        << c.what;
    EXPECT_EQ(qt_warnings, QStringList()) << c.what;
  }
  qInstallMessageHandler(previous);
}

TEST(FoldersTest, ShortPathOfAnExistingPathIsItsAbsolutePath) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString file = QDir(folder.path()).filePath("a file.txt");
  component::test_support::WriteFileContents(file, "");
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
}  // namespace desktop_api
