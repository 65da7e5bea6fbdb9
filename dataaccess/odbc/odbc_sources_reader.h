// unixODBC's list of data sources, read in the ODBC engine's library; OdbcDataSourceNames
// (dataaccess/odbc_sources.h) loads the library and calls it.
#ifndef VANTREL_DATAACCESS_ODBC_ODBC_SOURCES_READER_H_
#define VANTREL_DATAACCESS_ODBC_ODBC_SOURCES_READER_H_

#include <QStringList>

#include "dataaccess/odbc/odbc_export.h"

namespace dataaccess {

// As OdbcDataSourceNames says.
ODBC_ENGINE_EXPORT QStringList ReadOdbcDataSourceNames();

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_ODBC_ODBC_SOURCES_READER_H_
