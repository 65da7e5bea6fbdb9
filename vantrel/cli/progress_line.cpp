#include "vantrel/cli/progress_line.h"

namespace vantrel::cli {

namespace {
constexpr qint64 kRedrawIntervalMs = 80;
constexpr qsizetype kMaxLineChars = 76;
}  // namespace

void TerminalLine::Show(const QString& text) {
  if (drawn_ && since_draw_.elapsed() < kRedrawIntervalMs) return;
  QString line = text;
  if (line.size() > kMaxLineChars) line = line.left(kMaxLineChars - 3) + QStringLiteral("...");
  std::fprintf(terminal_, "\r\033[K%s", line.toUtf8().constData());
  std::fflush(terminal_);
  drawn_ = true;
  since_draw_.start();
}

void TerminalLine::Erase() {
  if (!drawn_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  drawn_ = false;
}

void ProgressLineView::Draw() {
  line_.Show(
      QStringLiteral("Searching Table: %1  Field: %2").arg(table_caption(), field_caption()));
}

}  // namespace vantrel::cli
