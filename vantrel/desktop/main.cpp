// Startup: the desktop program's entry. Creates the main window and shows it; the program runs
// until the window closes or File > Exit ends it.
#include <QApplication>
#include <memory>

#include "platform/desktop_api/runtime_folder.h"
#include "vantrel/core/program_identity.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/desktop/main_window.h"
#include "vantrel/desktop/qt_connection_prompter.h"

int main(int argc, char** argv) {
  desktop_api::PrepareRuntimeFolder();
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantrel::ProgramTitle());
  QApplication::setApplicationVersion(vantrel::VersionText());
  QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
  vantrel::DeclareComponentLibraries();
  // Connection prompts become dialogs of this program. Library message boxes are modal dialogs
  // in any host with a QApplication, without installing anything.
  vantrel::desktop::InstallQtConnectionPrompter();

  auto window = std::make_unique<vantrel::desktop::MainWindow>();
  window->show();
  return QApplication::exec();
}
