// What a table holds besides its columns: its primary key, indexes (unique constraints among
// them), foreign keys and check constraints, as plain values a driver fills once.
//
// Names of columns and tables are as the engine gives them; a referenced table is named as the
// report names tables ("schema.table" outside the default schema). Texts of expressions are the
// engine's own (PostgreSQL's pg_get_expr, MariaDB's CHECK_CLAUSE, the SQL text SQLite keeps):
// a comparison compares their meaning through dataaccess/object_rules.h, never the raw text.
#ifndef VANTREL_DATAACCESS_TABLE_OBJECTS_H_
#define VANTREL_DATAACCESS_TABLE_OBJECTS_H_

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace dataaccess {

// The kinds of table object a source can tell, as bits. A source that sets a bit lists every
// object of that kind it has (an empty list then means "none"); a source that does not set it
// could not look, and a comparison says so instead of reporting nothing.
enum ObjectKind : int {
  kPrimaryKeys = 1 << 0,
  kIndexes = 1 << 1,  // unique constraints and indexes, unique or not
  kForeignKeys = 1 << 2,
  kChecks = 1 << 3,
  // Not a kind: whether the source can tell a deferrable foreign key from another (MySQL and
  // MariaDB cannot declare one; an ODBC driver may not say).
  kForeignKeyDeferrability = 1 << 4,
  kAllObjectKinds = kPrimaryKeys | kIndexes | kForeignKeys | kChecks | kForeignKeyDeferrability,
};

struct PrimaryKeyDefinition {
  QString name;  // empty where the engine gives none (SQLite)
  QStringList columns;
};

// One key of an index: a column, or an expression for an expression index.
struct IndexPart {
  QString column;      // empty for an expression
  QString expression;  // the engine's text; empty for a column
  bool descending = false;
};

struct IndexDefinition {
  enum class Origin : uint8_t {
    kIndex,             // CREATE [UNIQUE] INDEX
    kUniqueConstraint,  // UNIQUE in the table's definition, with the index the engine made for it
  };
  QString name;
  std::vector<IndexPart> parts;
  bool unique = false;
  QString predicate;  // a partial index's WHERE expression; empty for a full index
  Origin origin = Origin::kIndex;
};

enum class ReferentialAction : uint8_t { kNoAction, kRestrict, kCascade, kSetNull, kSetDefault };

struct ForeignKeyDefinition {
  QString name;  // empty where the engine gives none (SQLite)
  QStringList columns;
  QString referenced_table;
  QStringList referenced_columns;  // empty when the key names no columns (the primary key)
  ReferentialAction on_delete = ReferentialAction::kNoAction;
  ReferentialAction on_update = ReferentialAction::kNoAction;
  bool deferrable = false;
  bool initially_deferred = false;
  bool match_full = false;  // MATCH FULL; SIMPLE (NONE) and PARTIAL are false
};

struct CheckDefinition {
  QString name;  // empty where the engine gives none
  QString expression;
};

// Everything of one table besides its columns. The index behind the primary key is not among
// `indexes` (the key stands for it); the index behind a unique constraint is, once, as the
// constraint.
struct TableObjects {
  std::optional<PrimaryKeyDefinition> primary_key;
  std::vector<IndexDefinition> indexes;
  std::vector<ForeignKeyDefinition> foreign_keys;
  std::vector<CheckDefinition> checks;

  bool IsEmpty() const {
    return !primary_key && indexes.empty() && foreign_keys.empty() && checks.empty();
  }
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_TABLE_OBJECTS_H_
