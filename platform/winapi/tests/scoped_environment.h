// Sets environment variables for the life of the object and puts the old values back after.
#ifndef VANTREL_PLATFORM_WINAPI_TESTS_SCOPED_ENVIRONMENT_H_
#define VANTREL_PLATFORM_WINAPI_TESTS_SCOPED_ENVIRONMENT_H_

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace winapi_test {

class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        setenv(it->first.c_str(), it->second->c_str(), 1);
      } else {
        unsetenv(it->first.c_str());
      }
    }
  }

  void Set(const std::string& name, const std::string& value) {
    Save(name);
    setenv(name.c_str(), value.c_str(), 1);
  }
  void Unset(const std::string& name) {
    Save(name);
    unsetenv(name.c_str());
  }

 private:
  void Save(const std::string& name) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace winapi_test

#endif  // VANTREL_PLATFORM_WINAPI_TESTS_SCOPED_ENVIRONMENT_H_
