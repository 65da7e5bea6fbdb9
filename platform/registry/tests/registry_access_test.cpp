#include "platform/registry/registry_access.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"
#include "testing/testutil.h"

namespace registry {
namespace {

using component::test_support::ErrorThrownBy;
using component::test_support::FileContents;

class RegistryAccessTest : public ::testing::Test {
 protected:
  QString UserFile() const { return dir_.filePath(QStringLiteral("user/vantrel/registry.json")); }
  QString MachineFile() const { return dir_.filePath(QStringLiteral("machine/registry.json")); }
  RegistryAccess Store(bool privileged = false, WriteFunction write = SystemWrite()) const {
    return RegistryAccess(
        {UserFile(), MachineFile()}, [privileged] { return privileged; }, std::move(write));
  }

  QTemporaryDir dir_;
};

TEST_F(RegistryAccessTest, AnyTextRoundTripsAcrossInstances) {
  const QStringList texts = {
      QString(),
      QStringLiteral("   "),
      QStringLiteral(" a "),
      QStringLiteral("line one\r\nline two\nthree\r"),
      QStringLiteral("a=b"),
      QStringLiteral("[section]"),
      QStringLiteral("\"quoted\" 'single'"),
      QStringLiteral("C:\\path\\to\\"),
      QStringLiteral("Grüße ✓ 日本 \U0001F600"),
      QStringLiteral("\ttab; # not a comment"),
  };
  {
    RegistryAccess store = Store();
    for (qsizetype i = 0; i < texts.size(); ++i) {
      // The texts serve as values, as value names and as key components.
      store.WriteValue(kUserRoot, QStringLiteral("SOFTWARE\\") + texts[i] + u'\\', texts[i],
                       texts[i]);
      store.WriteValue(kUserRoot, QStringLiteral("Values\\"), QStringLiteral("v%1").arg(i),
                       texts[i]);
    }
  }
  RegistryAccess later = Store();
  for (qsizetype i = 0; i < texts.size(); ++i) {
    QString read = QStringLiteral("unset");
    ASSERT_TRUE(later.ReadValue(kUserRoot, QStringLiteral("Values\\"), QStringLiteral("v%1").arg(i),
                                &read));
    EXPECT_EQ(read, texts[i]) << "text " << i;
    read = QStringLiteral("unset");
    ASSERT_TRUE(later.ReadValue(kUserRoot, QStringLiteral("SOFTWARE\\") + texts[i] + u'\\',
                                texts[i], &read));
    EXPECT_EQ(read, texts[i]) << "text " << i;
  }
}

TEST_F(RegistryAccessTest, KeyPathsMeetWithOrWithoutClosingBackslashAndChildrenAreSeparate) {
  RegistryAccess store = Store();
  store.WriteValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources\\"),
                   QStringLiteral("DataSourceList"), QStringLiteral("A,B"));
  store.WriteValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources\\A\\"),
                   QStringLiteral("DataSourceList"), QStringLiteral("child"));
  // What a read finds; a value missing in any way is not found, is no error, and leaves the
  // caller's text untouched.
  const auto read = [&store](int32_t root, const char* key, const char* name) {
    QString value = QStringLiteral("untouched");
    return store.ReadValue(root, key, name, &value) ? value : "<not found, " + value + ">";
  };
  EXPECT_EQ(read(kUserRoot, "SOFTWARE\\Kelvo\\Vantrel\\DataSources", "DataSourceList"), "A,B");
  // Letter case doesn't matter, as in the platform's registry.
  EXPECT_EQ(read(kUserRoot, "software\\kelvo\\vantrel\\datasources\\", "datasourcelist"), "A,B");
  EXPECT_EQ(read(kUserRoot, "SOFTWARE\\Kelvo\\Vantrel\\DataSources\\A", "DataSourceList"), "child");
  const QString not_found = QStringLiteral("<not found, untouched>");
  EXPECT_EQ(read(kMachineRoot, "SOFTWARE\\Kelvo\\Vantrel\\", "DataSourceList"), not_found);
  EXPECT_EQ(read(kUserRoot, "SOFTWARE\\Kelvo\\", "DataSourceList"), not_found);
  EXPECT_EQ(read(kUserRoot, "SOFTWARE\\Kelvo\\Vantrel\\DataSources", "Other"), not_found);
  QString value;
  EXPECT_EQ(ErrorThrownBy([&] { store.ReadValue(0x80000003, "A", "B", &value); }).number(),
            component::kInvalidProcedureCall);
}

TEST_F(RegistryAccessTest, UserFileIsPrivateToItsOwner) {
  Store().WriteValue(kUserRoot, QStringLiteral("K\\"), QStringLiteral("Secret"),
                     QStringLiteral("Password=x"));
  struct stat file_status {};
  ASSERT_EQ(::stat(QFile::encodeName(UserFile()).constData(), &file_status), 0);
  EXPECT_EQ(file_status.st_mode & 07777, 0600u);
  struct stat folder_status {};
  ASSERT_EQ(
      ::stat(QFile::encodeName(QFileInfo(UserFile()).absolutePath()).constData(), &folder_status),
      0);
  EXPECT_EQ(folder_status.st_mode & 07777, 0700u);
}

