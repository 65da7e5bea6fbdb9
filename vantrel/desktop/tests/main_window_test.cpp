// The main window on Qt's offscreen platform, over real SQLite data sources chosen by name.
#include "vantrel/desktop/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <algorithm>

#include "dataaccess/data_engine.h"
#include "dataaccess/snapshot.h"
#include "testing/sales_report.h"
#include "testing/testutil.h"
#include "vantrel/core/comparison_vocabulary.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/core/html_report.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/desktop/differences_window.h"
#include "vantrel/desktop/migration_dialog.h"
#include "vantrel/desktop/results_box_view.h"
#include "vantrel/desktop/tests/desktop_test_support.h"

namespace vantrel::desktop {
namespace {

using test_support::DesktopTest;
using test_support::RunThroughModals;

using vantrel::test_support::kSalesReport;

const QString kSales = QStringLiteral(VANTREL_SAMPLES_DIR "/SALES.db");
const QString kSalesTest = QStringLiteral(VANTREL_SAMPLES_DIR "/SALESTEST.db");
constexpr auto kUser = corbenna::ParentRegistryKey::HKEYCurrentUser;

template <class Widget>
Widget* Child(const QWidget& window, const char* name) {
  auto* widget = window.findChild<Widget*>(QLatin1String(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

QAction* MenuItem(const QWidget& window, const QString& caption) {
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->text() == caption) return action;
  }
  ADD_FAILURE() << "no menu item " << caption.toStdString();
  return nullptr;
}

QAction* ToolbarButton(const QWidget& window, int index) {
  return Child<QToolBar>(window, "tbDBDiff")->actions().at(index - 1);
}

QStringList Items(const QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items.append(list->itemText(i));
  return items;
}

QString Stored(const char* value) {
  return ProgramRegistry().GetSettingPro(kUser, DataSourcesKeyPath(), QString::fromLatin1(value));
}

void Store(const char* value, const QString& text) {
  ProgramRegistry().SaveSettingPro(kUser, DataSourcesKeyPath(), QString::fromLatin1(value), text);
}

class MainWindowTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    ProgramDataSources().AddDataSource(QStringLiteral("Sales Live"), kSales, QString());
    ProgramDataSources().AddDataSource(QStringLiteral("Sales Test"), kSalesTest, QString());
  }
};

TEST_F(DesktopTest, FirstStartWithNothingStoredShowsEmptyListsAndFocusesTheResults) {
  MainWindow window;
  EXPECT_EQ(window.windowTitle(), "Vantrel");
  for (const char* name : {"cboPrimaryDatabase", "cboSecondaryDatabase"}) {
    EXPECT_EQ(Child<QComboBox>(window, name)->count(), 0) << name;
    EXPECT_EQ(Child<QComboBox>(window, name)->currentIndex(), -1) << name;
  }
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), "");
  EXPECT_EQ(window.focusWidget(), Child<QPlainTextEdit>(window, "txtResults"));
}

// Tab and Shift+Tab leave the results box along the focus order; the box's text stays as it was.
TEST_F(DesktopTest, TabLeavesTheResultsBoxAlongTheFocusOrder) {
  MainWindow window;
  window.show();
  QApplication::setActiveWindow(&window);
  auto* results = Child<QPlainTextEdit>(window, "txtResults");
  results->setPlainText(QStringLiteral("report"));
  results->setFocus();
  QTest::keyClick(results, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Child<QComboBox>(window, "cboPrimaryDatabase"));
  EXPECT_EQ(results->toPlainText(), "report") << "Tab typed into the box";
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  EXPECT_EQ(QApplication::focusWidget(), results);
}

