#include "dataaccess/odbc/odbc_catalog.h"

#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"
#include "dataaccess/server/server_table_name.h"

namespace dataaccess {
namespace {

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

class Statement {
 public:
  Statement(const OdbcSession& session, const QString& target) : target_(target) {
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, session.connection(), &handle_))) {
      throw CatalogUnreadableError(target, QString());
    }
  }
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  SQLHSTMT handle() const { return handle_; }

  void Check(SQLRETURN rc) const {
    if (Succeeded(rc)) return;
    throw CatalogUnreadableError(target_, OdbcDiagnostics(SQL_HANDLE_STMT, handle_));
  }

  // Ends the current result so that the handle can run the next catalog function.
  void Close() const { SQLFreeStmt(handle_, SQL_CLOSE); }

  SQLSMALLINT ResultColumns() const {
    SQLSMALLINT count = 0;
    SQLNumResultCols(handle_, &count);
    return count;
  }

  bool Fetch() const {
    const SQLRETURN rc = SQLFetch(handle_);
    if (rc == SQL_NO_DATA) return false;
    Check(rc);
    return true;
  }

  // A text column of the current row; NULL reads as empty, and as a null string where `null`
  // is asked for (any other value is then a string that is not null, even an empty one).
  QString Text(SQLUSMALLINT column, bool null = false) const {
    QString value;
    if (null) value = QString::fromUtf8("");
    SQLWCHAR buffer[256];
    for (;;) {
      SQLLEN length = 0;
      const SQLRETURN rc =
          SQLGetData(handle_, column, SQL_C_WCHAR, buffer, sizeof(buffer), &length);
      if (length == SQL_NULL_DATA) return null ? QString() : value;
      if (rc == SQL_NO_DATA) return value;
      Check(rc);
      const qsizetype room = static_cast<qsizetype>(sizeof(buffer) / sizeof(SQLWCHAR)) - 1;
      const qsizetype units = length == SQL_NO_TOTAL ? room : std::min<qsizetype>(length / 2, room);
      value += QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
      if (rc == SQL_SUCCESS) return value;
    }
  }

  // The 1-based number of the result column of that name, or 0 when there is none.
  SQLUSMALLINT ColumnNamed(QStringView wanted) const {
    const SQLSMALLINT count = ResultColumns();
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
      SQLWCHAR name[128] = {};
      SQLSMALLINT length = 0;
      SQLSMALLINT type = 0;
      SQLULEN size = 0;
      SQLSMALLINT digits = 0;
      SQLSMALLINT nullable = 0;
      if (!Succeeded(
              SQLDescribeColW(handle_, i, name, 128, &length, &type, &size, &digits, &nullable))) {
        continue;
      }
      const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                              std::min<SQLSMALLINT>(length, 127));
      if (text.compare(wanted, Qt::CaseInsensitive) == 0) return i;
    }
    return 0;
  }

  // An integer column of the current row, or `missing` when it is NULL.
  long Integer(SQLUSMALLINT column, long missing) const {
    SQLINTEGER value = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(handle_, column, SQL_C_SLONG, &value, sizeof(value), &indicator));
    return indicator == SQL_NULL_DATA ? missing : value;
  }

 private:
  QString target_;
  SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

bool IsEngineSchema(const QString& schema) {
  static const QSet<QString> engine = {"information_schema", "pg_catalog", "sys",     "mysql",
                                       "performance_schema", "guest",      "db_owner"};
  const QString folded = schema.toLower();
  return engine.contains(folded) || folded.startsWith(u"pg_toast") ||
         folded.startsWith(u"pg_temp_") || folded.startsWith(u"db_");
}

// SQLTables' TABLE_TYPE values that hold a user's data or a view of it.
bool IsUserTableType(const QString& type) {
  const QString upper = type.toUpper();
  if (upper.startsWith(u"SYSTEM") || upper.contains(u"TEMPORARY")) return false;
  return upper.contains(u"TABLE") || upper.contains(u"VIEW");
}

QString DefaultSchema(const OdbcSession& session) {
  const QString dbms = session.Info(SQL_DBMS_NAME);
  QString schema;
  if (dbms.contains(u"PostgreSQL", Qt::CaseInsensitive)) {
    schema = session.QueryText(QStringLiteral("SELECT coalesce(current_schema(), 'public')"));
  } else if (dbms.contains(u"SQL Server", Qt::CaseInsensitive)) {
    schema = session.QueryText(QStringLiteral("SELECT SCHEMA_NAME()"));
  }
  return schema.isEmpty() ? session.Info(SQL_USER_NAME) : schema;
}

