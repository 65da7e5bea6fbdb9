#include "platform/registry/registry_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <optional>
#include <utility>

#include "platform/component/error.h"
#include "platform/registry/registry_errors.h"
#include "platform/registry/store_document.h"

namespace registry {
namespace {

const QString kStoreName = QStringLiteral("vantrel/registry.json");

// The file's bytes, or nullopt when it doesn't exist.
std::optional<QByteArray> ReadFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    ThrowFileError(errno, QStringLiteral("read"), path);
  }
  QByteArray bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error_number = errno;
      ::close(fd);
      ThrowFileError(error_number, QStringLiteral("read"), path);
    }
    bytes.append(buffer, got);
  }
  ::close(fd);
  return bytes;
}

void MakeFolder(const QString& folder, mode_t mode) {
  if (QFileInfo(folder).isDir()) return;
  MakeFolder(QFileInfo(folder).absolutePath(), mode);
  if (::mkdir(QFile::encodeName(folder).constData(), mode) != 0 && errno != EEXIST) {
    ThrowFileError(errno, QStringLiteral("create the folder"), folder);
  }
}

}  // namespace

StoreLocations DefaultStoreLocations() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
  return {QDir(config).filePath(kStoreName), QStringLiteral("/etc/") + kStoreName};
}

bool IsPrivilegedProcess() { return ::geteuid() == 0; }

RegistryAccess::RegistryAccess()
    : RegistryAccess(DefaultStoreLocations(), IsPrivilegedProcess, SystemWrite()) {}

RegistryAccess::RegistryAccess(StoreLocations locations, std::function<bool()> is_privileged,
                               WriteFunction write)
    : locations_(std::move(locations)),
      is_privileged_(std::move(is_privileged)),
      write_(std::move(write)) {}

RegistryAccess::~RegistryAccess() = default;

const QString& RegistryAccess::FileOf(int32_t root) const {
  if (root == kUserRoot) return locations_.user_file;
  if (root == kMachineRoot) return locations_.machine_file;
  throw component::Error(component::kInvalidProcedureCall, ErrorSource(),
                         QStringLiteral("%1: unknown registry root 0x%2")
                             .arg(component::StandardDescription(component::kInvalidProcedureCall))
                             .arg(static_cast<uint32_t>(root), 8, 16, QLatin1Char('0')));
}

void RegistryAccess::WriteValue(int32_t root, const QString& key_path, const QString& value_name,
                                const QString& value) {
  Update(root, [&](StoreDocument& store) { store.SetValue(key_path, value_name, value); });
}

void RegistryAccess::Update(int32_t root, const std::function<void(StoreDocument&)>& change) {
  const QString& path = FileOf(root);
  const bool machine = root == kMachineRoot;
  if (machine && !is_privileged_()) {
    throw component::Error(
        component::kPermissionDenied, ErrorSource(),
        QStringLiteral("%1: only root may write %2")
            .arg(component::StandardDescription(component::kPermissionDenied), path));
  }
  const mode_t file_mode = machine ? 0644 : 0600;
  MakeFolder(QFileInfo(path).absolutePath(), machine ? 0755 : 0700);
  const FileLock lock(path + QStringLiteral(".lock"), file_mode);
  // Re-read under the lock, so a write of another process since our last read is kept.
  StoreDocument store;
  const std::optional<QByteArray> bytes = ReadFile(path);
  if (bytes) store = StoreDocument::Parse(*bytes, path);
  const QByteArray before = store.Serialize();
  change(store);
  const QByteArray after = store.Serialize();
  if (after == before) return;
  ReplaceFileAtomically(path, after, file_mode, write_);
}

bool RegistryAccess::ReadValue(int32_t root, const QString& key_path, const QString& value_name,
                               QString* value) {
  const QString& path = FileOf(root);
  // No lock: a writer replaces the file by renaming, so a read sees a whole file.
  const std::optional<QByteArray> bytes = ReadFile(path);
  if (!bytes) return false;
  std::optional<QString> found = StoreDocument::Parse(*bytes, path).Value(key_path, value_name);
  if (!found) return false;
  *value = std::move(*found);
  return true;
}

}  // namespace registry
