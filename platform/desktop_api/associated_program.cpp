#include "platform/desktop_api/associated_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QtGlobal>

#include "platform/desktop_api/desktop_exec_line.h"

namespace desktop_api {
namespace {

constexpr int kQueryTimeoutMilliseconds = 5000;

QString WithoutTrailingSpaces(QString text) {
  while (text.endsWith(u' ')) text.chop(1);
  return text;
}

// The desktop entry that xdg-mime names as the default for `mime_type`, or "".
QString DefaultDesktopEntry(const QString& mime_type) {
  const QString xdg_mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdg_mime.isEmpty()) return QString();
  QProcess query;
  query.setStandardInputFile(QProcess::nullDevice());
  query.setStandardErrorFile(QProcess::nullDevice());
  query.start(xdg_mime, {QStringLiteral("query"), QStringLiteral("default"), mime_type});
  if (!query.waitForFinished(kQueryTimeoutMilliseconds)) {
    query.kill();
    query.waitForFinished();
    return QString();
  }
  if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) return QString();
  const QString answer = QString::fromLocal8Bit(query.readAllStandardOutput());
  QString entry = answer.section(u'\n', 0, 0).trimmed();
  // A desktop file ID is a plain file name; anything else is no answer.
  if (!entry.endsWith(QStringLiteral(".desktop")) || entry.contains(u'/')) return QString();
  return entry;
}

QStringList ApplicationFolders() {
  QStringList data_folders;
  QString data_home = qEnvironmentVariable("XDG_DATA_HOME");
  if (!QDir::isAbsolutePath(data_home)) {
    const QString home = qEnvironmentVariable("HOME");
    data_home = QDir::isAbsolutePath(home) ? home + QStringLiteral("/.local/share") : QString();
  }
  if (!data_home.isEmpty()) data_folders.append(data_home);
  QString data_dirs = qEnvironmentVariable("XDG_DATA_DIRS");
  if (data_dirs.isEmpty()) data_dirs = QStringLiteral("/usr/local/share:/usr/share");
  for (const QString& folder : data_dirs.split(u':', Qt::SkipEmptyParts)) {
    if (QDir::isAbsolutePath(folder)) data_folders.append(folder);
  }
  QStringList folders;
  for (const QString& folder : data_folders)
    folders.append(folder + QStringLiteral("/applications"));
  return folders;
}

// The Exec value of the [Desktop Entry] group of the desktop file `path`, or "".
QString ExecValue(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return QString();
  bool in_entry = false;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(u'[')) {
      in_entry = line == QStringLiteral("[Desktop Entry]");
    } else if (in_entry && line.startsWith(QStringLiteral("Exec"))) {
      const qsizetype equals = line.indexOf(u'=');
      if (equals > 0 && line.left(equals).trimmed() == QStringLiteral("Exec")) {
        return line.mid(equals + 1).trimmed();
      }
    }
  }
  return QString();
}

QString ExecutablePath(const QString& program) {
  if (!program.contains(u'/')) return QStandardPaths::findExecutable(program);
  const QFileInfo info(program);
  if (!info.isAbsolute() || !info.isFile() || !info.isExecutable()) return QString();
  return info.absoluteFilePath();
}

}  // namespace

QStringList AssociatedProgram::ArgumentsFor(const QString& target) const {
  return ExpandFieldCodes(words, target);
}

std::optional<AssociatedProgram> FindExecutable(const QString& file_name,
                                                const QString& folder) noexcept {
  const QString name = WithoutTrailingSpaces(file_name);
  if (name.isEmpty()) return std::nullopt;
  const QFileInfo file(QDir(WithoutTrailingSpaces(folder)), name);
  if (!file.isFile()) return std::nullopt;

  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  if (!type.isValid()) return std::nullopt;  // no MIME database to tell the type
  const QString entry = DefaultDesktopEntry(type.name());
  if (entry.isEmpty()) return std::nullopt;

  for (const QString& applications : ApplicationFolders()) {
    const QString path = QDir(applications).filePath(entry);
    if (!QFileInfo(path).isFile()) continue;
    const std::optional<QStringList> words = SplitExecLine(ExecValue(path));
    if (!words) return std::nullopt;
    const QString program = ExecutablePath(words->first());
    if (program.isEmpty()) return std::nullopt;
    return AssociatedProgram{program, words->mid(1)};
  }
  return std::nullopt;
}

}  // namespace desktop_api
