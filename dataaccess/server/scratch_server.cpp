#include "dataaccess/scratch_server.h"

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/drivers/engine_library.h"
#include "dataaccess/errors.h"
#include "dataaccess/server/server_driver.h"
#include "platform/component/error.h"

namespace dataaccess {

std::unique_ptr<ScratchSession> OpenScratchDatabase(const QString& connect_string) {
  const EngineLibrary* library = nullptr;
  const char* entry = nullptr;
  if (IsMysqlConnectString(connect_string)) {
    library = &kMysqlLibrary;
    entry = "vantrel_mysql_scratch";
  } else if (MightBePostgres(connect_string)) {
    library = &kPostgresLibrary;
    entry = "vantrel_postgres_scratch";
  } else {
    throw component::Error(kUnknownConnectString, ErrorSource(),
                           QStringLiteral("a scratch database is a PostgreSQL or MySQL database "
                                          "given by its connect string"));
  }
  using Entry = const ScratchEngine* (*)();
  const auto engine = reinterpret_cast<Entry>(ResolveInEngineLibrary(*library, entry));
  ConnectRequest request;
  request.connect_string = connect_string;
  request.prompt = kPromptCompleteRequired;
  return engine()->open(request);
}

}  // namespace dataaccess
