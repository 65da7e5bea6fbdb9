// Runs vantrel-cli as users and CI pipelines do: a real process, its output and exit status, its
// stored data sources in a folder of the test's own.
#ifndef VANTREL_VANTREL_CLI_TESTS_CLI_PROCESS_H_
#define VANTREL_VANTREL_CLI_TESTS_CLI_PROCESS_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "testing/output_corpus.h"

namespace vantrel::cli::test_support {

struct Result {
  int exit_code = -1;
  QByteArray out;
  QByteArray err;
};

// Every run keeps its stored data sources in one folder of the test's own, never the user's.
inline const QTemporaryDir& ConfigFolder() {
  static const QTemporaryDir folder;
  return folder;
}

// `wrapper`, when given, is a program and its first arguments that run vantrel-cli (given as
// the next argument) with `arguments`: a shell, or a change of user.
inline Result RunCli(const QStringList& arguments, const QStringList& wrapper = {}) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), ConfigFolder().path());
  process.setProcessEnvironment(environment);
  if (wrapper.isEmpty()) {
    process.start(QStringLiteral(VANTREL_CLI), arguments);
  } else {
    process.start(wrapper.front(),
                  wrapper.mid(1) + QStringList{QStringLiteral(VANTREL_CLI)} + arguments);
  }
  EXPECT_TRUE(process.waitForFinished(60000)) << arguments.join(' ').toStdString();
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  Result result{process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
  if (!arguments.isEmpty() && (arguments[0] == u"compare" || arguments[0] == u"check")) {
    vantrel::test_support::RecordOutput(arguments, result.exit_code, result.out);
  }
  return result;
}

}  // namespace vantrel::cli::test_support

#endif  // VANTREL_VANTREL_CLI_TESTS_CLI_PROCESS_H_
