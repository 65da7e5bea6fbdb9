// The folder of a loaded library (or program) file, found from an address inside it: how a
// component library finds files that are installed beside it, wherever it was loaded from.
#ifndef VANTREL_PLATFORM_COMPONENT_LIBRARY_FOLDER_H_
#define VANTREL_PLATFORM_COMPONENT_LIBRARY_FOLDER_H_

#include <QString>

#include "platform/component/component_export.h"

namespace component {

// The absolute folder of the file whose code or data holds `address` (pass the address of a
// function of the caller's own library); "" when the loader knows no such file.
COMPONENT_EXPORT QString FolderOfLibraryHolding(const void* address);

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_LIBRARY_FOLDER_H_
