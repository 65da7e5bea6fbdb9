// Snapshot files: what survives the round trip through one, how a snapshot is recognised, and
// how a broken, foreign or newer file fails.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <limits>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/drivers/driver.h"
#include "dataaccess/errors.h"
#include "dataaccess/snapshot.h"
#include "testing/catalog_reading.h"
#include "testing/sqlite_test_file.h"
#include "testing/testutil.h"

namespace dataaccess {
namespace {

using component::test_support::FileContents;
using component::test_support::WriteFileContents;
using test_support::ColumnProperties;
using test_support::DatabaseProperties;
using test_support::DescribeDetails;
using test_support::ObjectProperties;
using test_support::Open;
using test_support::OpenFailure;
using test_support::SqliteTestFolder;

// Quoted, escaped and non-ASCII names (one outside the BMP), every kind of column the SQLite
// reader derives something for, a view, and a table without rowid.
constexpr char kVariedSchema[] = R"sql(
CREATE TABLE "Order ""Lines""" (id INTEGER PRIMARY KEY, qty SMALLINT NOT NULL,
  price NUMERIC(10, 2), doc TEXT CHECK (json_valid(doc)), made TIMESTAMP);
CREATE TABLE "Größe	\" (k VARCHAR(20), v BLOB, w, "😀" INT UNSIGNED);
CREATE TABLE keyed (k INTEGER PRIMARY KEY DESC, g INT GENERATED ALWAYS AS (k + 1)) ;
CREATE TABLE pairs (a TEXT, b TEXT, PRIMARY KEY (a, b)) WITHOUT ROWID;
CREATE VIEW totals AS SELECT id, price FROM "Order ""Lines""";
)sql";

QByteArray SnapshotOf(const DataConnection& connection) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  WriteSnapshot(connection, buffer);
  return buffer.data();
}

TEST(SnapshotTest, ASnapshotOpensAsTheDatabaseItWasTakenFrom) {
  SqliteTestFolder folder;
  const QString database = folder.CreateDatabase("shop.db", kVariedSchema);
  const auto source = Open(QString(), database);
  const QByteArray snapshot = SnapshotOf(*source);
  EXPECT_TRUE(snapshot.contains(R"x("declared_type": "NUMERIC(10, 2)")x")) << snapshot.constData();
  const QString path = folder.PathOf("shop.json");
  WriteFileContents(path, snapshot);

  const auto copy = Open(QString(), path);
  EXPECT_EQ(ColumnProperties(*copy), ColumnProperties(*source));
  EXPECT_EQ(copy->DatabaseName(), "shop");
  EXPECT_EQ(copy->ConnectString(), "snapshot:" + path);
  // Declared types survive too: the snapshot of the snapshot is the same file.
  EXPECT_EQ(SnapshotOf(*copy), snapshot);
  // Both ways of reopening a connection reach the same snapshot.
  EXPECT_EQ(ColumnProperties(*Open(copy->DatabaseName(), copy->ConnectString())),
            ColumnProperties(*source));
  EXPECT_EQ(ColumnProperties(*Open(QString(), copy->ConnectString())), ColumnProperties(*source));

  // An empty database is an empty snapshot, not an error.
  const auto empty =
      Open(QString(), folder.CreateDatabase("empty.db", "CREATE TABLE t (a); DROP TABLE t;"));
  WriteFileContents(folder.PathOf("empty.json"), SnapshotOf(*empty));
  EXPECT_TRUE(ColumnProperties(*Open(QString(), folder.PathOf("empty.json"))).isEmpty());
}

