#include "vantrel/desktop/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTextCursor>
#include <QToolBar>
#include <array>
#include <optional>

#include "halcyra/product_page.h"
#include "platform/component/class_factory.h"
#include "platform/winapi/twips.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/core/migration_run.h"
#include "vantrel/core/program_identity.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/core/visible_text.h"
#include "vantrel/desktop/about_dialog.h"
#include "vantrel/desktop/choice_menu.h"
#include "vantrel/desktop/data_source_dialog.h"
#include "vantrel/desktop/differences_window.h"
#include "vantrel/desktop/migration_dialog.h"
#include "vantrel/desktop/results_box_view.h"
#include "vantrel/desktop/text_fit.h"
#include "vantrel/desktop/unhandled_error.h"
#include "vantrel/desktop/widget_lists.h"

namespace vantrel::desktop {
namespace {

using winapi::Pixels;

// The design, in twips.
constexpr int kClientWidth = 6795;
constexpr int kClientHeight = 4470;
constexpr int kToolBarHeight = 660;
constexpr int kResultsTop = 2160;

const QString kSelectionsKey = DataSourcesKeyPath();
const QString kPrimaryValue = QStringLiteral("PrimaryDatabase");
const QString kSecondaryValue = QStringLiteral("SecondaryDatabase");
// What a run compares, as the decimal ComparedKind bits; stored as soon as a choice changes.
const QString kComparedValue = QStringLiteral("Compared");
// Whether a run follows each paragraph with its risk, "1" or "0"; off while nothing is stored.
const QString kExplainValue = QStringLiteral("Explain");

// The choices of Edit > Compare, in their order.
struct CompareChoice {
  const char* text;
  int bit;
};
constexpr CompareChoice kCompareChoices[] = {
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Fields"), kCompareFields},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Keys"), kCompareKeys},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Indexes"), kCompareIndexes},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "F&oreign Keys"), kCompareForeignKeys},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Checks"), kCompareChecks},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Defaults"), kCompareDefaults},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "Co&llations"), kCompareCollations},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Generated Columns"), kCompareGenerated},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Views"), kCompareViews},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Triggers"), kCompareTriggers},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Sequences"), kCompareSequences},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Rules"), kCompareRules},
    {QT_TRANSLATE_NOOP("vantrel::desktop::MainWindow", "&Persistence"), kComparePersistence},
};
constexpr auto kUser = corbenna::ParentRegistryKey::HKEYCurrentUser;

// Runs each step of a load or resize on its own: a step that fails is skipped, silently.
template <class Step>
void Skipping(Step step) {
  try {
    step();
  } catch (...) {
  }
}

// Makes the list show the item of that text, or no selection when it has none.
void SelectText(QComboBox* list, const QString& text) {
  list->setCurrentIndex(
      text.isEmpty() ? -1 : list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

corbenna::_Registry& Registry() { return ProgramRegistry(); }

void LogRunFailure(int32_t number, const QString& description) {
  try {
    // Escaped as the report shows names: a description quotes connect strings and file names,
    // whose line breaks would otherwise forge lines, or whole entries, of the log.
    ProgramErrorHandler().LogError(QStringLiteral("frmVantrel"), QStringLiteral("CompareDatabases"),
                                   number, VisibleText(description), QString());
  } catch (...) {  // the log's own library failed: nowhere left to report it
  }
}

}  // namespace

// The window's client area below the toolbar. The design places controls relative to the whole
// client area, toolbar included, so Place() moves them up by the toolbar's height.
class MainWindow::ClientArea : public QWidget {
 public:
  explicit ClientArea(MainWindow* window) : QWidget(window), window_(window) {}

  void Place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Pixels(left), Pixels(top - kToolBarHeight), Pixels(width), Pixels(height));
  }

 protected:
  void resizeEvent(QResizeEvent* /*event*/) override { window_->Form_Resize(); }

 private:
  MainWindow* window_;
};

