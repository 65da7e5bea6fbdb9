#include "dataaccess/odbc/odbc_sources_reader.h"

#include <sql.h>
#include <sqlext.h>

#include <QString>
#include <algorithm>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use UTF-16 SQLWCHAR");

namespace dataaccess {
namespace {

// Room for names longer than SQL_MAX_DSN_LENGTH (32), which unixODBC accepts.
constexpr SQLSMALLINT kTextCapacity = 256;

}  // namespace

QStringList ReadOdbcDataSourceNames() {
  QStringList names;
  SQLHENV environment = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) return names;
  SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  // SQL_FETCH_FIRST walks the user data sources and then the system ones; unixODBC lists a name
  // that both define once.
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLWCHAR name[kTextCapacity] = {};
    SQLSMALLINT name_length = 0;
    SQLWCHAR description[kTextCapacity] = {};
    SQLSMALLINT description_length = 0;
    const SQLRETURN rc = SQLDataSourcesW(environment, direction, name, kTextCapacity, &name_length,
                                         description, kTextCapacity, &description_length);
    if (!SQL_SUCCEEDED(rc)) break;
    direction = SQL_FETCH_NEXT;
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                            std::min<qsizetype>(name_length, kTextCapacity - 1));
    if (!text.isEmpty()) names.append(text);
  }
  SQLFreeHandle(SQL_HANDLE_ENV, environment);
  return names;
}

}  // namespace dataaccess
