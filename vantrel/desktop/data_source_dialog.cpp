#include "vantrel/desktop/data_source_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "dataaccess/data_engine.h"
#include "platform/winapi/twips.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/desktop/text_fit.h"
#include "vantrel/desktop/unhandled_error.h"
#include "vantrel/desktop/widget_lists.h"

namespace vantrel::desktop {
namespace {

using winapi::PixelRect;
using winapi::Pixels;

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* name, QRect where) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(where);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, QRect where) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(where);
  return box;
}

}  // namespace

DataSourceDialog::DataSourceDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDataSource"));
  setWindowTitle(tr("Data Source Manager"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(Pixels(5175), Pixels(4800));

  const struct {
    const char* caption;
    int top;
  } labels[] = {{"Connection String:", 480}, {"Display Name:", 120}, {"Database Name:", 840}};
  QList<QLabel*> lblDataSources;
  for (int index = 0; index < 3; ++index) {
    auto* label = new QLabel(tr(labels[index].caption), this);
    label->setObjectName(QStringLiteral("lblDataSources%1").arg(index));
    label->move(Pixels(120), Pixels(labels[index].top));
    label->adjustSize();
    lblDataSources.append(label);
  }
  txtDisplayName_ = MakeBox(this, "txtDisplayName", PixelRect(1560, 120, 3495, 285));
  txtConnectionString_ = MakeBox(this, "txtConnectionString", PixelRect(1560, 480, 3015, 285));
  cmdOpenDataSource_ =
      MakeButton(this, QStringLiteral("..."), "cmdOpenDataSource", PixelRect(4680, 480, 375, 285));
  QFont bold = cmdOpenDataSource_->font();
  bold.setBold(true);
  bold.setPointSizeF(9.75);
  cmdOpenDataSource_->setFont(bold);
  cmdOpenDataSource_->setToolTip(tr("Choose a database"));
  txtDatabaseName_ = MakeBox(this, "txtDatabaseName", PixelRect(1560, 840, 3495, 285));
  cmdAddDataSource_ =
      MakeButton(this, tr("Add Data Source"), "cmdAddDataSource", PixelRect(3480, 1200, 1575, 375));
  lstDataSources_ = new QListWidget(this);
  lstDataSources_->setObjectName(QStringLiteral("lstDataSources"));
  lstDataSources_->setGeometry(PixelRect(120, 1800, 4935, 2400));
  cmdDeleteDataSource_ = MakeButton(this, tr("Delete Data Source"), "cmdDeleteDataSource",
                                    PixelRect(2520, 4320, 1575, 375));
  cmdClose_ = MakeButton(this, tr("Close"), "cmdClose", PixelRect(4200, 4320, 855, 375));

  KeepFieldsRightOfCaptions(lblDataSources,
                            {txtDisplayName_, txtConnectionString_, txtDatabaseName_});
  FitButtonCaptions({cmdAddDataSource_});
  FitButtonCaptions({cmdDeleteDataSource_, cmdClose_});

  // Enter in a box adds what was typed; Escape closes, like the Close button.
  cmdAddDataSource_->setDefault(true);
  connect(cmdAddDataSource_, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { cmdAddDataSource_Click(); }); });
  connect(cmdDeleteDataSource_, &QPushButton::clicked, this,
          [this] { RunHandler(this, [this] { cmdDeleteDataSource_Click(); }); });
  connect(cmdOpenDataSource_, &QPushButton::clicked, this, [this] { cmdOpenDataSource_Click(); });
  connect(cmdClose_, &QPushButton::clicked, this, &QDialog::accept);

  setTabOrder(lstDataSources_, txtDisplayName_);
  setTabOrder(txtDisplayName_, txtConnectionString_);
  setTabOrder(txtConnectionString_, cmdOpenDataSource_);
  setTabOrder(cmdOpenDataSource_, cmdAddDataSource_);
  setTabOrder(cmdAddDataSource_, cmdDeleteDataSource_);
  setTabOrder(cmdDeleteDataSource_, txtDatabaseName_);
  setTabOrder(txtDatabaseName_, cmdClose_);
  lstDataSources_->setFocus();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
  RunHandler(this, [this] { FillList(); });
}

void DataSourceDialog::FillList() {
  ListBoxList list(lstDataSources_);
  ProgramDataSources().FillDataSourceList(list);
}

void DataSourceDialog::cmdAddDataSource_Click() {
  const QString display_name = txtDisplayName_->text();
  const QString connection_string = txtConnectionString_->text();
  const QString database_name = txtDatabaseName_->text();
  ProgramDataSources().AddDataSource(display_name, connection_string, database_name);
  FillList();
}

void DataSourceDialog::cmdDeleteDataSource_Click() {
  const QListWidgetItem* selected = lstDataSources_->currentItem();
  const bool has_selection = selected && selected->isSelected();
  ProgramDataSources().DeleteDataSource(has_selection ? selected->text() : QString());
  FillList();
}

void DataSourceDialog::cmdOpenDataSource_Click() {
  std::unique_ptr<dataaccess::DataConnection> connection;
  try {
    connection =
        dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(QString());
  } catch (...) {  // cancelled, or nothing could be opened: the boxes keep what they hold
    return;
  }
  try {
    txtConnectionString_->setText(connection->ConnectString());
  } catch (...) {
  }
  try {
    txtDatabaseName_->setText(connection->DatabaseName());
  } catch (...) {
  }
}

void DataSourceDialog::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  // The etched separator between the boxes and the list: a grey line over a white one.
  QPainter painter(this);
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(Pixels(120), Pixels(1680), Pixels(5040), Pixels(1680));
  painter.setPen(Qt::white);
  painter.drawLine(Pixels(120), Pixels(1695), Pixels(5040), Pixels(1695));
}

}  // namespace vantrel::desktop
