#include "platform/desktop_api/temp_folder.h"

#include <QtGlobal>

namespace winapi {

QString GetTempPath() noexcept {
  QString folder = qEnvironmentVariable("TMPDIR");
  if (folder.isEmpty()) folder = QStringLiteral("/tmp");
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder;
}

}  // namespace winapi
