#include "dataaccess/connection_prompter.h"

#include <mutex>

namespace dataaccess {
namespace {

// The one prompter of the process. The lock makes a lookup safe against an install on another
// thread; it does not make an install during an open meaningful (see the header).
struct InstalledPrompter {
  std::mutex mutex;
  std::shared_ptr<ConnectionPrompter> prompter;
};

InstalledPrompter& Installed() {
  static InstalledPrompter installed;
  return installed;
}

}  // namespace

ConnectionPrompter::~ConnectionPrompter() = default;

void SetConnectionPrompter(std::shared_ptr<ConnectionPrompter> prompter) {
  InstalledPrompter& installed = Installed();
  const std::lock_guard<std::mutex> lock(installed.mutex);
  installed.prompter = std::move(prompter);
}

std::shared_ptr<ConnectionPrompter> InstalledConnectionPrompter() {
  InstalledPrompter& installed = Installed();
  const std::lock_guard<std::mutex> lock(installed.mutex);
  return installed.prompter;
}

}  // namespace dataaccess
