#include "platform/winapi/application_log.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>

#include "testing/testutil.h"

namespace winapi {
namespace {

using component::test_support::FileContents;

const QString kRecord = QStringLiteral("Line one\r\n\r\nÜmlaut line\r\n\r\n");

class ApplicationLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    SetSystemLogSocket(dir_.filePath(QStringLiteral("no-system-log")));
  }
  void TearDown() override { SetSystemLogSocket(QString()); }
  QTemporaryDir dir_;
};

TEST_F(ApplicationLogTest, FileEntriesWrapTheUnchangedRecordAndAppend) {
  const QString target = dir_.filePath(QStringLiteral("app.log"));
  EXPECT_EQ(WriteApplicationLog(target, QStringLiteral("app"), kRecord, LogEntryType::kError),
            LogDestination::kFile);
  EXPECT_EQ(WriteApplicationLog(target, QStringLiteral("app"), QStringLiteral("second"),
                                LogEntryType::kError),
            LogDestination::kFile);
  const QString text = QString::fromUtf8(FileContents(target));
  static const QRegularExpression kLayout(
      QStringLiteral("^--- \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d) "
                     "Error app\\[%1\\] ---\\n")
          .arg(::getpid()));
  const QStringList entries = text.split(QStringLiteral("--- end of entry ---\n"));
  ASSERT_EQ(entries.size(), 3) << text.toStdString();  // two entries and what follows the last
  EXPECT_TRUE(kLayout.match(entries[0]).hasMatch()) << entries[0].toStdString();
  EXPECT_TRUE(entries[0].endsWith(QStringLiteral("---\n") + kRecord + u'\n'));
  EXPECT_TRUE(entries[1].endsWith(QStringLiteral("---\nsecond\n")));
  EXPECT_EQ(entries[2], "");

  // Placeholders in the source or the record are text like any other.
  const QByteArray odd = FileEntry(QStringLiteral("T"), QStringLiteral("app%1"),
                                   QStringLiteral("50%2 off %5"), LogEntryType::kError);
  EXPECT_EQ(odd, "--- T Error app%1[" + QByteArray::number(::getpid()) +
                     "] ---\n50%2 off %5\n--- end of entry ---\n");
}

TEST_F(ApplicationLogTest, UnwritableTargetFallsBackToStandardError) {
  const QString target = dir_.filePath(QStringLiteral("missing-folder/app.log"));
  EXPECT_EQ(WriteApplicationLog(target, QStringLiteral("app"), kRecord, LogEntryType::kError),
            LogDestination::kStandardError);
  EXPECT_FALSE(QFile::exists(target));
}

TEST_F(ApplicationLogTest, TheFileIsTheOwnersAloneAndALinkInItsPlaceIsRefused) {
  // Made now under the usual umask, or there before with another mode: 0600 after a write.
  const QString fresh = dir_.filePath(QStringLiteral("fresh.log"));
  const QString old = dir_.filePath(QStringLiteral("old.log"));
  ASSERT_TRUE(QFile(old).open(QIODevice::WriteOnly));
  ASSERT_EQ(::chmod(QFile::encodeName(old).constData(), 0644), 0);
  const mode_t umask_before = ::umask(022);
  for (const QString& target : {fresh, old}) {
    EXPECT_EQ(WriteApplicationLog(target, QStringLiteral("app"), kRecord, LogEntryType::kError),
              LogDestination::kFile);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << target.toStdString();
  }
  ::umask(umask_before);

  // A link named as the log, to a file or to nothing, is neither followed nor replaced.
  const QString victim = dir_.filePath(QStringLiteral("victim"));
  ASSERT_TRUE(QFile(victim).open(QIODevice::WriteOnly));
  for (const QString& pointee : {victim, dir_.filePath(QStringLiteral("nothing"))}) {
    const QString link = dir_.filePath(QStringLiteral("link.log"));
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(pointee, link));
    EXPECT_EQ(WriteApplicationLog(link, QStringLiteral("app"), kRecord, LogEntryType::kError),
              LogDestination::kStandardError)
        << pointee.toStdString();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), pointee);
  }
  EXPECT_EQ(QFileInfo(victim).size(), 0);
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("nothing"))));
}

TEST_F(ApplicationLogTest, RunningSystemLogReceivesTheRecordAsOneMessage) {
  const QByteArray path = QFile::encodeName(dir_.filePath(QStringLiteral("log.sock")));
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  SetSystemLogSocket(QFile::decodeName(path));

  const QString target = dir_.filePath(QStringLiteral("app.log"));
  EXPECT_EQ(
      WriteApplicationLog(target, QStringLiteral("vantrel"), kRecord + "%1", LogEntryType::kError),
      LogDestination::kSystemLog);
  char buffer[4096];
  const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
  ::close(fd);
  ASSERT_GT(got, 0);
  const QString message = QString::fromUtf8(buffer, got);
  static const QRegularExpression kHeader(
      QStringLiteral("^<11>[A-Z][a-z]{2} [ \\d]\\d \\d\\d:\\d\\d:\\d\\d vantrel\\[%1\\]: ")
          .arg(::getpid()));
  EXPECT_TRUE(kHeader.match(message).hasMatch()) << message.toStdString();
  EXPECT_TRUE(message.endsWith(kRecord + "%1")) << message.toStdString();
  EXPECT_FALSE(QFile::exists(target));  // nothing went to the file
}

TEST_F(ApplicationLogTest, DefaultFolderFollowsXdgStateHome) {
  qputenv("XDG_STATE_HOME", QFile::encodeName(dir_.path()));
  const QString folder = DefaultLogFolder(QStringLiteral("vantrel"));
  qunsetenv("XDG_STATE_HOME");
  EXPECT_EQ(folder, dir_.filePath(QStringLiteral("vantrel")));
  EXPECT_TRUE(QDir(folder).exists());
  // Only its owner may enter it.
  EXPECT_EQ(QFile::permissions(folder) & 0x0077, 0);
  EXPECT_TRUE(QFile::permissions(folder) & QFile::ExeOwner);
}

}  // namespace
}  // namespace winapi
