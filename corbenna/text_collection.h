// TextCollection: an ordered collection of texts, numbered from 1, as StringHandler.ParseString
// returns it. Whoever receives one owns it.
#ifndef VANTREL_CORBENNA_TEXT_COLLECTION_H_
#define VANTREL_CORBENNA_TEXT_COLLECTION_H_

#include <QString>
#include <QStringList>
#include <cstdint>

#include "corbenna/corbenna_export.h"
#include "platform/component/dispatch.h"

namespace corbenna {

class CORBENNA_EXPORT TextCollection : public component::Dispatch {
 public:
  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // The item at `index`, counting from 1; throws component::Error 9 outside 1..Count().
  QString Item(int32_t index) const;
  // Appends `text` as the new last item.
  void Add(const QString& text) { items_.append(text); }

  // First to last.
  QStringList::const_iterator begin() const { return items_.cbegin(); }
  QStringList::const_iterator end() const { return items_.cend(); }
  const QStringList& items() const { return items_; }

  // Members by name: Count (get), Item(index).
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;

 private:
  QStringList items_;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_TEXT_COLLECTION_H_
