#include "platform/desktop_api/temp_folder.h"

#include <QtGlobal>

namespace desktop_api {

QString GetTempPath() noexcept {
  QString folder = qEnvironmentVariable("TMPDIR");
  if (folder.isEmpty()) folder = QStringLiteral("/tmp");
  if (!folder.endsWith(u'/')) folder += u'/';
  return folder;
}

}  // namespace desktop_api
