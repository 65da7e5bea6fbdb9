#include <QCoreApplication>
#include <memory>

#include "dataaccess/connection_prompter.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/terminal_prompter.h"
#include "vantrel/core/program_objects.h"

int main(int argc, char** argv) {
  // A core application, never a GUI one: the command line must run where there is no display.
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
  vantrel::DeclareComponentLibraries();
  dataaccess::SetConnectionPrompter(std::make_shared<vantrel::cli::TerminalPrompter>());
  return vantrel::cli::RunCommandLine(argc, argv);
}
