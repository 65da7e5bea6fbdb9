// The rules by which two tables' keys, indexes, foreign keys, checks, exclusion constraints and
// the rest of a table's objects are the same, each with its reason. Column types follow the type
// table (catalog/type_kinds.h); the rules that need both columns at once are in
// comparison_rules.h; defaults, collations, generation, views, triggers and sequences are in
// column_rules.h, whose numbering continues these.
//
// Objects are matched by what they are, never by name: engines and tools generate names
// (sqlite_autoindex_Customers_1, customers_email_key, orders_ibfk_1), and two databases built
// from one schema rarely share them. A name is compared only when a user asks for it, and even
// then a name SQLite made up, or none, is no name to differ in (IsEngineMadeName).
//
//  1. Identity. A primary key is the table's one primary key. An index is its parts in order
//     (columns by name without regard to letter case, expressions by ExpressionMeaning); a
//     UNIQUE constraint is the unique index the engine makes for it, so a constraint on one
//     side and a CREATE UNIQUE INDEX on the other are one object. A foreign key is its columns,
//     the referenced table and the referenced columns. A check is its expression's meaning.
//  2. Engine-made objects are not objects of their own: the index behind a primary key (the
//     readers leave it out), and the index MySQL and MariaDB make for a foreign key's columns
//     when no index starts with them (IsEngineMadeForeignKeyIndex). That one is matched like any
//     index (it stands for the index another engine's schema declares on those columns), but it
//     is never reported missing: the foreign key it serves is what is missing, if anything.
//     Where a key or index of MySQL's side starts with a foreign key's columns (UNIQUE (a, b) for
//     a key on a), MySQL serves the foreign key with it and makes no index of its own: the other
//     side's plain index on exactly those columns, declared for the same foreign key, is served
//     there too, and is not reported missing (IsForeignKeyIndexServedBy).
//  3. RESTRICT and NO ACTION both refuse a change that leaves a row without its referenced
//     row; they differ only in when the check runs, which matters only where the constraint is
//     deferrable (EnforcedAction). MariaDB reports an action that was not given as RESTRICT.
//  4. MATCH SIMPLE is what an engine that does not say (MATCH NONE, MySQL's default, SQLite's
//     only behaviour) does; only MATCH FULL differs.
//  5. Expressions (checks, partial-index predicates, index expressions) compare by meaning:
//     identifier quoting and letter case, keyword case, whitespace and comments, parentheses
//     that change nothing, casts of literals ('0'::integer is 0, 'a'::text is 'a'), the cast
//     to text PostgreSQL shows where it compares a varchar column with text (status::text is
//     status), and != for <> and == for = are spelling (ExpressionMeaning). So are the forms
//     PostgreSQL shows a list and a range of literals in: x = ANY (ARRAY['a', 'b']) (its array
//     cast to the column's type or not) is x IN ('a', 'b'), x <> ALL (ARRAY[...]) is NOT IN,
//     and x >= 1 AND x <= 5 is x BETWEEN 1 AND 5 (x < 1 OR x > 5 is NOT BETWEEN), where x and
//     the bounds are each a name or a literal; x = 1 OR x = 2 is x IN (1, 2). MySQL's lcase() and
//     ucase() are lower() and upper(), as it shows them. A text's length in characters is
//     char_length() on every engine, which PostgreSQL and SQLite also spell length() and
//     character_length(); MySQL's length() counts bytes, and is octet_length(), but where it is
//     compared with 0 (or >= 1) it tells whether the text is empty, as char_length() does.
//     Parentheses that group (a OR b) AND c are kept. MySQL and MariaDB escape a quote or a
//     backslash in a string with a backslash
//     ('it\'s', 'a\\b'), where the standard and the other engines double the quote ('it''s') and
//     keep a backslash as itself: a string is compared by its value (MysqlStringsAsStandard).
//     Across engines only, a column cast to numeric without a precision beside +, - or * or a
//     comparison is the column: it is the conversion PostgreSQL adds and shows where a column of
//     integers meets a numeric one (price * (qty)::numeric), which the other engines make without
//     saying so; where the expression divides, the cast stays, since it decides whether the
//     division keeps fractions.
//  6. A check the column's type already stands for is part of the column, not a check of its
//     own: json_valid(c) (with or without "OR c IS NULL") on a column the type table counts as
//     JSON, except against an SQLite column declared JSON without that check, which keeps any
//     text (SQLite stores '', which MariaDB's check refuses), and the "c >= 0" on a column that is
//     UNSIGNED on either side: on its own side the type already refuses what the check refuses
//     (MariaDB keeps an ORM's check beside UNSIGNED), and against an UNSIGNED side it is what an
//     ORM writes for an unsigned column on engines without UNSIGNED (CheckBelongsToColumn).
//     Likewise "c IN ('A', 'B', 'C')" on a text column against a column that is an enumeration of
//     exactly those labels in that order (MySQL's ENUM, a PostgreSQL enum type), on either side:
//     the two allow the same values, and the pair's types are not compared either
//     (AllowsTheSameLabels).
//  7. An index's operator classes are part of what it is: PostgreSQL's (name
//     varchar_pattern_ops), which serves LIKE 'abc%' under a collation other than C, is another
//     index than the key on name, and an exclusion constraint (EXCLUDE USING gist (c WITH &&))
//     is no index on c: it refuses rows that conflict under its operators. Within one engine a
//     part's collation is part of the index too; across engines collations have other names
//     and are compared on the columns (column_rules.h). So is a MySQL part's length (note(20)
//     indexes the first 20 characters, and a unique index holds those unique): within one engine
//     it is part of the index, while across engines the others index the whole text. The access
//     method is compared where both sides tell it (IndexMethod: PostgreSQL, MySQL and MariaDB,
//     and SQLite, whose indexes are all B-trees), and with it PostgreSQL's INCLUDE columns; where
//     a part sorts its NULLs compares within one engine only, each engine having its own place
//     for them. Across engines, an index whose every part is a column with a pattern operator
//     class, beside another index or the primary key on the same columns, is PostgreSQL's
//     companion for LIKE searches that another engine's plain index serves itself: it is never
//     reported missing (IsPatternSearchCompanion). PostgreSQL's UNIQUE NULLS NOT DISTINCT,
//     which refuses a second NULL, is another uniqueness than UNIQUE.
//  8. A property a side cannot tell (a deferrable foreign key on MySQL and MariaDB, which
//     cannot declare one) is not compared object by object; the report says once that it was
//     not compared.
//  9. A check that holds a column to a list of literals (c IN ('a', 'b', 'c')) lets in every
//     row a check holding the same column to a part of that list (c IN ('a', 'b')) lets in:
//     adding the one where the other is enforced refuses no row that is there. They are still
//     two checks, and differ; only what the difference risks turns on it (CheckAdmitsAllOf).
// 10. A primary key and a UNIQUE index on the same columns, in any order, each column NOT NULL
//     on its own side, refuse the same rows: no NULL is let into either, and the order of a
//     key's columns orders only its index. ORMs make one where another engine gets the other (a
//     join table's primary key on PostgreSQL, a unique index on (A, B) on MySQL). They are still
//     a primary key on one side and an index on the other, and differ; only what the difference
//     risks turns on it (UniqueColumnSet).
//
// Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_OBJECT_RULES_H_
#define VANTREL_DATAACCESS_OBJECT_RULES_H_

