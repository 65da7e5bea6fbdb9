#include "dataaccess/postgres/postgres_catalog.h"

#include <QHash>
#include <QPair>
#include <QSet>
#include <cstdlib>
#include <memory>
#include <optional>

#include "dataaccess/server/catalog_rows.h"
#include "dataaccess/server/server_connect.h"

namespace dataaccess {
namespace {

// The queries run in one read-only snapshot, without JIT compilation: compiling the catalog
// query costs the server more than it saves on a few hundred thousand rows.
constexpr char kBegin[] = "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; SET LOCAL jit = off";
constexpr char kDefaultSchema[] = "SELECT coalesce(current_schema(), 'public')";

// One row per live column, unsorted (see catalog_rows.h); a table without columns gives one row
// with a NULL column. A column numbers itself when it is an identity column or a serial: a
// nextval() default on a sequence that belongs to the column (kOwnedQuery). The type's oid finds it
// in kTypesQuery.
constexpr char kColumnsQuery[] = R"sql(
SELECT c.oid, n.nspname, c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod),
       a.attnotnull, a.attidentity <> '', a.attgenerated <> '', a.atttypid,
       d.adbin IS NOT NULL AND pg_get_expr(d.adbin, d.adrelid) LIKE 'nextval(%'
FROM pg_class c
JOIN pg_namespace n ON n.oid = c.relnamespace
LEFT JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped
LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum
WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f')
  AND n.nspname NOT IN ('pg_catalog', 'information_schema')
  AND n.nspname NOT LIKE 'pg\_toast%' AND n.nspname NOT LIKE 'pg\_temp\_%')sql";
// The columns that own a sequence, read once: a lookup in pg_depend for every column, or a join
// the planner may repeat for every table, costs the server more than this one pass.
constexpr char kOwnedQuery[] = R"sql(
SELECT dep.refobjid, dep.refobjsubid
FROM pg_depend dep JOIN pg_class sq ON sq.oid = dep.objid
WHERE dep.classid = 'pg_class'::regclass AND dep.refclassid = 'pg_class'::regclass
  AND dep.deptype = 'a' AND sq.relkind = 'S')sql";
// The types stored in a fixed number of bytes, an enum type once per label in the labels' order;
// every other type is stored with a variable length (typlen -1 or -2). One pass over pg_type
// costs less than joining it to every column.
constexpr char kTypesQuery[] = R"sql(
SELECT t.oid, t.typlen, e.enumlabel FROM pg_type t LEFT JOIN pg_enum e ON e.enumtypid = t.oid
WHERE t.typlen > 0 ORDER BY t.oid, e.enumsortorder)sql";

struct ResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

Result Run(PGconn* conn, const char* sql, const QString& target) {
  Result result(PQexec(conn, sql));
  const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
  if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
    throw CatalogUnreadableError(target, QString::fromUtf8(PQerrorMessage(conn)).trimmed());
  }
  return result;
}

QString Text(PGresult* result, int row, int column) {
  return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

bool Flag(PGresult* result, int row, int column) {
  return PQgetvalue(result, row, column)[0] == 't';
}

uint Oid(PGresult* result, int row, int column) {
  return static_cast<uint>(std::strtoul(PQgetvalue(result, row, column), nullptr, 10));
}

// What kTypesQuery says, by type oid.
struct StoredTypes {
  QHash<uint, int> fixed_lengths;
  QHash<uint, ColumnType> enums;
};

StoredTypes ReadStoredTypes(PGresult* result) {
  StoredTypes types;
  QHash<uint, QStringList> labels;
  for (int i = 0; i < PQntuples(result); ++i) {
    const uint oid = Oid(result, i, 0);
    types.fixed_lengths.insert(oid, std::atoi(PQgetvalue(result, i, 1)));
    if (!PQgetisnull(result, i, 2)) labels[oid].append(Text(result, i, 2));
  }
  for (auto it = labels.cbegin(); it != labels.cend(); ++it) {
    types.enums.insert(it.key(), EnumType(*it));
  }
  return types;
}

}  // namespace

void ReadPostgresCatalog(PGconn* conn, const QString& target, CatalogTables& tables) {
  Run(conn, kBegin, target);
  const Result schema = Run(conn, kDefaultSchema, target);
  const Result rows = Run(conn, kColumnsQuery, target);
  QSet<QPair<uint, int>> owners;
  {
    const Result owned = Run(conn, kOwnedQuery, target);
    for (int i = 0; i < PQntuples(owned.get()); ++i) {
      owners.insert({Oid(owned.get(), i, 0), std::atoi(PQgetvalue(owned.get(), i, 1))});
    }
  }
  const StoredTypes stored = ReadStoredTypes(Run(conn, kTypesQuery, target).get());
  Run(conn, "COMMIT", target);

  // Columns: oid 0, nspname 1, relname 2, attnum 3, attname 4, type 5, notnull 6, identity 7,
  // generated 8, type oid 9, nextval default 10.
  PGresult* r = rows.get();
  CatalogRows<uint> found;
  DeclaredTypeCache types(TypeDialect::kPostgres);
  for (int i = 0; i < PQntuples(r); ++i) {
    const uint oid = Oid(r, i, 0);
    std::optional<size_t> table = found.Find(oid);
    if (!table) table = found.AddTable(oid, Text(r, i, 1), Text(r, i, 2));
    if (PQgetisnull(r, i, 4)) continue;
    const int attnum = std::atoi(PQgetvalue(r, i, 3));
    ServerColumn column;
    column.name = Text(r, i, 4);
    const uint type_oid = Oid(r, i, 9);
    const auto enum_type = stored.enums.constFind(type_oid);
    column.type = enum_type != stored.enums.cend()
                      ? *enum_type
                      : WithTypeLength(types.Classify(Text(r, i, 5)),
                                       stored.fixed_lengths.value(type_oid, -1));
    column.required = Flag(r, i, 6);
    if (Flag(r, i, 7) || (Flag(r, i, 10) && owners.contains({oid, attnum}))) {
      column.type = AutoNumbered(column.type);
    }
    if (Flag(r, i, 8)) column.type.attributes |= kGenerated;
    found.AddColumn(*table, attnum, std::move(column));
  }
  found.Fill(tables, Text(schema.get(), 0, 0));
}

}  // namespace dataaccess
