// The RegistryAccess of the calling thread, shared by every Registry object of that thread.
#ifndef VANTREL_CORBENNA_REGISTRY_ACCESS_PROVIDER_H_
#define VANTREL_CORBENNA_REGISTRY_ACCESS_PROVIDER_H_

#include <functional>
#include <memory>

#include "corbenna/corbenna_export.h"
#include "platform/registry/registry_access.h"

namespace corbenna {

// The calling thread's instance, made the first time the thread asks. Throws what the maker
// throws (the thread then has none, and the next call tries again).
CORBENNA_EXPORT registry::RegistryAccess& ThreadRegistryAccess();

// How instances are made; by default a RegistryAccess over the default store locations. Setting
// a maker (or nullptr for the default) discards the instances of every thread, each making a
// new one on its next use. For tests that point the store elsewhere or inject a failing one.
using RegistryAccessMaker = std::function<std::unique_ptr<registry::RegistryAccess>()>;
CORBENNA_EXPORT void SetRegistryAccessMaker(RegistryAccessMaker maker);

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_REGISTRY_ACCESS_PROVIDER_H_
