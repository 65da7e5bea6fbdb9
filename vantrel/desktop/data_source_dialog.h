// frmDataSource, the Data Source Manager: adds and deletes the user's data sources. Every Add
// and Delete is written to the registry at once; there is nothing to confirm or cancel, and the
// dialog hands nothing back to its caller.
#ifndef VANTREL_VANTREL_DESKTOP_DATA_SOURCE_DIALOG_H_
#define VANTREL_VANTREL_DESKTOP_DATA_SOURCE_DIALOG_H_

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace vantrel::desktop {

class DataSourceDialog : public QDialog {
  Q_OBJECT

 public:
  // Loads the dialog: the list shows the stored display names, nothing selected.
  explicit DataSourceDialog(QWidget* parent = nullptr);

  void cmdAddDataSource_Click();
  void cmdDeleteDataSource_Click();
  // Lets the data-access library ask the user for a database and copies its connect string and
  // database name into the boxes. Reports nothing: a cancelled prompt changes nothing.
  void cmdOpenDataSource_Click();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FillList();

  QLineEdit* txtDisplayName_;
  QLineEdit* txtConnectionString_;
  QLineEdit* txtDatabaseName_;
  QListWidget* lstDataSources_;
  QPushButton* cmdOpenDataSource_;
  QPushButton* cmdAddDataSource_;
  QPushButton* cmdDeleteDataSource_;
  QPushButton* cmdClose_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_DATA_SOURCE_DIALOG_H_