// Every field of every kind of object, with names that need escaping, in a catalog built
// directly: the readers of the engines fill the same structures.
TEST(SnapshotTest, EveryFieldOfATablesObjectsSurvivesTheRoundTrip) {
  using Origin = IndexDefinition::Origin;
  using enum ReferentialAction;
  CatalogConnection source(QStringLiteral("x"), QStringLiteral("rich"));
  source.SetObjectKinds((kAllObjectKinds | kPostgresObjectKinds) & ~kChecks);
  constexpr qint64 kMin = std::numeric_limits<qint64>::min();
  constexpr qint64 kMax = std::numeric_limits<qint64>::max();
  source.MutableObjects() = {
      "utf8mb4_0900_ai_ci",
      "utf8mb4",
      "und-u-ks-level2",
      false,
      {{"other.\"s\"", kMin, -1, kMin, kMax, true, "orders.Größe"},
       {"plain", 1, 1, 1, 0, false, ""}},
      {{"other.\"blind\"", "icu", "und-u-ks-level1", false}, {"posix_c", "libc", "C", true}}};
  const QString empty = QString::fromUtf8("");  // a default that is an empty text, not none
  const struct {
    const char* table = nullptr;
    TableObjects objects;
    bool view = false;
  } tables[] = {
      {"no objects", {}},
      {"orders",
       {PrimaryKeyDefinition{"orders \"pk\"", {"Id", "Line"}},
        {{"by_day",
          {{"made", {}, true, {}, {}, {}}, {{}, "lower(\"Note\")", false, {}, {}, {}}},
          true,
          "qty > 0",
          Origin::kIndex,
          {},
          false,
          {}},
         {"uq",
          {{"code", {}, false, {}, {}, {}, 12, true}},
          true,
          {},
          Origin::kUniqueConstraint,
          {},
          true,
          {"Note", "Größe"}},
         {"plain", {{{}, "a\tb\\c", true, {}, {}, {}}}, false, {}, Origin::kIndex, {}, false, {}},
         {"pattern",
          {{"code", {}, false, "varchar_pattern_ops", "C", {}}},
          false,
          {},
          Origin::kIndex,
          "hash",
          false,
          {}},
         {"no_overlap",
          {{"during", {}, false, {}, {}, "&&"}, {"room", {}, false, {}, {}, "="}},
          false,
          {},
          Origin::kExclusionConstraint,
          "gist",
          false,
          {}}},
        {{"fk_all", {"a", "b"}, "other.Größe", {"x", "y"}, kCascade, kSetNull, true, true, true},
         {"", {"c"}, "orders", {}, kSetDefault, kRestrict, true, false, false},
         {"fk_plain", {"d"}, "p", {"id"}, kNoAction, kNoAction, false, false, false}},
        {{"", "qty > 0"}, {"named check", "note <> ''"}},
        {{"trg \"upd\"",
          "AFTER",
          {"UPDATE", "INSERT"},
          {"qty", "Größe"},
          false,
          "new.qty > 0",
          "EXECUTE FUNCTION f()\nBEGIN\n\tRETURN NEW;\nEND"},
         {"t2", "INSTEAD OF", {"DELETE"}, {}, true, {}, "BEGIN SELECT 1; END"}},
        {{"to_archive", "INSERT", true,
          "CREATE RULE to_archive AS\n    ON INSERT TO orders DO INSTEAD NOTHING"},
         {"log \"it\"", "UPDATE", false, "CREATE RULE ..."}},
        {{"quoted", "''", {}, {}},
         {"empty", empty, {}, {}},
         {"Größe", "'café 😀'",
          std::make_shared<const ColumnCollation>(
              ColumnCollation{"de_DE", "latin1", "de-u-co-phonebk", false}),
          std::make_shared<const ColumnGeneration>(ColumnGeneration{"a\t+ 1", true}),
          "CURRENT_TIMESTAMP(3)"},
         {"virtual",
          {},
          {},
          std::make_shared<const ColumnGeneration>(ColumnGeneration{"lower(\"Größe\")", false})}},
        {},
        true}},
      {"\U0001F600 key only", {PrimaryKeyDefinition{"", {"k"}}, {}, {}, {}, {}, {}, {}, {}, false}},
      {"a view", {{}, {}, {}, {}, {}, {}, {}, "SELECT 'ö\"' AS \"x\"\n  FROM orders", false}, true},
  };
  for (const auto& t : tables) {
    CatalogTable& table = source.MutableTables().AddTable(t.table, t.view);
    table.MutableColumns().Add(ColumnDefinition{"a", {}, 1});
    if (!t.objects.IsEmpty()) table.MutableObjects() = t.objects;
  }
  ASSERT_EQ(ObjectProperties(source).size(), 15);
  const QByteArray snapshot = SnapshotOf(source);
  EXPECT_TRUE(snapshot.contains(
      "\n  \"object_kinds\": [\"primary-keys\", \"indexes\", \"foreign-keys\", "
      "\"foreign-key-deferrability\", \"defaults\", \"collations\", \"generated-columns\", "
      "\"views\", \"triggers\", \"sequences\", \"index-methods\", \"rules\", "
      "\"table-persistence\", \"collation-objects\"],\n  \"default_collation\": "
      "\"utf8mb4_0900_ai_ci\",\n"))
      << snapshot.constData();
  // A sequence a line, at the bounds of 64 bits; no "default" member for a column without one.
  EXPECT_TRUE(snapshot.contains(
      "\n    {\"name\": \"other.\\\"s\\\"\", \"start\": -9223372036854775808, \"increment\": -1, "
      "\"minimum\": -9223372036854775808, \"maximum\": 9223372036854775807, \"cycle\": true, "
      "\"owned_by\": \"orders.Größe\"},\n"))
      << snapshot.constData();
  EXPECT_TRUE(snapshot.contains("{\"column\": \"empty\", \"default\": \"\"},\n"))
      << snapshot.constData();
  EXPECT_TRUE(snapshot.contains("{\"column\": \"virtual\", \"generated\":"))
      << snapshot.constData();
  // One line a foreign key, every flag written; nothing at all for a table without objects.
  EXPECT_TRUE(snapshot.contains(
      "\n        {\"name\": \"fk_all\", \"columns\": [\"a\", \"b\"], \"referenced_table\": "
      "\"other.Größe\", \"referenced_columns\": [\"x\", \"y\"], \"on_delete\": \"cascade\", "
      "\"on_update\": \"set null\", \"deferrable\": true, \"initially_deferred\": true, "
      "\"match_full\": true},\n"))
      << snapshot.constData();
  const qsizetype plain = snapshot.indexOf("\"no objects\"");
  EXPECT_TRUE(
      snapshot.mid(plain, snapshot.indexOf("\n    }", plain) - plain).endsWith("}\n      ]"))
      << snapshot.constData();

  SqliteTestFolder folder;
  const QString path = folder.PathOf("rich.json");
  WriteFileContents(path, snapshot);
  const auto copy = Open(QString(), path);
  EXPECT_EQ(ObjectProperties(*copy), ObjectProperties(source));
  EXPECT_EQ(copy->ObjectKinds(), source.ObjectKinds());
  EXPECT_EQ(DatabaseProperties(*copy), DatabaseProperties(source));
  for (const auto& t : tables) {
    EXPECT_EQ(DescribeDetails(copy->Tables().Item(t.table).Objects()), DescribeDetails(&t.objects))
        << t.table;
  }
  const ColumnDetails* kept_empty = copy->Tables().Item("orders").Objects()->DetailsOf(u"empty");
  ASSERT_NE(kept_empty, nullptr);
  EXPECT_FALSE(kept_empty->default_value.isNull());
  EXPECT_TRUE(
      copy->Tables().Item("orders").Objects()->DetailsOf(u"virtual")->default_value.isNull());
  EXPECT_EQ(copy->Tables().Item("no objects").Objects(), nullptr);
  EXPECT_EQ(SnapshotOf(*copy), snapshot);
}

