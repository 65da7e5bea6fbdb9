// The click when the library behind it cannot make its object: here "halcyra.common" is
// registered first by a factory that fails, as a missing library would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QWidget>
#include <memory>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"

namespace lumifex {
namespace {

TEST(ClickFailureTest, FailureToCreateCommonIsShownWithoutBlockingOrThrowing) {
  const component::ClassIdentity broken{QStringLiteral("halcyra.common"),
                                        QUuid("{5D6E7F80-0000-4000-8000-0000000000A1}"),
                                        QStringLiteral("_common"), QUuid()};
  ASSERT_TRUE(component::RegisterClass(broken, []() -> std::shared_ptr<component::Dispatch> {
    throw component::Error(component::kCannotCreateObject, QStringLiteral("test"),
                           QStringLiteral("no common here"));
  }));

  std::shared_ptr<component::Dispatch> object = component::CreateObject("LUMIFEX.About");
  auto* widget = dynamic_cast<QWidget*>(object.get());
  ASSERT_NE(widget, nullptr);
  widget->show();
  QTest::mouseClick(widget->findChild<QLineEdit*>("txtURL"), Qt::LeftButton);

  QMessageBox* box = widget->findChild<QMessageBox*>();
  ASSERT_NE(box, nullptr) << "the failure is shown";
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(box->text().contains("no common here")) << box->text().toStdString();
  EXPECT_TRUE(box->text().contains("429"));
  box->close();
}

}  // namespace
}  // namespace lumifex
