#include "dataaccess/postgres/postgres_catalog.h"

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "dataaccess/catalog/shared_values.h"
#include "dataaccess/postgres/postgres_copy.h"
#include "dataaccess/postgres/postgres_session.h"
#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"
#include "dataaccess/server/server_table_name.h"
#include "dataaccess/server/staged_objects.h"

namespace dataaccess {
namespace {

// The queries run in one read-only snapshot, without JIT compilation (compiling the catalog
// query costs the server more than it saves on a few hundred thousand rows) and without parallel
// workers: a worker is one more backend to start, which maps the catalog's pages afresh and
// passes every row on through a queue. When both databases of a comparison are on one server,
// the two reads already keep two of its cores busy; on a 2-core server, parallel workers made
// the pair of reads of two 10,000-table catalogs take 37% longer.
constexpr char kBegin[] =
    "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; SET LOCAL jit = off; "
    "SET LOCAL max_parallel_workers_per_gather = 0";
constexpr char kDefaultSchema[] = "SELECT coalesce(current_schema(), 'public')";
// Every schema but the engine's own, as kColumnsQuery leaves them out.
constexpr char kSchemasQuery[] =
    "SELECT nspname FROM pg_namespace WHERE nspname NOT IN ('pg_catalog', 'information_schema') "
    "AND nspname NOT LIKE 'pg\\_toast%' AND nspname NOT LIKE 'pg\\_temp\\_%'";

// The tables, views and foreign tables of the schemas read, each once with its schema, name and
// whether it is a view: named once here rather than on each of their columns' rows, the columns
// cost the server a third less at 10,000 tables. With them, in the same scan of pg_class, every
// sequence of any schema, which kNumberingDefaultsQuery needs: a default in the schemas read may
// take its numbers from one elsewhere. $SCHEMAS narrows the tables to the schemas of a schema set.
constexpr char kRelationsQuery[] = R"sql(
SELECT c.oid, n.nspname, c.relname, c.relkind
FROM pg_class c
JOIN pg_namespace n ON n.oid = c.relnamespace
WHERE c.relkind = 'S'
   OR (c.relkind IN ('r', 'p', 'v', 'm', 'f')
       AND n.nspname NOT IN ('pg_catalog', 'information_schema')
       AND n.nspname NOT LIKE 'pg\_toast%' AND n.nspname NOT LIKE 'pg\_temp\_%' $SCHEMAS))sql";
enum RelationsQueryField : int { kRelOid, kRelSchema, kRelName, kRelKind };

// One row per live column of those tables, unsorted (see catalog_rows.h). A column's type comes
// as its oid and modifier: format_type() costs the server less once per distinct pair
// (kTypesQuery) than on every row. Defaults are not joined here: the join to pg_attrdef doubled
// the query's cost at 10,000 tables, and the defaults that number a column come from
// kNumberingDefaultsQuery.
constexpr char kColumnsQuery[] = R"sql(COPY (
SELECT a.attrelid, a.attnum, a.attname, a.atttypid, a.atttypmod, a.attnotnull, a.attidentity,
       a.attgenerated
FROM pg_class c
JOIN pg_namespace n ON n.oid = c.relnamespace
JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f')
  AND n.nspname NOT IN ('pg_catalog', 'information_schema')
  AND n.nspname NOT LIKE 'pg\_toast%' AND n.nspname NOT LIKE 'pg\_temp\_%') TO STDOUT)sql";
enum ColumnsQueryField : int {
  kColTableOid,
  kColNumber,
  kColName,
  kColTypeOid,
  kColTypeModifier,
  kColNotNull,
  kColIdentity,   // 'a' ALWAYS, 'd' BY DEFAULT, empty for a column that is no identity column
  kColGenerated,  // 's' STORED, 'v' VIRTUAL, empty when not generated
  kColumnsQueryFields,
  // Added by kColumnDetailsFields when objects are asked for.
  kColExpression = kColumnsQueryFields,  // the default or generation expression; NULL for none
  kColCollationOid,                      // 0 for a type without collation
  kColumnsWithDetailsFields
};

// The columns whose default is a nextval() call of a sequence ($1, an array of oids), whatever
// cast surrounds it: a serial, or a sequence a hand-written schema made for it; with an identity
// column, these are the columns that number themselves. The defaults are found through the
// dependency each records on the sequence it names (nextval('s'), nextval('s'::regclass)), and
// only those are printed to be sure they call nextval: finding them in every default's stored
// expression made the server read all of pg_attrdef, a tenth of a 10,000-table read. The
// late-bound nextval('s'::text), which records no dependency, is a default like any other.
constexpr char kNumberingDefaultsQuery[] = R"sql(
SELECT d.adrelid, d.adnum
FROM pg_depend p
JOIN pg_attrdef d ON d.oid = p.objid
WHERE p.refclassid = 'pg_class'::regclass AND p.refobjid = ANY ($1::oid[])
  AND p.classid = 'pg_attrdef'::regclass
  AND pg_get_expr(d.adbin, d.adrelid) ~ '^\(*(pg_catalog\.)?nextval\(')sql";

// Each distinct type of the columns, given as arrays of oids ($1) and modifiers ($2) pair by
// pair: its spelling; then, of the type it stores (a domain's base type, through domains over
// domains), the spelling, the length in bytes (typlen; -1 or -2 for a variable length), whether
// a domain on the way holds NOT NULL and, for an enum type, one row per label in order.
constexpr char kTypesQuery[] = R"sql(
WITH RECURSIVE stored AS (
  SELECT u.oid AS key_oid, u.typmod AS key_typmod, u.oid, u.typmod, false AS not_null
  FROM unnest($1::oid[], $2::int4[]) AS u(oid, typmod)
  UNION ALL
  SELECT s.key_oid, s.key_typmod, t.typbasetype, t.typtypmod, s.not_null OR t.typnotnull
  FROM stored s JOIN pg_type t ON t.oid = s.oid AND t.typtype = 'd')
