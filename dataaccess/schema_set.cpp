#include "dataaccess/schema_set.h"

#include <QUrl>

#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connect_string_forms.h"
#include "dataaccess/connect_string_mask.h"
#include "dataaccess/drivers/engine_library.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/schema_parameter.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

// The entry each engine library exports for its schema sets.
using ReadSchemaSetEntry = void (*)(const QString& server,
                                    const std::function<bool(const QString&)>& accepts,
                                    SchemaSetReceiver& receiver, int32_t options);

}  // namespace

std::optional<SchemaReference> SchemaOfConnectString(const QString& connect_string) {
  if (IsMysqlConnectString(connect_string)) {
    QUrl url(connect_string.trimmed(), QUrl::TolerantMode);
    if (!url.isValid()) return std::nullopt;
    const QString database = QString::fromUtf8(MysqlUrlDatabase(url));
    if (database.isEmpty()) return std::nullopt;
    url.setPath(QString());
    return SchemaReference{url.toString(QUrl::FullyEncoded), database};
  }
  if (!MightBePostgres(connect_string)) return std::nullopt;
  PostgresSchemaSplit split = SplitPostgresSchema(connect_string);
  if (!split.schema) return std::nullopt;
  return SchemaReference{split.connect_string, *split.schema};
}

QString WithSchema(const QString& server, const QString& schema) {
  if (!IsMysqlConnectString(server)) return WithPostgresSchema(server, schema);
  return WithMysqlUrlDatabase(QUrl(server.trimmed(), QUrl::TolerantMode), schema)
      .toString(QUrl::FullyEncoded);
}

void ReadSchemaSet(const QString& server, const std::function<bool(const QString&)>& accepts,
                   SchemaSetReceiver& receiver, int32_t options) {
  const bool mysql = IsMysqlConnectString(server);
  if (!mysql && !MightBePostgres(server)) {
    throw component::Error(kUnknownConnectString, ErrorSource(),
                           QStringLiteral("Only PostgreSQL schemas and MySQL or MariaDB "
                                          "databases can be read as a set"));
  }
  const auto entry = reinterpret_cast<ReadSchemaSetEntry>(
      mysql ? ResolveInEngineLibrary(kMysqlLibrary, "vantrel_mysql_read_schema_set")
            : ResolveInEngineLibrary(kPostgresLibrary, "vantrel_postgres_read_schema_set"));
  // The last guard, as for every open: no password, nor a piece of one, leaves the library.
  const QStringList pieces = PasswordPieces(server);
  try {
    entry(server, accepts, receiver, options);
  } catch (const component::Error& error) {
    throw component::Error(error.number(), error.source(),
                           MaskPasswords(ScrubPasswordPieces(error.description(), pieces)));
  }
}

}  // namespace dataaccess
