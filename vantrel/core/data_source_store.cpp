#include "vantrel/core/data_source_store.h"

#include <QCollator>
#include <QStringList>

#include "corbenna/registry_access_provider.h"
#include "platform/component/error.h"
#include "platform/component/space_trim.h"
#include "platform/registry/registry_access.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

using component::TrimSpaces;

constexpr auto kUser = corbenna::ParentRegistryKey::HKEYCurrentUser;
const QString kListValue = QStringLiteral("DataSourceList");
const QString kConnectionStringValue = QStringLiteral("ConnectionString");
const QString kDatabaseNameValue = QStringLiteral("DatabaseName");

// One data source: equal without regard to case, as key paths match (Unicode case folding), or
// as the user's locale collates. The first alone keeps the keys apart; the second is how names
// have always been deleted.
bool SameSource(const QString& a, const QString& b) {
  static const QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return a.compare(b, Qt::CaseInsensitive) == 0 || collator.compare(a, b) == 0;
}

bool SameKey(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The list as stored in `store`, parsed as GetDataSourceNames parses it.
QStringList ListedNames(const registry::StoreDocument& store, corbenna::_StringHandler& strings) {
  const QString list = store.Value(DataSourcesKeyPath(), kListValue).value_or(QString());
  return strings.ParseString(list, QStringLiteral(","))->items();
}

// Removes a listed name's key with its values. The empty name, which older versions listed, had
// its key on the parent key itself: only its two values go.
void RemoveSourceKey(registry::StoreDocument& store, const QString& name) {
  if (!name.isEmpty()) {
    store.RemoveKey(DataSourceKeyPath(name));
  } else {
    store.RemoveValue(DataSourcesKeyPath(), kConnectionStringValue);
    store.RemoveValue(DataSourcesKeyPath(), kDatabaseNameValue);
  }
}

}  // namespace

std::optional<QString> DataSourceNameProblem(const QString& display_name) {
  if (display_name.isEmpty()) return QStringLiteral("it is empty");
  if (display_name.front().isSpace() || display_name.back().isSpace()) {
    return QStringLiteral("it starts or ends with white space");
  }
  for (qsizetype i = 0; i < display_name.size(); ++i) {
    const QChar c = display_name[i];
    if (c == u',') return QStringLiteral("it holds a comma, which separates the listed names");
    if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
        c == QChar::ParagraphSeparator) {
      return QStringLiteral("it holds a control character or a line break");
    }
    // A text that starts with it loses it when read (Qt's UTF-8 decoding takes it for a byte
    // order mark), so a list starting with such a name would read back without it.
    if (c == QChar::ByteOrderMark) {
      return QStringLiteral("it holds U+FEFF, a byte order mark that reading may drop");
    }
    if (c == QChar::ReplacementCharacter) {
      return QStringLiteral("it holds bytes that are not UTF-8 (or U+FFFD, which stands for them)");
    }
    if (c.isHighSurrogate() && i + 1 < display_name.size() &&
        display_name[i + 1].isLowSurrogate()) {
      ++i;
    } else if (c.isSurrogate()) {
      return QStringLiteral("it holds a lone surrogate, which is no Unicode character");
    }
  }
  return std::nullopt;
}

void CheckDataSourceName(const QString& display_name) {
  const std::optional<QString> problem = DataSourceNameProblem(display_name);
  if (!problem) return;
  throw component::Error(kBadDataSourceName, DataSourceStoreErrorSource(),
                         QStringLiteral("The data source name '%1' cannot be stored: %2")
                             .arg(VisibleText(display_name), *problem));
}

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
  CheckDataSourceName(display_name);
  const QString connection = TrimSpaces(connection_string);
  const QString database = TrimSpaces(database_name);
  corbenna::ThreadRegistryAccess().Update(registry::kUserRoot, [&](registry::StoreDocument& store) {
    QStringList list;
    bool placed = false;
    for (const QString& listed : ListedNames(store, strings_)) {
      if (!SameSource(listed, display_name)) {
        list.append(listed);
        continue;
      }
      if (!SameKey(listed, display_name)) RemoveSourceKey(store, listed);
      if (!placed) list.append(display_name);
      placed = true;
    }
    if (!placed) list.append(display_name);
    store.SetValue(DataSourcesKeyPath(), kListValue, list.join(u','));
    const QString key = DataSourceKeyPath(display_name);
    store.SetValue(key, kConnectionStringValue, connection);
    store.SetValue(key, kDatabaseNameValue, database);
  });
}

void DataSourceStore::RemoveDataSource(const QString& display_name) {
  const QString name = TrimSpaces(display_name);
  corbenna::ThreadRegistryAccess().Update(registry::kUserRoot, [&](registry::StoreDocument& store) {
    QStringList kept;
    QStringList dropped;
    for (const QString& listed : ListedNames(store, strings_)) {
      (SameSource(listed, name) ? dropped : kept).append(listed);
    }
    if (dropped.isEmpty()) return;
    store.SetValue(DataSourcesKeyPath(), kListValue, kept.join(u','));
    for (const QString& listed : dropped) RemoveSourceKey(store, listed);
  });
}

bool DataSourceStore::DeleteDataSource(const QString& display_name) noexcept {
  try {
    RemoveDataSource(display_name);
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

DataSourceStore& ProgramDataSources() {
  static DataSourceStore store(ProgramRegistry(), ProgramStrings());
  return store;
}

}  // namespace vantrel
