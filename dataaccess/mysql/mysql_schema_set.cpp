// A MySQL or MariaDB schema set (dataaccess/schema_set.h): one session on the server, which
// moves from database to database and reads each one's catalog, with the objects the options
// ask for, as ReadMysqlCatalog does.
#include <algorithm>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/mysql/mysql_catalog.h"
#include "dataaccess/mysql/mysql_session.h"
#include "dataaccess/schema_set.h"
#include "dataaccess/server/server_connect.h"
#include "dataaccess/server/server_driver.h"

extern "C" const dataaccess::ServerEngine* vantrel_mysql_engine();

namespace dataaccess {
namespace {

// Every database but the server's own.
constexpr char kDatabasesQuery[] =
    "SELECT SCHEMA_NAME FROM information_schema.SCHEMATA WHERE SCHEMA_NAME NOT IN "
    "('information_schema', 'mysql', 'performance_schema', 'sys')";

QStringList DatabaseNames(MYSQL* mysql, const QString& target) {
  if (mysql_query(mysql, kDatabasesQuery) != 0) {
    throw CatalogUnreadableError(target, QString::fromUtf8(mysql_error(mysql)));
  }
  std::unique_ptr<MYSQL_RES, void (*)(MYSQL_RES*)> result(mysql_store_result(mysql),
                                                          mysql_free_result);
  if (!result) throw CatalogUnreadableError(target, QString::fromUtf8(mysql_error(mysql)));
  QStringList names;
  while (MYSQL_ROW row = mysql_fetch_row(result.get())) {
    const unsigned long* lengths = mysql_fetch_lengths(result.get());
    names.append(QString::fromUtf8(row[0], static_cast<qsizetype>(lengths[0])));
  }
  return names;
}

}  // namespace
}  // namespace dataaccess

extern "C" __attribute__((visibility("default"))) void vantrel_mysql_read_schema_set(
    const QString& server, const std::function<bool(const QString&)>& accepts,
    dataaccess::SchemaSetReceiver& receiver, int32_t options) {
  using namespace dataaccess;
  vantrel_mysql_engine();  // initialises the client library once
  ConnectRequest request;
  request.connect_string = server;
  // Every user may open information_schema: the session starts there, the URI names no database.
  request.name = QStringLiteral("information_schema");
  request.prompt = kPromptNever;
  const MysqlConnection mysql = OpenMysqlSession(request);
  const QString target = MaskPasswords(server.trimmed());
  QStringList names;
  for (const QString& name : DatabaseNames(mysql.get(), target)) {
    if (accepts(name)) names.append(name);
  }
  std::sort(names.begin(), names.end());
  receiver.Listed(names);
  ConnectRequest plain;
  plain.connect_string = server;
  for (const QString& name : names) {
    const QString reopen = MysqlReopenString(plain, name);
    const QString member_target = MaskPasswords(reopen);
    if (mysql_select_db(mysql.get(), name.toUtf8().constData()) != 0) {
      throw CatalogUnreadableError(member_target, QString::fromUtf8(mysql_error(mysql.get())));
    }
    auto connection = std::make_unique<CatalogConnection>(reopen, name);
    connection->SetEngine(EngineName(TypeDialect::kMysql));
    connection->SetObjectKinds(
        ReadMysqlCatalog(mysql.get(), member_target, connection->MutableTables(),
                         MysqlObjectKindsAsked(options), &connection->MutableObjects()));
    receiver.Read(std::move(connection));
  }
}
