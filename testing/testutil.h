// Small helpers that tests across the tree share: catching the error an action raises, and
// reading and writing whole files.
#ifndef VANTREL_PLATFORM_COMPONENT_TESTS_TEST_HELPERS_H_
#define VANTREL_PLATFORM_COMPONENT_TESTS_TEST_HELPERS_H_

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

#include "platform/component/error.h"

namespace component::testing {

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

}  // namespace component::testing

#endif  // VANTREL_PLATFORM_COMPONENT_TESTS_TEST_HELPERS_H_
