#include "corbenna/win_api.h"

#include <pwd.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/winapi/user_name.h"

namespace corbenna {
namespace {

class WinApiTest : public ::testing::Test {
 protected:
  void TearDown() override { winapi::SetUserNameSource(nullptr); }
  WinAPI api_;
};

TEST_F(WinApiTest, GivesTheUserWhoRunsTheProcessBySlotAndByName) {
  const passwd* entry = ::getpwuid(::geteuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(api_.GetUserName(), QString::fromLocal8Bit(entry->pw_name));
  EXPECT_EQ(api_.Call(QStringLiteral("GetUserName")).AsText(), api_.GetUserName());
}

TEST_F(WinApiTest, NamesUpTo254CharactersFitTheBuffer) {
  winapi::SetUserNameSource([] { return QByteArray(254, 'u'); });
  EXPECT_EQ(api_.GetUserName(), QString(254, u'u'));
  winapi::SetUserNameSource([] { return QByteArray(255, 'u'); });
  EXPECT_EQ(api_.GetUserName(), "");
  winapi::SetUserNameSource([] { return std::nullopt; });  // the platform call fails
  EXPECT_EQ(api_.GetUserName(), "");
  winapi::SetUserNameSource([] { return QByteArray(""); });
  EXPECT_EQ(api_.GetUserName(), "");
}

}  // namespace
}  // namespace corbenna
