#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <atomic>
#include <thread>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"
#include "testing/catalog_reading.h"
#include "testing/sqlite_test_file.h"
#include "testing/testutil.h"

namespace dataaccess {
namespace {

using component::testing::ErrorThrownBy;
using component::testing::FileContents;

using testing::ColumnNames;
using testing::Open;
using testing::SqliteTestFolder;
using testing::TableNames;

constexpr char kShop[] = R"sql(
  CREATE TABLE Zeta (id INTEGER PRIMARY KEY AUTOINCREMENT, note TEXT);
  CREATE TABLE Alpha (code CHAR(3) NOT NULL, amount NUMERIC(10,2), untyped,
                      twice INTEGER GENERATED ALWAYS AS (amount * 2) VIRTUAL);
  CREATE TABLE Pairs (a INTEGER, b INTEGER, PRIMARY KEY (a, b));
  CREATE TABLE Words (w INTEGER PRIMARY KEY, t TEXT) WITHOUT ROWID;
  CREATE TABLE Countdown (n INTEGER PRIMARY KEY DESC);
  CREATE TABLE items_without_tax (id INTEGER PRIMARY KEY, legacy_rowid INT,
                                  note TEXT DEFAULT 'without rowid') /* not without rowid */;
  CREATE TABLE Docs (a text CHECK (json_valid(a)), "b c" TEXT, d text /* CHECK (json_valid(d)) */
                     CHECK (json_valid(d) AND d <> '[]'), e varchar(9) CHECK (json_valid(e)),
                     "check" REAL, CHECK ((JSON_VALID("b c") OR "b c" IS NULL)));
  CREATE VIEW AlphaCodes AS SELECT code FROM Alpha;
  CREATE INDEX AlphaByCode ON Alpha(code);
  ANALYZE;
)sql";

TEST(SqliteDriverTest, ListsUserTablesAndViewsInCreationOrderWithoutInternals) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("shop.db", kShop));
  // sqlite_sequence (AUTOINCREMENT) and sqlite_stat1 (ANALYZE) are the engine's own.
  EXPECT_EQ(TableNames(*connection), QStringList({"Zeta", "Alpha", "Pairs", "Words", "Countdown",
                                                  "items_without_tax", "Docs", "AlphaCodes"}));
  EXPECT_EQ(ColumnNames(*connection, "Alpha"), QStringList({"code", "amount", "untyped", "twice"}));
  EXPECT_EQ(connection->DatabaseName(), "shop");
}

TEST(SqliteDriverTest, ReadsColumnProperties) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("shop.db", kShop));
  TableCollection& tables = connection->Tables();

  DataColumn& id = tables.Item("Zeta").Columns().Item("id");
  EXPECT_EQ(id.DataType(), kInteger);
  EXPECT_EQ(id.Attributes(), kFixedLength | kAutoIncrement);
  EXPECT_TRUE(id.Required()) << "a rowid alias can never be NULL";
  EXPECT_EQ(id.OrdinalPosition(), 1);

  DataColumn& code = tables.Item("Alpha").Columns().Item("code");
  EXPECT_EQ(code.DataType(), kChar);
  EXPECT_EQ(code.Size(), 3);
  EXPECT_TRUE(code.Required());
  EXPECT_FALSE(code.AllowZeroLength());

  DataColumn& amount = tables.Item("Alpha").Columns().Item("amount");
  EXPECT_EQ(amount.Size(), 10 * 65536 + 2);
  EXPECT_EQ(amount.OrdinalPosition(), 2);
  EXPECT_FALSE(amount.Required());

  EXPECT_EQ(tables.Item("Alpha").Columns().Item("untyped").DataType(), kUntyped);
  DataColumn& twice = tables.Item("Alpha").Columns().Item("twice");
  EXPECT_EQ(twice.Attributes() & kGenerated, kGenerated);
  EXPECT_EQ(twice.OrdinalPosition(), 4);

  // Neither a compound key, a WITHOUT ROWID table nor a descending key has a rowid alias.
  EXPECT_EQ(tables.Item("Pairs").Columns().Item("a").Attributes() & kAutoIncrement, 0);
  EXPECT_EQ(tables.Item("Words").Columns().Item("w").Attributes() & kAutoIncrement, 0);
  EXPECT_EQ(tables.Item("Countdown").Columns().Item("n").Attributes() & kAutoIncrement, 0);
  // The words in a name, a default or a comment do not make a table WITHOUT ROWID.
  DataColumn& item_id = tables.Item("items_without_tax").Columns().Item("id");
  EXPECT_EQ(item_id.Attributes(), id.Attributes());
  EXPECT_EQ(item_id.Required(), id.Required());
  EXPECT_EQ(tables.Item("AlphaCodes").Columns().Count(), 1);

  // A text held by a json_valid() check of its own is JSON; a comment or a wider check is not.
  ColumnCollection& docs = tables.Item("Docs").Columns();
  EXPECT_EQ(ColumnNames(*connection, "Docs"), QStringList({"a", "b c", "d", "e", "check"}));
  for (const auto& [name, kind] : std::vector<std::pair<const char*, int32_t>>{
           {"a", kJson}, {"b c", kJson}, {"d", kText}, {"e", kVarChar}}) {
    EXPECT_EQ(docs.Item(name).DataType(), kind) << name;
  }
  EXPECT_EQ(docs.Item("check").Size(), 8) << "SQLite stores every REAL as a double";
}

