// frmVantrel, the program's main window: the two data source lists, the commands that compare
// them and manage them, and the results box that a comparison writes its report into.
//
// Positions and sizes are the window's design in twips, at 15 to a pixel; Qt's device-independent
// pixels scale them for the screen's device pixel ratio. Only the results box moves or resizes.
//
// The two selections are stored in the registry when the window closes and put back when it is
// created; File > Exit ends the program without storing them. What Edit > Compare has checked is
// stored as soon as it changes.
#ifndef VANTREL_VANTREL_DESKTOP_MAIN_WINDOW_H_
#define VANTREL_VANTREL_DESKTOP_MAIN_WINDOW_H_

#include <QMainWindow>
#include <memory>
#include <optional>
#include <vector>

#include "vantrel/core/comparison_run.h"

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolBar;

namespace vantrel::desktop {

class DifferencesWindow;
struct FinishedRun;
class ResultsBoxView;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Creates the window and loads it (fills the lists, puts back the stored selections).
  MainWindow();
  ~MainWindow() override;

  // A whole comparison run of the two selected data sources. A failure of the run (a numbered
  // error, no memory) is logged through the program's ErrorHandler, with no summary box; what
  // else the process throws (std::system_error when a worker thread cannot start) is passed on,
  // and the handlers below show it in a box. While it runs, the busy pointer
  // shows and Run and the Data Source Manager are disabled; a call during a run does nothing.
  void CompareDatabases();

  // What a run compares and whether it explains each paragraph's risk, as Edit > Compare has
  // them checked (Fields and no risks until the user chose otherwise).
  WalkOptions RunOptions() const;

  // The menu and toolbar handlers, by item index; each is a Qt slot and throws nothing: an
  // error of what it starts is shown in a box (unhandled_error.h).
  void mnuFileSub_Click(int index);
  void mnuEditSub_Click(int index);
  void mnuHelpSub_Click(int index);
  void tbDBDiff_ButtonClick(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class ClientArea;
  class RunningGuard;

  void createActions();
  void createMenus();
  void createToolBar();
  void createControls();
  void Form_Load();
  void Form_Resize();
  void Form_Unload();
  void DataSourceCommand();
  void ShowAbout();
  // Edit > Migration Script: the script that gives the secondary the primary's structure.
  void MigrationScriptCommand();
  // Edit > Differences: the last run's differences as a tree, in a window kept open beside this
  // one and filled again after each run.
  void DifferencesCommand();
  // Keeps what a finished run found for the tree and Save Report, or forgets it after a failure.
  void KeepRun(FinishedRun run);
  void ForgetRun(const QString& why);
  void ShowSummary(const ComparisonOutcome& outcome);
  // The ComparedKind bits checked in Edit > Compare; showing them; storing them for the user.
  int ComparedChoice() const;
  void ShowComparedChoice(int compared);
  void StoreComparedChoice();
  // Edit > Compare > All and None: the whole choice at once, stored and shown.
  void ChooseCompared(int compared);
  // The status bar's line of what the next run compares, from the Compare menu.
  void ShowNextRun();
  // Stores whether Edit > Compare > Explain Risks is checked.
  void StoreExplainChoice();

  QAction* runAction_ = nullptr;
  QAction* exitAction_ = nullptr;
  QAction* dataSourcesAction_ = nullptr;
  QAction* onlineAction_ = nullptr;
  QAction* aboutAction_ = nullptr;
  QAction* tbEditDataSources_ = nullptr;
  QAction* tbRun_ = nullptr;
  std::vector<QAction*> compareActions_;
  QAction* explainAction_ = nullptr;
  QAction* migrationAction_ = nullptr;
  QAction* differencesAction_ = nullptr;
  QLabel* lblRunFailure_ = nullptr;  // why the last run failed; empty after one that did not
  QLabel* lblCompared_ = nullptr;
  bool loadingChoice_ = false;

  QToolBar* tbDBDiff_ = nullptr;
  ClientArea* client_ = nullptr;
  QComboBox* cboPrimaryDatabase_ = nullptr;
  QComboBox* cboSecondaryDatabase_ = nullptr;
  QLabel* lblTableName_ = nullptr;
  QLabel* lblField_ = nullptr;
  QPlainTextEdit* txtResults_ = nullptr;
  std::unique_ptr<ResultsBoxView> view_;
  bool running_ = false;  // a run is under way, waiting in a nested event loop or not
  std::unique_ptr<FinishedRun> lastRun_;      // what the last run found; none after a failed one
  QString lastRunFailure_;                    // why the last run failed; empty when none did
  DifferencesWindow* differences_ = nullptr;  // made when first opened
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_MAIN_WINDOW_H_
