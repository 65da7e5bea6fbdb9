#include "platform/registry/store_document.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"

namespace registry {
namespace {

const QString kFormatKey = QStringLiteral("format");
const QString kFormat = QStringLiteral("vantrel-registry-1");
const QString kKeysKey = QStringLiteral("keys");

component::Error Damaged(const QString& path, const QString& why) {
  return component::Error(kStoreDamaged, ErrorSource(),
                          QStringLiteral("The registry store %1 is damaged and was left as it "
                                         "is: %2")
                              .arg(path, why));
}

// The object built afresh, name by name. Qt 6.4's JSON parser can leave an object's names in an
// order its own lookups do not expect (seen with names holding characters from U+0080 to U+009F
// beside other non-ASCII ones): such a name is listed but not found. Inserting each name again
// puts it where lookups search.
QJsonObject Reinserted(const QJsonObject& parsed) {
  QJsonObject object;
  for (auto it = parsed.begin(); it != parsed.end(); ++it) object.insert(it.key(), it.value());
  return object;
}

// The stored spelling of `name` among the object's names, matched without regard to case.
std::optional<QString> FindName(const QJsonObject& object, const QString& name) {
  if (object.contains(name)) return name;
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.key().compare(name, Qt::CaseInsensitive) == 0) return it.key();
  }
  return std::nullopt;
}

// The stored spelling of the key `normalized`. A file edited by hand may spell a key path with
// extra backslashes (A\\B\ for A\B); the key it names is found all the same.
std::optional<QString> FindKey(const QJsonObject& keys, const QString& normalized) {
  if (keys.contains(normalized)) return normalized;
  for (auto it = keys.begin(); it != keys.end(); ++it) {
    if (NormalizeKeyPath(it.key()).compare(normalized, Qt::CaseInsensitive) == 0) return it.key();
  }
  return std::nullopt;
}

}  // namespace

QString NormalizeKeyPath(const QString& key_path) {
  return key_path.split(u'\\', Qt::SkipEmptyParts).join(u'\\');
}

StoreDocument StoreDocument::Parse(const QByteArray& bytes, const QString& path) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError) {
    throw Damaged(path, QStringLiteral("%1 at byte %2").arg(error.errorString()).arg(error.offset));
  }
  const QJsonObject root = document.object();
  if (!document.isObject() || root.value(kFormatKey).toString() != kFormat ||
      !root.value(kKeysKey).isObject()) {
    throw Damaged(path, QStringLiteral("not a registry store of format %1").arg(kFormat));
  }
  StoreDocument store;
  const QJsonObject keys = root.value(kKeysKey).toObject();
  for (auto key = keys.begin(); key != keys.end(); ++key) {
    if (!key.value().isObject()) throw Damaged(path, QStringLiteral("key %1").arg(key.key()));
    const QJsonObject values = key.value().toObject();
    for (auto value = values.begin(); value != values.end(); ++value) {
      if (!value.value().isString()) {
        throw Damaged(path, QStringLiteral("value %1 of key %2").arg(value.key(), key.key()));
      }
    }
    store.keys_.insert(key.key(), Reinserted(values));
  }
  return store;
}

QByteArray StoreDocument::Serialize() const {
  QJsonObject root;
  root.insert(kFormatKey, kFormat);
  root.insert(kKeysKey, keys_);
  return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<QString> StoreDocument::Value(const QString& key_path,
                                            const QString& value_name) const {
  const std::optional<QString> key = FindKey(keys_, NormalizeKeyPath(key_path));
  if (!key) return std::nullopt;
  const QJsonObject values = keys_.value(*key).toObject();
  const std::optional<QString> name = FindName(values, value_name);
  if (!name) return std::nullopt;
  return values.value(*name).toString();
}

void StoreDocument::SetValue(const QString& key_path, const QString& value_name,
                             const QString& value) {
  const QString normalized = NormalizeKeyPath(key_path);
  const QString key = FindKey(keys_, normalized).value_or(normalized);
  QJsonObject values = keys_.value(key).toObject();
  values.insert(FindName(values, value_name).value_or(value_name), value);
  keys_.insert(key, values);
}

void StoreDocument::RemoveValue(const QString& key_path, const QString& value_name) {
  const std::optional<QString> key = FindKey(keys_, NormalizeKeyPath(key_path));
  if (!key) return;
  QJsonObject values = keys_.value(*key).toObject();
  const std::optional<QString> name = FindName(values, value_name);
  if (!name) return;
  values.remove(*name);
  keys_.insert(*key, values);
}

void StoreDocument::RemoveKey(const QString& key_path) {
  const QString normalized = NormalizeKeyPath(key_path);
  const QString below = normalized + u'\\';
  for (auto it = keys_.begin(); it != keys_.end();) {
    const QString key = NormalizeKeyPath(it.key());
    if (key.compare(normalized, Qt::CaseInsensitive) == 0 ||
        key.startsWith(below, Qt::CaseInsensitive)) {
      it = keys_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace registry
