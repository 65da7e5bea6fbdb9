#include "platform/registry/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"

namespace registry {
namespace {

const char kTempInfix[] = ".tmp-";

// Closes a descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

void RemoveLeftovers(const QString& path) {
  const QFileInfo info(path);
  const QDir folder = info.dir();
  const QStringList leftovers =
      folder.entryList({info.fileName() + QLatin1String(kTempInfix) + u'*'}, QDir::Files);
  for (const QString& name : leftovers) QFile::remove(folder.filePath(name));
}

void WriteAll(int fd, const QByteArray& data, const WriteFunction& write, const QString& path) {
  const char* next = data.constData();
  size_t left = static_cast<size_t>(data.size());
  while (left > 0) {
    const ssize_t written = write(fd, next, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowFileError(errno, QStringLiteral("write"), path);
    }
    if (written == 0) ThrowFileError(ENOSPC, QStringLiteral("write"), path);
    next += written;
    left -= static_cast<size_t>(written);
  }
}

}  // namespace

WriteFunction SystemWrite() {
  return [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
}

void ThrowFileError(int error_number, const QString& what, const QString& path) {
  int32_t number = component::kPathFileAccessError;
  if (error_number == ENOSPC || error_number == EDQUOT) number = component::kDiskFull;
  if (error_number == EACCES || error_number == EPERM || error_number == EROFS) {
    number = component::kPermissionDenied;
  }
  throw component::Error(number, ErrorSource(),
                         QStringLiteral("%1: cannot %2 %3: %4")
                             .arg(component::StandardDescription(number), what, path,
                                  QString::fromLocal8Bit(std::strerror(error_number))));
}

void ReplaceFileAtomically(const QString& path, const QByteArray& data, mode_t mode,
                           const WriteFunction& write) {
  RemoveLeftovers(path);
  QByteArray temp_name = QFile::encodeName(path) + kTempInfix + "XXXXXX";
  Descriptor temp(::mkstemp(temp_name.data()));
  if (temp.get() < 0) ThrowFileError(errno, QStringLiteral("create a file beside"), path);
  try {
    if (::fchmod(temp.get(), mode) != 0) ThrowFileError(errno, QStringLiteral("protect"), path);
    WriteAll(temp.get(), data, write, path);
    if (::fsync(temp.get()) != 0) ThrowFileError(errno, QStringLiteral("flush"), path);
    if (::close(temp.release()) != 0) ThrowFileError(errno, QStringLiteral("close"), path);
    if (::rename(temp_name.constData(), QFile::encodeName(path).constData()) != 0) {
      ThrowFileError(errno, QStringLiteral("replace"), path);
    }
  } catch (...) {
    ::unlink(temp_name.constData());
    throw;
  }
  // Make the rename itself durable; the new contents are already in place for readers.
  Descriptor folder(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
}

FileLock::FileLock(const QString& path, mode_t mode) {
  fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, mode);
  if (fd_ < 0) ThrowFileError(errno, QStringLiteral("lock"), path);
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error_number = errno;
    ::close(fd_);
    ThrowFileError(error_number, QStringLiteral("lock"), path);
  }
}

FileLock::~FileLock() { ::close(fd_); }  // closing releases the lock

}  // namespace registry
