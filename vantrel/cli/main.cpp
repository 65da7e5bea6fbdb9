#include <signal.h>

#include <QCoreApplication>
#include <memory>

#include "dataaccess/connection_prompter.h"
#include "dataaccess/data_engine.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/standard_output.h"
#include "vantrel/cli/terminal_prompter.h"
#include "vantrel/core/program_objects.h"

int main(int argc, char** argv) {
  // A server's client library loads on another thread while the application starts and the
  // arguments are parsed. An argument that only looks like a connect string costs that load.
  for (int i = 1; i < argc; ++i) dataaccess::PrepareToConnect(QString::fromLocal8Bit(argv[i]));
  // Whichever way main ends, such a load finishes before the exit handlers run.
  const struct Prepared {
    ~Prepared() { dataaccess::FinishPreparingToConnect(); }
  } prepared;
  // A core application, never a GUI one: the command line must run where there is no display.
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
  vantrel::DeclareComponentLibraries();
  dataaccess::SetConnectionPrompter(std::make_shared<vantrel::cli::TerminalPrompter>());
  // A closed pipe is a failed write like any other, said and exit 2, not a silent end.
  ::signal(SIGPIPE, SIG_IGN);
  const int status = vantrel::cli::RunCommandLine(argc, argv);
  return vantrel::cli::FinishStandardOutput() ? status : vantrel::cli::kFailed;
}
