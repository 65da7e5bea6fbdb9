// RegistryAccess: the persistent store of text values below the current user's and the
// machine's registry roots.
//
// Each root is one human-readable file (store_document.h describes its form):
//   - the user's root (0x80000001): $XDG_CONFIG_HOME/vantrel/registry.json, or
//     ~/.config/vantrel/registry.json; file created readable and writable by its owner only
//     (0600), folder 0700, since values hold connection strings with passwords;
//   - the machine's root (0x80000002): /etc/vantrel/registry.json, readable by everyone, written
//     only by root.
// Both paths can be given to the constructor (tests point them at temporary folders).
//
// Guarantees:
//   - a write replaces the file atomically (atomic_file.h): a crash or a full disk at any moment
//     leaves either the old file or the new one, never a torn or empty one;
//   - writers of all processes take turns on a lock file beside the store ("registry.json.lock")
//     and each re-reads the file under the lock, so two processes writing at the same time lose
//     neither write; Update() makes a change that reads before it writes (a list extended, several
//     values set together) one such write, so that no other writer comes between its read and
//     its write and a crash leaves all of it or none;
//   - a file that cannot be parsed raises kStoreDamaged naming the file, for reads and writes
//     alike, and is never overwritten;
//   - a value written is read back unchanged, whatever its text, also by a later process.
//
// Thread safety: an instance holds no state besides its settings; separate instances may be
// used from separate threads.
#ifndef VANTREL_PLATFORM_REGISTRY_REGISTRY_ACCESS_H_
#define VANTREL_PLATFORM_REGISTRY_REGISTRY_ACCESS_H_

#include <QString>
#include <cstdint>
#include <functional>

#include "platform/registry/atomic_file.h"
#include "platform/registry/store_document.h"

namespace registry {

constexpr int32_t kUserRoot = static_cast<int32_t>(0x80000001u);
constexpr int32_t kMachineRoot = static_cast<int32_t>(0x80000002u);

struct StoreLocations {
  QString user_file;
  QString machine_file;
};

// The locations above, for the current environment.
StoreLocations DefaultStoreLocations();

// True when the process may write the machine's root: its effective user is root.
bool IsPrivilegedProcess();

class RegistryAccess {
 public:
  // The default locations and checks.
  RegistryAccess();
  // `is_privileged` decides whether machine-root writes are allowed; `write` is the system call
  // that writes file data (tests inject faults through it).
  RegistryAccess(StoreLocations locations, std::function<bool()> is_privileged,
                 WriteFunction write = SystemWrite());
  virtual ~RegistryAccess();

  // Stores `value` as the value `value_name` of the key `key_path` below `root`, creating the key
  // and its parents; returns once it is stored. Throws component::Error: 5 for an unknown root,
  // 70 for a machine-root write by a process that isn't privileged (nothing is touched), and the
  // errors of the store file (kStoreDamaged, 61, 70, 75), each naming the file.
  virtual void WriteValue(int32_t root, const QString& key_path, const QString& value_name,
                          const QString& value);

  // Reads the file of `root` under the writers' lock (an empty document when there is none),
  // lets `change` edit it and replaces the file once with the result, still under the lock. A
  // change that leaves the document as it was writes nothing; one that throws writes nothing
  // and its error reaches the caller. Throws what WriteValue throws, a damaged file before
  // `change` runs.
  virtual void Update(int32_t root, const std::function<void(StoreDocument&)>& change);

  // Reads the value into `*value` and returns true; returns false (leaving `*value` alone) when
  // the file, the key or the value doesn't exist, which is not an error. Throws 5 for an unknown
  // root and the errors of the store file (kStoreDamaged, 70, 75).
  virtual bool ReadValue(int32_t root, const QString& key_path, const QString& value_name,
                         QString* value);

 private:
  const QString& FileOf(int32_t root) const;

  StoreLocations locations_;
  std::function<bool()> is_privileged_;
  WriteFunction write_;
};

}  // namespace registry

#endif  // VANTREL_PLATFORM_REGISTRY_REGISTRY_ACCESS_H_
