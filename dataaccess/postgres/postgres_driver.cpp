#include "dataaccess/postgres/postgres_driver.h"
#include "dataaccess/catalog/type_kinds.h"

#include "dataaccess/data_engine.h"
#include "dataaccess/errors.h"
#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"
#include "dataaccess/server/schema_parameter.h"
#include "dataaccess/server/server_connect.h"

namespace dataaccess {
namespace {

// The request with the schema taken out of its connect string, for libpq. A name "DB.SCHEMA",
// the DatabaseName of a connection to a schema, names the database DB.
ConnectRequest WithoutSchema(const ConnectRequest& request, const PostgresSchemaSplit& split) {
  ConnectRequest plain = request;
  plain.connect_string = split.connect_string;
  if (!NameOverridesDatabase(request)) {
    plain.name = request.name.isEmpty() ? QString() : plain.connect_string;
  } else if (const QString suffix = u'.' + *split.schema; request.name.endsWith(suffix)) {
    plain.name = request.name.chopped(suffix.size());
  }
  return plain;
}

ServerSession ConnectToSchema(const ConnectRequest& request, const PostgresSchemaSplit& split) {
  auto conn = std::make_shared<PgConnection>(OpenPostgresSession(WithoutSchema(request, split)));
  const QString schema = *split.schema;
  return {
      [conn, schema] { return QString::fromUtf8(PQdb(conn->get())) + u'.' + schema; },
      [conn, schema](const QString& target, CatalogTables& tables) {
        if (!PostgresSchemaNames(conn->get(), target).contains(schema)) {
          throw component::Error(kUnknownDatabase, ErrorSource(),
                                 QStringLiteral("The PostgreSQL database '%1' has no schema "
                                                "'%2'")
                                     .arg(QString::fromUtf8(PQdb(conn->get())), schema));
        }
        ReadPostgresSchemas(
            conn->get(), target, {schema},
            [&](const QString&, const std::function<void(CatalogTables&)>& fill) { fill(tables); });
      },
      [] { return EngineName(TypeDialect::kPostgres); }};
}

ServerSession Connect(const ConnectRequest& request) {
  const PostgresSchemaSplit split = SplitPostgresSchema(request.connect_string);
  if (split.schema) return ConnectToSchema(request, split);
  auto conn = std::make_shared<PgConnection>(OpenPostgresSession(request));
  auto kinds = std::make_shared<int>(0);
  auto database_objects = std::make_shared<DatabaseObjects>();
  return {[conn] { return QString::fromUtf8(PQdb(conn->get())); },
          [conn, kinds, database_objects, objects = request.options != 0](const QString& target,
                                                                          CatalogTables& tables) {
            *kinds =
                ReadPostgresCatalog(conn->get(), target, tables, objects, database_objects.get());
          },
          [] { return EngineName(TypeDialect::kPostgres); }, [kinds] { return *kinds; },
          [database_objects] { return std::move(*database_objects); }};
}

// `database` is "DB.SCHEMA" when the connect string names a schema, which the string keeps.
QString ReopenString(const ConnectRequest& request, const QString& database) {
  const PostgresSchemaSplit split = SplitPostgresSchema(request.connect_string);
  if (!split.schema) return PostgresReopenString(request, database);
  const ConnectRequest plain = WithoutSchema(request, split);
  const QString reopened = PostgresReopenString(plain, database.chopped(split.schema->size() + 1));
  if (reopened == plain.connect_string.trimmed()) return request.connect_string.trimmed();
  return WithPostgresSchema(reopened, *split.schema);
}

}  // namespace

ServerEngine PostgresEngine() {
  return {"PostgreSQL", IsPostgresConnectString, Connect, ReopenString};
}

}  // namespace dataaccess

// What the data-access library looks up when it loads this engine's library.
extern "C" __attribute__((visibility("default"))) const dataaccess::ServerEngine*
vantrel_postgres_engine() {
  static const dataaccess::ServerEngine engine = dataaccess::PostgresEngine();
  return &engine;
}
