// The user's data sources, kept in the registry below the current user's root:
//
//   SOFTWARE\Kelvo\Vantrel\DataSources\          DataSourceList     "A,B,C" (display names)
//                                                PrimaryDatabase    last primary selection
//                                                SecondaryDatabase  last secondary selection
//   SOFTWARE\Kelvo\Vantrel\DataSources\<key>\    ConnectionString, DatabaseName
//
// DataSourceList alone says which data sources exist, listed in the order they were added.
// Names are not quoted, so the store keeps only names that read back as one list item: a name
// is refused (kBadDataSourceName, nothing written) when it is empty, holds a comma, a control
// character (C0, DEL, C1) or a line or paragraph separator, starts or ends with white space, or
// holds text that is not Unicode (U+FFFD, which is what a command-line argument's bytes that
// are not UTF-8 become, or a lone surrogate) or a byte order mark (U+FEFF). Names are kept exactly
// as given, never trimmed, so that the name added is the name looked up. A list written by an older
// version may still hold such names (an empty one among them); they are kept as they are until
// deleted.
//
// Two names equal but for letter case (by Unicode case folding, or by the collation of the
// user's locale) are one data source: adding one replaces the other in its place in the list,
// spelled as newly given, with its values. So each listed name has a key of its own and no two
// names share one.
//
// <key> is the display name, except that a backslash is written "%5C" and a percent sign "%25".
// The registry would otherwise take a backslash as a key separator, so that "\A" or "A\" reached
// the key of A and overwrote its values; the escape keeps every name on a key of its own.
//
// Adding and deleting are each one write of the store file, under its writers' lock
// (RegistryAccess::Update): the list and the source's key change together or not at all, and
// two processes adding at once each keep their names.
//
// Every operation reads the registry afresh; nothing is cached. The window, the Data Source
// Manager and the command line all go through this one module.
#ifndef VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_
#define VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "corbenna/registry.h"
#include "corbenna/string_handler.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/list_control.h"

namespace vantrel {

enum DataSourceStoreError : int32_t {
  kBadDataSourceName = 3210,  // a name the list cannot keep as one item (see above)
};

// The source text of the store's own errors.
inline QString DataSourceStoreErrorSource() { return QStringLiteral("Vantrel.DataSources"); }

// Why the store cannot keep `display_name` as given, or nullopt when it can.
std::optional<QString> DataSourceNameProblem(const QString& display_name);
// Throws kBadDataSourceName, its description naming the name with its control characters
// shown as escapes (visible_text.h), when DataSourceNameProblem finds a problem.
void CheckDataSourceName(const QString& display_name);

// The key below which the list and the last selections live, closing backslash included.
QString DataSourcesKeyPath();
// The key of one data source's values, closing backslash included.
QString DataSourceKeyPath(const QString& display_name);

class DataSourceStore {
 public:
  // Reads through `registry` and `strings`, which must outlive the store. Adds and deletes go
  // to the calling thread's RegistryAccess (corbenna/registry_access_provider.h), the store
  // behind every Registry, whose Update makes each of them one write under the lock.
  DataSourceStore(corbenna::_Registry& registry, corbenna::_StringHandler& strings);

  // The listed display names in stored order, untrimmed; an empty collection when the list is
  // missing or blank. Throws the registry's errors unchanged.
  std::unique_ptr<corbenna::TextCollection> GetDataSourceNames();

  // Lists the display name (replacing a listed name equal to it but for letter case, in its
  // place) and stores the connection string and database name, trimmed of spaces, under its key,
  // as one write of the store. Throws kBadDataSourceName for a name the store cannot keep (before
  // anything is read or written) and the registry's errors; on any failure nothing is written.
  void AddDataSource(const QString& display_name, const QString& connection_string,
                     const QString& database_name);

  // Drops every listed name equal to the trimmed display name, ignoring letter case as above;
  // an empty name drops the empty entries. Removes the key of each dropped name with its values,
  // in the same write. Writes nothing when no name is dropped. Throws the registry's errors; a
  // list that cannot be read is never written, so a read failure can never empty it.
  void RemoveDataSource(const QString& display_name);
  // RemoveDataSource that never throws: returns false when the list could not be read or
  // written, and it is then left as it was.
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
  corbenna::_Registry& registry_;
  corbenna::_StringHandler& strings_;
};

// The store over the program's own Registry and StringHandler (program_objects.h). Throws
// component::Error when the library cannot be loaded.
DataSourceStore& ProgramDataSources();

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DATA_SOURCE_STORE_H_
