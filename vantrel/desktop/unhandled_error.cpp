#include "vantrel/desktop/unhandled_error.h"

#include <QMessageBox>
#include <exception>

#include "platform/component/error.h"
#include "vantrel/core/program_identity.h"

namespace vantrel::desktop {
namespace {

void ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, ProgramTitle(), text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void RunHandler(QWidget* parent, const std::function<void()>& handler) {
  try {
    handler();
  } catch (const component::Error& error) {
    ShowError(parent, QStringLiteral("%1\n\nError %2 (%3)")
                          .arg(error.description())
                          .arg(error.number())
                          .arg(error.source()));
  } catch (const std::exception& error) {
    ShowError(parent, QString::fromLocal8Bit(error.what()));
  } catch (...) {
    // A handler is called from Qt's event loop, which an exception must not cross.
    ShowError(parent, QStringLiteral("Unexpected error"));
  }
}

}  // namespace vantrel::desktop
