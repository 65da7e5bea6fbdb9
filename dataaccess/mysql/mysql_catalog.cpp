#include "dataaccess/mysql/mysql_catalog.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <cstdlib>
#include <vector>

#include "dataaccess/catalog/shared_values.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"
#include "dataaccess/server/server_table_name.h"
#include "dataaccess/server/staged_objects.h"

namespace dataaccess {
namespace {

// The tables and views of the current database with their types. information_schema.TABLES
// would open every table to fill in TABLE_TYPE; SHOW FULL TABLES reads only the type from each
// table's definition file, which takes half the time (21 against 9 ms at 1,000 tables).
constexpr char kTablesQuery[] = "SHOW FULL TABLES";
// Every name of the current database, without opening anything: a tenth of SHOW FULL TABLES.
constexpr char kNamesQuery[] =
    "SELECT TABLE_NAME FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()";
// The types of the tables named. MariaDB filters on the names before it opens a table, and opens
// each of those in about 18 microseconds, twice what SHOW FULL TABLES spends on one.
constexpr char kTypesQuery[] =
    "SELECT TABLE_NAME, TABLE_TYPE FROM information_schema.TABLES "
    "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME IN ";
// The columns of kTablesQuery and kTypesQuery.
enum TablesQueryField : int { kTablesName, kTablesType };
// MariaDB turns an IN list of 1,000 values or more into a subquery, which no longer filters the
// names before the tables are opened.
constexpr qsizetype kMostNamesInList = 999;
constexpr char kColumnsQuery[] =
    "SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE = 'NO', EXTRA, ORDINAL_POSITION, "
    "COLLATION_NAME LIKE '%\\_bin', COLUMN_KEY <> '' "
    "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()";
// Its columns, then those kColumnDetailFields and kGenerationField add.
enum ColumnsQueryField : int {
  kColTable,
  kColName,
  kColType,
  kColNotNull,
  kColExtra,
  kColPosition,
  kColBinaryCollation,
  kColKeyed,
  kColDefault,
  kColCollation,
  kColCharacterSet,
  kColGenerationExpression,
};
// With objects, the column query also reads each column's default, collation and character set
// and, where the server has it, its generation expression, in the same pass.
constexpr char kColumnsFrom[] = " FROM information_schema.COLUMNS";
constexpr char kColumnDetailFields[] = ", COLUMN_DEFAULT, COLLATION_NAME, CHARACTER_SET_NAME";
constexpr char kGenerationField[] = ", GENERATION_EXPRESSION";
// The database's defaults, which a column's collation is told against.
constexpr char kSchemaDefaultsQuery[] =
    "SELECT DEFAULT_COLLATION_NAME, DEFAULT_CHARACTER_SET_NAME FROM information_schema.SCHEMATA "
    "WHERE SCHEMA_NAME = DATABASE()";
enum SchemaDefaultsQueryField : int { kDefaultCollation, kDefaultCharacterSet };
// The definitions of the views named. Without the names, the server looks at every table of the
// database to find the few views: at 10,000 tables, a tenth of a second or more.
constexpr char kViewDefinitionsQuery[] =
    "SELECT TABLE_NAME, VIEW_DEFINITION FROM information_schema.VIEWS "
    "WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME IN ";
enum ViewDefinitionsQueryField : int { kViewName, kViewDefinition };
// One row per event of each trigger (a server that allows several events to a trigger lists it
// once for each).
constexpr char kTriggersQuery[] =
    "SELECT EVENT_OBJECT_TABLE, TRIGGER_NAME, ACTION_TIMING, EVENT_MANIPULATION, "
    "ACTION_ORIENTATION, ACTION_STATEMENT FROM information_schema.TRIGGERS "
    "WHERE EVENT_OBJECT_SCHEMA = DATABASE()";
enum TriggersQueryField : int {
  kTrigTable,
  kTrigName,
  kTrigTiming,
  kTrigEvent,
  kTrigOrientation,
  kTrigStatement,
};

// Every key part of every index, the primary key's included (PRIMARY), unsorted, with the
// index's method (BTREE, FULLTEXT, SPATIAL, HASH). MySQL 8.0.13 and later add the text of an
// expression part (functional key parts), where COLUMN_NAME is NULL.
constexpr char kIndexesQuery[] =
    "SELECT TABLE_NAME, INDEX_NAME, SEQ_IN_INDEX, COLUMN_NAME, NON_UNIQUE, COLLATION = 'D', "
    "INDEX_TYPE, SUB_PART FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE()";
constexpr char kIndexesQueryWithExpressions[] =
    "SELECT TABLE_NAME, INDEX_NAME, SEQ_IN_INDEX, COLUMN_NAME, NON_UNIQUE, COLLATION = 'D', "
    "INDEX_TYPE, SUB_PART, EXPRESSION FROM information_schema.STATISTICS "
    "WHERE TABLE_SCHEMA = DATABASE()";
// The columns of both; only kIndexesQueryWithExpressions has the last.
enum IndexesQueryField : int {
  kIdxTable,
  kIdxName,
  kIdxPosition,
  kIdxColumn,
  kIdxNonUnique,
  kIdxDescending,
  kIdxMethod,
  kIdxPrefix,  // the length of a part that indexes the start of its column; NULL for all of it
  kIdxExpression,
};
// The tables that have a foreign key or a check. REFERENTIAL_CONSTRAINTS, KEY_COLUMN_USAGE and
// MariaDB's CHECK_CONSTRAINTS open every table they look at: at 10,000 tables, more than a
// server's default table caches hold, each pass over them all takes seconds. One pass here names
// the few tables the other three then read, a list of names at a time.
constexpr char kConstrainedTablesQuery[] =
    "SELECT DISTINCT TABLE_NAME, CONSTRAINT_TYPE = 'CHECK' FROM "
    "information_schema.TABLE_CONSTRAINTS "
    "WHERE TABLE_SCHEMA = DATABASE() AND CONSTRAINT_TYPE IN ('FOREIGN KEY', 'CHECK')";
enum ConstrainedTablesQueryField : int { kConstrainedTable, kConstrainedByCheck };
// The foreign keys of the tables named, with their rules, then one row per column of those keys,
// with the column it references (the referenced table may be in another database).
constexpr char kForeignKeysQuery[] =
    "SELECT TABLE_NAME, CONSTRAINT_NAME, DELETE_RULE, UPDATE_RULE, MATCH_OPTION "
    "FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE() "
    "AND TABLE_NAME IN ";
enum ForeignKeysQueryField : int { kFkTable, kFkName, kFkDeleteRule, kFkUpdateRule, kFkMatch };
constexpr char kForeignKeyColumnsQuery[] =
    "SELECT TABLE_NAME, CONSTRAINT_NAME, ORDINAL_POSITION, COLUMN_NAME, REFERENCED_TABLE_SCHEMA, "
    "REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME, DATABASE() "
    "FROM information_schema.KEY_COLUMN_USAGE "
    "WHERE TABLE_SCHEMA = DATABASE() AND REFERENCED_TABLE_NAME IS NOT NULL AND TABLE_NAME IN ";
enum ForeignKeyColumnsQueryField : int {
  kFkColTable,
  kFkColKeyName,
  kFkColPosition,
  kFkColColumn,
  kFkColReferencedSchema,
  kFkColReferencedTable,
  kFkColReferencedColumn,
  kFkColSchema,  // the session's database
};
// The checks of the tables named (MariaDB), or of every table (MySQL), a column's own CHECK
// among them. MariaDB names a check's table there; MySQL names it only in TABLE_CONSTRAINTS,
// where a check's name is unique in its database, and answers from its data dictionary without
// opening the tables.
constexpr char kMariadbChecksQuery[] =
    "SELECT TABLE_NAME, CONSTRAINT_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
    "WHERE CONSTRAINT_SCHEMA = DATABASE() AND TABLE_NAME IN ";
constexpr char kMysqlChecksQuery[] =
    "SELECT t.TABLE_NAME, c.CONSTRAINT_NAME, c.CHECK_CLAUSE "
    "FROM information_schema.TABLE_CONSTRAINTS t JOIN information_schema.CHECK_CONSTRAINTS c "
    "ON c.CONSTRAINT_SCHEMA = t.CONSTRAINT_SCHEMA AND c.CONSTRAINT_NAME = t.CONSTRAINT_NAME "
    "WHERE t.TABLE_SCHEMA = DATABASE() AND c.CONSTRAINT_SCHEMA = DATABASE() "
    "AND t.CONSTRAINT_TYPE = 'CHECK'";
// The columns of both.
enum ChecksQueryField : int { kCheckTable, kCheckName, kCheckClause };

// MariaDB keeps a JSON column as LONGTEXT COLLATE utf8mb4_bin with a json_valid() check (MySQL
// has a JSON type). Reading a table's checks opens the table, so only the tables named (those
// with a binary-collated text) are read, a list of names at a time.
constexpr char kJsonChecksQuery[] =
    "SELECT TABLE_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
    "WHERE CONSTRAINT_SCHEMA = DATABASE() AND CHECK_CLAUSE LIKE '%json_valid%' AND TABLE_NAME IN ";
enum JsonChecksQueryField : int { kJsonCheckTable, kJsonCheckClause };

struct ResultDeleter {
  void operator()(MYSQL_RES* result) const { mysql_free_result(result); }
};
using Result = std::unique_ptr<MYSQL_RES, ResultDeleter>;

[[noreturn]] void ThrowUnreadable(MYSQL* mysql, const QString& target) {
  throw CatalogUnreadableError(target, QString::fromUtf8(mysql_error(mysql)));
}

// Streams the rows instead of holding the whole result twice.
Result Run(MYSQL* mysql, const char* sql, const QString& target) {
  if (mysql_query(mysql, sql) != 0) ThrowUnreadable(mysql, target);
  Result result(mysql_use_result(mysql));
  if (!result) ThrowUnreadable(mysql, target);
  return result;
}

// A field's bytes; null for NULL.
QByteArrayView Bytes(MYSQL_ROW row, const unsigned long* lengths, int column) {
  return row[column] ? QByteArrayView(row[column], static_cast<qsizetype>(lengths[column]))
                     : QByteArrayView();
}

QString Text(MYSQL_ROW row, const unsigned long* lengths, int column) {
  return row[column] ? QString::fromUtf8(Bytes(row, lengths, column)) : QString();
}

// `sql` followed by the names as a parenthesized list of quoted strings.
template <class Names>
QByteArray WithNameList(MYSQL* mysql, const char* sql, const Names& names) {
  QByteArray text = sql;
  QByteArray escaped;
  const char* separator = "('";
  for (const QString& table : names) {
    const QByteArray name = table.toUtf8();
    escaped.resize(name.size() * 2 + 1);
    escaped.resize(static_cast<qsizetype>(mysql_real_escape_string(
        mysql, escaped.data(), name.constData(), static_cast<unsigned long>(name.size()))));
    text += separator + escaped + '\'';
    separator = ", '";
  }
  return text + ')';
}

// Runs `sql` and calls `each_row(row, lengths)` for every row.
template <class EachRow>
void ForEachRow(MYSQL* mysql, const QString& target, const char* sql, const EachRow& each_row) {
  Result result = Run(mysql, sql, target);
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    each_row(row, mysql_fetch_lengths(result.get()));
  }
  if (mysql_errno(mysql) != 0) ThrowUnreadable(mysql, target);
}

// Runs `sql` followed by a list of `names` for each list of at most kMostNamesInList of them,
// and calls `each_row(row, lengths)` for every row.
template <class EachRow>
void ForEachRowOfNames(MYSQL* mysql, const QString& target, const char* sql,
                       const QStringList& names, const EachRow& each_row) {
  for (qsizetype from = 0; from < names.size(); from += kMostNamesInList) {
    const QByteArray listed = WithNameList(mysql, sql, names.mid(from, kMostNamesInList));
    ForEachRow(mysql, target, listed.constData(), each_row);
  }
}

// What the server offers to read: MariaDB from 10.2.22 and 10.3.10 on, and MySQL from 8.0.16
// on, list checks in information_schema.CHECK_CONSTRAINTS; MySQL from 8.0.13 on has
// expressions in index parts. MariaDB from 10.2.5 on, and MySQL from 5.7.6 on, give a generated
// column's expression in information_schema.COLUMNS; MariaDB from 10.2.7 on quotes a string
// default there and gives the text NULL for none; MariaDB from 10.3 on has sequences.
struct ServerFeatures {
  bool mariadb = false;
  bool checks = false;
  bool index_expressions = false;
  bool generation = false;
  bool quoted_defaults = false;
  bool sequences = false;
};

ServerFeatures FeaturesOf(MYSQL* mysql) {
  ServerFeatures features;
  const unsigned long version = mysql_get_server_version(mysql);
  features.mariadb = QByteArrayView(mysql_get_server_info(mysql)).contains("MariaDB");
  if (features.mariadb) {
    features.checks = version >= 100222 && (version < 100300 || version >= 100310);
    features.generation = version >= 100205;
    features.quoted_defaults = version >= 100207;
    features.sequences = version >= 100300;
  } else {
    features.checks = version >= 80016;
    features.index_expressions = version >= 80013;
    features.generation = version >= 50706;
  }
  return features;
}

// The name the catalog gives a table of the session's database.
QString OwnTable(const QString& name) { return ServerTableName(QString(), QString(), name); }

// REFERENTIAL_CONSTRAINTS' DELETE_RULE and UPDATE_RULE.
ReferentialAction Action(QByteArrayView rule) {
  if (rule == "CASCADE") return ReferentialAction::kCascade;
  if (rule == "SET NULL") return ReferentialAction::kSetNull;
  if (rule == "SET DEFAULT") return ReferentialAction::kSetDefault;
  if (rule == "RESTRICT") return ReferentialAction::kRestrict;
  return ReferentialAction::kNoAction;
}

// Stages every index of the database's tables; the PRIMARY index is the primary key.
void ReadIndexes(MYSQL* mysql, const QString& target, const ServerFeatures& features,
                 StagedObjects& objects) {
  QString table;
  ForEachRow(
      mysql, target, features.index_expressions ? kIndexesQueryWithExpressions : kIndexesQuery,
      [&](MYSQL_ROW row, const unsigned long* lengths) {
        AssignUtf8(table, Bytes(row, lengths, kIdxTable));
        const QString name = Text(row, lengths, kIdxName);
        const long position = std::strtol(row[kIdxPosition] ? row[kIdxPosition] : "0", nullptr, 10);
        if (name == QLatin1StringView("PRIMARY")) {
          objects.AddPrimaryKeyColumn(OwnTable(table), name, position,
                                      Text(row, lengths, kIdxColumn));
          return;
        }
        IndexPart part;
        part.column = Text(row, lengths, kIdxColumn);
        if (features.index_expressions && part.column.isEmpty()) {
          part.expression = Text(row, lengths, kIdxExpression);
        }
        part.descending = row[kIdxDescending] && row[kIdxDescending][0] == '1';
        if (row[kIdxPrefix]) part.prefix_length = std::atoi(row[kIdxPrefix]);
        IndexDefinition& index =
            objects.AddIndexPart(OwnTable(table), name, position, std::move(part));
        index.unique = row[kIdxNonUnique] && row[kIdxNonUnique][0] == '0';
        index.method = Text(row, lengths, kIdxMethod).toLower();
      });
}

// The tables that have foreign keys and those that have checks.
struct ConstrainedTables {
  QStringList with_foreign_keys;
  QStringList with_checks;
};

ConstrainedTables ReadConstrainedTables(MYSQL* mysql, const QString& target) {
  ConstrainedTables tables;
  ForEachRow(mysql, target, kConstrainedTablesQuery,
             [&](MYSQL_ROW row, const unsigned long* lengths) {
               const bool check = row[kConstrainedByCheck] && row[kConstrainedByCheck][0] == '1';
               (check ? tables.with_checks : tables.with_foreign_keys)
                   .append(Text(row, lengths, kConstrainedTable));
             });
  return tables;
}

void ReadForeignKeys(MYSQL* mysql, const QString& target, const QStringList& tables,
                     StagedObjects& objects) {
  struct Rules {
    ReferentialAction on_delete;
    ReferentialAction on_update;
    bool match_full;
  };
  QHash<QPair<QString, QString>, Rules> rules;  // by table and key name
  ForEachRowOfNames(
      mysql, target, kForeignKeysQuery, tables, [&](MYSQL_ROW row, const unsigned long* lengths) {
        rules.insert(
            {Text(row, lengths, kFkTable), Text(row, lengths, kFkName)},
            {Action(Bytes(row, lengths, kFkDeleteRule)), Action(Bytes(row, lengths, kFkUpdateRule)),
             Bytes(row, lengths, kFkMatch) == "FULL"});
      });
  if (rules.isEmpty()) return;
  ForEachRowOfNames(
      mysql, target, kForeignKeyColumnsQuery, tables,
      [&](MYSQL_ROW row, const unsigned long* lengths) {
        const QString table = Text(row, lengths, kFkColTable);
        const QString name = Text(row, lengths, kFkColKeyName);
        const auto found = rules.constFind({table, name});
        if (found == rules.cend()) return;  // a key made after the rules were read
        ForeignKeyDefinition& key = objects.AddForeignKeyColumn(
            OwnTable(table), name,
            std::strtol(row[kFkColPosition] ? row[kFkColPosition] : "0", nullptr, 10),
            Text(row, lengths, kFkColColumn), Text(row, lengths, kFkColReferencedColumn));
        key.referenced_table = ServerTableName(Text(row, lengths, kFkColSchema),
                                               Text(row, lengths, kFkColReferencedSchema),
                                               Text(row, lengths, kFkColReferencedTable));
        key.on_delete = found->on_delete;
        key.on_update = found->on_update;
        key.match_full = found->match_full;
      });
}

// Stages the checks of `tables` (MariaDB) or of every table (MySQL) and returns, by table, the
// columns a MariaDB json_valid() check makes JSON (MariaDB keeps a JSON column as LONGTEXT
// COLLATE utf8mb4_bin with that check; MySQL has a JSON type).
QHash<QString, QStringList> ReadChecks(MYSQL* mysql, const QString& target,
                                       const ServerFeatures& features, const QStringList& tables,
                                       StagedObjects& objects) {
  QHash<QString, QStringList> json_columns;
  const auto stage = [&](MYSQL_ROW row, const unsigned long* lengths) {
    const QString table = Text(row, lengths, kCheckTable);
    CheckDefinition check{Text(row, lengths, kCheckName), Text(row, lengths, kCheckClause)};
    if (features.mariadb) {
      const QString column = JsonCheckedColumn(check.expression);
      if (!column.isEmpty()) json_columns[table].append(column);
    }
    objects.AddCheck(OwnTable(table), std::move(check));
  };
  if (features.mariadb) {
    ForEachRowOfNames(mysql, target, kMariadbChecksQuery, tables, stage);
  } else {
    ForEachRow(mysql, target, kMysqlChecksQuery, stage);
  }
  return json_columns;
}

// The JSON-checked columns of each of `tables`, read from CHECK_CONSTRAINTS where MariaDB has it.
QHash<QString, QStringList> JsonCheckedColumns(MYSQL* mysql, const QString& target,
                                               const ServerFeatures& features,
                                               const QStringList& tables) {
  QHash<QString, QStringList> columns;
  if (tables.isEmpty() || !features.mariadb || !features.checks) return columns;
  ForEachRowOfNames(
      mysql, target, kJsonChecksQuery, tables, [&](MYSQL_ROW row, const unsigned long* lengths) {
        const QString column = JsonCheckedColumn(Text(row, lengths, kJsonCheckClause));
        if (!column.isEmpty()) columns[Text(row, lengths, kJsonCheckTable)].append(column);
      });
  return columns;
}

// Adds the tables and views a query of names and types lists to `kinds`, true for a view.
// MariaDB lists its sequences there too ("SEQUENCE"): they are no user's tables and are left
// out, their names added to `sequences`.
void AddTableKinds(MYSQL* mysql, const char* sql, const QString& target,
                   QHash<QString, bool>& kinds, QStringList& sequences) {
  ForEachRow(mysql, target, sql, [&](MYSQL_ROW row, const unsigned long* lengths) {
    const QByteArrayView type = Bytes(row, lengths, kTablesType);
    if (type == "SEQUENCE") sequences.append(Text(row, lengths, kTablesName));
    if (type != "BASE TABLE" && type != "VIEW" && type != "SYSTEM VERSIONED") return;
    kinds.insert(Text(row, lengths, kTablesName), type == "VIEW");
  });
}

// The names of every table, view and sequence of the current database.
QStringList TableNames(MYSQL* mysql, const QString& target) {
  QStringList names;
  ForEachRow(mysql, target, kNamesQuery, [&](MYSQL_ROW row, const unsigned long* lengths) {
    names.append(Text(row, lengths, 0));
  });
  return names;
}

// The current database's tables and views by name, true for a view; the names of its sequences
// go to `sequences`. Views and sequences have no indexes, so a table with a keyed column
// (`keyed`) is a base table without asking; only the others' types are read, unless they are so
// many that reading every type costs less.
QHash<QString, bool> TableKinds(MYSQL* mysql, const QString& target, const QSet<QString>& keyed,
                                QStringList& sequences) {
  QHash<QString, bool> kinds;
  const QStringList names = TableNames(mysql, target);
  QStringList unkeyed;
  for (const QString& name : names) {
    if (keyed.contains(name)) {
      kinds.insert(name, false);
    } else {
      unkeyed.append(name);
    }
  }
  if (unkeyed.isEmpty()) return kinds;
  if (unkeyed.size() > kMostNamesInList || unkeyed.size() * 3 > names.size()) {
    kinds.clear();
    AddTableKinds(mysql, kTablesQuery, target, kinds, sequences);
  } else {
    AddTableKinds(mysql, WithNameList(mysql, kTypesQuery, unkeyed).constData(), target, kinds,
                  sequences);
  }
  return kinds;
}

// The tables a column read found to have a text column in a binary collation, and those with a
// column in an index; with `features` (objects asked for), the details of every column that
// may have some.
struct ColumnFacts {
  QSet<QString> binary_text_tables;
  QSet<QString> keyed_tables;
  // By the table's slot in the rows staged.
  std::vector<ColumnDetailsRun> details;
};

// Stages the column rows of every table the query lists, with their details when `features`
// is given: a collation only where it is not `default_collation`, the database's.
ColumnFacts StageColumns(MYSQL* mysql, const QString& target, CatalogRows<QString>& rows,
                         const ServerFeatures* features, QByteArrayView default_collation) {
  ColumnFacts facts;
  SharedTexts texts;
  SharedCollations collations;
  DeclaredTypeCache types(TypeDialect::kMysql);
  QByteArray current_table;
  QString current_name;
  size_t current = 0;
  ServerColumn column;  // reused: its name keeps its buffer from row to row
  QByteArray sql = kColumnsQuery;
  if (features) {
    sql.insert(sql.indexOf(kColumnsFrom),
               QByteArray(kColumnDetailFields) + (features->generation ? kGenerationField : ""));
  }
  ForEachRow(mysql, target, sql.constData(), [&](MYSQL_ROW row, const unsigned long* lengths) {
    // Rows of one table usually follow each other; look the table up once per run of rows.
    const QByteArrayView table = Bytes(row, lengths, kColTable);
    if (current_name.isNull() || table != current_table) {
      current_table = table.toByteArray();
      current_name = QString::fromUtf8(current_table);
      current = rows.AddTable(current_name, QString(), current_name);
    }
    AssignUtf8(column.name, Bytes(row, lengths, kColName));
    column.type = types.Classify(Bytes(row, lengths, kColType), &column.declared_type);
    column.required = row[kColNotNull] && row[kColNotNull][0] == '1';
    const int32_t extra = ExtraAttributes(Bytes(row, lengths, kColExtra));
    if (extra & kAutoIncrement) column.type = AutoNumbered(column.type);
    column.type.attributes |= extra & kGenerated;
    if (row[kColBinaryCollation] && row[kColBinaryCollation][0] == '1' &&
        column.type.data_type == kText) {
      facts.binary_text_tables.insert(current_name);
    }
    if (row[kColKeyed] && row[kColKeyed][0] == '1') facts.keyed_tables.insert(current_name);
    const long position = std::strtol(row[kColPosition] ? row[kColPosition] : "0", nullptr, 10);
    rows.AddColumn(current, position, column);
    if (!features) return;
    ColumnDetails details;
    const QString default_value =
        MysqlColumnDefault(Bytes(row, lengths, kColDefault), Bytes(row, lengths, kColExtra),
                           features->quoted_defaults, column.type.data_type);
    if (!default_value.isNull()) details.default_value = texts.Shared(default_value);
    if (const QByteArrayView collation = Bytes(row, lengths, kColCollation);
        !collation.isEmpty() && collation != default_collation) {
      details.collation =
          collations.Shared({Text(row, lengths, kColCollation),
                             Text(row, lengths, kColCharacterSet), QString(), true});
    }
    if (features->generation && row[kColGenerationExpression] &&
        lengths[kColGenerationExpression] > 0) {
      const QByteArrayView extra = Bytes(row, lengths, kColExtra);
      details.generation = std::make_shared<const ColumnGeneration>(
          ColumnGeneration{Text(row, lengths, kColGenerationExpression),
                           extra.contains("STORED") || extra.contains("PERSISTENT")});
      details.default_value = QString();
    }
    details.on_update = MysqlOnUpdate(Bytes(row, lengths, kColExtra));
    if (details.default_value.isNull() && !details.collation && !details.generation &&
        details.on_update.isEmpty()) {
      return;
    }
    details.column = texts.Shared(column.name);
    if (current >= facts.details.size()) facts.details.resize(current + 1);
    facts.details[current].details.push_back(std::move(details));
    facts.details[current].positions.push_back(position);
  });
  return facts;
}

// The database's default collation and character set.
void ReadSchemaDefaults(MYSQL* mysql, const QString& target, DatabaseObjects& database) {
  ForEachRow(mysql, target, kSchemaDefaultsQuery, [&](MYSQL_ROW row, const unsigned long* lengths) {
    database.default_collation = Text(row, lengths, kDefaultCollation);
    database.default_character_set = Text(row, lengths, kDefaultCharacterSet);
  });
}

// Stages what the column query found of each table's columns, but a view's defaults: a view
// declares none, and the server shows its base table's (0 for an AUTO_INCREMENT column).
void StageColumnDetails(std::vector<ColumnDetailsRun>& staged, const CatalogRows<QString>& rows,
                        const QHash<QString, bool>& kinds, StagedObjects& objects) {
  for (size_t slot = 0; slot < staged.size(); ++slot) {
    ColumnDetailsRun& run = staged[slot];
    if (run.details.empty()) continue;
    const auto kind = kinds.constFind(rows.Name(slot));
    if (kind == kinds.cend()) continue;
    if (*kind) {
      size_t kept = 0;
      for (size_t i = 0; i < run.details.size(); ++i) {
        ColumnDetails& details = run.details[i];
        details.default_value = QString();
        if (!details.collation && !details.generation) continue;
        if (kept != i) {
          run.details[kept] = std::move(details);
          run.positions[kept] = run.positions[i];
        }
        ++kept;
      }
      run.details.resize(kept);
      run.positions.resize(kept);
      if (kept == 0) continue;
    }
    objects.AddColumnDetails(OwnTable(kind.key()), std::move(run));
  }
  staged = {};
}

void ReadViewDefinitions(MYSQL* mysql, const QString& target, const QStringList& views,
                         StagedObjects& objects) {
  ForEachRowOfNames(mysql, target, kViewDefinitionsQuery, views,
                    [&](MYSQL_ROW row, const unsigned long* lengths) {
                      objects.SetViewDefinition(OwnTable(Text(row, lengths, kViewName)),
                                                Text(row, lengths, kViewDefinition));
                    });
}

void ReadTriggers(MYSQL* mysql, const QString& target, StagedObjects& objects) {
  ForEachRow(mysql, target, kTriggersQuery, [&](MYSQL_ROW row, const unsigned long* lengths) {
    TriggerDefinition& trigger =
        objects.AddTrigger(OwnTable(Text(row, lengths, kTrigTable)), Text(row, lengths, kTrigName));
    trigger.timing = Text(row, lengths, kTrigTiming);
    const QString event = Text(row, lengths, kTrigEvent);
    if (!trigger.events.contains(event)) trigger.events.append(event);
    trigger.for_each_row = Bytes(row, lengths, kTrigOrientation) == "ROW";
    trigger.body = Text(row, lengths, kTrigStatement);
  });
}

// The sequences of `names` (MariaDB's), in one query: reading a sequence as a table leaves it
// as it is, where NEXTVAL() would take a number. A sequence has no owner here.
std::vector<SequenceDefinition> ReadSequences(MYSQL* mysql, const QString& target,
                                              QStringList names) {
  std::vector<SequenceDefinition> sequences;
  if (names.isEmpty()) return sequences;
  names.sort();
  QByteArray sql;
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (i > 0) sql += " UNION ALL ";
    sql += "SELECT " + QByteArray::number(i) +
           ", start_value, increment, minimum_value, maximum_value, cycle_option FROM `" +
           names[i].toUtf8().replace('`', "``") + '`';
  }
  sequences.resize(static_cast<size_t>(names.size()));
  for (qsizetype i = 0; i < names.size(); ++i) sequences[i].name = OwnTable(names[i]);
  const auto number = [](const char* text) { return text ? std::strtoll(text, nullptr, 10) : 0; };
  ForEachRow(mysql, target, sql.constData(), [&](MYSQL_ROW row, const unsigned long*) {
    const long long slot = number(row[0]);
    if (slot < 0 || slot >= names.size()) return;
    SequenceDefinition& sequence = sequences[static_cast<size_t>(slot)];
    sequence.start = number(row[1]);
    sequence.increment = number(row[2]);
    sequence.minimum = number(row[3]);
    sequence.maximum = number(row[4]);
    sequence.cycle = number(row[5]) != 0;
  });
  return sequences;
}

}  // namespace

