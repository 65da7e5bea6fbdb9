// WinAPI: the name of the user who runs the program. Holds no state; never throws.
//
// Created by name as "corbenna.WinAPI" or by its class identifier.
#ifndef VANTREL_CORBENNA_WIN_API_H_
#define VANTREL_CORBENNA_WIN_API_H_

#include <QString>

#include "corbenna/corbenna_export.h"
#include "platform/component/dispatch.h"

namespace corbenna {

class CORBENNA_EXPORT _WinAPI : public component::Dispatch {
 public:
  // The user name, read through a 255-character buffer: empty text when the platform call fails,
  // and so for a name longer than 254 characters.
  virtual QString GetUserName() noexcept = 0;
};

class CORBENNA_EXPORT WinAPI : public _WinAPI {
 public:
  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  QString GetUserName() noexcept override;

  // GetUserName().
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_WIN_API_H_