SELECT s.key_oid, s.key_typmod, format_type(s.key_oid, s.key_typmod),
       format_type(s.oid, s.typmod), t.typlen, s.not_null, e.enumlabel
FROM stored s
JOIN pg_type t ON t.oid = s.oid AND t.typtype <> 'd'
LEFT JOIN pg_enum e ON e.enumtypid = s.oid
ORDER BY 1, 2, e.enumsortorder)sql";
enum TypesQueryField : int {
  kTypeKeyOid,
  kTypeKeyModifier,
  kTypeSpelling,
  kTypeStoredSpelling,
  kTypeStoredLength,
  kTypeNotNull,
  kTypeEnumLabel,  // NULL but for an enum
};

// The queries of keys, indexes and constraints name tables and columns by oid and number only:
// the reader knows them from kColumnsQuery, and leaves out what that query did not list (the
// engine's own tables). Joined to pg_class and pg_attribute, the two queries cost the server
// more than the column query itself at 10,000 tables.
//
// One row per key part of every index but a primary key's, unsorted: the index's name, the
// part's column number, or 0 and the engine's text of its expression; whether it is descending
// (indoption bit 1); whether a UNIQUE constraint made the index; its access method; the part's
// operator class where it is not its type's default, its collation where it is not the column's
// own (an expression's: where it is not the database's default) and, for an exclusion
// constraint, the part's operator; whether NULLs count as equal ($NULLS_NOT_DISTINCT, of
// PostgreSQL 15 on); whether the part sorts NULLs against its direction's default (indoption
// 1 is DESC NULLS LAST, 2 ASC NULLS FIRST); and, on the first part's row, the column numbers of
// the INCLUDE columns, which are no key parts.
constexpr char kIndexesQuery[] = R"sql(COPY (
SELECT i.indrelid, ic.relname, k.ord, i.indkey[k.ord - 1],
       CASE WHEN i.indkey[k.ord - 1] = 0 THEN pg_get_indexdef(i.indexrelid, k.ord, true) END,
       (i.indoption[k.ord - 1] & 1) <> 0, i.indisunique, pg_get_expr(i.indpred, i.indrelid, true),
       i.indexrelid IN (SELECT u.conindid FROM pg_constraint u WHERE u.contype = 'u'),
       (SELECT am.amname FROM pg_am am WHERE am.oid = ic.relam),
       (SELECT oc.opcname FROM pg_opclass oc WHERE oc.oid = i.indclass[k.ord - 1]
          AND NOT oc.opcdefault),
       (SELECT co.collname FROM pg_collation co WHERE co.oid = i.indcollation[k.ord - 1]
          AND co.oid <> coalesce((SELECT a.attcollation FROM pg_attribute a
                                  WHERE a.attrelid = i.indrelid
                                    AND a.attnum = i.indkey[k.ord - 1]), 100)),
       CASE WHEN i.indisexclusion THEN
         (SELECT o.oprname FROM pg_constraint x JOIN pg_operator o ON o.oid = x.conexclop[k.ord]
          WHERE x.conindid = i.indexrelid AND x.contype = 'x') END,
       $NULLS_NOT_DISTINCT,
       (i.indoption[k.ord - 1] & 3) IN (1, 2),
       CASE WHEN k.ord = 1 AND i.indnatts > i.indnkeyatts THEN
         (SELECT string_agg(i.indkey[n]::text, ' ' ORDER BY n)
          FROM generate_series(i.indnkeyatts, i.indnatts - 1) AS n) END
FROM pg_index i
JOIN pg_class ic ON ic.oid = i.indexrelid
CROSS JOIN LATERAL generate_series(1, i.indnkeyatts::int) AS k(ord)
WHERE NOT i.indisprimary) TO STDOUT)sql";
enum IndexesQueryField : int {
  kIdxTableOid,
  kIdxName,
  kIdxPosition,
  kIdxColumnNumber,  // 0 for an expression
  kIdxExpression,
  kIdxDescending,
  kIdxUnique,
  kIdxPredicate,
  kIdxByUniqueConstraint,
  kIdxMethod,
  kIdxOperatorClass,      // NULL for the type's default
  kIdxCollation,          // NULL for the column's own
  kIdxExclusionOperator,  // NULL but for an exclusion constraint
  kIdxNullsNotDistinct,
  kIdxNullsReversed,
  kIdxIncluded,  // "3 5": column numbers; NULL but on the first part of an index with some
  kIndexesQueryFields
};

// One row per column of every primary and foreign key, with the referenced column of the same
// position, and one row per check constraint with its expression, unsorted. Unique constraints
// come with their indexes (kIndexesQuery); NOT NULL constraints, which newer servers list here,
// are no checks; a domain's checks belong to no table.
constexpr char kConstraintsQuery[] = R"sql(COPY (
SELECT x.conrelid, x.contype, x.conname, k.ord, k.attnum, x.confrelid, k.fattnum,
       x.confdeltype, x.confupdtype, x.confmatchtype, x.condeferrable, x.condeferred,
       CASE WHEN x.contype = 'c' THEN pg_get_expr(x.conbin, x.conrelid, true) END
FROM pg_constraint x
LEFT JOIN LATERAL unnest(x.conkey, x.confkey) WITH ORDINALITY AS k(attnum, fattnum, ord)
  ON x.contype <> 'c'
WHERE x.contype IN ('p', 'f', 'c') AND x.conrelid <> 0) TO STDOUT)sql";
enum ConstraintsQueryField : int {
  kConTableOid,
  kConType,
  kConName,
  kConPosition,
  kConColumnNumber,
  kConReferencedTableOid,
  kConReferencedColumnNumber,
  kConOnDelete,
  kConOnUpdate,
  kConMatch,
  kConDeferrable,
  kConInitiallyDeferred,
  kConCheckExpression,
  kConstraintsQueryFields
};

