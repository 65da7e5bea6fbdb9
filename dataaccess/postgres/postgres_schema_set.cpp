// A PostgreSQL schema set (dataaccess/schema_set.h): one session, one catalog read over every
// schema accepted, split into one catalog per schema. Its columns only: the objects are read
// by table oid into one catalog, which the split does not keep.
#include <algorithm>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/postgres/postgres_catalog.h"
#include "dataaccess/postgres/postgres_session.h"
#include "dataaccess/schema_set.h"
#include "dataaccess/server/schema_parameter.h"

extern "C" __attribute__((visibility("default"))) void vantrel_postgres_read_schema_set(
    const QString& server, const std::function<bool(const QString&)>& accepts,
    dataaccess::SchemaSetReceiver& receiver, int32_t /*options*/) {
  using namespace dataaccess;
  ConnectRequest request;
  request.connect_string = server;
  request.prompt = kPromptNever;
  const PgConnection conn = OpenPostgresSession(request);
  const QString target = MaskPasswords(server.trimmed());
  QStringList names;
  for (const QString& name : PostgresSchemaNames(conn.get(), target)) {
    if (accepts(name)) names.append(name);
  }
  std::sort(names.begin(), names.end());
  receiver.Listed(names);
  const QString database = QString::fromUtf8(PQdb(conn.get()));
  const QString reopen = PostgresReopenString(request, database);
  ReadPostgresSchemas(conn.get(), target, names,
                      [&](const QString& schema, const std::function<void(CatalogTables&)>& fill) {
                        auto connection = std::make_unique<CatalogConnection>(
                            WithPostgresSchema(reopen, schema), database + u'.' + schema);
                        connection->SetEngine(EngineName(TypeDialect::kPostgres));
                        fill(connection->MutableTables());
                        receiver.Read(std::move(connection));
                      });
}
