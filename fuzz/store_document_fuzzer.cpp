// The registry store file as read from disk: any bytes either parse or fail with kStoreDamaged;
// a parsed document serializes to a file that parses to the same document; every value of the
// file is found under the key path and value name it is written with (unless the file holds the
// same key or value twice, spelled apart only by letter case or backslashes); and a value set
// is read back, before and after a round trip through the file.
#include <QJsonDocument>
#include <QJsonObject>

#include "fuzz/fuzz_check.h"
#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"
#include "platform/registry/store_document.h"

namespace {

using registry::NormalizeKeyPath;
using registry::StoreDocument;

const QString kPath = QStringLiteral("registry.json");

bool SameKey(const QString& left, const QString& right) {
  return NormalizeKeyPath(left).compare(NormalizeKeyPath(right), Qt::CaseInsensitive) == 0;
}

bool SameName(const QString& left, const QString& right) {
  return left.compare(right, Qt::CaseInsensitive) == 0;
}

// Whether `name` in `object` has a twin spelled apart only as `same` allows.
bool HasTwin(const QJsonObject& object, const QString& name,
             bool (*same)(const QString&, const QString&)) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.key() != name && same(it.key(), name)) return true;
  }
  return false;
}

void CheckEveryValueIsFound(const StoreDocument& store, const QByteArray& bytes) {
  const QJsonObject keys = QJsonDocument::fromJson(bytes).object().value("keys").toObject();
  for (auto key = keys.begin(); key != keys.end(); ++key) {
    if (HasTwin(keys, key.key(), SameKey)) continue;
    const QJsonObject values = key.value().toObject();
    for (auto value = values.begin(); value != values.end(); ++value) {
      if (HasTwin(values, value.key(), SameName)) continue;
      fuzz::Require(store.Value(key.key(), value.key()) == value.value().toString(),
                    "every value of the file is found",
                    key.key() + QStringLiteral(" / ") + value.key());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  StoreDocument store;
  try {
    store = StoreDocument::Parse(bytes, kPath);
  } catch (const component::Error& error) {
    fuzz::Require(error.number() == registry::kStoreDamaged, "a bad file is a damaged store",
                  error.what());
    return 0;
  }
  CheckEveryValueIsFound(store, bytes);

  const QByteArray written = store.Serialize();
  const StoreDocument reread = StoreDocument::Parse(written, kPath);
  fuzz::Require(reread.Serialize() == written, "a written store reads back the same",
                QString::fromUtf8(written));
  CheckEveryValueIsFound(reread, written);

  // A key and a value name taken from the input, so that they meet the file's own names.
  const qsizetype half = bytes.size() / 2;
  const qsizetype quarter = bytes.size() / 4;
  const QString key = QString::fromUtf8(bytes.left(half));
  const QString name = QString::fromUtf8(bytes.mid(half, quarter));
  const QString value = QString::fromUtf8(bytes.mid(half + quarter));
  store.SetValue(key, name, value);
  fuzz::Require(store.Value(key, name) == value, "a value set is read back", key + u'/' + name);
  fuzz::Require(StoreDocument::Parse(store.Serialize(), kPath).Value(key, name) == value,
                "a value set is read back from the file", key + u'/' + name);
  return 0;
}
