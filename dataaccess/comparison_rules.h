// The rules of the comparison that need both columns at once. The other rules of a column's type
// are in how a driver reads it (the type table of catalog/type_kinds.h, whose header states each
// with its reason); those of table objects are in object_rules.h, and those of defaults,
// collations, generation, views, triggers and sequences in column_rules.h. A comparison compares
// the properties a driver gives, except where a rule says otherwise. Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_COMPARISON_RULES_H_
#define VANTREL_DATAACCESS_COMPARISON_RULES_H_

#include <QString>
#include <cstdint>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

// True when the two columns' Size properties say the same; `engine_a` and `engine_b` are their
// connections' engines (DataConnection::Engine). An SQLite rowid alias (an integer the engine
// numbers, of Size 0) holds any 64-bit integer, whatever its declaration: it matches an
// engine-numbered integer of any width (against a plain one it differs: the numbering is what
// makes the two one key). Any other SQLite integer holds any 64-bit integer too,
// and its declared width says only what its author meant: across engines it matches an integer
// at least as wide as declared (INTEGER against bigint, as ORMs write a 64-bit key for SQLite,
// and against integer), but not a narrower one (BIGINT against integer, which refuses what SQLite
// keeps). Otherwise the sizes must be equal. Throws what the columns' reads throw.
DATAACCESS_EXPORT bool SizesMatch(const DataColumn& a, const QString& engine_a, const DataColumn& b,
                                  const QString& engine_b);

// True when the two columns' Attributes properties say the same. Of a type of another name
// (a kind of kOtherBase and up) only PostgreSQL tells whether it is of fixed or variable length;
// SQLite's jsonb or MariaDB's geometry has neither bit. Where one side does not tell, the length
// bits are not compared: the other bits must still be equal. Throws what the columns' reads throw.
DATAACCESS_EXPORT bool AttributesMatch(const DataColumn& a, const DataColumn& b);

// True when the types of two matched tables' columns are compared (Allow Zero Length,
// Attributes, Size and Data Type). A view's column types are what its engine inferred from the
// view's query, not what the schema's author wrote, and engines infer differently (for
// first_name || ' ' || last_name, SQLite gives no type, PostgreSQL text, MariaDB varchar(91)):
// where either table is a view and the two databases are on different engines, the columns
// compare by name, position and NOT NULL only. Within one engine, or where an engine is
// unknown, they compare fully, so that a changed base column shows through its views. Throws
// what the reads throw.
DATAACCESS_EXPORT bool ComparesColumnTypes(const DataConnection& a, const DataTable& table_a,
                                           const DataConnection& b, const DataTable& table_b);

// True when the Data Type properties of two matched columns say different things; `engine_a`
// and `engine_b` are their connections' engines. Across engines an enumeration is its labels
// (ENUM('a','b') is a PostgreSQL enum type of a, b); within one engine an enumeration's type also
// has a name, and two enum types of the same labels are two types: a value of one is not a value
// of the other, and each changes on its own. MySQL's BOOLEAN is TINYINT(1), and that is how a
// boolean is declared in SQLite by tools that write for MySQL too: across engines an SQLite
// TINYINT(1) is the boolean it is on MySQL (within SQLite it stays the integer SQLite's
// affinity makes it, as against SQLite's own BOOLEAN). Throws what the columns' reads throw.
DATAACCESS_EXPORT bool DataTypesDiffer(const DataColumn& a, const QString& engine_a,
                                       const DataColumn& b, const QString& engine_b);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_COMPARISON_RULES_H_