TEST(SqliteDriverTest, LookupPrefersExactNameThenIgnoresAsciiCaseOnly) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("names.db", R"sql(
    CREATE TABLE "Straße" ("Größe" INTEGER, "größe2" TEXT);
    CREATE TABLE "Mixed" (Id INTEGER);
    CREATE TABLE "MIXED2" (x INTEGER);
    CREATE TABLE "abc" (a INTEGER, b INTEGER, c INTEGER);
  )sql"));
  TableCollection& tables = connection->Tables();
  EXPECT_EQ(tables.Item("mixed").Name(), "Mixed");
  EXPECT_EQ(tables.Item("Straße").Name(), "Straße");
  EXPECT_EQ(tables.Item("STRAßE").Name(), "Straße");
  // SQLite folds ASCII letters only: ß/ẞ and Ö/ö are different names.
  EXPECT_THROW(tables.Item("STRASSE"), component::Error);
  EXPECT_THROW(tables.Item("Straẞe"), component::Error);
  ColumnCollection& columns = tables.Item("Straße").Columns();
  EXPECT_EQ(columns.Item("GRößE").Name(), "Größe");
  EXPECT_THROW(columns.Item("GRÖßE"), component::Error) << "Ö and ö are different letters here";
  try {
    columns.Item("Gröẞe");
    ADD_FAILURE() << "a lookup of a missing column must fail";
  } catch (const component::Error& error) {
    EXPECT_EQ(error.number(), kItemNotFound);
    EXPECT_TRUE(error.description().contains("Gröẞe")) << error.what();
  }
  // Lookups in any order, repeated, folded and after a miss: each finds its own column.
  ColumnCollection& abc = tables.Item("abc").Columns();
  for (const char* name : {"c", "a", "b", "b", "C", "a", "c", "c", "b", "A"}) {
    EXPECT_EQ(abc.Item(name).Name(), QString(name).toLower()) << name;
    if (*name == 'a') {
      EXPECT_THROW(abc.Item("d"), component::Error);
    }
  }
}

// The catalog keeps Latin-1 names a byte a character and long names with a longer header before
// them: every name, position and NOT NULL must read back whole, by enumeration and by lookup.
TEST(SqliteDriverTest, ColumnNamesOfAnyLengthAndAlphabetReadBackWhole) {
  const QString names[] = {
      "a",
      "ab",
      "é",
      "\u0133",
      "\U0001F600x",
      QString(16382, u'x'),
      QString(16383, u'y'),
      QString(70001, u'z'),
      QString(32767, QChar(0x0133)),
      QString(40000, QChar(0xE9)),
  };
  // Every second column is NOT NULL.
  QStringList definitions;
  for (const QString& name : names) {
    definitions << '"' + name + (definitions.size() % 2 ? "\" NOT NULL" : "\"");
  }
  const QString sql = "CREATE TABLE t (" + definitions.join(", ") + ")";
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("long.db", sql.toUtf8().constData()));
  EXPECT_EQ(ColumnNames(*connection, "t"), QStringList(std::begin(names), std::end(names)));
  ColumnCollection& columns = connection->Tables().Item("t").Columns();
  int16_t position = 0;
  for (const QString& name : names) {
    const std::string label = (name.left(3) + QString::number(name.size())).toStdString();
    ++position;
    const DataColumn& column = columns.Item(name);
    EXPECT_EQ(column.Name(), name) << label;
    EXPECT_EQ(column.OrdinalPosition(), position) << label;
    EXPECT_EQ(column.Required(), position % 2 == 0) << label;
    if (name.front().unicode() < 0x80) {
      EXPECT_EQ(columns.Item(name.toUpper()).Name(), name) << label << " in capitals";
    }
  }
}

TEST(SqliteDriverTest, ConnectStringAndDatabaseNameReopenTheSameFile) {
  SqliteTestFolder folder;
  const QString path = folder.CreateDatabase("Sales Data.v2.db", "CREATE TABLE t (x INTEGER);");
  const QString relative = QDir::current().relativeFilePath(path);
  for (const QString& form : {path, "sqlite:" + path, relative, "sqlite:" + relative}) {
    auto first = Open(QString(), form);
    EXPECT_EQ(first->DatabaseName(), "Sales Data.v2") << form.toStdString();
    EXPECT_EQ(first->ConnectString(), "sqlite:" + QFileInfo(path).absoluteFilePath());
    auto again = Open(first->DatabaseName(), first->ConnectString());
    EXPECT_EQ(TableNames(*again), QStringList({"t"}));
  }
  // A name alone is a path too.
  EXPECT_EQ(TableNames(*Open(path, QString())), QStringList({"t"}));
}

