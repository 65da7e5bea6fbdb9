#include "platform/winapi/message_box.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace winapi {
namespace {

TEST(MessageBoxTest, StandardErrorPresenterWritesOneLine) {
  std::fflush(stderr);
  const int saved = ::dup(STDERR_FILENO);
  std::FILE* capture = std::tmpfile();
  ::dup2(::fileno(capture), STDERR_FILENO);
  StandardErrorPresenter().Show({QStringLiteral("first\r\nsecond\nthird"),
                                 QStringLiteral("Caption"), MessageIcon::kCritical});
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::rewind(capture);
  char line[256] = {};
  const size_t got = std::fread(line, 1, sizeof line - 1, capture);
  std::fclose(capture);
  EXPECT_EQ(std::string(line, got), "Caption: first | second | third\n");
}

}  // namespace
}  // namespace winapi
