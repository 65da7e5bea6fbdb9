// The one table of column types that every driver maps onto.
//
// A column's declared type, in any engine's spelling, becomes a ColumnType: a kind code
// (DataColumn::DataType), a Size and the type's share of the attribute bits. The same kind of
// column therefore compares equal across engines and spellings (INT, INTEGER and int4 are all
// kInteger of Size 4; VARCHAR(20) and character varying(20) are both kVarChar of Size 20), while
// different kinds always differ.
//
// clang-format off
//  kind         code  spellings (case-insensitive)                 Size
//  kBoolean        1  BOOLEAN BOOL                                 1
//  kInteger        2  TINYINT INT1 | SMALLINT INT2 SMALLSERIAL     byte width 1 | 2 | 3 | 4 | 8
//                     SERIAL2 | MEDIUMINT INT3 | INT INTEGER INT4  (a display width, INT(11), is
//                     SERIAL SERIAL4 | BIGINT INT8 BIG INT         ignored); 0 for an SQLite
//                     BIGSERIAL SERIAL8                            rowid alias, see below
//  kDecimal        3  DECIMAL NUMERIC DEC FIXED                    precision * 65536 + scale, 0
//                                                                  when not declared; in 32
//                                                                  bits, wrapping (SQLite takes
//                                                                  any precision)
//  kFloat          4  REAL FLOAT4 | FLOAT FLOAT8 DOUBLE            4 | 8; FLOAT(p) is 4 for
//                     DOUBLE PRECISION                             p <= 24, else 8
//  kChar           5  CHAR CHARACTER NCHAR BPCHAR                  declared length, 1 if none
//                     NATIONAL CHAR[ACTER]
//  kVarChar        6  VARCHAR CHARACTER VARYING CHAR VARYING       declared length, 0 if none
//                     NVARCHAR VARCHAR2 NVARCHAR2
//                     VARYING CHARACTER NATIONAL VARCHAR
//  kText           7  TEXT CLOB NTEXT TINYTEXT MEDIUMTEXT          0 (no limit), except TINYTEXT
//                     LONGTEXT                                     255, MEDIUMTEXT 16777215
//  kBinary         8  BINARY                                       declared length, 1 if none
//  kVarBinary      9  VARBINARY BINARY VARYING                     declared length, 0 if none
//  kBlob          10  BLOB BYTEA IMAGE TINYBLOB MEDIUMBLOB         0 (no limit), except TINYBLOB
//                     LONGBLOB                                     255, MEDIUMBLOB 16777215
//  kDate          11  DATE                                         4
//  kTime          12  TIME, TIME WITHOUT TIME ZONE                 fractional-second digits kept:
//  kTimeTz        13  TIMETZ TIME WITH TIME ZONE                   the declared precision
//  kTimestamp     14  TIMESTAMP DATETIME SMALLDATETIME             (TIMESTAMP(3) is 3), else the
//                     TIMESTAMP WITHOUT TIME ZONE                  engine's default, see below
//                                                                  (SMALLDATETIME: 0)
//  kTimestampTz   15  TIMESTAMPTZ TIMESTAMP WITH TIME ZONE
//                     DATETIMEOFFSET; MySQL TIMESTAMP, see below
//  kInterval      16  INTERVAL (with any field list)               16
//  kUuid          17  UUID UNIQUEIDENTIFIER                        16
//  kJson          18  JSON                                         0; JSON kept as text has the
//                                                                  text's Size, see below
//  kMoney         19  MONEY CURRENCY | SMALLMONEY                  8 | 4
//  kBit           20  BIT                                          declared length, 1 if none
//  kVarBit        21  VARBIT BIT VARYING                           declared length, 0 if none
//  kXml           22  XML                                          0
//  kEnum          23  ENUM(...)                                    hash of the labels, in order
//  kSet           24  SET(...)                                     hash of the labels, in order
//  kYear          25  YEAR                                         1
//  kUntyped       26  no declared type at all                      0
//  other  0x40000000+ any other name: the code is a hash of the    the declared length, or a
//                     name, so two columns share it only when      hash of the parameters
//                     their types are spelled alike (inet and
//                     cidr differ); type arrays ("integer[]") too
//
// clang-format on
// What a column holds besides its type, its default, collation and generation, compares by the
// rules of dataaccess/column_rules.h, which stand beside this table.
//
// Enumeration labels are compared unquoted: ENUM('a', 'b'), enum('a','b') and a PostgreSQL enum
// type of the labels a, b are the same type; the labels' order and letter case count.
//
// Attribute bits (DataColumn::Attributes):
//   kFixedLength    0x0001  a fixed-width kind: boolean, integer, decimal, float, char, binary,
//                           date and time kinds, interval, uuid, money, bit, year
//   kVariableLength 0x0002  varchar, text, varbinary, blob, json, xml, varbit, enum, set
//   kAutoIncrement  0x0010  the engine numbers new rows itself (serial, identity, AUTO_INCREMENT,
//                           an SQLite rowid alias); set by the drivers, not by the type
//   kGenerated      0x0020  a generated (computed) column; set by the drivers
//   kAlwaysNumbered 0x0040  with kAutoIncrement: the engine refuses a value an insert gives
//                           (PostgreSQL GENERATED ALWAYS AS IDENTITY); set by the drivers
//   kUnsigned       0x0100  an UNSIGNED integer or decimal
// A type of another name has neither length bit, except on PostgreSQL, see below; where one
// side of a comparison does not tell the length, the length bits are not compared (AttributesMatch
// in comparison_rules.h).
//
// AllowZeroLength is true for the kinds that can hold an empty value distinct from NULL and
// store it as such: varchar, text, varbinary, blob and untyped, and likewise a SET (the empty
// set '') and an array of any type (the empty array '{}'), on every engine; false for every
// other kind (fixed-length char pads the empty text).
//
// What the spelling alone does not say. Each catalog reader classifies with its engine's
// TypeDialect and applies the catalog facts below, so that a column compares as what it holds:
// equal where every engine stores the same values, different where one would store a value
// differently.
//
// - Columns the engine numbers (AutoNumbered) keep their width: a 32-bit key overflows where a
//   64-bit one does not, so serial against bigserial, or INT AUTO_INCREMENT against BIGINT
//   AUTO_INCREMENT, differ in Size; a column that only gained or lost its numbering (serial
//   against integer) differs in Attributes alone. The one exception is the SQLite rowid alias
//   (RowidAlias): an INTEGER PRIMARY KEY is the table's rowid, which holds any 64-bit integer
//   whatever the declaration says, so SQLite cannot tell whether the application meant a 32- or
//   a 64-bit key; the same model gets a serial, an identity or an AUTO_INCREMENT column of either
//   width on the other engines. A rowid alias has Size 0, and SizesMatch (comparison_rules.h)
//   lets it match an engine-numbered integer of any width; against a plain integer it differs.
// - PostgreSQL numbering. A default of nextval(...) numbers the column exactly as serial does,
//   whether or not the sequence is OWNED BY the column and whatever cast surrounds the call:
//   hand-written schemas create the sequence first and set the default. The late-bound
//   nextval('s'::text) names no sequence until it runs, and numbers nothing here. An identity
//   column GENERATED ALWAYS refuses a value an insert gives, GENERATED BY DEFAULT (and serial)
//   takes it: kAlwaysNumbered tells them apart.
// - PostgreSQL domains compare as their base type, with the domain's own length and precision,
//   and a domain's NOT NULL makes the column required: a domain's name is the schema author's,
//   what it stores is its base type's (a domain called year is an integer, not MySQL's YEAR).
// - SQLite affinity. SQLite decides how a column stores values by its documented affinity rule
//   (the declared name contains "INT": INTEGER; else "CHAR", "CLOB" or "TEXT": TEXT; else "BLOB"
//   or no type: BLOB; else "REAL", "FLOA" or "DOUB": REAL; else NUMERIC), whatever else the name
//   says. The rule applies first; the spelling then picks the kind only within that affinity:
//   BLOB SUB_TYPE TEXT is a text, POINT and INTERVAL are integers, an unknown name of NUMERIC
//   affinity keeps its own kind.
// - Views across engines: a view's column types are what its engine inferred, so across engines
//   its columns compare by name, position and NOT NULL only (ComparesColumnTypes in
//   comparison_rules.h, which holds the rules that need both sides of a comparison).
// - MySQL/MariaDB TIMESTAMP is an instant, like PostgreSQL's timestamp with time zone: it is
//   stored in UTC and converted by the session's time zone (DATETIME is not). It is kTimestampTz.
// - SQLite floating point. Every declared type of REAL affinity (REAL, FLOAT, DOUBLE, ...) stores
//   an 8-byte IEEE double: Size 8. PostgreSQL real and MySQL FLOAT keep 4 bytes and differ.
// - SQLite UNSIGNED. SQLite keeps the words of a declared type but not their meaning: an
//   INTEGER UNSIGNED column stores negative values. kUnsigned is never set on SQLite.
// - SQLite fractional seconds. SQLite stores a date and time as the text or number it is given,
//   every digit kept, whatever precision is declared: time kinds are Size 6, the microseconds
//   that the server engines keep at most.
// - PostgreSQL fractional seconds. time and timestamp without a precision keep microseconds: 6.
// - MySQL/MariaDB fractional seconds. DATETIME, TIME and TIMESTAMP without a precision keep
//   whole seconds (the server drops .123456): 0. A precision the engine's default equals is the
//   same type as none (timestamp(6) is timestamp on PostgreSQL, datetime(0) is datetime).
// - MySQL/MariaDB tinyint(1). The server keeps BOOL and BOOLEAN as tinyint(1), and its catalog
//   says only that: a signed tinyint(1) without ZEROFILL is kBoolean. With UNSIGNED or ZEROFILL,
//   or another display width, it is an integer: BOOLEAN never becomes one of those.
// - MySQL/MariaDB FLOAT without digits is the 4-byte single precision (PostgreSQL's float is a
//   double): Size 4.
// - MySQL/MariaDB TEXT and BLOB hold at most 65,535 bytes: Size 65535, beside TINYTEXT 255 and
//   MEDIUMTEXT 16777215 (LONGTEXT and LONGBLOB, up to 4 GB, count as unlimited: 0).
// - JSON kept as text (JsonCheckedColumn, AsJson). MariaDB stores a JSON column as LONGTEXT
//   COLLATE utf8mb4_bin with CHECK (json_valid(column)), and SQLite, which has no JSON type, is
//   given TEXT with the same check. A kText column held by exactly that check is kJson, of its
//   text's Size. The check may add "OR column IS NULL", which changes nothing (a CHECK passes on
//   NULL); any other condition makes it an ordinary text. MariaDB opens a table to list its
//   checks, so they are read only where a text has a binary collation, as JSON's has.
// - PostgreSQL enum types (EnumType): kEnum of their labels in pg_enum's order, so the same
//   labels compare equal with a MySQL ENUM.
// - PostgreSQL types of other names take their length bit from pg_type.typlen (WithTypeLength):
//   a positive byte count is kFixedLength, -1 (varlena) and -2 (C string) kVariableLength.
#ifndef VANTREL_DATAACCESS_CATALOG_TYPE_KINDS_H_
#define VANTREL_DATAACCESS_CATALOG_TYPE_KINDS_H_

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

