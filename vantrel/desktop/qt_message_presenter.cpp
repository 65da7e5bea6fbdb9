#include "vantrel/desktop/qt_message_presenter.h"

#include <QApplication>
#include <QMessageBox>

namespace vantrel::desktop {
namespace {

QMessageBox::Icon IconOf(winapi::MessageIcon icon) {
  switch (icon) {
    case winapi::MessageIcon::kCritical:
      return QMessageBox::Critical;
    case winapi::MessageIcon::kQuestion:
      return QMessageBox::Question;
    case winapi::MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case winapi::MessageIcon::kInformation:
      return QMessageBox::Information;
    case winapi::MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void QtMessagePresenter::Show(const winapi::MessageBoxRequest& request) {
  const QString caption = request.caption.isEmpty() ? winapi::ProgramTitle() : request.caption;
  QMessageBox box(IconOf(request.icon), caption, request.text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

}  // namespace vantrel::desktop
