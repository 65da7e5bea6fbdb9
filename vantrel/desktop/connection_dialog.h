// The connection prompt: the user picks an engine and describes a database (an SQLite file or a
// snapshot; a server's host, port, database, user and password; or one of unixODBC's data
// sources).
#ifndef VANTREL_VANTREL_DESKTOP_CONNECTION_DIALOG_H_
#define VANTREL_VANTREL_DESKTOP_CONNECTION_DIALOG_H_

#include <QDialog>
#include <QStringList>

#include "dataaccess/connection_prompter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QStackedWidget;

namespace vantrel::desktop {

class ConnectionDialog : public QDialog {
  Q_OBJECT

 public:
  // `odbc_sources`: the data source names unixODBC knows, for the ODBC page.
  explicit ConnectionDialog(const QStringList& odbc_sources, QWidget* parent = nullptr);

  enum Engine { kSqlite, kPostgres, kMysql, kOdbc };

  // What the user described. The connect string holds no password; the password comes apart.
  dataaccess::ConnectionChoice Choice() const;
  // Whom the password is for, as the library will ask for it later; meaningful for servers.
  dataaccess::PasswordRequest Server() const;
  // True when the user asked to keep the typed password in the keyring.
  bool KeepPassword() const;

 private:
  QWidget* MakeFilePage();
  QWidget* MakeServerPage();
  QWidget* MakeOdbcPage();
  void EngineChanged(int engine);
  void BrowseForFile();
  void UpdateOk();

  QComboBox* engine_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QLineEdit* file_ = nullptr;
  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QLineEdit* database_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QCheckBox* keep_ = nullptr;
  QListWidget* odbc_sources_ = nullptr;
  QLineEdit* odbc_user_ = nullptr;
  QLineEdit* odbc_password_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_CONNECTION_DIALOG_H_