enum TypeKind : int32_t {
  kBoolean = 1,
  kInteger = 2,
  kDecimal = 3,
  kFloat = 4,
  kChar = 5,
  kVarChar = 6,
  kText = 7,
  kBinary = 8,
  kVarBinary = 9,
  kBlob = 10,
  kDate = 11,
  kTime = 12,
  kTimeTz = 13,
  kTimestamp = 14,
  kTimestampTz = 15,
  kInterval = 16,
  kUuid = 17,
  kJson = 18,
  kMoney = 19,
  kBit = 20,
  kVarBit = 21,
  kXml = 22,
  kEnum = 23,
  kSet = 24,
  kYear = 25,
  kUntyped = 26,
  kOtherBase = 0x40000000,
};

enum ColumnAttribute : int32_t {
  kFixedLength = 0x0001,
  kVariableLength = 0x0002,
  kAutoIncrement = 0x0010,
  kGenerated = 0x0020,
  kAlwaysNumbered = 0x0040,
  kUnsigned = 0x0100,
};

struct ColumnType {
  int32_t data_type = kUntyped;
  int32_t size = 0;
  int32_t attributes = 0;
  bool allow_zero_length = true;

  friend bool operator==(const ColumnType&, const ColumnType&) = default;
};

// True for the kinds whose Size is the declared length: char, varchar, binary, varbinary, bit
// and varbit.
DATAACCESS_EXPORT bool TakesDeclaredLength(int32_t kind);

