#include "dataaccess/catalog/type_kinds.h"

#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <iterator>
#include <utility>

namespace dataaccess {
namespace {

struct KnownType {
  TypeKind kind;
  int32_t size;  // the Size when the declaration carries no parameters, unless a dialect differs
};

const QHash<QString, KnownType>& KnownTypes() {
  static const QHash<QString, KnownType> table = {
      {"BOOLEAN", {kBoolean, 1}},
      {"BOOL", {kBoolean, 1}},
      {"TINYINT", {kInteger, 1}},
      {"INT1", {kInteger, 1}},
      {"SMALLINT", {kInteger, 2}},
      {"INT2", {kInteger, 2}},
      {"SMALLSERIAL", {kInteger, 2}},
      {"SERIAL2", {kInteger, 2}},
      {"MEDIUMINT", {kInteger, 3}},
      {"INT3", {kInteger, 3}},
      {"INT", {kInteger, 4}},
      {"INTEGER", {kInteger, 4}},
      {"INT4", {kInteger, 4}},
      {"SERIAL", {kInteger, 4}},
      {"SERIAL4", {kInteger, 4}},
      {"BIGINT", {kInteger, 8}},
      {"INT8", {kInteger, 8}},
      {"BIG INT", {kInteger, 8}},
      {"BIGSERIAL", {kInteger, 8}},
      {"SERIAL8", {kInteger, 8}},
      {"DECIMAL", {kDecimal, 0}},
      {"NUMERIC", {kDecimal, 0}},
      {"DEC", {kDecimal, 0}},
      {"FIXED", {kDecimal, 0}},
      {"REAL", {kFloat, 4}},
      {"FLOAT4", {kFloat, 4}},
      {"FLOAT", {kFloat, 8}},
      {"FLOAT8", {kFloat, 8}},
      {"DOUBLE", {kFloat, 8}},
      {"DOUBLE PRECISION", {kFloat, 8}},
      {"CHAR", {kChar, 1}},
      {"CHARACTER", {kChar, 1}},
      {"NCHAR", {kChar, 1}},
      {"BPCHAR", {kChar, 1}},
      {"NATIONAL CHAR", {kChar, 1}},
      {"NATIONAL CHARACTER", {kChar, 1}},
      {"NATIVE CHARACTER", {kChar, 1}},
      {"VARCHAR", {kVarChar, 0}},
      {"CHARACTER VARYING", {kVarChar, 0}},
      {"CHAR VARYING", {kVarChar, 0}},
      {"NVARCHAR", {kVarChar, 0}},
      {"VARCHAR2", {kVarChar, 0}},
      {"NVARCHAR2", {kVarChar, 0}},
      {"VARYING CHARACTER", {kVarChar, 0}},
      {"NATIONAL VARCHAR", {kVarChar, 0}},
      {"NATIONAL CHARACTER VARYING", {kVarChar, 0}},
      {"NATIONAL CHAR VARYING", {kVarChar, 0}},
      {"TEXT", {kText, 0}},
      {"CLOB", {kText, 0}},
      {"NTEXT", {kText, 0}},
      {"TINYTEXT", {kText, 255}},
      {"MEDIUMTEXT", {kText, 16777215}},
      {"LONGTEXT", {kText, 0}},
      {"BINARY", {kBinary, 1}},
      {"VARBINARY", {kVarBinary, 0}},
      {"BINARY VARYING", {kVarBinary, 0}},
      {"BLOB", {kBlob, 0}},
      {"BYTEA", {kBlob, 0}},
      {"IMAGE", {kBlob, 0}},
      {"TINYBLOB", {kBlob, 255}},
      {"MEDIUMBLOB", {kBlob, 16777215}},
      {"LONGBLOB", {kBlob, 0}},
      {"DATE", {kDate, 4}},
      {"TIME", {kTime, 6}},
      {"TIME WITHOUT TIME ZONE", {kTime, 6}},
      {"TIMETZ", {kTimeTz, 6}},
      {"TIME WITH TIME ZONE", {kTimeTz, 6}},
      {"TIMESTAMP", {kTimestamp, 6}},
      {"DATETIME", {kTimestamp, 6}},
      {"SMALLDATETIME", {kTimestamp, 0}},
      {"TIMESTAMP WITHOUT TIME ZONE", {kTimestamp, 6}},
      {"TIMESTAMPTZ", {kTimestampTz, 6}},
      {"TIMESTAMP WITH TIME ZONE", {kTimestampTz, 6}},
      {"DATETIMEOFFSET", {kTimestampTz, 6}},
      {"UUID", {kUuid, 16}},
      {"UNIQUEIDENTIFIER", {kUuid, 16}},
      {"JSON", {kJson, 0}},
      {"MONEY", {kMoney, 8}},
      {"CURRENCY", {kMoney, 8}},
      {"SMALLMONEY", {kMoney, 4}},
      {"BIT", {kBit, 1}},
      {"VARBIT", {kVarBit, 0}},
      {"BIT VARYING", {kVarBit, 0}},
      {"XML", {kXml, 0}},
      {"ENUM", {kEnum, 0}},
      {"SET", {kSet, 0}},
      {"YEAR", {kYear, 1}},
  };
  return table;
}

// 32-bit FNV-1a over UTF-16 code units: stable across runs and machines.
uint32_t StableHash(QStringView text) {
  uint32_t hash = 2166136261u;
  for (QChar c : text) {
    hash ^= c.unicode();
    hash *= 16777619u;
  }
  return hash;
}

int32_t PositiveHash(QStringView text) {
  return static_cast<int32_t>(StableHash(text) & 0x7FFFFFFF);
}

// Each label followed by U+FFFF, a code unit that no text holds.
int32_t LabelsHash(const QStringList& labels) {
  QString joined;
  for (const QString& label : labels) joined += label + QChar(0xFFFF);
  return PositiveHash(joined);
}

// The labels of an ENUM(...) or SET(...) parameter list, unquoted. Quotes inside a label are
// doubled; MySQL's catalog also escapes a backslash with a backslash.
QStringList Labels(QStringView parameters, bool backslash_escapes) {
  QStringList labels;
  QString label;
  QChar quote;
  for (qsizetype i = 0; i < parameters.size(); ++i) {
    const QChar c = parameters[i];
    if (quote.isNull()) {
      if (c == u'\'' || c == u'"') {
        quote = c;
      } else if (c == u',') {
        labels.append(std::exchange(label, QString()));
      } else if (!c.isSpace()) {
        label += c;
      }
    } else if (i + 1 < parameters.size() &&
               ((backslash_escapes && c == u'\\') || (c == quote && parameters[i + 1] == quote))) {
      label += parameters[++i];  // an escaped or doubled character
    } else if (c == quote) {
      quote = QChar();
    } else {
      label += c;
    }
  }
  labels.append(label);
  return labels;
}

// The declaration split into its name (upper case, single spaces, modifiers removed) and the text
// between its first pair of parentheses, which keeps its letter case (enum values).
struct SplitDeclaration {
  QString base;
  QString parameters;
  bool has_parameters = false;
  bool is_unsigned = false;
  bool is_zerofill = false;
};

SplitDeclaration Split(QStringView declared) {
  SplitDeclaration out;
  QString outside;
  qsizetype open = -1;
  qsizetype depth = 0;
  QChar quote;
  for (qsizetype i = 0; i < declared.size(); ++i) {
    const QChar c = declared[i];
    if (!quote.isNull()) {
      if (c == quote) quote = QChar();
      continue;
    }
    if (depth > 0 && (c == u'\'' || c == u'"')) {
      quote = c;
    } else if (c == u'(') {
      if (depth++ == 0 && open < 0) open = i;
    } else if (c == u')' && depth > 0) {
      if (--depth == 0 && !out.has_parameters) {
        out.parameters = declared.mid(open + 1, i - open - 1).trimmed().toString();
        out.has_parameters = true;
      }
      continue;
    }
    if (depth == 0 && c != u'(') outside += c;
  }
  QStringList words = outside.toUpper().simplified().split(u' ', Qt::SkipEmptyParts);
  QStringList kept;
  for (const QString& word : words) {
    if (word == u"UNSIGNED") {
      out.is_unsigned = true;
    } else if (word == u"ZEROFILL") {
      out.is_zerofill = true;
    } else if (word != u"SIGNED") {
      kept.append(word);
    }
  }
  out.base = kept.join(u' ');
  return out;
}

QList<int> IntegerParameters(const QString& parameters) {
  QList<int> values;
  for (const QString& part : parameters.split(u',')) {
    bool ok = false;
    const int value = part.trimmed().toInt(&ok);
    if (!ok) return {};
    values.append(value);
  }
  return values;
}

int32_t SizeOf(TypeKind kind, int32_t default_size, const SplitDeclaration& d,
               TypeDialect dialect) {
  const QList<int> numbers = d.has_parameters ? IntegerParameters(d.parameters) : QList<int>{};
  switch (kind) {
    case kDecimal:
      if (numbers.isEmpty()) return 0;
      {
        // In 32 bits, wrapping: SQLite takes any precision, and one of 32768 or more would
        // overflow an int (its size is then negative).
        const auto precision = static_cast<uint32_t>(numbers[0]);
        const uint32_t scale = numbers.size() > 1 ? static_cast<uint32_t>(numbers[1]) & 0xFFFF : 0;
        return static_cast<int32_t>(precision * 65536u + scale);
      }
    case kFloat:
      if (dialect == TypeDialect::kSqlite) return 8;
      if (d.base == u"FLOAT" && numbers.size() == 1) return numbers[0] <= 24 ? 4 : 8;
      if (d.base == u"FLOAT" && (numbers.size() == 2 || dialect == TypeDialect::kMysql)) return 4;
      return default_size;
    case kText:
    case kBlob:
      if (dialect == TypeDialect::kMysql && (d.base == u"TEXT" || d.base == u"BLOB")) return 65535;
      return default_size;
    case kEnum:
    case kSet:
      return LabelsHash(Labels(d.parameters, dialect == TypeDialect::kMysql));
    default:
      if (IsTimeKind(kind)) {
        if (dialect == TypeDialect::kSqlite) return 6;
        if (numbers.size() == 1) return numbers[0];
        return dialect == TypeDialect::kMysql ? 0 : default_size;
      }
      if (TakesDeclaredLength(kind) && numbers.size() == 1) return numbers[0];
      return default_size;
  }
}

int32_t AttributesOf(int32_t kind) {
  switch (kind) {
    case kVarChar:
    case kText:
    case kVarBinary:
    case kBlob:
    case kJson:
    case kXml:
    case kVarBit:
    case kEnum:
    case kSet:
      return kVariableLength;
    case kUntyped:
      return 0;
    default:
      return kind >= kOtherBase ? 0 : kFixedLength;
  }
}

bool AllowsZeroLength(int32_t kind) {
  return kind == kVarChar || kind == kText || kind == kVarBinary || kind == kBlob || kind == kSet ||
         kind == kUntyped;
}

bool IsBooleanSpelling(const SplitDeclaration& d) {
  return d.base == u"TINYINT" && d.parameters == u"1" && !d.is_unsigned && !d.is_zerofill;
}

}  // namespace

bool IsMysqlBooleanSpelling(QStringView declared) { return IsBooleanSpelling(Split(declared)); }

QString KindName(int32_t kind) {
  static const char* const kNames[] = {
      "",          "BOOLEAN",     "INTEGER",   "DECIMAL", "FLOAT", "CHAR",   "VARCHAR",
      "TEXT",      "BINARY",      "VARBINARY", "BLOB",    "DATE",  "TIME",   "TIMETZ",
      "TIMESTAMP", "TIMESTAMPTZ", "INTERVAL",  "UUID",    "JSON",  "MONEY",  "BIT",
      "VARBIT",    "XML",         "ENUM",      "SET",     "YEAR",  "no type"};
  static_assert(std::size(kNames) == kUntyped + 1);
  return kind > 0 && kind <= kUntyped ? QLatin1String(kNames[kind]) : QString();
}

QString EngineName(TypeDialect dialect) {
  switch (dialect) {
    case TypeDialect::kSqlite:
      return QStringLiteral("sqlite");
    case TypeDialect::kPostgres:
      return QStringLiteral("postgresql");
    case TypeDialect::kMysql:
      return QStringLiteral("mysql");
    case TypeDialect::kOther:
      break;
  }
  return QString();
}

bool TakesDeclaredLength(int32_t kind) {
  return kind == kChar || kind == kVarChar || kind == kBinary || kind == kVarBinary ||
         kind == kBit || kind == kVarBit;
}

bool IsTimeKind(int32_t kind) {
  return kind == kTime || kind == kTimeTz || kind == kTimestamp || kind == kTimestampTz;
}

// SQLite's affinity of a declared type, by the engine's documented rule: the first of these
// that the name contains, in this order, decides.
enum class Affinity { kInteger, kText, kBlob, kReal, kNumeric };

Affinity SqliteAffinity(QStringView declared) {
  const QString upper = declared.toString().toUpper();
  if (upper.contains(u"INT")) return Affinity::kInteger;
  if (upper.contains(u"CHAR") || upper.contains(u"CLOB") || upper.contains(u"TEXT")) {
    return Affinity::kText;
  }
  if (upper.contains(u"BLOB") || upper.trimmed().isEmpty()) return Affinity::kBlob;
  if (upper.contains(u"REAL") || upper.contains(u"FLOA") || upper.contains(u"DOUB")) {
    return Affinity::kReal;
  }
  return Affinity::kNumeric;
}

// `type` as SQLite stores it: a spelling whose kind belongs to another affinity than the one
// its name gives takes the affinity's own kind. NUMERIC affinity keeps what the spelling says.
ColumnType WithinAffinity(ColumnType type, Affinity affinity) {
  const auto family = [&](std::initializer_list<int32_t> kinds, int32_t kind, int32_t size) {
    for (const int32_t allowed : kinds) {
      if (type.data_type == allowed) return;
    }
    type.data_type = kind;
    type.size = size;
  };
  switch (affinity) {
    case Affinity::kInteger:
      family({kInteger, kBoolean}, kInteger, 8);
      break;
    case Affinity::kText:
      family({kChar, kVarChar, kText, kJson}, kText, 0);
      break;
    case Affinity::kBlob:
      family({kBlob, kUntyped}, kBlob, 0);
      break;
    case Affinity::kReal:
      family({kFloat}, kFloat, 8);
      break;
    case Affinity::kNumeric:
      break;
  }
  return type;
}

ColumnType ClassifyDeclaredType(QStringView declared, TypeDialect dialect) {
  const SplitDeclaration d = Split(declared);
  ColumnType type;
  if (d.base.isEmpty() && !d.has_parameters) {
    type.data_type = kUntyped;
  } else if (auto it = KnownTypes().constFind(d.base); it != KnownTypes().cend()) {
    type.data_type = it->kind;
    type.size = SizeOf(it->kind, it->size, d, dialect);
    if (dialect == TypeDialect::kMysql && IsBooleanSpelling(d)) {
      type.data_type = kBoolean;
      type.size = 1;
    }
  } else if (d.base.startsWith(u"INTERVAL")) {
    type.data_type = kInterval;
    type.size = 16;
  } else {
    type.data_type = kOtherBase | static_cast<int32_t>(StableHash(d.base) & 0x3FFFFFFF);
    const QList<int> numbers = IntegerParameters(d.parameters);
    if (numbers.size() == 1) {
      type.size = numbers[0];
    } else if (d.has_parameters) {
      type.size = PositiveHash(d.parameters);
    }
  }
  if (dialect == TypeDialect::kSqlite) type = WithinAffinity(type, SqliteAffinity(declared));
  // A MySQL TIMESTAMP is an instant: kept in UTC and shown in the session's time zone.
  if (dialect == TypeDialect::kMysql && type.data_type == kTimestamp && d.base == u"TIMESTAMP") {
    type.data_type = kTimestampTz;
  }
  type.attributes = AttributesOf(type.data_type);
  if (d.is_unsigned && dialect != TypeDialect::kSqlite) type.attributes |= kUnsigned;
  // An array holds the empty array, a value distinct from NULL, as a text holds ''.
  type.allow_zero_length = AllowsZeroLength(type.data_type) || d.base.endsWith(u"[]");
  return type;
}

ColumnType AutoNumbered(ColumnType type) {
  type.attributes |= kAutoIncrement;
  return type;
}

ColumnType RowidAlias(ColumnType type) {
  type = AutoNumbered(type);
  if (type.data_type == kInteger) type.size = 0;
  return type;
}

ColumnType EnumType(const QStringList& labels) {
  return {kEnum, LabelsHash(labels), AttributesOf(kEnum), AllowsZeroLength(kEnum)};
}

ColumnType WithTypeLength(ColumnType type, int typlen) {
  if (type.data_type >= kOtherBase) type.attributes |= typlen > 0 ? kFixedLength : kVariableLength;
  return type;
}

QString JsonCheckedColumn(QStringView condition) {
  static const QRegularExpression pattern = [] {
    // A column name as SQLite or MariaDB may quote it: "x", `x`, [x] or bare.
    const QString name =
        QString::fromLatin1(R"re((?:"(?:[^"]|"")+"|`(?:[^`]|``)+`|\[[^\]]+\]|[^\s()"'`\[\]]+))re");
    const QString text =
        QString::fromLatin1(R"re(^[\s(]*(?:(?<before>%1)\s+IS\s+NULL[\s)]*OR[\s(]*)?)re"
                            R"re(JSON_VALID\s*\(\s*(?<name>%1)\s*\))re"
                            R"re((?:[\s)]*OR[\s(]*(?<after>%1)\s+IS\s+NULL)?[\s)]*$)re");
    return QRegularExpression(text.arg(name), QRegularExpression::CaseInsensitiveOption);
  }();
  const QRegularExpressionMatch match = pattern.match(condition);
  if (!match.hasMatch()) return {};
  const auto unquoted = [](QStringView name) {
    const QChar open = name.isEmpty() ? QChar() : name.front();
    if (open != u'"' && open != u'`' && open != u'[') return name.toString();
    QString inner = name.mid(1, name.size() - 2).toString();
    if (open != u'[') inner.replace(QString(2, open), QString(open));
    return inner;
  };
  QString column = unquoted(match.capturedView(u"name"));
  for (const QStringView other : {match.capturedView(u"before"), match.capturedView(u"after")}) {
    if (!other.isEmpty() && unquoted(other).compare(column, Qt::CaseInsensitive) != 0) return {};
  }
  return column;
}

ColumnType AsJson(ColumnType type) {
  if (type.data_type != kText) return type;
  type.data_type = kJson;
  type.allow_zero_length = AllowsZeroLength(kJson);
  return type;
}

ColumnType DeclaredTypeCache::Classify(const QString& declared, QString* spelling) {
  auto it = seen_.constFind(declared);
  if (it == seen_.cend()) it = seen_.insert(declared, ClassifyDeclaredType(declared, dialect_));
  if (spelling) *spelling = it.key();
  return *it;
}

ColumnType DeclaredTypeCache::Classify(QByteArrayView utf8, QString* spelling) {
  const std::string_view key(utf8.data(), static_cast<size_t>(utf8.size()));
  auto it = seen_utf8_.find(key);
  if (it == seen_utf8_.end()) {
    QString spelling_seen = QString::fromUtf8(utf8);
    const ColumnType type = ClassifyDeclaredType(spelling_seen, dialect_);
    it = seen_utf8_.emplace(std::string(key), Seen{type, std::move(spelling_seen)}).first;
  }
  if (spelling) *spelling = it->second.spelling;
  return it->second.type;
}

}  // namespace dataaccess
