#include "vantrel/core/output_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "dataaccess/data_objects.h"
#include "platform/component/error.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

[[noreturn]] void ThrowFileError(int error_number, const char* what, const QString& path) {
  int32_t number = component::kPathFileAccessError;
  if (error_number == ENOSPC || error_number == EDQUOT) number = component::kDiskFull;
  if (error_number == EACCES || error_number == EPERM || error_number == EROFS) {
    number = component::kPermissionDenied;
  }
  throw component::Error(number, QStringLiteral("Vantrel"),
                         QStringLiteral("cannot %1 '%2': %3")
                             .arg(QLatin1String(what), VisibleText(path),
                                  QString::fromLocal8Bit(std::strerror(error_number))));
}

// Moves `from` to `to` only when nothing is at `to`; false when something is.
bool MoveToFreeName(const QByteArray& from, const QByteArray& to, const QString& path) {
  if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) ThrowFileError(errno, "write", path);
  // A file system without RENAME_NOREPLACE: a hard link is refused just as well where a name
  // is taken.
  if (::link(from.constData(), to.constData()) != 0) {
    if (errno == EEXIST) return false;
    ThrowFileError(errno, "write", path);
  }
  ::unlink(from.constData());
  return true;
}

// Up to `size` bytes of `fd` from `offset`; fewer where the file ends or cannot be read.
QByteArray ReadAt(int fd, off_t offset, qsizetype size) {
  QByteArray bytes(size, 0);
  qsizetype got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd, bytes.data() + got, static_cast<size_t>(size - got),
                              offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += n;
  }
  bytes.truncate(got);
  return bytes;
}

}  // namespace

// Writes to a descriptor through a buffer of its own, keeping the reason of the first write
// that failed; every write after it fails too.
class OutputFile::Sink : public QIODevice {
 public:
  explicit Sink(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
  // Writes what is buffered; false when this or an earlier write failed.
  bool Drain() {
    qsizetype done = 0;
    while (error_number_ == 0 && done < buffer_.size()) {
      const ssize_t n =
          ::write(fd_, buffer_.constData() + done, static_cast<size_t>(buffer_.size() - done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_number_ = errno;
      if (n == 0) error_number_ = ENOSPC;
      if (n > 0) done += n;
    }
    buffer_.clear();
    return error_number_ == 0;
  }
  int error_number() const { return error_number_; }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (error_number_ != 0) return -1;
    buffer_.append(data, static_cast<qsizetype>(size));
    if (buffer_.size() >= kBufferSize && !Drain()) return -1;
    return size;
  }

 private:
  static constexpr qsizetype kBufferSize = qsizetype{256} * 1024;
  int fd_;
  int error_number_ = 0;
  QByteArray buffer_;
};

PathState StateOf(const QString& path, const WrittenByVantrel& recognise) {
  const QByteArray name = dataaccess::NameToBytes(path);
  struct stat info {};
  if (::lstat(name.constData(), &info) != 0) {
    return errno == ENOENT ? PathState::kFree : PathState::kTaken;
  }
  if (!S_ISREG(info.st_mode)) return PathState::kTaken;
  if (info.st_size == 0) return PathState::kReplaceable;
  const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return PathState::kTaken;
  const qsizetype end_size = static_cast<qsizetype>(std::min<off_t>(info.st_size, kRecognisedEnd));
  const QByteArray head = ReadAt(fd, 0, end_size);
  const QByteArray tail = ReadAt(fd, info.st_size - end_size, end_size);
  ::close(fd);
  return recognise(head, tail) ? PathState::kReplaceable : PathState::kTaken;
}

QString WhyTaken(const QString& path) {
  struct stat info {};
  if (::lstat(dataaccess::NameToBytes(path).constData(), &info) != 0) {
    return QString::fromLocal8Bit(std::strerror(errno));
  }
  if (S_ISLNK(info.st_mode)) return QStringLiteral("it is a link");
  if (S_ISDIR(info.st_mode)) return QStringLiteral("it is a folder");
  if (!S_ISREG(info.st_mode)) return QStringLiteral("it is not a regular file");
  return QStringLiteral("it is not a file Vantrel wrote");
}

OutputFile::OutputFile(QString path) : path_(std::move(path)) {
  temp_name_ = dataaccess::NameToBytes(path_) + ".tmp-XXXXXX";
  // mkostemp creates the file with O_EXCL: it never opens something already there.
  fd_ = ::mkostemp(temp_name_.data(), O_CLOEXEC);
  if (fd_ < 0) ThrowFileError(errno, "create a file beside", path_);
  // The mode a new file of the user's would have, not mkstemp's 0600.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_, 0666 & ~mask) != 0) {
    const int error_number = errno;
    ::close(fd_);
    ::unlink(temp_name_.constData());
    ThrowFileError(error_number, "write", path_);
  }
  sink_ = std::make_unique<Sink>(fd_);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_) ::unlink(temp_name_.constData());
}

QIODevice& OutputFile::Device() { return *sink_; }

void OutputFile::Finish() {
  if (fd_ < 0) return;
  if (!sink_->Drain()) ThrowFileError(sink_->error_number(), "write", path_);
  if (::fsync(fd_) != 0) ThrowFileError(errno, "write", path_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) ThrowFileError(errno, "write", path_);
}

bool OutputFile::Commit(const WrittenByVantrel& recognise) {
  Finish();
  const PathState state = StateOf(path_, recognise);
  if (state == PathState::kTaken) return false;
  const QByteArray target = dataaccess::NameToBytes(path_);
  if (state == PathState::kReplaceable) {
    if (::rename(temp_name_.constData(), target.constData()) != 0) {
      ThrowFileError(errno, "write", path_);
    }
  } else if (!MoveToFreeName(temp_name_, target, path_)) {
    return false;
  }
  committed_ = true;
  // The move itself reaches the disk with its folder.
  const int folder = ::open(dataaccess::NameToBytes(QFileInfo(path_).absolutePath()).constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

}  // namespace vantrel
