#include "platform/winapi/application_log.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace winapi {
namespace {

std::mutex socket_mutex;
QString& SocketPath() {
  static QString path;
  return path;
}

int Severity(LogEntryType type) {
  switch (type) {
    case LogEntryType::kError:
      return LOG_ERR;
    case LogEntryType::kWarning:
      return LOG_WARNING;
    case LogEntryType::kInformation:
      return LOG_INFO;
  }
  return LOG_ERR;
}

QString TypeName(LogEntryType type) {
  switch (type) {
    case LogEntryType::kError:
      return QStringLiteral("Error");
    case LogEntryType::kWarning:
      return QStringLiteral("Warning");
    case LogEntryType::kInformation:
      return QStringLiteral("Information");
  }
  return QString();
}

// "Dec  6 20:49:51": local time, the day padded with a space.
QString SyslogTimestamp(const QDateTime& now) {
  return QStringLiteral("%1 %2 %3")
      .arg(QLocale::c().toString(now, QStringLiteral("MMM")))
      .arg(now.date().day(), 2, 10, QLatin1Char(' '))
      .arg(now.toString(QStringLiteral("hh:mm:ss")));
}

// One datagram in the traditional syslog form, as syslog(3) sends it.
bool SendToSystemLog(const QString& source, const QString& record, LogEntryType type) {
  const QByteArray path = QFile::encodeName(SystemLogSocket());
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (static_cast<size_t>(path.size()) >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  // Concatenated, never chained through placeholders: a '%1' inside the source or the record
  // would otherwise be replaced by the values that follow it.
  const QByteArray message = (u'<' + QString::number(LOG_USER | Severity(type)) + u'>' +
                              SyslogTimestamp(QDateTime::currentDateTime()) + u' ' + source + u'[' +
                              QString::number(::getpid()) + QStringLiteral("]: ") + record)
                                 .toUtf8();
  const bool sent =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, message.constData(), static_cast<size_t>(message.size()), MSG_NOSIGNAL) ==
          message.size();
  ::close(fd);
  return sent;
}

bool AppendToFile(const QString& target, const QByteArray& entry) {
  // Never through a symbolic link (ELOOP), and readable by the owner alone whether the file is
  // created now or was there before: entries quote connect strings and descriptions.
  const int fd = ::open(QFile::encodeName(target).constData(),
                        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (fd < 0) return false;
  struct stat status {};
  bool written = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                 ((status.st_mode & 07777) == 0600 || ::fchmod(fd, 0600) == 0);
  // One write, so that entries of concurrent writers don't interleave.
  written =
      written && ::write(fd, entry.constData(), static_cast<size_t>(entry.size())) == entry.size();
  return ::close(fd) == 0 && written;
}

}  // namespace

void SetSystemLogSocket(const QString& path) {
  std::lock_guard lock(socket_mutex);
  SocketPath() = path;
}

QString SystemLogSocket() {
  std::lock_guard lock(socket_mutex);
  return SocketPath().isEmpty() ? QStringLiteral("/dev/log") : SocketPath();
}

QByteArray FileEntry(const QString& timestamp, const QString& source, const QString& record,
                     LogEntryType type) {
  return (QStringLiteral("--- ") + timestamp + u' ' + TypeName(type) + u' ' + source + u'[' +
          QString::number(::getpid()) + QStringLiteral("] ---\n") + record +
          QStringLiteral("\n--- end of entry ---\n"))
      .toUtf8();
}

LogDestination WriteApplicationLog(const QString& target, const QString& source,
                                   const QString& record, LogEntryType type) {
  if (SendToSystemLog(source, record, type)) return LogDestination::kSystemLog;
  const QDateTime now = QDateTime::currentDateTime();
  const QByteArray entry = FileEntry(
      now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs), source, record, type);
  if (AppendToFile(target, entry)) return LogDestination::kFile;
  std::fwrite(entry.constData(), 1, static_cast<size_t>(entry.size()), stderr);
  std::fflush(stderr);
  return LogDestination::kStandardError;
}

QString DefaultLogFolder(const QString& application) {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
  QString folder = QDir(state).filePath(application);
  if (QDir(folder).exists()) return folder;
  if (!QDir().mkpath(folder)) return QString();
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return folder;
}

}  // namespace winapi
