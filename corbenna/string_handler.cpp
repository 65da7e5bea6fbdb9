#include "corbenna/string_handler.h"

#include "platform/component/class_factory.h"
#include "platform/component/member_table.h"

namespace corbenna {
namespace {

using component::InvokeKind;
using component::Variant;

const component::ClassRegistrar kRegistrar(StringHandler::ClassInfo(),
                                           [] { return std::make_shared<StringHandler>(); });

}  // namespace

const component::ClassIdentity& StringHandler::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("corbenna.StringHandler"), QUuid("{F645F0B6-D8B4-11D2-A28C-00105A1B541E}"),
      QStringLiteral("_StringHandler"), QUuid("{E476E90B-E2E6-11D2-A2A5-00105A1B541E}")};
  return identity;
}

bool StringHandler::IsBlank(const QString& sText) noexcept {
  for (QChar c : sText) {
    if (c != u' ') return false;
  }
  return true;
}

std::unique_ptr<TextCollection> StringHandler::ParseString(const QString& sText,
                                                           const QString& sDelimiter) {
  auto items = std::make_unique<TextCollection>();
  if (sDelimiter.isEmpty()) {
    if (!IsBlank(sText)) items->Add(sText);
    return items;
  }
  qsizetype start = 0;
  qsizetype match = sText.indexOf(sDelimiter, start, Qt::CaseSensitive);
  while (match >= 0) {
    items->Add(sText.mid(start, match - start));
    start = match + sDelimiter.size();
    match = sText.indexOf(sDelimiter, start, Qt::CaseSensitive);
  }
  if (items->Count() > 0) {
    items->Add(sText.mid(start));
  } else if (!IsBlank(sText)) {
    items->Add(sText);
  }
  return items;
}

Variant StringHandler::Invoke(const QString& member, InvokeKind kind,
                              const std::vector<Variant>& arguments) {
  using M = component::Methods<StringHandler>;
  static const component::MemberTable<StringHandler> table{
      {"IsBlank", InvokeKind::kMethod,
       &M::Call<&StringHandler::IsBlank, 1, component::NullText::kEmpty>},
      {"ParseString", InvokeKind::kMethod, &M::Call<&StringHandler::ParseString>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
