#include "vantrel/cli/input_files.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>

#include "dataaccess/connect_string_forms.h"
#include "dataaccess/data_objects.h"

namespace vantrel::cli {

QString FileOfConnectString(const QString& connect_string) {
  // The drivers route a connect string by these forms before any file driver sees it.
  if (dataaccess::MightBePostgres(connect_string) ||
      dataaccess::IsMysqlConnectString(connect_string) ||
      dataaccess::IsOdbcConnectString(connect_string)) {
    return QString();
  }
  QString text = connect_string.trimmed();
  // As the file drivers read them: the schemes in any case, and "sqlite://relative" or
  // "sqlite:///absolute" with the SQLite driver.
  if (text.startsWith(u"sqlite:", Qt::CaseInsensitive)) {
    text = text.mid(7);
    return text.startsWith(u"//") ? text.mid(2) : text;
  }
  if (text.startsWith(u"snapshot:", Qt::CaseInsensitive)) return text.mid(9);
  return text;
}

bool SameFile(const QString& a, const QString& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(dataaccess::NameToBytes(a).constData(), &first) == 0 &&
         ::stat(dataaccess::NameToBytes(b).constData(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
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
