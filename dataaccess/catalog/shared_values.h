// Hand out one shared copy of each distinct value a catalog repeats. A catalog of 10,000 tables
// repeats a few default expressions ("0", "now()", "''::character varying") and a few
// collations over tens of thousands of columns: shared, they take the room of one each.
#ifndef VANTREL_DATAACCESS_CATALOG_SHARED_VALUES_H_
#define VANTREL_DATAACCESS_CATALOG_SHARED_VALUES_H_

#include <QHash>
#include <QSet>
#include <QString>
#include <memory>

#include "dataaccess/table_objects.h"

namespace dataaccess {

class SharedTexts {
 public:
  // A copy of `text` that shares its buffer (QString's implicit sharing) with every text equal to
  // it handed out here.
  QString Shared(const QString& text) {
    auto it = texts_.constFind(text);
    if (it == texts_.cend()) it = texts_.insert(text);
    return *it;
  }

 private:
  QSet<QString> texts_;
};

class SharedCollations {
 public:
  // The one ColumnCollation equal to `collation` handed out here.
  std::shared_ptr<const ColumnCollation> Shared(ColumnCollation collation) {
    const QString key = collation.name + u'\x1f' + collation.character_set + u'\x1f' +
                        collation.locale + (collation.deterministic ? u'd' : u'n');
    std::shared_ptr<const ColumnCollation>& shared = collations_[key];
    if (!shared) shared = std::make_shared<const ColumnCollation>(std::move(collation));
    return shared;
  }

 private:
  QHash<QString, std::shared_ptr<const ColumnCollation>> collations_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_CATALOG_SHARED_VALUES_H_
