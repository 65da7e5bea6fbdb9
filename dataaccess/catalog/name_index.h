// Hashed lookup of names for the catalog collections: an exact match first, otherwise a match
// that ignores the letter case of ASCII letters (the rule SQLite applies to identifiers). When
// several names fold alike, the first one added wins the case-insensitive match.
//
// The index keeps views of the names, not copies: a name's characters must stay where they are
// for as long as the index is used. Neither Add nor a lookup allocates per name; Add grows one
// table of slots as a vector grows.
#ifndef VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_
#define VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_

#include <QAnyStringView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace dataaccess {

class NameIndex {
 public:
  void Reserve(size_t count);
  // Adds `name` for `position`; a name added twice keeps its first position.
  void Add(QStringView name, int32_t position);
  // The position of `name`, or -1.
  int32_t Find(QStringView name) const;
  // The position of exactly `name`, or -1.
  int32_t FindExact(QStringView name) const;

 private:
  struct Slot {
    const QChar* name = nullptr;
    uint32_t size = 0;
    uint32_t hash = 0;
    int32_t position = -1;  // -1: empty
  };
  void Grow(size_t wanted);
  void Place(const Slot& slot);

  std::vector<Slot> slots_;  // open addressing, a power of two in size, at most half full
  size_t count_ = 0;
};

// A hash of `name` with ASCII letters folded to lower case: names that differ only in the case
// of ASCII letters hash alike, so one hash serves both the exact and the folded match.
uint32_t FoldedHash(QStringView name);
// True when `a` and `b` differ at most in the letter case of ASCII letters.
bool EqualFolded(QStringView a, QStringView b);
// The same for a name kept in any encoding; allocates nothing unless `a` is UTF-8.
bool EqualFolded(QAnyStringView a, QStringView b);

// `name` with ASCII letters in lower case; other characters unchanged.
QString FoldAsciiCase(const QString& name);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_NAME_INDEX_H_
