#include "platform/registry/registry_access.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"

namespace registry {
namespace {

class RegistryAccessTest : public ::testing::Test {
 protected:
  QString UserFile() const { return dir_.filePath(QStringLiteral("user/vantrel/registry.json")); }
  QString MachineFile() const { return dir_.filePath(QStringLiteral("machine/registry.json")); }
  RegistryAccess Store(bool privileged = false, WriteFunction write = SystemWrite()) const {
    return RegistryAccess(
        {UserFile(), MachineFile()}, [privileged] { return privileged; }, std::move(write));
  }
  static QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  static component::Error ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const component::Error& error) {
      return error;
    }
    return component::Error(0, QString(), QStringLiteral("nothing thrown"));
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
      ASSERT_TRUE(store.WriteValue(kUserRoot, QStringLiteral("SOFTWARE\\") + texts[i] + u'\\',
                                   texts[i], texts[i]));
      ASSERT_TRUE(store.WriteValue(kUserRoot, QStringLiteral("Values\\"),
                                   QStringLiteral("v%1").arg(i), texts[i]));
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
  QString read;
  ASSERT_TRUE(store.ReadValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources"),
                              QStringLiteral("DataSourceList"), &read));
  EXPECT_EQ(read, "A,B");
  ASSERT_TRUE(store.ReadValue(kUserRoot, QStringLiteral("software\\kelvo\\vantrel\\datasources\\"),
                              QStringLiteral("datasourcelist"), &read));
  EXPECT_EQ(read, "A,B");  // letter case doesn't matter, as in the platform's registry
  ASSERT_TRUE(store.ReadValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources\\A"),
                              QStringLiteral("DataSourceList"), &read));
  EXPECT_EQ(read, "child");
  // The other root, a missing key and a missing value are not found, and not errors.
  read = QStringLiteral("untouched");
  EXPECT_FALSE(store.ReadValue(kMachineRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\"),
                               QStringLiteral("DataSourceList"), &read));
  EXPECT_FALSE(store.ReadValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\"),
                               QStringLiteral("DataSourceList"), &read));
  EXPECT_FALSE(store.ReadValue(kUserRoot, QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources"),
                               QStringLiteral("Other"), &read));
  EXPECT_EQ(read, "untouched");
  EXPECT_EQ(ErrorOf([&] { store.ReadValue(0x80000003, "A", "B", &read); }).number(),
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
    QFile file(UserFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damage);
    file.close();
    RegistryAccess store = Store();
    QString read;
    const component::Error on_read = ErrorOf(
        [&] { store.ReadValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), &read); });
    EXPECT_EQ(on_read.number(), kStoreDamaged) << damage.constData();
    EXPECT_TRUE(on_read.description().contains(UserFile())) << on_read.what();
    const component::Error on_write = ErrorOf(
        [&] { store.WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), "new"); });
    EXPECT_EQ(on_write.number(), kStoreDamaged);
    EXPECT_EQ(Bytes(UserFile()), damage);
  }
}

TEST_F(RegistryAccessTest, FullDiskLeavesTheOldFileAndNoLeftovers) {
  Store().WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("old"));
  const QByteArray before = Bytes(UserFile());
  // Half of the new file gets written, then the disk is full.
  int calls = 0;
  RegistryAccess full = Store(false, [&calls](int fd, const void* data, size_t size) -> ssize_t {
    if (calls++ == 0) return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
  });
  const component::Error error =
      ErrorOf([&] { full.WriteValue(kUserRoot, QStringLiteral("K"), QStringLiteral("V"), "new"); });
  EXPECT_EQ(error.number(), component::kDiskFull);
  EXPECT_TRUE(error.description().contains(UserFile()));
  EXPECT_EQ(Bytes(UserFile()), before);
  EXPECT_EQ(QDir(QFileInfo(UserFile()).absolutePath())
                .entryList({QStringLiteral("*.tmp-*")}, QDir::Files)
                .size(),
            0);
}

TEST_F(RegistryAccessTest, MachineRootIsWrittenOnlyByPrivilegedCallers) {
  const component::Error refused = ErrorOf([&] {
    Store(false).WriteValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), "x");
  });
  EXPECT_EQ(refused.number(), component::kPermissionDenied);
  EXPECT_TRUE(refused.description().contains(MachineFile()));
  EXPECT_FALSE(QFile::exists(MachineFile()));

  ASSERT_TRUE(Store(true).WriteValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), "x"));
  QString read;
  ASSERT_TRUE(
      Store(false).ReadValue(kMachineRoot, QStringLiteral("K"), QStringLiteral("V"), &read));
  EXPECT_EQ(read, "x");
  struct stat file_status {};
  ASSERT_EQ(::stat(QFile::encodeName(MachineFile()).constData(), &file_status), 0);
  EXPECT_EQ(file_status.st_mode & 07777, 0644u);
}

TEST(DefaultStoreLocationsTest, UserFileFollowsXdgConfigHome) {
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "/tmp/somewhere");
  EXPECT_EQ(DefaultStoreLocations().user_file, "/tmp/somewhere/vantrel/registry.json");
  qputenv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(DefaultStoreLocations().user_file,
            QDir::homePath() + QStringLiteral("/.config/vantrel/registry.json"));
  if (saved.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", saved);
  }
  EXPECT_EQ(DefaultStoreLocations().machine_file, "/etc/vantrel/registry.json");
}

}  // namespace
}  // namespace registry