QString Key(const QString& schema, const QString& table) { return schema + QChar(0) + table; }

// A PostgreSQL default that numbers the column: nextval() of any sequence, in any cast.
bool IsSequenceDefault(QStringView text) {
  while (text.startsWith(u'(')) text = text.mid(1);
  if (text.startsWith(u"pg_catalog.", Qt::CaseInsensitive)) text = text.mid(11);
  return text.startsWith(u"nextval(", Qt::CaseInsensitive);
}

}  // namespace

ColumnType ClassifyOdbcType(const OdbcTypeRow& row, TypeDialect dialect) {
  QString declared = row.type_name.trimmed();
  const QString lower = declared.toLower();
  // SQL Server reports an identity column's type as "int identity".
  if (lower.endsWith(u" identity")) declared.chop(9);
  if (lower == u"serial" || lower == u"serial4") declared = QStringLiteral("integer");
  if (lower == u"bigserial" || lower == u"serial8") declared = QStringLiteral("bigint");
  if (lower == u"smallserial" || lower == u"serial2") declared = QStringLiteral("smallint");
  if (declared.contains(u'(')) return ClassifyDeclaredType(declared, dialect);
  // Only the kinds whose Size is a declared length or precision take one from the driver; the
  // length a driver reports for, say, an inet column is a display width. DECIMAL_DIGITS of a
  // time kind is the precision in effect, declared or the engine's default.
  const int32_t kind = ClassifyDeclaredType(declared, dialect).data_type;
  if (IsTimeKind(kind)) {
    if (row.decimal_digits >= 0) declared += QStringLiteral("(%1)").arg(row.decimal_digits);
  } else if (row.has_modifier && TakesDeclaredLength(kind) && row.column_size > 0) {
    declared += QStringLiteral("(%1)").arg(row.column_size);
  } else if (row.has_modifier && kind == kDecimal && row.column_size > 0) {
    declared += QStringLiteral("(%1,%2)").arg(row.column_size).arg(std::max(row.decimal_digits, 0));
  }
  return ClassifyDeclaredType(declared, dialect);
}

TypeDialect DialectOfDbms(const QString& dbms_name) {
  if (dbms_name.contains(u"PostgreSQL", Qt::CaseInsensitive)) return TypeDialect::kPostgres;
  if (dbms_name.contains(u"MySQL", Qt::CaseInsensitive) ||
      dbms_name.contains(u"MariaDB", Qt::CaseInsensitive)) {
    return TypeDialect::kMysql;
  }
  if (dbms_name.contains(u"SQLite", Qt::CaseInsensitive)) return TypeDialect::kSqlite;
  return TypeDialect::kOther;
}

