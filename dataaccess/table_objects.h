// What a database holds besides its tables' columns, as plain values a driver fills once: each
// table's primary key, indexes (unique constraints among them), foreign keys, checks, triggers,
// its columns' defaults, collations and generation expressions, a view's definition; and the
// database's default collation and sequences.
//
// Names of columns and tables are as the engine gives them; a referenced table is named as the
// report names tables ("schema.table" outside the default schema). Texts of expressions are the
// engine's own (PostgreSQL's pg_get_expr, MariaDB's CHECK_CLAUSE, the SQL text SQLite keeps):
// a comparison compares their meaning through dataaccess/object_rules.h, never the raw text.
#ifndef VANTREL_DATAACCESS_TABLE_OBJECTS_H_
#define VANTREL_DATAACCESS_TABLE_OBJECTS_H_

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <memory>
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
  kDefaults = 1 << 5,          // ColumnDetails::default_value
  kCollations = 1 << 6,        // ColumnDetails::collation and DatabaseObjects' default
  kGeneratedColumns = 1 << 7,  // ColumnDetails::generation
  kViews = 1 << 8,             // TableObjects::view_definition
  kTriggers = 1 << 9,
  kSequences = 1 << 10,  // DatabaseObjects::sequences
  // Not a kind: whether the source tells an index's method and each part's operator class and
  // collation (PostgreSQL; SQLite, whose every index is a B-tree of the default classes).
  kIndexMethods = 1 << 11,
  kRules = 1 << 12,             // TableObjects::rules
  kTablePersistence = 1 << 13,  // TableObjects::unlogged
  kCollationObjects = 1 << 14,  // DatabaseObjects::collations
  kKeyObjectKinds = kPrimaryKeys | kIndexes | kForeignKeys | kChecks | kForeignKeyDeferrability,
  kColumnObjectKinds = kDefaults | kCollations | kGeneratedColumns,
  kAllObjectKinds = kKeyObjectKinds | kColumnObjectKinds | kViews | kTriggers | kSequences,
  // What only PostgreSQL has, or tells, beyond kAllObjectKinds. SQLite has no rules, unlogged
  // tables or collations of its own and says so; MySQL and MariaDB say nothing of these.
  kPostgresObjectKinds = kIndexMethods | kRules | kTablePersistence | kCollationObjects,
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
  // The operator class where it is not the default of the part's type (varchar_pattern_ops),
  // and the collation where it is not the column's own; empty otherwise.
  QString operator_class;
  QString collation;
  // An exclusion constraint's operator for this part ("&&"); empty for an index.
  QString exclusion_operator;
  // MySQL's and MariaDB's index of the first characters of a column, note(20); 0 for all of
  // it. Within one engine part of what the index is (a unique one refuses rows alike in those
  // characters); across engines the others index the whole text.
  int prefix_length = 0;
  // PostgreSQL: the part sorts NULLs at the other end than its direction does by default
  // (ASC NULLS FIRST, DESC NULLS LAST).
  bool nulls_reversed = false;
};

struct IndexDefinition {
  enum class Origin : uint8_t {
    kIndex,             // CREATE [UNIQUE] INDEX
    kUniqueConstraint,  // UNIQUE in the table's definition, with the index the engine made for it
    kExclusionConstraint,  // EXCLUDE USING ... (c WITH &&): refuses rows that conflict
  };
  QString name;
  std::vector<IndexPart> parts;
  bool unique = false;
  QString predicate;  // a partial index's WHERE expression; empty for a full index
  Origin origin = Origin::kIndex;
  // The access method ("btree", "hash", "gist"); empty where the source does not tell it.
  QString method;
  // PostgreSQL's UNIQUE NULLS NOT DISTINCT: NULLs count as equal, so a second NULL is refused
  // (every other unique index lets in any number of them).
  bool nulls_not_distinct = false;
  // PostgreSQL's INCLUDE columns: stored in the index for queries it alone can answer, but no
  // part of its key (nor of what a unique index refuses).
  QStringList included;
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

// A column's collation where it is not its database's default (DatabaseObjects).
struct ColumnCollation {
  QString name;
  QString character_set;  // MySQL and MariaDB
  // For a PostgreSQL collation: its ICU locale or libc locale, and whether it is deterministic
  // (a nondeterministic one compares strings that differ in bytes as equal).
  QString locale;
  bool deterministic = true;
};

// How a generated column is computed.
struct ColumnGeneration {
  QString expression;   // in the engine's text
  bool stored = false;  // STORED (PERSISTENT); false for VIRTUAL
};

// What a column holds besides its type: listed only for a column that has one of these. A
// catalog of 10,000 tables has tens of thousands, most with a default only: the rarer parts are
// held apart, and one collation is shared by the columns that have it.
struct ColumnDetails {
  QString column;
  // The default as an SQL expression the engine would accept after DEFAULT, in the engine's own
  // spelling ("'abc'::character varying", "CURRENT_TIMESTAMP", "nextval('t_id_seq'::regclass)");
  // null when the column has none. A reader whose engine shows a string default without its
  // quotes (MySQL) adds them, so that a literal and an expression are never confused.
  QString default_value;
  // Null where the column keeps the database's default collation.
  std::shared_ptr<const ColumnCollation> collation;
  // Null for a column that is not generated.
  std::shared_ptr<const ColumnGeneration> generation;
  // What MySQL and MariaDB set the column to on every update of its row (ON UPDATE
  // CURRENT_TIMESTAMP), in the engine's text; empty for none. No other engine has it.
  QString on_update{};

