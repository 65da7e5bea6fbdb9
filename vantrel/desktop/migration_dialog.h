// The migration script of the window's current pair, in a window of its own: the SQL as
// `vantrel-cli migrate` writes it, the held-back and unwritten steps marked, with Save and Copy.
#ifndef VANTREL_VANTREL_DESKTOP_MIGRATION_DIALOG_H_
#define VANTREL_VANTREL_DESKTOP_MIGRATION_DIALOG_H_

#include <QDialog>
#include <QString>

class QLabel;
class QPlainTextEdit;

namespace vantrel::desktop {

class MigrationDialog : public QDialog {
  Q_OBJECT

 public:
  // `script` is the text to show and save; `held_back` the number of steps held back.
  MigrationDialog(const QString& script, int steps, int held_back, QWidget* parent = nullptr);

  // Writes the script to `path`, replacing only an empty file or a script Vantrel wrote, never
  // through a link; empty on success, otherwise why not in one line.
  QString SaveTo(const QString& path) const;

 private:
  void Save();
  void Copy();

  QString script_;
  QPlainTextEdit* text_ = nullptr;
  QLabel* summary_ = nullptr;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_MIGRATION_DIALOG_H_
