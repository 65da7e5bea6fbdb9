// The rules by which two columns' defaults, collations and generation expressions, two views'
// queries and two triggers say the same, each with its reason. They sit beside the type table
// (catalog/type_kinds.h) and the rules for keys and indexes (object_rules.h), and number on from
// those.
//
//  8. No default, DEFAULT NULL and a default that is a cast NULL are the same: a row inserted
//     without the column gets NULL under all three.
//  9. A nextval(...) default is the engine numbering the column, which the type table already
//     compares as the column's auto-number attribute (serial against AUTO_INCREMENT): it is not
//     a default of its own.
// 10. A literal default compares by its value, after casts and parentheses are removed:
//     '0'::integer, (0), 0 and '0' are the number 0 on a numeric column (1.50 is 1.5), and
//     'abc'::character varying is the text abc. MariaDB quotes string defaults in its catalog
//     and MySQL does not; the readers give both as SQL, so 'abc' is abc's one spelling. Their
//     SQL escapes with a backslash ('it\'s'), which is the standard 'it''s' (rule 5).
// 11. On a boolean column, true, 't', 'true', 1, '1' and b'1' are true (false likewise): each
//     engine spells the same stored value its own way (MySQL keeps BOOLEAN as tinyint(1)). True
//     is the number 1 and false 0 against a column of another type (SMALLINT DEFAULT 1 against
//     BOOLEAN DEFAULT TRUE), whose type is compared on its own. One default text on both sides
//     is one default, whatever the two types make of it.
// 12. The current time is one default however it is spelt: now(), CURRENT_TIMESTAMP,
//     current_timestamp(), LOCALTIMESTAMP, SQLite's datetime('now'), and CURRENT_TIMESTAMP(p)
//     where p is the precision the column keeps anyway (CURRENT_TIMESTAMP(6) on a column of 6
//     digits); a smaller p truncates and differs. CURRENT_DATE and CURRENT_TIME likewise.
// 13. Any other default compares by its canonical text (ExpressionMeaning, rule 5): within one
//     engine that is the engine's own rendering, across engines the same normalisation with
//     the engines' spellings of one function mapped (gen_random_uuid() and uuid()).
// 14. Collations. Within one engine the collation itself compares (and MySQL's character set).
//     Across engines only what a user can observe compares: whether text compares case-blind
//     (SQLite NOCASE, a MySQL _ci collation, a PostgreSQL nondeterministic ICU collation of
//     strength 1 or 2) and accent-blind (MySQL _ai, and _ci where accents are not named;
//     strength 1). The databases' defaults are said once; a column is reported only where it
//     departs from its own database's default and the two columns then compare differently;
//     across engines a column departs only where its collation behaves otherwise than its
//     database's default (utf8mb3_general_ci in a utf8mb4_unicode_ci database does not). A
//     MariaDB JSON column's utf8mb4_bin is what JSON is on every other engine, not a departure.
//     A collation the database defines itself (PostgreSQL's CREATE COLLATION) compares by name,
//     provider, locale and determinism within one engine; across engines the columns that use
//     one are compared by what it does, and the other engine names its collations otherwise.
// 15. Generated columns compare their expression by rule 5 and STORED against VIRTUAL.
// 16. A view's query compares by rule 5 within one engine, without its own database's name
//     (MariaDB writes `shop`.`t`.`id` for t.id of the database shop, and two databases of one
//     schema have two names). Across engines the SQL dialects differ too much for text to tell
//     meaning, and the report says views were not compared. A MariaDB view that reads another
//     database's tables prints as the same text as one that reads its own database of that name:
//     the report then says which database it reads, not its own, so that the two values it shows
//     differ as the two views do (ViewMeaning, OtherDatabasesRead).
// 17. Triggers match by name within their table and compare timing, events (in any order),
//     FOR EACH ROW or STATEMENT, the WHEN condition by rule 5, and, within one engine, the body
//     by rule 5; across engines a body is another language and is not compared. UPDATE OF
//     columns compare without regard to letter case or order (TriggerEventsMeaning).
// 18. A sequence owned by a column is that column's numbering (rule 9): it compares where both
//     sides keep such sequences (PostgreSQL with PostgreSQL) and is left to the column's
//     auto-number attribute elsewhere. So is a sequence that exactly one column's default draws
//     from (nextval) without OWNED BY, as ORMs and hand-written schemas make them: dropping the
//     column's numbering would drop the column's, which the type table compares already. A
//     sequence two columns draw from, or none, is a sequence of its own. A bound at the end of
//     the 64-bit range is no bound: it is each engine's default, which MariaDB puts one short of
//     PostgreSQL (SequenceBoundsMeaning).
//
// Pure functions: any thread.
#ifndef VANTREL_DATAACCESS_COLUMN_RULES_H_
#define VANTREL_DATAACCESS_COLUMN_RULES_H_

