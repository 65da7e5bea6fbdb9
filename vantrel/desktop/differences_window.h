// The differences of the window's last run as a tree, in a window of its own (Edit >
// Differences...): each table, then each of its differences once, the primary's and the
// secondary's values in two columns, the risky ones marked, a filter by kind and by words, and
// Save Report... as text, JSON or an HTML page. The results box is left as it is.
#ifndef VANTREL_VANTREL_DESKTOP_DIFFERENCES_WINDOW_H_
#define VANTREL_VANTREL_DESKTOP_DIFFERENCES_WINDOW_H_

#include <QDialog>
#include <QString>
#include <optional>
#include <vector>

#include "vantrel/core/comparison_run.h"
#include "vantrel/core/difference.h"
#include "vantrel/core/difference_groups.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTreeWidget;

namespace vantrel::desktop {

// What a finished run leaves for the tree and for Save Report.
struct FinishedRun {
  QString primary_name;  // the data sources' names
  QString secondary_name;
  std::vector<Difference> differences;  // both walks', in the report's order
  ComparisonOutcome outcome;
  QString report;  // the results box's text
};

class DifferencesWindow : public QDialog {
  Q_OBJECT

 public:
  enum class ReportFormat { kText, kJson, kHtml };

  explicit DifferencesWindow(QWidget* parent = nullptr);

  // Shows `run`'s differences; without one, says why there is nothing to show (`why`).
  void ShowRun(const FinishedRun& run);
  void ShowNoRun(const QString& why);

  // Writes the run's report in `format` to `path`, replacing only an empty file or a report
  // Vantrel wrote, never through a link; empty on success, otherwise why not in one line.
  QString SaveTo(const QString& path, ReportFormat format) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Fill();
  // Shares the tree's width among its columns; the window's width is known only once shown.
  void ShareWidths();
  void ApplyFilter();
  void Save();

  std::optional<FinishedRun> run_;
  std::vector<DifferenceGroup> groups_;
  QLabel* summary_ = nullptr;
  QComboBox* kind_ = nullptr;
  QLineEdit* find_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_DIFFERENCES_WINDOW_H_
