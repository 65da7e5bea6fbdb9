#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

using component::test_support::ErrorThrownBy;
using component::test_support::WriteFileContents;

using test_support::ColumnNames;
using test_support::DescribeDetails;
using test_support::Open;
using test_support::SqliteTestFolder;
using test_support::TableNames;

// Every read of these tests goes through Read(), which checks that the database's folder is left
// exactly as it was: no file created, changed, replaced or deleted, -wal and -shm included.
class SqliteDriverTest : public ::testing::Test {
 protected:
  std::unique_ptr<DataConnection> Read(const QString& connect_string,
                                       const QString& name = QString()) {
    const QStringList before = folder_.State();
    std::unique_ptr<DataConnection> connection = Open(name, connect_string);
    EXPECT_EQ(folder_.State(), before) << "reading " << connect_string.toStdString();
    return connection;
  }

  SqliteTestFolder folder_;
};

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

TEST_F(SqliteDriverTest, ListsUserTablesAndViewsInCreationOrderWithoutInternals) {
  auto connection = Read(folder_.CreateDatabase("shop.db", kShop));
  // sqlite_sequence (AUTOINCREMENT) and sqlite_stat1 (ANALYZE) are the engine's own.
  EXPECT_EQ(TableNames(*connection), QStringList({"Zeta", "Alpha", "Pairs", "Words", "Countdown",
                                                  "items_without_tax", "Docs", "AlphaCodes"}));
  EXPECT_EQ(ColumnNames(*connection, "Alpha"), QStringList({"code", "amount", "untyped", "twice"}));
  EXPECT_EQ(connection->DatabaseName(), "shop");
}