MainWindow::MainWindow() {
  setObjectName(QStringLiteral("frmVantrel"));
  setWindowTitle(ProgramTitle());
  setWindowIcon(QIcon(QStringLiteral(":/vantrel/vantrel.svg")));
  createActions();
  createMenus();
  createToolBar();
  createControls();
  view_ = std::make_unique<ResultsBoxView>(txtResults_, lblTableName_, lblField_);
  Form_Load();

  // Below the design's client area: what the next run compares, and why the last one failed.
  lblRunFailure_ = new QLabel(this);
  lblRunFailure_->setObjectName(QStringLiteral("lblRunFailure"));
  lblRunFailure_->setTextFormat(Qt::PlainText);
  // However long the reason, the window keeps its width; the whole line is in the tooltip.
  lblRunFailure_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  statusBar()->addWidget(lblRunFailure_, 1);
  lblCompared_ = new QLabel(this);
  lblCompared_->setObjectName(QStringLiteral("lblCompared"));
  statusBar()->addPermanentWidget(lblCompared_);
  statusBar()->setSizeGripEnabled(false);
  ShowNextRun();

  resize(Pixels(kClientWidth),
         menuBar()->sizeHint().height() + Pixels(kClientHeight) + statusBar()->sizeHint().height());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(
        QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
  }
  txtResults_->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions() {
  runAction_ = new QAction(tr("&Run"), this);
  connect(runAction_, &QAction::triggered, this, [this] { mnuFileSub_Click(1); });
  exitAction_ = new QAction(tr("&Exit"), this);
  connect(exitAction_, &QAction::triggered, this, [this] { mnuFileSub_Click(3); });
  dataSourcesAction_ = new QAction(tr("&Data Sources"), this);
  connect(dataSourcesAction_, &QAction::triggered, this, [this] { mnuEditSub_Click(0); });
  onlineAction_ = new QAction(tr("Vantrel On-line"), this);
  connect(onlineAction_, &QAction::triggered, this, [this] { mnuHelpSub_Click(0); });
  aboutAction_ = new QAction(tr("&About Vantrel"), this);
  connect(aboutAction_, &QAction::triggered, this, [this] { mnuHelpSub_Click(2); });

  tbEditDataSources_ = new QAction(QIcon(QStringLiteral(":/vantrel/data-sources.svg")),
                                   tr("Edit Data Sources"), this);
  connect(tbEditDataSources_, &QAction::triggered, this, [this] { tbDBDiff_ButtonClick(1); });
  tbRun_ = new QAction(QIcon(QStringLiteral(":/vantrel/run-search.svg")), tr("Run"), this);
  connect(tbRun_, &QAction::triggered, this, [this] { tbDBDiff_ButtonClick(2); });
}

void MainWindow::createMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(runAction_);
  file->addSeparator();
  file->addAction(exitAction_);
  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(dataSourcesAction_);
  // Appended after the commands the menu always had, which keep their places.
  edit->addSeparator();
  // Stays open while items are ticked, so that several are chosen at once.
  auto* compare = new ChoiceMenu(tr("&Compare"), edit);
  edit->addMenu(compare);
  compare->setObjectName(QStringLiteral("mnuEditCompare"));
  for (const CompareChoice& choice : kCompareChoices) {
    QAction* action = compare->addAction(tr(choice.text));
    action->setCheckable(true);
    // Fields until the stored choice is shown, even when it cannot be read.
    action->setChecked(choice.bit == kCompareFields);
    action->setData(choice.bit);
    connect(action, &QAction::toggled, this, [this] {
      StoreComparedChoice();
      ShowNextRun();
    });
    compareActions_.push_back(action);
  }
  // Not a kind of object: how the report reads, so apart from them.
  compare->addSeparator();
  explainAction_ = compare->addAction(tr("&Explain Risks"));
  explainAction_->setCheckable(true);
  connect(explainAction_, &QAction::toggled, this, [this] {
    StoreExplainChoice();
    ShowNextRun();
  });
  // Appended after the items the menu had, which keep their places: every kind, or none.
  compare->addSeparator();
  QAction* all = compare->addAction(tr("&All"));
  connect(all, &QAction::triggered, this, [this] { ChooseCompared(kCompareAll); });
  QAction* none = compare->addAction(tr("&None"));
  connect(none, &QAction::triggered, this, [this] { ChooseCompared(0); });
  // Appended after the menu's other items, which keep their places.
  edit->addSeparator();
  migrationAction_ = edit->addAction(tr("&Migration Script..."));
  migrationAction_->setObjectName(QStringLiteral("mnuEditMigration"));
  connect(migrationAction_, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { MigrationScriptCommand(); }); });
  differencesAction_ = edit->addAction(tr("&Differences..."));
  differencesAction_->setObjectName(QStringLiteral("mnuEditDifferences"));
  connect(differencesAction_, &QAction::triggered, this,
          [this] { RunHandler(this, [this] { DifferencesCommand(); }); });
  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(onlineAction_);
  help->addSeparator();
  help->addAction(aboutAction_);
}

