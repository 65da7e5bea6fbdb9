// A registry store of a test's own: every Registry object of the process (and so the data source
// store) uses the store files in a fresh temporary folder for the life of this object, instead of
// the folder that the environment names once for the whole process.
//
// Construct it before anything that reads the store (in a fixture, as a member of the base
// class, so that the fixture's own members already see it). Header-only; the test links corbenna.
#ifndef VANTREL_TESTING_REGISTRY_STORE_H_
#define VANTREL_TESTING_REGISTRY_STORE_H_

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "corbenna/registry_access_provider.h"
#include "platform/registry/registry_access.h"

namespace corbenna::test_support {

class ScopedRegistryStore {
 public:
  // `write` is the store's system call that writes file data (a test may inject faults).
  explicit ScopedRegistryStore(registry::WriteFunction write = registry::SystemWrite()) {
    Use(std::move(write));
  }
  ~ScopedRegistryStore() { SetRegistryAccessMaker(nullptr); }
  ScopedRegistryStore(const ScopedRegistryStore&) = delete;
  ScopedRegistryStore& operator=(const ScopedRegistryStore&) = delete;

  // From now on the store writes file data through `write`.
  void Use(registry::WriteFunction write) {
    SetRegistryAccessMaker([locations = Locations(), write] {
      return std::make_unique<registry::RegistryAccess>(locations, registry::IsPrivilegedProcess,
                                                        write);
    });
  }
  registry::StoreLocations Locations() const {
    return {UserFile(), folder_.filePath(QStringLiteral("machine/registry.json"))};
  }
  QString UserFile() const { return folder_.filePath(QStringLiteral("user/registry.json")); }

 private:
  QTemporaryDir folder_;
};

}  // namespace corbenna::test_support

#endif  // VANTREL_TESTING_REGISTRY_STORE_H_
