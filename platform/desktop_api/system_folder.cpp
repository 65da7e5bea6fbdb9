#include "platform/desktop_api/system_folder.h"

#include <QDir>
#include <QtGlobal>

namespace desktop_api {

QString GetSystemDirectory(const QString& vendor_folder) noexcept {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  // Relative values are invalid by the base-directory rules and must be ignored.
  if (!QDir::isAbsolutePath(config)) {
    const QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home)) return QString();
    config = home + QStringLiteral("/.config");
  }
  QString folder = QDir::cleanPath(config + u'/' + vendor_folder);
  if (!QDir().mkpath(folder)) return QString();
  return folder;
}

}  // namespace desktop_api