// True for the time kinds, whose Size is the fractional-second digits they keep: time, timetz,
// timestamp and timestamptz.
DATAACCESS_EXPORT bool IsTimeKind(int32_t kind);

// The name a report gives `kind`: "INTEGER", "JSON", "no type" (kUntyped); empty for a number
// that is no kind.
DATAACCESS_EXPORT QString KindName(int32_t kind);

// The engine whose catalog spelled a type; the rules above that name an engine follow it.
// kOther applies the table alone, with the fractional-seconds default of PostgreSQL.
enum class TypeDialect { kOther, kSqlite, kPostgres, kMysql };

// The engine's name as DataConnection::Engine gives it: "sqlite", "postgresql", "mysql"; empty
// for kOther.
DATAACCESS_EXPORT QString EngineName(TypeDialect dialect);

// Maps a declared type in an engine's spelling ("varchar(20)", "INT(11) UNSIGNED",
// "timestamp(3) with time zone", "numeric(10,2)", "") onto the table above. Never fails.
DATAACCESS_EXPORT ColumnType ClassifyDeclaredType(QStringView declared,
                                                  TypeDialect dialect = TypeDialect::kOther);

// True for TINYINT(1), neither UNSIGNED nor ZEROFILL, in any case: the spelling MySQL gives its
// BOOLEAN, which ClassifyDeclaredType reads as kBoolean on MySQL.
DATAACCESS_EXPORT bool IsMysqlBooleanSpelling(QStringView declared);

