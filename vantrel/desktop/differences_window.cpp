#include "vantrel/desktop/differences_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "vantrel/core/html_report.h"
#include "vantrel/core/json_report.h"
#include "vantrel/core/report_recognition.h"
#include "vantrel/desktop/saved_file.h"

namespace vantrel::desktop {
namespace {

enum Column { kWhat, kPrimary, kSecondary, kRisk };
// Where a difference's item keeps its kind, and the words a search looks in.
constexpr int kKindRole = Qt::UserRole;
constexpr int kWordsRole = Qt::UserRole + 1;

QString TitleOf(const ShownDifference& difference) {
  QString title = difference.kind;
  if (!difference.subject.isEmpty()) title += ' ' + difference.subject;
  return title + " (" + difference.PresenceWords() + ')';
}

}  // namespace

DifferencesWindow::DifferencesWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmDifferences"));
  setWindowTitle(tr("Differences"));
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  kind_ = new QComboBox(this);
  kind_->setObjectName(QStringLiteral("cboKind"));
  find_ = new QLineEdit(this);
  find_->setObjectName(QStringLiteral("txtFind"));
  find_->setPlaceholderText(tr("Find names, values, risks"));
  find_->setClearButtonEnabled(true);
  auto* kind_label = new QLabel(tr("&Kind:"), this);
  kind_label->setBuddy(kind_);
  auto* find_label = new QLabel(tr("&Find:"), this);
  find_label->setBuddy(find_);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QStringLiteral("tvwDifferences"));
  tree_->setColumnCount(4);
  tree_->setHeaderLabels({tr("Difference"), tr("Primary"), tr("Secondary"), tr("Risk")});
  tree_->setUniformRowHeights(true);
  tree_->setWordWrap(false);
  tree_->header()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(this);
  save_ = buttons->addButton(tr("&Save Report..."), QDialogButtonBox::ActionRole);
  save_->setObjectName(QStringLiteral("cmdSaveReport"));
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("cmdClose"));
  connect(save_, &QPushButton::clicked, this, [this] { Save(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(kind_, &QComboBox::currentIndexChanged, this, [this] { ApplyFilter(); });
  connect(find_, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });

  auto* filters = new QHBoxLayout;
  filters->addWidget(kind_label);
  filters->addWidget(kind_);
  filters->addSpacing(12);
  filters->addWidget(find_label);
  filters->addWidget(find_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addLayout(filters);
  layout->addWidget(tree_, 1);
  layout->addWidget(buttons);
  // As large as the tree wants, within the screen it opens on.
  const QRect room = screen()->availableGeometry();
  resize(std::min(960, room.width() * 9 / 10), std::min(600, room.height() * 9 / 10));
  ShowNoRun(tr("No comparison has run yet: choose two databases and press Run."));
}

void DifferencesWindow::ShowRun(const FinishedRun& run) {
  run_ = run;
  groups_ = GroupDifferences(run.differences, run.primary_name, run.secondary_name);
  Fill();
}

void DifferencesWindow::ShowNoRun(const QString& why) {
  run_.reset();
  groups_.clear();
  Fill();
  summary_->setText(why);
}

void DifferencesWindow::Fill() {
  tree_->clear();
  const QSignalBlocker quiet(kind_);
  kind_->clear();
  kind_->addItem(tr("All kinds"), QString());
  save_->setEnabled(run_.has_value());
  // Without a run the columns name no database: the last pair may not be the one that failed.
  tree_->headerItem()->setText(kPrimary,
                               run_ ? tr("Primary: %1").arg(run_->primary_name) : tr("Primary"));
  tree_->headerItem()->setText(
      kSecondary, run_ ? tr("Secondary: %1").arg(run_->secondary_name) : tr("Secondary"));
  if (!run_) return;
  const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
  const QBrush risky_text(QColor(0xA0, 0x10, 0x10));
  QList<QTreeWidgetItem*> top;
  QStringList kinds;
  for (const DifferenceGroup& group : groups_) {
    auto* table = new QTreeWidgetItem;
    table->setText(kWhat,
                   group.table.isEmpty() ? tr("The databases") : tr("Table %1").arg(group.table));
    QFont bold = table->font(kWhat);
    bold.setBold(true);
    table->setFont(kWhat, bold);
    for (const ShownDifference& difference : group.differences) {
      auto* item = new QTreeWidgetItem(table);
      item->setText(kWhat, TitleOf(difference));
      item->setToolTip(kWhat, TitleOf(difference));
      item->setText(kRisk, difference.risk);
      item->setToolTip(kRisk, difference.risk);
      item->setData(kWhat, kKindRole, difference.kind);
      QString words = TitleOf(difference) + '\n' + difference.risk + '\n' + group.table;
      for (const ShownDifference::Value& value : difference.values) {
        auto* row = new QTreeWidgetItem(item);
        row->setText(kWhat, value.property);
        row->setText(kPrimary, value.primary);
        row->setText(kSecondary, value.secondary);
        row->setToolTip(kPrimary, value.primary);
        row->setToolTip(kSecondary, value.secondary);
        words += '\n' + value.property + '\n' + value.primary + '\n' + value.secondary;
      }
      item->setData(kWhat, kWordsRole, words.toCaseFolded());
      if (difference.IsRisky()) {
        item->setIcon(kWhat, warning);
        item->setForeground(kRisk, risky_text);
      }
      if (!kinds.contains(difference.kind)) kinds.append(difference.kind);
    }
    top.append(table);
  }
  tree_->addTopLevelItems(top);
  for (QTreeWidgetItem* table : top) table->setFirstColumnSpanned(true);
  tree_->expandAll();
  ShareWidths();
  for (const QString& kind : kinds) kind_->addItem(kind, kind);
  ApplyFilter();
}

void DifferencesWindow::ShareWidths() {
  // A long definition may not push the values out of sight: its whole text is in the row. A
  // value column is as wide as its header, which names the database, where there is room.
  tree_->resizeColumnToContents(kWhat);
  const int room = std::max(tree_->viewport()->width(), 300);
  tree_->setColumnWidth(kWhat, std::min(tree_->columnWidth(kWhat), room * 3 / 10));
  for (const int column : {kPrimary, kSecondary}) {
    const int header = tree_->header()->sectionSizeHint(column);
    tree_->setColumnWidth(column, std::clamp(header, room / 8, room / 5));
  }
}

void DifferencesWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Not when the window comes back from being minimised: the user's widths stay.
  if (!event->spontaneous()) ShareWidths();
}

void DifferencesWindow::ApplyFilter() {
  if (!run_) return;
  const QString kind = kind_->currentData().toString();
  const QString words = find_->text().trimmed().toCaseFolded();
  int shown = 0;
  int total = 0;
  for (int t = 0; t < tree_->topLevelItemCount(); ++t) {
    QTreeWidgetItem* table = tree_->topLevelItem(t);
    bool any = false;
    for (int d = 0; d < table->childCount(); ++d) {
      QTreeWidgetItem* item = table->child(d);
      const bool show =
          (kind.isEmpty() || item->data(kWhat, kKindRole).toString() == kind) &&
          (words.isEmpty() || item->data(kWhat, kWordsRole).toString().contains(words));
      item->setHidden(!show);
      any |= show;
      shown += show ? 1 : 0;
      ++total;
    }
    table->setHidden(!any);
  }
  const QString counted = total == 1 ? tr("1 difference") : tr("%1 differences").arg(total);
  QString text =
      total == 0
          ? tr("No differences between %1 and %2.").arg(run_->primary_name, run_->secondary_name)
          : tr("%1 between %2 (primary) and %3 (secondary), each shown once.")
                .arg(counted, run_->primary_name, run_->secondary_name);
  if (shown != total) text += ' ' + tr("%1 shown.").arg(shown);
  summary_->setText(text);
}

QString DifferencesWindow::SaveTo(const QString& path, ReportFormat format) const {
  if (!run_) return tr("there is no report to save: no comparison has finished");
  QByteArray content;
  switch (format) {
    case ReportFormat::kText:
      content = run_->report.toUtf8();
      break;
    case ReportFormat::kJson: {
      JsonReport json;
      for (const Difference& difference : run_->differences) json.Found(difference);
      content = json.Document(run_->primary_name, run_->secondary_name, run_->outcome);
      break;
    }
    case ReportFormat::kHtml: {
      HtmlComparison page;
      page.primary_name = run_->primary_name;
      page.secondary_name = run_->secondary_name;
      page.groups = groups_;
      page.not_compared = run_->outcome.not_compared;
      content = HtmlReport(page);
      break;
    }
  }
  return SaveChecked(path, content, IsComparisonReport);
}

void DifferencesWindow::Save() {
  const QString text_filter = tr("Text report (*.txt)");
  const QString json_filter = tr("JSON document (*.json)");
  const QString html_filter = tr("HTML page (*.html)");
  QString chosen = html_filter;
  QString path =
      QFileDialog::getSaveFileName(this, tr("Save Report"), QStringLiteral("report.html"),
                                   text_filter + ";;" + json_filter + ";;" + html_filter, &chosen);
  if (path.isEmpty()) return;
  const QString suffix = QFileInfo(path).suffix().toLower();
  ReportFormat format = ReportFormat::kHtml;
  if (suffix == u"txt" || (suffix.isEmpty() && chosen == text_filter)) {
    format = ReportFormat::kText;
  } else if (suffix == u"json" || (suffix.isEmpty() && chosen == json_filter)) {
    format = ReportFormat::kJson;
  }
  if (suffix.isEmpty()) {
    path += format == ReportFormat::kText   ? QStringLiteral(".txt")
            : format == ReportFormat::kJson ? QStringLiteral(".json")
                                            : QStringLiteral(".html");
  }
  const QString failure = SaveTo(path, format);
  if (!failure.isEmpty()) QMessageBox::warning(this, tr("Save Report"), failure);
}

}  // namespace vantrel::desktop
