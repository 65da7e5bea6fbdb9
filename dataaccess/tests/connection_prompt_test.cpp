// OpenConnection asking the installed prompter: for a password the real servers demand, and for
// the database to open when none is named.
#include <QFile>
#include <QTemporaryDir>

#include "dataaccess/connection_prompter.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"
#include "testing/server_test_support.h"
#include "testing/sqlite_test_file.h"

namespace dataaccess::test_support {
namespace {

const QString kDatabase = QStringLiteral("vt_prompt");
constexpr char kWrong[] = "Wr0ng-Typed";
constexpr char kRight[] = "right";  // stands for the server's real password

// Stands in for the user: answers from a script and records what it was asked.
class ScriptedPrompter final : public ConnectionPrompter {
 public:
  std::optional<ConnectionChoice> ChooseConnection() override {
    ++choose_calls;
    return choice;
  }
  std::optional<QString> AskPassword(const PasswordRequest& r) override {
    asked.append(QStringLiteral("%1 %2@%3:%4/%5 %6%7")
                     .arg(r.engine, r.user, r.host, QString::number(r.port), r.database, r.target,
                          r.retry ? QStringLiteral(" retry") : QString()));
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    if (answer.isNull()) return std::nullopt;
    return answer;
  }

  std::optional<ConnectionChoice> choice;
  int choose_calls = 0;
  QStringList answers;  // a null QString: the user cancels
  QStringList asked;    // "ENGINE USER@HOST:PORT/DATABASE TARGET[ retry]" per question
};

struct Outcome {
  int32_t error = 0;  // 0: opened
  QString description;
  std::unique_ptr<DataConnection> connection;
};

Outcome OpenWith(int32_t mode, const QString& connect_string) {
  Outcome outcome;
  try {
    outcome.connection = DataEngine::Instance().Environments().Item(0).OpenConnection(
        QString(), mode, true, connect_string);
  } catch (const component::Error& error) {
    outcome.error = error.number();
    outcome.description = error.description();
  }
  return outcome;
}

class ConnectionPromptTest : public ::testing::Test {
 protected:
  void SetUp() override { SetConnectionPrompter(prompter_); }
  void TearDown() override { SetConnectionPrompter(nullptr); }