  // The collation's name; empty where the column keeps the database's default.
  QString CollationName() const { return collation ? collation->name : QString(); }
  // The generation expression; empty for a column that is not generated.
  QString GeneratedExpression() const { return generation ? generation->expression : QString(); }
};

// Whether two names are equal without regard to letter case. Names of different lengths never
// are (Qt folds the case of each UTF-16 unit by itself); ASCII letters are folded here, which a
// comparison asks for every column of every table, and anything else by Qt.
// `a` may also be a name kept in Latin-1, compared without widening it first.
template <class View>
bool SameNameIgnoringCaseIn(View a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    const char16_t x = a[i].unicode();
    const char16_t y = b[i].unicode();
    if (x == y) continue;
    if (x >= 0x80 || y >= 0x80) return a.compare(b, Qt::CaseInsensitive) == 0;
    const char16_t lower = x | 0x20;
    if (lower != (y | 0x20) || lower < u'a' || lower > u'z') return false;
  }
  return true;
}
inline bool SameNameIgnoringCase(QStringView a, QStringView b) {
  return SameNameIgnoringCaseIn(a, b);
}
inline bool SameNameIgnoringCase(QLatin1StringView a, QStringView b) {
  return SameNameIgnoringCaseIn(a, b);
}

// A trigger of a table or view.
struct TriggerDefinition {
  QString name;
  QString timing;              // "BEFORE", "AFTER" or "INSTEAD OF"
  QStringList events;          // "INSERT", "UPDATE", "DELETE", "TRUNCATE", in the engine's order
  QStringList update_columns;  // UPDATE OF these columns; empty for any column
  bool for_each_row = true;    // false for FOR EACH STATEMENT
  QString when;                // the WHEN condition; empty when there is none
  // What the trigger runs, in the engine's text: SQLite's and MariaDB's statement (BEGIN ...
  // END), PostgreSQL's "EXECUTE FUNCTION f()" followed by the function's source on a new line.
  QString body;
};

// A sequence of the database.
struct SequenceDefinition {
  QString name;  // as the report names tables ("schema.name" outside the default schema)
  qint64 start = 1;
  qint64 increment = 1;
  qint64 minimum = 1;
  qint64 maximum = 0;
  bool cycle = false;
  // The column that owns it (PostgreSQL's serial and identity columns, OWNED BY), as
  // "table.column" with the table named as the report names it; empty when none does.
  QString owned_by;
};

// A rule of a table or view (PostgreSQL's CREATE RULE).
struct RuleDefinition {
  QString name;
  QString event;         // "SELECT", "INSERT", "UPDATE" or "DELETE"
  bool instead = false;  // DO INSTEAD: the rule's actions replace the statement
  QString definition;    // the engine's CREATE RULE text
};

// A collation the database defines itself (CREATE COLLATION), in a schema the catalog reads.
struct CollationDefinition {
  QString name;      // as the report names tables ("schema.name" outside the default schema)
  QString provider;  // "icu", "libc" or "builtin"
  QString locale;
  bool deterministic = true;
};

// What a database holds besides its tables: its default collation, sequences and collations.
struct DatabaseObjects {
  QString default_collation;  // "BINARY", "en_US.utf8", "utf8mb4_general_ci"
  QString default_character_set;
  QString default_collation_locale;  // PostgreSQL, as ColumnCollation::locale
  bool default_collation_deterministic = true;
  std::vector<SequenceDefinition> sequences;
  std::vector<CollationDefinition> collations;  // sorted by name
};

// Everything of one table besides its columns. The index behind the primary key is not among
// `indexes` (the key stands for it); the index behind a unique constraint is, once, as the
// constraint.
struct TableObjects {
  std::optional<PrimaryKeyDefinition> primary_key;
  std::vector<IndexDefinition> indexes;
  std::vector<ForeignKeyDefinition> foreign_keys;
  std::vector<CheckDefinition> checks;
  std::vector<TriggerDefinition> triggers;
  std::vector<RuleDefinition> rules;
  std::vector<ColumnDetails> columns;  // only the columns that have something to tell
  QString view_definition;             // a view's query as the engine keeps it; empty for a table
  // PostgreSQL's UNLOGGED table: not written to the write-ahead log, emptied after a crash and
  // not copied to standbys.
  bool unlogged = false;
  // SQLite's: the rowid alias is numbered AUTOINCREMENT (never reusing a number, counted in
  // sqlite_sequence); the table is WITHOUT ROWID; it is STRICT. What a migration script keeps
  // when it rebuilds the table; not compared.
  bool autoincrement = false;
  bool without_rowid = false;
  bool strict = false;

  bool IsEmpty() const {
    return !primary_key && indexes.empty() && foreign_keys.empty() && checks.empty() &&
           triggers.empty() && rules.empty() && columns.empty() && view_definition.isEmpty() &&
           !unlogged && !autoincrement && !without_rowid && !strict;
  }
  // The details of `column` (matched without regard to letter case); null when none.
  const ColumnDetails* DetailsOf(QStringView column) const {
    for (const ColumnDetails& details : columns) {
      if (SameNameIgnoringCase(details.column, column)) return &details;
    }
    return nullptr;
  }
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_TABLE_OBJECTS_H_