TEST_F(SqliteDriverTest, ReadsColumnProperties) {
  auto connection = Read(folder_.CreateDatabase("shop.db", kShop));
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

// A table's objects in one line, every field the comparison reads.
QString Describe(const TableObjects* objects) {
  if (!objects) return QString();
  static const char* const kActions[] = {"no action", "restrict", "cascade", "set null",
                                         "set default"};
  QStringList parts;
  if (objects->primary_key) parts << "PK " + objects->primary_key->columns.join(',');
  for (const IndexDefinition& index : objects->indexes) {
    QStringList keys;
    for (const IndexPart& part : index.parts) {
      keys << (part.column.isEmpty() ? "expr " + part.expression : part.column) +
                  (part.descending ? " desc" : "");
    }
    parts << QStringLiteral("%1 %2%3: %4%5")
                 .arg(index.origin == IndexDefinition::Origin::kUniqueConstraint ? "UQ" : "IX",
                      index.name, index.unique ? " unique" : "", keys.join(", "),
                      index.predicate.isEmpty() ? QString() : " where " + index.predicate);
  }
  for (const ForeignKeyDefinition& key : objects->foreign_keys) {
    parts << QStringLiteral("FK %1 -> %2(%3) del %4 upd %5%6%7%8")
                 .arg(key.columns.join(','), key.referenced_table, key.referenced_columns.join(','),
                      kActions[int(key.on_delete)], kActions[int(key.on_update)],
                      key.deferrable ? " deferrable" : "",
                      key.initially_deferred ? " deferred" : "", key.match_full ? " full" : "");
  }
  for (const CheckDefinition& check : objects->checks) {
    parts << "CK " + check.name + ": " + check.expression;
  }
  return parts.join("; ");
}

// Texts as people and ORMs write them; SQLite reports keys, indexes and foreign keys itself,
// checks and deferral only in the text.
TEST_F(SqliteDriverTest, ReadsKeysIndexesForeignKeysAndChecks) {
  auto connection = Read(folder_.CreateDatabase("objects.db", R"sql(
    CREATE TABLE "Order Lines" (
      [order id] INTEGER NOT NULL REFERENCES orders /* the parent's key */ ON DELETE CASCADE,
      `line` INTEGER CHECK (`line` > 0), -- numbered from 1, CHECK (line < 0) is no check
      qty NUMERIC CONSTRAINT qty_positive CHECK ( (qty > 0) AND (qty < (10 * (100 + 1))) ),
      note TEXT DEFAULT 'CHECK (no)' /* CHECK (nor this) */,
      PRIMARY KEY ("order id", line),
      CONSTRAINT "note length" CHECK (length(note) <= 200 OR note = ')'));
    CREATE TABLE orders (id INTEGER PRIMARY KEY, customer TEXT UNIQUE, plain);
    CREATE TABLE "shop_category" ("id" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "title" varchar(50) NOT NULL);
    CREATE TABLE "shop_product" ("id" integer NOT NULL PRIMARY KEY AUTOINCREMENT, "name" varchar(100) NOT NULL UNIQUE, "price" decimal NOT NULL CHECK ("price" >= 0), "category_id" bigint NULL REFERENCES "shop_category" ("id") DEFERRABLE INITIALLY DEFERRED, CONSTRAINT "price_lt_1000" CHECK ("price" < 1000));
    CREATE INDEX "shop_product_category_id_9d0d7d8b" ON "shop_product" ("category_id");
    CREATE UNIQUE INDEX "shop_product_name_lower" ON "shop_product" (LOWER("name")) WHERE "price" > 0;
    CREATE TABLE users (
    	id INTEGER NOT NULL, 
    	email VARCHAR(120) NOT NULL, 
    	manager_id INTEGER, 
    	PRIMARY KEY (id), 
    	UNIQUE (email), 
    	FOREIGN KEY(manager_id) REFERENCES users (id) ON DELETE SET NULL
    );
    CREATE INDEX ix_users_email ON users (email DESC, id);
    CREATE TABLE pairs (a TEXT, b TEXT, c INT REFERENCES Orders DEFERRABLE,
      PRIMARY KEY (b, a),
      FOREIGN KEY (a) REFERENCES "Order Lines" NOT DEFERRABLE INITIALLY DEFERRED,
      FOREIGN KEY (b, c) REFERENCES "ORDER LINES"("order id", line) ON UPDATE RESTRICT
        MATCH FULL DEFERRABLE INITIALLY DEFERRED,
      UNIQUE (c, b)) WITHOUT ROWID;
    CREATE INDEX "expr idx" ON pairs (a COLLATE NOCASE, (b || c) DESC, abs(c) COLLATE BINARY ASC)
      WHERE c IS NOT NULL AND b <> 'x';
    CREATE TABLE plain (x, y CHECK (y IS NOT NULL) REFERENCES nowhere);
    ALTER TABLE plain ADD COLUMN z REFERENCES orders DEFERRABLE INITIALLY DEFERRED;
    CREATE TABLE bare (x, "check" TEXT DEFAULT 'CHECK (x)');
  )sql"));
  EXPECT_EQ(connection->ObjectKinds(), kAllObjectKinds | kPostgresObjectKinds);
  // An open that does not ask for objects (a comparison of fields) keeps none, not even the
  // key that comes with the columns, and says it read none.
  const auto fields_only = DataEngine::Instance().Environments().Item(0).OpenConnection(
      QString(), kPromptNever, true, folder_.PathOf("objects.db"));
  EXPECT_EQ(fields_only->ObjectKinds(), 0);
  EXPECT_EQ(fields_only->Tables().Item("shop_product").Objects(), nullptr);
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"Order Lines",
       "PK order id,line; FK order id -> orders(id) del cascade upd no action; "
       "CK : `line` > 0; CK qty_positive: (qty > 0) AND (qty < (10 * (100 + 1))); "
       "CK note length: length(note) <= 200 OR note = ')'"},
      {"orders", "PK id; UQ sqlite_autoindex_orders_1 unique: customer"},
      {"shop_category", "PK id"},
      {"shop_product",
       "PK id; UQ sqlite_autoindex_shop_product_1 unique: name; "
       "IX shop_product_category_id_9d0d7d8b: category_id; "
       "IX shop_product_name_lower unique: expr LOWER(\"name\") where \"price\" > 0; "
       "FK category_id -> shop_category(id) del no action upd no action deferrable deferred; "
       "CK : \"price\" >= 0; CK price_lt_1000: \"price\" < 1000"},
      {"users",
       "PK id; UQ sqlite_autoindex_users_1 unique: email; IX ix_users_email: email desc, id; "
       "FK manager_id -> users(id) del set null upd no action"},
      // SQLite numbers foreign keys from the last clause; it ignores MATCH.
      {"pairs",
       "PK b,a; UQ sqlite_autoindex_pairs_2 unique: c, b; "
       "IX expr idx: a, expr (b || c) desc, expr abs(c) where c IS NOT NULL AND b <> 'x'; "
       "FK b,c -> Order Lines(order id,line) del no action upd restrict deferrable deferred; "
       "FK a -> Order Lines(order id,line) del no action upd no action; "
       "FK c -> orders(id) del no action upd no action deferrable"},
      {"plain",
       "FK z -> orders(id) del no action upd no action deferrable deferred; "
       "FK y -> nowhere() del no action upd no action; CK : y IS NOT NULL"},
      {"bare", ""},
  };
  for (const auto& [table, expected] : rows) {
    EXPECT_EQ(Describe(connection->Tables().Item(table).Objects()), QString::fromUtf8(expected))
        << table;
  }
}

