#include "vantrel/cli/progress_line.h"

namespace vantrel::cli {

namespace {
constexpr qint64 kRedrawIntervalMs = 80;
constexpr qsizetype kMaxLineChars = 76;
}  // namespace

ProgressLineView::ProgressLineView(FILE* terminal) : terminal_(terminal) {}

ProgressLineView::~ProgressLineView() { Erase(); }

void ProgressLineView::Draw() {
  if (drawn_ && since_draw_.elapsed() < kRedrawIntervalMs) return;
  QString line =
      QStringLiteral("Searching Table: %1  Field: %2").arg(table_caption(), field_caption());
  if (line.size() > kMaxLineChars) line = line.left(kMaxLineChars - 3) + QStringLiteral("...");
  std::fprintf(terminal_, "\r\033[K%s", line.toUtf8().constData());
  std::fflush(terminal_);
  drawn_ = true;
  since_draw_.start();
}

void ProgressLineView::Erase() {
  if (!drawn_) return;
  std::fputs("\r\033[K", terminal_);
  std::fflush(terminal_);
  drawn_ = false;
}

}  // namespace vantrel::cli
