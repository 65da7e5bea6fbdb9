#include "vantrel/desktop/qt_connection_prompter.h"

#include <QApplication>
#include <QMessageBox>

#include "dataaccess/odbc_sources.h"
#include "vantrel/desktop/connection_dialog.h"
#include "vantrel/desktop/keyring.h"
#include "vantrel/desktop/password_dialog.h"

namespace vantrel::desktop {
namespace {

// Tells the user that the password will be asked again, and why.
void KeepOrSayWhyNot(const dataaccess::PasswordRequest& server, const QString& password) {
  const QString why_not = StoreKeyringPassword(server, password);
  if (why_not.isEmpty()) return;
  QMessageBox::information(
      QApplication::activeWindow(), QObject::tr("Password Not Kept"),
      QObject::tr("The password could not be kept: there is no keyring service on this desktop "
                  "(%1).\n\nIt will be asked for again next time.")
          .arg(why_not));
}

}  // namespace

std::optional<dataaccess::ConnectionChoice> QtConnectionPrompter::ChooseConnection() {
  ConnectionDialog dialog(dataaccess::OdbcDataSourceNames(), QApplication::activeWindow());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const dataaccess::ConnectionChoice choice = dialog.Choice();
  if (dialog.KeepPassword()) KeepOrSayWhyNot(dialog.Server(), choice.password);
  return choice;
}

std::optional<QString> QtConnectionPrompter::AskPassword(
    const dataaccess::PasswordRequest& request) {
  if (!request.retry) {
    if (std::optional<QString> kept = ReadKeyringPassword(request)) return kept;
  }
  PasswordDialog dialog(request, QApplication::activeWindow());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QString password = dialog.Password();
  if (dialog.KeepPassword()) KeepOrSayWhyNot(request, password);
  return password;
}

void InstallQtConnectionPrompter() {
  dataaccess::SetConnectionPrompter(std::make_shared<QtConnectionPrompter>());
}

}  // namespace vantrel::desktop
