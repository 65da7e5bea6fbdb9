// Dispatch: what every component class offers besides its own interface, the call by member name.
//
// A class of a component library derives its interface (an abstract class whose virtual
// functions stand in the interface's slot order) from Dispatch, so one object answers both
// ways: through the interface's functions, and through Invoke with the member's name and Variant
// arguments. Both roads run the same code and give the same result.
//
// Member names are matched without regard to letter case, as the platform does. kMethod finds a
// method or a property's get; kPropertyGet likewise; kPropertyPut finds only a property's set
// and takes the new value as its last argument. Invoke throws Error 438 (object doesn't support
// this property or method) for a member the class doesn't have, 450 (wrong number of arguments)
// for a call with too few or too many arguments, 13 (type mismatch) or 94 (invalid use of Null)
// for an argument that doesn't convert to the parameter's type, and whatever the member itself
// throws.
//
// Objects are held by std::shared_ptr: whoever holds one keeps it alive; there is no other
// reference counting.
#ifndef VANTREL_PLATFORM_COMPONENT_DISPATCH_H_
#define VANTREL_PLATFORM_COMPONENT_DISPATCH_H_

#include <QString>
#include <QUuid>
#include <vector>

#include "platform/component/component_export.h"
#include "platform/component/variant.h"

namespace component {

// Who a class is: the name it is created by ("corbenna.Registry"), its class identifier, and the
// name and identifier of its default interface.
struct COMPONENT_EXPORT ClassIdentity {
  QString prog_id;
  QUuid class_id;
  QString interface_name;
  QUuid interface_id;
};

enum class InvokeKind { kMethod, kPropertyGet, kPropertyPut };

class COMPONENT_EXPORT Dispatch {
 public:
  virtual ~Dispatch();

  virtual const ClassIdentity& Identity() const = 0;
  virtual Variant Invoke(const QString& member, InvokeKind kind,
                         const std::vector<Variant>& arguments) = 0;

  // Shorthands for Invoke.
  Variant Call(const QString& member, const std::vector<Variant>& arguments = {}) {
    return Invoke(member, InvokeKind::kMethod, arguments);
  }
  Variant Get(const QString& property) { return Invoke(property, InvokeKind::kPropertyGet, {}); }
  void Put(const QString& property, const Variant& value) {
    Invoke(property, InvokeKind::kPropertyPut, {value});
  }
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_DISPATCH_H_
