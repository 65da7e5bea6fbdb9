#include "dataaccess/odbc/odbc_catalog.h"

#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"

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

  bool Fetch() const {
    const SQLRETURN rc = SQLFetch(handle_);
    if (rc == SQL_NO_DATA) return false;
    Check(rc);
    return true;
  }

  // A text column of the current row; NULL reads as empty.
  QString Text(SQLUSMALLINT column) const {
    QString value;
    SQLWCHAR buffer[256];
    for (;;) {
      SQLLEN length = 0;
      const SQLRETURN rc =
          SQLGetData(handle_, column, SQL_C_WCHAR, buffer, sizeof(buffer), &length);
      if (rc == SQL_NO_DATA || length == SQL_NULL_DATA) return value;
      Check(rc);
      const qsizetype room = static_cast<qsizetype>(sizeof(buffer) / sizeof(SQLWCHAR)) - 1;
      const qsizetype units = length == SQL_NO_TOTAL ? room : std::min<qsizetype>(length / 2, room);
      value += QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), units);
      if (rc == SQL_SUCCESS) return value;
    }
  }

  // The 1-based number of the result column of that name, or 0 when there is none.
  SQLUSMALLINT ColumnNamed(QStringView wanted) const {
    SQLSMALLINT count = 0;
    SQLNumResultCols(handle_, &count);
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

void ReadOdbcCatalog(const OdbcSession& session, const QString& target, CatalogTables& tables) {
  const QString default_schema = DefaultSchema(session);
  const TypeDialect dialect = DialectOfDbms(session.Info(SQL_DBMS_NAME));
  CatalogRows<QString> rows;
  {
    Statement statement(session, target);
    statement.Check(SQLTablesW(statement.handle(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
    while (statement.Fetch()) {
      QString schema = statement.Text(2);
      QString name = statement.Text(3);
      if (IsEngineSchema(schema) || !IsUserTableType(statement.Text(4))) continue;
      const QString key = Key(schema, name);
      rows.AddTable(key, std::move(schema), std::move(name));
    }
  }
  {
    Statement statement(session, target);
    statement.Check(
        SQLColumnsW(statement.handle(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0));
    // Drivers may add columns after the standard 18; psqlODBC's say whether a column numbers
    // itself and whether its type was declared with a length or precision at all.
    const SQLUSMALLINT auto_increment_column = statement.ColumnNamed(u"AUTO_INCREMENT");
    const SQLUSMALLINT modifier_column = statement.ColumnNamed(u"TYPMOD");
    while (statement.Fetch()) {
      // SQLGetData must read the columns in ascending order.
      const QString schema = statement.Text(2);
      const QString table_name = statement.Text(3);
      const std::optional<size_t> table = rows.Find(Key(schema, table_name));
      if (!table) continue;
      ServerColumn column;
      column.name = statement.Text(4);
      OdbcTypeRow type;
      type.data_type = static_cast<int>(statement.Integer(5, 0));
      type.type_name = statement.Text(6);
      type.column_size = statement.Integer(7, -1);
      type.decimal_digits = static_cast<int>(statement.Integer(9, -1));
      column.required = statement.Integer(11, SQL_NULLABLE_UNKNOWN) == SQL_NO_NULLS;
      const QString column_default = statement.Text(13);
      const long ordinal = statement.Integer(17, 0);
      const bool numbered =
          auto_increment_column > 0 && statement.Integer(auto_increment_column, 0) == 1;
      if (modifier_column > 0) type.has_modifier = statement.Integer(modifier_column, -1) != -1;
      column.type = ClassifyOdbcType(type, dialect);
      column.declared_type = type.type_name;
      const QString type_name = type.type_name.toLower();
      if (numbered || type_name.contains(u"serial") || type_name.endsWith(u" identity") ||
          column_default.startsWith(u"nextval(", Qt::CaseInsensitive)) {
        column.type = AutoNumbered(column.type);
      }
      rows.AddColumn(*table, ordinal, std::move(column));
    }
  }
  rows.Fill(tables, default_schema);
}

}  // namespace dataaccess
