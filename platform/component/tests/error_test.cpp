#include "platform/component/error.h"

#include <gtest/gtest.h>

namespace component {
namespace {

TEST(ErrorTest, KeepsNumberSourceAndDescriptionUnchanged) {
  const Error error(-2147221504, QStringLiteral("Vantrel.Test"), QStringLiteral("Ünïcode ✓"));
  EXPECT_EQ(error.source(), "Vantrel.Test");
  EXPECT_STREQ(error.what(), "Ünïcode ✓ (error -2147221504)");
}

}  // namespace
}  // namespace component
