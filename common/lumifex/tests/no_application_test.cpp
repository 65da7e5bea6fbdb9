// A host without a QApplication gets a numbered error, not an aborted process.
#include <gtest/gtest.h>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"

namespace lumifex {
namespace {

TEST(NoApplicationTest, CreatingTheControlFailsWith429) {
  try {
    component::CreateObject(QStringLiteral("LUMIFEX.About"));
    ADD_FAILURE() << "created without a QApplication";
  } catch (const component::Error& error) {
    EXPECT_EQ(error.number(), component::kCannotCreateObject);
    EXPECT_EQ(error.source(), "LUMIFEX.About");
    EXPECT_TRUE(error.description().contains("QApplication")) << error.what();
  }
}

}  // namespace
}  // namespace lumifex
