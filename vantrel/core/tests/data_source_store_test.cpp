// The data source store over the real registry store, in a temporary configuration folder.
#include "vantrel/core/data_source_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <stdexcept>

#include "platform/component/error.h"
#include "testing/testutil.h"
#include "vantrel/core/program_objects.h"

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
  // The registry store fixes its file at first use, so every test shares one folder and starts
  // from an empty store.
  static void SetUpTestSuite() {
    config_ = new QTemporaryDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config_->path()));
  }
  static void TearDownTestSuite() { delete config_; }
  void SetUp() override { QFile::remove(config_->filePath("vantrel/registry.json")); }

  QString StoredList() {
    return ProgramRegistry().GetSettingPro(kUser, DataSourcesKeyPath(),
                                           QStringLiteral("DataSourceList"));
  }

  static inline QTemporaryDir* config_ = nullptr;
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
      {kDelete, "A", ""},      // deleting from an empty store writes the empty list
      {kAdd, "A", "A"},        //
      {kAdd, "  B  ", "A,B"},  // trimmed
      {kAdd, "A", "A,B,A"},    // listed again, values overwritten
      {kDelete, "a", "B"},     // every entry, without regard to case
      {kDelete, "C", "B"},     // not listed: written back unchanged
      {kAdd, "", "B,"},        // an empty name leaves a closing comma
      {kDelete, "", "B"},      // an empty name drops the empty entries
      {kAdd, "Straße", "B,Straße"},
      {kDelete, "STRASSE", "B,Straße"},  // different text, whatever its case
      {kDelete, "straße", "B"},
      {kDelete, "B", ""},
  };
  for (const auto& step : steps) {
    const QString name = QString::fromUtf8(step.name);
    if (step.action == kAdd) {
      store_.AddDataSource(name, QStringLiteral(" sqlite:/%1.db ").arg(name.trimmed()),
                           QStringLiteral("db ") + name.trimmed());
    } else {
      EXPECT_TRUE(store_.DeleteDataSource(name)) << step.name;
    }
    EXPECT_EQ(StoredList(), QString::fromUtf8(step.list_after))
        << (step.action == kAdd ? "add '" : "delete '") << step.name << "'";
  }
  // Deleting left the values behind; adding again replaces them.
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("B")), "sqlite:/B.db");
  store_.AddDataSource(QStringLiteral("B"), QStringLiteral("sqlite:/new.db"), QString());
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("B")), "sqlite:/new.db");
  EXPECT_EQ(store_.ReadDatabaseName(QStringLiteral("B")), "");
  EXPECT_EQ(store_.ReadConnectionString(QStringLiteral("never added")), "");
}

TEST_F(DataSourceStoreTest, FillListsTheNamesInStoredOrderAfterClearing) {
  RecordingList list;
  store_.FillDataSourceList(list);
  EXPECT_EQ(list.items, QStringList());
  for (const char* name : {"Zed", "", "alpha", "Zed"}) {
    store_.AddDataSource(QString::fromUtf8(name), QString(), QString());
  }
  store_.FillDataSourceList(list);
  EXPECT_EQ(list.items, QStringList({"Zed", "", "alpha", "Zed"}));
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

// Stands for a registry whose list cannot be read (a damaged store, a failing disk) while writes
// would still go through: the delete must not write a list made from nothing.
class UnreadableListRegistry : public corbenna::Registry {
 public:
  QString GetSettingPro(corbenna::ParentRegistryKey, const QString&, const QString&,
                        const QString&) override {
    throw component::Error(3200, QStringLiteral("test"), QStringLiteral("damaged"));
  }
  QString SaveSettingPro(corbenna::ParentRegistryKey, const QString&, const QString& value_key,
                         const QString& value) override {
    writes.append(value_key + u'=' + value);
    return QString();
  }
  QStringList writes;
};

TEST_F(DataSourceStoreTest, DeleteNeverWritesAListItCouldNotRead) {
  UnreadableListRegistry registry;
  DataSourceStore store(registry, ProgramStrings());
  EXPECT_FALSE(store.DeleteDataSource(QStringLiteral("A")));
  EXPECT_EQ(registry.writes, QStringList());
  EXPECT_THROW(store.AddDataSource(QStringLiteral("A"), QString(), QString()), component::Error);
  EXPECT_EQ(registry.writes, QStringList());
}

}  // namespace
}  // namespace vantrel