// The queries below are run only when objects are asked for, and name tables by oid as the two
// above do.
//
// The fields kColumnsQuery gains when objects are asked for, so that the column details cost no
// second pass over pg_attribute and pg_attrdef: a default or generation expression as the engine
// prints it, how it is generated, and the collation's oid (kCollationsQuery). Only a
// generation expression names columns: a default cannot, and printing it without its table
// spares the server a lookup of the table's name and columns on every row. kColumnDetailsJoin
// joins the defaults for them.
constexpr char kColumnDetailsFields[] =
    ",\n       pg_get_expr(d.adbin, CASE WHEN a.attgenerated <> '' THEN d.adrelid ELSE 0 END),"
    "\n       a.attcollation";
constexpr char kColumnDetailsJoin[] =
    "\nLEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum";

// Every collation: its name, its locale ($LOCALE, which depends on the server's version) and
// whether it is deterministic. A column whose collation is the database's default ("default",
// oid 100) has no collation of its own to tell.
constexpr char kCollationsQuery[] =
    "SELECT co.oid, co.collname, $LOCALE, co.collisdeterministic FROM pg_collation co";
enum CollationsQueryField : int {
  kCollOid,
  kCollName,
  kCollLocale,
  kCollDeterministic,
};
constexpr uint kDefaultCollationOid = 100;

// The database's default collation and its locale ($LOCALE).
constexpr char kDatabaseCollationQuery[] =
    "SELECT datcollate, $LOCALE FROM pg_database WHERE datname = current_database()";
enum DatabaseCollationQueryField : int { kDatabaseCollation, kDatabaseCollationLocale };

// Each view's query as the engine prints it, read when objects are asked for.
constexpr char kViewDefinitionsQuery[] = R"sql(
SELECT c.oid, pg_get_viewdef(c.oid, true) FROM pg_class c
JOIN pg_namespace n ON n.oid = c.relnamespace
WHERE c.relkind IN ('v', 'm') AND n.nspname NOT IN ('pg_catalog', 'information_schema'))sql";
enum ViewsQueryField : int { kViewOid, kViewDefinition };

// Every trigger a user made (not those the engine makes for foreign keys): its table, name,
// tgtype bits, the columns of UPDATE OF (int2vector, "2 5"), the engine's CREATE TRIGGER text
// (whence the WHEN condition and the EXECUTE FUNCTION call) and the function's source.
constexpr char kTriggersQuery[] = R"sql(COPY (
SELECT t.tgrelid, t.tgname, t.tgtype, t.tgattr, pg_get_triggerdef(t.oid, true), p.prosrc
FROM pg_trigger t JOIN pg_proc p ON p.oid = t.tgfoid
WHERE NOT t.tgisinternal) TO STDOUT)sql";
enum TriggersQueryField : int {
  kTrigTableOid,
  kTrigName,
  kTrigType,
  kTrigUpdateColumns,
  kTrigDefinition,
  kTrigFunctionSource,
  kTriggersQueryFields
};

// Every sequence of the schemas kColumnsQuery reads, with the column that owns it: a serial's or
// OWNED BY ('a'uto) or an identity column's ('i'nternal dependency).
constexpr char kSequencesQuery[] = R"sql(COPY (
SELECT n.nspname, c.relname, s.seqstart, s.seqincrement, s.seqmin, s.seqmax, s.seqcycle,
       d.refobjid, d.refobjsubid
FROM pg_sequence s
JOIN pg_class c ON c.oid = s.seqrelid
JOIN pg_namespace n ON n.oid = c.relnamespace
LEFT JOIN pg_depend d ON d.classid = 'pg_class'::regclass AND d.objid = s.seqrelid
  AND d.refclassid = 'pg_class'::regclass AND d.refobjsubid > 0 AND d.deptype IN ('a', 'i')
WHERE n.nspname NOT IN ('pg_catalog', 'information_schema')
  AND n.nspname NOT LIKE 'pg\_toast%' AND n.nspname NOT LIKE 'pg\_temp\_%') TO STDOUT)sql";
enum SequencesQueryField : int {
  kSeqSchema,
  kSeqName,
  kSeqStart,
  kSeqIncrement,
  kSeqMinimum,
  kSeqMaximum,
  kSeqCycle,
  kSeqOwnerTableOid,  // NULL for a sequence no column owns
  kSeqOwnerColumnNumber,
  kSequencesQueryFields
};

// Every rule a user made (not the _RETURN rule that makes a view): its table, name, event
// (ev_type '1' SELECT, '2' UPDATE, '3' INSERT, '4' DELETE), whether it is DO INSTEAD and the
// engine's CREATE RULE text.
constexpr char kRulesQuery[] = R"sql(COPY (
SELECT r.ev_class, r.rulename, r.ev_type, r.is_instead, pg_get_ruledef(r.oid, true)
FROM pg_rewrite r WHERE r.rulename <> '_RETURN') TO STDOUT)sql";
enum RulesQueryField : int {
  kRuleTableOid,
  kRuleName,
  kRuleEvent,
  kRuleInstead,
  kRuleDefinition,
  kRulesQueryFields
};

// The unlogged tables.
constexpr char kUnloggedQuery[] =
    "SELECT oid FROM pg_class WHERE relpersistence = 'u' AND relkind IN ('r', 'p')";

// The collations the database made itself (CREATE COLLATION) in the schemas kColumnsQuery reads:
// their schema, name, provider ('c' libc, 'i' ICU, 'b' builtin), locale ($LOCALE) and whether
// they are deterministic.
constexpr char kOwnCollationsQuery[] = R"sql(
SELECT n.nspname, co.collname, co.collprovider, $LOCALE, co.collisdeterministic
FROM pg_collation co JOIN pg_namespace n ON n.oid = co.collnamespace
WHERE n.nspname NOT IN ('pg_catalog', 'information_schema')
  AND n.nspname NOT LIKE 'pg\_toast%' AND n.nspname NOT LIKE 'pg\_temp\_%')sql";
