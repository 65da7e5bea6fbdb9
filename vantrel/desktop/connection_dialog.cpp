#include "vantrel/desktop/connection_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

#include "dataaccess/connect_string_builder.h"

namespace vantrel::desktop {
namespace {

constexpr int kPostgresPort = 5432;
constexpr int kMysqlPort = 3306;

QString EngineName(int engine) {
  return engine == ConnectionDialog::kPostgres ? QStringLiteral("PostgreSQL")
                                               : QStringLiteral("MySQL");
}

// The user the servers' client libraries log in as when no user is given.
QString SystemUserName() {
  const passwd* entry = getpwuid(geteuid());
  return entry ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

QLineEdit* PasswordBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setEchoMode(QLineEdit::Password);
  return box;
}

}  // namespace

ConnectionDialog::ConnectionDialog(const QStringList& odbc_sources, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("ConnectionDialog"));
  setWindowTitle(tr("Choose a Database"));

  engine_ = new QComboBox(this);
  engine_->setObjectName(QStringLiteral("engine"));
  engine_->addItems(
      {tr("SQLite file or snapshot"), tr("PostgreSQL"), tr("MySQL or MariaDB"), tr("ODBC")});
  pages_ = new QStackedWidget(this);
  pages_->addWidget(MakeFilePage());
  pages_->addWidget(MakeServerPage());
  pages_->addWidget(MakeOdbcPage());
  odbc_sources_->addItems(odbc_sources);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* engine_row = new QFormLayout;
  engine_row->addRow(tr("&Engine:"), engine_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(engine_row);
  layout->addWidget(pages_);
  layout->addWidget(buttons);

  connect(engine_, &QComboBox::currentIndexChanged, this, &ConnectionDialog::EngineChanged);
  setMinimumWidth(440);
  EngineChanged(kSqlite);
}

QWidget* ConnectionDialog::MakeFilePage() {
  auto* page = new QWidget(this);
  file_ = new QLineEdit(page);
  file_->setObjectName(QStringLiteral("file"));
  file_->setPlaceholderText(tr("Path of an SQLite database or a snapshot"));
  auto* browse = new QPushButton(tr("&Browse..."), page);
  connect(browse, &QPushButton::clicked, this, &ConnectionDialog::BrowseForFile);
  connect(file_, &QLineEdit::textChanged, this, &ConnectionDialog::UpdateOk);
  auto* row = new QHBoxLayout;
  row->addWidget(file_);
  row->addWidget(browse);
  auto* caption = new QLabel(tr("&File:"), page);
  caption->setBuddy(file_);
  auto* form = new QFormLayout(page);
  form->addRow(caption, row);
  return page;
}

QWidget* ConnectionDialog::MakeServerPage() {
  auto* page = new QWidget(this);
  host_ = new QLineEdit(QStringLiteral("localhost"), page);
  host_->setObjectName(QStringLiteral("host"));
  port_ = new QSpinBox(page);
  port_->setObjectName(QStringLiteral("port"));
  port_->setRange(1, 65535);
  database_ = new QLineEdit(page);
  database_->setObjectName(QStringLiteral("database"));
  user_ = new QLineEdit(SystemUserName(), page);
  user_->setObjectName(QStringLiteral("user"));
  password_ = PasswordBox(page);
  password_->setObjectName(QStringLiteral("password"));
  keep_ = new QCheckBox(tr("&Keep the password in the desktop's keyring"), page);
  keep_->setObjectName(QStringLiteral("keep"));
  connect(database_, &QLineEdit::textChanged, this, &ConnectionDialog::UpdateOk);
  connect(host_, &QLineEdit::textChanged, this, &ConnectionDialog::UpdateOk);
  auto* form = new QFormLayout(page);
  form->addRow(tr("&Host:"), host_);
  form->addRow(tr("&Port:"), port_);
  form->addRow(tr("&Database:"), database_);
  form->addRow(tr("&User:"), user_);
  form->addRow(tr("Pass&word:"), password_);
  form->addRow(QString(), keep_);
  auto* note =
      new QLabel(tr("The password is never written into the stored connect string."), page);
  note->setWordWrap(true);
  form->addRow(QString(), note);
  return page;
}

QWidget* ConnectionDialog::MakeOdbcPage() {
  auto* page = new QWidget(this);
  odbc_sources_ = new QListWidget(page);
  odbc_sources_->setObjectName(QStringLiteral("odbcSources"));
  odbc_user_ = new QLineEdit(page);
  odbc_user_->setObjectName(QStringLiteral("odbcUser"));
  odbc_password_ = PasswordBox(page);
  connect(odbc_sources_, &QListWidget::currentRowChanged, this, &ConnectionDialog::UpdateOk);
  connect(odbc_sources_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  auto* form = new QFormLayout(page);
  form->addRow(tr("&Data source:"), odbc_sources_);
  form->addRow(tr("&User:"), odbc_user_);
  form->addRow(tr("Pass&word:"), odbc_password_);
  return page;
}

void ConnectionDialog::EngineChanged(int engine) {
  pages_->setCurrentIndex(engine == kSqlite ? 0 : engine == kOdbc ? 2 : 1);
  // The dialog takes the height of the page shown, not of the tallest one.
  for (int index = 0; index < pages_->count(); ++index) {
    const auto policy =
        index == pages_->currentIndex() ? QSizePolicy::Preferred : QSizePolicy::Ignored;
    pages_->widget(index)->setSizePolicy(policy, policy);
  }
  pages_->adjustSize();
  adjustSize();
  if (engine == kPostgres || engine == kMysql) {
    port_->setValue(engine == kPostgres ? kPostgresPort : kMysqlPort);
    // Each client library reads its own password file.
    password_->setPlaceholderText(engine == kPostgres ? tr("Optional: ~/.pgpass, or the keyring")
                                                      : tr("Optional: ~/.my.cnf, or the keyring"));
  }
  UpdateOk();
}

void ConnectionDialog::BrowseForFile() {
  const QString chosen = QFileDialog::getOpenFileName(
      this, tr("Open an SQLite Database or a Snapshot"), QFileInfo(file_->text()).absolutePath(),
      tr("Databases and snapshots (*.db *.sqlite *.sqlite3 *.db3 *.json);;"
         "SQLite databases (*.db *.sqlite *.sqlite3 *.db3);;Snapshots (*.json);;All files (*)"));
  if (!chosen.isEmpty()) file_->setText(QDir::toNativeSeparators(chosen));
}

void ConnectionDialog::UpdateOk() {
  bool complete = false;
  switch (engine_->currentIndex()) {
    case kSqlite:
      complete = !file_->text().trimmed().isEmpty();
      break;
    case kPostgres:
    case kMysql:
      complete = !host_->text().trimmed().isEmpty() && !database_->text().trimmed().isEmpty();
      break;
    default:
      complete = odbc_sources_->currentItem() != nullptr;
      break;
  }
  ok_->setEnabled(complete);
}

dataaccess::ConnectionChoice ConnectionDialog::Choice() const {
  dataaccess::ConnectionChoice choice;
  const int engine = engine_->currentIndex();
  if (engine == kSqlite) {
    choice.connect_string = QFileInfo(file_->text().trimmed()).absoluteFilePath();
  } else if (engine == kOdbc) {
    dataaccess::ConnectParameters attributes = {
        {QStringLiteral("DSN"), odbc_sources_->currentItem()->text()}};
    if (!odbc_user_->text().isEmpty())
      attributes.append({QStringLiteral("UID"), odbc_user_->text()});
    choice.connect_string = dataaccess::OdbcConnectString(attributes);
    choice.password = odbc_password_->text();
  } else {
    dataaccess::UrlConnectParts url;
    url.scheme = engine == kPostgres ? QStringLiteral("postgresql") : QStringLiteral("mysql");
    url.host = host_->text().trimmed();
    url.port = port_->value();
    url.user = user_->text().trimmed();
    url.database = database_->text().trimmed();
    choice.connect_string = dataaccess::UrlConnectString(url);
    choice.database_name = database_->text().trimmed();
    choice.password = password_->text();
  }
  return choice;
}

dataaccess::PasswordRequest ConnectionDialog::Server() const {
  dataaccess::PasswordRequest server;
  server.engine = EngineName(engine_->currentIndex());
  server.user = user_->text().trimmed();
  server.host = host_->text().trimmed();
  server.port = port_->value();
  server.database = database_->text().trimmed();
  return server;
}

bool ConnectionDialog::KeepPassword() const {
  const int engine = engine_->currentIndex();
  return (engine == kPostgres || engine == kMysql) && keep_->isChecked() &&
         !password_->text().isEmpty();
}

}  // namespace vantrel::desktop