TEST_F(MainWindowTest, StoredSelectionsComeBackOnlyWhereTheSourceStillExists) {
  const struct {
    const char* primary;
    const char* secondary;
    const char* shown_primary;
    const char* shown_secondary;
  } cases[] = {
      {"Sales Live", "Sales Test", "Sales Live", "Sales Test"},
      {"Sales Live", "Deleted Since", "Sales Live", ""},
      {"", "Sales Test", "", "Sales Test"},
      {"Sales Test", "Sales Test", "Sales Test", "Sales Test"},
      {"sales live", "Sales Test", "", "Sales Test"},  // the name must match exactly
  };
  for (const auto& c : cases) {
    Store("PrimaryDatabase", QString::fromUtf8(c.primary));
    Store("SecondaryDatabase", QString::fromUtf8(c.secondary));
    MainWindow window;
    const QComboBox* primary = Child<QComboBox>(window, "cboPrimaryDatabase");
    EXPECT_EQ(Items(primary), QStringList({"Sales Live", "Sales Test"}));
    EXPECT_EQ(primary->currentText(), c.shown_primary) << c.primary;
    EXPECT_EQ(Child<QComboBox>(window, "cboSecondaryDatabase")->currentText(), c.shown_secondary)
        << c.secondary;
  }
}

TEST_F(MainWindowTest, ClosingStoresTheSelectionsButFileExitDoesNot) {
  {
    MainWindow window;
    Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentIndex(1);
    window.close();
  }
  EXPECT_EQ(Stored("PrimaryDatabase"), "Sales Test");
  EXPECT_EQ(Stored("SecondaryDatabase"), "") << "nothing selected stores empty text";

  MainWindow window;
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentIndex(0);
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentIndex(0);
  QTimer::singleShot(0, MenuItem(window, "&Exit"), &QAction::trigger);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(Stored("PrimaryDatabase"), "Sales Test");
  EXPECT_EQ(Stored("SecondaryDatabase"), "");
}

TEST_F(MainWindowTest, RunReportsEveryDifferenceAndTheToolbarRunsTheSame) {
  MainWindow window;
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  auto boxes = RunThroughModals([&] { MenuItem(window, "&Run")->trigger(); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Database Comparison Complete");
  // "where" is the summary's spelling as users and scripts know it, kept on purpose.
  EXPECT_EQ(boxes[0].text, "Database differences where found.");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
  EXPECT_TRUE(boxes[0].busy_pointer) << "the pointer stays busy until the box is closed";
  EXPECT_FALSE(boxes[0].commands_enabled) << "no second run, or edit, under the box";
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  for (const QString caption : {"&Run", "Run", "&Data Sources", "Edit Data Sources"}) {
    EXPECT_TRUE(MenuItem(window, caption)->isEnabled()) << caption.toStdString();
  }
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), kSalesReport);

  // The same source on both sides, from toolbar button 2: the first report is gone.
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Live");
  boxes = RunThroughModals([&] { ToolbarButton(window, 2)->trigger(); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, "Database Comparison Complete");
  EXPECT_EQ(boxes[0].text, "No differences found.");
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), "");
}

