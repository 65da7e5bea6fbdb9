#include <gtest/gtest.h>

#include <QApplication>

#include <QFontMetricsF>

#include <QTextLayout>

#include <QTextBlock>

#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "lumifex/about.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/fake_desktop.h"
#include "testing/testutil.h"

namespace lumifex {
namespace {

using component::test_support::ErrorThrownBy;

using component::Variant;

// A control as a host makes one: created by name from the plug-in.
struct Control {
  Control() : object(component::CreateObject(QStringLiteral("LUMIFEX.About"))) {
    widget = dynamic_cast<QWidget*>(object.get());
    about = std::dynamic_pointer_cast<_About>(object);
  }
  template <class T>
  T* Child(const char* name) const {
    T* child = widget->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  // The geometry of every child but the line, by name.
  std::map<QString, QRect> Layout() const {
    std::map<QString, QRect> layout;
    for (QWidget* child : widget->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (child->objectName() != "Line1") layout[child->objectName()] = child->geometry();
    }
    return layout;
  }

  std::shared_ptr<component::Dispatch> object;
  QWidget* widget = nullptr;
  std::shared_ptr<_About> about;
};

TEST(AboutTest, CreatedFromThePluginWithTheDesignLayout) {
  Control control;
  ASSERT_NE(control.widget, nullptr);
  ASSERT_NE(control.about, nullptr);
  EXPECT_EQ(control.object->Identity().interface_name, "_About");
  EXPECT_EQ(control.widget->size(), QSize(389, 297)) << "5835 x 4455 twips";

  const struct {
    const char* name;
    QPoint position;
    QString family;
    qreal points;
  } labels[] = {
      {"lblProductName", {8, 8}, "MS Sans Serif", 18},
      {"lblAbout_0", {8, 40}, "Arial", 9.75},
      {"lblProductVersion", {}, "Arial", 9.75},  // placed below
      {"lblAbout_2", {8, 56}, "Arial", 9.75},
  };
  for (const auto& l : labels) {
    QLabel* label = control.Child<QLabel>(l.name);
    ASSERT_NE(label, nullptr);
    if (!l.position.isNull()) {
      EXPECT_EQ(label->pos(), l.position) << l.name;
    }
    EXPECT_EQ(label->font().families().value(0), l.family) << l.name;
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), l.points) << l.name;
    EXPECT_FALSE(label->font().bold() || label->font().italic()) << l.name;
  }
  // The version stands at its design place, or after the caption when a wider font than the
  // design's would have put the two on top of each other.
  const QRect caption = control.Child<QLabel>("lblAbout_0")->geometry();
  EXPECT_EQ(control.Child<QLabel>("lblProductVersion")->pos(),
            QPoint(std::max(56, caption.right() + 4), 40));
  EXPECT_EQ(control.Child<QLabel>("lblAbout_0")->text(), "Version:");
  EXPECT_EQ(control.Child<QLabel>("lblProductVersion")->text(), "");
  EXPECT_FALSE(control.Child<QLabel>("lblProductName")->text().isEmpty()) << "placeholder";
  EXPECT_TRUE(control.Child<QLabel>("lblAbout_2")->text().contains("Kelvo"));

  QLineEdit* url = control.Child<QLineEdit>("txtURL");
  EXPECT_EQ(url->geometry(), QRect(8, 80, 377, 19));
  EXPECT_TRUE(url->isReadOnly());
  EXPECT_TRUE(url->text().startsWith("https://")) << "placeholder";
  EXPECT_EQ(url->palette().color(QPalette::Text), QColor(0, 0, 255));
  EXPECT_EQ(url->palette().color(QPalette::Base),
            control.widget->palette().color(QPalette::Button));
  EXPECT_EQ(url->cursor().shape(), Qt::WhatsThisCursor);

  QPlainTextEdit* warning = control.Child<QPlainTextEdit>("txtWarning");
  EXPECT_EQ(warning->geometry(), QRect(8, 216, 369, 73));
  EXPECT_TRUE(warning->isReadOnly());
  EXPECT_EQ(warning->document()->blockCount(), 6) << "five lines, each closed by a line end";
  // Each line of the notice is one line of the box, and all five are in it.
  control.widget->show();
  QApplication::processEvents();
  for (QTextBlock block = warning->document()->begin(); block.isValid(); block = block.next()) {
    EXPECT_LE(block.layout()->lineCount(), 1) << block.text().toStdString();
    EXPECT_LE(block.layout()->maximumWidth(), warning->viewport()->width())
        << block.text().toStdString();
  }
  EXPECT_LE(warning->document()->size().height() * QFontMetricsF(warning->font()).lineSpacing(),
            warning->viewport()->height() + QFontMetricsF(warning->font()).lineSpacing())
      << "the five lines and the empty last block fit";

