// OpenConnection asking the installed prompter: for a password the real servers demand, and for
// the database to open when none is named. The scripted prompter stands in for the user.
#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "dataaccess/connection_prompter.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"
#include "dataaccess/tests/server_test_support.h"
#include "dataaccess/tests/sqlite_test_file.h"

namespace dataaccess::testing {
namespace {

const QString kDatabase = QStringLiteral("vt_prompt");
constexpr char kWrong[] = "Wr0ng-Typed";
constexpr char kRight[] = "right";  // stands for the server's real password

class ScriptedPrompter final : public ConnectionPrompter {
 public:
  std::optional<ConnectionChoice> ChooseConnection() override {
    ++choose_calls;
    return choice;
  }
  std::optional<QString> AskPassword(const PasswordRequest& request) override {
    asked.push_back(request);
    if (answers.isEmpty()) {
      ADD_FAILURE() << "asked for a password more often than the script answers";
      return std::nullopt;
    }
    const QString answer = answers.takeFirst();
    if (answer.isNull()) return std::nullopt;
    return answer;
  }

  std::optional<ConnectionChoice> choice;
  int choose_calls = 0;
  QStringList answers;  // a null QString: the user cancels
  std::vector<PasswordRequest> asked;
};

struct Outcome {
  int32_t error = 0;  // 0: opened
  QString description;
  std::unique_ptr<DataConnection> connection;
};

Outcome OpenWith(int32_t mode, const QString& name, const QString& connect_string) {
  Outcome outcome;
  try {
    outcome.connection = DataEngine::Instance().Environments().Item(0).OpenConnection(
        name, mode, true, connect_string);
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

// A server reached without a password, and what the prompt must be told about it.
struct PasswordServer {
  const char* engine_fact = nullptr;
  QString uri;
  QString password;
  PasswordRequest expected;
};

enum class ServerKind { kPostgres, kMysql, kMysqlUserFromOptionFile };

class PasswordPromptTest : public ConnectionPromptTest,
                           public ::testing::WithParamInterface<ServerKind> {
 protected:
  PasswordServer Server() {
    PasswordServer server;
    server.expected.host = QStringLiteral("127.0.0.1");
    server.expected.database = kDatabase;
    if (GetParam() == ServerKind::kPostgres) {
      server.engine_fact = "PG";
      server.uri = QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2")
                       .arg(ServerFact("PG_PORT"), kDatabase);
      server.password = ServerFact("PG_PASSWORD");
      server.expected.engine = QStringLiteral("PostgreSQL");
      server.expected.user = QStringLiteral("postgres");
      server.expected.port = ServerFact("PG_PORT").toInt();
    } else {
      // An option file of the test's own keeps a user's ~/.my.cnf from supplying a password.
      const QString option_file = dir_.filePath("my.cnf");
      QFile file(option_file);
      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
      const bool user_in_file = GetParam() == ServerKind::kMysqlUserFromOptionFile;
      if (user_in_file) file.write("[client]\nuser=vantrel\n");
      file.close();
      server.engine_fact = "MARIADB";
      const QString user = user_in_file ? QString() : QStringLiteral("vantrel@");
      server.uri = QStringLiteral("mysql://%1:%2/%3?option-file=%4")
                       .arg(user + "127.0.0.1", ServerFact("MARIADB_PORT"), kDatabase, option_file);
      server.password = ServerFact("MARIADB_PASSWORD");
      server.expected.engine = QStringLiteral("MySQL");
      server.expected.user = QStringLiteral("vantrel");
      server.expected.port = ServerFact("MARIADB_PORT").toInt();
    }
    server.expected.target = server.uri;
    return server;
  }

  QTemporaryDir dir_;
};

TEST_P(PasswordPromptTest, AsksWhenTheServerWantsAPasswordAndRetriesARefusedOne) {
  const PasswordServer server = Server();
  VANTREL_REQUIRE_SERVER(server.engine_fact);
  static bool created[3] = {};
  if (!created[static_cast<int>(GetParam())]) {
    if (GetParam() == ServerKind::kPostgres) {
      RecreatePostgresDatabase(kDatabase);
    } else {
      RecreateMysqlDatabase(kDatabase);
    }
    created[static_cast<int>(GetParam())] = true;
  }
  struct Case {
    const char* what = nullptr;
    int32_t mode = 0;
    bool installed = false;
    std::vector<const char*> answers;  // kRight, kWrong, or nullptr to cancel
    int32_t error = 0;
    std::vector<bool> retries;  // one per question asked
  };
  const Case cases[] = {
      {"right answer", kPromptComplete, true, {kRight}, 0, {false}},
      {"wrong, then right", kPromptCompleteRequired, true, {kWrong, kRight}, 0, {false, true}},
      {"three wrong answers",
       kPromptAlways,
       true,
       {kWrong, kWrong, kWrong, kRight},
       kLoginFailed,
       {false, true, true}},
      {"empty answer counts as refused", kPromptComplete, true, {"", kRight}, 0, {false, true}},
      {"cancelled", kPromptComplete, true, {nullptr}, kPromptCancelled, {false}},
      {"never prompt", kPromptNever, true, {}, kLoginFailed, {}},
      {"no prompter", kPromptComplete, false, {}, kLoginFailed, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    prompter_->asked.clear();
    prompter_->answers.clear();
    for (const char* answer : c.answers) {
      if (answer == nullptr) {
        prompter_->answers.append(QString());
      } else {
        prompter_->answers.append(answer == kRight ? server.password : QString::fromUtf8(answer));
      }
    }
    SetConnectionPrompter(c.installed ? prompter_ : nullptr);

    const Outcome outcome = OpenWith(c.mode, QString(), server.uri);

    EXPECT_EQ(outcome.error, c.error) << outcome.description.toStdString();
    ASSERT_EQ(prompter_->asked.size(), c.retries.size());
    for (size_t i = 0; i < c.retries.size(); ++i) {
      const PasswordRequest& asked = prompter_->asked[i];
      EXPECT_EQ(asked.retry, c.retries[i]) << "question " << i;
      EXPECT_EQ(asked.engine, server.expected.engine);
      EXPECT_EQ(asked.user, server.expected.user);
      EXPECT_EQ(asked.host, server.expected.host);
      EXPECT_EQ(asked.port, server.expected.port);
      EXPECT_EQ(asked.database, server.expected.database);
      EXPECT_EQ(asked.target, server.expected.target);
    }
    EXPECT_FALSE(outcome.description.contains(kWrong));
    EXPECT_FALSE(outcome.description.contains(server.password));
    if (outcome.connection) {
      EXPECT_EQ(outcome.connection->DatabaseName(), kDatabase);
      EXPECT_EQ(outcome.connection->ConnectString(), server.uri);
    }
  }
}

std::string ServerKindName(const ::testing::TestParamInfo<ServerKind>& info) {
  switch (info.param) {
    case ServerKind::kPostgres:
      return "Postgres";
    case ServerKind::kMysql:
      return "Mysql";
    case ServerKind::kMysqlUserFromOptionFile:
      return "MysqlUserFromOptionFile";
  }
  return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Servers, PasswordPromptTest,
                         ::testing::Values(ServerKind::kPostgres, ServerKind::kMysql,
                                           ServerKind::kMysqlUserFromOptionFile),
                         ServerKindName);

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

    const Outcome outcome = OpenWith(c.mode, QString(), QString());

    EXPECT_EQ(outcome.error, c.error) << outcome.description.toStdString();
    EXPECT_EQ(prompter_->choose_calls, c.choose_calls);
    if (outcome.connection) {
      EXPECT_EQ(TableNames(*outcome.connection), QStringList{"picked"});
    }
  }
}

TEST_F(ConnectionPromptTest, AChosenPasswordServesThatOpenOnly) {
  VANTREL_REQUIRE_SERVER("PG");
  const QString uri =
      QStringLiteral("postgresql://postgres@127.0.0.1:%1/postgres").arg(ServerFact("PG_PORT"));
  prompter_->choice = ConnectionChoice{uri, kDatabase, ServerFact("PG_PASSWORD")};
  RecreatePostgresDatabase(kDatabase);

  const Outcome chosen = OpenWith(kPromptComplete, QString(), QString());

  ASSERT_EQ(chosen.error, 0) << chosen.description.toStdString();
  EXPECT_TRUE(prompter_->asked.empty());
  EXPECT_EQ(chosen.connection->DatabaseName(), kDatabase);
  EXPECT_FALSE(chosen.connection->ConnectString().contains(ServerFact("PG_PASSWORD")));
  // Reopening from what the connection kept needs the password again.
  EXPECT_EQ(OpenWith(kPromptNever, QString(), chosen.connection->ConnectString()).error,
            kLoginFailed);
}

}  // namespace
}  // namespace dataaccess::testing