namespace {

// At most this many tables' columns are asked of the driver at once. Drivers answer SQLColumns
// from a result they hold whole (psqlODBC builds it row by row, about 2.5 KB a column, whatever
// its fetch options say): 10,000 tables in one call cost 440 MB. A batch of 500 tables costs a
// few tens of MB, and one more catalog query of a few milliseconds.
constexpr size_t kTablesPerColumnsCall = 500;

// A table-name pattern for SQLColumns and the tables (keys) it was made for. Other tables the
// pattern happens to match too (a driver that matches without regard to case) are not its own.
struct ColumnsCall {
  QString table_pattern;  // empty: every table
  QSet<QString> tables;
};

struct ListedTable {
  QString key;
  QString name;
};

// Splits `tables` (all sharing the first `depth` characters of their names) into calls of at
// most kTablesPerColumnsCall tables each, by the next character of their names, where the names
// allow. `escape` is the driver's search-pattern escape.
void SplitByPrefix(std::vector<ListedTable> tables, qsizetype depth, const QString& escape,
                   std::vector<ColumnsCall>& calls) {
  const auto pattern = [&](QStringView prefix, bool whole) {
    QString text;
    for (const QChar c : prefix) {
      if (c == u'%' || c == u'_' || QStringView(escape) == QStringView(&c, 1)) text += escape;
      text += c;
    }
    return whole ? text : text + u'%';
  };
  if (tables.size() <= kTablesPerColumnsCall) {
    ColumnsCall call{pattern(QStringView(tables.front().name).left(depth), false), {}};
    for (const ListedTable& table : tables) call.tables.insert(table.key);
    calls.push_back(std::move(call));
    return;
  }
  std::sort(tables.begin(), tables.end(),
            [](const ListedTable& a, const ListedTable& b) { return a.name < b.name; });
  size_t begin = 0;
  while (begin < tables.size()) {
    const QString& first = tables[begin].name;
    // Names that end at the prefix are matched exactly; the rest by their next character.
    // A character outside the Basic Multilingual Plane is two UTF-16 units, never split.
    const bool ends = first.size() == depth;
    const qsizetype width = !ends && first.at(depth).isHighSurrogate() ? 2 : 1;
    const QStringView next = QStringView(first).mid(depth, width);
    size_t end = begin + 1;
    while (end < tables.size() &&
           (ends ? tables[end].name.size() == depth
                 : QStringView(tables[end].name).mid(depth, width) == next)) {
      ++end;
    }
    std::vector<ListedTable> group(tables.begin() + static_cast<std::ptrdiff_t>(begin),
                                   tables.begin() + static_cast<std::ptrdiff_t>(end));
    if (ends) {
      ColumnsCall call{pattern(first, true), {}};
      for (const ListedTable& table : group) call.tables.insert(table.key);
      calls.push_back(std::move(call));
    } else {
      SplitByPrefix(std::move(group), depth + width, escape, calls);
    }
    begin = end;
  }
}

// A column's default as COLUMN_DEF gives it, kept until the catalog is filled.
struct ColumnDefault {
  QString schema;
  QString table;
  QString column;
  QString value;
};

// With `defaults`, the columns that have a default are added to it.
void ReadColumns(const OdbcSession& session, const QString& target, TypeDialect dialect,
                 const ColumnsCall& call, CatalogRows<QString>& rows,
                 std::vector<ColumnDefault>* defaults) {
  Statement statement(session, target);
  const std::u16string pattern = call.table_pattern.toStdU16String();
  auto* table_pattern = call.table_pattern.isEmpty()
                            ? nullptr
                            : reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(pattern.c_str()));
  // With a table given, psqlODBC looks in the schemas of the search path alone unless the
  // schema, too, is a pattern: every schema is asked for.
  std::u16string every_schema = u"%";
  auto* schema_pattern = table_pattern ? reinterpret_cast<SQLWCHAR*>(every_schema.data()) : nullptr;
  statement.Check(SQLColumnsW(statement.handle(), nullptr, 0, schema_pattern,
                              schema_pattern ? SQL_NTS : 0, table_pattern,
                              table_pattern ? SQL_NTS : 0, nullptr, 0));
  // Drivers may add columns after the standard 18; psqlODBC's say whether a column numbers
  // itself and whether its type was declared with a length or precision at all.
  const SQLUSMALLINT auto_increment_column = statement.ColumnNamed(u"AUTO_INCREMENT");
  const SQLUSMALLINT modifier_column = statement.ColumnNamed(u"TYPMOD");
  while (statement.Fetch()) {
    // SQLGetData must read the columns in ascending order.
    const QString schema = statement.Text(2);
    const QString table_name = statement.Text(3);
    const QString key = Key(schema, table_name);
    if (!call.tables.isEmpty() && !call.tables.contains(key)) continue;
    const std::optional<size_t> table = rows.Find(key);
    if (!table) continue;
    ServerColumn column;
    column.name = statement.Text(4);
    OdbcTypeRow type;
    type.data_type = static_cast<int>(statement.Integer(5, 0));
    type.type_name = statement.Text(6);
    type.column_size = statement.Integer(7, -1);
    type.decimal_digits = static_cast<int>(statement.Integer(9, -1));
    column.required = statement.Integer(11, SQL_NULLABLE_UNKNOWN) == SQL_NO_NULLS;
    const QString column_default = statement.Text(13, defaults != nullptr);
    const long ordinal = statement.Integer(17, 0);
    const bool numbered =
        auto_increment_column > 0 && statement.Integer(auto_increment_column, 0) == 1;
    if (modifier_column > 0) type.has_modifier = statement.Integer(modifier_column, -1) != -1;
    column.type = ClassifyOdbcType(type, dialect);
    column.declared_type = type.type_name;
    const QString type_name = type.type_name.toLower();
    if (numbered || type_name.contains(u"serial") || type_name.endsWith(u" identity") ||
        IsSequenceDefault(column_default)) {
      column.type = AutoNumbered(column.type);
    }
    if (defaults && !column_default.isNull()) {
      defaults->push_back({schema, table_name, column.name, column_default});
    }
    rows.AddColumn(*table, ordinal, column);
  }
}