// Edit > Migration Script, appended after the menu's items: the current pair's script in a window
// of its own, the held-back step marked, copied and saved whole; saving never replaces a file
// that is not a script, nor writes through a link.
TEST_F(MainWindowTest, TheMigrationScriptOfThePairMarksWhatIsHeldBack) {
  MainWindow window;
  auto* menu = qobject_cast<QMenu*>(Child<QMenu>(window, "mnuEditCompare")->parent());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->actions().first()->text(), "&Data Sources") << "an existing item moved";
  EXPECT_EQ(menu->actions().at(menu->actions().size() - 2)->text(), "&Migration Script...");
  EXPECT_EQ(menu->actions().last()->text(), "&Differences...");
  std::vector<test_support::ShownBox> boxes =
      RunThroughModals([&] { MenuItem(window, "&Migration Script...")->trigger(); });
  ASSERT_EQ(boxes.size(), 1u) << "no pair chosen";
  EXPECT_TRUE(boxes[0].text.startsWith("Choose a primary and a secondary database first"));

  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  const QTemporaryDir folder;
  QString shown;
  boxes = RunThroughModals(
      [&] { MenuItem(window, "&Migration Script...")->trigger(); },
      [&](QWidget* dialog) {
        auto* migration = qobject_cast<MigrationDialog*>(dialog);
        ASSERT_NE(migration, nullptr);
        shown = Child<QPlainTextEdit>(*dialog, "txtScript")->toPlainText();
        EXPECT_TRUE(Child<QLabel>(*dialog, "lblSummary")->text().startsWith("3 steps, 2 held back"))
            << Child<QLabel>(*dialog, "lblSummary")->text().toStdString();
        // The reason and the statements held back are marked; a statement that runs is not.
        const QTextDocument* document = Child<QPlainTextEdit>(*dialog, "txtScript")->document();
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
          const bool held =
              block.text().startsWith("-- HELD BACK: ") || block.text().startsWith("-- | ");
          EXPECT_EQ(!block.layout()->formats().isEmpty(), held) << block.text().toStdString();
        }
        Child<QPushButton>(*dialog, "cmdCopy")->click();
        EXPECT_EQ(QApplication::clipboard()->text(), shown);
        const QString saved = folder.filePath("m.sql");
        EXPECT_EQ(migration->SaveTo(saved), QString());
        QFile file(saved);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(file.readAll()), shown);
        EXPECT_EQ(migration->SaveTo(saved), QString()) << "its own script is replaced";
        const QString notes = folder.filePath("notes.txt");
        QFile stranger(notes);
        ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
        stranger.write("mine\n");
        stranger.close();
        EXPECT_TRUE(migration->SaveTo(notes).contains("is not a file Vantrel wrote"));
        ASSERT_TRUE(QFile::link(saved, folder.filePath("link.sql")));
        EXPECT_TRUE(migration->SaveTo(folder.filePath("link.sql")).contains("is a link"));
        ASSERT_TRUE(stranger.open(QIODevice::ReadOnly));
        EXPECT_EQ(stranger.readAll(), "mine\n");
        // A write that cannot be made says so and leaves nothing behind.
        const QString nowhere = folder.filePath("gone/m.sql");
        EXPECT_TRUE(migration->SaveTo(nowhere).startsWith("cannot create a file beside"));
        EXPECT_FALSE(QFileInfo::exists(nowhere));
        dialog->close();
      });
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(shown.contains("-- HELD BACK: new NOT NULL: existing NULLs are refused"))
      << shown.toStdString();
  EXPECT_TRUE(shown.contains("\nCREATE TABLE \"Orders\" (\n")) << shown.toStdString();
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), "")
      << "the results box is the comparison's alone";
}

// The differences of the pair's differences as a tree that opens from Edit > Differences..., and
// stays filled with the last run's: what the differences shown are.
struct TreeRow {
  QString title;
  bool hidden = false;
  bool marked = false;  // the risk icon
  QStringList values;   // "Size: 50 | 40"
};

std::vector<TreeRow> TreeRows(const QTreeWidget* tree) {
  std::vector<TreeRow> rows;
  for (int t = 0; t < tree->topLevelItemCount(); ++t) {
    const QTreeWidgetItem* table = tree->topLevelItem(t);
    for (int d = 0; d < table->childCount(); ++d) {
      const QTreeWidgetItem* item = table->child(d);
      TreeRow row{
          item->text(0), item->isHidden() || table->isHidden(), !item->icon(0).isNull(), {}};
      for (int v = 0; v < item->childCount(); ++v) {
        const QTreeWidgetItem* value = item->child(v);
        row.values.append(value->text(0) + ": " + value->text(1) + " | " + value->text(2));
      }
      rows.push_back(row);
    }
  }
  return rows;
}