TEST(SnapshotTest, AFileIsTakenForASnapshotByItsContentNotItsName) {
  SqliteTestFolder folder;
  const QString database = folder.CreateDatabase("really sqlite.json", "CREATE TABLE t (a INT);");
  const QString snapshot = folder.PathOf("schema.db");
  WriteFileContents(snapshot, SnapshotOf(*Open(QString(), database)));
  const auto driver_for = [](const QString& connect_string) {
    const ConnectRequest request{QString(), connect_string, kPromptNever};
    for (const Driver* driver : AllDrivers()) {
      if (driver->Accepts(request)) return driver->Name();
    }
    return QString();
  };
  EXPECT_EQ(driver_for(database), "SQLite");
  EXPECT_EQ(driver_for(snapshot), "snapshot");
  EXPECT_EQ(driver_for("snapshot:" + snapshot), "snapshot");
  EXPECT_EQ(driver_for("sqlite:" + snapshot), "SQLite");
  // However many blanks come first.
  const QString indented = folder.PathOf("indented");
  WriteFileContents(indented, QByteArray(100000, ' ') + FileContents(snapshot));
  EXPECT_EQ(driver_for(indented), "snapshot");
  EXPECT_EQ(Open(QString(), snapshot)->ConnectString(), "snapshot:" + snapshot);
  // Named as a snapshot but missing: the snapshot driver's own "file not found".
  EXPECT_EQ(OpenFailure(QString(), "snapshot:" + folder.PathOf("gone.json")).number(),
            component::kFileNotFound);
}

TEST(SnapshotTest, WhatASnapshotCannotKeepFailsTheWriteNotTheRead) {
  SqliteTestFolder folder;
  const QString database = folder.CreateDatabase("t.db", "CREATE TABLE t (a INT);");
  // A name of bytes that are not UTF-8: JSON has no way to hold them.
  const QByteArray sql = "CREATE TABLE \"bad\xff\" (a INT);";
  const QString odd = folder.CreateDatabase("odd.db", sql.constData());
  const auto odd_connection = Open(QString(), odd);
  EXPECT_EQ(component::test_support::ErrorThrownBy([&] { SnapshotOf(*odd_connection); }).number(),
            kNameNotUnicode);

  const auto connection = Open(QString(), database);
  QBuffer refusing;
  refusing.open(QIODevice::ReadOnly);
  const component::Error error =
      component::test_support::ErrorThrownBy([&] { WriteSnapshot(*connection, refusing); });
  EXPECT_EQ(error.number(), component::kPathFileAccessError) << error.what();
}

