// Asks for the password a server wants, naming the server, user and database it is for.
#ifndef VANTREL_VANTREL_DESKTOP_PASSWORD_DIALOG_H_
#define VANTREL_VANTREL_DESKTOP_PASSWORD_DIALOG_H_

#include <QDialog>

#include "dataaccess/connection_prompter.h"

class QCheckBox;
class QLineEdit;

namespace vantrel::desktop {

class PasswordDialog : public QDialog {
  Q_OBJECT

 public:
  explicit PasswordDialog(const dataaccess::PasswordRequest& request, QWidget* parent = nullptr);

  QString Password() const;
  // True when the user asked to keep the password in the keyring.
  bool KeepPassword() const;

 private:
  QLineEdit* password_;
  QCheckBox* keep_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_PASSWORD_DIALOG_H_
