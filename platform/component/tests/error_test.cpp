#include "platform/component/error.h"

#include <gtest/gtest.h>

namespace component {
namespace {

TEST(ErrorTest, StandardNumbersCarryTheirStandardTexts) {
  EXPECT_EQ(Error(kFileNotFound, "src").description(), "File not found");
  EXPECT_EQ(Error(kOverflow, "src").description(), "Overflow");
  EXPECT_EQ(Error(kSubscriptOutOfRange, "src").description(), "Subscript out of range");
  EXPECT_EQ(StandardDescription(31999), "Application-defined or object-defined error");
}

TEST(ErrorTest, KeepsNumberSourceAndDescriptionUnchanged) {
  const Error error(-2147221504, QStringLiteral("Vantrel.Test"), QStringLiteral("Ünïcode ✓"));
  EXPECT_EQ(error.source(), "Vantrel.Test");
  EXPECT_STREQ(error.what(), "Ünïcode ✓ (error -2147221504)");
}

}  // namespace
}  // namespace component