enum OwnCollationsQueryField : int {
  kOwnCollSchema,
  kOwnCollName,
  kOwnCollProvider,
  kOwnCollLocale,
  kOwnCollDeterministic,
};

// tgtype's bits (the engine's TRIGGER_TYPE_*).
constexpr int kTriggerRow = 1 << 0;
constexpr int kTriggerBefore = 1 << 1;
constexpr int kTriggerInsert = 1 << 2;
constexpr int kTriggerDelete = 1 << 3;
constexpr int kTriggerUpdate = 1 << 4;
constexpr int kTriggerTruncate = 1 << 5;
constexpr int kTriggerInstead = 1 << 6;

PgResult Checked(PGconn* conn, PGresult* raw, const QString& target) {
  PgResult result(raw);
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
    throw CatalogUnreadableError(target, QString::fromUtf8(PQerrorMessage(conn)).trimmed());
  }
  return result;
}

PgResult Run(PGconn* conn, const char* sql, const QString& target) {
  return Checked(conn, PQexec(conn, sql), target);
}

QString Text(PGresult* result, int row, int column) {
  return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

uint Oid(PGresult* result, int row, int column) {
  return static_cast<uint>(std::strtoul(PQgetvalue(result, row, column), nullptr, 10));
}

QString Text(const CopyTextRow& row, size_t field) {
  const std::string_view text = row.Field(field);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool Flag(const CopyTextRow& row, size_t field) { return row.Field(field) == "t"; }

// A number field; 0 for NULL.
template <class Number>
Number Parsed(const CopyTextRow& row, size_t field) {
  const std::string_view text = row.Field(field);
  Number value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

uint Oid(const CopyTextRow& row, size_t field) { return Parsed<uint>(row, field); }
int Int(const CopyTextRow& row, size_t field) { return Parsed<int>(row, field); }

// Until kTypesQuery has answered, a column's type is staged as a key: the type's oid in
// data_type, its modifier in size and, in attributes, kAutoIncrement, kAlwaysNumbered and
// kGenerated as the column's row says.
using TypeKey = QPair<uint, int>;

ColumnType StagedKey(uint oid, int typmod, int32_t attributes) {
  ColumnType key;
  key.data_type = static_cast<int32_t>(oid);
  key.size = typmod;
  key.attributes = attributes;
  return key;
}

TypeKey KeyOf(const ColumnType& staged) {
  return {static_cast<uint>(staged.data_type), staged.size};
}

// What kTypesQuery says of one type.
struct TypeFacts {
  QString spelling;         // as the column declares it (a domain's name)
  QString stored_spelling;  // of the type it stores (a domain's base type)
  int typlen = -1;
  bool not_null = false;  // a domain's NOT NULL
  QStringList enum_labels;
};

QHash<TypeKey, TypeFacts> ReadTypeFacts(PGconn* conn, const QString& target,
                                        const std::vector<StoredType>& staged) {
  QSet<TypeKey> asked;
  QByteArray oids = "{";
  QByteArray typmods = "{";
  for (const StoredType& type : staged) {
    const TypeKey key = KeyOf(type.type);
    if (asked.contains(key)) continue;
    asked.insert(key);
    if (asked.size() > 1) {
      oids += ',';
      typmods += ',';
    }
    oids += QByteArray::number(key.first);
    typmods += QByteArray::number(key.second);
  }
  oids += '}';
  typmods += '}';
  const char* const values[] = {oids.constData(), typmods.constData()};
  const PgResult result = Checked(
      conn, PQexecParams(conn, kTypesQuery, 2, nullptr, values, nullptr, nullptr, 0), target);
  QHash<TypeKey, TypeFacts> facts;
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    PGresult* const types = result.get();
    TypeFacts& type =
        facts[{Oid(types, i, kTypeKeyOid), std::atoi(PQgetvalue(types, i, kTypeKeyModifier))}];
    type.spelling = Text(types, i, kTypeSpelling);
    type.stored_spelling = Text(types, i, kTypeStoredSpelling);
    type.typlen = std::atoi(PQgetvalue(types, i, kTypeStoredLength));
    type.not_null = *PQgetvalue(types, i, kTypeNotNull) == 't';
    if (!PQgetisnull(types, i, kTypeEnumLabel))
      type.enum_labels.append(Text(types, i, kTypeEnumLabel));
  }
  return facts;
}

// Replaces each staged key by the column type it stands for; returns the spellings of the
// domains that hold NOT NULL, which make their columns required.
QSet<QString> ResolveTypes(PGconn* conn, const QString& target, CatalogRows<uint>& found) {
  std::vector<StoredType> types = found.Types();
  QSet<QString> not_null_domains;
  if (types.empty()) return not_null_domains;
  const QHash<TypeKey, TypeFacts> facts = ReadTypeFacts(conn, target, types);
  for (StoredType& type : types) {
    const int32_t attributes = type.type.attributes;
    const TypeFacts fact = facts.value(KeyOf(type.type));
    type.declared = fact.spelling;
    type.labels = fact.enum_labels;
    type.type =
        !fact.enum_labels.isEmpty()
            ? EnumType(fact.enum_labels)
            : WithTypeLength(ClassifyDeclaredType(fact.stored_spelling, TypeDialect::kPostgres),
                             fact.typlen > 0 ? fact.typlen : -1);
    if (attributes & kAutoIncrement) type.type = AutoNumbered(type.type);
    type.type.attributes |= attributes & (kGenerated | kAlwaysNumbered);
    if (fact.not_null) not_null_domains.insert(fact.spelling);
  }
  found.ReplaceTypes(std::move(types));
  return not_null_domains;
}

// pg_constraint's confdeltype and confupdtype.
ReferentialAction Action(std::string_view code) {
  switch (code.empty() ? 'a' : code[0]) {
    case 'r':
      return ReferentialAction::kRestrict;
    case 'c':
      return ReferentialAction::kCascade;
    case 'n':
      return ReferentialAction::kSetNull;
    case 'd':
      return ReferentialAction::kSetDefault;
    default:
      return ReferentialAction::kNoAction;
  }
}

// The text of a collation's locale in pg_collation (`collation` true, alias co) or pg_database:
// the ICU locale of an ICU collation, else the libc locale. The columns came and went with the
// server's versions: PostgreSQL 15 added the ICU ones (before, collcollate held an ICU
// collation's locale too), 17 renamed them.
QByteArray LocaleExpression(int version, bool collation) {
  if (version >= 170000) {
    return collation ? "CASE WHEN co.collprovider = 'c' THEN co.collcollate ELSE co.colllocale END"
                     : "CASE WHEN datlocprovider = 'c' THEN datcollate ELSE datlocale END";
  }
  if (version >= 150000) {
    return collation
               ? "CASE WHEN co.collprovider = 'i' THEN co.colliculocale ELSE co.collcollate END"
               : "CASE WHEN datlocprovider = 'i' THEN daticulocale ELSE datcollate END";
  }
  return collation ? "co.collcollate" : "datcollate";
}

QByteArray WithLocale(const char* sql, int version, bool collation) {
  return QByteArray(sql).replace("$LOCALE", LocaleExpression(version, collation));
}

// The columns, as table oid and column number, whose default draws from one of `sequences`.
QSet<QPair<uint, int>> ReadNumberingDefaults(PGconn* conn, const QString& target,
                                             const std::vector<uint>& sequences) {
  QSet<QPair<uint, int>> columns;
  if (sequences.empty()) return columns;
  QByteArray oids = "{";
  for (const uint oid : sequences) {
    if (oids.size() > 1) oids += ',';
    oids += QByteArray::number(oid);
  }
  oids += '}';
  const char* const values[] = {oids.constData()};
  const PgResult result = Checked(
      conn, PQexecParams(conn, kNumberingDefaultsQuery, 1, nullptr, values, nullptr, nullptr, 0),
      target);
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    columns.insert({Oid(result.get(), i, 0), std::atoi(PQgetvalue(result.get(), i, 1))});
  }
  return columns;
}

// The collations by oid, each made once for all the columns that have it.
using Collations = QHash<uint, std::shared_ptr<const ColumnCollation>>;

Collations ReadCollations(PGconn* conn, const QString& target) {
  const QByteArray sql = WithLocale(kCollationsQuery, PQserverVersion(conn), true);
  const PgResult result = Run(conn, sql.constData(), target);
  Collations collations;
  for (int i = 0; i < PQntuples(result.get()); ++i) {
    ColumnCollation collation;
    collation.name = Text(result.get(), i, kCollName);
    collation.locale = Text(result.get(), i, kCollLocale);
    collation.deterministic = *PQgetvalue(result.get(), i, kCollDeterministic) == 't';
    collations.insert(Oid(result.get(), i, kCollOid),
                      std::make_shared<const ColumnCollation>(std::move(collation)));
  }
  return collations;
}

// What a row of the columns query with kColumnDetailsFields tells of its column beyond its
// type, but its name; nothing when the column has no default, is not generated and keeps the
// database's collation.
std::optional<ColumnDetails> DetailsOf(const CopyTextRow& r, const Collations& collations,
                                       SharedTexts& texts) {
  const uint collation = Oid(r, kColCollationOid);
  std::shared_ptr<const ColumnCollation> collated =
      collation == kDefaultCollationOid ? nullptr : collations.value(collation);
  if (r.IsNull(kColExpression) && !collated) return std::nullopt;
  ColumnDetails details;
  if (!r.Field(kColGenerated).empty()) {
    details.generation = std::make_shared<const ColumnGeneration>(
        ColumnGeneration{Text(r, kColExpression), r.Field(kColGenerated) == "s"});
  } else if (!r.IsNull(kColExpression)) {
    details.default_value = texts.Shared(Text(r, kColExpression));
  }
  details.collation = std::move(collated);
  return details;
}

// pg_get_triggerdef's text split into the WHEN condition (without its parentheses; empty when
// there is none) and what follows it, the EXECUTE FUNCTION call. The clauses before FOR EACH
// hold only keywords and names, which the engine quotes where they could be taken for one.
struct TriggerText {
  QString when;
  QString call;
};

TriggerText SplitTriggerDefinition(const QString& definition) {
  qsizetype at = -1;
  bool quoted = false;
  for (qsizetype i = 0; i < definition.size(); ++i) {
    if (definition[i] == u'"') {
      quoted = !quoted;
    } else if (!quoted && QStringView(definition).mid(i).startsWith(u" FOR EACH ")) {
      at = i;
      break;
    }
  }
  if (at < 0) return {QString(), definition};
  qsizetype rest = definition.indexOf(u' ', at + 10);  // past ROW or STATEMENT
  if (rest < 0) return {};
  ++rest;
  TriggerText text;
  if (QStringView(definition).mid(rest).startsWith(u"WHEN (")) {
    const qsizetype open = rest + 5;
    int depth = 0;
    QChar quote;
    for (qsizetype i = open; i < definition.size(); ++i) {
      const QChar c = definition[i];
      if (!quote.isNull()) {
        if (c == quote) quote = QChar();
      } else if (c == u'\'' || c == u'"') {
        quote = c;
      } else if (c == u'(') {
        ++depth;
      } else if (c == u')' && --depth == 0) {
        text.when = definition.mid(open + 1, i - open - 1);
        rest = i + 1;
        break;
      }
    }
  }
  text.call = definition.mid(rest).trimmed();
  return text;
}

// Stages the keys, indexes, foreign keys and checks of every table `found` holds, named as the
// catalog names its tables (views have none), and the triggers of its tables and views.
void ReadObjects(PGconn* conn, const QString& target, const QString& default_schema,
                 const CatalogRows<uint>& found, StagedObjects& objects) {
  const auto table_of = [&](uint oid) -> std::optional<size_t> {
    const std::optional<size_t> slot = found.Find(oid);
    if (!slot || found.IsView(*slot)) return std::nullopt;
    return slot;
  };
  const auto name_of = [&](size_t slot) {
    return ServerTableName(default_schema, found.Schema(slot), found.Name(slot));
  };
  const QByteArray indexes_query =
      QByteArray(kIndexesQuery)
          .replace("$NULLS_NOT_DISTINCT",
                   PQserverVersion(conn) >= 150000 ? "i.indnullsnotdistinct" : "false");
  const auto add_index_part = [&](const CopyTextRow& r) {
    const std::optional<size_t> table = table_of(Oid(r, kIdxTableOid));
    if (!table) return;
    IndexPart part;
    if (const int column = Int(r, kIdxColumnNumber); column != 0)
      part.column = found.ColumnName(*table, column);
    part.expression = Text(r, kIdxExpression);
    part.descending = Flag(r, kIdxDescending);
    part.operator_class = Text(r, kIdxOperatorClass);
    part.collation = Text(r, kIdxCollation);
    part.exclusion_operator = Text(r, kIdxExclusionOperator);
    part.nulls_reversed = Flag(r, kIdxNullsReversed);
    const bool exclusion = !r.IsNull(kIdxExclusionOperator);
    IndexDefinition& index = objects.AddIndexPart(name_of(*table), Text(r, kIdxName),
                                                  Int(r, kIdxPosition), std::move(part));
    index.unique = Flag(r, kIdxUnique);
    index.nulls_not_distinct = Flag(r, kIdxNullsNotDistinct);
    if (!r.IsNull(kIdxIncluded)) {
      for (const QString& number : Text(r, kIdxIncluded).split(u' ', Qt::SkipEmptyParts)) {
        index.included.append(found.ColumnName(*table, number.toInt()));
      }
    }
    index.predicate = Text(r, kIdxPredicate);
    index.method = Text(r, kIdxMethod);
    index.origin = exclusion                         ? IndexDefinition::Origin::kExclusionConstraint
                   : Flag(r, kIdxByUniqueConstraint) ? IndexDefinition::Origin::kUniqueConstraint
                                                     : IndexDefinition::Origin::kIndex;
  };
  ForEachCopyRow(conn, indexes_query.constData(), target, kIndexesQueryFields, add_index_part);
  ForEachCopyRow(
      conn, kConstraintsQuery, target, kConstraintsQueryFields, [&](const CopyTextRow& r) {
        const std::optional<size_t> table = table_of(Oid(r, kConTableOid));
        if (!table) return;
        const QString name = name_of(*table);
        switch (r.Field(kConType).empty() ? ' ' : r.Field(kConType)[0]) {
          case 'p':
            objects.AddPrimaryKeyColumn(name, Text(r, kConName), Int(r, kConPosition),
                                        found.ColumnName(*table, Int(r, kConColumnNumber)));
            break;
          case 'f': {
            const std::optional<size_t> referenced = found.Find(Oid(r, kConReferencedTableOid));
            ForeignKeyDefinition& key = objects.AddForeignKeyColumn(
                name, Text(r, kConName), Int(r, kConPosition),
                found.ColumnName(*table, Int(r, kConColumnNumber)),
                referenced ? found.ColumnName(*referenced, Int(r, kConReferencedColumnNumber))
                           : QString());
            if (referenced) key.referenced_table = name_of(*referenced);
            key.on_delete = Action(r.Field(kConOnDelete));
            key.on_update = Action(r.Field(kConOnUpdate));
            key.match_full = r.Field(kConMatch) == "f";
            key.deferrable = Flag(r, kConDeferrable);
            key.initially_deferred = Flag(r, kConInitiallyDeferred);
            break;
          }
          default:
            objects.AddCheck(name, {Text(r, kConName), Text(r, kConCheckExpression)});
        }
      });
  ForEachCopyRow(conn, kTriggersQuery, target, kTriggersQueryFields, [&](const CopyTextRow& r) {
    const std::optional<size_t> table = found.Find(Oid(r, kTrigTableOid));
    if (!table) return;
    TriggerDefinition& trigger = objects.AddTrigger(name_of(*table), Text(r, kTrigName));
    const int type = Int(r, kTrigType);
    trigger.timing = (type & kTriggerInstead)  ? QStringLiteral("INSTEAD OF")
                     : (type & kTriggerBefore) ? QStringLiteral("BEFORE")
                                               : QStringLiteral("AFTER");
    // In the order the engine's CREATE TRIGGER text names them.
    for (const auto& [bit, event] : {std::pair{kTriggerInsert, "INSERT"},
                                     {kTriggerDelete, "DELETE"},
                                     {kTriggerUpdate, "UPDATE"},
                                     {kTriggerTruncate, "TRUNCATE"}}) {
      if (type & bit) trigger.events.append(QString::fromLatin1(event));
    }
    for (const QString& attnum : Text(r, kTrigUpdateColumns).split(u' ', Qt::SkipEmptyParts)) {
      trigger.update_columns.append(found.ColumnName(*table, attnum.toLong()));
    }
    trigger.for_each_row = (type & kTriggerRow) != 0;
    TriggerText text = SplitTriggerDefinition(Text(r, kTrigDefinition));
    trigger.when = std::move(text.when);
    trigger.body = text.call + u'\n' + Text(r, kTrigFunctionSource);
  });
  ForEachCopyRow(conn, kRulesQuery, target, kRulesQueryFields, [&](const CopyTextRow& r) {
    const std::optional<size_t> table = found.Find(Oid(r, kRuleTableOid));
    if (!table) return;
    static constexpr const char* kEvents[] = {"SELECT", "UPDATE", "INSERT", "DELETE"};
    const int event = Int(r, kRuleEvent);
    objects.AddRule(name_of(*table),
                    {Text(r, kRuleName),
                     event >= 1 && event <= 4 ? QString::fromLatin1(kEvents[event - 1]) : QString(),
                     Flag(r, kRuleInstead), Text(r, kRuleDefinition)});
  });
  const PgResult unlogged = Run(conn, kUnloggedQuery, target);
  for (int i = 0; i < PQntuples(unlogged.get()); ++i) {
    if (const std::optional<size_t> table = table_of(Oid(unlogged.get(), i, 0))) {
      objects.SetUnlogged(name_of(*table));
    }
  }
}

// The database's default collation and its sequences, sorted by name.
void ReadDatabaseObjects(PGconn* conn, const QString& target, const QString& default_schema,
                         const CatalogRows<uint>& found, DatabaseObjects& database) {
  {
    const QByteArray sql = WithLocale(kDatabaseCollationQuery, PQserverVersion(conn), false);
    const PgResult result = Run(conn, sql.constData(), target);
    if (PQntuples(result.get()) > 0) {
      database.default_collation = Text(result.get(), 0, kDatabaseCollation);
      database.default_collation_locale = Text(result.get(), 0, kDatabaseCollationLocale);
    }
    database.default_collation_deterministic = true;
  }
  ForEachCopyRow(conn, kSequencesQuery, target, kSequencesQueryFields, [&](const CopyTextRow& r) {
    SequenceDefinition sequence;
    sequence.name = ServerTableName(default_schema, Text(r, kSeqSchema), Text(r, kSeqName));
    sequence.start = Parsed<qint64>(r, kSeqStart);
    sequence.increment = Parsed<qint64>(r, kSeqIncrement);
    sequence.minimum = Parsed<qint64>(r, kSeqMinimum);
    sequence.maximum = Parsed<qint64>(r, kSeqMaximum);
    sequence.cycle = Flag(r, kSeqCycle);
    if (const std::optional<size_t> owner = found.Find(Oid(r, kSeqOwnerTableOid))) {
      sequence.owned_by =
          ServerTableName(default_schema, found.Schema(*owner), found.Name(*owner)) + u'.' +
          found.ColumnName(*owner, Int(r, kSeqOwnerColumnNumber));
    }
    database.sequences.push_back(std::move(sequence));
  });
  std::stable_sort(
      database.sequences.begin(), database.sequences.end(),
      [](const SequenceDefinition& a, const SequenceDefinition& b) { return a.name < b.name; });
  const QByteArray sql = WithLocale(kOwnCollationsQuery, PQserverVersion(conn), true);
  const PgResult collations = Run(conn, sql.constData(), target);
  for (int i = 0; i < PQntuples(collations.get()); ++i) {
    PGresult* const rows = collations.get();
    CollationDefinition collation;
    collation.name =
        ServerTableName(default_schema, Text(rows, i, kOwnCollSchema), Text(rows, i, kOwnCollName));
    const char provider = *PQgetvalue(rows, i, kOwnCollProvider);
    collation.provider = provider == 'i'   ? QStringLiteral("icu")
                         : provider == 'b' ? QStringLiteral("builtin")
                                           : QStringLiteral("libc");
    collation.locale = Text(rows, i, kOwnCollLocale);
    collation.deterministic = *PQgetvalue(rows, i, kOwnCollDeterministic) == 't';
    database.collations.push_back(std::move(collation));
  }
  std::stable_sort(
      database.collations.begin(), database.collations.end(),
      [](const CollationDefinition& a, const CollationDefinition& b) { return a.name < b.name; });
}

}  // namespace

