#include "dataaccess/mysql/mysql_catalog.h"

#include <QHash>
#include <QSet>
#include <cstdlib>

#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"

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
// MariaDB turns an IN list of 1,000 values or more into a subquery, which no longer filters the
// names before the tables are opened.
constexpr qsizetype kMostNamesInList = 999;
constexpr char kColumnsQuery[] =
    "SELECT TABLE_NAME, COLUMN_NAME, COLUMN_TYPE, IS_NULLABLE = 'NO', EXTRA, ORDINAL_POSITION, "
    "COLLATION_NAME LIKE '%\\_bin', COLUMN_KEY <> '' "
    "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE()";
// MariaDB keeps a JSON column as LONGTEXT COLLATE utf8mb4_bin with a json_valid() check (MySQL
// has a JSON type). Reading a table's checks opens the table, so only the tables named (those
// with a binary-collated text) are read; at 1,000 names or more MariaDB reads every table's, about
// 5 microseconds each on a warm server.
constexpr char kJsonChecksQuery[] =
    "SELECT TABLE_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS "
    "WHERE CONSTRAINT_SCHEMA = DATABASE() AND CHECK_CLAUSE LIKE '%json_valid%' AND TABLE_NAME IN ";

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

// The JSON-checked columns of each of `tables`, read from CHECK_CONSTRAINTS, which MariaDB has
// from 10.2.22 and 10.3.10 on.
QHash<QString, QStringList> JsonCheckedColumns(MYSQL* mysql, const QString& target,
                                               const QSet<QString>& tables) {
  QHash<QString, QStringList> columns;
  const unsigned long version = mysql_get_server_version(mysql);
  if (tables.isEmpty() || !QByteArrayView(mysql_get_server_info(mysql)).contains("MariaDB") ||
      version < 100222 || (version >= 100300 && version < 100310)) {
    return columns;
  }
  const QByteArray sql = WithNameList(mysql, kJsonChecksQuery, tables);
  Result result = Run(mysql, sql.constData(), target);
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    const unsigned long* lengths = mysql_fetch_lengths(result.get());
    const QString column = JsonCheckedColumn(Text(row, lengths, 1));
    if (!column.isEmpty()) columns[Text(row, lengths, 0)].append(column);
  }
  if (mysql_errno(mysql) != 0) ThrowUnreadable(mysql, target);
  return columns;
}

// Adds the tables and views a query of names and types lists to `kinds`, true for a view.
// MariaDB lists its sequences there too ("SEQUENCE"): they are no user's tables and are left out.
void AddTableKinds(MYSQL* mysql, const char* sql, const QString& target,
                   QHash<QString, bool>& kinds) {
  Result result = Run(mysql, sql, target);
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    const unsigned long* lengths = mysql_fetch_lengths(result.get());
    const QByteArrayView type = Bytes(row, lengths, 1);
    if (type != "BASE TABLE" && type != "VIEW" && type != "SYSTEM VERSIONED") continue;
    kinds.insert(Text(row, lengths, 0), type == "VIEW");
  }
  if (mysql_errno(mysql) != 0) ThrowUnreadable(mysql, target);
}

// The names of every table, view and sequence of the current database.
QStringList TableNames(MYSQL* mysql, const QString& target) {
  QStringList names;
  Result result = Run(mysql, kNamesQuery, target);
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    names.append(Text(row, mysql_fetch_lengths(result.get()), 0));
  }
  if (mysql_errno(mysql) != 0) ThrowUnreadable(mysql, target);
  return names;
}

// The current database's tables and views by name, true for a view. Views and sequences have no
// indexes, so a table with a keyed column (`keyed`) is a base table without asking; only the
// others' types are read, unless they are so many that reading every type costs less.
QHash<QString, bool> TableKinds(MYSQL* mysql, const QString& target, const QSet<QString>& keyed) {
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
    AddTableKinds(mysql, kTablesQuery, target, kinds);
  } else {
    AddTableKinds(mysql, WithNameList(mysql, kTypesQuery, unkeyed).constData(), target, kinds);
  }
  return kinds;
}

// The tables a column read found to have a text column in a binary collation, and those with a
// column in an index.
struct ColumnFacts {
  QSet<QString> binary_text_tables;
  QSet<QString> keyed_tables;
};

// Stages the column rows of every table the query lists.
ColumnFacts StageColumns(MYSQL* mysql, const QString& target, CatalogRows<QString>& rows) {
  ColumnFacts facts;
  DeclaredTypeCache types(TypeDialect::kMysql);
  QByteArray current_table;
  QString current_name;
  size_t current = 0;
  ServerColumn column;  // reused: its name keeps its buffer from row to row
  Result result = Run(mysql, kColumnsQuery, target);
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    const unsigned long* lengths = mysql_fetch_lengths(result.get());
    // Rows of one table usually follow each other; look the table up once per run of rows.
    const QByteArrayView table = Bytes(row, lengths, 0);
    if (current_name.isNull() || table != current_table) {
      current_table = table.toByteArray();
      current_name = QString::fromUtf8(current_table);
      current = rows.AddTable(current_name, QString(), current_name);
    }
    AssignUtf8(column.name, Bytes(row, lengths, 1));
    column.type = types.Classify(Bytes(row, lengths, 2), &column.declared_type);
    column.required = row[3] && row[3][0] == '1';
    const int32_t extra = ExtraAttributes(Bytes(row, lengths, 4));
    if (extra & kAutoIncrement) column.type = AutoNumbered(column.type);
    column.type.attributes |= extra & kGenerated;
    if (row[6] && row[6][0] == '1' && column.type.data_type == kText) {
      facts.binary_text_tables.insert(current_name);
    }
    if (row[7] && row[7][0] == '1') facts.keyed_tables.insert(current_name);
    rows.AddColumn(current, std::strtol(row[5] ? row[5] : "0", nullptr, 10), column);
  }
  if (mysql_errno(mysql) != 0) ThrowUnreadable(mysql, target);
  return facts;
}

}  // namespace

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

void ReadMysqlCatalog(MYSQL* mysql, const QString& target, CatalogTables& tables) {
  CatalogRows<QString> rows;
  const ColumnFacts facts = StageColumns(mysql, target, rows);
  const QHash<QString, bool> kinds = TableKinds(mysql, target, facts.keyed_tables);
  // Only what the names and types read after the columns call a table or a view is one. A view
  // without columns (one that no longer resolves) stays, empty; columns of anything else (a
  // sequence, or a table dropped after its columns were read) go.
  for (auto it = kinds.cbegin(); it != kinds.cend(); ++it) {
    rows.AddTable(it.key(), QString(), it.key());
    if (it.value()) rows.MarkView(it.key());
  }
  rows.DropUnless([&](const QString& table) { return kinds.contains(table); });
  QSet<QString> json_candidates;
  for (const QString& table : facts.binary_text_tables) {
    if (kinds.contains(table)) json_candidates.insert(table);
  }
  const QHash<QString, QStringList> json_columns =
      JsonCheckedColumns(mysql, target, json_candidates);
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
}

}  // namespace dataaccess
