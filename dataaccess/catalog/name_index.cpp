#include "dataaccess/catalog/name_index.h"

namespace dataaccess {

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
    const char16_t c = folded[i].unicode();
    if (c >= u'A' && c <= u'Z') folded[i] = QChar(c + (u'a' - u'A'));
  }
  return folded;
}

void NameIndex::Reserve(qsizetype count) {
  exact_.reserve(count);
  folded_.reserve(count);
}

void NameIndex::Add(const QString& name, int32_t position) {
  if (!exact_.contains(name)) exact_.insert(name, position);
  const QString folded = FoldAsciiCase(name);
  if (!folded_.contains(folded)) folded_.insert(folded, position);
}

int32_t NameIndex::Find(const QString& name) const {
  if (auto it = exact_.constFind(name); it != exact_.cend()) return *it;
  if (auto it = folded_.constFind(FoldAsciiCase(name)); it != folded_.cend()) return *it;
  return -1;
}

}  // namespace dataaccess
