// Passwords asked at a run and kept in the desktop's keyring. With VANTREL_TEST_KEYRING set, a
// fresh gnome-keyring runs on a private session bus (run-with-test-keyring.sh); otherwise there
// is no keyring service at all.
#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>

#include "testing/testutil.h"
#include "vantrel/desktop/keyring.h"
#include "vantrel/desktop/qt_connection_prompter.h"
#include "vantrel/desktop/tests/desktop_test_support.h"

namespace vantrel::desktop {
namespace {

using test_support::RunThroughModals;

dataaccess::PasswordRequest Server() {
  dataaccess::PasswordRequest server;
  server.engine = QStringLiteral("PostgreSQL");
  server.user = QStringLiteral("ann");
  server.host = QStringLiteral("db.example");
  server.port = 5432;
  server.database = QStringLiteral("sales");
  return server;
}

// Answers the password dialog with `password`, asking to keep it.
std::function<void(QWidget*)> TypeAndKeep(const QString& password) {
  return [password](QWidget* dialog) {
    ASSERT_EQ(dialog->objectName(), "PasswordDialog");
    dialog->findChild<QLineEdit*>(QStringLiteral("password"))->setText(password);
    dialog->findChild<QCheckBox*>(QStringLiteral("keep"))->setChecked(true);
    qobject_cast<QDialog*>(dialog)->accept();
  };
}

class KeyringTest : public test_support::DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (qEnvironmentVariableIsEmpty("VANTREL_TEST_KEYRING")) {
      GTEST_SKIP() << "runs only on the test keyring (run-with-test-keyring.sh)";
    }
  }
  QtConnectionPrompter prompter_;
};

TEST_F(KeyringTest, AKeptPasswordIsUsedWithoutAskingUntilTheServerRefusesIt) {
  dataaccess::PasswordRequest server = Server();
  std::optional<QString> answer;
  auto boxes = RunThroughModals([&] { answer = prompter_.AskPassword(server); },
                                TypeAndKeep(QStringLiteral("first")));
  EXPECT_EQ(answer, QStringLiteral("first"));
  EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  EXPECT_EQ(ReadKeyringPassword(server), QStringLiteral("first"));

  // The next run takes it from the keyring: no dialog may open.
  RunThroughModals([&] { answer = prompter_.AskPassword(server); });
  EXPECT_EQ(answer, QStringLiteral("first"));

  // Refused: the user is asked again, and the new password replaces the kept one.
  server.retry = true;
  RunThroughModals([&] { answer = prompter_.AskPassword(server); },
                   TypeAndKeep(QStringLiteral("second")));
  EXPECT_EQ(answer, QStringLiteral("second"));
  EXPECT_EQ(ReadKeyringPassword(Server()), QStringLiteral("second"));

  dataaccess::PasswordRequest other = Server();
  other.database = QStringLiteral("archive");
  EXPECT_EQ(ReadKeyringPassword(other), std::nullopt) << "kept per database";
}

// The prompt knows the port the user typed; at a run the library reports MySQL's localhost
// connections, which go through the socket, with port 0. Both must find the same entry.
TEST(KeyringKeyTest, APasswordKeptInThePromptIsFoundAtTheRun) {
  dataaccess::PasswordRequest typed = Server();
  typed.engine = QStringLiteral("MySQL");
  typed.host = QStringLiteral("localhost");
  typed.port = 3306;
  dataaccess::PasswordRequest at_run = typed;
  at_run.port = 0;
  EXPECT_EQ(KeyringKey(typed), KeyringKey(at_run));
  typed.host = at_run.host = QStringLiteral("db.example");
  EXPECT_NE(KeyringKey(typed), KeyringKey(at_run)) << "over TCP the port tells servers apart";
}

TEST(NoKeyringTest, ThePromptSaysThePasswordWasNotKeptAndStillUsesIt) {
  if (!qEnvironmentVariableIsEmpty("VANTREL_TEST_KEYRING")) GTEST_SKIP() << "a keyring runs";
  QtConnectionPrompter prompter;
  std::optional<QString> answer;
  const auto boxes = RunThroughModals([&] { answer = prompter.AskPassword(Server()); },
                                      TypeAndKeep(QStringLiteral("typed")));
  EXPECT_EQ(answer, QStringLiteral("typed"));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Password Not Kept");
  EXPECT_TRUE(boxes[0].text.contains("asked for again next time")) << boxes[0].text.toStdString();
}

}  // namespace
}  // namespace vantrel::desktop
