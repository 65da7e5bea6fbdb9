#include "platform/winapi/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace winapi {
namespace {

TEST(UserNameTest, GivesTheEffectiveUsersName) {
  char buffer[255];
  uint32_t size = sizeof buffer;
  ASSERT_TRUE(GetUserNameA(buffer, &size));
  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(buffer, entry->pw_name);
  EXPECT_EQ(size, std::strlen(entry->pw_name) + 1);
}

TEST(UserNameTest, BufferMustHoldTheNameAndItsNul) {
  SetUserNameSource([] { return QByteArray(254, 'x'); });
  char buffer[255];
  uint32_t size = sizeof buffer;
  EXPECT_TRUE(GetUserNameA(buffer, &size));
  EXPECT_EQ(size, 255u);
  EXPECT_EQ(buffer[254], '\0');

  SetUserNameSource([] { return QByteArray(255, 'y'); });
  std::memset(buffer, ' ', sizeof buffer);
  size = sizeof buffer;
  EXPECT_FALSE(GetUserNameA(buffer, &size));
  EXPECT_EQ(size, 256u);
  EXPECT_EQ(buffer[0], ' ');  // untouched

  SetUserNameSource([] { return std::nullopt; });
  size = sizeof buffer;
  EXPECT_FALSE(GetUserNameA(buffer, &size));
  EXPECT_EQ(size, 255u);
  SetUserNameSource(nullptr);
}

}  // namespace
}  // namespace winapi