TEST_F(SqliteDriverTest, ReadsDefaultsCollationsGenerationViewsAndTriggers) {
  auto connection = Read(folder_.CreateDatabase("details.db", R"sql(
    CREATE TABLE t (
      id INTEGER PRIMARY KEY AUTOINCREMENT,
      lit TEXT DEFAULT 'it''s', empty TEXT DEFAULT '', made TEXT DEFAULT CURRENT_TIMESTAMP,
      zero INT DEFAULT (0), plain INT, nul TEXT DEFAULT NULL,
      name TEXT COLLATE NOCASE, bin TEXT COLLATE BINARY, "trim" TEXT COLLATE rtrim DEFAULT 'x',
      twice INT GENERATED ALWAYS AS (zero * (2)) STORED, half REAL AS ( zero / 2.0 ),
      "naïve" TEXT DEFAULT 'café' /* COLLATE NOCASE */);
    CREATE TABLE u (a INT, CHECK (a > 0));
    ALTER TABLE u ADD COLUMN b TEXT COLLATE NOCASE DEFAULT -1;
    CREATE TABLE x (
      "default" INT NOT NULL DEFAULT -1,
      b INT CHECK (b > 0) DEFAULT (1 + 2) /* DEFAULT 9 */ COLLATE NOCASE,
      c TEXT REFERENCES t(id) ON DELETE SET DEFAULT DEFAULT 'x', d REAL DEFAULT + 2.5 UNIQUE,
      e TEXT -- DEFAULT 7, COLLATE NOCASE
        DEFAULT "quoted", [as] ANY DEFAULT ( ( 'a' ) || 'b' ), f INT AS (b * 2) STORED,
      PRIMARY KEY ("default"), CONSTRAINT k UNIQUE (b), CHECK (b <> 4),
      FOREIGN KEY (c) REFERENCES t(lit) ON UPDATE SET DEFAULT) WITHOUT ROWID, STRICT;
    CREATE VIEW v(a, b) AS SELECT id, name FROM t WHERE zero > 0;
    CREATE VIEW w AS/* kept */SELECT "as" FROM (SELECT 1 AS "as");
    CREATE TRIGGER t_ins BEFORE INSERT ON t BEGIN SELECT RAISE(ABORT, 'no'); END;
    CREATE TRIGGER t_upd AFTER UPDATE OF name, "zero" ON T FOR EACH ROW
      WHEN new.zero > (old.zero + 1) BEGIN UPDATE t SET plain = 1 WHERE id = new.id; END;
    CREATE TRIGGER t_del DELETE ON t BEGIN SELECT 1; END;
    CREATE TRIGGER v_ins INSTEAD OF INSERT ON v BEGIN INSERT INTO t(id) VALUES (new.a); END;
    CREATE VIRTUAL TABLE docs USING fts5(body);
    CREATE TABLE gone (a); CREATE VIEW broken AS SELECT a FROM gone; DROP TABLE gone;
  )sql"));
  EXPECT_EQ(connection->ObjectKinds(), kAllObjectKinds | kPostgresObjectKinds);
  EXPECT_EQ(connection->Objects()->default_collation, "BINARY");
  // An AUTOINCREMENT column's bookkeeping in sqlite_sequence is no sequence.
  EXPECT_TRUE(connection->Objects()->sequences.empty());
  const std::vector<std::pair<const char*, const char*>> rows = {
      {"t",
       "lit default ['it''s']; empty default ['']; made default [CURRENT_TIMESTAMP]; "
       "zero default [0]; nul default [NULL]; name collate NOCASE; trim default ['x'] collate "
       "rtrim; twice as (zero * (2)) stored; half as (zero / 2.0); naïve default ['café']; "
       "TR t_ins BEFORE INSERT row [BEGIN SELECT RAISE(ABORT, 'no'); END]; "
       "TR t_upd AFTER UPDATE of name,zero row when new.zero > (old.zero + 1) "
       "[BEGIN UPDATE t SET plain = 1 WHERE id = new.id; END]; "
       "TR t_del BEFORE DELETE row [BEGIN SELECT 1; END]"},
      {"u", "b default [-1] collate NOCASE"},
      // As SQLite keeps a default: a term as written, sign included, an expression without its
      // parentheses; SET DEFAULT is a foreign key's action.
      {"x",
       "default default [-1]; b default [1 + 2] collate NOCASE; c default ['x']; "
       "d default [+ 2.5]; e default [\"quoted\"]; as default [( 'a' ) || 'b']; "
       "f as (b * 2) stored"},
      {"v",
       "view [SELECT id, name FROM t WHERE zero > 0]; "
       "TR v_ins INSTEAD OF INSERT row [BEGIN INSERT INTO t(id) VALUES (new.a); END]"},
      {"w", "view [/* kept */SELECT \"as\" FROM (SELECT 1 AS \"as\")]"},
      // A view that no longer resolves still has its query; a virtual table has no details.
      {"broken", "view [SELECT a FROM gone]"},
      {"docs", ""},
  };
  for (const auto& [table, expected] : rows) {
    EXPECT_EQ(DescribeDetails(connection->Tables().Item(table).Objects()),
              QString::fromUtf8(expected))
        << table;
  }
}

// A default reads the same whether it comes with its column (in a table whose text holds no
// collation or generated column) or from the table's text with a collation, and whether the
// catalog is read in one pass or table by table (as it is beside a view that no longer resolves).
TEST_F(SqliteDriverTest, DefaultsReadAlikeWithTheirColumnsOrFromTheTableText) {
  const char* const kTables = R"sql(
    CREATE TABLE p (a INT DEFAULT -1, b TEXT DEFAULT 'it''s', c INT DEFAULT ( ( 0 ) ),
      d REAL DEFAULT + 2.5, e TEXT DEFAULT CURRENT_TIMESTAMP, f INT, g TEXT DEFAULT "quoted",
      h DEFAULT NULL, j TEXT DEFAULT '' CHECK (j <> 'x'));
    ALTER TABLE p ADD COLUMN i TEXT DEFAULT 'added';
    CREATE TABLE q (a INT DEFAULT -1, b TEXT DEFAULT 'it''s', c INT DEFAULT ( ( 0 ) ),
      d REAL DEFAULT + 2.5, e TEXT DEFAULT CURRENT_TIMESTAMP COLLATE NOCASE);
  )sql";
  const std::pair<const char*, const char*> rows[] = {
      {"p",
       "a default [-1]; b default ['it''s']; c default [( 0 )]; d default [+ 2.5]; "
       "e default [CURRENT_TIMESTAMP]; g default [\"quoted\"]; h default [NULL]; "
       "j default ['']; i default ['added']"},
      {"q",
       "a default [-1]; b default ['it''s']; c default [( 0 )]; d default [+ 2.5]; "
       "e default [CURRENT_TIMESTAMP] collate NOCASE"},
  };
  for (const bool broken_view : {false, true}) {
    const QString name = broken_view ? "defaults_broken_view.db" : "defaults.db";
    QByteArray sql = kTables;
    if (broken_view)
      sql +=
          "CREATE TABLE gone (a); CREATE VIEW broken AS SELECT a FROM gone; "
          "DROP TABLE gone;";
    auto connection = Read(folder_.CreateDatabase(name, sql.constData()));
    for (const auto& [table, expected] : rows) {
      EXPECT_EQ(DescribeDetails(connection->Tables().Item(table).Objects()),
                QString::fromUtf8(expected))
          << table << (broken_view ? " read table by table" : " read in one pass");
    }
  }
}

