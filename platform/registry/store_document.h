// StoreDocument: the contents of one registry store file, and its text form.
//
// The file is JSON, readable and editable by people:
//
//   {
//     "format": "vantrel-registry-1",
//     "keys": {
//       "SOFTWARE\\Kelvo\\Vantrel\\DataSources": { "DataSourceList": "A,B" }
//     }
//   }
//
// Key paths are stored normalised: components separated by one backslash, with no empty
// components, so "A\B\", "A\B" and "\A\B" are the same key, and "A\B\C\" is a child of it. Key
// paths and value names match without regard to letter case, as in the platform's registry; the
// spelling of the first write is kept. Values are any text: JSON escaping keeps line breaks,
// quotes, backslashes and non-ASCII characters exactly.
#ifndef VANTREL_PLATFORM_REGISTRY_STORE_DOCUMENT_H_
#define VANTREL_PLATFORM_REGISTRY_STORE_DOCUMENT_H_

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace registry {

// "A\\B\\" -> "A\B": drops empty components.
QString NormalizeKeyPath(const QString& key_path);

class StoreDocument {
 public:
  StoreDocument() = default;

  // Parses a file's bytes; throws component::Error kStoreDamaged naming `path` when they are not
  // a store document.
  static StoreDocument Parse(const QByteArray& bytes, const QString& path);
  QByteArray Serialize() const;

  // The value, or nullopt when the key or the value doesn't exist.
  std::optional<QString> Value(const QString& key_path, const QString& value_name) const;
  // Sets the value, creating the key.
  void SetValue(const QString& key_path, const QString& value_name, const QString& value);
  // Removes the key with its values and every key below it; nothing when there is no such key.
  void RemoveKey(const QString& key_path);
  // Removes the value; nothing when the key or the value doesn't exist.
  void RemoveValue(const QString& key_path, const QString& value_name);

 private:
  QJsonObject keys_;
};

}  // namespace registry

#endif  // VANTREL_PLATFORM_REGISTRY_STORE_DOCUMENT_H_
