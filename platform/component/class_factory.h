// The process's one registry of class factories: creating component objects by name or by class
// identifier, from libraries that are linked in or loaded on demand.
//
// Registering. A component library registers each of its classes while it loads, with one
// namespace-scope ClassRegistrar per class:
//
//   const component::ClassRegistrar kRegistrar(Registry::ClassInfo(),
//                                              [] { return std::shared_ptr<Dispatch>(...); });
//
// A library linked into the program registers before main(); one loaded by CreateObject
// registers while it loads. The first registration of a name or identifier wins; later ones are
// ignored.
//
// Creating. CreateObject takes a name ("corbenna.Registry", "LUMIFEX.About"; letter case does
// not matter) or a class identifier in braces ("{65C91BEA-D8BE-11D2-A28C-00105A1B541E}"):
//   - a registered class is created by its factory;
//   - otherwise, for a name, the library named by the part before the first dot is loaded on
//     demand: "LUMIFEX.About" loads liblumifex.so. For an identifier, each library of
//     ComponentLibraryNames() that is present is loaded. The search folders are, in order, those
//     of the environment variable VANTREL_COMPONENT_PATH (separated by ':'), then the folder of
//     the running executable, its ../lib and its ../lib/vantrel.
//   - a loaded library stays loaded until the process ends, so objects it made never outlive
//     their code.
// Failures are numbered errors, never a crash: 429 (component can't create object) when no
// library file is found or the class is still not registered after loading, 48 (error in loading
// DLL) when the library file exists but cannot be loaded; the description names the class and
// the library. Errors the factory itself throws reach the caller unchanged.
//
// Thread safety: all functions may be called from any thread.
#ifndef VANTREL_PLATFORM_COMPONENT_CLASS_FACTORY_H_
#define VANTREL_PLATFORM_COMPONENT_CLASS_FACTORY_H_

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/component/component_export.h"
#include "platform/component/dispatch.h"

namespace component {

using Factory = std::function<std::shared_ptr<Dispatch>()>;

// Adds a class; returns false (and changes nothing) when its name or identifier is taken.
COMPONENT_EXPORT bool RegisterClass(const ClassIdentity& identity, Factory factory);

// Registers a class when the library that holds it loads.
class COMPONENT_EXPORT ClassRegistrar {
 public:
  ClassRegistrar(const ClassIdentity& identity, Factory factory);
};

// Creates an object of the class named by `name_or_class_id`; never returns nullptr.
COMPONENT_EXPORT std::shared_ptr<Dispatch> CreateObject(const QString& name_or_class_id);

// True when the class is registered now (no library is loaded to find out).
COMPONENT_EXPORT bool IsClassRegistered(const QString& name_or_class_id);

// The libraries tried when an unknown class identifier is created, without "lib" and ".so".
// The list starts empty: a program declares the component libraries it ships.
COMPONENT_EXPORT QStringList ComponentLibraryNames();
// Adds a library to that list.
COMPONENT_EXPORT void AddComponentLibraryName(const QString& name);

// The folders searched for component libraries, in order.
COMPONENT_EXPORT QStringList ComponentSearchFolders();

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_CLASS_FACTORY_H_
