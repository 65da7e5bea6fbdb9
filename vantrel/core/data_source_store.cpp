#include "vantrel/core/data_source_store.h"

#include <QCollator>

#include "platform/component/space_trim.h"
#include "vantrel/core/program_objects.h"

namespace vantrel {
namespace {

using component::TrimSpaces;

constexpr auto kUser = corbenna::ParentRegistryKey::HKEYCurrentUser;
const QString kListValue = QStringLiteral("DataSourceList");
const QString kConnectionStringValue = QStringLiteral("ConnectionString");
const QString kDatabaseNameValue = QStringLiteral("DatabaseName");

// Equal as text without regard to case, by the rules of the user's locale.
bool SameName(const QString& a, const QString& b) {
  static const QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator.compare(a, b) == 0;
}

}  // namespace

QString DataSourcesKeyPath() { return QStringLiteral("SOFTWARE\\Kelvo\\Vantrel\\DataSources\\"); }

QString DataSourceKeyPath(const QString& display_name) {
  QString key = display_name;
  key.replace(u'%', QStringLiteral("%25"));
  key.replace(u'\\', QStringLiteral("%5C"));
  return DataSourcesKeyPath() + key + u'\\';
}

DataSourceStore::DataSourceStore(corbenna::_Registry& registry, corbenna::_StringHandler& strings)
    : registry_(registry), strings_(strings) {}

std::unique_ptr<corbenna::TextCollection> DataSourceStore::GetDataSourceNames() {
  const QString list = registry_.GetSettingPro(kUser, DataSourcesKeyPath(), kListValue);
  return strings_.ParseString(list, QStringLiteral(","));
}

void DataSourceStore::AddDataSource(const QString& display_name, const QString& connection_string,
                                    const QString& database_name) {
  const QString name = TrimSpaces(display_name);
  const auto names = GetDataSourceNames();
  QString list;
  for (const QString& listed : *names) list += listed + u',';
  list += name;
  WriteList(list);
  const QString key = DataSourceKeyPath(name);
  registry_.SaveSettingPro(kUser, key, kConnectionStringValue, TrimSpaces(connection_string));
  registry_.SaveSettingPro(kUser, key, kDatabaseNameValue, TrimSpaces(database_name));
}

bool DataSourceStore::DeleteDataSource(const QString& display_name) noexcept {
  try {
    const QString name = TrimSpaces(display_name);
    const auto names = GetDataSourceNames();
    QStringList kept;
    for (const QString& listed : *names) {
      if (!SameName(listed, name)) kept.append(listed);
    }
    WriteList(kept.join(u','));
    return true;
  } catch (...) {
    return false;
  }
}

void DataSourceStore::FillDataSourceList(ListControl& control) {
  control.Clear();
  const auto names = GetDataSourceNames();
  for (const QString& name : *names) control.AddItem(name);
}

QString DataSourceStore::ReadConnectionString(const QString& display_name) {
  return registry_.GetSettingPro(kUser, DataSourceKeyPath(display_name), kConnectionStringValue);
}

QString DataSourceStore::ReadDatabaseName(const QString& display_name) {
  return registry_.GetSettingPro(kUser, DataSourceKeyPath(display_name), kDatabaseNameValue);
}

bool DataSourceStore::IsListed(const QString& display_name) {
  return GetDataSourceNames()->items().contains(display_name);
}

DataSource DataSourceStore::Lookup(const QString& display_name) {
  DataSource source;
  source.display_name = display_name;
  source.database_name = ReadDatabaseName(display_name);
  source.connect_string = ReadConnectionString(display_name);
  return source;
}

void DataSourceStore::WriteList(const QString& list) {
  registry_.SaveSettingPro(kUser, DataSourcesKeyPath(), kListValue, list);
}

DataSourceStore& ProgramDataSources() {
  static DataSourceStore store(ProgramRegistry(), ProgramStrings());
  return store;
}

}  // namespace vantrel
