#include "vantrel/core/migration_sql.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

#include "dataaccess/catalog/mysql_strings.h"
#include "dataaccess/column_rules.h"
#include "dataaccess/errors.h"
#include "dataaccess/object_rules.h"
#include "dataaccess/table_objects.h"
#include "platform/component/error.h"
#include "vantrel/core/difference.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;

QString ActionWords(dx::ReferentialAction action) {
  switch (action) {
    case dx::ReferentialAction::kNoAction:
      return QStringLiteral("NO ACTION");
    case dx::ReferentialAction::kRestrict:
      return QStringLiteral("RESTRICT");
    case dx::ReferentialAction::kCascade:
      return QStringLiteral("CASCADE");
    case dx::ReferentialAction::kSetNull:
      return QStringLiteral("SET NULL");
    case dx::ReferentialAction::kSetDefault:
      return QStringLiteral("SET DEFAULT");
  }
  return QStringLiteral("NO ACTION");
}

// "(10,2)" from a decimal's Size (precision * 65536 + scale); empty when not declared.
QString DecimalParameters(int32_t size) {
  if (size == 0) return QString();
  return u'(' + QString::number(size >> 16) + u',' + QString::number(size & 0xFFFF) + u')';
}

QString Length(int32_t size) { return size > 0 ? u'(' + QString::number(size) + u')' : QString(); }

// A time kind's fractional digits where they are not the engine's default.
QString Fraction(int32_t size, TypeDialect target) {
  const int32_t engine_default = target == TypeDialect::kMysql ? 0 : 6;
  return size == engine_default ? QString() : Length(size) + (size == 0 ? "(0)" : "");
}

QString IntegerType(int32_t size, TypeDialect target) {
  // SQLite keeps the width it is told, and takes INTEGER PRIMARY KEY alone for its rowid.
  if (target == TypeDialect::kSqlite && size == 0) return QStringLiteral("INTEGER");
  if (target == TypeDialect::kPostgres) {
    if (size == 8 || size == 0) return QStringLiteral("bigint");
    return size <= 2 ? QStringLiteral("smallint") : QStringLiteral("integer");
  }
  switch (size) {
    case 1:
      return QStringLiteral("TINYINT");
    case 2:
      return QStringLiteral("SMALLINT");
    case 3:
      return QStringLiteral("MEDIUMINT");
    case 4:
      return QStringLiteral("INT");
    default:
      return QStringLiteral("BIGINT");
  }
}

}  // namespace

TypeDialect DialectOfEngine(const QString& engine) {
  for (const TypeDialect dialect :
       {TypeDialect::kSqlite, TypeDialect::kPostgres, TypeDialect::kMysql}) {
    if (engine == dx::EngineName(dialect)) return dialect;
  }
  return TypeDialect::kOther;
}

