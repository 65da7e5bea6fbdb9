// vantrel-cli asking for a password a server wants: on a terminal, without echo; with no
// terminal, failing at once.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <thread>

#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/cli/terminal_prompter.h"

namespace dataaccess::test_support {
namespace {

const QString kDatabase = QStringLiteral("vt_tty_prompt");

QString UriWithoutPassword() {
  return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2")
      .arg(ServerFact("PG_PORT"), kDatabase);
}

TEST(TerminalPrompterTest, PromptLeavesOutWhatTheRequestLeavesEmpty) {
  // The full form is what the terminal test below expects.
  EXPECT_EQ(vantrel::cli::PasswordPromptText({"MySQL", "", "localhost", 0, "", "", true}),
            "Password for localhost (MySQL): ");
  EXPECT_EQ(vantrel::cli::PasswordPromptText({"", "ann", "", 3306, "sales", "", false}),
            "Password for ann/sales: ");
  EXPECT_EQ(vantrel::cli::PasswordPromptText({}), "Password: ");
}

TEST(TerminalPrompterTest, OnceAPasswordIsTypedTheProcessCannotBeDumped) {
  int master = -1;
  int terminal = -1;
  ASSERT_EQ(openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
  const int saved_input = dup(STDIN_FILENO);
  ASSERT_EQ(dup2(terminal, STDIN_FILENO), STDIN_FILENO);
  // Typed once echo is off: turning it off discards what was typed before.
  std::thread typist([master] {
    for (int tries = 0; tries < 1000; ++tries) {
      termios now{};
      if (tcgetattr(master, &now) == 0 && !(now.c_lflag & ECHO)) {
        EXPECT_EQ(write(master, "Zq7 Head\n", 9), 9);
        return;
      }
      usleep(10000);
    }
  });
  EXPECT_EQ(prctl(PR_GET_DUMPABLE), 1);
  const std::optional<QString> password = vantrel::cli::TerminalPrompter().AskPassword({});
  typist.join();
  dup2(saved_input, STDIN_FILENO);
  for (const int fd : {saved_input, terminal, master}) close(fd);
  EXPECT_EQ(password, QStringLiteral("Zq7 Head"));
  EXPECT_EQ(prctl(PR_GET_DUMPABLE), 0) << "a core dump would hold the password";
}

class TerminalPromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VANTREL_REQUIRE_SERVER("PG");
    RecreatePostgresDatabase(kDatabase);
    // No tables on either side: a successful comparison prints nothing.
    empty_sqlite_ = folder_.CreateDatabase("empty.db", "PRAGMA user_version = 1");
  }

  SqliteTestFolder folder_;
  QString empty_sqlite_;
};

TEST_F(TerminalPromptTest, WithoutATerminalTheOpenFailsWithOneLine) {
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(QStringLiteral(VANTREL_CLI), {"compare", UriWithoutPassword(), empty_sqlite_});
  ASSERT_TRUE(process.waitForFinished(60000));
  const QString errors = QString::fromUtf8(process.readAllStandardError());
  EXPECT_EQ(process.exitCode(), 2);
  EXPECT_EQ(errors.count(u'\n'), 1) << errors.toStdString();
  EXPECT_TRUE(errors.endsWith(QStringLiteral("(error 3108)\n"))) << errors.toStdString();
}

// Reads what the terminal shows until `until` appears or the child closes it (EIO at the
// master), for at most 30 seconds.
void ReadScreen(int master, QByteArray* screen, const QByteArray& until) {
  const QDeadlineTimer deadline(30000);
  while (until.isEmpty() || !screen->contains(until)) {
    pollfd descriptor{master, POLLIN, 0};
    if (poll(&descriptor, 1, static_cast<int>(deadline.remainingTime())) <= 0) return;
    char buffer[512];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return;
    screen->append(buffer, n);
  }
}

TEST_F(TerminalPromptTest, OnATerminalThePasswordIsAskedWithoutEchoAndEchoComesBack) {
  const QByteArray cli = VANTREL_CLI;
  const QByteArray primary = UriWithoutPassword().toUtf8();
  const QByteArray secondary = empty_sqlite_.toUtf8();
  const char* argv[] = {cli.constData(), "compare", primary.constData(), secondary.constData(),
                        nullptr};
  const QByteArray prompt = QStringLiteral("Password for postgres@127.0.0.1:%1/%2 (PostgreSQL): ")
                                .arg(ServerFact("PG_PORT"), kDatabase)
                                .toUtf8();
  const QByteArray password = ServerFact("PG_PASSWORD").toUtf8();
  for (const bool interrupt : {false, true}) {
    SCOPED_TRACE(interrupt ? "interrupted" : "password typed");
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
      execv(argv[0], const_cast<char* const*>(argv));
      _exit(127);
    }
    QByteArray screen;
    ReadScreen(master, &screen, prompt);
    termios asking{};
    EXPECT_EQ(tcgetattr(master, &asking), 0);
    if (interrupt) {
      kill(child, SIGINT);
    } else {
      EXPECT_EQ(write(master, password + "\n", password.size() + 1), password.size() + 1);
    }
    ReadScreen(master, &screen, QByteArray());
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    termios after{};
    EXPECT_EQ(tcgetattr(master, &after), 0);
    close(master);

    EXPECT_TRUE(screen.contains(prompt)) << screen.toStdString();
    EXPECT_EQ(asking.c_lflag & ECHO, 0u);
    EXPECT_NE(after.c_lflag & ECHO, 0u) << "echo stays off after the prompt";
    EXPECT_FALSE(screen.contains(password)) << screen.toStdString();
    if (interrupt) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << screen.toStdString();
    }
  }
}

}  // namespace
}  // namespace dataaccess::test_support
