// Registry: single text values below the current user's or the machine's registry root.
//
// A Registry object holds no state; every object of a thread works through that thread's one
// RegistryAccess (registry_access_provider.h), made on first use. Created by name as
// "corbenna.Registry" or by its class identifier.
#ifndef VANTREL_CORBENNA_REGISTRY_H_
#define VANTREL_CORBENNA_REGISTRY_H_

#include <QString>
#include <QUuid>
#include <cstdint>

#include "corbenna/corbenna_export.h"
#include "platform/component/dispatch.h"

namespace corbenna {

// The registry roots, handed to the store unchanged.
enum class ParentRegistryKey : int32_t {
  HKEYLocalMachine = static_cast<int32_t>(0x80000002u),
  HKEYCurrentUser = static_cast<int32_t>(0x80000001u),
};
// The enumeration's own identifier, for hosts that ask for it.
CORBENNA_EXPORT QUuid ParentRegistryKeyId();

class CORBENNA_EXPORT _Registry : public component::Dispatch {
 public:
  // The value `ValueKey` of the key `SubDirectory` (with or without a closing backslash) below
  // `ParentKeyID`, exactly as stored, leading and trailing spaces included. A value that is
  // missing, unreadable through the store's flag, empty or made of spaces gives `sDefault`. An
  // error of the store is raised again with the same number, source and description; it never
  // falls back to the default.
  virtual QString GetSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                                const QString& ValueKey, const QString& sDefault = QString()) = 0;
  // Stores `Value`, creating the key and its parents; returns empty text. An error of the store
  // (for example the machine's root written by a non-root user, a full disk, a damaged store
  // file) reaches the caller unchanged.
  virtual QString SaveSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                                 const QString& ValueKey, const QString& Value) = 0;
};

class CORBENNA_EXPORT Registry : public _Registry {
 public:
  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  QString GetSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                        const QString& ValueKey, const QString& sDefault = QString()) override;
  QString SaveSettingPro(ParentRegistryKey ParentKeyID, const QString& SubDirectory,
                         const QString& ValueKey, const QString& Value) override;

  // GetSettingPro(ParentKeyID, SubDirectory, ValueKey[, sDefault]),
  // SaveSettingPro(ParentKeyID, SubDirectory, ValueKey, Value); ParentKeyID as a number.
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_REGISTRY_H_