// Edit > Differences..., appended after the menu's items: the last run's differences as a tree,
// each once, both values side by side, the risky ones marked; a filter by kind and by words;
// Save Report in three formats, never over a file that is not a report; a failed run empties it
// and says why. The results box keeps the report exactly as a run without the tree.
TEST_F(MainWindowTest, TheDifferencesTreeShowsEachDifferenceOnceAndSavesItsReport) {
  MainWindow window;
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  MenuItem(window, "&Differences...")->trigger();
  auto* differences = window.findChild<DifferencesWindow*>();
  ASSERT_NE(differences, nullptr);
  EXPECT_TRUE(differences->isVisible());
  EXPECT_TRUE(
      Child<QLabel>(*differences, "lblSummary")->text().startsWith("No comparison has run"));
  EXPECT_FALSE(Child<QPushButton>(*differences, "cmdSaveReport")->isEnabled());

  MenuItem(window, "&All")->trigger();
  ASSERT_EQ(RunThroughModals([&] { window.CompareDatabases(); }).size(), 1u);
  const QString report = Child<QPlainTextEdit>(window, "txtResults")->toPlainText();
  auto* tree = Child<QTreeWidget>(*differences, "tvwDifferences");
  const std::vector<TreeRow> rows = TreeRows(tree);
  const struct {
    const char* title = nullptr;
    bool marked = false;
    QStringList values;
  } expected[] = {
      {"Field Name (differs)",
       true,
       {"Required: yes | no", "Size: 50 | 40", "Default Value: none | 'unknown'",
        "Collation: NOCASE | BINARY"}},
      {"Field Phone (only in the primary)", false, {"Data Type: VARCHAR(24) | missing"}},
      {"Index UNIQUE (Name) (CustomerNames) (only in the primary)",
       true,
       {"Definition: UNIQUE (Name) | missing"}},
      {"Check Name <> '' (only in the secondary)", false, {"Definition: missing | Name <> ''"}},
      {"Table (only in the primary)", false, {"Table: present | missing"}},
  };
  for (const auto& want : expected) {
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const TreeRow& row) { return row.title == want.title; });
    ASSERT_NE(found, rows.end()) << want.title;
    EXPECT_EQ(found->marked, want.marked) << want.title;
    EXPECT_EQ(found->values, want.values) << want.title;
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [&](const TreeRow& row) { return row.title == want.title; }),
              1)
        << want.title << ": shown once though both walks found it";
  }
  EXPECT_EQ(rows.size(), 6u) << "and the trigger";

  // The filter by kind, and by words, which also find a table by its name.
  const struct {
    const char* kind;
    const char* words;
    size_t shown;
  } filters[] = {{"Index", "", 1},  {"Field", "", 2},      {"", "phone", 1}, {"", "orders", 1},
                 {"", "NOCASE", 1}, {"Check", "phone", 0}, {"", "", 6}};
  auto* kind = Child<QComboBox>(*differences, "cboKind");
  for (const auto& filter : filters) {
    kind->setCurrentIndex(std::max(0, kind->findData(QString::fromLatin1(filter.kind))));
    Child<QLineEdit>(*differences, "txtFind")->setText(QString::fromLatin1(filter.words));
    const std::vector<TreeRow> now = TreeRows(tree);
    EXPECT_EQ(static_cast<size_t>(std::count_if(now.begin(), now.end(),
                                                [](const TreeRow& row) { return !row.hidden; })),
              filter.shown)
        << filter.kind << " / " << filter.words;
  }

  // Save Report: the box's text, the JSON of the run, the page; its own files replaced only.
  const QTemporaryDir folder;
  using Format = DifferencesWindow::ReportFormat;
  const QString text = folder.filePath("r.txt");
  const QString json = folder.filePath("r.json");
  const QString html = folder.filePath("r.html");
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(differences->SaveTo(text, Format::kText), QString()) << round;
    EXPECT_EQ(differences->SaveTo(json, Format::kJson), QString()) << round;
    EXPECT_EQ(differences->SaveTo(html, Format::kHtml), QString()) << round;
  }
  EXPECT_EQ(QString::fromUtf8(component::test_support::FileContents(text)), report);
  const QJsonObject document =
      QJsonDocument::fromJson(component::test_support::FileContents(json)).object();
  EXPECT_EQ(document["format"].toString(), "vantrel-comparison");
  EXPECT_EQ(document["primary"].toString(), "Sales Live");
  const QByteArray page = component::test_support::FileContents(html);
  EXPECT_TRUE(IsHtmlReport(page));
  EXPECT_TRUE(page.contains("CustomerNames"));
  const QString notes = folder.filePath("notes.txt");
  component::test_support::WriteFileContents(notes, "mine\n");
  for (const Format format : {Format::kText, Format::kJson, Format::kHtml}) {
    EXPECT_TRUE(differences->SaveTo(notes, format).contains("is not a file Vantrel wrote"));
  }
  EXPECT_EQ(component::test_support::FileContents(notes), "mine\n");
  ASSERT_TRUE(QFile::link(notes, folder.filePath("link.html")));
  EXPECT_TRUE(
      differences->SaveTo(folder.filePath("link.html"), Format::kHtml).contains("is a link"));
  {
    // The results box holds what a window that never opened the tree shows.
    MainWindow plain;
    Child<QComboBox>(plain, "cboPrimaryDatabase")->setCurrentText("Sales Live");
    Child<QComboBox>(plain, "cboSecondaryDatabase")->setCurrentText("Sales Test");
    ASSERT_EQ(RunThroughModals([&] { plain.CompareDatabases(); }).size(), 1u);
    EXPECT_EQ(Child<QPlainTextEdit>(plain, "txtResults")->toPlainText(), report);
    EXPECT_TRUE(report.contains("Index: 'UNIQUE (Name)' (CustomerNames)")) << "All was stored";
  }

  // A failed run empties the tree and says why; the next run fills it again.
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentIndex(-1);
  EXPECT_TRUE(RunThroughModals([&] { window.CompareDatabases(); }).empty());
  EXPECT_EQ(tree->topLevelItemCount(), 0);
  EXPECT_EQ(Child<QLabel>(*differences, "lblSummary")->text(),
            "The run failed: no primary database is chosen");
  EXPECT_FALSE(Child<QPushButton>(*differences, "cmdSaveReport")->isEnabled());
  EXPECT_EQ(tree->headerItem()->text(1), "Primary") << "not the last good run's database";
  EXPECT_EQ(tree->headerItem()->text(2), "Secondary");
  EXPECT_TRUE(differences->SaveTo(folder.filePath("after.txt"), Format::kText)
                  .startsWith("there is no report"));
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  ASSERT_EQ(RunThroughModals([&] { window.CompareDatabases(); }).size(), 1u);
  EXPECT_EQ(TreeRows(tree).size(), 6u);
  EXPECT_EQ(tree->headerItem()->text(2), "Secondary: Sales Test");
  EXPECT_GE(tree->columnWidth(2),
            std::min(tree->header()->sectionSizeHint(2), tree->viewport()->width() / 5))
      << "the header that names the database shows where there is room: "
      << tree->header()->sectionSizeHint(2) << " in " << tree->viewport()->width();
}