namespace {

// What a read leaves for filling the catalogs.
struct StagedRead {
  CatalogRows<uint> found;
  QString default_schema;
  QSet<QString> not_null_domains;
  StagedObjects objects;
  DatabaseObjects database;
};

// Stages every table of the schemas `schema_condition` (an SQL condition on n.nspname, or empty
// for all) in a read-only snapshot it leaves open; with the column details and view definitions
// when asked and it reads every schema (a schema set's tables are named without their schema,
// which the objects' references would need: its catalogs tell no objects).
void Stage(PGconn* conn, const QString& target, const QByteArray& schema_condition,
           bool with_objects, StagedRead& read) {
  // pg_attribute.attgenerated, which kColumnsQuery reads, came with PostgreSQL 12.
  if (const int version = PQserverVersion(conn); version > 0 && version < 120000) {
    throw CatalogUnreadableError(
        target, QStringLiteral("the server runs PostgreSQL %1.%2; Vantrel reads PostgreSQL 12 "
                               "or later: compare a copy of the database on a newer server")
                    .arg(version / 10000)
                    .arg(version >= 100000 ? version % 10000 : version / 100 % 100));
  }
  Run(conn, kBegin, target);
  const PgResult schema = Run(conn, kDefaultSchema, target);
  read.default_schema = Text(schema.get(), 0, 0);
  const bool objects = with_objects && schema_condition.isEmpty();
  QByteArray columns_query = kColumnsQuery;
  if (objects) {
    columns_query.insert(columns_query.indexOf("\nWHERE c.relkind"), kColumnDetailsJoin);
    columns_query.insert(columns_query.indexOf("\nFROM pg_class"), kColumnDetailsFields);
  }
  if (!schema_condition.isEmpty()) {
    columns_query.insert(columns_query.lastIndexOf(") TO STDOUT"), " AND " + schema_condition);
  }
  const Collations collations = objects ? ReadCollations(conn, target) : Collations();
  CatalogRows<uint>& found = read.found;
  std::vector<uint> sequences;
  std::vector<uint> views;
  {
    QByteArray relations_query = kRelationsQuery;
    relations_query.replace("$SCHEMAS",
                            schema_condition.isEmpty() ? QByteArray() : "AND " + schema_condition);
    const PgResult relations = Run(conn, relations_query.constData(), target);
    PGresult* const rows = relations.get();
    for (int i = 0; i < PQntuples(rows); ++i) {
      const uint oid = Oid(rows, i, kRelOid);
      const char kind = *PQgetvalue(rows, i, kRelKind);
      if (kind == 'S') {
        sequences.push_back(oid);
        continue;
      }
      found.AddTable(oid, Text(rows, i, kRelSchema), Text(rows, i, kRelName));
      if (kind == 'v' || kind == 'm') views.push_back(oid);
    }
  }
  const QSet<QPair<uint, int>> numbering_defaults = ReadNumberingDefaults(conn, target, sequences);
  ServerColumn column;  // reused: its name keeps its buffer from row to row
  // The details of each table found, by its slot: the rows of a table do not come together
  // when the server's hash join runs in batches.
  std::vector<ColumnDetailsRun> details_of;
  SharedTexts texts;
  ForEachCopyRow(
      conn, columns_query.constData(), target,
      objects ? kColumnsWithDetailsFields : kColumnsQueryFields, [&](const CopyTextRow& r) {
        const uint oid = Oid(r, kColTableOid);
        const std::optional<size_t> table = found.Find(oid);
        if (!table) return;  // not possible in the one snapshot both queries read
        const int attnum = Int(r, kColNumber);
        int32_t attributes = 0;
        const std::string_view identity = r.Field(kColIdentity);
        if (!identity.empty() || numbering_defaults.contains({oid, attnum})) {
          attributes |= kAutoIncrement;
        }
        if (identity == "a") attributes |= kAlwaysNumbered;
        if (!r.Field(kColGenerated).empty()) attributes |= kGenerated;
        AssignUtf8(column.name, r.Field(kColName));
        column.type = StagedKey(Oid(r, kColTypeOid), Int(r, kColTypeModifier), attributes);
        column.required = Flag(r, kColNotNull);
        found.AddColumn(*table, attnum, column);
        if (!objects) return;
        std::optional<ColumnDetails> details = DetailsOf(r, collations, texts);
        if (!details) return;
        details->column = texts.Shared(Text(r, kColName));
        if (*table >= details_of.size()) details_of.resize(*table + 1);
        details_of[*table].details.push_back(std::move(*details));
        details_of[*table].positions.push_back(attnum);
      });
  for (size_t slot = 0; slot < details_of.size(); ++slot) {
    if (details_of[slot].details.empty()) continue;
    read.objects.AddColumnDetails(
        ServerTableName(read.default_schema, found.Schema(slot), found.Name(slot)),
        std::move(details_of[slot]));
  }
  read.not_null_domains = ResolveTypes(conn, target, found);
  for (const uint view : views) found.MarkView(view);
  if (objects) {
    const PgResult definitions = Run(conn, kViewDefinitionsQuery, target);
    for (int i = 0; i < PQntuples(definitions.get()); ++i) {
      if (const std::optional<size_t> view = found.Find(Oid(definitions.get(), i, kViewOid))) {
        read.objects.SetViewDefinition(
            ServerTableName(read.default_schema, found.Schema(*view), found.Name(*view)),
            Text(definitions.get(), i, kViewDefinition));
      }
    }
  }
}

StagedCatalog::Adjust NotNullDomains(const QSet<QString>& not_null_domains) {
  if (not_null_domains.isEmpty()) return {};
  return [&not_null_domains](const QString&, const QString&, ColumnDefinition& column) {
    if (not_null_domains.contains(column.declared_type)) column.required = true;
  };
}

}  // namespace