#include <QHash>
#include <QString>
#include <cstdint>

#include "dataaccess/data_objects.h"
#include "dataaccess/dataaccess_export.h"
#include "dataaccess/object_rules.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// A canonical form of a column's default under rules 8 to 13: equal results mean equal
// defaults; empty for no default. `default_value` is ColumnDetails::default_value; `data_type`
// and `size` the column's; `across_engines` whether the other side is another engine.
DATAACCESS_EXPORT QString DefaultMeaning(const QString& default_value, int32_t data_type,
                                         int32_t size, bool across_engines);
// As above, for a default of a side whose SQL `origin` tells (OriginOf).
DATAACCESS_EXPORT QString DefaultMeaning(const QString& default_value, int32_t data_type,
                                         int32_t size, ExpressionOrigin origin);

// What a user can observe of a collation (rule 14).
struct CollationTraits {
  bool case_blind = false;
  bool accent_blind = false;
  bool operator==(const CollationTraits&) const = default;
};

// The traits of a collation of `engine` (DataConnection::Engine): its name, and for PostgreSQL
// its locale and whether it is deterministic.
DATAACCESS_EXPORT CollationTraits TraitsOfCollation(const QString& engine, const QString& name,
                                                    const QString& locale, bool deterministic);

// A column's collation as a comparison sees it: the effective collation, its traits, and
// whether it departs from its database's default.
struct EffectiveCollation {
  QString name;  // with the character set where the engine has one: "utf8mb4/utf8mb4_bin"
  CollationTraits traits;
  bool departs = false;  // the column names a collation of its own
  // ... which compares text otherwise than its database's default does (rule 14 across engines).
  bool departs_observably = false;
};

// The effective collation of a column of `data_type` whose details are `details` (null when
// the column has none) in a database whose objects are `database` (null when unknown).
DATAACCESS_EXPORT EffectiveCollation CollationOf(const QString& engine,
                                                 const ColumnDetails* details, int32_t data_type,
                                                 const DatabaseObjects* database);

// True when two columns' collations are reported as different (rule 14).
DATAACCESS_EXPORT bool CollationsDiffer(const EffectiveCollation& a, const EffectiveCollation& b,
                                        bool across_engines);

// The default collations of two databases, told once (rule 14): true when they differ.
DATAACCESS_EXPORT bool DefaultCollationsDiffer(const QString& engine, const DatabaseObjects& a,
                                               const QString& other_engine,
                                               const DatabaseObjects& b);

// How many column defaults of `connection` draw from each sequence (nextval), by the
// sequence's name in lower case without quotes: "schema.name" as written, and the name alone.
// Throws what the reads throw.
DATAACCESS_EXPORT QHash<QString, int> SequenceUses(const DataConnection& connection);

// True when `sequence` is a column's numbering under rule 18; `uses` is its database's
// SequenceUses.
DATAACCESS_EXPORT bool IsColumnNumbering(const SequenceDefinition& sequence,
                                         const QHash<QString, int>& uses);

// A sequence's bounds as compared (rule 18): "1..MAX" for 1 up to the 64-bit range's end.
DATAACCESS_EXPORT QString SequenceBoundsMeaning(const SequenceDefinition& sequence);

// A view's query as compared (rule 16): its meaning under rule 5 without the name of `database`,
// its own database, in front of its tables and columns.
DATAACCESS_EXPORT QString ViewMeaning(const QString& definition, const QString& database);

// The databases other than its own whose tables a MySQL or MariaDB view reads (rule 16): the
// first part of each database.table.column name of `meaning` (ViewMeaning) that remains once its
// own database's name is gone.
DATAACCESS_EXPORT QStringList OtherDatabasesRead(const QString& meaning);

// A trigger's events as compared (rule 17): in one order, UPDATE OF columns without regard to
// letter case or order.
DATAACCESS_EXPORT QString TriggerEventsMeaning(const TriggerDefinition& trigger);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_COLUMN_RULES_H_
