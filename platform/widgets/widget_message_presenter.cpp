// libvantrel_widgets.so: message boxes as modal Qt dialogs, for hosts that run a QApplication.
// Loaded on demand by ShowMessageBox (message_box.h), so that the libraries themselves never link
// a widget library.
#include <QApplication>
#include <QMessageBox>
#include <QUuid>
#include <memory>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/winapi/message_box.h"

namespace winapi {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

class WidgetMessagePresenter final : public component::Dispatch, public MessagePresenter {
 public:
  static const component::ClassIdentity& ClassInfo() {
    static const component::ClassIdentity identity{
        QStringLiteral("vantrel_widgets.MessagePresenter"),
        QUuid("{6B1F3C2E-8E0A-4D8B-9B6E-3A1C5D7E9F01}"), QStringLiteral("_MessagePresenter"),
        QUuid("{6B1F3C2E-8E0A-4D8B-9B6E-3A1C5D7E9F02}")};
    return identity;
  }
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }
  // Reached through MessagePresenter only; nothing is callable by name.
  component::Variant Invoke(const QString& /*member*/, component::InvokeKind /*kind*/,
                            const std::vector<component::Variant>& /*arguments*/) override {
    throw component::Error(component::kObjectDoesNotSupportMember, ClassInfo().prog_id);
  }

  // An application-modal box over the active window, with one OK button.
  void Show(const MessageBoxRequest& request) override {
    const QString caption = request.caption.isEmpty() ? ProgramTitle() : request.caption;
    QMessageBox box(IconOf(request.icon), caption, request.text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
  }
};

const component::ClassRegistrar kRegistrar(WidgetMessagePresenter::ClassInfo(), [] {
  return std::shared_ptr<component::Dispatch>(std::make_shared<WidgetMessagePresenter>());
});

}  // namespace
}  // namespace winapi
