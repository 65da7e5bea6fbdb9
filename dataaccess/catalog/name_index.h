// Hashed lookup of names for the catalog collections: an exact match first, otherwise a match
// that ignores the letter case of ASCII letters (the rule SQLite applies to identifiers). When
// several names fold alike, the first one added wins the case-insensitive match.
#ifndef VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_
#define VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_

#include <QHash>
#include <QString>
#include <cstdint>

namespace dataaccess {

class NameIndex {
 public:
  void Reserve(qsizetype count);
  // Adds `name` for `position`; a name added twice keeps its first position.
  void Add(const QString& name, int32_t position);
  // The position of `name`, or -1.
  int32_t Find(const QString& name) const;
  // The position of exactly `name`, or -1.
  int32_t FindExact(const QString& name) const { return exact_.value(name, -1); }

 private:
  QHash<QString, int32_t> exact_;
  QHash<QString, int32_t> folded_;
};

// `name` with ASCII letters in lower case; other characters unchanged.
QString FoldAsciiCase(const QString& name);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_