// A table whose keys and indexes are asked for, named as SQLTables gave it.
struct ObjectsTable {
  QString catalog;
  QString schema;
  QString name;
};

// A name argument of a catalog function that is not a pattern: null when empty, which leaves
// the catalog or schema to the driver (the current one, or none on a driver without them).
class NameArgument {
 public:
  explicit NameArgument(const QString& text) : text_(text.toStdU16String()) {}
  SQLWCHAR* data() { return text_.empty() ? nullptr : reinterpret_cast<SQLWCHAR*>(text_.data()); }
  SQLSMALLINT length() const { return text_.empty() ? 0 : SQL_NTS; }

 private:
  std::u16string text_;
};

ReferentialAction ActionOfRule(long rule) {
  switch (rule) {
    case SQL_CASCADE:
      return ReferentialAction::kCascade;
    case SQL_RESTRICT:
      return ReferentialAction::kRestrict;
    case SQL_SET_NULL:
      return ReferentialAction::kSetNull;
    case SQL_SET_DEFAULT:
      return ReferentialAction::kSetDefault;
    default:
      return ReferentialAction::kNoAction;
  }
}

// Reads primary keys, indexes and foreign keys with the catalog functions ODBC has for them,
// which take one table each: three calls a table, on one statement handle reused throughout.
// ODBC has no function for check constraints, and SQLStatistics cannot tell a unique
// constraint's index from a unique index (all are kIndex, as on MySQL).
class ObjectReader {
 public:
  ObjectReader(const OdbcSession& session, const QString& target, QString default_schema)
      : statement_(session, target), default_schema_(std::move(default_schema)) {
    const auto supported = [&](SQLUSMALLINT function) {
      SQLUSMALLINT yes = SQL_FALSE;
      return Succeeded(SQLGetFunctions(session.connection(), function, &yes)) && yes == SQL_TRUE;
    };
    if (supported(SQL_API_SQLPRIMARYKEYS)) kinds_ |= kPrimaryKeys;
    if (supported(SQL_API_SQLSTATISTICS)) kinds_ |= kIndexes;
    if (supported(SQL_API_SQLFOREIGNKEYS)) kinds_ |= kForeignKeys;
  }

  // The kinds read. Whether a foreign key is deferrable counts as read only when the driver
  // gave one of the three DEFERRABILITY values for every key: drivers of ODBC 2 have no such
  // column, and some leave it NULL.
  int Kinds() const {
    const bool deferrability = foreign_key_rows_ > 0 && deferrability_known_;
    return kinds_ | (deferrability ? kForeignKeyDeferrability : 0);
  }

  void Read(const ObjectsTable& table, CatalogTable& into) {
    TableObjects objects;
    if (kinds_ & kPrimaryKeys) objects.primary_key = PrimaryKey(table);
    if (kinds_ & kIndexes) objects.indexes = Indexes(table, into, objects.primary_key);
    if (kinds_ & kForeignKeys) objects.foreign_keys = ForeignKeys(table);
    if (!objects.IsEmpty()) into.MutableObjects() = std::move(objects);
  }

