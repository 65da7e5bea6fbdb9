// Takes screenshots of the program's windows as a user sees them, on the current display:
// the main window before and after a run, the run's summary box, the Data Source Manager and
// the error box of a name it cannot store, the connection prompt (file and server pages) and
// the About window.
//
//   screenshots OUTPUT_FOLDER PRIMARY_FILE SECONDARY_FILE
//
// Keeps its data sources in a temporary XDG_CONFIG_HOME, never the user's.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "platform/desktop_api/runtime_folder.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/desktop/about_dialog.h"
#include "vantrel/desktop/connection_dialog.h"
#include "vantrel/desktop/data_source_dialog.h"
#include "vantrel/desktop/main_window.h"

namespace {

QString output;

void Settle() {
  for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

void Shoot(const char* name) {
  Settle();
  const QString path = QDir(output).filePath(QString::fromLatin1(name) + ".png");
  QGuiApplication::primaryScreen()->grabWindow(0).save(path);
  std::printf("%s\n", path.toLocal8Bit().constData());
}

// Shoots the modal window `open` shows, then closes it.
void ShootModal(const char* name, const std::function<void()>& open) {
  QTimer::singleShot(300, [name] {
    Shoot(name);
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
  });
  open();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: screenshots OUTPUT_FOLDER PRIMARY_FILE SECONDARY_FILE\n");
    return 2;
  }
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  desktop_api::PrepareRuntimeFolder();
  QApplication app(argc, argv);
  output = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(output);
  vantrel::ProgramDataSources().AddDataSource("Sales Live", QString::fromLocal8Bit(argv[2]), {});
  vantrel::ProgramDataSources().AddDataSource("Sales Test", QString::fromLocal8Bit(argv[3]), {});

  vantrel::desktop::MainWindow window;
  window.show();
  window.findChild<QComboBox*>("cboPrimaryDatabase")->setCurrentText("Sales Live");
  window.findChild<QComboBox*>("cboSecondaryDatabase")->setCurrentText("Sales Test");
  Shoot("1-main-before-run");
  ShootModal("2-run-summary", [&] { window.CompareDatabases(); });
  Shoot("3-main-after-run");
  // Edit > Compare open, then a run with every kind of object and the risk lines chosen there.
  if (auto* compare = window.findChild<QMenu*>("mnuEditCompare")) {
    for (QAction* action : compare->actions()) action->setChecked(true);
    auto* edit = qobject_cast<QMenu*>(compare->parent());
    edit->popup(window.mapToGlobal(QPoint(40, 20)));
    Settle();
    compare->popup(edit->mapToGlobal(
        QPoint(edit->width(), edit->actionGeometry(compare->menuAction()).top())));
    Shoot("3b-edit-compare-menu");
    compare->close();
    edit->close();
    ShootModal("3c-run-with-objects-summary", [&] { window.CompareDatabases(); });
    Shoot("3d-main-after-run-with-objects");
    // Edit > Differences: that run's differences as a tree, each once, values side by side.
    window.findChild<QAction*>("mnuEditDifferences")->trigger();
    if (auto* tree = window.findChild<QDialog*>("frmDifferences")) tree->move(30, 40);
    Shoot("3e-differences-tree");
    if (auto* tree = window.findChild<QDialog*>("frmDifferences")) {
      tree->findChild<QLineEdit*>("txtFind")->setText("name");
      Shoot("3f-differences-tree-found");
      tree->findChild<QLineEdit*>("txtFind")->clear();
      tree->hide();
    }
    for (QAction* action : compare->actions()) action->setChecked(action->text() == "&Fields");
  }
  ShootModal("4-data-source-manager", [] {
    vantrel::desktop::DataSourceDialog dialog;
    dialog.exec();
  });
  // A name the list cannot keep: the program's error box says why, and nothing is added.
  ShootModal("4b-data-source-refused-name", [] {
    vantrel::desktop::DataSourceDialog dialog;
    QTimer::singleShot(100, [&dialog] {
      dialog.findChild<QLineEdit*>("txtDisplayName")->setText("Sales, Archive");
      dialog.findChild<QLineEdit*>("txtConnectionString")->setText("archive.db");
      dialog.findChild<QPushButton*>("cmdAddDataSource")->click();
    });
    QTimer::singleShot(700, [] { Shoot("4c-data-source-after-refusal"); });
    QTimer::singleShot(900, [&dialog] { dialog.close(); });
    dialog.exec();
  });
  ShootModal("5-prompt-file", [] {
    vantrel::desktop::ConnectionDialog dialog({"sales-dsn", "reporting"});
    dialog.exec();
  });
  ShootModal("6-prompt-server", [] {
    vantrel::desktop::ConnectionDialog dialog({"sales-dsn", "reporting"});
    dialog.findChild<QComboBox*>("engine")->setCurrentIndex(1);
    dialog.exec();
  });
  ShootModal("7-about", [&] { window.mnuHelpSub_Click(2); });
  // Edit > Migration Script: the pair's script, what is held back marked.
  ShootModal("7b-migration-script",
             [&] { window.findChild<QAction*>("mnuEditMigration")->trigger(); });
  const QSize designed = window.size();
  window.resize(900, 600);
  Shoot("8-main-enlarged");
  window.resize(designed);
  // A run that cannot open a side: no box, one line on the window says why.
  vantrel::ProgramDataSources().AddDataSource("Moved DB", output + "/moved-away.db", {});
  window.findChild<QComboBox*>("cboSecondaryDatabase")->addItem("Moved DB");
  window.findChild<QComboBox*>("cboSecondaryDatabase")->setCurrentText("Moved DB");
  window.CompareDatabases();
  Settle();
  Shoot("9-failed-run");
  // The tree after the failed run says why it is empty.
  window.findChild<QAction*>("mnuEditDifferences")->trigger();
  Shoot("9b-failed-run-differences");
  return 0;
}
