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

// The queries run in one read-only snapshot, without JIT compilation (compiling the catalog
// query costs the server more than it saves on a few hundred thousand rows) and without parallel
// workers: a worker is one more backend to start, which maps the catalog's pages afresh and
// passes every row on through a queue. When both databases of a comparison are on one server,
// the two reads already keep two of its cores busy; here, parallel workers made the pair of
// reads of two 10,000-table catalogs take 40% longer.
constexpr char kBegin[] =
    "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY; SET LOCAL jit = off; "
    "SET LOCAL max_parallel_workers_per_gather = 0";
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

// Runs `sql` and hands each row to `row` as it arrives (libpq's single-row mode), so that the
// whole result of a large catalog is never held at once.
template <class Row>
void ForEachRow(PGconn* conn, const char* sql, const QString& target, Row&& row) {
  const auto failed = [&] {
    return CatalogUnreadableError(target, QString::fromUtf8(PQerrorMessage(conn)).trimmed());
  };
  if (PQsendQuery(conn, sql) == 0 || PQsetSingleRowMode(conn) == 0) throw failed();
  bool ok = true;
  while (PGresult* raw = PQgetResult(conn)) {
    const Result result(raw);
    const ExecStatusType status = PQresultStatus(raw);
    if (status == PGRES_SINGLE_TUPLE && ok) {
      row(raw);
    } else if (status != PGRES_TUPLES_OK && status != PGRES_SINGLE_TUPLE) {
      ok = false;  // the rest of the results are read, so that the connection stays usable
    }
  }
  if (!ok) throw failed();
}

}  // namespace

void ReadPostgresCatalog(PGconn* conn, const QString& target, CatalogTables& tables) {
  Run(conn, kBegin, target);
  const Result schema = Run(conn, kDefaultSchema, target);
  QSet<QPair<uint, int>> owners;
  {
    const Result owned = Run(conn, kOwnedQuery, target);
    for (int i = 0; i < PQntuples(owned.get()); ++i) {
      owners.insert({Oid(owned.get(), i, 0), std::atoi(PQgetvalue(owned.get(), i, 1))});
    }
  }
  const StoredTypes stored = ReadStoredTypes(Run(conn, kTypesQuery, target).get());

  // Columns: oid 0, nspname 1, relname 2, attnum 3, attname 4, type 5, notnull 6, identity 7,
  // generated 8, type oid 9, nextval default 10.
  CatalogRows<uint> found;
  DeclaredTypeCache types(TypeDialect::kPostgres);
  ForEachRow(conn, kColumnsQuery, target, [&](PGresult* r) {
    const uint oid = Oid(r, 0, 0);
    std::optional<size_t> table = found.Find(oid);
    if (!table) table = found.AddTable(oid, Text(r, 0, 1), Text(r, 0, 2));
    if (PQgetisnull(r, 0, 4)) return;
    const int attnum = std::atoi(PQgetvalue(r, 0, 3));
    ServerColumn column;
    column.name = Text(r, 0, 4);
    const uint type_oid = Oid(r, 0, 9);
    const ColumnType declared = types.Classify(Text(r, 0, 5), &column.declared_type);
    const auto enum_type = stored.enums.constFind(type_oid);
    column.type = enum_type != stored.enums.cend()
                      ? *enum_type
                      : WithTypeLength(declared, stored.fixed_lengths.value(type_oid, -1));
    column.required = Flag(r, 0, 6);
    if (Flag(r, 0, 7) || (Flag(r, 0, 10) && owners.contains({oid, attnum}))) {
      column.type = AutoNumbered(column.type);
    }
    if (Flag(r, 0, 8)) column.type.attributes |= kGenerated;
    found.AddColumn(*table, attnum, std::move(column));
  });
  Run(conn, "COMMIT", target);
  found.Fill(tables, Text(schema.get(), 0, 0));
}

}  // namespace dataaccess