TEST(SqliteDriverTest, AViewThatNoLongerResolvesKeepsTheRestOfTheCatalog) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("broken.db", R"sql(
    CREATE TABLE gone (x INTEGER);
    CREATE VIEW orphan AS SELECT x FROM gone;
    CREATE TABLE kept (y TEXT NOT NULL CHECK (json_valid(y)), z REAL);
    DROP TABLE gone;
  )sql"));
  EXPECT_EQ(TableNames(*connection), QStringList({"orphan", "kept"}));
  EXPECT_EQ(connection->Tables().Item("orphan").Columns().Count(), 0);
  EXPECT_EQ(ColumnNames(*connection, "kept"), QStringList({"y", "z"}));
  EXPECT_TRUE(connection->Tables().Item("kept").Columns().Item("y").Required());
  EXPECT_EQ(connection->Tables().Item("kept").Columns().Item("y").DataType(), kJson);
}

// Every committed table is seen, -wal included, and no file beside the database is created or
// changed, whatever -wal and -shm files a writer left.
TEST(SqliteDriverTest, WriteAheadLoggedDatabaseIsReadWithoutTouchingItsFiles) {
  SqliteTestFolder folder;
  const QString path =
      folder.CreateDatabase("live.db", "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);");
  const auto files = [&] { return QDir(folder.PathOf("")).entryList(QDir::Files); };
  const auto contents = [&] {
    QByteArray all;
    for (const QString& file : files()) all += FileContents(folder.PathOf(file)) + '|';
    return all;
  };
  EXPECT_EQ(TableNames(*Open(QString(), path)), QStringList({"t"}));
  EXPECT_EQ(files(), QStringList({"live.db"}));

  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer, "PRAGMA wal_autocheckpoint = 0; CREATE TABLE u (y TEXT);", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  const QStringList with_log = files();
  EXPECT_EQ(with_log, QStringList({"live.db", "live.db-shm", "live.db-wal"}));
  const QByteArray before = contents();
  EXPECT_EQ(TableNames(*Open(QString(), path)), QStringList({"t", "u"}));
  EXPECT_EQ(files(), with_log);
  EXPECT_EQ(contents(), before) << "the -shm of the writer is not rewritten";
  sqlite3_close(writer);
}

// A writer that commits and checkpoints all the time: every read gives one of the states it
// committed, never a damaged file.
TEST(SqliteDriverTest, AWriterAtWorkNeverMakesAHealthyFileLookDamaged) {
  SqliteTestFolder folder;
  const QString path =
      folder.CreateDatabase("busy.db", "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);");
  std::atomic<bool> stop = false;
  std::thread writer([&] {
    // Each round opens, writes and closes, so that the -wal file comes and goes between reads.
    while (!stop) {
      sqlite3* db = nullptr;
      sqlite3_open(QFile::encodeName(path).constData(), &db);
      sqlite3_exec(db,
                   "PRAGMA wal_autocheckpoint = 2;"
                   "CREATE TABLE u (y TEXT, z BLOB); INSERT INTO u VALUES ('a', zeroblob(9000));"
                   "DROP TABLE u;",
                   nullptr, nullptr, nullptr);
      sqlite3_close(db);
    }
  });
  for (int read = 0; read < 200; ++read) {
    try {
      const QStringList names = TableNames(*Open(QString(), path));
      EXPECT_TRUE(names == QStringList({"t"}) || names == QStringList({"t", "u"}))
          << names.join(u',').toStdString();
    } catch (const component::Error& error) {
      // Only "kept changing" may stop a read, never "damaged".
      EXPECT_EQ(error.number(), kDatabaseLocked) << error.what();
    }
  }
  stop = true;
  writer.join();
}

TEST(SqliteDriverTest, AnEmptyDatabaseHasNoTables) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("empty.db", "PRAGMA user_version = 7;"));
  EXPECT_TRUE(TableNames(*connection).isEmpty());
}

TEST(SqliteDriverTest, ClosedConnectionRefusesTables) {
  SqliteTestFolder folder;
  auto connection = Open(QString(), folder.CreateDatabase("c.db", "CREATE TABLE t (x);"));
  connection->Close();
  connection->Close();
  EXPECT_EQ(ErrorThrownBy([&] { connection->Tables(); }).number(), kConnectionClosed);
}

TEST(SqliteDriverTest, EnvironmentZeroIsTheOnlyEnvironment) {
  EnvironmentCollection& environments = DataEngine::Instance().Environments();
  EXPECT_EQ(environments.Count(), 1);
  EXPECT_EQ(&environments.Item(0), &DataEngine::Instance().Environments().Item(0));
  EXPECT_EQ(ErrorThrownBy([&] { environments.Item(1); }).number(), component::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace dataaccess
