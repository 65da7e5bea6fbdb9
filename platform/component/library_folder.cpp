#include "platform/component/library_folder.h"

#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>

namespace component {

QString FolderOfLibraryHolding(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || !info.dli_fname) return QString();
  return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
}

}  // namespace component
