// frmAbout: the program's About box, whose whole client area is the About control of the
// lumifex plug-in, created by name ("LUMIFEX.About") each time the window is made.
#ifndef VANTREL_VANTREL_DESKTOP_ABOUT_DIALOG_H_
#define VANTREL_VANTREL_DESKTOP_ABOUT_DIALOG_H_

#include <QDialog>
#include <memory>

#include "platform/component/dispatch.h"

namespace vantrel::desktop {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Creates the control and hands it the program's name, version and web address. Throws
  // component::Error when the control cannot be created (429, 48) or refuses a property.
  explicit AboutDialog(QWidget* parent = nullptr);

 protected:
  // The box closes only by its close box: Escape does nothing.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::shared_ptr<component::Dispatch> ctlAbout_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_ABOUT_DIALOG_H_
