#include "dataaccess/sqlite/sqlite_file_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "dataaccess/data_objects.h"
#include "dataaccess/errors.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr qint64 kHeaderSize = 100;
constexpr char kMagic[] = "SQLite format 3";  // followed by a NUL: 16 bytes in all

uint32_t BigEndian(const QByteArray& bytes, int offset, int width) {
  uint32_t value = 0;
  for (int i = 0; i < width; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

// What a path that is not a regular file is, in a user's words.
QString KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return QStringLiteral("a folder");
  if (S_ISFIFO(mode)) return QStringLiteral("a named pipe (FIFO)");
  if (S_ISCHR(mode)) return QStringLiteral("a character device");
  if (S_ISBLK(mode)) return QStringLiteral("a block device");
  if (S_ISSOCK(mode)) return QStringLiteral("a socket");
  return QStringLiteral("not a regular file");
}

[[noreturn]] void Fail(int32_t number, const QString& text) {
  throw component::Error(number, ErrorSource(), text);
}

}  // namespace

SqliteFileFacts CheckSqliteFile(const QString& path) {
  const QByteArray name = NameToBytes(path);
  struct stat facts {};
  if (::stat(name.constData(), &facts) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      Fail(component::kFileNotFound, QStringLiteral("File not found: '%1'").arg(path));
    }
    Fail(component::kPathFileAccessError,
         QStringLiteral("Cannot read '%1': %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
  }
  if (!S_ISREG(facts.st_mode)) {
    Fail(
        kNotADatabase,
        QStringLiteral("'%1' is %2, not an SQLite database file").arg(path, KindOf(facts.st_mode)));
  }
  // Never blocks, even if the path was replaced by a pipe since: the open does not wait for a
  // writer, and what was opened is checked again.
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Fail(component::kPathFileAccessError,
         QStringLiteral("Cannot read '%1': %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
  }
  QFile file;
  if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode) ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    Fail(kNotADatabase, QStringLiteral("'%1' changed while it was read").arg(path));
  }
  const qint64 file_size = file.size();
  if (file_size == 0) {
    Fail(kNotADatabase, QStringLiteral("'%1' is empty, not an SQLite database").arg(path));
  }
  const QByteArray header = file.read(kHeaderSize);
  if (header.size() < static_cast<qsizetype>(sizeof kMagic) ||
      !header.startsWith(QByteArray(kMagic, sizeof kMagic))) {
    Fail(kNotADatabase, QStringLiteral("'%1' is not an SQLite database").arg(path));
  }
  if (header.size() < kHeaderSize) {
    Fail(kDatabaseDamaged,
         QStringLiteral("'%1' is damaged: the file ends inside its header").arg(path));
  }
  // The page count in the header is only trustworthy when the change counter at 24 matches the
  // "version valid for" number at 92 (older writers left it stale).
  const uint32_t raw_page_size = BigEndian(header, 16, 2);
  const qint64 page_size = raw_page_size == 1 ? 65536 : raw_page_size;
  const bool page_count_valid = BigEndian(header, 24, 4) == BigEndian(header, 92, 4);
  const qint64 page_count = BigEndian(header, 28, 4);
  if (page_count_valid && page_count > 0 && page_size * page_count > file_size) {
    Fail(kDatabaseDamaged,
         QStringLiteral("'%1' is damaged: the file is shorter than its header says (%2 of %3 "
                        "bytes); it may have been truncated by an interrupted copy")
             .arg(path)
             .arg(file_size)
             .arg(page_size * page_count));
  }
  // Bytes 18 and 19 are the read and write versions: 2 for write-ahead logging.
  return SqliteFileFacts{header[18] == 2 || header[19] == 2};
}

}  // namespace dataaccess