QString MysqlColumnDefault(QByteArrayView value, QByteArrayView extra, bool quoted_by_server,
                           int32_t data_type) {
  if (value.isNull()) return {};
  QString text = QString::fromUtf8(value);
  if (quoted_by_server) return value == "NULL" ? QString() : text;
  if (extra.contains("DEFAULT_GENERATED")) return text;
  switch (data_type) {
    case kBoolean:
    case kInteger:
    case kDecimal:
    case kFloat:
    case kBit:  // b'101'
    case kYear:
      return text;
    case kTimestamp:
    case kTimestampTz:
      // Before MySQL 8.0.13, the one expression a default could be, unmarked.
      if (text.startsWith(QLatin1StringView("CURRENT_TIMESTAMP"), Qt::CaseInsensitive)) {
        return text;
      }
      break;
    default:
      break;
  }
  text.replace(u'\\', QLatin1StringView("\\\\")).replace(u'\'', QLatin1StringView("''"));
  return u'\'' + text + u'\'';
}

QString MysqlOnUpdate(QByteArrayView extra) {
  // "on update current_timestamp()" (MariaDB), "DEFAULT_GENERATED on update CURRENT_TIMESTAMP(3)"
  static const QByteArrayView kClause("on update ");
  const QByteArray lower = extra.toByteArray().toLower();
  const qsizetype at = lower.indexOf(kClause);
  if (at < 0) return {};
  return QString::fromUtf8(extra.sliced(at + kClause.size())).trimmed();
}