// The results box gets what a walk appends in pieces at its paints: every piece arrives once and
// in order, whether asked for by a repaint, a flush or a read of the text, and a clear drops what
// had not arrived yet. The captions show the last one given.
TEST(ResultsBoxViewTest, EveryPieceArrivesOnceInOrder) {
  QPlainTextEdit box;
  QLabel table;
  QLabel field;
  ResultsBoxView view(&box, &table, &field);
  view.AppendText("Table: 'a'\r\n\r\n");
  view.RepaintText();  // the first paint is due at once
  EXPECT_EQ(box.toPlainText(), "Table: 'a'\n\n");
  view.AppendText("Field: ");
  view.AppendText("'b'\r\n\r\n");
  view.RepaintText();  // within the frame: held back, yet the text is whole when read
  EXPECT_EQ(view.Text(), "Table: 'a'\n\nField: 'b'\n\n");
  view.AppendText("lost");
  view.ClearText();
  view.AppendText("Check: 'c'\r\n\r\n");
  view.SetTableCaption("t1");
  view.SetFieldCaption("f1");
  view.SetTableCaption("t2");
  view.Flush();
  EXPECT_EQ(box.toPlainText(), "Check: 'c'\n\n");
  EXPECT_EQ(table.text(), "t2");
  EXPECT_EQ(field.text(), "f1");
}