 private:
  std::optional<PrimaryKeyDefinition> PrimaryKey(const ObjectsTable& table) {
    NameArgument catalog(table.catalog), schema(table.schema), name(table.name);
    statement_.Check(SQLPrimaryKeysW(statement_.handle(), catalog.data(), catalog.length(),
                                     schema.data(), schema.length(), name.data(), name.length()));
    std::vector<std::pair<long, QString>> columns;
    QString key_name;
    while (statement_.Fetch()) {
      QString column = statement_.Text(4);
      const long sequence = statement_.Integer(5, 0);
      key_name = statement_.Text(6);
      columns.emplace_back(sequence, std::move(column));
    }
    statement_.Close();
    if (columns.empty()) return std::nullopt;
    std::stable_sort(columns.begin(), columns.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    PrimaryKeyDefinition key{key_name, {}};
    for (auto& column : columns) key.columns.append(std::move(column.second));
    return key;
  }

  std::vector<IndexDefinition> Indexes(const ObjectsTable& table, const CatalogTable& columns_of,
                                       const std::optional<PrimaryKeyDefinition>& primary_key) {
    NameArgument catalog(table.catalog), schema(table.schema), name(table.name);
    statement_.Check(SQLStatisticsW(statement_.handle(), catalog.data(), catalog.length(),
                                    schema.data(), schema.length(), name.data(), name.length(),
                                    SQL_INDEX_ALL, SQL_QUICK));
    const bool has_filter = statement_.ResultColumns() >= 13;
    std::vector<IndexDefinition> indexes;
    std::vector<std::vector<std::pair<long, IndexPart>>> parts;
    QHash<QString, size_t> by_name;
    while (statement_.Fetch()) {
      const bool unique = statement_.Integer(4, SQL_TRUE) == SQL_FALSE;
      QString index_name = statement_.Text(6);
      if (statement_.Integer(7, SQL_TABLE_STAT) == SQL_TABLE_STAT) continue;
      const long position = statement_.Integer(8, 0);
      const QString key = statement_.Text(9);
      const QString order = statement_.Text(10);
      const QString filter = has_filter ? statement_.Text(13) : QString();
      auto slot = by_name.constFind(index_name);
      if (slot == by_name.cend()) {
        IndexDefinition index;
        index.name = index_name;
        index.unique = unique;
        index.predicate = filter;
        slot = by_name.insert(index_name, indexes.size());
        indexes.push_back(std::move(index));
        parts.emplace_back();
      }
      IndexPart part;
      // A key that names no column of the table is an expression, in the driver's spelling.
      (IsColumn(columns_of, key) ? part.column : part.expression) = key;
      part.descending = order.startsWith(u'D', Qt::CaseInsensitive);
      parts[*slot].emplace_back(position, std::move(part));
    }
    statement_.Close();
    for (size_t i = 0; i < indexes.size(); ++i) {
      std::stable_sort(parts[i].begin(), parts[i].end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto& part : parts[i]) indexes[i].parts.push_back(std::move(part.second));
    }
    // The index behind the primary key: unique, on the key's columns in the key's order, and
    // of the key's name where the driver names the key.
    if (primary_key) {
      const auto backing = std::find_if(indexes.begin(), indexes.end(), [&](const auto& index) {
        if (!index.unique || index.parts.size() != size_t(primary_key->columns.size())) {
          return false;
        }
        if (!primary_key->name.isEmpty() && index.name != primary_key->name) return false;
        for (size_t i = 0; i < index.parts.size(); ++i) {
          if (index.parts[i].column != primary_key->columns[qsizetype(i)]) return false;
        }
        return true;
      });
      if (backing != indexes.end()) indexes.erase(backing);
    }
    return indexes;
  }

  static bool IsColumn(const CatalogTable& table, const QString& name) {
    const auto columns = table.Columns().Enumerate();
    while (const DataColumn* column = columns->Next()) {
      if (column->Name() == name) return true;
    }
    return false;
  }

  std::vector<ForeignKeyDefinition> ForeignKeys(const ObjectsTable& table) {
    NameArgument catalog(table.catalog), schema(table.schema), name(table.name);
    statement_.Check(SQLForeignKeysW(statement_.handle(), nullptr, 0, nullptr, 0, nullptr, 0,
                                     catalog.data(), catalog.length(), schema.data(),
                                     schema.length(), name.data(), name.length()));
    const bool has_deferrability = statement_.ResultColumns() >= 14;
    std::vector<ForeignKeyDefinition> keys;
    std::vector<std::vector<std::pair<long, std::pair<QString, QString>>>> columns;
    QHash<QString, size_t> by_name;
    while (statement_.Fetch()) {
      const QString referenced_schema = statement_.Text(2);
      const QString referenced_table = statement_.Text(3);
      QString referenced_column = statement_.Text(4);
      QString column = statement_.Text(8);
      const long sequence = statement_.Integer(9, 0);
      const long update_rule = statement_.Integer(10, SQL_NO_ACTION);
      const long delete_rule = statement_.Integer(11, SQL_NO_ACTION);
      const QString key_name = statement_.Text(12);
      const long deferrability = has_deferrability ? statement_.Integer(14, -1) : -1;
      ++foreign_key_rows_;
      // A key is its name and the table it references; a nameless one starts at KEY_SEQ 1.
      const QString identity =
          referenced_schema + QChar(0) + referenced_table + QChar(0) + key_name;
      auto slot = by_name.constFind(identity);
      if (slot == by_name.cend() || (key_name.isEmpty() && sequence <= 1)) {
        ForeignKeyDefinition key;
        key.name = key_name;
        key.referenced_table =
            ServerTableName(default_schema_, referenced_schema, referenced_table);
        key.on_update = ActionOfRule(update_rule);
        key.on_delete = ActionOfRule(delete_rule);
        if (deferrability == SQL_INITIALLY_DEFERRED || deferrability == SQL_INITIALLY_IMMEDIATE ||
            deferrability == SQL_NOT_DEFERRABLE) {
          key.deferrable = deferrability != SQL_NOT_DEFERRABLE;
          key.initially_deferred = deferrability == SQL_INITIALLY_DEFERRED;
        } else {
          deferrability_known_ = false;
        }
        slot = by_name.insert(identity, keys.size());
        keys.push_back(std::move(key));
        columns.emplace_back();
      }
      columns[*slot].emplace_back(sequence,
                                  std::pair(std::move(column), std::move(referenced_column)));
    }
    statement_.Close();
    for (size_t i = 0; i < keys.size(); ++i) {
      std::stable_sort(columns[i].begin(), columns[i].end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto& pair : columns[i]) {
        keys[i].columns.append(std::move(pair.second.first));
        keys[i].referenced_columns.append(std::move(pair.second.second));
      }
    }
    return keys;
  }

  Statement statement_;
  QString default_schema_;
  int kinds_ = 0;
  long foreign_key_rows_ = 0;
  bool deferrability_known_ = true;
};

}  // namespace

