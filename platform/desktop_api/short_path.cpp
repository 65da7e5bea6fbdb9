#include "platform/desktop_api/short_path.h"

#include <QDir>
#include <QFileInfo>

namespace desktop_api {

QString GetShortPathName(const QString& long_path) noexcept {
  if (long_path.isEmpty()) return QString();
  const QFileInfo info(long_path);
  if (!info.exists()) return QString();
  QString path = QDir::cleanPath(info.absoluteFilePath());
  if (long_path.endsWith(u'/') && !path.endsWith(u'/')) path += u'/';
  return path;
}

}  // namespace desktop_api