int32_t ExtraAttributes(QByteArrayView extra) {
  int32_t attributes = 0;
  const auto is = [](QLatin1StringView word, const char* name) {
    return word.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0;
  };
  for (const QLatin1StringView word : QLatin1StringView(extra).tokenize(u' ')) {
    if (is(word, "AUTO_INCREMENT")) attributes |= kAutoIncrement;
    if (is(word, "VIRTUAL") || is(word, "STORED") || is(word, "PERSISTENT") ||
        is(word, "GENERATED")) {
      attributes |= kGenerated;
    }
  }
  return attributes;
}

int MysqlObjectKindsAsked(int32_t options) {
  if (options == 0) return 0;
  int kinds = kAllObjectKinds;
  if ((options & (kPrimaryKeys | kIndexes)) == 0) kinds &= ~(kPrimaryKeys | kIndexes);
  if ((options & (kForeignKeys | kChecks)) == 0) kinds &= ~(kForeignKeys | kChecks);
  return kinds;
}

int ReadMysqlCatalog(MYSQL* mysql, const QString& target, CatalogTables& tables, int asked,
                     DatabaseObjects* database) {
  const bool with_objects = asked != 0;
  const bool with_indexes = (asked & (kPrimaryKeys | kIndexes)) != 0;
  const bool with_constraints = (asked & (kForeignKeys | kChecks | kIndexes)) != 0;
  const ServerFeatures features = FeaturesOf(mysql);
  CatalogRows<QString> rows;
  DatabaseObjects found_database;
  if (with_objects) ReadSchemaDefaults(mysql, target, found_database);
  ColumnFacts facts = StageColumns(mysql, target, rows, with_objects ? &features : nullptr,
                                   found_database.default_collation.toUtf8());
  QStringList sequence_names;
  const QHash<QString, bool> kinds = TableKinds(mysql, target, facts.keyed_tables, sequence_names);
  // Only what the names and types read after the columns call a table or a view is one. A view
  // without columns (one that no longer resolves) stays, empty; columns of anything else (a
  // sequence, or a table dropped after its columns were read) go.
  for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
    rows.AddTable(it.key(), QString(), it.key());
    if (it.value()) rows.MarkView(it.key());
  }
  rows.DropUnless([&](const QString& table) { return kinds.contains(table); });
  StagedObjects objects;
  StageColumnDetails(facts.details, rows, kinds, objects);
  QHash<QString, QStringList> json_columns;
  ConstrainedTables constrained;
  if (!with_constraints) {
    QStringList json_candidates;
    for (const QString& table : facts.binary_text_tables) {
      if (kinds.contains(table)) json_candidates.append(table);
    }
    json_columns = JsonCheckedColumns(mysql, target, features, json_candidates);
  } else {
    constrained = ReadConstrainedTables(mysql, target);
    if (features.checks) {
      json_columns = ReadChecks(mysql, target, features, constrained.with_checks, objects);
      // Only a text in a binary collation is JSON by its check.
      json_columns.removeIf(
          [&](const auto& entry) { return !facts.binary_text_tables.contains(entry.key()); });
    }
  }
  // Fill passes the columns of one table together, with the same name: the table's facts are
  // looked up once per table, not once per column.
  const QString* adjusted_table = nullptr;
  bool view = false;
  const QStringList* json = nullptr;
  rows.Fill(tables, QString(), [&](const QString&, const QString& table, ColumnDefinition& column) {
    if (&table != adjusted_table) {
      adjusted_table = &table;
      view = kinds.value(table);
      const auto found = json_columns.constFind(table);
      json = found == json_columns.cend() ? nullptr : &*found;
    }
    // A view's NOT NULL is inferred, not declared; other engines never report one.
    if (view) column.required = false;
    if (json && json->contains(column.name, Qt::CaseInsensitive)) column.type = AsJson(column.type);
  });
  if (!with_objects) return 0;
  // The rest is read once the catalog is filled, which gave back the staged columns: both take
  // most room at 10,000 tables.
  if (with_indexes) ReadIndexes(mysql, target, features, objects);
  if (with_constraints) ReadForeignKeys(mysql, target, constrained.with_foreign_keys, objects);
  QStringList views;
  for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
    if (it.value()) views.append(it.key());
  }
  ReadViewDefinitions(mysql, target, views, objects);
  ReadTriggers(mysql, target, objects);
  if (features.sequences) {
    found_database.sequences = ReadSequences(mysql, target, sequence_names);
  }
  objects.Attach(tables);
  if (database) *database = std::move(found_database);
  // Neither engine can declare a foreign key deferrable. A server without sequences (MySQL,
  // MariaDB before 10.3) truly has none: its empty list is what it tells.
  int kinds_told = kDefaults | kCollations | kViews | kTriggers | kSequences;
  if (with_indexes) kinds_told |= kPrimaryKeys | kIndexes | kIndexMethods;
  if (with_constraints) kinds_told |= features.checks ? kForeignKeys | kChecks : kForeignKeys;
  if (features.generation) kinds_told |= kGeneratedColumns;
  return kinds_told;
}

}  // namespace dataaccess
