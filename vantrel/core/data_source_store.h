// The user's data sources, kept in the registry below the current user's root:
//
//   SOFTWARE\Kelvo\Vantrel\DataSources\          DataSourceList     "A,B,C" (display names)
//                                                PrimaryDatabase    last primary selection
//                                                SecondaryDatabase  last secondary selection
//   SOFTWARE\Kelvo\Vantrel\DataSources\<key>\    ConnectionString, DatabaseName
//
// DataSourceList alone says which data sources exist; a data source's key stays behind when its
// name is deleted. Names are listed in the order they were added, may be listed twice, and are
// not quoted: a name with a comma reads back as two names.
//
// <key> is the display name, except that a backslash is written "%5C" and a percent sign "%25".
// The registry would otherwise take a backslash as a key separator, so that "\A" or "A\" reached
// the key of A and overwrote its values; the escape keeps every name on a key of its own.
//
// Every operation reads the registry afresh; nothing is cached. The window, the Data Source
// Manager and the command line all go through this one module.
#ifndef VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_
#define VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_

#include <QString>
#include <memory>

#include "corbenna/registry.h"
#include "corbenna/string_handler.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/list_control.h"

namespace vantrel {

// The key below which the list and the last selections live, closing backslash included.
QString DataSourcesKeyPath();
// The key of one data source's values, closing backslash included.
QString DataSourceKeyPath(const QString& display_name);

class DataSourceStore {
 public:
  // Works through `registry` and `strings`, which must outlive the store.
  DataSourceStore(corbenna::_Registry& registry, corbenna::_StringHandler& strings);

  // The listed display names in stored order, untrimmed; an empty collection when the list is
  // missing or blank. Throws the registry's errors unchanged.
  std::unique_ptr<corbenna::TextCollection> GetDataSourceNames();

  // Appends the display name to the list and stores the connection string and database name
  // under its key, all three trimmed of spaces. No validation: an empty name or one already
  // listed is listed (again) and its values overwritten. Throws the registry's errors; a failure
  // after the list was written leaves the name listed with its old values or none.
  void AddDataSource(const QString& display_name, const QString& connection_string,
                     const QString& database_name);

  // Drops every listed name equal to the trimmed display name, ignoring letter case as the
  // user's locale does; an empty name drops the empty entries. Leaves the data source's key in
  // place. Never throws. Returns false when the list could not be read or written: a list that
  // cannot be read is never written, so a read failure can never empty the stored list.
  bool DeleteDataSource(const QString& display_name) noexcept;

  // Clears the control and adds every listed name, in stored order. Throws the registry's and
  // the control's errors.
  void FillDataSourceList(ListControl& control);

  // The stored values of the display name, used as given (untrimmed); empty text when never
  // stored. Throw the registry's errors.
  QString ReadConnectionString(const QString& display_name);
  QString ReadDatabaseName(const QString& display_name);

  // True when the display name is listed exactly as given.
  bool IsListed(const QString& display_name);
  // The data source of a display name, as a comparison run opens it.
  DataSource Lookup(const QString& display_name);

 private:
  void WriteList(const QString& list);

  corbenna::_Registry& registry_;
  corbenna::_StringHandler& strings_;
};

// The store over the program's own Registry and StringHandler (program_objects.h). Throws
// component::Error when the library cannot be loaded.
DataSourceStore& ProgramDataSources();

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_
