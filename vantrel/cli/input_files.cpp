#include "vantrel/cli/input_files.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vantrel::cli {

QString FileOfConnectString(const QString& connect_string) {
  static const QRegularExpression server(
      QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://|[A-Za-z_]+\\s*=|ODBC;)"),
      QRegularExpression::CaseInsensitiveOption);
  QString text = connect_string.trimmed();
  if (server.match(text).hasMatch()) return QString();
  for (const QLatin1StringView scheme :
       {QLatin1StringView("sqlite:"), QLatin1StringView("snapshot:")}) {
    if (text.startsWith(scheme)) return text.mid(scheme.size());
  }
  return text;
}

bool SameFile(const QString& a, const QString& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
         ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

bool WouldReplace(const QString& output, const QString& database) {
  QString target = output;
  for (int hops = 0; hops < 40 && QFileInfo(target).isSymLink(); ++hops) {
    target = QFileInfo(target).symLinkTarget();
  }
  const QFileInfo target_info(target);
  const QFileInfo database_info(database);
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const QString file = database + QLatin1String(suffix);
    if (SameFile(target, file)) return true;
    if (target_info.fileName() == database_info.fileName() + QLatin1String(suffix) &&
        SameFile(target_info.absolutePath(), database_info.absolutePath())) {
      return true;
    }
  }
  return false;
}

}  // namespace vantrel::cli