// `type` as a column the engine numbers itself: kAutoIncrement, of the declared width.
DATAACCESS_EXPORT ColumnType AutoNumbered(ColumnType type);
// `type` as an SQLite rowid alias: numbered, and of Size 0 (any width) when an integer.
DATAACCESS_EXPORT ColumnType RowidAlias(ColumnType type);

// A PostgreSQL enum type of these labels, in their order.
DATAACCESS_EXPORT ColumnType EnumType(const QStringList& labels);

// `type` with the length bit that PostgreSQL's pg_type.typlen gives, when it is a type of
// another name; any other type is returned as it is.
DATAACCESS_EXPORT ColumnType WithTypeLength(ColumnType type, int typlen);

// The column that a CHECK constraint's condition holds to JSON, unquoted: "doc" for
// json_valid(`doc`) or (JSON_VALID("doc") OR "doc" IS NULL); empty for any other condition.
DATAACCESS_EXPORT QString JsonCheckedColumn(QStringView condition);

// `type` as a JSON document of its Size when it is a text; any other type as it is.
DATAACCESS_EXPORT ColumnType AsJson(ColumnType type);

// ClassifyDeclaredType with a memory of the spellings it has seen: a catalog repeats a few dozen
// spellings over its columns, and classifying each column anew would cost more than reading it.
class DATAACCESS_EXPORT DeclaredTypeCache {
 public:
  explicit DeclaredTypeCache(TypeDialect dialect = TypeDialect::kOther) : dialect_(dialect) {}
  // When `spelling` is given, it is set to the cached copy of `declared`, which columns of the
  // same spelling then share instead of each keeping its own.
  ColumnType Classify(const QString& declared, QString* spelling = nullptr);
  // The same for a spelling in UTF-8, as servers send it: one seen before is found by its bytes,
  // without being converted to text again.
  ColumnType Classify(QByteArrayView utf8, QString* spelling = nullptr);

 private:
  struct BytesHash {
    using is_transparent = void;
    size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>()(bytes); }
  };
  struct Seen {
    ColumnType type;
    QString spelling;
  };
  TypeDialect dialect_;
  QHash<QString, ColumnType> seen_;
  std::unordered_map<std::string, Seen, BytesHash, std::equal_to<>> seen_utf8_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_TYPE_KINDS_H_