void MainWindow::createToolBar() {
  tbDBDiff_ = new QToolBar(tr("Toolbar"), this);
  tbDBDiff_->setObjectName(QStringLiteral("tbDBDiff"));
  tbDBDiff_->setMovable(false);
  tbDBDiff_->setFloatable(false);
  tbDBDiff_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  tbDBDiff_->setIconSize(QSize(32, 32));
  tbDBDiff_->setFixedHeight(Pixels(kToolBarHeight));
  tbDBDiff_->setContextMenuPolicy(Qt::PreventContextMenu);
  tbDBDiff_->addAction(tbEditDataSources_);
  tbDBDiff_->addAction(tbRun_);
  for (QAction* action : tbDBDiff_->actions()) {
    if (QWidget* button = tbDBDiff_->widgetForAction(action)) button->setFixedSize(39, 38);
  }
  addToolBar(Qt::TopToolBarArea, tbDBDiff_);
}

void MainWindow::createControls() {
  client_ = new ClientArea(this);
  setCentralWidget(client_);

  const struct {
    const char* caption;
    int top;
  } captions[] = {{"Primary Database:", 720},
                  {"Secondary Database:", 1080},
                  {"Searching Table:", 1440},
                  {"Searching Field:", 1800}};
  QList<QLabel*> lblTableDefDif;
  for (int index = 0; index < 4; ++index) {
    auto* label = new QLabel(tr(captions[index].caption), client_);
    label->setObjectName(QStringLiteral("lblTableDefDif%1").arg(index));
    client_->Place(label, 120, captions[index].top, 1290, 195);
    label->adjustSize();
    lblTableDefDif.append(label);
  }

  cboPrimaryDatabase_ = new QComboBox(client_);
  cboPrimaryDatabase_->setObjectName(QStringLiteral("cboPrimaryDatabase"));
  client_->Place(cboPrimaryDatabase_, 1800, 720, 4815, 315);
  cboSecondaryDatabase_ = new QComboBox(client_);
  cboSecondaryDatabase_->setObjectName(QStringLiteral("cboSecondaryDatabase"));
  client_->Place(cboSecondaryDatabase_, 1800, 1080, 4815, 315);

  lblTableName_ = new QLabel(client_);
  lblTableName_->setObjectName(QStringLiteral("lblTableName"));
  client_->Place(lblTableName_, 1800, 1440, 4755, 195);
  lblField_ = new QLabel(client_);
  lblField_->setObjectName(QStringLiteral("lblField"));
  client_->Place(lblField_, 1800, 1800, 4695, 255);
  lblField_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  KeepFieldsRightOfCaptions(lblTableDefDif,
                            {cboPrimaryDatabase_, cboSecondaryDatabase_, lblTableName_, lblField_});

  txtResults_ = new QPlainTextEdit(client_);
  txtResults_->setObjectName(QStringLiteral("txtResults"));
  txtResults_->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtResults_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtResults_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // A report has no tabs to type: Tab leaves the box for the next control, as in the focus
  // order below, instead of trapping the keyboard in the box the window opens with.
  txtResults_->setTabChangesFocus(true);
  client_->Place(txtResults_, 120, kResultsTop, 6555, 2175);

  // Focus order: the results box first, then the lists, then the toolbar.
  setTabOrder(txtResults_, cboPrimaryDatabase_);
  setTabOrder(cboPrimaryDatabase_, cboSecondaryDatabase_);
  setTabOrder(cboSecondaryDatabase_, tbDBDiff_);
}