#include <QString>
#include <QStringView>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// Where an expression's text comes from, for what its spelling means (rule 5).
struct ExpressionOrigin {
  bool backslash_escapes = false;  // MySQL or MariaDB SQL: a backslash escapes in a string
  bool across_engines = false;     // compared with an expression of another engine
};

// True where `engine` (DataConnection::Engine) escapes in strings with a backslash: MySQL and
// MariaDB.
DATAACCESS_EXPORT bool EscapesWithBackslash(const QString& engine);

// The origin of an expression of `engine` (DataConnection::Engine) compared with one of
// `other_engine`.
DATAACCESS_EXPORT ExpressionOrigin OriginOf(const QString& engine, const QString& other_engine);

// A canonical form of an SQL expression, for telling whether two expressions mean the same:
// equal results mean equal meaning under rule 5. Not for display. An expression that cannot be
// split into tokens is compared by its trimmed text. Without an origin, the expression is
// standard SQL compared within one engine.
DATAACCESS_EXPORT QString ExpressionMeaning(QStringView expression);
DATAACCESS_EXPORT QString ExpressionMeaning(QStringView expression, ExpressionOrigin origin);

// True when every row that check `other` lets in passes check `check` too, by rule 9: both hold
// the same column to a list of literals, and `check`'s list holds each value of `other`'s.
DATAACCESS_EXPORT bool CheckAdmitsAllOf(QStringView check, QStringView other);

