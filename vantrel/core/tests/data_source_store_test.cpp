// The data source store over the real registry store, in a temporary folder of each test.
#include "vantrel/core/data_source_store.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <stdexcept>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"
#include "testing/registry_store.h"
#include "testing/testutil.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

constexpr auto kUser = corbenna::ParentRegistryKey::HKEYCurrentUser;

class RecordingList : public ListControl {
 public:
  void Clear() override { items.clear(); }
  void AddItem(const QString& text) override { items.append(text); }
  QStringList items = {QStringLiteral("left over")};
};

class DataSourceStoreTest : public ::testing::Test {
 protected:
  QString StoreFile() const { return registry_store_.UserFile(); }

  QString StoredList() {
    return ProgramRegistry().GetSettingPro(kUser, DataSourcesKeyPath(),
                                           QStringLiteral("DataSourceList"));
  }

  corbenna::test_support::ScopedRegistryStore registry_store_;
  DataSourceStore& store_ = ProgramDataSources();
};

// Each step acts on the store left by the steps before it.
TEST_F(DataSourceStoreTest, AddAndDeleteKeepTheListAsStored) {
  enum Action { kAdd, kDelete };
  const struct {
    Action action;
    const char* name;
    const char* list_after;
  } steps[] = {
      {kDelete, "A", ""},  // deleting from an empty store writes nothing
      {kAdd, "A", "A"},
      {kAdd, "B", "A,B"},
      {kAdd, "A", "A,B"},   // the same source: listed once, values replaced
      {kAdd, "a", "a,B"},   // the same source in another case: replaced in its place
      {kDelete, "A", "B"},  // every entry, without regard to case
      {kDelete, "C", "B"},  // not listed: nothing changes
      {kDelete, "", "B"},
      {kAdd, "Straße", "B,Straße"},
      {kAdd, "STRASSE", "B,Straße,STRASSE"},  // different text, whatever its case
      {kDelete, "STRASSE", "B,Straße"},
      {kDelete, "straße", "B"},
      {kDelete, "B", ""},
  };
  for (const auto& step : steps) {
    const QString name = QString::fromUtf8(step.name);
    if (step.action == kAdd) {
      store_.AddDataSource(name, QStringLiteral(" sqlite:/%1.db ").arg(name),
                           QStringLiteral("db ") + name);
      EXPECT_EQ(store_.ReadConnectionString(name), "sqlite:/" + name + ".db") << step.name;
    } else {
      EXPECT_TRUE(store_.DeleteDataSource(name)) << step.name;
    }
    EXPECT_EQ(StoredList(), QString::fromUtf8(step.list_after))
        << (step.action == kAdd ? "add '" : "delete '") << step.name << "'";
  }
  // Deleting took every source's values with it.
  EXPECT_FALSE(component::test_support::FileContents(StoreFile()).contains("sqlite:/"))
      << component::test_support::FileContents(StoreFile()).toStdString();
  store_.AddDataSource(QStringLiteral("B"), QStringLiteral("sqlite:/new.db"), QString());
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("B")), "sqlite:/new.db");
  EXPECT_EQ(store_.ReadDatabaseName(QStringLiteral("B")), "");
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("never added")), "");
}

// Names the list cannot keep as one item (or whose key would differ from its listed spelling)
// are refused before anything is written.
TEST_F(DataSourceStoreTest, NamesTheListCannotKeepAreRefusedAndWriteNothing) {
  store_.AddDataSource(QStringLiteral("Kept"), QStringLiteral("sqlite:/kept.db"), QString());
  const QByteArray before = component::test_support::FileContents(StoreFile());
  const QString refused[] = {
      "",
      " ",
      "\t",
      "a,b",
      ",",
      "a\nb",
      "a\rb",
      " prod ",
      "prod ",
      " prod",
      "x\x7f",
      QStringLiteral("x\u0085"),
      "x\x1b[2J",
      QStringLiteral("x\u2028y"),
      QStringLiteral("x\uFFFDy"),
      QString(QChar(0xD800)),
      QStringLiteral("\u00A0x"),
      QStringLiteral("\uFEFFx"),
      QString(1, QChar(0)),
  };
  for (const QString& name : refused) {
    const component::Error error = component::test_support::ErrorThrownBy(
        [&] { store_.AddDataSource(name, QStringLiteral("sqlite:/x.db"), QString()); });
    EXPECT_EQ(error.number(), kBadDataSourceName) << VisibleText(name).toStdString();
    EXPECT_FALSE(error.description().contains(u'\n')) << error.what();
    EXPECT_FALSE(error.description().contains(u'\x1b')) << error.what();
    EXPECT_EQ(component::test_support::FileContents(StoreFile()), before)
        << VisibleText(name).toStdString();
  }
  for (const char* name : {"a b", "x;y", "Zoë", "日本"}) {
    EXPECT_FALSE(DataSourceNameProblem(name).has_value()) << VisibleText(name).toStdString();
  }
}

