// Replacing a file so that readers and crashes only ever see the old or the new contents.
#ifndef VANTREL_PLATFORM_REGISTRY_ATOMIC_FILE_H_
#define VANTREL_PLATFORM_REGISTRY_ATOMIC_FILE_H_

#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <functional>

namespace registry {

// The system call that writes file data, replaceable so that tests can make it fail (a full
// disk) or stop the process part-way. Same contract as write(2).
using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;
WriteFunction SystemWrite();

// Writes `data` to a new file beside `path`, created with `mode` (before the umask is applied,
// then forced to exactly `mode`), flushes it to disk and renames it over `path`, then flushes
// the folder. On any failure the new file is removed and `path` is left as it was; throws
// component::Error 61 when the disk is full, 70 when permission is denied and 75 otherwise,
// each naming `path`. The caller must hold the folder's writer lock (FileLock): leftovers of a
// writer that died are removed here, which is only safe while no other writer runs.
void ReplaceFileAtomically(const QString& path, const QByteArray& data, mode_t mode,
                           const WriteFunction& write = SystemWrite());

// An exclusive lock between processes on `path` (created with `mode` if missing), held from
// construction until destruction; waits while another process holds it. A process that dies
// releases its lock. Throws the errors listed above when the lock file cannot be opened.
class FileLock {
 public:
  FileLock(const QString& path, mode_t mode);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

// The numbered error for errno value `error_number` while doing `what` to `path`.
[[noreturn]] void ThrowFileError(int error_number, const QString& what, const QString& path);

}  // namespace registry

#endif  // VANTREL_PLATFORM_REGISTRY_ATOMIC_FILE_H_
