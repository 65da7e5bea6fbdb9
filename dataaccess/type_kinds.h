// The one table of column types that every driver maps onto.
//
// A column's declared type, in any engine's spelling, becomes a ColumnType: a kind code
// (DataColumn::DataType), a Size and the type's share of the attribute bits. The same kind of
// column therefore compares equal across engines and spellings (INT, INTEGER and int4 are all
// kInteger of Size 4; VARCHAR(20) and character varying(20) are both kVarChar of Size 20), while
// different kinds always differ.
//
//  kind           code  spellings (case-insensitive)                           Size
//  kBoolean          1  BOOLEAN BOOL                                           1
//  kInteger          2  TINYINT INT1 | SMALLINT INT2 SMALLSERIAL SERIAL2 |      byte width: 1 | 2 |
//                       MEDIUMINT INT3 | INT INTEGER INT4 SERIAL SERIAL4 |     3 | 4 | 8; a display
//                       BIGINT INT8 BIG INT BIGSERIAL SERIAL8                  width (INT(11)) is
//                       ignored
//  kDecimal          3  DECIMAL NUMERIC DEC FIXED                              precision * 65536 +
//  scale
//                                                                              (0 when not
//                                                                              declared)
//  kFloat            4  REAL FLOAT4 | FLOAT FLOAT8 DOUBLE DOUBLE PRECISION;    4 | 8
//                       FLOAT(p) is 4 for p <= 24, else 8
//  kChar             5  CHAR CHARACTER NCHAR BPCHAR NATIONAL CHAR[ACTER]       declared length (1
//  if none) kVarChar          6  VARCHAR CHARACTER VARYING CHAR VARYING NVARCHAR        declared
//  length (0 if none)
//                       VARCHAR2 NVARCHAR2 VARYING CHARACTER NATIONAL VARCHAR
//  kText             7  TEXT CLOB NTEXT TINYTEXT MEDIUMTEXT LONGTEXT           0, except TINYTEXT
//  255,
//                                                                              MEDIUMTEXT 16777215
//  kBinary           8  BINARY                                                 declared length (1
//  if none) kVarBinary        9  VARBINARY BINARY VARYING                               declared
//  length (0 if none) kBlob            10  BLOB BYTEA IMAGE TINYBLOB MEDIUMBLOB LONGBLOB 0, except
//  TINYBLOB 255,
//                                                                              MEDIUMBLOB 16777215
//  kDate            11  DATE                                                   4
//  kTime            12  TIME, TIME WITHOUT TIME ZONE                           8
//  kTimeTz          13  TIMETZ TIME WITH TIME ZONE                             12
//  kTimestamp       14  TIMESTAMP DATETIME SMALLDATETIME                       8
//                       TIMESTAMP WITHOUT TIME ZONE
//  kTimestampTz     15  TIMESTAMPTZ TIMESTAMP WITH TIME ZONE DATETIMEOFFSET    8
//  kInterval        16  INTERVAL (with any field list)                         16
//  kUuid            17  UUID UNIQUEIDENTIFIER                                  16
//  kJson            18  JSON                                                   0
//  kMoney           19  MONEY CURRENCY | SMALLMONEY                            8 | 4
//  kBit             20  BIT                                                    declared length (1
//  if none) kVarBit          21  VARBIT BIT VARYING                                     declared
//  length (0 if none) kXml             22  XML                                                    0
//  kEnum            23  ENUM(...)                                              hash of the value
//  list kSet             24  SET(...)                                               hash of the
//  value list kYear            25  YEAR                                                   1
//  kUntyped         26  no declared type at all                                0
//  other   0x40000000+  any other name: the code is a hash of the name, so     the declared length,
//  or a
//                       two columns share it only when their types are         hash of the
//                       parameters spelled alike (inet and cidr differ)
//
// The fractional-seconds precision of time types is not compared: engines disagree on its
// default. Type arrays ("integer[]") count as other names.
//
// Attribute bits (DataColumn::Attributes):
//   kFixedLength    0x0001  a fixed-width kind: boolean, integer, decimal, float, char, binary,
//                           date and time kinds, interval, uuid, money, bit, year
//   kVariableLength 0x0002  varchar, text, varbinary, blob, json, xml, varbit, enum, set
//   kAutoIncrement  0x0010  the engine numbers new rows itself (serial, identity, AUTO_INCREMENT,
//                           an SQLite rowid alias); set by the drivers, not by the type
//   kGenerated      0x0020  a generated (computed) column; set by the drivers
//   kUnsigned       0x0100  an UNSIGNED integer or decimal
//
// AllowZeroLength is true for the kinds that can hold an empty value distinct from NULL and
// store it as such: varchar, text, varbinary, blob and untyped; false for every other kind
// (fixed-length char pads the empty text).
#ifndef VANTREL_DATAACCESS_TYPE_KINDS_H_
#define VANTREL_DATAACCESS_TYPE_KINDS_H_

#include <QHash>
#include <QString>
#include <QStringView>
#include <cstdint>

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
  kUnsigned = 0x0100,
};

struct ColumnType {
  int32_t data_type = kUntyped;
  int32_t size = 0;
  int32_t attributes = 0;
  bool allow_zero_length = true;
};

// True for the kinds whose Size is the declared length: char, varchar, binary, varbinary, bit
// and varbit.
bool TakesDeclaredLength(int32_t kind);

// Maps a declared type in any engine's spelling ("varchar(20)", "INT(11) UNSIGNED",
// "timestamp(3) with time zone", "numeric(10,2)", "") onto the table above. Never fails.
ColumnType ClassifyDeclaredType(QStringView declared);

// ClassifyDeclaredType with a memory of the spellings it has seen: a catalog repeats a few dozen
// spellings over its columns, and classifying each column anew would cost more than reading it.
// A driver whose engine spells some types its own way passes a classifier that translates them
// first.
class DeclaredTypeCache {
 public:
  using Classifier = ColumnType (*)(const QString& declared);
  explicit DeclaredTypeCache(Classifier classify = &ClassifyDeclaredSpelling)
      : classify_(classify) {}
  ColumnType Classify(const QString& declared);

 private:
  static ColumnType ClassifyDeclaredSpelling(const QString& declared) {
    return ClassifyDeclaredType(declared);
  }
  Classifier classify_;
  QHash<QString, ColumnType> seen_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_TYPE_KINDS_H_