// Edit > Compare: the items the menu always had keep their places; the choice asks a run for
// keys, indexes and checks, is stored as soon as it changes, and comes back in a new window.
TEST_F(MainWindowTest, TheCompareChoiceAddsObjectsToARunAndIsRemembered) {
  QString chosen;
  {
    MainWindow window;
    auto* compare = Child<QMenu>(window, "mnuEditCompare");
    ASSERT_NE(compare, nullptr);
    auto* menu = qobject_cast<QMenu*>(compare->parent());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().first()->text(), "&Data Sources") << "an existing item moved";
    QStringList captions;
    for (QAction* action : compare->actions()) {
      captions.append(action->isSeparator() ? "|"
                                            : action->text() + (action->isChecked() ? "+" : "-"));
    }
    EXPECT_EQ(
        captions,
        QStringList({"&Fields+", "&Keys-", "&Indexes-", "F&oreign Keys-", "&Checks-", "&Defaults-",
                     "Co&llations-", "&Generated Columns-", "&Views-", "&Triggers-", "&Sequences-",
                     "&Rules-", "&Persistence-", "|", "&Explain Risks-", "|", "&All-", "&None-"}));
    // Every kind a run can compare has its item, in the order of the command line's words.
    std::vector<int> kinds;
    for (QAction* action : compare->actions()) {
      if (action->isSeparator()) break;
      kinds.push_back(action->data().toInt());
    }
    std::vector<int> vocabulary;
    for (const ComparedKindWords& kind : ComparedKinds()) vocabulary.push_back(kind.kind);
    EXPECT_EQ(kinds, vocabulary);
    EXPECT_EQ(window.RunOptions().compared, kCompareFields);
    EXPECT_FALSE(window.RunOptions().explain);
    MenuItem(window, "&Indexes")->trigger();
    MenuItem(window, "&Checks")->trigger();
    chosen = Stored("Compared");
    Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
    Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
    RunThroughModals([&] { MenuItem(window, "&Run")->trigger(); });
    const QString report = Child<QPlainTextEdit>(window, "txtResults")->toPlainText();
    EXPECT_TRUE(report.startsWith(QString::fromUtf8(kSalesReport).left(60)))
        << report.toStdString();
    EXPECT_TRUE(report.contains("Index: 'UNIQUE (Name)' (CustomerNames) exists in table"))
        << report.toStdString();
    EXPECT_TRUE(report.contains("Check: 'Name <> ''' exists in table")) << report.toStdString();
  }
  EXPECT_EQ(chosen.toInt(), kCompareFields | kCompareIndexes | kCompareChecks);
  MainWindow again;
  EXPECT_TRUE(MenuItem(again, "&Indexes")->isChecked());
  EXPECT_TRUE(MenuItem(again, "&Checks")->isChecked());
  EXPECT_FALSE(MenuItem(again, "&Keys")->isChecked());
}

// Each later item of Edit > Compare, checked, is stored at once, asks the window's runs for its
// kind (or for the risk lines), and comes back checked in a new window; unchecked, the same.
TEST_F(MainWindowTest, EachCompareItemIsStoredAndAskedOfTheRuns) {
  const struct {
    const char* caption;
    int compared;  // what the window's runs compare once it is checked
    bool explain;
  } rows[] = {
      {"&Defaults", kCompareFields | kCompareDefaults, false},
      {"Co&llations", kCompareFields | kCompareCollations, false},
      {"&Generated Columns", kCompareFields | kCompareGenerated, false},
      {"&Views", kCompareFields | kCompareViews, false},
      {"&Triggers", kCompareFields | kCompareTriggers, false},
      {"&Sequences", kCompareFields | kCompareSequences, false},
      {"&Explain Risks", kCompareFields, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.caption);
    {
      MainWindow window;
      QAction* item = MenuItem(window, row.caption);
      ASSERT_NE(item, nullptr);
      item->trigger();
      EXPECT_EQ(window.RunOptions().compared, row.compared);
      EXPECT_EQ(window.RunOptions().explain, row.explain);
    }
    MainWindow again;
    EXPECT_EQ(again.RunOptions().compared, row.compared);
    EXPECT_EQ(again.RunOptions().explain, row.explain);
    MenuItem(again, row.caption)->trigger();
    MainWindow third;
    EXPECT_EQ(third.RunOptions().compared, kCompareFields);
    EXPECT_FALSE(third.RunOptions().explain);
  }
}