int ReadPostgresCatalog(PGconn* conn, const QString& target, CatalogTables& tables,
                        bool with_objects, DatabaseObjects* database) {
  StagedRead read;
  Stage(conn, target, {}, with_objects, read);
  read.found.Fill(tables, read.default_schema, NotNullDomains(read.not_null_domains));
  // Keys, indexes and the rest are read in the same snapshot once the catalog is filled, which
  // gives back the staged columns first: both take most room at 10,000 tables.
  if (with_objects) {
    ReadObjects(conn, target, read.default_schema, read.found, read.objects);
    ReadDatabaseObjects(conn, target, read.default_schema, read.found, read.database);
  }
  Run(conn, "COMMIT", target);
  if (!with_objects) return 0;
  read.objects.Attach(tables);
  if (database) *database = std::move(read.database);
  return kAllObjectKinds | kPostgresObjectKinds;
}

QStringList PostgresSchemaNames(PGconn* conn, const QString& target) {
  const PgResult result = Run(conn, kSchemasQuery, target);
  QStringList names;
  for (int i = 0; i < PQntuples(result.get()); ++i) names.append(Text(result.get(), i, 0));
  return names;
}

void ReadPostgresSchemas(PGconn* conn, const QString& target, const QStringList& schemas,
                         const StagedCatalog::SchemaFill& each) {
  QByteArray condition = "n.nspname IN (";
  for (qsizetype i = 0; i < schemas.size(); ++i) {
    const QByteArray name = schemas[i].toUtf8();
    char* literal = PQescapeLiteral(conn, name.constData(), static_cast<size_t>(name.size()));
    if (!literal) throw CatalogUnreadableError(target, QString::fromUtf8(PQerrorMessage(conn)));
    if (i > 0) condition += ", ";
    condition += literal;
    PQfreemem(literal);
  }
  condition += ')';
  StagedRead read;
  if (!schemas.isEmpty()) {
    Stage(conn, target, condition, false, read);
    Run(conn, "COMMIT", target);
  }
  read.found.FillSchemas(schemas, each, NotNullDomains(read.not_null_domains));
}

}  // namespace dataaccess
