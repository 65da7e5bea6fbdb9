#include <QCoreApplication>

#include "vantrel/cli/compare_command.h"

int main(int argc, char** argv) {
  // A core application, never a GUI one: the command line must run where there is no display.
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
  return vantrel::cli::RunCommandLine(argc, argv);
}
