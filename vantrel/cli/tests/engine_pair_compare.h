// What the end-to-end comparison tests of this folder share: running vantrel-cli compare on two
// databases named "a" and "b", and naming the engine pairs they are run on.
#ifndef VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_
#define VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <tuple>

#include "testing/server_test_support.h"

namespace dataaccess::test_support {

inline const char* EngineName(Engine engine) {
  switch (engine) {
    case Engine::kSqlite:
      return "SQLite";
    case Engine::kPostgres:
      return "PostgreSQL";
    case Engine::kMariadb:
      return "MariaDB";
  }
  return "";
}

// "SQLite_MariaDB": the name of a test run on that pair.
inline std::string PairName(const ::testing::TestParamInfo<std::tuple<Engine, Engine>>& info) {
  return std::string(EngineName(std::get<0>(info.param))) + "_" +
         EngineName(std::get<1>(info.param));
}

struct CliResult {
  int status = -1;
  QString output;
  QString errors;
};

// vantrel-cli compare of `primary` (named a) with `secondary` (named b), with `options`.
inline CliResult Compare(const QString& primary, const QString& secondary,
                         const QStringList& options) {
  QProcess process;
  process.start(QStringLiteral(VANTREL_CLI),
                QStringList{"compare", "--name1", "a", "--name2", "b"} + options +
                    QStringList{primary, secondary});
  process.waitForFinished(120000);
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace dataaccess::test_support

#endif  // VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_
