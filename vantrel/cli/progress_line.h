// Progress on one self-erasing line of a terminal. Redraws are limited to a few per second, so
// that a catalog of a hundred thousand columns, or a fleet of a thousand targets, is not slowed
// by the terminal.
#ifndef VANTREL_VANTREL_CLI_PROGRESS_LINE_H_
#define VANTREL_VANTREL_CLI_PROGRESS_LINE_H_

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

#include "vantrel/core/results_view.h"

namespace vantrel::cli {

// The line itself; one thread at a time.
class TerminalLine {
 public:
  explicit TerminalLine(FILE* terminal) : terminal_(terminal) {}
  ~TerminalLine() { Erase(); }
  TerminalLine(const TerminalLine&) = delete;
  TerminalLine& operator=(const TerminalLine&) = delete;

  // Shows `text` (cut to fit a narrow terminal) unless the line was drawn very recently.
  void Show(const QString& text);
  void Erase();

 private:
  FILE* terminal_;
  QElapsedTimer since_draw_;
  bool drawn_ = false;
};

// A results view that shows the table and field in progress.
class ProgressLineView final : public TextResultsView {
 public:
  explicit ProgressLineView(FILE* terminal) : line_(terminal) {}

  void RepaintTableCaption() override { Draw(); }
  void RepaintFieldCaption() override { Draw(); }

 private:
  void Draw();

  TerminalLine line_;  // erased when the view is destroyed
};

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_PROGRESS_LINE_H_
