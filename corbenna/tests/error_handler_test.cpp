#include "corbenna/error_handler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "corbenna/error_record.h"
#include "platform/winapi/application_log.h"
#include "platform/winapi/message_box.h"
#include "testing/testutil.h"

namespace corbenna {
namespace {

using component::Variant;

const QString kHeading =
    QStringLiteral("The application encountered the following unexpected and critical error:");

QString Record(const QString& title, int32_t number, const QString& comments) {
  StringHandler strings;
  return ComposeErrorRecord(
      {title, QStringLiteral("frmVantrel"), QStringLiteral("CompareDatabases"), number,
       QStringLiteral("Subscript out of range"), comments},
      strings);
}

TEST(ErrorRecordTest, LayoutWithoutComments) {
  const QString expected = kHeading +
                           "\r\n\r\nApplication Title: \r\nModule: frmVantrel\r\n"
                           "Routine: CompareDatabases\r\nError Number: 9\r\nDescription:\r\n"
                           "Subscript out of range\r\n\r\n";
  EXPECT_EQ(Record(QString(), 9, QString()), expected);
  EXPECT_EQ(Record(QString(), 9, QStringLiteral("   ")), expected);
}

TEST(ErrorRecordTest, LayoutWithCommentsAndSignedNumbers) {
  EXPECT_EQ(Record(QStringLiteral("Vantrel"), -2147217900, QStringLiteral("line1\r\nline2")),
            kHeading +
                "\r\n\r\nApplication Title: Vantrel\r\nModule: frmVantrel\r\n"
                "Routine: CompareDatabases\r\nError Number: -2147217900\r\nDescription:\r\n"
                "Subscript out of range\r\n\r\nComments:\r\nline1\r\nline2");
  EXPECT_TRUE(Record(QString(), 0, QString()).contains(QStringLiteral("\r\nError Number: 0\r\n")));
  EXPECT_TRUE(Record(QString(), 1234567, QStringLiteral("\t"))
                  .contains(QStringLiteral("Error Number: 1234567\r\n")));  // no grouping
  EXPECT_TRUE(
      Record(QString(), 1, QStringLiteral("\t")).endsWith(QStringLiteral("Comments:\r\n\t")));
}

class ErrorHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    winapi::SetSystemLogSocket(dir_.filePath(QStringLiteral("no-system-log")));
  }
  void TearDown() override { winapi::SetSystemLogSocket(QString()); }
  static QString Log(const QString& path) {
    return QString::fromUtf8(component::test_support::FileContents(path));
  }

  QTemporaryDir dir_;
  component::test_support::ScopedEnvironment environment_;
  std::shared_ptr<winapi::RecordingPresenter> boxes_ =
      std::make_shared<winapi::RecordingPresenter>();
  winapi::ScopedMessagePresenter presenter_{boxes_};
  ErrorHandler handler_;
};

TEST_F(ErrorHandlerTest, LogsTheRecordToTheTargetFileWithoutABoxByDefault) {
  handler_.SetAppPath(dir_.path());
  handler_.SetAppExeName(QStringLiteral("vantrel"));
  handler_.LogError(QStringLiteral("frmVantrel"), QStringLiteral("CompareDatabases"), 9,
                    QStringLiteral("Subscript out of range"));
  const QString target = dir_.filePath(QStringLiteral("vantrel.log"));
  EXPECT_EQ(handler_.LogTarget(), target);
  EXPECT_TRUE(Log(target).contains(QStringLiteral(" ---\n") + Record(QString(), 9, QString()) +
                                   QStringLiteral("\n--- end of entry ---\n")))
      << Log(target).toStdString();
  EXPECT_TRUE(boxes_->shown().empty());
}

TEST_F(ErrorHandlerTest, BlankFolderAndNameLogToTheUsersStateFolder) {
  environment_.Set("XDG_STATE_HOME", QFile::encodeName(dir_.path()).toStdString());
  handler_.SetAppPath(QStringLiteral("  "));
  handler_.LogError(QStringLiteral("M"), QStringLiteral("R"), 5, QStringLiteral("D"));
  const QString target = handler_.LogTarget();
  const QString expected =
      dir_.filePath(QStringLiteral("corbenna_tests/corbenna_tests.log"));  // the executable's
  EXPECT_EQ(target, expected);
  EXPECT_TRUE(Log(expected).contains(QStringLiteral("Routine: R\r\n")));
}

TEST_F(ErrorHandlerTest, NoStateFolderMeansNoFileInTheRootFolder) {
  // A state folder below a file cannot be created.
  const QString blocker = dir_.filePath(QStringLiteral("file"));
  component::test_support::WriteFileContents(blocker, "");
  environment_.Set("XDG_STATE_HOME", QFile::encodeName(blocker).toStdString());
  const QString target = handler_.LogTarget();
  handler_.SetDisplayErrors(true);
  handler_.LogError(QStringLiteral("M"), QStringLiteral("R"), 5, QStringLiteral("D"));
  EXPECT_EQ(target, "");
  EXPECT_FALSE(QFile::exists(QStringLiteral("/corbenna_tests.log")));
  EXPECT_EQ(boxes_->shown().size(), 1u);
}

TEST_F(ErrorHandlerTest, BoxIsShownEvenWhenTheLogCannotBeWritten) {
  handler_.SetAppPath(dir_.filePath(QStringLiteral("no/such/folder")));
  handler_.SetDisplayErrors(true);
  handler_.LogError(QStringLiteral("M"), QStringLiteral("R"), -1, QStringLiteral("D"),
                    QStringLiteral("C"));
  const std::vector<winapi::MessageBoxRequest> shown = boxes_->shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, " - Critical Error");
  EXPECT_EQ(shown[0].icon, winapi::MessageIcon::kCritical);
  EXPECT_EQ(shown[0].text,
            kHeading +
                "\r\n\r\nApplication Title: \r\nModule: M\r\nRoutine: R\r\nError Number: -1"
                "\r\nDescription:\r\nD\r\n\r\nComments:\r\nC\r\n\r\nPlease review the "
                "application event log or log file for further information.");
  EXPECT_FALSE(QFile::exists(handler_.LogTarget()));
}

TEST_F(ErrorHandlerTest, PropertiesKeepTheirValuesExactlyAndAnswerByName) {
  handler_.Put(QStringLiteral("AppTitle"), Variant(" Vantrel "));
  handler_.Put(QStringLiteral("AppPath"), Variant(dir_.path() + QStringLiteral("/")));
  handler_.Put(QStringLiteral("AppExeName"), Variant("app"));
  handler_.Put(QStringLiteral("DisplayErrors"), Variant(true));
  EXPECT_EQ(handler_.Get(QStringLiteral("AppPath")).AsText(), dir_.path() + QStringLiteral("/"));
  handler_.Call(QStringLiteral("LogError"),
                {Variant("M"), Variant("R"), Variant(int16_t{3}), Variant("D")});
  ASSERT_EQ(boxes_->shown().size(), 1u);
  EXPECT_EQ(boxes_->shown()[0].caption, " Vantrel  - Critical Error");
  EXPECT_TRUE(Log(dir_.path() + QStringLiteral("//app.log"))
                  .contains(QStringLiteral("Application Title:  Vantrel \r\n")));
}

}  // namespace
}  // namespace corbenna