// A valid snapshot of two tables, to break in the cases below.
constexpr char kGood[] = R"({
  "format": "vantrel-snapshot",
  "version": 1,
  "database": "shop",
  "tables": [
    {"name": "a", "columns": [
      {"name": "x", "declared_type": "INT", "data_type": 2, "size": 4, "ordinal_position": 1, "required": true, "attributes": 1, "allow_zero_length": false}]},
    {"name": "b", "columns": []}
  ]
}
)";

// Version 2: the kinds read, and a table of each kind of object.
constexpr char kGood2[] = R"json({
  "format": "vantrel-snapshot",
  "version": 2,
  "database": "shop",
  "object_kinds": ["primary-keys", "indexes", "foreign-keys", "checks"],
  "tables": [
    {
      "name": "a",
      "columns": [],
      "primary_key": {"name": "pk", "columns": ["x"]},
      "indexes": [
        {"name": "ix", "parts": [{"column": "y", "descending": true}, {"expression": "lower(z)"}], "unique": true, "predicate": "y > 0", "origin": "constraint"}
      ],
      "foreign_keys": [
        {"name": "fk", "columns": ["y"], "referenced_table": "a", "referenced_columns": ["x"], "on_delete": "cascade", "on_update": "no action", "deferrable": true}
      ],
      "checks": [
        {"name": "ck", "expression": "y <> 0"}
      ]
    }
  ]
}
)json";

// Version 3: the database's collation and sequences, a table's column details and triggers, a
// view's query.
constexpr char kGood3[] = R"json({
  "format": "vantrel-snapshot",
  "version": 3,
  "database": "shop",
  "object_kinds": ["defaults", "collations", "generated-columns", "views", "triggers", "sequences"],
  "default_collation": "C",
  "sequences": [
    {"name": "s", "start": 1, "increment": 1, "minimum": 1, "maximum": 9, "owned_by": "a.x"}
  ],
  "tables": [
    {
      "name": "a",
      "columns": [],
      "column_details": [
        {"column": "x", "default": "0", "collation": "C"}
      ],
      "triggers": [
        {"name": "tr", "timing": "BEFORE", "events": ["UPDATE"], "update_columns": ["x"], "when": "true", "body": "BEGIN END"}
      ],
      "view_definition": "SELECT 1"
    }
  ]
}
)json";

QByteArray Replaced(const char* before, const char* after, const char* good = kGood) {
  QByteArray text(good);
  EXPECT_TRUE(text.contains(before)) << before;
  return text.replace(before, after);
}
QByteArray Replaced2(const char* before, const char* after) {
  return Replaced(before, after, kGood2);
}
QByteArray Replaced3(const char* before, const char* after) {
  return Replaced(before, after, kGood3);
}

// Version 4: a table's rules and persistence, an index's method and operator classes, the
// database's own collations.
const QByteArray kGood4 =
    QByteArray(kGood3)
        .replace("\"version\": 3", "\"version\": 4")
        .replace("\"sequences\"],", "\"sequences\", \"rules\", \"collation-objects\"],")
        .replace("\"tables\": [", R"json("collations": [
    {"name": "blind", "provider": "icu", "locale": "und-u-ks-level1", "deterministic": false}
  ],
  "tables": [)json")
        .replace("\"view_definition\"", R"json("rules": [
        {"name": "r", "event": "INSERT", "instead": true, "definition": "CREATE RULE r ..."}
      ],
      "unlogged": true,
      "view_definition")json");
QByteArray Replaced4(const char* before, const char* after) {
  return Replaced(before, after, kGood4.constData());
}

// Version 5: a unique index that counts NULLs as alike.
const QByteArray kGood5 =
    QByteArray(kGood2)
        .replace("\"version\": 2", "\"version\": 5")
        .replace("\"unique\": true", "\"unique\": true, \"nulls_not_distinct\": true");
QByteArray Replaced5(const char* before, const char* after) {
  return Replaced(before, after, kGood5.constData());
}

