// The store's guarantees against other processes: a writer killed mid-write, two writers
// racing, and a non-root process writing the machine's root.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/component/error.h"
#include "platform/registry/registry_access.h"
#include "testing/testutil.h"

namespace registry {
namespace {

class RegistryProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    // Let a child that drops its privileges reach the folder.
    ::chmod(QFile::encodeName(dir_.path()).constData(), 0755);
  }
  StoreLocations Locations() const {
    return {dir_.filePath(QStringLiteral("user/registry.json")),
            dir_.filePath(QStringLiteral("machine/registry.json"))};
  }
  RegistryAccess Store(WriteFunction write = SystemWrite()) const {
    return RegistryAccess(Locations(), IsPrivilegedProcess, std::move(write));
  }
  QString Read(const QString& name) const {
    QString value = QStringLiteral("<missing>");
    Store().ReadValue(kUserRoot, QStringLiteral("Race\\"), name, &value);
    return value;
  }
  // Runs `body` in a child process; returns its wait status.
  static int RunChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      int code = 99;
      try {
        code = body();
      } catch (...) {
        code = 98;
      }
      ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }

  QTemporaryDir dir_;
};

TEST_F(RegistryProcessTest, WriterKilledMidWriteLeavesTheOldFile) {
  Store().WriteValue(kUserRoot, QStringLiteral("Race\\"), QStringLiteral("Value"),
                     QStringLiteral("old"));
  const QByteArray before = component::test_support::FileContents(Locations().user_file);

  for (int cut : {0, 1, 7, 40}) {
    const int status = RunChild([&] {
      // Write `cut` bytes of the new file, then die as a crash or a power cut would.
      RegistryAccess dying = Store([cut](int fd, const void* data, size_t size) -> ssize_t {
        ::write(fd, data, std::min<size_t>(size, cut));
        ::kill(::getpid(), SIGKILL);
        return -1;
      });
      dying.WriteValue(kUserRoot, QStringLiteral("Race\\"), QStringLiteral("Value"),
                       QString(10000, u'n'));
      return 0;
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "cut " << cut;
    EXPECT_EQ(component::test_support::FileContents(Locations().user_file), before)
        << "cut " << cut;
    EXPECT_EQ(Read(QStringLiteral("Value")), "old");
  }
  // The dead writers' lock went with them, and their leftovers go with the next write.
  Store().WriteValue(kUserRoot, QStringLiteral("Race\\"), QStringLiteral("Value"),
                     QStringLiteral("new"));
  EXPECT_EQ(Read(QStringLiteral("Value")), "new");
  EXPECT_EQ(QDir(QFileInfo(Locations().user_file).absolutePath())
                .entryList({QStringLiteral("registry.json.tmp-*")}, QDir::Files),
            QStringList());
}

TEST_F(RegistryProcessTest, ReadersNeverSeeATornFileWhileAWriterIsKilledAtAnyMoment) {
  for (int round = 0; round < 3; ++round) {
    const pid_t writer = ::fork();
    if (writer == 0) {
      try {
        RegistryAccess store = Store();
        for (int i = 0;; ++i) {
          store.WriteValue(kUserRoot, QStringLiteral("Race\\"), QStringLiteral("Counter"),
                           QString::number(i));
          store.WriteValue(kUserRoot, QStringLiteral("Race\\"),
                           QStringLiteral("Bulk%1").arg(i % 50), QString(2000 + i % 977, u'b'));
        }
      } catch (...) {
      }
      ::_exit(3);
    }
    // Every read while the writer runs, and after it is killed, finds a whole store.
    int last = -1;
    int status = 0;
    try {
      while (last < 20 * (round + 1) && ::waitpid(writer, &status, WNOHANG) == 0) {
        const QString counter = Read(QStringLiteral("Counter"));
        if (counter != QStringLiteral("<missing>")) last = counter.toInt();
      }
    } catch (const component::Error& error) {
      ADD_FAILURE() << error.what();
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";
    EXPECT_GE(Read(QStringLiteral("Counter")).toInt(), last);
  }
}

TEST_F(RegistryProcessTest, TwoWritersRacingLoseNoWrite) {
  constexpr int kWritesEach = 60;
  pid_t writers[2];
  for (int w = 0; w < 2; ++w) {
    writers[w] = ::fork();
    if (writers[w] == 0) {
      RegistryAccess store = Store();
      for (int i = 0; i < kWritesEach; ++i) {
        store.WriteValue(kUserRoot, QStringLiteral("Race\\"),
                         QStringLiteral("w%1-%2").arg(w).arg(i),
                         QStringLiteral("value %1 of writer %2").arg(i).arg(w));
      }
      ::_exit(0);
    }
  }
  for (pid_t writer : writers) {
    int status = 0;
    ::waitpid(writer, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int w = 0; w < 2; ++w) {
    for (int i = 0; i < kWritesEach; ++i) {
      EXPECT_EQ(Read(QStringLiteral("w%1-%2").arg(w).arg(i)),
                QStringLiteral("value %1 of writer %2").arg(i).arg(w));
    }
  }
}

TEST_F(RegistryProcessTest, NonRootProcessCannotWriteTheMachineRoot) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges in a child";
  const int status = RunChild([&] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 97;
    try {
      Store().WriteValue(kMachineRoot, QStringLiteral("K\\"), QStringLiteral("V"), "x");
    } catch (const component::Error& error) {
      return error.number() == component::kPermissionDenied ? 0 : 2;
    }
    return 1;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(QFile::exists(Locations().machine_file));
  // Root itself may.
  Store().WriteValue(kMachineRoot, QStringLiteral("K\\"), QStringLiteral("V"), "x");
}

}  // namespace
}  // namespace registry