QString MigrationSql::Name(const QString& name) const {
  if (target_ == TypeDialect::kMysql) {
    return u'`' + QString(name).replace(u'`', QStringLiteral("``")) + u'`';
  }
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString MigrationSql::TableName(const QString& report_name) const {
  // Only PostgreSQL names tables outside its default schema "schema.table".
  const qsizetype dot = report_name.indexOf(u'.');
  if (target_ != TypeDialect::kPostgres || dot <= 0) return Name(report_name);
  return Name(report_name.left(dot)) + u'.' + Name(report_name.mid(dot + 1));
}

QString MigrationSql::Names(const QStringList& names) const {
  QStringList quoted;
  for (const QString& name : names) quoted.append(Name(name));
  return quoted.join(QStringLiteral(", "));
}

QString MigrationSql::Literal(const QString& text) const {
  QString escaped = text;
  escaped.replace(u'\'', QStringLiteral("''"));
  // MySQL reads a backslash in a string as an escape unless told otherwise.
  if (target_ == TypeDialect::kMysql) escaped.replace(u'\\', QStringLiteral("\\\\"));
  return u'\'' + escaped + u'\'';
}

bool MigrationSql::IsKeyColumn(const dx::DataTable& table, const dx::DataColumn& column) const {
  const dx::TableObjects* objects = table.Objects();
  return objects != nullptr && objects->primary_key &&
         objects->primary_key->columns.contains(column.Name(), Qt::CaseInsensitive);
}

namespace {

// MySQL's types of a text or bytes without a length, which an index holds only by a prefix of
// each value (MariaDB makes a unique one a hash of the whole, which serves no foreign key).
bool IsUnboundedMysqlType(const QString& type) {
  static const QRegularExpression unbounded(
      QStringLiteral(R"(^(TINY|MEDIUM|LONG)?(TEXT|BLOB)\b|^JSON\b)"));
  return unbounded.match(type).hasMatch();
}

// The index of `table` that holds the whole of `column`, as the script names it; empty when none
// does (MariaDB's hash of a long unique value aside).
QString IndexHoldingWhole(const dx::DataTable& table, const dx::DataColumn& column) {
  const dx::TableObjects* objects = table.Objects();
  if (objects == nullptr) return QString();
  for (const dx::IndexDefinition& index : objects->indexes) {
    if (index.method.compare(QLatin1String("HASH"), Qt::CaseInsensitive) == 0) continue;
    for (const dx::IndexPart& part : index.parts) {
      if (part.prefix_length == 0 && column.IsNamed(part.column)) {
        return "index '" + index.name + u'\'';
      }
    }
  }
  return QString();
}

}  // namespace

bool MigrationSql::IsRowidKey(const dx::DataTable& table, const dx::DataColumn& column) const {
  if (target_ != TypeDialect::kSqlite || column.DataType() != dx::kInteger) return false;
  const dx::TableObjects* objects = table.Objects();
  return (column.Attributes() & dx::kAutoIncrement) != 0 && objects != nullptr &&
         objects->primary_key && objects->primary_key->columns.size() == 1 &&
         column.IsNamed(objects->primary_key->columns.front());
}

QStringList MigrationSql::LabelsOf(const dx::DataColumn& column) {
  const QStringList labels = column.EnumerationLabels();
  return labels.isEmpty() ? LabelsSpelledIn(column.DeclaredType()) : labels;
}

QString MigrationSql::LabelsCheck(const dx::DataColumn& column) const {
  if (SameEngine() || target_ != TypeDialect::kSqlite || column.DataType() != dx::kEnum) {
    return QString();
  }
  QStringList labels = LabelsOf(column);
  if (labels.isEmpty()) return QString();
  for (QString& label : labels) label = Literal(label);
  return "CHECK (" + Name(column.Name()) + " IN (" + labels.join(QStringLiteral(", ")) + "))";
}

QString MigrationSql::TypeOf(const dx::DataColumn& column, QStringList* unwritten) const {
  if (SameEngine()) return column.DeclaredType();
  const qsizetype before = unwritten->size();
  QString type = TypeAcross(column, unwritten);
  // The type written must hold what the column holds: the type table says whether it does.
  const dx::ColumnType written = dx::ClassifyDeclaredType(type, target_);
  const bool any_width =
      column.DataType() == dx::kInteger && (column.Size() == 0 || source_ == TypeDialect::kSqlite);
  const bool checked_labels = !LabelsCheck(column).isEmpty();
  const bool sign_lost =
      (column.Attributes() & dx::kUnsigned) != 0 && (written.attributes & dx::kUnsigned) == 0;
  if (unwritten->size() == before && !checked_labels && !type.isEmpty() &&
      ((!any_width && (written.data_type != column.DataType() || written.size != column.Size())) ||
       sign_lost)) {
    unwritten->append(OtherValues(column, type));
  }
  return type;
}

QString MigrationSql::OtherValues(const dx::DataColumn& column, const QString& type) {
  return "the type " + column.DeclaredType() + " of field '" + column.Name() + "' (" + type +
         " holds other values)";
}

QString MigrationSql::TypeAcross(const dx::DataColumn& column, QStringList* unwritten) const {
  const int32_t size = column.Size();
  const bool unsigned_number = (column.Attributes() & dx::kUnsigned) != 0;
  const bool pg = target_ == TypeDialect::kPostgres;
  const bool my = target_ == TypeDialect::kMysql;
  const auto cannot = [&](const QString& what) {
    unwritten->append("the type " +
                      (column.DeclaredType().isEmpty() ? what : column.DeclaredType()) +
                      " of field '" + column.Name() + "'");
    return QStringLiteral("TEXT");
  };
  switch (column.DataType()) {
    case dx::kBoolean:
      return pg ? QStringLiteral("boolean") : QStringLiteral("BOOLEAN");
    case dx::kInteger:
      // SQLite keeps any 64-bit integer whatever the width declared, and a server's BIGINT
      // matches it (SizesMatch): every SQLite integer is written so, which narrows no field of
      // the target and lets a foreign key's two ends agree, as MariaDB requires.
      if (source_ == TypeDialect::kSqlite) return IntegerType(8, target_);
      if (unsigned_number && target_ == TypeDialect::kPostgres) {
        // An unsigned integer's values need the next wider signed type.
        return IntegerType(size >= 4 || size == 0 ? 8 : size * 2, target_);
      }
      return IntegerType(size, target_) + (unsigned_number && my ? " UNSIGNED" : "");
    case dx::kDecimal:
      // MySQL's DECIMAL without digits is DECIMAL(10,0); only PostgreSQL has one of any size.
      if (my && size == 0) return cannot(QStringLiteral("DECIMAL"));
      return (pg ? QStringLiteral("numeric") : QStringLiteral("DECIMAL")) +
             DecimalParameters(size) + (unsigned_number && my ? " UNSIGNED" : "");
    case dx::kFloat:
      if (pg) return size == 4 ? QStringLiteral("real") : QStringLiteral("double precision");
      return size == 4 ? QStringLiteral("FLOAT")
                       : (my ? QStringLiteral("DOUBLE") : QStringLiteral("REAL"));
    case dx::kChar:
      return (pg ? QStringLiteral("character") : QStringLiteral("CHAR")) + Length(size);
    case dx::kVarChar:
      if (size == 0) return pg ? QStringLiteral("character varying") : QStringLiteral("TEXT");
      return (pg ? QStringLiteral("character varying") : QStringLiteral("VARCHAR")) + Length(size);
    case dx::kText:
      if (pg) return QStringLiteral("text");
      if (my) {
        if (size == 255) return QStringLiteral("TINYTEXT");
        if (size == 16777215) return QStringLiteral("MEDIUMTEXT");
        return QStringLiteral("LONGTEXT");
      }
      return QStringLiteral("TEXT");
    case dx::kBinary:
      if (pg) return cannot(QStringLiteral("BINARY"));
      return "BINARY" + Length(size);
    case dx::kVarBinary:
      if (pg) return size == 0 ? QStringLiteral("bytea") : cannot(QStringLiteral("VARBINARY"));
      return size == 0 ? QStringLiteral("BLOB") : "VARBINARY" + Length(size);
    case dx::kBlob:
      if (pg) return QStringLiteral("bytea");
      return my ? QStringLiteral("LONGBLOB") : QStringLiteral("BLOB");
    case dx::kDate:
      return pg ? QStringLiteral("date") : QStringLiteral("DATE");
    case dx::kTime:
      return (pg ? QStringLiteral("time") : QStringLiteral("TIME")) + Fraction(size, target_);
    case dx::kTimestamp:
      if (pg) return "timestamp" + Fraction(size, target_);
      return (my ? QStringLiteral("DATETIME") : QStringLiteral("TIMESTAMP")) +
             Fraction(size, target_);
    case dx::kTimestampTz:
      if (pg) return "timestamp" + Fraction(size, target_) + " with time zone";
      if (my) return "TIMESTAMP" + Fraction(size, target_);
      return cannot(QStringLiteral("TIMESTAMP WITH TIME ZONE"));
    case dx::kUuid:
      return pg ? QStringLiteral("uuid") : QStringLiteral("UUID");
    case dx::kJson:
      return pg ? QStringLiteral("json") : QStringLiteral("JSON");
    case dx::kEnum: {
      QStringList labels = LabelsOf(column);
      if (labels.isEmpty()) return cannot(QStringLiteral("enumeration"));
      // SQLite has no enumeration: a text that a check holds to the labels is one
      // (LabelsCheck), and compares as one.
      if (target_ == TypeDialect::kSqlite) return QStringLiteral("TEXT");
      if (!my) return cannot(QStringLiteral("enumeration"));
      for (QString& label : labels) label = Literal(label);
      return "ENUM(" + labels.join(u',') + u')';
    }
    case dx::kUntyped:
      return target_ == TypeDialect::kSqlite ? QString() : cannot(QStringLiteral("untyped"));
    default:
      return cannot(column.DeclaredType());
  }
}

QString MigrationSql::ColumnType(const dx::DataTable& table, const dx::DataColumn& column,
                                 QStringList* unwritten) const {
  QString type = TypeOf(column, unwritten);
  const dx::TableObjects* objects = table.Objects();
  const dx::ColumnDetails* details =
      objects != nullptr ? objects->DetailsOf(column.Name()) : nullptr;
  if (details != nullptr && details->collation) {
    if (!SameEngine()) {
      // Across engines a collation that behaves as its database's default compares equal to the
      // target's default (rule 14 of column_rules.h), as does MariaDB's JSON collation.
      if (!dx::CollationOf(dx::EngineName(source_), details, column.DataType(), source_objects_)
               .departs_observably) {
        return type;
      }
      unwritten->append("the collation " + details->collation->name + " of field '" +
                        column.Name() + "'");
    } else if (target_ == TypeDialect::kMysql) {
      type += " COLLATE " + details->collation->name;
    } else {
      type += " COLLATE " + (target_ == TypeDialect::kPostgres ? Name(details->collation->name)
                                                               : details->collation->name);
    }
  }
  return type;
}

QString MigrationSql::DefaultOf(const dx::DataTable& table, const dx::DataColumn& column,
                                QStringList* unwritten) const {
  const dx::TableObjects* objects = table.Objects();
  const dx::ColumnDetails* details =
      objects != nullptr ? objects->DetailsOf(column.Name()) : nullptr;
  if (details == nullptr || details->default_value.isNull()) return QString();
  if (SameEngine()) return details->default_value;
  // MySQL escapes in strings with a backslash; the standard spelling holds each string's value.
  const QString value = source_ == TypeDialect::kMysql
                            ? dx::MysqlStringsAsStandard(details->default_value)
                            : details->default_value;
  // Across engines: literals, NULL and the current time, the spellings every engine takes.
  static const QRegularExpression kLiteral(
      QStringLiteral(R"(^\(*\s*('(?:[^']|'')*'|[-+]?[0-9]+(?:\.[0-9]+)?)\s*\)*)"
                     R"((?:::(?:"[^"]+"|[a-z_][a-z0-9_ .]*)(?:\([0-9, ]*\))?(?:\[\])?)*\)*$)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression kNow(
      QStringLiteral(R"(^\(*\s*(now\(\)|current_timestamp(\(\d*\))?|localtimestamp)\s*\)*$)"),
      QRegularExpression::CaseInsensitiveOption);
  const QString trimmed = value.trimmed();
  if (kNow.match(trimmed).hasMatch()) return QStringLiteral("CURRENT_TIMESTAMP");
  // The current date and time of day, however the source spells them (curdate(),
  // date('now')); MySQL takes them as a default only in parentheses.
  const QString meaning = dx::DefaultMeaning(value, column.DataType(), column.Size(), true);
  // No default: NULL, or a sequence's nextval(), the numbering the type writes (AUTO_INCREMENT).
  if (meaning.isEmpty()) return QString();
  // SQLite's datetime('now') is the current timestamp, as every engine's CURRENT_TIMESTAMP.
  if (meaning == u"@current timestamp") return QStringLiteral("CURRENT_TIMESTAMP");
  for (const auto& [clock, words] :
       {std::pair{"@current date", "CURRENT_DATE"}, std::pair{"@current time", "CURRENT_TIME"}}) {
    if (meaning != QLatin1String(clock)) continue;
    return target_ == TypeDialect::kMysql ? u'(' + QLatin1String(words) + u')'
                                          : QString::fromLatin1(words);
  }
  if (trimmed.compare(u"NULL", Qt::CaseInsensitive) == 0) return QString();
  const bool boolean = column.DataType() == dx::kBoolean;
  if (boolean && (trimmed.compare(u"true", Qt::CaseInsensitive) == 0 ||
                  trimmed.compare(u"false", Qt::CaseInsensitive) == 0)) {
    const bool yes = trimmed.compare(u"true", Qt::CaseInsensitive) == 0;
    if (target_ == TypeDialect::kPostgres) return yes ? "true" : "false";
    return yes ? QStringLiteral("1") : QStringLiteral("0");
  }
  const QRegularExpressionMatch literal = kLiteral.match(trimmed);
  if (literal.hasMatch()) {
    QString text = literal.captured(1);
    if (boolean && target_ == TypeDialect::kPostgres && (text == u"1" || text == u"0")) {
      return text == u"1" ? QStringLiteral("true") : QStringLiteral("false");
    }
    if (text.startsWith(u'\'')) {
      return Literal(
          text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")));
    }
    return text;
  }
  unwritten->append("the default " + value + " of field '" + column.Name() + "'");
  return QString();
}

SqliteTableOptions SqliteTableOptions::Of(const dx::TableObjects* objects) {
  if (objects == nullptr) return {};
  return {objects->autoincrement, objects->without_rowid, objects->strict};
}

QString MigrationSql::ColumnDefinition(const dx::DataTable& table, const dx::DataColumn& column,
                                       const SqliteTableOptions* inline_key,
                                       QStringList* unwritten) const {
  QString definition = Name(column.Name());
  if (!column.Required() && target_ != TypeDialect::kSqlite && IsKeyColumn(table, column)) {
    unwritten->append("NULL in field '" + column.Name() + "' of a primary key");
  }
  const int32_t attributes = column.Attributes();
  const bool numbered = (attributes & dx::kAutoIncrement) != 0;
  const dx::TableObjects* objects = table.Objects();
  const dx::ColumnDetails* details =
      objects != nullptr ? objects->DetailsOf(column.Name()) : nullptr;
  if (numbered && (attributes & dx::kAlwaysNumbered) && target_ != TypeDialect::kPostgres) {
    unwritten->append("the numbering of field '" + column.Name() +
                      "', which refuses the values an insert gives (GENERATED ALWAYS)");
  }
  if (inline_key != nullptr && IsRowidKey(table, column)) {
    // SQLite numbers a rowid alias from any 64-bit integer; it has no UNSIGNED to refuse the
    // negative ones with.
    if ((attributes & dx::kUnsigned) != 0) unwritten->append(OtherValues(column, "INTEGER"));
    definition += " INTEGER PRIMARY KEY";
    if (inline_key->autoincrement) definition += " AUTOINCREMENT";
    return definition;
  }
  QString type = ColumnType(table, column, unwritten);
  if (target_ == TypeDialect::kMysql && IsUnboundedMysqlType(type)) {
    if (const QString index = IsKeyColumn(table, column) ? QStringLiteral("the primary key")
                                                         : IndexHoldingWhole(table, column);
        !index.isEmpty()) {
      unwritten->append("field '" + column.Name() + "' as " + type.section(u' ', 0, 0) +
                        ", which " + index + " holds whole: an index holds only a prefix of " +
                        "such a field");
    }
  }
  QString default_value = DefaultOf(table, column, unwritten);
  if (numbered && target_ == TypeDialect::kPostgres) {
    // PostgreSQL numbers a column by identity; a nextval() default is the engine's own doing.
    if (default_value.startsWith(u"nextval(")) default_value.clear();
    if (default_value.isEmpty()) {
      type += (attributes & dx::kAlwaysNumbered) ? " GENERATED ALWAYS AS IDENTITY"
                                                 : " GENERATED BY DEFAULT AS IDENTITY";
    }
  }
  if (!type.isEmpty()) definition += u' ' + type;
  if (details != nullptr && details->generation) {
    bool portable = true;
    const QString expression =
        Expression(details->generation->expression, &table, nullptr, &portable);
    if (!portable) {
      unwritten->append("the generation of field '" + column.Name() + "'");
    } else {
      definition += " GENERATED ALWAYS AS (" + expression + u')';
      if (details->generation->stored) {
        definition += " STORED";
      } else if (target_ != TypeDialect::kPostgres) {
        definition += " VIRTUAL";
      } else {
        unwritten->append("the VIRTUAL generation of field '" + column.Name() + "'");
      }
    }
  }
  if (column.Required()) definition += " NOT NULL";
  if (!default_value.isEmpty()) definition += " DEFAULT " + default_value;
  if (const QString check = LabelsCheck(column); !check.isEmpty()) definition += u' ' + check;
  if (details != nullptr && !details->on_update.isEmpty()) {
    if (target_ == TypeDialect::kMysql) {
      definition += " ON UPDATE " + details->on_update;
    } else {
      unwritten->append("ON UPDATE " + details->on_update + " of field '" + column.Name() + "'");
    }
  }
  if (numbered && target_ == TypeDialect::kMysql) definition += " AUTO_INCREMENT";
  if (numbered && target_ == TypeDialect::kSqlite && !IsRowidKey(table, column)) {
    unwritten->append("the numbering of field '" + column.Name() + "'");
  }
  return definition;
}

QString MigrationSql::PrimaryKeyClause(const dx::PrimaryKeyDefinition& key) const {
  QString clause;
  if (!key.name.isEmpty() && target_ == TypeDialect::kPostgres) {
    clause = "CONSTRAINT " + Name(key.name) + u' ';
  }
  return clause + "PRIMARY KEY (" + Names(key.columns) + u')';
}

QString MigrationSql::UniqueClause(const dx::IndexDefinition& index, QStringList* unwritten) const {
  QStringList columns;
  for (const dx::IndexPart& part : index.parts) columns.append(part.column);
  QString clause;
  if (!index.name.isEmpty() && target_ != TypeDialect::kSqlite &&
      !dx::IsEngineMadeName(index.name)) {
    clause = "CONSTRAINT " + Name(index.name) + u' ';
  }
  const QString nulls = NullsNotDistinct(index, unwritten);
  return clause + "UNIQUE " + (nulls.isEmpty() ? QString() : nulls + u' ') + u'(' + Names(columns) +
         u')' + Included(index, "the unique key ", unwritten);
}

QString MigrationSql::NullsNotDistinct(const dx::IndexDefinition& index,
                                       QStringList* unwritten) const {
  if (!index.nulls_not_distinct) return QString();
  if (target_ == TypeDialect::kPostgres) return QStringLiteral("NULLS NOT DISTINCT");
  unwritten->append("NULLS NOT DISTINCT of the unique key " + index.name +
                    ", which refuses a second NULL");
  return QString();
}

QString MigrationSql::Included(const dx::IndexDefinition& index, const char* what,
                               QStringList* unwritten) const {
  if (index.included.isEmpty()) return QString();
  if (target_ == TypeDialect::kPostgres) return " INCLUDE (" + Names(index.included) + u')';
  unwritten->append("the INCLUDE columns of " + QLatin1String(what) + index.name);
  return QString();
}

QString MigrationSql::CheckClause(const dx::CheckDefinition& check, const dx::DataTable& table,
                                  const dx::DataTable* target, QStringList* unwritten) const {
  bool portable = true;
  const QString written = Expression(check.expression, &table, target, &portable);
  if (!portable) unwritten->append("the check " + check.expression);
  QString clause;
  if (!check.name.isEmpty() && target_ != TypeDialect::kSqlite &&
      !dx::IsEngineMadeName(check.name)) {
    clause = "CONSTRAINT " + Name(check.name) + u' ';
  }
  QString expression = written.trimmed();
  if (!(expression.startsWith(u'(') && expression.endsWith(u')'))) {
    expression = u'(' + expression + u')';
  }
  return clause + "CHECK " + expression;
}

QString MigrationSql::ForeignKeyClause(const dx::ForeignKeyDefinition& key,
                                       QStringList* unwritten) const {
  QString clause;
  if (!key.name.isEmpty() && target_ != TypeDialect::kSqlite && !dx::IsEngineMadeName(key.name)) {
    clause = "CONSTRAINT " + Name(key.name) + u' ';
  }
  clause +=
      "FOREIGN KEY (" + Names(key.columns) + ") REFERENCES " + TableName(key.referenced_table);
  if (!key.referenced_columns.isEmpty()) clause += " (" + Names(key.referenced_columns) + u')';
  if (key.match_full && target_ != TypeDialect::kMysql) clause += " MATCH FULL";
  if (key.on_delete != dx::ReferentialAction::kNoAction) {
    clause += " ON DELETE " + ActionWords(key.on_delete);
  }
  if (key.on_update != dx::ReferentialAction::kNoAction) {
    clause += " ON UPDATE " + ActionWords(key.on_update);
  }
  if (key.deferrable) {
    if (target_ == TypeDialect::kMysql) {
      unwritten->append(QStringLiteral("a DEFERRABLE foreign key"));
    } else {
      clause += key.initially_deferred ? " DEFERRABLE INITIALLY DEFERRED" : " DEFERRABLE";
    }
  }
  return clause;
}

bool MigrationSql::HasRowidKey(const dx::DataTable& table) const {
  const auto columns = table.Columns().Enumerate();
  while (const dx::DataColumn* column = columns->Next()) {
    if (IsRowidKey(table, *column)) return true;
  }
  return false;
}

QString MigrationSql::CreateTable(const dx::DataTable& table, const QString& name,
                                  bool foreign_keys, QStringList* unwritten,
                                  const SqliteTableOptions* options) const {
  QStringList lines;
  const dx::TableObjects* objects = table.Objects();
  const SqliteTableOptions own = SqliteTableOptions::Of(objects);
  if (options == nullptr) options = &own;
  bool key_inline = false;
  // MariaDB names a field's own check (its JSON's json_valid(), say) after the field. Written
  // with the field, it stays the field's own: a later MODIFY of the field replaces it, where
  // MariaDB would add a second one, of the same name, beside a check of the table.
  std::vector<const dx::CheckDefinition*> inline_checks;
  if (objects != nullptr && target_ == TypeDialect::kMysql && SameEngine()) {
    for (const dx::CheckDefinition& check : objects->checks) {
      if (check.name.isEmpty()) continue;
      try {
        table.Columns().Item(check.name);
        inline_checks.push_back(&check);
      } catch (const component::Error& error) {
        if (error.number() != dx::kItemNotFound) throw;  // no field of that name: the table's
      }
    }
  }
  const auto columns = table.Columns().Enumerate();
  while (const dx::DataColumn* column = columns->Next()) {
    key_inline = key_inline || IsRowidKey(table, *column);
    QString line = ColumnDefinition(table, *column, options, unwritten);
    for (const dx::CheckDefinition* check : inline_checks) {
      if (column->IsNamed(check->name)) {
        const QString clause = CheckClause(*check, table, nullptr, unwritten);
        line += u' ' + clause.mid(clause.indexOf(QLatin1String("CHECK ")));
      }
    }
    lines.append(line);
  }
  if (objects != nullptr) {
    if (objects->primary_key && !key_inline) lines.append(PrimaryKeyClause(*objects->primary_key));
    for (const dx::IndexDefinition& index : objects->indexes) {
      if (index.origin == dx::IndexDefinition::Origin::kUniqueConstraint) {
        lines.append(UniqueClause(index, unwritten));
      } else if (index.origin == dx::IndexDefinition::Origin::kExclusionConstraint) {
        unwritten->append("the exclusion constraint " + index.name);
      }
    }
    if (foreign_keys) {
      for (const dx::ForeignKeyDefinition& key : objects->foreign_keys) {
        lines.append(ForeignKeyClause(key, unwritten));
      }
    }
    for (const dx::CheckDefinition& check : objects->checks) {
      if (std::find(inline_checks.begin(), inline_checks.end(), &check) != inline_checks.end()) {
        continue;
      }
      lines.append(CheckClause(check, table, nullptr, unwritten));
    }
  }
  QString sql = "CREATE " +
                QString(objects != nullptr && objects->unlogged && target_ == TypeDialect::kPostgres
                            ? "UNLOGGED "
                            : "") +
                "TABLE " + TableName(name) + " (\n  " + lines.join(QStringLiteral(",\n  ")) + "\n)";
  if (target_ == TypeDialect::kSqlite) {
    QStringList written;
    if (options->without_rowid) {
      // SQLite refuses a table WITHOUT ROWID that has no primary key.
      if (objects == nullptr || !objects->primary_key) {
        unwritten->append(QStringLiteral("WITHOUT ROWID on a table without a primary key"));
      }
      written.append(QStringLiteral("WITHOUT ROWID"));
    }
    if (options->strict) written.append(QStringLiteral("STRICT"));
    if (!written.isEmpty()) sql += u' ' + written.join(QStringLiteral(", "));
  }
  return sql + u';';
}

QString MigrationSql::SequenceOptions(const dx::SequenceDefinition& sequence) const {
  qint64 minimum = sequence.minimum;
  qint64 maximum = sequence.maximum;
  const bool mysql = target_ == TypeDialect::kMysql;
  if (mysql) {
    // MariaDB keeps a sequence within one less than a 64-bit integer's range on either end;
    // PostgreSQL's full range is the same unbounded sequence, and compares equal to it.
    minimum = std::max(minimum, std::numeric_limits<qint64>::min() + 1);
    maximum = std::min(maximum, std::numeric_limits<qint64>::max() - 1);
  }
  // MariaDB writes NOCYCLE where PostgreSQL writes NO CYCLE, and takes no other spelling.
  const char* const no_cycle = mysql ? " NOCYCLE" : " NO CYCLE";
  return " INCREMENT BY " + QString::number(sequence.increment) + " MINVALUE " +
         QString::number(minimum) + " MAXVALUE " + QString::number(maximum) + " START WITH " +
         QString::number(sequence.start) + (sequence.cycle ? " CYCLE" : no_cycle);
}

QString MigrationSql::CreateIndex(const QString& table, const dx::IndexDefinition& index,
                                  QStringList* unwritten) const {
  QStringList parts;
  for (const dx::IndexPart& part : index.parts) {
    QString term;
    if (part.column.isEmpty()) {
      if (!SameEngine()) unwritten->append("the expression " + part.expression + " of an index");
      term = u'(' + part.expression + u')';
    } else {
      term = Name(part.column);
      if (part.prefix_length > 0 && target_ == TypeDialect::kMysql) {
        term += u'(' + QString::number(part.prefix_length) + u')';
      }
    }
    if (!part.collation.isEmpty()) {
      if (SameEngine()) {
        term += " COLLATE " +
                (target_ == TypeDialect::kPostgres ? Name(part.collation) : part.collation);
      } else {
        unwritten->append("the collation " + part.collation + " of an index");
      }
    }
    if (!part.operator_class.isEmpty()) {
      if (target_ == TypeDialect::kPostgres && SameEngine()) {
        term += u' ' + part.operator_class;
      } else {
        unwritten->append("the operator class " + part.operator_class);
      }
    }
    if (part.descending) term += " DESC";
    // Where NULLs sort is compared within one engine only: elsewhere each engine's own place.
    if (part.nulls_reversed && target_ == TypeDialect::kPostgres && SameEngine()) {
      term += part.descending ? " NULLS LAST" : " NULLS FIRST";
    }
    parts.append(term);
  }
  const bool other_method = !index.method.isEmpty() && index.method != u"btree";
  // MySQL names a FULLTEXT or SPATIAL index by its kind and a HASH one after its columns.
  const bool mysql_kind = target_ == TypeDialect::kMysql && SameEngine() &&
                          (index.method == u"fulltext" || index.method == u"spatial");
  QString sql = QStringLiteral("CREATE ") + (index.unique ? "UNIQUE " : "") +
                (mysql_kind ? index.method.toUpper() + u' ' : QString()) + "INDEX " +
                Name(index.name) + " ON " + TableName(table);
  if (other_method && target_ == TypeDialect::kPostgres && SameEngine()) {
    sql += " USING " + index.method;
  }
  sql += " (" + parts.join(QStringLiteral(", ")) + u')';
  if (other_method && target_ == TypeDialect::kMysql && SameEngine() && !mysql_kind) {
    sql += " USING " + index.method.toUpper();
  }
  if (other_method && !SameEngine()) unwritten->append("the index method " + index.method);
  sql += Included(index, "index ", unwritten);
  if (const QString nulls = NullsNotDistinct(index, unwritten); !nulls.isEmpty()) {
    sql += u' ' + nulls;
  }
  if (!index.predicate.isEmpty()) {
    if (target_ == TypeDialect::kMysql) {
      unwritten->append("a partial index (WHERE " + index.predicate + u')');
    } else {
      bool portable = true;
      const QString predicate = Expression(index.predicate, nullptr, nullptr, &portable);
      if (!portable) unwritten->append("the index condition " + index.predicate);
      sql += " WHERE " + predicate;
    }
  }
  return sql + u';';
}

QString MigrationSql::CreateTrigger(const QString& table, const dx::TriggerDefinition& trigger,
                                    QStringList* unwritten) const {
  if (!SameEngine()) {
    unwritten->append("the trigger " + trigger.name + ", whose body is written for another engine");
  }
  QString sql = "CREATE TRIGGER " + Name(trigger.name) + u' ' + trigger.timing + u' ' +
                trigger.events.join(QStringLiteral(" OR "));
  if (!trigger.update_columns.isEmpty()) sql += " OF " + trigger.update_columns.join(", ");
  sql += " ON " + TableName(table);
  if (target_ != TypeDialect::kSqlite || !trigger.for_each_row) {
    sql += trigger.for_each_row ? " FOR EACH ROW" : " FOR EACH STATEMENT";
  }
  if (!trigger.when.isEmpty()) {
    sql += target_ == TypeDialect::kPostgres ? " WHEN (" + trigger.when + u')'
                                             : " WHEN " + trigger.when;
  }
  QString body = trigger.body;
  // PostgreSQL's body names its function first; the function's source follows on its own line.
  if (target_ == TypeDialect::kPostgres) body = body.section(u'\n', 0, 0);
  sql += u' ' + body;
  return sql.endsWith(u';') ? sql : sql + u';';
}

QString MigrationSql::CreateView(const QString& name, const QString& query,
                                 QStringList* unwritten) const {
  if (!SameEngine()) {
    unwritten->append("the view " + name + ", whose query is another engine's SQL");
  }
  QString body = query.trimmed();
  // MySQL keeps a view's query with its tables named in their database's name: read in another
  // database, they would still be the first one's.
  if (target_ == TypeDialect::kMysql && !source_database_.isEmpty()) {
    body.replace(Name(source_database_) + u'.', QString());
  }
  while (body.endsWith(u';')) body.chop(1);
  return "CREATE VIEW " + TableName(name) + " AS " + body + u';';
}

}  // namespace vantrel
