#include "platform/winapi/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace winapi {
namespace {

std::optional<QByteArray> SystemUserName() {
  long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> scratch(suggested > 0 ? static_cast<size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, scratch.data(), scratch.size(), &found) != 0 ||
      found == nullptr || found->pw_name == nullptr) {
    return std::nullopt;
  }
  return QByteArray(found->pw_name);
}

std::mutex source_mutex;
UserNameSource& Source() {
  static UserNameSource source;
  return source;
}

}  // namespace

void SetUserNameSource(UserNameSource source) {
  std::lock_guard lock(source_mutex);
  Source() = std::move(source);
}

bool GetUserNameA(char* buffer, uint32_t* size) {
  std::optional<QByteArray> name;
  {
    std::lock_guard lock(source_mutex);
    name = Source() ? Source()() : SystemUserName();
  }
  if (!name || buffer == nullptr || size == nullptr) return false;
  const uint32_t needed = static_cast<uint32_t>(name->size()) + 1;
  if (*size < needed) {
    *size = needed;
    return false;
  }
  std::memcpy(buffer, name->constData(), needed);  // QByteArray data ends in a NUL
  *size = needed;
  return true;
}

}  // namespace winapi
