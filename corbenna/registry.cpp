#include "corbenna/registry.h"

#include <new>

#include "corbenna/registry_access_provider.h"
#include "corbenna/string_handler.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/component/member_table.h"

namespace corbenna {
namespace {

using component::InvokeKind;
using component::Variant;

const component::ClassRegistrar kRegistrar(Registry::ClassInfo(),
                                           [] { return std::make_shared<Registry>(); });

}  // namespace

QUuid ParentRegistryKeyId() { return QUuid("{65C91BEB-D8BE-11D2-A28C-00105A1B541E}"); }

const component::ClassIdentity& Registry::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("corbenna.Registry"), QUuid("{65C91BEA-D8BE-11D2-A28C-00105A1B541E}"),
      QStringLiteral("_Registry"), QUuid("{E57B3036-E611-11D2-A2AD-00105A1B541E}")};
  return identity;
}

QString Registry::GetSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                                const QString& ValueKey, const QString& sDefault) {
  try {
    StringHandler strings;
    registry::RegistryAccess& access = ThreadRegistryAccess();
    QString read;
    const bool found =
        access.ReadValue(static_cast<int32_t>(ParentKeyID), SubDirectory, ValueKey, &read);
    if (!strings.IsBlank(read) && found) return read;
    return sDefault;
  } catch (const component::Error& error) {
    throw component::Error(error.number(), error.source(), error.description());
  } catch (const std::bad_alloc&) {
    throw component::Error(component::kOutOfMemory, ClassInfo().prog_id);
  }
}

QString Registry::SaveSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                                 const QString& ValueKey, const QString& Value) {
  // The flag is dropped: every failure the store can detect arrives as an error instead.
  ThreadRegistryAccess().WriteValue(static_cast<int32_t>(ParentKeyID), SubDirectory, ValueKey,
                                    Value);
  return QString();
}

Variant Registry::Invoke(const QString& member, InvokeKind kind,
                         const std::vector<Variant>& arguments) {
  using M = component::Methods<Registry>;
  static const component::MemberTable<Registry> table{
      {"GetSettingPro", InvokeKind::kMethod, &M::Call<&Registry::GetSettingPro, 3>},
      {"SaveSettingPro", InvokeKind::kMethod, &M::Call<&Registry::SaveSettingPro>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
