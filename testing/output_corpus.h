// A record of what vantrel-cli printed in the end-to-end tests, for checking that a change of
// how reports are made leaves every report as it was. Off unless VANTREL_OUTPUT_CORPUS names a
// folder: then each comparison a test runs is run again in every output form (the report with
// and without --explain and --objects all, JSON), and each run's arguments, exit status and
// output are appended to one file per test in that folder. Two such folders, made before and
// after a change, are compared with diff -r.
#ifndef VANTREL_TESTING_OUTPUT_CORPUS_H_
#define VANTREL_TESTING_OUTPUT_CORPUS_H_

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace vantrel::test_support {

inline QString OutputCorpusFolder() { return qEnvironmentVariable("VANTREL_OUTPUT_CORPUS"); }

// Appends one run to the current test's file of the corpus; nothing when no corpus is kept.
inline void RecordOutput(const QStringList& arguments, int status, const QByteArray& output) {
  const QString folder = OutputCorpusFolder();
  if (folder.isEmpty()) return;
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QString name = test == nullptr ? QStringLiteral("outside-tests")
                                 : QString::fromUtf8(test->test_suite_name()) + u'.' +
                                       QString::fromUtf8(test->name());
  name.replace(u'/', u'_');
  QDir().mkpath(folder);
  QFile file(folder + u'/' + name + QStringLiteral(".txt"));
  ASSERT_TRUE(file.open(QIODevice::Append)) << file.fileName().toStdString();
  // The test servers' passwords stay out of the record.
  static const QRegularExpression kPassword(QStringLiteral("(://[^:@/]*:)[^@/]*@"));
  static const QRegularExpression kPasswordWord(QStringLiteral("password=\\S+"));
  const QString line = arguments.join(u' ')
                           .replace(kPassword, QStringLiteral("\\1***@"))
                           .replace(kPasswordWord, QStringLiteral("password=***"));
  file.write("==== " + line.toUtf8() + " -> " + QByteArray::number(status) + "\n" + output + "\n");
}

// Runs vantrel-cli `command` `options` `primary` `secondary` in each output form and records
// them; nothing when no corpus is kept. `command` is "compare" with its --name options, or
// "check".
inline void RecordEveryForm(const QStringList& command, const QStringList& options,
                            const QStringList& sources) {
  if (OutputCorpusFolder().isEmpty()) return;
  const QList<QStringList> forms = {{},
                                    {"--explain"},
                                    {"--format", "json"},
                                    {"--format", "json", "--explain"},
                                    {"--objects", "all", "--explain"},
                                    {"--objects", "all", "--format", "json", "--explain"}};
  for (const QStringList& form : forms) {
    const QStringList arguments = command + options + form + sources;
    QProcess process;
    process.start(QStringLiteral(VANTREL_CLI), arguments);
    process.waitForFinished(120000);
    RecordOutput(arguments, process.exitCode(),
                 process.readAllStandardOutput() + process.readAllStandardError());
  }
}

}  // namespace vantrel::test_support

#endif  // VANTREL_TESTING_OUTPUT_CORPUS_H_