  for (QWidget* child : control.widget->findChildren<QWidget*>()) {
    EXPECT_FALSE(child->focusPolicy() & Qt::TabFocus) << child->objectName().toStdString();
  }
}

TEST(AboutTest, PropertiesByNameTakeEffectAtOnce) {
  Control control;
  QLabel* name = control.Child<QLabel>("lblProductName");
  const QPoint corner = name->pos();

  control.object->Put("productname", Variant(QString(80, u'W')));
  EXPECT_EQ(name->text(), QString(80, u'W'));
  EXPECT_GT(name->geometry().right(), control.widget->width()) << "grows past the right edge";
  EXPECT_EQ(name->pos(), corner);
  control.object->Put("ProductName", Variant(""));
  EXPECT_EQ(name->text(), "");
  EXPECT_EQ(name->pos(), corner);

  control.object->Put("ProductVersion", Variant("1.0.16"));
  EXPECT_EQ(control.Child<QLabel>("lblProductVersion")->text(), "1.0.16");
  control.object->Put("ProductURL", Variant("https://first.test/"));
  control.about->SetProductURL(" https://last.test/ ");
  EXPECT_EQ(control.Child<QLineEdit>("txtURL")->text(), " https://last.test/ ") << "unchanged";

  const std::map<QString, QRect> layout = control.Layout();
  control.object->Put("AppExeName", Variant("  vantrel\t "));
  EXPECT_EQ(control.widget->property("AppExeName").toString(), "vantrel\t");
  EXPECT_EQ(control.Layout(), layout);

  EXPECT_EQ(ErrorThrownBy([&] { control.object->Get("ProductName"); }).number(),
            component::kObjectDoesNotSupportMember)
      << "write-only";
  EXPECT_EQ(ErrorThrownBy([&] { control.object->Call("ProductURL"); }).number(),
            component::kObjectDoesNotSupportMember);
}

TEST(AboutTest, ResizingStretchesOnlyTheLine) {
  Control control;
  control.widget->show();
  control.widget->resize(385, 289);  // 5775 x 4335 twips, as the About window sizes it
  QCoreApplication::processEvents();
  QWidget* line = control.Child<QWidget>("Line1");
  EXPECT_EQ(line->geometry(), QRect(0, 112, 385, 1));
  const std::map<QString, QRect> layout = control.Layout();
  for (const auto& [name, rect] : layout) {
    EXPECT_TRUE(control.widget->rect().contains(rect.topLeft())) << name.toStdString();
  }
  EXPECT_EQ(layout.at("txtWarning").bottom() + 1, 289) << "shown down to its bottom edge";

  // A smaller control cuts its children off rather than moving them.
  for (const QSize size : {QSize(900, 700), QSize(100, 50)}) {
    control.widget->resize(size);
    QCoreApplication::processEvents();
    EXPECT_EQ(line->geometry(), QRect(0, 112, size.width(), 1)) << size.width();
    EXPECT_EQ(control.Layout(), layout) << size.width() << " x " << size.height();
  }
}

TEST(AboutTest, ClickOpensTheLastAddressThroughDisplayUrl) {
  halcyra_test::FakeDesktop desktop;
  desktop.AssociateBrowser();
  Control control;
  control.widget->show();
  control.object->Put("ProductURL", Variant("https://first.test/"));
  control.object->Put("ProductURL", Variant("https://last.test/?a='1'&b=$(id)"));
  QTest::mouseClick(control.Child<QLineEdit>("txtURL"), Qt::LeftButton);
  std::vector<QStringList> runs = desktop.WaitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], QStringList({"https://last.test/?a='1'&b=$(id)"}));

  // Before the host sets an address, the placeholder is what opens.
  Control fresh;
  fresh.widget->show();
  const QString placeholder = fresh.Child<QLineEdit>("txtURL")->text();
  QTest::mouseClick(fresh.Child<QLineEdit>("txtURL"), Qt::LeftButton);
  runs = desktop.WaitForRuns(2);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_TRUE(runs[0] == QStringList({placeholder}) || runs[1] == QStringList({placeholder}));
}

TEST(AboutTest, ParentThatDeletesTheControlLeavesNothingToDelete) {
  Control control;
  auto host = std::make_unique<QWidget>();
  control.widget->setParent(host.get());
  QPointer<QWidget> alive(control.widget);
  host.reset();
  EXPECT_TRUE(alive.isNull());
  control.about.reset();
  control.object.reset();  // must not delete the widget a second time

  Control unparented;
  QPointer<QWidget> owned(unparented.widget);
  unparented.about.reset();
  unparented.object.reset();
  EXPECT_TRUE(owned.isNull()) << "the last reference deletes a control without a parent";
}

}  // namespace
}  // namespace lumifex