// A definition SQLite reads but the tokenizer cannot split fails the read instead of losing
// the table's checks (SQLite lets a block comment run to the end of the text).
TEST_F(SqliteDriverTest, ATableTextThatCannotBeSplitFailsTheRead) {
  const QString path = folder_.CreateDatabase("open_comment.db", R"sql(
    CREATE TABLE t (a INTEGER CHECK (a > 0));
    PRAGMA writable_schema = ON;
    UPDATE sqlite_schema SET sql = sql || ' /* open' WHERE name = 't';
  )sql");
  const component::Error error = ErrorThrownBy([&] { Read(path); });
  EXPECT_EQ(error.number(), kCatalogUnreadable) << error.what();
  EXPECT_TRUE(error.description().contains("'t'") && error.description().contains("comment"))
      << error.what();
}

TEST_F(SqliteDriverTest, LookupPrefersExactNameThenIgnoresAsciiCaseOnly) {
  auto connection = Read(folder_.CreateDatabase("names.db", R"sql(
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
TEST_F(SqliteDriverTest, ColumnNamesOfAnyLengthAndAlphabetReadBackWhole) {
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
  auto connection = Read(folder_.CreateDatabase("long.db", sql.toUtf8().constData()));
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

TEST_F(SqliteDriverTest, ConnectStringAndDatabaseNameReopenTheSameFile) {
  const QString path = folder_.CreateDatabase("Sales Data.v2.db", "CREATE TABLE t (x INTEGER);");
  const QString relative = QDir::current().relativeFilePath(path);
  for (const QString& form : {path, "sqlite:" + path, relative, "sqlite:" + relative}) {
    auto first = Read(form);
    EXPECT_EQ(first->DatabaseName(), "Sales Data.v2") << form.toStdString();
    EXPECT_EQ(first->ConnectString(), "sqlite:" + QFileInfo(path).absoluteFilePath());
    auto again = Read(first->ConnectString(), first->DatabaseName());
    EXPECT_EQ(TableNames(*again), QStringList({"t"}));
  }
  // A name alone is a path too.
  EXPECT_EQ(TableNames(*Read(QString(), path)), QStringList({"t"}));
}

TEST_F(SqliteDriverTest, AViewThatNoLongerResolvesKeepsTheRestOfTheCatalog) {
  auto connection = Read(folder_.CreateDatabase("broken.db", R"sql(
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
  EXPECT_EQ(Describe(connection->Tables().Item("kept").Objects()), "CK : json_valid(y)");
}

// Every committed table is seen, -wal included, whatever state a writer left the -wal and -shm
// in, and whoever has them open (Read checks that no file changed).
TEST_F(SqliteDriverTest, WriteAheadLoggedDatabaseIsReadInEveryStateOfItsFiles) {
  const QString path =
      folder_.CreateDatabase("live.db", "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);");
  const auto files = [&] { return QDir(folder_.PathOf("")).entryList(QDir::Files); };
  ASSERT_EQ(files(), QStringList({"live.db"}));
  EXPECT_EQ(TableNames(*Read(path)), QStringList({"t"})) << "no -wal and no -shm";

  const QByteArray garbage = QByteArray("not a log at all ").repeated(300);
  const struct {
    const char* state;
    QByteArray wal;
    QByteArray shm;
  } left_behind[] = {
      {"an empty -wal", "", QByteArray()},
      {"a -wal of garbage", garbage, QByteArray()},
      {"an empty -wal and a -shm of garbage", "", garbage},
  };
  for (const auto& files_left : left_behind) {
    WriteFileContents(path + "-wal", files_left.wal);
    if (!files_left.shm.isEmpty()) WriteFileContents(path + "-shm", files_left.shm);
    EXPECT_EQ(TableNames(*Read(path)), QStringList({"t"})) << files_left.state;
    QFile::remove(path + "-wal");
    QFile::remove(path + "-shm");
  }

  for (const char* writer_mode : {"NORMAL", "EXCLUSIVE"}) {
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &writer), SQLITE_OK);
    const std::string sql = std::string("PRAGMA locking_mode = ") + writer_mode +
                            "; PRAGMA wal_autocheckpoint = 0; CREATE TABLE u (y TEXT);";
    ASSERT_EQ(sqlite3_exec(writer, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(TableNames(*Read(path)), QStringList({"t", "u"})) << writer_mode << " writer";
    ASSERT_EQ(sqlite3_exec(writer, "DROP TABLE u", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(writer);
  }
}

// A writer keeps its connection while the database is read, and commits after the read. Its
// -wal must still be the one every process sees, so that the commit survives the writer's crash.
TEST_F(SqliteDriverTest, AWritersCommitAfterAReadSurvivesTheWritersCrash) {
  const QString path =
      folder_.CreateDatabase("live.db", "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);");
  int ready[2];
  int go[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(go), 0);
  const pid_t writer = ::fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    // The writer: an emptied but open -wal, then one commit on the word, then nothing until it
    // is killed, so that nothing but the -wal holds the commit.
    sqlite3* db = nullptr;
    char signal = 'r';
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA wal_autocheckpoint = 0; PRAGMA wal_checkpoint(TRUNCATE);", nullptr,
                     nullptr, nullptr) != SQLITE_OK ||
        ::write(ready[1], &signal, 1) != 1 || ::read(go[0], &signal, 1) != 1 ||
        sqlite3_exec(db, "CREATE TABLE after_read (y TEXT)", nullptr, nullptr, nullptr) !=
            SQLITE_OK) {
      ::_exit(1);
    }
    signal = 'c';
    if (::write(ready[1], &signal, 1) != 1) ::_exit(1);
    for (;;) ::pause();
  }
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  ASSERT_EQ(signal, 'r');
  EXPECT_EQ(TableNames(*Read(path)), QStringList({"t"}));
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);
  EXPECT_EQ(signal, 'c') << "the writer could not commit after the read";
  ::kill(writer, SIGKILL);
  int status = 0;
  ::waitpid(writer, &status, 0);
  for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
  EXPECT_EQ(TableNames(*Read(path)), QStringList({"t", "after_read"}));
}

// A write-ahead-logged database with neither -wal nor -shm in a folder its reader may not write
// to (read-only media, a package's data folder): nothing is missing, so it is read.
TEST_F(SqliteDriverTest, AWriteAheadLoggedDatabaseInAReadOnlyFolderIsRead) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, to read as another user";
  const QString folder = folder_.PathOf("shelf");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/live.db";
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  ASSERT_EQ(QDir(folder).entryList(QDir::Files), QStringList({"live.db"}));
  ::chmod(QFile::encodeName(folder_.PathOf("")).constData(), 0755);
  ::chmod(QFile::encodeName(folder).constData(), 0555);
  ::chmod(QFile::encodeName(path).constData(), 0444);
  const QStringList before = folder_.State();
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t reader = ::fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    // As "nobody": a user who may read the folder but not write to it.
    QByteArray said;
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
      said = "could not become nobody";
    } else {
      try {
        said = TableNames(*Open(QString(), path)).join(u',').toUtf8();
      } catch (const component::Error& error) {
        said = error.what();
      }
    }
    ::write(report[1], said.constData(), static_cast<size_t>(said.size()));
    ::_exit(0);
  }
  ::close(report[1]);
  QByteArray said;
  char buffer[512];
  for (ssize_t got; (got = ::read(report[0], buffer, sizeof buffer)) > 0;) said.append(buffer, got);
  ::close(report[0]);
  ::waitpid(reader, nullptr, 0);
  EXPECT_EQ(said.toStdString(), "t");
  EXPECT_EQ(folder_.State(), before);
  ::chmod(QFile::encodeName(folder).constData(), 0755);
}

// A writer that commits and checkpoints all the time: every read gives one of the states it
// committed, never a damaged file.
TEST_F(SqliteDriverTest, AWriterAtWorkNeverMakesAHealthyFileLookDamaged) {
  const QString path =
      folder_.CreateDatabase("busy.db", "PRAGMA journal_mode = WAL; CREATE TABLE t (x INTEGER);");
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
      // The writer changes the folder meanwhile: no check of it here.
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

TEST_F(SqliteDriverTest, AnEmptyDatabaseHasNoTables) {
  auto connection = Read(folder_.CreateDatabase("empty.db", "PRAGMA user_version = 7;"));
  EXPECT_TRUE(TableNames(*connection).isEmpty());
}

TEST_F(SqliteDriverTest, ClosedConnectionRefusesTables) {
  auto connection = Read(folder_.CreateDatabase("c.db", "CREATE TABLE t (x);"));
  connection->Close();
  connection->Close();
  EXPECT_EQ(ErrorThrownBy([&] { connection->Tables(); }).number(), kConnectionClosed);
}

TEST_F(SqliteDriverTest, EnvironmentZeroIsTheOnlyEnvironment) {
  EnvironmentCollection& environments = DataEngine::Instance().Environments();
  EXPECT_EQ(environments.Count(), 1);
  EXPECT_EQ(&environments.Item(0), &DataEngine::Instance().Environments().Item(0));
  EXPECT_EQ(ErrorThrownBy([&] { environments.Item(1); }).number(), component::kSubscriptOutOfRange);
}

}  // namespace
}  // namespace dataaccess