// The action as it is enforced (rule 3).
DATAACCESS_EXPORT ReferentialAction EnforcedAction(ReferentialAction action, bool deferrable);

// True when `check` of `table` is part of one of its columns under rule 6. `other` is the
// matched table on the other side (null when there is none), of the engine `other_engine`.
// Throws what the reads throw.
DATAACCESS_EXPORT bool CheckBelongsToColumn(const CheckDefinition& check, const DataTable& table,
                                            const DataTable* other, const QString& other_engine);

// True when one of the two matched columns is an enumeration and the other a text column that a
// check of its table holds to exactly the enumeration's labels (rule 6). Throws what the reads
// throw.
DATAACCESS_EXPORT bool AllowsTheSameLabels(const DataColumn& column, const DataTable& table,
                                           const DataColumn& other, const DataTable& other_table);

// True when `index` of a table whose objects are `objects`, on a MySQL or MariaDB side
// (`engine`), is the one the engine made for a foreign key (rule 2): not unique, of columns only,
// exactly the columns of one of the table's foreign keys, and named as the server names the
// index it makes (after the constraint, or after the first column, perhaps numbered).
DATAACCESS_EXPORT bool IsEngineMadeForeignKeyIndex(const IndexDefinition& index,
                                                   const TableObjects& objects,
                                                   const QString& engine);

// True when `index` of a table whose objects are `objects` is a plain index on exactly the
// columns of one of its foreign keys, and the matched table on a MySQL or MariaDB side
// (`other_engine`, `other`) has the same foreign key and serves it with the leftmost columns of
// its primary key or of another index (rule 2): the index is then never reported missing.
DATAACCESS_EXPORT bool IsForeignKeyIndexServedBy(const IndexDefinition& index,
                                                 const TableObjects& objects,
                                                 const TableObjects& other,
                                                 const QString& other_engine);

// The columns, by name without regard to letter case and in no order, whose equal values
// `key` or `index` of `table` refuses in two rows, where it refuses exactly those (rule 10):
// every part a whole column that is NOT NULL, compared under the column's own collation and
// operators, in an index without a condition; empty otherwise. Equal results refuse the same
// rows. Throws what the reads throw.
DATAACCESS_EXPORT QString UniqueColumnSet(const PrimaryKeyDefinition& key, const DataTable& table);
DATAACCESS_EXPORT QString UniqueColumnSet(const IndexDefinition& index, const DataTable& table);

// The index's access method as compared (rule 7): "btree" where the source names none (SQLite's
// only kind).
DATAACCESS_EXPORT QString IndexMethod(const IndexDefinition& index);

// True when `index` of a table whose objects are `objects` is PostgreSQL's companion index for
// LIKE searches of another index or key on the same columns (rule 7).
DATAACCESS_EXPORT bool IsPatternSearchCompanion(const IndexDefinition& index,
                                                const TableObjects& objects);

// What makes an object the same on both sides, whatever its name (rules 1 and 7): equal results
// are one object. Not for display.
// A list of columns: their names in order, without regard to letter case.
DATAACCESS_EXPORT QString ColumnsIdentity(const QStringList& columns);
// An index: its parts in order, each a column or an expression's meaning with its operator
// class and, within one engine (`same_engine`), its collation; an exclusion constraint also its
// method and each part's operator.
DATAACCESS_EXPORT QString IndexIdentity(const IndexDefinition& index, bool same_engine);
// A foreign key: its columns, the referenced table and the referenced columns.
DATAACCESS_EXPORT QString ForeignKeyIdentity(const ForeignKeyDefinition& key);

// True for an object's name that no schema's author chose: none, or one SQLite made up
// (sqlite_autoindex_t_1).
DATAACCESS_EXPORT bool IsEngineMadeName(const QString& name);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_OBJECT_RULES_H_
