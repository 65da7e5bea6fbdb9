#include "corbenna/win_api.h"

#include <QByteArray>
#include <cstdint>

#include "platform/component/class_factory.h"
#include "platform/component/member_table.h"
#include "platform/winapi/user_name.h"

namespace corbenna {
namespace {

using component::InvokeKind;
using component::Variant;

constexpr uint32_t kBufferSize = 255;

const component::ClassRegistrar kRegistrar(WinAPI::ClassInfo(),
                                           [] { return std::make_shared<WinAPI>(); });

}  // namespace

const component::ClassIdentity& WinAPI::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("corbenna.WinAPI"), QUuid("{6EDFA497-F75F-11D2-A2E9-00105A1B541E}"),
      QStringLiteral("_WinAPI"), QUuid("{6EDFA496-F75F-11D2-A2E9-00105A1B541E}")};
  return identity;
}

QString WinAPI::GetUserName() noexcept {
  // A buffer of spaces: when the call fails it holds no NUL, and the result is empty.
  QByteArray buffer(kBufferSize, ' ');
  uint32_t size = kBufferSize;
  winapi::GetUserNameA(buffer.data(), &size);
  const QString text = QString::fromLocal8Bit(buffer.constData(), buffer.size());
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  return nul < 0 ? QString() : text.left(nul);
}

Variant WinAPI::Invoke(const QString& member, InvokeKind kind,
                       const std::vector<Variant>& arguments) {
  using M = component::Methods<WinAPI>;
  static const component::MemberTable<WinAPI> table{
      {"GetUserName", InvokeKind::kMethod, &M::Call<&WinAPI::GetUserName>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
