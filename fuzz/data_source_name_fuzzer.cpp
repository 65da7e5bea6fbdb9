// The data source store's name rule, through the store itself: a name it accepts is listed back
// as exactly one item equal to it (also when added twice), is found under its own key, and
// leaves no value behind once deleted; a name it refuses writes nothing at all.
//
// The first byte chooses how the rest becomes a name: decoded as a command-line argument is
// (UTF-8, bytes that are not UTF-8 becoming U+FFFD), or taken as UTF-16 code units, so that any
// character, lone surrogates included, can reach the rule as a window's text box would hand it.
#include <QFile>

#include "fuzz/fuzz_check.h"
#include "platform/component/error.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/core/program_objects.h"

namespace {

QString NameOf(const QByteArray& bytes) {
  if (bytes.isEmpty()) return QString();
  const QByteArray rest = bytes.mid(1);
  if ((bytes[0] & 1) == 0) return QString::fromLocal8Bit(rest);
  return QString(reinterpret_cast<const QChar*>(rest.constData()), rest.size() / 2);
}

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString store_file = [] {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(fuzz::ScratchFolder()));
    return fuzz::ScratchFolder() + QStringLiteral("/vantrel/registry.json");
  }();
  const QString name =
      NameOf(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  QFile::remove(store_file);
  vantrel::DataSourceStore& store = vantrel::ProgramDataSources();
  const QString connection = QStringLiteral("sqlite:/fuzzed.db");
  try {
    store.AddDataSource(name, connection, QStringLiteral("db"));
  } catch (const component::Error& error) {
    fuzz::Require(error.number() == vantrel::kBadDataSourceName, "a refusal is the name's error",
                  error.what());
    fuzz::Require(vantrel::DataSourceNameProblem(name).has_value(), "the rule says why", name);
    fuzz::Require(!QFile::exists(store_file), "a refused name writes nothing", name);
    fuzz::Require(!error.description().contains(u'\n') && !error.description().contains(u'\r'),
                  "the refusal is one line", error.description());
    return 0;
  }
  store.AddDataSource(name, connection, QStringLiteral("db"));
  fuzz::Require(store.GetDataSourceNames()->items() == QStringList{name},
                "an accepted name is listed back as one item equal to it", name);
  fuzz::Require(store.ReadConnectionString(name) == connection, "the name finds its values", name);
  fuzz::Require(store.DeleteDataSource(name), "the name can be deleted", name);
  fuzz::Require(store.GetDataSourceNames()->items().isEmpty(), "a deleted name is gone", name);
  fuzz::Require(!FileBytes(store_file).contains("fuzzed.db"), "a deleted name's values are gone",
                name);
  return 0;
}
