#include "dataaccess/catalog/name_index.h"

#include <type_traits>

namespace dataaccess {
namespace {

constexpr char16_t Folded(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

// `View` is QStringView or QLatin1StringView: both index to characters with unicode().
template <class View>
bool EqualFoldedUnits(View a, QStringView b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (Folded(a[i].unicode()) != Folded(b[i].unicode())) return false;
  }
  return true;
}

}  // namespace

uint32_t FoldedHash(QStringView name) {
  // 64-bit FNV-1a over the folded UTF-16 units, folded to 32 bits.
  uint64_t hash = 14695981039346656037ull;
  for (const QChar c : name) {
    hash ^= Folded(c.unicode());
    hash *= 1099511628211ull;
  }
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

bool EqualFolded(QStringView a, QStringView b) { return EqualFoldedUnits(a, b); }

bool EqualFolded(QAnyStringView a, QStringView b) {
  return a.visit([b](auto view) {
    if constexpr (std::is_same_v<decltype(view), QStringView> ||
                  std::is_same_v<decltype(view), QLatin1StringView>) {
      return EqualFoldedUnits(view, b);
    } else {
      return EqualFoldedUnits(QStringView(view.toString()), b);  // UTF-8: decoded first
    }
  });
}

QString FoldAsciiCase(const QString& name) {
  qsizetype first_upper = -1;
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t c = name[i].unicode();
    if (c >= u'A' && c <= u'Z') {
      first_upper = i;
      break;
    }
  }
  if (first_upper < 0) return name;  // shares the text: no copy for names already folded
  QString folded = name;
  for (qsizetype i = first_upper; i < folded.size(); ++i) {
    folded[i] = QChar(Folded(folded[i].unicode()));
  }
  return folded;
}

void NameIndex::Reserve(size_t count) {
  size_t wanted = 16;
  while (wanted < 2 * count) wanted *= 2;
  if (wanted > slots_.size()) Grow(wanted);
}

void NameIndex::Grow(size_t wanted) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(wanted, Slot{});
  for (const Slot& slot : old) {
    if (slot.position >= 0) Place(slot);
  }
}

void NameIndex::Place(const Slot& slot) {
  const size_t mask = slots_.size() - 1;
  size_t i = slot.hash & mask;
  while (slots_[i].position >= 0) i = (i + 1) & mask;
  slots_[i] = slot;
}

void NameIndex::Add(QStringView name, int32_t position) {
  if (FindExact(name) >= 0) return;
  if (2 * (count_ + 1) > slots_.size()) Grow(slots_.empty() ? 16 : 2 * slots_.size());
  Place({name.data(), static_cast<uint32_t>(name.size()), FoldedHash(name), position});
  ++count_;
}

int32_t NameIndex::FindExact(QStringView name) const {
  if (slots_.empty()) return -1;
  const uint32_t hash = FoldedHash(name);
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].position >= 0; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash == hash && QStringView(slot.name, slot.size) == name) return slot.position;
  }
  return -1;
}

int32_t NameIndex::Find(QStringView name) const {
  if (slots_.empty()) return -1;
  const uint32_t hash = FoldedHash(name);
  const size_t mask = slots_.size() - 1;
  int32_t folded = -1;
  for (size_t i = hash & mask; slots_[i].position >= 0; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.hash != hash) continue;
    const QStringView candidate(slot.name, slot.size);
    if (candidate == name) return slot.position;
    if ((folded < 0 || slot.position < folded) && EqualFolded(candidate, name)) {
      folded = slot.position;
    }
  }
  return folded;
}

}  // namespace dataaccess
