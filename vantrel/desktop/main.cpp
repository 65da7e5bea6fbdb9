// Startup: the desktop program's entry. Creates the main window and shows it; the program runs
// until the window closes or File > Exit ends it.
#include <QApplication>
#include <memory>

#include "platform/winapi/message_box.h"
#include "vantrel/core/program_identity.h"
#include "vantrel/desktop/main_window.h"
#include "vantrel/desktop/qt_connection_prompter.h"
#include "vantrel/desktop/qt_message_presenter.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantrel::ProgramTitle());
  QApplication::setApplicationVersion(vantrel::VersionText());
  QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
  // Library message boxes and connection prompts become real dialogs of this program.
  winapi::SetMessagePresenter(std::make_shared<vantrel::desktop::QtMessagePresenter>());
  vantrel::desktop::InstallQtConnectionPrompter();

  auto window = std::make_unique<vantrel::desktop::MainWindow>();
  window->show();
  return QApplication::exec();
}
