#include "vantrel/desktop/migration_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>

#include "vantrel/core/migration_script.h"
#include "vantrel/core/visible_text.h"
#include "vantrel/desktop/saved_file.h"

namespace vantrel::desktop {
namespace {

// Marks what does not run: the reason a step is held back or not written, and its statements,
// which the script holds as comments.
class HeldBackMarks final : public QSyntaxHighlighter {
 public:
  explicit HeldBackMarks(QTextDocument* document) : QSyntaxHighlighter(document) {
    reason_.setForeground(QColor(0xA0, 0x10, 0x10));
    reason_.setFontWeight(QFont::Bold);
    statement_.setForeground(QColor(0xA0, 0x10, 0x10));
    statement_.setBackground(QColor(0xFD, 0xEC, 0xEC));
  }

 protected:
  void highlightBlock(const QString& text) override {
    if (text.startsWith(u"-- HELD BACK: ") || text.startsWith(u"-- NOT WRITTEN: ")) {
      setFormat(0, static_cast<int>(text.size()), reason_);
    } else if (text.startsWith(u"-- | ")) {
      setFormat(0, static_cast<int>(text.size()), statement_);
    }
  }

 private:
  QTextCharFormat reason_;
  QTextCharFormat statement_;
};

}  // namespace

MigrationDialog::MigrationDialog(const QString& script, int steps, int held_back, QWidget* parent)
    : QDialog(parent), script_(script) {
  setObjectName(QStringLiteral("frmMigration"));
  setWindowTitle(tr("Migration Script"));
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setWordWrap(true);
  const QString counted = steps == 1 ? tr("1 step") : tr("%1 steps").arg(steps);
  summary_->setText(
      steps == 0 ? tr("Nothing differs: the script has nothing to do.")
      : held_back == 0
          ? tr("%1, none held back. Run it on the secondary database after a backup.").arg(counted)
          : tr("%1, %2 held back: marked in red, written as comments under their "
               "reason. vantrel-cli migrate --allow-unsafe writes them.")
                .arg(counted)
                .arg(held_back));
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("txtScript"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setPlainText(script);
  new HeldBackMarks(text_->document());
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* save = buttons->addButton(tr("&Save..."), QDialogButtonBox::ActionRole);
  save->setObjectName(QStringLiteral("cmdSave"));
  QPushButton* copy = buttons->addButton(tr("&Copy"), QDialogButtonBox::ActionRole);
  copy->setObjectName(QStringLiteral("cmdCopy"));
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  close->setObjectName(QStringLiteral("cmdClose"));
  connect(save, &QPushButton::clicked, this, [this] { Save(); });
  connect(copy, &QPushButton::clicked, this, [this] { Copy(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(text_, 1);
  layout->addWidget(buttons);
  resize(900, 600);
}

QString MigrationDialog::SaveTo(const QString& path) const {
  return SaveChecked(path, script_.toUtf8(), [](const QByteArray& start, const QByteArray&) {
    return IsMigrationScript(start);
  });
}

void MigrationDialog::Save() {
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Save Migration Script"), QStringLiteral("migrate.sql"),
                                   tr("SQL scripts (*.sql);;All files (*)"));
  if (path.isEmpty()) return;
  const QString failure = SaveTo(path);
  if (!failure.isEmpty()) QMessageBox::warning(this, tr("Save Migration Script"), failure);
}

void MigrationDialog::Copy() { QApplication::clipboard()->setText(script_); }

}  // namespace vantrel::desktop
