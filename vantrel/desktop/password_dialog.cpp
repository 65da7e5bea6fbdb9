#include "vantrel/desktop/password_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vantrel::desktop {
namespace {

QString Describe(const dataaccess::PasswordRequest& request) {
  QString server = request.host.isEmpty() ? QStringLiteral("the local server") : request.host;
  if (request.port > 0) server += u':' + QString::number(request.port);
  QString text = QObject::tr("The %1 server %2 wants a password for the user \"%3\"")
                     .arg(request.engine, server, request.user);
  if (!request.database.isEmpty()) {
    text += QObject::tr(" on the database \"%1\"").arg(request.database);
  }
  text += u'.';
  if (request.retry) text += QObject::tr("\n\nThe password given last was refused.");
  return text;
}

}  // namespace

PasswordDialog::PasswordDialog(const dataaccess::PasswordRequest& request, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("PasswordDialog"));
  setWindowTitle(tr("Password"));
  auto* text = new QLabel(Describe(request), this);
  text->setWordWrap(true);
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("password"));
  password_->setEchoMode(QLineEdit::Password);
  keep_ = new QCheckBox(tr("&Keep the password in the desktop's keyring"), this);
  keep_->setObjectName(QStringLiteral("keep"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addWidget(password_);
  layout->addWidget(keep_);
  layout->addWidget(buttons);
  resize(400, sizeHint().height());
  password_->setFocus();
}

QString PasswordDialog::Password() const { return password_->text(); }

bool PasswordDialog::KeepPassword() const { return keep_->isChecked(); }

}  // namespace vantrel::desktop
