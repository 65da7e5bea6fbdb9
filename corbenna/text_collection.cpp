#include "corbenna/text_collection.h"

#include "platform/component/error.h"
#include "platform/component/member_table.h"

namespace corbenna {

using component::InvokeKind;
using component::Variant;

const component::ClassIdentity& TextCollection::ClassInfo() {
  // Not creatable: it only comes out of ParseString.
  static const component::ClassIdentity identity{QStringLiteral("corbenna.Collection"), QUuid(),
                                                 QStringLiteral("Collection"), QUuid()};
  return identity;
}

QString TextCollection::Item(int32_t index) const {
  if (index < 1 || index > Count()) {
    throw component::Error(component::kSubscriptOutOfRange, ClassInfo().prog_id);
  }
  return items_[index - 1];
}

Variant TextCollection::Invoke(const QString& member, InvokeKind kind,
                               const std::vector<Variant>& arguments) {
  using P = component::Properties<TextCollection>;
  using M = component::Methods<TextCollection>;
  static const component::MemberTable<TextCollection> table{
      {"Count", InvokeKind::kPropertyGet, &P::Get<&TextCollection::Count>},
      {"Item", InvokeKind::kMethod, &M::Call<&TextCollection::Item>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
