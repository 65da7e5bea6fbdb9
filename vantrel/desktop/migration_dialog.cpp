#include "vantrel/desktop/migration_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSyntaxHighlighter>
#include <QVBoxLayout>

#include "dataaccess/data_objects.h"
#include "vantrel/core/migration_script.h"
#include "vantrel/core/visible_text.h"

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
  // Never through a link, and never over a file the user keeps for something else.
  struct stat facts {};
  const QByteArray bytes = dataaccess::NameToBytes(path);
  if (::lstat(bytes.constData(), &facts) == 0) {
    if (!S_ISREG(facts.st_mode)) {
      return tr("'%1' is a link, a folder or a device; choose another name").arg(VisibleText(path));
    }
    QFile existing(path);
    if (facts.st_size > 0 && (!existing.open(QIODevice::ReadOnly) ||
                              !IsMigrationScript(existing.read(qint64{64} * 1024)))) {
      return tr("'%1' is not a script Vantrel wrote; choose another name").arg(VisibleText(path));
    }
  }
  // Written beside the name, synced and moved there whole: a failed write, flush or sync (a
  // full disk) leaves what was there. Each system call is checked, since a buffered writer may
  // report a write that never reached the disk as done.
  QByteArray temp = bytes + ".tmp-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return tr("cannot write '%1': %2").arg(VisibleText(path), qt_error_string(errno));
  const QByteArray text = script_.toUtf8();
  qsizetype done = 0;
  int error = 0;
  while (done < text.size() && error == 0) {
    const ssize_t wrote =
        ::write(fd, text.constData() + done, static_cast<size_t>(text.size() - done));
    if (wrote < 0 && errno != EINTR) error = errno;
    if (wrote > 0) done += wrote;
  }
  if (error == 0 && ::fchmod(fd, 0644) != 0) error = errno;
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.constData(), bytes.constData()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.constData());
    return tr("cannot write '%1': %2").arg(VisibleText(path), qt_error_string(error));
  }
  return QString();
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
