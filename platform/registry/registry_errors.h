// Error numbers of the registry store, besides the standard ones it also raises: 5 for a root
// that is neither the user's nor the machine's, 61 when the disk is full, 70 when the caller may
// not write (a non-root caller writing the machine's root, or a file the user cannot open), 75
// for any other failure to read or write the store. Every description names the store file.
#ifndef VANTREL_PLATFORM_REGISTRY_REGISTRY_ERRORS_H_
#define VANTREL_PLATFORM_REGISTRY_REGISTRY_ERRORS_H_

#include <QString>
#include <cstdint>

namespace registry {

enum RegistryError : int32_t {
  kStoreDamaged = 3200,  // the store file exists but is not a store this code wrote
};

inline QString ErrorSource() { return QStringLiteral("RegistryAccess"); }

}  // namespace registry

#endif  // VANTREL_PLATFORM_REGISTRY_REGISTRY_ERRORS_H_
