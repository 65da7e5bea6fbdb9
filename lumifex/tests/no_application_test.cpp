// A host without a QApplication gets a numbered error, not an aborted process.
#include <gtest/gtest.h>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace lumifex {
namespace {

TEST(NoApplicationTest, CreatingTheControlFailsWith429) {
  const component::Error error = component::test_support::ErrorThrownBy(
      [] { component::CreateObject(QStringLiteral("LUMIFEX.About")); });
  EXPECT_EQ(error.number(), component::kCannotCreateObject) << error.what();
  EXPECT_EQ(error.source(), "LUMIFEX.About");
  EXPECT_TRUE(error.description().contains("QApplication")) << error.what();
}

}  // namespace
}  // namespace lumifex
