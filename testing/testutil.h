// Small helpers that tests across the tree share: catching the error an action raises, reading
// and writing whole files, setting environment variables for a while, and printing QString
// values in failure messages.
#ifndef VANTREL_TESTING_TESTUTIL_H_
#define VANTREL_TESTING_TESTUTIL_H_

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdlib>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/component/error.h"

namespace component::test_support {

// The error `action` raises, or error 0 "nothing thrown" when it raises none, so that the
// caller's expectations on the number fail visibly.
inline Error ErrorThrownBy(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error;
  }
  return Error(0, QString(), QStringLiteral("nothing thrown"));
}

// The whole file, or "<missing>" when it cannot be read: a distinct value in comparisons.
inline QByteArray FileContents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Replaces the file with `bytes`; fails the test when it cannot.
inline void WriteFileContents(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(bytes);
}

// Sets environment variables for the life of the object and puts the old values back after.
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

}  // namespace component::test_support

// Lets GoogleTest print QString values in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

#endif  // VANTREL_TESTING_TESTUTIL_H_
