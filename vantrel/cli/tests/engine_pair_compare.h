// What the end-to-end comparison tests of this folder share: running vantrel-cli compare on two
// databases named "a" and "b", naming the engine pairs they are run on, and checking a table of
// cases, one table of the databases each, against the paragraphs of the report.
#ifndef VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_
#define VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_

#include <gtest/gtest.h>

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "testing/output_corpus.h"
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

// Skips the test, or fails it in CI, unless the servers of the engines run; in a test's body.
#define VANTREL_REQUIRE_ENGINES(...)                                            \
  for (const Engine required : {__VA_ARGS__}) {                                 \
    if (required != Engine::kSqlite) {                                          \
      VANTREL_REQUIRE_SERVER(required == Engine::kPostgres ? "PG" : "MARIADB"); \
    }                                                                           \
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
  vantrel::test_support::RecordEveryForm({"compare", "--name1", "a", "--name2", "b"}, options,
                                         {primary, secondary});
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

// Compares `a` with `b` with `options`; each paragraph `paragraph` matches is the entry `entry`
// makes of it ("a Index missing") under the table its capture "table" names. Each of `cases`
// (the i-th has the table `table_of(i)`) must find the entries `wanted` gives it (its `found` by
// default; nothing leaves the case out), in any order, each failure printing the case's sides;
// nothing else but `other_paragraphs` paragraphs is reported, and the exit status says so.
template <class Case>
CliResult ExpectCases(
    const QString& a, const QString& b, const QStringList& options,
    const QRegularExpression& paragraph,
    const std::function<QString(const QRegularExpressionMatch&)>& entry,
    const std::vector<Case>& cases, QString (*table_of)(size_t), int other_paragraphs = 0,
    const std::function<std::optional<std::vector<const char*>>(const std::type_identity_t<Case>&)>&
        wanted = {}) {
  CliResult result = Compare(a, b, options);
  EXPECT_EQ(result.errors, QString());
  QHash<QString, QStringList> found;
  int paragraphs = 0;
  for (const QRegularExpressionMatch& m : paragraph.globalMatch(result.output)) {
    found[m.captured(QStringLiteral("table"))].append(entry(m));
    ++paragraphs;
  }
  int expected = 0;
  for (size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const std::optional<std::vector<const char*>> entries = wanted ? wanted(c) : c.found;
    if (!entries) continue;
    QStringList want(entries->begin(), entries->end());
    QStringList got = found.value(table_of(i));
    got.sort();
    want.sort();
    EXPECT_EQ(got, want) << table_of(i).toStdString() << ": '" << c.a << "' against '" << c.b
                         << "'";
    expected += static_cast<int>(want.size());
  }
  EXPECT_EQ(result.output.count(QStringLiteral("\n\n")), paragraphs + other_paragraphs)
      << result.output.toStdString();
  EXPECT_EQ(paragraphs, expected) << result.output.toStdString();
  EXPECT_EQ(result.status, expected > 0 ? 1 : 0);
  return result;
}

}  // namespace dataaccess::test_support

#endif  // VANTREL_VANTREL_CLI_TESTS_ENGINE_PAIR_COMPARE_H_
