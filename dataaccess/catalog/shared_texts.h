// Hands out one shared copy of each distinct text. A catalog repeats a few default expressions
// ("0", "now()", "''::character varying") over tens of thousands of columns: through QString's
// implicit sharing they all point at one buffer instead of one each.
#ifndef VANTREL_DATAACCESS_CATALOG_SHARED_TEXTS_H_
#define VANTREL_DATAACCESS_CATALOG_SHARED_TEXTS_H_

#include <QSet>
#include <QString>

namespace dataaccess {

class SharedTexts {
 public:
  // A copy of `text` that shares its buffer with every other text equal to it handed out here.
  QString Shared(const QString& text) {
    auto it = texts_.constFind(text);
    if (it == texts_.cend()) it = texts_.insert(text);
    return *it;
  }

 private:
  QSet<QString> texts_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_SHARED_TEXTS_H_
