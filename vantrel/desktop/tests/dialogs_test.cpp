// The Data Source Manager and the About window on Qt's offscreen platform.
#include <sys/mount.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <tuple>

#include "corbenna/error_handler.h"
#include "dataaccess/connect_string_builder.h"
#include "dataaccess/connection_prompter.h"
#include "testing/connect_string_reader.h"
#include "testing/testutil.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/desktop/about_dialog.h"
#include "vantrel/desktop/connection_dialog.h"
#include "vantrel/desktop/data_source_dialog.h"
#include "vantrel/desktop/differences_window.h"
#include "vantrel/desktop/main_window.h"
#include "vantrel/desktop/migration_dialog.h"
#include "vantrel/desktop/tests/desktop_test_support.h"

namespace vantrel::desktop {
namespace {

using test_support::DesktopTest;

QStringList Items(const QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items.append(list->item(i)->text());
  return items;
}

class DataSourceDialogTest : public DesktopTest {
 protected:
  QLineEdit* Box(const char* name) { return dialog_.findChild<QLineEdit*>(QLatin1String(name)); }
  void Click(const char* name) { dialog_.findChild<QPushButton*>(QLatin1String(name))->click(); }
  QListWidget* List() { return dialog_.findChild<QListWidget*>(QStringLiteral("lstDataSources")); }

  DataSourceDialog dialog_;
};

TEST_F(DataSourceDialogTest, AddAndDeleteWriteAtOnceAndLeaveNothingSelected) {
  EXPECT_EQ(dialog_.windowTitle(), "Data Source Manager");
  EXPECT_EQ(dialog_.focusWidget(), List());
  const QString store_file = StoreFile();
  const struct {
    const char* button = nullptr;
    const char* display_name = nullptr;  // typed before Add; the list row selected before Delete
    QStringList list_after;
    bool refused = false;  // the program's error box shows the store's refusal
  } steps[] = {
      {"cmdAddDataSource", "", {}, true},  // every box empty: refused, nothing written
      {"cmdAddDataSource", " Live ", {}, true},
      {"cmdAddDataSource", "Live", {"Live"}},
      {"cmdAddDataSource", "Test", {"Live", "Test"}},
      {"cmdAddDataSource", "", {"Live", "Test"}, true},
      {"cmdAddDataSource", "a,b", {"Live", "Test"}, true},
      {"cmdAddDataSource", "LIVE", {"LIVE", "Test"}},      // the same source, replaced in its place
      {"cmdDeleteDataSource", nullptr, {"LIVE", "Test"}},  // nothing selected
      {"cmdDeleteDataSource", "LIVE", {"Test"}},
  };
  for (const auto& step : steps) {
    const bool add = QLatin1String(step.button) == QLatin1String("cmdAddDataSource");
    if (add) {
      Box("txtDisplayName")->setText(QString::fromUtf8(step.display_name));
      Box("txtConnectionString")->setText(*step.display_name ? QStringLiteral("sqlite:/x.db") : "");
    } else if (step.display_name) {
      List()->setCurrentItem(List()->findItems(step.display_name, Qt::MatchExactly).front());
    }
    const QByteArray before = component::test_support::FileContents(store_file);
    const auto boxes = test_support::RunThroughModals([&] { Click(step.button); });
    ASSERT_EQ(boxes.size(), step.refused ? 1u : 0u) << step.button << " " << step.display_name;
    if (step.refused) {
      EXPECT_TRUE(boxes[0].text.contains("cannot be stored")) << boxes[0].text.toStdString();
      EXPECT_EQ(component::test_support::FileContents(store_file), before) << step.display_name;
    }
    EXPECT_EQ(Items(List()), step.list_after) << step.button << " " << step.display_name;
    EXPECT_TRUE(List()->selectedItems().isEmpty()) << step.button;
    EXPECT_EQ(Items(List()), ProgramDataSources().GetDataSourceNames()->items());
  }
  EXPECT_EQ(Box("txtDisplayName")->text(), "LIVE") << "the boxes keep what was typed";
}

// Stands for the user at the connection prompt.
class AnsweringPrompter : public dataaccess::ConnectionPrompter {
 public:
  explicit AnsweringPrompter(std::optional<dataaccess::ConnectionChoice> answer)
      : answer_(std::move(answer)) {}
  std::optional<dataaccess::ConnectionChoice> ChooseConnection() override { return answer_; }
  std::optional<QString> AskPassword(const dataaccess::PasswordRequest&) override {
    return std::nullopt;
  }

