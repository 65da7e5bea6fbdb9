// Widget tests need a QApplication, on the offscreen platform unless another is chosen (test
// discovery runs this binary without CTest's environment). The registry store, the logs and the
// keyring lookups are pointed at folders of the run's own before anything reads them.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/desktop_api/runtime_folder.h"
#include "platform/winapi/application_log.h"
#include "vantrel/desktop/main_window.h"
#include "vantrel/desktop/tests/desktop_test_support.h"

namespace vantrel::desktop::test_support {
namespace {
QTemporaryDir* home = nullptr;
}  // namespace

QString ConfigFolder() { return home->filePath(QStringLiteral("config")); }
QString StateFolder() { return home->filePath(QStringLiteral("state")); }

void DesktopTest::SetUp() {
  QDir(StateFolder()).removeRecursively();
  QDir().mkpath(StateFolder());
}

std::vector<ShownBox> RunThroughModals(const std::function<void()>& action,
                                       const std::function<void(QWidget*)>& on_dialog) {
  std::vector<ShownBox> shown;
  QTimer watcher;
  watcher.setInterval(5);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      const auto* window = qobject_cast<MainWindow*>(box->parentWidget());
      bool commands_enabled = false;
      for (const QAction* action : window ? window->findChildren<QAction*>() : QList<QAction*>()) {
        const QString text = action->text();
        if (text.contains(QLatin1String("Run")) || text.contains(QLatin1String("Data Sources"))) {
          commands_enabled |= action->isEnabled();
        }
      }
      shown.push_back({box->windowTitle(), box->text(), box->icon(),
                       window && window->cursor().shape() == Qt::WaitCursor, commands_enabled});
      box->done(QMessageBox::Ok);
    } else if (on_dialog) {
      on_dialog(modal);
    } else {
      ADD_FAILURE() << "unexpected dialog " << modal->objectName().toStdString();
      modal->close();
    }
  });
  watcher.start();
  action();
  return shown;
}

QString LoggedText() {
  QString text;
  QDirIterator logs(StateFolder(), {QStringLiteral("*.log")}, QDir::Files,
                    QDirIterator::Subdirectories);
  while (logs.hasNext()) {
    QFile file(logs.next());
    if (file.open(QIODevice::ReadOnly)) text += QString::fromUtf8(file.readAll());
  }
  return text;
}

}  // namespace vantrel::desktop::test_support

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  vantrel::desktop::test_support::home = &home;
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(vantrel::desktop::test_support::ConfigFolder()));
  qputenv("XDG_STATE_HOME", QFile::encodeName(vantrel::desktop::test_support::StateFolder()));
  // No session bus, unless a test keyring runs on one: the keyring answers "none" at once
  // instead of reaching the user's own.
  if (qEnvironmentVariableIsEmpty("VANTREL_TEST_KEYRING")) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
  }
  // Log entries take the file road, where the tests can read them.
  winapi::SetSystemLogSocket(home.filePath(QStringLiteral("no-system-log")));
  desktop_api::PrepareRuntimeFolder();  // quiet during the build's test discovery too
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