TEST_F(DataSourceStoreTest, FillListsTheNamesInStoredOrderAfterClearing) {
  RecordingList list;
  store_.FillDataSourceList(list);
  EXPECT_EQ(list.items, QStringList());
  for (const char* name : {"Zed", "alpha", "zed"}) {
    store_.AddDataSource(QString::fromUtf8(name), QString(), QString());
  }
  store_.FillDataSourceList(list);
  EXPECT_EQ(list.items, QStringList({"zed", "alpha"}));
}

// A backslash would otherwise make a key path of several levels: "\A" and "A\" would reach A's
// own key and overwrite its values.
TEST_F(DataSourceStoreTest, NamesWithBackslashesKeepValuesOfTheirOwn) {
  const QStringList names = {"A", "\\A", "A\\", "A\\B", "\\", "A%5CB", "%", "A\\\\B"};
  for (const QString& name : names) store_.AddDataSource(name, "conn " + name, "db " + name);
  for (const QString& name : names) {
    EXPECT_EQ(store_.ReadConnectionString(name), "conn " + name) << name.toStdString();
    EXPECT_EQ(store_.ReadDatabaseName(name), "db " + name) << name.toStdString();
  }
  EXPECT_EQ(store_.GetDataSourceNames()->items(), names);
}

// Older versions listed the empty name, with its values on the parent key.
TEST_F(DataSourceStoreTest, DeletingTheEmptyNameRemovesItsValuesAndNothingElse) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(StoreFile()).absolutePath()));
  component::test_support::WriteFileContents(StoreFile(),
                                             R"({"format": "vantrel-registry-1", "keys": {
        "SOFTWARE\\Kelvo\\Vantrel\\DataSources": {"DataSourceList": "A,,B",
          "ConnectionString": "postgresql://u:Secret1@h/d", "DatabaseName": "d",
          "PrimaryDatabase": "A"},
        "SOFTWARE\\Kelvo\\Vantrel\\DataSources\\A": {"ConnectionString": "sqlite:/a.db"}}})");
  EXPECT_TRUE(store_.DeleteDataSource(QString()));
  EXPECT_EQ(StoredList(), "A,B");
  EXPECT_FALSE(component::test_support::FileContents(StoreFile()).contains("Secret1"));
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("A")), "sqlite:/a.db");
  EXPECT_EQ(ProgramRegistry().GetSettingPro(kUser, DataSourcesKeyPath(),
                                            QStringLiteral("PrimaryDatabase")),
            "A");
}

TEST_F(DataSourceStoreTest, ADamagedStoreIsNeverWritten) {
  ASSERT_TRUE(QDir().mkpath(QFileInfo(StoreFile()).absolutePath()));
  component::test_support::WriteFileContents(StoreFile(),
                                             "{\"format\": \"vantrel-registry-1\", \"ke");
  const QByteArray before = component::test_support::FileContents(StoreFile());
  EXPECT_FALSE(store_.DeleteDataSource(QStringLiteral("A")));
  EXPECT_EQ(component::test_support::ErrorThrownBy([&] {
              store_.AddDataSource(QStringLiteral("A"), QString(), QString());
            }).number(),
            registry::kStoreDamaged);
  EXPECT_EQ(component::test_support::FileContents(StoreFile()), before);
}

// An add killed at any moment (here: at its n-th write of a file) leaves the source either
// absent or listed with its values; never listed without them.
TEST_F(DataSourceStoreTest, AnAddKilledAtAnyWriteLeavesTheSourceWholeOrAbsent) {
  for (int killed_at = 1; killed_at <= 3; ++killed_at) {
    QFile::remove(StoreFile());
    store_.AddDataSource(QStringLiteral("Old"), QStringLiteral("sqlite:/old.db"), QString());
    const pid_t child = ::fork();
    if (child == 0) {
      auto writes = std::make_shared<int>(0);
      registry_store_.Use([killed_at, writes](int fd, const void* data, size_t size) -> ssize_t {
        if (++*writes == killed_at) ::kill(::getpid(), SIGKILL);
        return ::write(fd, data, size);
      });
      try {
        ProgramDataSources().AddDataSource(QStringLiteral("New"), QStringLiteral("sqlite:/new.db"),
                                           QStringLiteral("db"));
      } catch (...) {
        ::_exit(98);
      }
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
    const bool listed = store_.IsListed(QStringLiteral("New"));
    EXPECT_EQ(StoredList(), listed ? "Old,New" : "Old") << "killed at write " << killed_at;
    EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("New")), listed ? "sqlite:/new.db" : "")
        << "killed at write " << killed_at;
    EXPECT_EQ(store_.ReadDatabaseName(QStringLiteral("New")), listed ? "db" : "")
        << "killed at write " << killed_at;
  }
}

}  // namespace
}  // namespace vantrel
