#include "vantrel/core/program_objects.h"

#include <memory>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"

namespace vantrel {
namespace {

// Creates the class on the first successful call and keeps the object for the process.
template <class Interface>
Interface& Kept(const char* class_name) {
  static std::shared_ptr<Interface> object;
  if (!object) {
    object = std::dynamic_pointer_cast<Interface>(
        component::CreateObject(QString::fromLatin1(class_name)));
    if (!object) {
      throw component::Error(component::kCannotCreateObject, QString::fromLatin1(class_name));
    }
  }
  return *object;
}

}  // namespace

void DeclareComponentLibraries() {
  for (const char* library : {"corbenna", "halcyra", "lumifex"}) {
    component::AddComponentLibraryName(QString::fromLatin1(library));
  }
}

corbenna::_Registry& ProgramRegistry() { return Kept<corbenna::_Registry>("corbenna.Registry"); }

corbenna::_StringHandler& ProgramStrings() {
  return Kept<corbenna::_StringHandler>("corbenna.StringHandler");
}

corbenna::_ErrorHandler& ProgramErrorHandler() {
  return Kept<corbenna::_ErrorHandler>("corbenna.ErrorHandler");
}

}  // namespace vantrel