  std::shared_ptr<ScriptedPrompter> prompter_ = std::make_shared<ScriptedPrompter>();
};

class PasswordPromptTest : public ConnectionPromptTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(PasswordPromptTest, AsksWhenTheServerWantsAPasswordAndRetriesARefusedOne) {
  const bool postgres = qstrcmp(GetParam(), "Postgres") == 0;
  const char* server = postgres ? "PG" : "MARIADB";
  VANTREL_REQUIRE_SERVER(server);
  QTemporaryDir dir;
  QString uri;
  QString password;
  QString asked;  // what every question must say
  if (postgres) {
    RecreatePostgresDatabase(kDatabase);
    uri = QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2")
              .arg(ServerFact("PG_PORT"), kDatabase);
    password = ServerFact("PG_PASSWORD");
    asked = QStringLiteral("PostgreSQL postgres@127.0.0.1:%1/%2 %3")
                .arg(ServerFact("PG_PORT"), kDatabase, uri);
  } else {
    RecreateMysqlDatabase(kDatabase);
    // An option file of the test's own keeps a user's ~/.my.cnf from supplying a password.
    const bool user_in_file = qstrcmp(GetParam(), "MysqlUserFromOptionFile") == 0;
    QFile file(dir.filePath("my.cnf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(user_in_file ? "[client]\nuser=vantrel\n" : "");
    file.close();
    const QString user_and_host = QString(user_in_file ? "" : "vantrel@") + "127.0.0.1";
    uri = QStringLiteral("mysql://%1:%2/%3?option-file=%4")
              .arg(user_and_host, ServerFact("MARIADB_PORT"), kDatabase, file.fileName());
    password = ServerFact("MARIADB_PASSWORD");
    asked = QStringLiteral("MySQL vantrel@127.0.0.1:%1/%2 %3")
                .arg(ServerFact("MARIADB_PORT"), kDatabase, uri);
  }
  struct Case {
    const char* what = nullptr;
    int32_t mode = 0;
    bool installed = false;
    QStringList answers;  // kRight, kWrong, or a null QString to cancel
    int32_t error = 0;
    int questions = 0;  // the first asked plainly, the others with retry set
  };
  const Case cases[] = {
      {"right answer", kPromptComplete, true, {kRight}, 0, 1},
      {"wrong, then right", kPromptCompleteRequired, true, {kWrong, kRight}, 0, 2},
      {"three wrong", kPromptAlways, true, {kWrong, kWrong, kWrong, kRight}, kLoginFailed, 3},
      {"empty answer is refused", kPromptComplete, true, {"", kRight}, 0, 2},
      {"cancelled", kPromptComplete, true, {QString()}, kPromptCancelled, 1},
      {"never prompt", kPromptNever, true, {}, kLoginFailed, 0},
      {"no prompter", kPromptComplete, false, {}, kLoginFailed, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompter_->asked.clear();
    prompter_->answers = c.answers;
    for (QString& answer : prompter_->answers) {
      if (answer == kRight) answer = password;
    }
    SetConnectionPrompter(c.installed ? prompter_ : nullptr);

    const Outcome outcome = OpenWith(c.mode, uri);

    EXPECT_EQ(outcome.error, c.error) << outcome.description.toStdString();
    QStringList questions;
    for (int i = 0; i < c.questions; ++i) questions.append(asked + (i > 0 ? " retry" : ""));
    EXPECT_EQ(prompter_->asked, questions);
    EXPECT_FALSE(outcome.description.contains(kWrong) || outcome.description.contains(password));
    if (outcome.connection) {
      EXPECT_EQ(outcome.connection->ConnectString(), uri);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, PasswordPromptTest,
                         ::testing::Values("Postgres", "Mysql", "MysqlUserFromOptionFile"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(ConnectionPromptTest, ChoosesTheDatabaseOnlyWhenNoneIsNamedAndTheModeAllows) {
  SqliteTestFolder dir;
  const QString path = dir.CreateDatabase("chosen.db", "CREATE TABLE picked (a int)");
  struct Case {
    const char* what = nullptr;
    int32_t mode = 0;
    bool installed = false;
    std::optional<ConnectionChoice> choice;
    int choose_calls = 0;
    int32_t error = 0;
  };
  const Case cases[] = {
      {"connect string", kPromptComplete, true, ConnectionChoice{"sqlite:" + path, "", ""}, 1, 0},
      {"name alone", kPromptAlways, true, ConnectionChoice{"", path, ""}, 1, 0},
      {"cancelled", kPromptComplete, true, std::nullopt, 1, kPromptCancelled},
      {"empty choice", kPromptAlways, true, ConnectionChoice{}, 1, kNoDatabaseGiven},
      {"required only", kPromptCompleteRequired, true, std::nullopt, 0, kNoDatabaseGiven},
      {"never prompt", kPromptNever, true, std::nullopt, 0, kNoDatabaseGiven},
      {"no prompter", kPromptComplete, false, std::nullopt, 0, kNoDatabaseGiven},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompter_->choice = c.choice;
    prompter_->choose_calls = 0;
    SetConnectionPrompter(c.installed ? prompter_ : nullptr);

    const Outcome outcome = OpenWith(c.mode, QString());

    EXPECT_EQ(outcome.error, c.error) << outcome.description.toStdString();
    EXPECT_EQ(prompter_->choose_calls, c.choose_calls);
    if (outcome.connection) {
      EXPECT_EQ(TableNames(*outcome.connection), QStringList{"picked"});
    }
  }
}

TEST_F(ConnectionPromptTest, AChosenPasswordServesThatOpenOnly) {
  VANTREL_REQUIRE_SERVER("PG");
  RecreatePostgresDatabase(kDatabase);
  const QString uri =
      QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(ServerFact("PG_PORT"));
  prompter_->choice = ConnectionChoice{uri, kDatabase, ServerFact("PG_PASSWORD")};

  const Outcome chosen = OpenWith(kPromptComplete, QString());

  ASSERT_EQ(chosen.error, 0) << chosen.description.toStdString();
  EXPECT_TRUE(prompter_->asked.empty());
  EXPECT_EQ(chosen.connection->DatabaseName(), kDatabase);
  EXPECT_FALSE(chosen.connection->ConnectString().contains(ServerFact("PG_PASSWORD")));
  // Reopening from what the connection kept needs the password again.
  EXPECT_EQ(OpenWith(kPromptNever, chosen.connection->ConnectString()).error, kLoginFailed);
}

}  // namespace
}  // namespace dataaccess::test_support