TEST(SnapshotTest, BrokenForeignAndNewerFilesFailWithOneErrorThatSaysWhy) {
  SqliteTestFolder folder;
  const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
  const QByteArray digits(1000000, '7');
  const struct {
    const char* name;
    QByteArray content;
    int32_t number;
    const char* says;
  } cases[] = {
      {"database twice",
       Replaced("\"database\": \"shop\",", R"("database": "shop", "database": "x",)"),
       kDatabaseDamaged, "\"database\" is given twice"},
      {"version twice", Replaced("\"version\": 1,", R"("version": 1, "version": 1,)"),
       kDatabaseDamaged, "\"version\" is given twice"},
      {"engine twice",
       Replaced("\"version\": 1,", R"("version": 1, "engine": "sqlite", "engine": "x",)"),
       kDatabaseDamaged, "\"engine\" is given twice"},
      {"format twice",
       Replaced("\"version\": 1,", R"("format": "vantrel-snapshot", "version": 1,)"),
       kDatabaseDamaged, "\"format\" is given twice"},
      {"table name twice", Replaced("{\"name\": \"b\",", R"({"name": "b", "name": "c",)"),
       kDatabaseDamaged, "table 2 (\"b\"), \"name\" is given twice"},
      {"a million digits", Replaced("\"size\": 4", ("\"size\": " + digits).constData()),
       kDatabaseDamaged, "\"size\" is out of range"},
      {"beyond a double", Replaced("\"size\": 4", "\"size\": -1e400"), kDatabaseDamaged,
       "\"size\" should be a whole number"},
      {"a million digits, then a letter",
       Replaced("\"size\": 4", ("\"note\": 0." + digits + "x, \"size\": 4").constData()),
       kDatabaseDamaged,
       "not well-formed JSON (line 7, column 1000071, near "
       "'0.77777777777777777777777777777777777777...')"},
      {"a long text, then a control character",
       Replaced("\"shop\"", ("\"" + digits + "\x01\"").constData()), kDatabaseDamaged,
       "not well-formed JSON (line 4, column 1000016, near "
       "'\"777777777777777777777777777777777777777...')"},
      {"another format", Replaced("vantrel-snapshot", "other-tool"), kNotADatabase,
       "is not a Vantrel snapshot"},
      {"other json", R"({"name": "package", "tables": 3})", kNotADatabase,
       "is not a Vantrel snapshot"},
      {"nested array", deep, kNotADatabase, "is not a Vantrel snapshot"},
      {"newer version", Replaced("\"version\": 1", "\"version\": 6"), kSnapshotTooNew,
       "format version 6"},
      {"version as text", Replaced("\"version\": 1", "\"version\": \"1\""), kDatabaseDamaged,
       "\"version\" should be a whole number"},
      {"size as text", Replaced("\"size\": 4", "\"size\": \"4\""), kDatabaseDamaged,
       "table 1 (\"a\"), column 1 (\"x\"), \"size\" should be a whole number"},
      {"flag as number", Replaced("\"required\": true", "\"required\": 1"), kDatabaseDamaged,
       "\"required\" should be true or false"},
      {"position too large", Replaced("\"ordinal_position\": 1", "\"ordinal_position\": 40000"),
       kDatabaseDamaged, "\"ordinal_position\" is out of range (-32768 to 32767)"},
      {"fraction", Replaced("\"data_type\": 2", "\"data_type\": 2.5"), kDatabaseDamaged,
       "\"data_type\" should be a whole number"},
      {"missing field", Replaced("\"declared_type\": \"INT\", ", ""), kDatabaseDamaged,
       "\"declared_type\" is missing"},
      {"tables not an array", Replaced("\"tables\": [", "\"tables\": {\"t\": ["), kDatabaseDamaged,
       "\"tables\" should be an array"},
      {"table listed twice", Replaced("\"name\": \"b\"", "\"name\": \"a\""), kDatabaseDamaged,
       "table 2 (\"a\") is listed twice"},
      {"no database name", Replaced("\"database\": \"shop\",", ""), kDatabaseDamaged,
       "\"database\" is missing"},
      {"more after the end", QByteArray(kGood) + "{}", kDatabaseDamaged, "not well-formed JSON"},
      {"name not UTF-8", Replaced("\"name\": \"b\"", "\"name\": \"b\xff\""), kDatabaseDamaged,
       "not well-formed JSON"},
      {"deep inside",
       Replaced("\"tables\"", ("\"x\": " + deep.left(9000) + ", \"tables\"").constData()),
       kDatabaseDamaged, "not well-formed JSON"},
      // Version 2's objects: a word this version does not know is refused like a wrong type,
      // since reading it as another would compare what the file does not say.
      {"no object kinds", Replaced2("\"object_kinds\"", "\"kinds\""), kDatabaseDamaged,
       "\"object_kinds\" is missing"},
      {"unknown kind", Replaced2("\"checks\"]", "\"triggers\"]"), kDatabaseDamaged,
       "\"object_kinds\" is not a word this version knows (\"triggers\")"},
      {"kinds as text",
       Replaced2("[\"primary-keys\", \"indexes\", \"foreign-keys\", \"checks\"]", "\"checks\""),
       kDatabaseDamaged, "\"object_kinds\" should be an array of object kinds"},
      {"kind as number", Replaced2("\"checks\"]", "4]"), kDatabaseDamaged,
       "\"object_kinds\" should be an array of object kinds"},
      {"unknown action", Replaced2("\"cascade\"", "\"casade\""), kDatabaseDamaged,
       "table 1 (\"a\"), foreign key 1 (\"fk\"), \"on_delete\" is not a word this version knows "
       "(\"casade\")"},
      {"action in capitals", Replaced2("\"no action\"", "\"NO ACTION\""), kDatabaseDamaged,
       "\"on_update\" is not a word"},
      {"action as number", Replaced2("\"cascade\"", "0"), kDatabaseDamaged,
       "\"on_delete\" should be a text"},
      {"unknown origin", Replaced2("\"constraint\"", "\"primary\""), kDatabaseDamaged,
       "index 1 (\"ix\"), \"origin\" is not a word"},
      {"no referenced table", Replaced2("\"referenced_table\": \"a\", ", ""), kDatabaseDamaged,
       "foreign key 1 (\"fk\"), \"referenced_table\" is missing"},
      {"no action given", Replaced2(", \"on_update\": \"no action\"", ""), kDatabaseDamaged,
       "\"on_update\" is missing"},
      {"no key columns", Replaced2(", \"columns\": [\"x\"]", ""), kDatabaseDamaged,
       "table 1 (\"a\"), primary key (\"pk\"), \"columns\" is missing"},
      {"no check expression", Replaced2(", \"expression\": \"y <> 0\"", ""), kDatabaseDamaged,
       "check 1 (\"ck\"), \"expression\" is missing"},
      {"no parts", Replaced2("\"parts\"", "\"columns\""), kDatabaseDamaged,
       "index 1 (\"ix\"), \"parts\" is missing"},
      {"no index name", Replaced2("{\"name\": \"ix\", ", "{"), kDatabaseDamaged,
       "index 1, \"name\" is missing"},
      {"part of nothing", Replaced2("{\"expression\": \"lower(z)\"}", "{}"), kDatabaseDamaged,
       "part 2, \"column\" is missing (or \"expression\")"},
      {"part of both", Replaced2("{\"expression\"", "{\"column\": \"z\", \"expression\""),
       kDatabaseDamaged, "part 2, \"expression\" is given with \"column\""},
      {"part as text", Replaced2("{\"expression\": \"lower(z)\"}", "\"z\""), kDatabaseDamaged,
       "\"parts\" should be an array of part objects"},
      {"parts as object", Replaced2("\"parts\": [", "\"parts\": {\"p\": ["), kDatabaseDamaged,
       "\"parts\" should be an array of part objects"},
      {"key as array",
       Replaced2("\"primary_key\": {\"name\": \"pk\", \"columns\": [\"x\"]}",
                 "\"primary_key\": [\"x\"]"),
       kDatabaseDamaged, "\"primary_key\" should be an object"},
      {"key as null", Replaced2("{\"name\": \"pk\", \"columns\": [\"x\"]}", "null"),
       kDatabaseDamaged, "\"primary_key\" should be an object"},
      {"indexes as object", Replaced2("\"indexes\": [", "\"indexes\": {\"i\": ["), kDatabaseDamaged,
       "\"indexes\" should be an array of index objects"},
      {"check as text", Replaced2("{\"name\": \"ck\", \"expression\": \"y <> 0\"}", "\"y <> 0\""),
       kDatabaseDamaged, "\"checks\" should be an array of check objects"},
      {"foreign key as array", Replaced2("\"foreign_keys\": [", "\"foreign_keys\": [["),
       kDatabaseDamaged, "\"foreign_keys\" should be an array of foreign key objects"},
      {"column name as number", Replaced2("\"columns\": [\"y\"]", "\"columns\": [\"y\", 7]"),
       kDatabaseDamaged, "foreign key 1 (\"fk\"), \"columns\" should be an array of texts"},
      {"column name nested", Replaced2("[\"x\"]}", "[[\"x\"]]}"), kDatabaseDamaged,
       "primary key (\"pk\"), \"columns\" should be an array of texts"},
      {"columns as text",
       Replaced2("\"referenced_columns\": [\"x\"]", "\"referenced_columns\": \"x\""),
       kDatabaseDamaged, "\"referenced_columns\" should be an array of texts"},
      {"flag as text", Replaced2("\"unique\": true", "\"unique\": \"yes\""), kDatabaseDamaged,
       "index 1 (\"ix\"), \"unique\" should be true or false"},
      {"name as number", Replaced2("{\"name\": \"ck\"", "{\"name\": 1"), kDatabaseDamaged,
       "check 1, \"name\" should be a text"},
      {"indexes twice", Replaced2("\"checks\": [", "\"indexes\": [], \"checks\": ["),
       kDatabaseDamaged, "table 1 (\"a\"), \"indexes\" is given twice"},
      {"action twice",
       Replaced2("\"on_delete\": \"cascade\"",
                 "\"on_delete\": \"cascade\", \"on_delete\": \"restrict\""),
       kDatabaseDamaged, "\"on_delete\" is given twice"},
      {"newer than 5", Replaced5("\"version\": 5", "\"version\": 6"), kSnapshotTooNew,
       "format version 6"},
      // Version 3's members.
      {"unknown timing", Replaced3("\"BEFORE\"", "\"before\""), kDatabaseDamaged,
       "table 1 (\"a\"), trigger 1 (\"tr\"), \"timing\" is not a word this version knows"},
      {"unknown event", Replaced3("[\"UPDATE\"]", "[\"UPDATE\", \"MERGE\"]"), kDatabaseDamaged,
       "trigger 1 (\"tr\"), \"events\" is not a word this version knows (\"MERGE\")"},
      {"no events", Replaced3("[\"UPDATE\"]", "[]"), kDatabaseDamaged,
       "trigger 1 (\"tr\"), \"events\" is empty"},
      {"no body", Replaced3(", \"body\": \"BEGIN END\"", ""), kDatabaseDamaged,
       "trigger 1 (\"tr\"), \"body\" is missing"},
      {"beyond 64 bits", Replaced3("\"maximum\": 9", "\"maximum\": 9223372036854775808"),
       kDatabaseDamaged, "sequence 1 (\"s\"), \"maximum\" is out of range"},
      {"no sequence start", Replaced3("\"start\": 1, ", ""), kDatabaseDamaged,
       "sequence 1 (\"s\"), \"start\" is missing"},
      {"sequences as object", Replaced3("\"sequences\": [", "\"sequences\": {\"s\": ["),
       kDatabaseDamaged, "\"sequences\" should be an array of sequence objects"},
      {"default as null", Replaced3("\"default\": \"0\"", "\"default\": null"), kDatabaseDamaged,
       "column detail 1 (\"x\"), \"default\" should be a text"},
      {"no detail column", Replaced3("\"column\": \"x\", ", ""), kDatabaseDamaged,
       "column detail 1, \"column\" is missing"},
      {"view as array", Replaced3("\"SELECT 1\"", "[\"SELECT 1\"]"), kDatabaseDamaged,
       "table 1 (\"a\"), \"view_definition\" should be a text"},
      {"collation twice",
       Replaced3("\"default_collation\": \"C\",",
                 "\"default_collation\": \"C\", \"default_collation\": \"C\","),
       kDatabaseDamaged, "\"default_collation\" is given twice"},
      {"a kind of version 3 in version 2", Replaced2("\"checks\"]", "\"sequences\"]"),
       kDatabaseDamaged, "\"object_kinds\" is not a word this version knows (\"sequences\")"},
      // Version 4's members.
      {"a kind of version 4 in version 3", Replaced3("\"sequences\"]", "\"rules\"]"),
       kDatabaseDamaged, "\"object_kinds\" is not a word this version knows (\"rules\")"},
      {"unknown rule event", Replaced4("\"INSERT\"", "\"MERGE\""), kDatabaseDamaged,
       "table 1 (\"a\"), rule 1 (\"r\"), \"event\" is not a word this version knows"},
      {"no rule definition", Replaced4(", \"definition\": \"CREATE RULE r ...\"", ""),
       kDatabaseDamaged, "rule 1 (\"r\"), \"definition\" is missing"},
      {"unlogged as text", Replaced4("\"unlogged\": true", "\"unlogged\": \"yes\""),
       kDatabaseDamaged, "table 1 (\"a\"), \"unlogged\" should be true or false"},
      {"collations as object", Replaced4("\"collations\": [", "\"collations\": {\"c\": ["),
       kDatabaseDamaged, "\"collations\" should be an array of collation objects"},
      {"no collation locale", Replaced4(", \"locale\": \"und-u-ks-level1\"", ""), kDatabaseDamaged,
       "collation 1 (\"blind\"), \"locale\" is missing"},
      // Version 5's member.
      {"nulls alike as text",
       Replaced5("\"nulls_not_distinct\": true", "\"nulls_not_distinct\": \"yes\""),
       kDatabaseDamaged, "index 1 (\"ix\"), \"nulls_not_distinct\" should be true or false"},
  };
  for (const auto& c : cases) {
    const QString path = folder.PathOf(QStringLiteral("%1.json").arg(c.name));
    WriteFileContents(path, c.content);
    const component::Error error = OpenFailure(QString(), path);
    EXPECT_EQ(error.number(), c.number) << c.name << ": " << error.what();
    EXPECT_TRUE(error.description().contains(c.says)) << c.name << ": " << error.what();
    EXPECT_TRUE(error.description().startsWith("'" + path + "'")) << c.name << ": " << error.what();
    EXPECT_LT(error.description().size(), path.size() + 200) << c.name << ": " << error.what();
  }
}