TEST_F(RegistryAccessTest, DamagedFileIsReportedByNameAndNeverOverwritten) {
  QDir().mkpath(QFileInfo(UserFile()).absolutePath());
  for (const QByteArray& damage :
       {QByteArray("{\"format\": \"vantrel-registry-1\", \"keys\": {\"K\": {\"V\": "),
        QByteArray("[1, 2]"),
        QByteArray("{\"format\": \"vantrel-registry-1\", \"keys\": "
                   "{\"K\": {\"V\": 5}}}"),
        QByteArray()}) {
    component::test_support::WriteFileContents(UserFile(), damage);
    RegistryAccess store = Store();
    QString read;
    const component::Error on_read = ErrorThrownBy(
        [&] { store.ReadValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), &read); });
    EXPECT_EQ(on_read.number(), kStoreDamaged) << damage.constData();
    EXPECT_TRUE(on_read.description().contains(UserFile())) << on_read.what();
    const component::Error on_write = ErrorThrownBy(
        [&] { store.WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), "new"); });
    EXPECT_EQ(on_write.number(), kStoreDamaged);
    EXPECT_EQ(FileContents(UserFile()), damage);
  }
}

// Names holding characters from U+0080 to U+009F once came back from the file in an order that
// lookups missed, so one of these two keys was not found.
TEST_F(RegistryAccessTest, EveryKeyOfAFileIsFoundWhateverItsCharacters) {
  QDir().mkpath(QFileInfo(UserFile()).absolutePath());
  component::test_support::WriteFileContents(
      UserFile(), QByteArray("{\"format\": \"vantrel-registry-1\", \"keys\": {"
                             "\"SOFTWARE\xc2\x9fKeales \": {\"V\": \"one\"}, "
                             "\"SOFTWARE\xc3\x82\\\\Saivces\": {\"V\": \"two\"}}}"));
  RegistryAccess store = Store();
  for (const auto& [key, expected] :
       {std::pair{QStringLiteral("SOFTWARE\u009fKeales "), QStringLiteral("one")},
        std::pair{QStringLiteral("SOFTWARE\u00c2\\Saivces"), QStringLiteral("two")}}) {
    QString read;
    EXPECT_TRUE(store.ReadValue(kUserRoot, key, QStringLiteral("V"), &read)) << key.toStdString();
    EXPECT_EQ(read, expected) << key.toStdString();
  }
}

TEST_F(RegistryAccessTest, FullDiskLeavesTheOldFileAndNoLeftovers) {
  Store().WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("old"));
  const QByteArray before = FileContents(UserFile());
  // Half of the new file gets written, then the disk is full.
  int calls = 0;
  RegistryAccess full = Store(false, [&calls](int fd, const void* data, size_t size) -> ssize_t {
    if (calls++ == 0) return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
  });
  const component::Error error = ErrorThrownBy(
      [&] { full.WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), "new"); });
  EXPECT_EQ(error.number(), component::kDiskFull);
  EXPECT_TRUE(error.description().contains(UserFile()));
  EXPECT_EQ(FileContents(UserFile()), before);
  EXPECT_EQ(QDir(QFileInfo(UserFile()).absolutePath())
                .entryList({QStringLiteral("*.tmp-*")}, QDir::Files)
                .size(),
            0);
}

TEST_F(RegistryAccessTest, MachineRootIsWrittenOnlyByPrivilegedCallers) {
  const component::Error refused = ErrorThrownBy([&] {
    Store(false).WriteValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), "x");
  });
  EXPECT_EQ(refused.number(), component::kPermissionDenied);
  EXPECT_TRUE(refused.description().contains(MachineFile()));
  EXPECT_FALSE(QFile::exists(MachineFile()));

  Store(true).WriteValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), "x");
  QString read;
  ASSERT_TRUE(
      Store(false).ReadValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), &read));
  EXPECT_EQ(read, "x");
  struct stat file_status {};
  ASSERT_EQ(::stat(QFile::encodeName(MachineFile()).constData(), &file_status), 0);
  EXPECT_EQ(file_status.st_mode & 07777, 0644u);
}

TEST(DefaultStoreLocationsTest, UserFileFollowsXdgConfigHome) {
  component::test_support::ScopedEnvironment environment;
  environment.Set("XDG_CONFIG_HOME", "/tmp/somewhere");
  EXPECT_EQ(DefaultStoreLocations().user_file, "/tmp/somewhere/vantrel/registry.json");
  environment.Set("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(DefaultStoreLocations().user_file,
            QDir::homePath() + QStringLiteral("/.config/vantrel/registry.json"));
  EXPECT_EQ(DefaultStoreLocations().machine_file, "/etc/vantrel/registry.json");
}

}  // namespace
}  // namespace registry
