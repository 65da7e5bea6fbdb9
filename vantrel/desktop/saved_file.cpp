#include "vantrel/desktop/saved_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "dataaccess/data_objects.h"
#include "vantrel/core/report_recognition.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::desktop {
namespace {

QString Tr(const char* text) { return QCoreApplication::translate("SavedFile", text); }

// The first and the last bytes of the regular file `path`, at most kRecognisedEnd of each.
bool ReadEnds(const QString& path, qint64 size, QByteArray* start, QByteArray* tail) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  *start = file.read(kRecognisedEnd);
  if (!file.seek(std::max<qint64>(0, size - kRecognisedEnd))) return false;
  *tail = file.read(kRecognisedEnd);
  return true;
}

}  // namespace

QString SaveChecked(const QString& path, const QByteArray& content, const EarlierOutput& earlier) {
  // Never through a link, and never over a file the user keeps for something else.
  struct stat facts {};
  const QByteArray bytes = dataaccess::NameToBytes(path);
  if (::lstat(bytes.constData(), &facts) == 0) {
    if (!S_ISREG(facts.st_mode)) {
      return Tr("'%1' is a link, a folder or a device; choose another name").arg(VisibleText(path));
    }
    QByteArray start;
    QByteArray tail;
    if (facts.st_size > 0 &&
        (!ReadEnds(path, facts.st_size, &start, &tail) || !earlier(start, tail))) {
      return Tr("'%1' is not a file Vantrel wrote; choose another name").arg(VisibleText(path));
    }
  }
  // Each system call is checked, since a buffered writer may report a write that never reached
  // the disk as done.
  QByteArray temp = bytes + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return Tr("cannot write '%1': %2").arg(VisibleText(path), qt_error_string(errno));
  qsizetype done = 0;
  int error = 0;
  while (done < content.size() && error == 0) {
    const ssize_t wrote =
        ::write(fd, content.constData() + done, static_cast<size_t>(content.size() - done));
    if (wrote < 0 && errno != EINTR) error = errno;
    if (wrote > 0) done += wrote;
  }
  if (error == 0 && ::fchmod(fd, 0644) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.constData(), bytes.constData()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.constData());
    return Tr("cannot write '%1': %2").arg(VisibleText(path), qt_error_string(error));
  }
  return QString();
}

}  // namespace vantrel::desktop
