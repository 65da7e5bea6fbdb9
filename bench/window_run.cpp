// Times one comparison run in the main window, as a user starts it from File > Run: two stored
// data sources, the real window on the current display (or offscreen), the Differences window
// open (so that the run fills its tree too), the summary box closed as soon as it appears. Prints
// the run's wall time in seconds and the number of paints the results box received.
//
//   window_run PRIMARY_FILE SECONDARY_FILE
//
// Keeps its data sources in a temporary XDG_CONFIG_HOME, never the user's.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "vantrel/core/data_source_store.h"
#include "vantrel/desktop/main_window.h"

namespace {

// Counts the paints a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_run PRIMARY_FILE SECONDARY_FILE\n");
    return 2;
  }
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
  QApplication app(argc, argv);
  vantrel::ProgramDataSources().AddDataSource("Primary", QString::fromLocal8Bit(argv[1]), {});
  vantrel::ProgramDataSources().AddDataSource("Secondary", QString::fromLocal8Bit(argv[2]), {});

  vantrel::desktop::MainWindow window;
  window.show();
  window.findChild<QComboBox*>("cboPrimaryDatabase")->setCurrentText("Primary");
  window.findChild<QComboBox*>("cboSecondaryDatabase")->setCurrentText("Secondary");
  window.findChild<QAction*>("mnuEditDifferences")->trigger();
  PaintCounter counter;
  window.findChild<QPlainTextEdit*>("txtResults")->viewport()->installEventFilter(&counter);
  QApplication::processEvents();

  qint64 elapsed_ms = -1;
  QElapsedTimer clock;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      if (elapsed_ms < 0) elapsed_ms = clock.elapsed();
      box->done(QMessageBox::Ok);
    }
  });
  closer.start(1);
  clock.start();
  window.CompareDatabases();
  std::printf("%.2f %d\n", static_cast<double>(elapsed_ms) / 1000.0, counter.paints);
  return elapsed_ms < 0 ? 1 : 0;
}