void MainWindow::Form_Load() {
  Skipping([&] {
    ComboBoxList list(cboPrimaryDatabase_);
    ProgramDataSources().FillDataSourceList(list);
  });
  Skipping([&] {
    ComboBoxList list(cboSecondaryDatabase_);
    ProgramDataSources().FillDataSourceList(list);
  });
  Skipping([&] {
    SelectText(cboPrimaryDatabase_, Registry().GetSettingPro(kUser, kSelectionsKey, kPrimaryValue));
  });
  Skipping([&] {
    SelectText(cboSecondaryDatabase_,
               Registry().GetSettingPro(kUser, kSelectionsKey, kSecondaryValue));
  });
  Skipping([&] {
    bool stored = false;
    const int compared =
        Registry().GetSettingPro(kUser, kSelectionsKey, kComparedValue).toInt(&stored);
    ShowComparedChoice(stored ? compared : kCompareFields);
  });
  Skipping([&] {
    bool stored = false;
    const int explain =
        Registry().GetSettingPro(kUser, kSelectionsKey, kExplainValue).toInt(&stored);
    loadingChoice_ = true;
    explainAction_->setChecked(stored && explain != 0);
    loadingChoice_ = false;
  });
}

WalkOptions MainWindow::RunOptions() const {
  WalkOptions options;
  options.compared = ComparedChoice();
  options.explain = explainAction_->isChecked();
  return options;
}

int MainWindow::ComparedChoice() const {
  int compared = 0;
  for (const QAction* action : compareActions_) {
    if (action->isChecked()) compared |= action->data().toInt();
  }
  return compared;
}

void MainWindow::ShowComparedChoice(int compared) {
  loadingChoice_ = true;
  for (QAction* action : compareActions_) {
    action->setChecked((compared & action->data().toInt()) != 0);
  }
  loadingChoice_ = false;
}

void MainWindow::ChooseCompared(int compared) {
  ShowComparedChoice(compared);
  StoreComparedChoice();
  ShowNextRun();
}

void MainWindow::ShowNextRun() {
  if (lblCompared_ == nullptr) return;
  QStringList chosen;
  for (const QAction* action : compareActions_) {
    if (action->isChecked()) chosen.append(action->text().remove(u'&'));
  }
  // With nothing ticked a run still reports the tables that exist on one side only. A long
  // choice is said short, whole in the tooltip, so that the line never widens the window.
  QString what = chosen.join(QStringLiteral(", "));
  if (chosen.isEmpty()) {
    what = tr("tables only");
  } else if (chosen.size() == static_cast<qsizetype>(compareActions_.size())) {
    what = tr("everything");
  } else if (chosen.size() > 3) {
    what = tr("%1 and %2 more")
               .arg(chosen.mid(0, 2).join(QStringLiteral(", ")))
               .arg(chosen.size() - 2);
  }
  QString text = tr("Next run compares: %1").arg(what);
  if (explainAction_->isChecked()) text += tr(", with risks");
  lblCompared_->setText(text);
  lblCompared_->setToolTip(chosen.join(QStringLiteral(", ")));
  lblCompared_->show();
}

void MainWindow::StoreComparedChoice() {
  if (loadingChoice_) return;
  // A choice that cannot be stored still holds for this session.
  Skipping([&] {
    Registry().SaveSettingPro(kUser, kSelectionsKey, kComparedValue,
                              QString::number(ComparedChoice()));
  });
}