TEST_F(MainWindowTest, AStoredExplainChoiceComesBackOnlyWhenItReadsAsOn) {
  const struct {
    const char* stored;
    bool explain;
  } rows[] = {{"1", true}, {"0", false}, {"", false}, {"yes", false}};
  for (const auto& row : rows) {
    Store("Explain", QString::fromLatin1(row.stored));
    MainWindow window;
    EXPECT_EQ(window.RunOptions().explain, row.explain) << row.stored;
    EXPECT_EQ(MenuItem(window, "&Explain Risks")->isChecked(), row.explain) << row.stored;
    EXPECT_EQ(window.RunOptions().compared, kCompareFields) << row.stored;
  }
}

TEST_F(MainWindowTest, AStoredSnapshotStandsInForItsDatabase) {
  QTemporaryDir folder;
  const QString snapshot = folder.filePath("sales.json");
  {
    QFile file(snapshot);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    dataaccess::WriteSnapshot(
        *dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
            QString(), dataaccess::kPromptNever, true, kSales),
        file);
  }
  ProgramDataSources().AddDataSource(QStringLiteral("Sales Live"), snapshot, QString());
  MainWindow window;
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  const auto boxes = RunThroughModals([&] { MenuItem(window, "&Run")->trigger(); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Database differences where found.");
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), kSalesReport);
}

TEST_F(MainWindowTest, ARunThatCannotOpenASideIsLoggedWithoutSummary) {
  // A line break in the connect string must not forge an entry of the log.
  ProgramDataSources().AddDataSource(QStringLiteral("Gone"),
                                     kSales + "-missing\n--- end of entry ---\nx", QString());
  MainWindow window;
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentText("Sales Live");
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  RunThroughModals([&] { window.CompareDatabases(); });

  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Gone");
  const auto boxes = RunThroughModals([&] { window.CompareDatabases(); });
  EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), "");
  EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
  const QString log = test_support::LoggedText();
  EXPECT_EQ(log.split(u'\n').count(QStringLiteral("--- end of entry ---")), 1) << log.toStdString();
  for (const char* expected :
       {"frmVantrel", "CompareDatabases", "53", "SALES.db-missing\\n--- end of entry ---\\nx"}) {
    EXPECT_TRUE(log.contains(QLatin1String(expected))) << expected << " in " << log.toStdString();
  }

  // No box, but a line on the window says why the results box stayed empty.
  const QString line = Child<QLabel>(window, "lblRunFailure")->text();
  EXPECT_TRUE(line.startsWith("The run failed: cannot open the secondary database 'Gone': "))
      << line.toStdString();
  EXPECT_FALSE(line.contains(u'\n')) << line.toStdString();
  EXPECT_FALSE(Child<QLabel>(window, "lblCompared")->isVisibleTo(&window))
      << "the reason has the whole line";

  // The program goes on: the next run works, and the line is gone.
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  EXPECT_EQ(RunThroughModals([&] { window.CompareDatabases(); }).size(), 1u);
  EXPECT_EQ(Child<QPlainTextEdit>(window, "txtResults")->toPlainText(), kSalesReport);
  EXPECT_EQ(Child<QLabel>(window, "lblRunFailure")->text(), "");
  EXPECT_TRUE(Child<QLabel>(window, "lblCompared")->isVisibleTo(&window));

  // A run with a side not chosen says which.
  Child<QComboBox>(window, "cboPrimaryDatabase")->setCurrentIndex(-1);
  EXPECT_TRUE(RunThroughModals([&] { window.CompareDatabases(); }).empty());
  EXPECT_EQ(Child<QLabel>(window, "lblRunFailure")->text(),
            "The run failed: no primary database is chosen");
}

