#include "corbenna/registry_access_provider.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <utility>

namespace corbenna {
namespace {

std::mutex maker_mutex;
RegistryAccessMaker& Maker() {
  static RegistryAccessMaker maker;
  return maker;
}
std::atomic<uint64_t> maker_generation{0};

struct ThreadInstance {
  std::unique_ptr<registry::RegistryAccess> access;
  uint64_t generation = 0;
};
thread_local ThreadInstance thread_instance;

}  // namespace

registry::RegistryAccess& ThreadRegistryAccess() {
  const uint64_t generation = maker_generation.load();
  if (!thread_instance.access || thread_instance.generation != generation) {
    RegistryAccessMaker maker;
    {
      std::lock_guard lock(maker_mutex);
      maker = Maker();
    }
    thread_instance.access.reset();
    thread_instance.access = maker ? maker() : std::make_unique<registry::RegistryAccess>();
    thread_instance.generation = generation;
  }
  return *thread_instance.access;
}

void SetRegistryAccessMaker(RegistryAccessMaker maker) {
  std::lock_guard lock(maker_mutex);
  Maker() = std::move(maker);
  ++maker_generation;
}

}  // namespace corbenna