int ReadOdbcCatalog(const OdbcSession& session, const QString& target, CatalogTables& tables,
                    bool with_objects) {
  const QString default_schema = DefaultSchema(session);
  const TypeDialect dialect = DialectOfDbms(session.Info(SQL_DBMS_NAME));
  CatalogRows<QString> rows;
  std::vector<ListedTable> listed;
  std::vector<ObjectsTable> keyed_tables;
  {
    Statement statement(session, target);
    statement.Check(SQLTablesW(statement.handle(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
    while (statement.Fetch()) {
      QString catalog = statement.Text(1);
      QString schema = statement.Text(2);
      QString name = statement.Text(3);
      const QString type = statement.Text(4);
      if (IsEngineSchema(schema) || !IsUserTableType(type)) continue;
      const QString key = Key(schema, name);
      listed.push_back({key, name});
      // Views have no keys or indexes of their own.
      if (type.contains(u"VIEW", Qt::CaseInsensitive)) {
        rows.AddTable(key, std::move(schema), std::move(name));
        rows.MarkView(key);
      } else {
        keyed_tables.push_back({std::move(catalog), schema, name});
        rows.AddTable(key, std::move(schema), std::move(name));
      }
    }
  }
  // A driver without a search-pattern escape cannot be asked for a part of its tables safely:
  // it is asked for all at once.
  const QString escape = session.Info(SQL_SEARCH_PATTERN_ESCAPE);
  std::vector<ColumnsCall> calls;
  if (listed.size() <= kTablesPerColumnsCall || escape.size() != 1) {
    calls.push_back(ColumnsCall{});
  } else {
    SplitByPrefix(std::move(listed), 0, escape, calls);
  }
  // The defaults cost memory only where objects are asked for.
  std::vector<ColumnDefault> defaults;
  for (const ColumnsCall& call : calls) {
    ReadColumns(session, target, dialect, call, rows, with_objects ? &defaults : nullptr);
  }
  rows.Fill(tables, default_schema);
  if (!with_objects) return 0;
  ObjectReader objects(session, target, default_schema);
  for (const ObjectsTable& table : keyed_tables) {
    // A table seen twice (a driver that lists it once per matching pattern) is read once.
    CatalogTable* into =
        tables.FindExact(ServerTableName(default_schema, table.schema, table.name));
    if (into != nullptr && into->Objects() == nullptr) objects.Read(table, *into);
  }
  // After the keys, which take a table's objects whole. A column a driver gives twice (as it may
  // list a table twice) is kept once.
  for (ColumnDefault& found : defaults) {
    CatalogTable* table =
        tables.FindExact(ServerTableName(default_schema, found.schema, found.table));
    if (table == nullptr) continue;
    std::vector<ColumnDetails>& columns = table->MutableObjects().columns;
    const auto same = [&](const ColumnDetails& known) { return known.column == found.column; };
    if (std::any_of(columns.begin(), columns.end(), same)) continue;
    ColumnDetails& details = columns.emplace_back();
    details.column = std::move(found.column);
    details.default_value = std::move(found.value);
  }
  // SQLColumns tells every column's default (COLUMN_DEF), and nothing else of a column's
  // details, views or triggers.
  return objects.Kinds() | kDefaults;
}

}  // namespace dataaccess