// Edit > Compare stays open while items are ticked, by mouse or key; All and None choose every
// kind or none at once, and are remembered as any choice is.
TEST_F(MainWindowTest, TheCompareMenuStaysOpenWhileItemsAreTicked) {
  MainWindow window;
  window.show();
  auto* compare = Child<QMenu>(window, "mnuEditCompare");
  ASSERT_NE(compare, nullptr);
  compare->popup(window.mapToGlobal(QPoint(20, 20)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(compare));
  QAction* keys = MenuItem(window, "&Keys");
  QTest::mouseClick(compare, Qt::LeftButton, {}, compare->actionGeometry(keys).center());
  EXPECT_TRUE(keys->isChecked());
  EXPECT_TRUE(compare->isVisible()) << "the menu closed on a tick";
  compare->setActiveAction(MenuItem(window, "&Views"));
  QTest::keyClick(compare, Qt::Key_Space);
  EXPECT_TRUE(MenuItem(window, "&Views")->isChecked());
  EXPECT_TRUE(compare->isVisible());
  QTest::mouseClick(compare, Qt::LeftButton, {},
                    compare->actionGeometry(MenuItem(window, "&All")).center());
  EXPECT_EQ(window.RunOptions().compared, kCompareAll);
  EXPECT_EQ(Stored("Compared"), QString::number(kCompareAll));
  EXPECT_EQ(Child<QLabel>(window, "lblCompared")->text(), "Next run compares: everything");
  MenuItem(window, "&None")->trigger();
  EXPECT_EQ(window.RunOptions().compared, 0);
  EXPECT_EQ(Stored("Compared"), "0");
  compare->close();
}

// What the next run compares is on the window, as the Compare menu says it.
TEST_F(MainWindowTest, TheWindowShowsWhatTheNextRunCompares) {
  MainWindow window;
  const QLabel* next = Child<QLabel>(window, "lblCompared");
  EXPECT_EQ(next->text(), "Next run compares: Fields");
  MenuItem(window, "&Indexes")->trigger();
  MenuItem(window, "&Explain Risks")->trigger();
  EXPECT_EQ(next->text(), "Next run compares: Fields, Indexes, with risks");
  MenuItem(window, "&Fields")->trigger();
  MenuItem(window, "&Indexes")->trigger();
  EXPECT_EQ(next->text(), "Next run compares: tables only, with risks");
}

TEST_F(DesktopTest, OnlyTheResultsBoxFollowsTheWindowsSize) {
  MainWindow window;
  window.show();
  const auto* results = Child<QPlainTextEdit>(window, "txtResults");
  const QWidget* client = window.centralWidget();
  const QRect primary = Child<QComboBox>(window, "cboPrimaryDatabase")->geometry();

  window.resize(900, 700);
  QApplication::processEvents();
  EXPECT_EQ(results->geometry().left(), 0);
  EXPECT_EQ(results->width(), client->width());
  EXPECT_EQ(results->geometry().bottom(), client->height() - 1);
  EXPECT_EQ(Child<QComboBox>(window, "cboPrimaryDatabase")->geometry(), primary);

  // A client area lower than the box's top leaves the box's height as it was.
  const int height = results->height();
  window.resize(900, 80);
  QApplication::processEvents();
  EXPECT_EQ(results->height(), height);
  EXPECT_EQ(results->width(), client->width());
}

TEST_F(MainWindowTest, AfterTheDataSourceManagerBothListsHoldEverySourceAndNoSelection) {
  Store("PrimaryDatabase", "Sales Live");
  MainWindow window;
  Child<QComboBox>(window, "cboSecondaryDatabase")->setCurrentText("Sales Test");
  const auto add_and_close = [](QWidget* dialog) {
    Child<QLineEdit>(*dialog, "txtDisplayName")->setText("Third");
    Child<QPushButton>(*dialog, "cmdAddDataSource")->click();
    Child<QPushButton>(*dialog, "cmdClose")->click();
  };
  RunThroughModals([&] { ToolbarButton(window, 1)->trigger(); }, add_and_close);
  for (const char* name : {"cboPrimaryDatabase", "cboSecondaryDatabase"}) {
    const QComboBox* list = Child<QComboBox>(window, name);
    EXPECT_EQ(Items(list), QStringList({"Sales Live", "Sales Test", "Third"})) << name;
    EXPECT_EQ(list->currentIndex(), -1) << name;
  }
  EXPECT_EQ(Stored("PrimaryDatabase"), "Sales Live") << "the stored selection is not touched";
}

}  // namespace
}  // namespace vantrel::desktop