void MainWindow::StoreExplainChoice() {
  if (loadingChoice_) return;
  Skipping([&] {
    Registry().SaveSettingPro(
        kUser, kSelectionsKey, kExplainValue,
        explainAction_->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
  });
}

void MainWindow::Form_Resize() {
  // The client area is the toolbar and the area below it.
  const int client_width = client_->width();
  const int client_height = client_->height() + tbDBDiff_->height();
  const int top = Pixels(kResultsTop);
  Skipping([&] { txtResults_->resize(client_width, txtResults_->height()); });
  Skipping([&] { txtResults_->move(0, txtResults_->y()); });
  // A client area lower than the box's top (a minimised window) leaves the box's height alone.
  Skipping([&] {
    if (client_height - top >= 0) txtResults_->resize(txtResults_->width(), client_height - top);
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  RunHandler(this, [this] { Form_Unload(); });
  event->accept();  // closing is never cancelled
}

void MainWindow::Form_Unload() {
  Registry().SaveSettingPro(kUser, kSelectionsKey, kPrimaryValue,
                            cboPrimaryDatabase_->currentText());
  Registry().SaveSettingPro(kUser, kSelectionsKey, kSecondaryValue,
                            cboSecondaryDatabase_->currentText());
}

void MainWindow::mnuFileSub_Click(int index) {
  switch (index) {
    case 1:
      RunHandler(this, [this] { CompareDatabases(); });
      break;
    case 3:
      // Ends the program without closing the window, so the selections are not stored.
      QCoreApplication::exit(0);
      break;
    default:
      break;
  }
}

void MainWindow::mnuEditSub_Click(int index) {
  if (index == 0) RunHandler(this, [this] { DataSourceCommand(); });
}

void MainWindow::mnuHelpSub_Click(int index) {
  RunHandler(this, [this, index] {
    if (index == 0) {
      // The program's one utility object, created on first use and kept.
      static const std::shared_ptr<component::Dispatch> common =
          component::CreateObject(QStringLiteral("halcyra.common"));
      common->Call(QStringLiteral("DisplayURL"),
                   {component::Variant(halcyra::ProductPageAddress())});
    } else if (index == 2) {
      ShowAbout();
    }
  });
}

void MainWindow::tbDBDiff_ButtonClick(int index) {
  switch (index) {
    case 1:
      mnuEditSub_Click(0);
      break;
    case 2:
      mnuFileSub_Click(1);
      break;
    default:
      break;
  }
}

void MainWindow::DataSourceCommand() {
  {
    DataSourceDialog dialog(this);
    dialog.exec();
  }
  ComboBoxList primary(cboPrimaryDatabase_);
  ProgramDataSources().FillDataSourceList(primary);
  ComboBoxList secondary(cboSecondaryDatabase_);
  ProgramDataSources().FillDataSourceList(secondary);
}

void MainWindow::ShowAbout() {
  AboutDialog about(this);
  about.setWindowTitle(tr("About"));
  about.exec();
}

// For the length of a run: the busy pointer, and no command that could start another run or
// change the sources under it, since a password prompt or the summary box runs the event loop
// while the run waits. Everything is put back however the run ends.
class MainWindow::RunningGuard {
 public:
  explicit RunningGuard(MainWindow& window) : window_(window) {
    window_.running_ = true;
    for (QAction* command : Commands()) command->setEnabled(false);
    window_.setCursor(Qt::WaitCursor);
  }
  ~RunningGuard() {
    window_.unsetCursor();
    for (QAction* command : Commands()) command->setEnabled(true);
    window_.running_ = false;
  }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;

 private:
  std::array<QAction*, 4> Commands() const {
    return {window_.runAction_, window_.tbRun_, window_.dataSourcesAction_,
            window_.tbEditDataSources_};
  }
  MainWindow& window_;
};

void MainWindow::CompareDatabases() {
  if (running_) return;
  QCoreApplication::processEvents();
  const RunningGuard running(*this);
  const QString primary = cboPrimaryDatabase_->currentText();
  const QString secondary = cboSecondaryDatabase_->currentText();
  DifferenceCollector found;
  WalkOptions options = RunOptions();
  options.observer = &found;
  lblRunFailure_->clear();
  lblRunFailure_->setToolTip(QString());
  lblCompared_->show();
  try {
    RunComparison([&] { return ProgramDataSources().Lookup(primary); },
                  [&] { return ProgramDataSources().Lookup(secondary); }, *view_,
                  [&](const ComparisonOutcome& outcome, const OpenSides&) {
                    view_->Flush();
                    KeepRun({primary, secondary, std::move(found.found), outcome, view_->Text()});
                    ShowSummary(outcome);
                  },
                  options);
  } catch (const component::Error& error) {
    LogRunFailure(error.number(), error.description());
    // The log keeps the record; the window says in one line why the box stayed empty.
    QString why = VisibleText(error.description());
    if (const auto* side = dynamic_cast<const SideError*>(&error)) {
      const bool first = side->side() == Side::kPrimary;
      const QString& name = first ? primary : secondary;
      why = name.isEmpty() ? (first ? tr("no primary database is chosen")
                                    : tr("no secondary database is chosen"))
                           : (first ? tr("cannot open the primary database '%1': %2")
                                    : tr("cannot open the secondary database '%1': %2"))
                                 .arg(VisibleText(name), why);
    }
    lblRunFailure_->setText(tr("The run failed: %1").arg(why));
    lblRunFailure_->setToolTip(lblRunFailure_->text());
    ForgetRun(lblRunFailure_->text());
    // The reason takes the whole line until the choice changes or the next run starts.
    lblCompared_->hide();
  } catch (const std::bad_alloc&) {
    LogRunFailure(component::kOutOfMemory, component::StandardDescription(component::kOutOfMemory));
    lblRunFailure_->setText(
        tr("The run failed: %1").arg(component::StandardDescription(component::kOutOfMemory)));
    ForgetRun(lblRunFailure_->text());
  }
  view_->Flush();
}

void MainWindow::MigrationScriptCommand() {
  if (running_) return;
  const QString primary = cboPrimaryDatabase_->currentText();
  const QString secondary = cboSecondaryDatabase_->currentText();
  const QString title = tr("Migration Script");
  if (primary.isEmpty() || secondary.isEmpty()) {
    QMessageBox::information(this, title,
                             tr("Choose a primary and a secondary database first: the script "
                                "gives the secondary the primary's structure."));
    return;
  }
  std::optional<MigrationResult> result;
  QString failure;
  {
    const RunningGuard running(*this);
    MigrationRequest request;
    request.walk.compared = kCompareAll;
    try {
      result = RunMigration([&] { return ProgramDataSources().Lookup(primary); },
                            [&] { return ProgramDataSources().Lookup(secondary); }, request);
    } catch (const SideError& error) {
      failure = (error.side() == Side::kPrimary ? tr("Cannot open the primary database '%1': %2")
                                                : tr("Cannot open the secondary database '%1': %2"))
                    .arg(VisibleText(error.side() == Side::kPrimary ? primary : secondary),
                         VisibleText(error.description()));
    } catch (const component::Error& error) {
      failure = VisibleText(error.description());
    }
  }
  if (failure.isEmpty() && result && !result->script) failure = VisibleText(result->refused);
  if (!failure.isEmpty()) {
    QMessageBox::warning(this, title, failure);
    return;
  }
  const MigrationScript& script = *result->script;
  int held_back = 0;
  for (const MigrationStep& step : script.steps) held_back += step.held_back.isEmpty() ? 0 : 1;
  MigrationDialog dialog(MigrationText(script, primary, secondary),
                         static_cast<int>(script.steps.size()), held_back, this);
  dialog.exec();
}

void MainWindow::DifferencesCommand() {
  if (differences_ == nullptr) {
    differences_ = new DifferencesWindow(this);
    if (lastRun_) {
      differences_->ShowRun(*lastRun_);
    } else if (!lastRunFailure_.isEmpty()) {
      differences_->ShowNoRun(lastRunFailure_);
    }
  }
  differences_->show();
  differences_->raise();
  differences_->activateWindow();
}

void MainWindow::KeepRun(FinishedRun run) {
  lastRun_ = std::make_unique<FinishedRun>(std::move(run));
  lastRunFailure_.clear();
  if (differences_ != nullptr) differences_->ShowRun(*lastRun_);
}

void MainWindow::ForgetRun(const QString& why) {
  lastRun_.reset();
  lastRunFailure_ = why;
  if (differences_ != nullptr) differences_->ShowNoRun(why);
}

void MainWindow::ShowSummary(const ComparisonOutcome& outcome) {
  view_->Flush();
  // The report is read from its start.
  txtResults_->moveCursor(QTextCursor::Start);
  const bool blank = outcome.differences == 0;
  QMessageBox box(QMessageBox::Information, tr("Database Comparison Complete"),
                  blank ? tr("No differences found.") : tr("Database differences where found."),
                  QMessageBox::Ok, this);
  box.exec();
}

}  // namespace vantrel::desktop
