#include "vantrel/desktop/about_dialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include "halcyra/product_page.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/winapi/twips.h"
#include "vantrel/core/program_identity.h"

namespace vantrel::desktop {

using winapi::Pixels;

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(Pixels(5775), Pixels(4335));

  ctlAbout_ = component::CreateObject(QStringLiteral("LUMIFEX.About"));
  auto* control = dynamic_cast<QWidget*>(ctlAbout_.get());
  if (!control) {
    throw component::Error(component::kCannotCreateObject, QStringLiteral("LUMIFEX.About"));
  }
  control->setParent(this);
  control->setObjectName(QStringLiteral("ctlAbout"));
  control->setGeometry(0, 0, Pixels(5775), Pixels(4335));

  ctlAbout_->Put(QStringLiteral("AppExeName"),
                 component::Variant(QFileInfo(QCoreApplication::applicationFilePath()).baseName()));
  ctlAbout_->Put(QStringLiteral("ProductName"), component::Variant(ProgramTitle()));
  ctlAbout_->Put(QStringLiteral("ProductURL"), component::Variant(halcyra::ProductPageAddress()));
  ctlAbout_->Put(QStringLiteral("ProductVersion"), component::Variant(VersionText()));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace vantrel::desktop
