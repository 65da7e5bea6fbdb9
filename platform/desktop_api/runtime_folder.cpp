#include "platform/desktop_api/runtime_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

namespace desktop_api {
namespace {

// Qt's choice: the user's name, or the number when the user has no entry.
QString UserName() {
  const uid_t uid = geteuid();
  if (const passwd* entry = getpwuid(uid)) return QFile::decodeName(entry->pw_name);
  return QString::number(uid);
}

}  // namespace

QString PrepareRuntimeFolder() noexcept {
  try {
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return QString();
    QString folder = QDir::tempPath() + QStringLiteral("/runtime-") + UserName();
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) return QString();
    struct stat facts {};
    if (::lstat(name.constData(), &facts) != 0 || !S_ISDIR(facts.st_mode) ||
        facts.st_uid != geteuid() || (facts.st_mode & 07777) != 0700) {
      return QString();
    }
    if (!qputenv("XDG_RUNTIME_DIR", name)) return QString();
    return folder;
  } catch (...) {  // out of memory: Qt falls back on its own, with its warning
    return QString();
  }
}

}  // namespace desktop_api