TEST(SnapshotTest, ATruncatedSnapshotNeverOpensAsPartOfOne) {
  SqliteTestFolder folder;
  const QString path = folder.PathOf("cut.json");
  for (const QByteArray& good :
       {QByteArray(kGood), QByteArray(kGood2), QByteArray(kGood3), kGood4, kGood5}) {
    const qsizetype marker_end = good.indexOf("vantrel-snapshot\"") + 17;
    for (qsizetype cut = 1; cut < good.size() - 2; cut += 5) {
      WriteFileContents(path, good.left(cut));
      const component::Error error = OpenFailure(QString(), path);
      if (cut < marker_end) {
        EXPECT_EQ(error.number(), kNotADatabase) << "cut at " << cut << ": " << error.what();
      } else {
        EXPECT_EQ(error.number(), kDatabaseDamaged) << "cut at " << cut << ": " << error.what();
        EXPECT_TRUE(error.description().contains("ends too early")) << cut << ": " << error.what();
      }
    }
  }
}

// A file of version 1 says nothing of objects: its tables have none, and it says it read none,
// so that a comparison reports them as not compared. Members version 1 did not know are
// skipped, whatever they hold, as version 1 readers did.
TEST(SnapshotTest, AVersionOneFileReadsWithNoObjectKinds) {
  SqliteTestFolder folder;
  const struct {
    const char* name;
    QByteArray content;
  } cases[] = {
      {"as written", kGood},
      {"with members of version 2",
       Replaced("\"columns\": []}",
                R"("columns": [], "primary_key": 7, "indexes": {"x": 1}, "checks": [{}]})")},
      {"with object kinds",
       Replaced("\"database\"", "\"object_kinds\": [\"bogus\"], \"database\"")},
  };
  for (const auto& c : cases) {
    const QString path = folder.PathOf(QStringLiteral("%1.json").arg(c.name));
    WriteFileContents(path, c.content);
    const auto connection = Open(QString(), path);
    EXPECT_EQ(connection->ObjectKinds(), 0) << c.name;
    EXPECT_EQ(ColumnProperties(*connection), QStringList{"a.x 2 4 1 1 1 0"}) << c.name;
    EXPECT_EQ(ObjectProperties(*connection), QStringList()) << c.name;
  }
  // Version 2 as written by hand: the members in any order, unknown ones skipped, those of
  // later versions among them, whatever they hold.
  const QString path = folder.PathOf("v2.json");
  QByteArray v2 = Replaced2("\"name\": \"fk\",", "\"note\": {\"a\": [1]}, \"name\": \"fk\",");
  v2.replace("\"columns\": [],",
             R"("columns": [], "column_details": [{"column": "y", "default": "1"}],
                "triggers": 3, "view_definition": ["x"],)");
  v2.replace("\"tables\"", R"("default_collation": "C", "sequences": [{"name": 1}], "tables")");
  v2.replace("\"unique\": true", "\"unique\": true, \"nulls_not_distinct\": true");
  WriteFileContents(path, v2);
  const auto connection = Open(QString(), path);
  EXPECT_EQ(connection->ObjectKinds(), kPrimaryKeys | kIndexes | kForeignKeys | kChecks);
  EXPECT_EQ(DatabaseProperties(*connection), QStringList{"collation  charset  locale "});
  EXPECT_EQ(DescribeDetails(connection->Tables().Item("a").Objects()), QString());
  EXPECT_EQ(
      ObjectProperties(*connection),
      QStringList({"a: primary key pk (x)",
                   "a: index ix unique (y desc, expression lower(z)) where y > 0 constraint",
                   "a: foreign key fk (y) -> a (x) delete cascade update no action deferrable",
                   "a: check ck (y <> 0)"}));
}

TEST(SnapshotTest, FieldsMayComeInAnyOrderAndUnknownOnesAreSkipped) {
  SqliteTestFolder folder;
  const QString path = folder.PathOf("edited.json");
  const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
  const QByteArray huge = "[1e400, -1e400, 1e-400, " + QByteArray(1000000, '9') + ", 0." +
                          QByteArray(1000000, '0') + "1e400]";
  WriteFileContents(path, QByteArray(100000, '\n') + "{\"deep\": " + deep + ", \"huge\": " + huge +
                              R"x(, "tables": [{"columns": [{"allow_zero_length": true, "size": 9,
    "note": {"any": [1, 2, {"deep": null}]}, "required": false, "name": "y", "attributes": 2,
    "ordinal_position": 1, "data_type": 6, "big": 1E+400, "declared_type": "varchar(9)"}], "name": "t",
    "comment": "kept by hand"}], "database": "hand", "version": 1,
    "format": "vantrel-snapshot", "written_by": ["someone"]})x");
  const auto connection = Open(QString(), path);
  EXPECT_EQ(ColumnProperties(*connection), QStringList{"t.y 6 9 1 0 2 1"});
  EXPECT_EQ(connection->DatabaseName(), "hand");
}

}  // namespace
}  // namespace dataaccess