 private:
  std::optional<dataaccess::ConnectionChoice> answer_;
};

TEST_F(DataSourceDialogTest, ThePromptFillsTheBoxesAndACancelLeavesThemAlone) {
  Box("txtConnectionString")->setText("typed");
  Box("txtDatabaseName")->setText("typed too");
  dataaccess::SetConnectionPrompter(std::make_shared<AnsweringPrompter>(std::nullopt));
  Click("cmdOpenDataSource");
  EXPECT_EQ(Box("txtConnectionString")->text(), "typed");
  EXPECT_EQ(Box("txtDatabaseName")->text(), "typed too");

  const QString sales = QStringLiteral(VANTREL_SAMPLES_DIR "/SALES.db");
  dataaccess::SetConnectionPrompter(
      std::make_shared<AnsweringPrompter>(dataaccess::ConnectionChoice{sales, {}, {}}));
  Click("cmdOpenDataSource");
  dataaccess::SetConnectionPrompter(nullptr);
  EXPECT_EQ(Box("txtConnectionString")->text(), "sqlite:" + sales);
  EXPECT_EQ(Box("txtDatabaseName")->text(), "SALES");
  EXPECT_EQ(Box("txtDisplayName")->text(), "") << "the prompt never names the source";
}

TEST_F(DesktopTest, TheConnectionPromptWritesWhatIsTypedAsValuesThatAddNothing) {
  const QString source = QStringLiteral("Sales;DRIVER={evil} x");
  const QString user = QStringLiteral("ann;PWD=x@evil/db?sslmode=disable&y");
  ConnectionDialog dialog({source});
  const auto box = [&](const char* name) { return dialog.findChild<QLineEdit*>(name); };
  dialog.findChild<QComboBox*>("engine")->setCurrentIndex(ConnectionDialog::kOdbc);
  dialog.findChild<QListWidget*>("odbcSources")->setCurrentRow(0);
  box("odbcUser")->setText(user);
  const QString odbc = dialog.Choice().connect_string;
  ASSERT_TRUE(odbc.startsWith("ODBC;")) << odbc.toStdString();
  EXPECT_EQ(dataaccess::test_support::ReadOdbcAttributes(odbc.mid(5)),
            dataaccess::ConnectParameters({{"DSN", source}, {"UID", user}}))
      << odbc.toStdString();

  dialog.findChild<QComboBox*>("engine")->setCurrentIndex(ConnectionDialog::kPostgres);
  box("host")->setText("db.example.org");
  box("database")->setText("sales/x?sslmode=disable");
  box("user")->setText(user);
  const QString url = dialog.Choice().connect_string;
  const std::map<QString, QString> expected = {{"host", "db.example.org"},
                                               {"port", "5432"},
                                               {"user", user},
                                               {"dbname", "sales/x?sslmode=disable"}};
  EXPECT_EQ(dataaccess::test_support::ReadLibpqParameters(url), expected) << url.toStdString();
}

// Each server page names the password file its own client library reads, and no other.
TEST_F(DesktopTest, ThePasswordHintNamesTheEnginesOwnFile) {
  ConnectionDialog dialog({});
  auto* engine = dialog.findChild<QComboBox*>("engine");
  for (const auto& [page, own, other] :
       {std::tuple(ConnectionDialog::kPostgres, ".pgpass", ".my.cnf"),
        std::tuple(ConnectionDialog::kMysql, ".my.cnf", ".pgpass")}) {
    engine->setCurrentIndex(page);
    const QString hint = dialog.findChild<QLineEdit*>("password")->placeholderText();
    EXPECT_TRUE(hint.contains(own)) << hint.toStdString();
    EXPECT_FALSE(hint.contains(other)) << hint.toStdString();
  }
}

TEST_F(DesktopTest, AboutShowsTheProgramsNameAndVersionEachTimeItOpens) {
  MainWindow window;
  QStringList seen;
  const auto read_and_close = [&](QWidget* dialog) {
    ASSERT_EQ(dialog->objectName(), "frmAbout");
    seen.append(dialog->windowTitle());
    for (const char* label : {"lblProductName", "lblProductVersion"}) {
      seen.append(dialog->findChild<QLabel*>(QLatin1String(label))->text());
    }
    dialog->close();
  };
  for (int time = 0; time < 2; ++time) {
    test_support::RunThroughModals([&] { window.mnuHelpSub_Click(2); }, read_and_close);
  }
  EXPECT_EQ(seen, QStringList({"About", "Vantrel", "1.0.16", "About", "Vantrel", "1.0.16"}));
}

TEST_F(DesktopTest, LibraryMessageBoxesAreModalDialogsInAWindowedHost) {
  corbenna::ErrorHandler handler;
  handler.SetDisplayErrors(true);
  handler.SetAppTitle(QStringLiteral("Vantrel"));
  const auto boxes = test_support::RunThroughModals([&] {
    handler.LogError(QStringLiteral("frmTest"), QStringLiteral("Routine"), 5,
                     QStringLiteral("Invalid procedure call"));
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Vantrel - Critical Error");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_TRUE(boxes[0].text.contains("Invalid procedure call")) << boxes[0].text.toStdString();
}

}  // namespace
}  // namespace vantrel::desktop

namespace vantrel::desktop {
namespace {

// A full disk: the window's Save (a migration script, a report) says why and leaves the earlier
// file as it was, with nothing half written beside it.
TEST_F(DesktopTest, SavingAScriptOnAFullDiskKeepsTheEarlierOne) {
  const QTemporaryDir folder;
  const QString disk = folder.filePath("disk");
  ASSERT_TRUE(QDir().mkpath(disk));
  if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here (needs root): " << strerror(errno);
  }
  const QString script = QDir(disk).filePath("migrate.sql");
  const MigrationDialog earlier("-- Gives 'b' (SQLite) the structure of 'a'.\nSELECT 1;\n", 1, 0);
  ASSERT_EQ(earlier.SaveTo(script), QString());
  // And a report the Differences window saved.
  const QString report = QDir(disk).filePath("report.txt");
  const QByteArray short_report = "Table: 'Orders' exists in database 'a.a', but not in 'b.b'\n\n";
  DifferencesWindow differences;
  differences.ShowRun({"a", "b", {}, {}, QString::fromUtf8(short_report)});
  ASSERT_EQ(differences.SaveTo(report, DifferencesWindow::ReportFormat::kText), QString());
  {
    QFile filler(QDir(disk).filePath("filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
  }
  const MigrationDialog later(
      "-- Gives 'b' (SQLite) the structure of 'a'.\n" + QString(8192, u'x') + '\n', 1, 0);
  const QString failure = later.SaveTo(script);
  EXPECT_TRUE(failure.startsWith("cannot write")) << failure.toStdString();
  QFile kept(script);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "-- Gives 'b' (SQLite) the structure of 'a'.\nSELECT 1;\n");
  differences.ShowRun({"a", "b", {}, {}, QString::fromUtf8(short_report.repeated(200))});
  const QString report_failure = differences.SaveTo(report, DifferencesWindow::ReportFormat::kText);
  EXPECT_TRUE(report_failure.startsWith("cannot write")) << report_failure.toStdString();
  EXPECT_EQ(component::test_support::FileContents(report), short_report);
  EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden),
            QStringList({"filler", "migrate.sql", "report.txt"}));
  ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
}

}  // namespace
}  // namespace vantrel::desktop
