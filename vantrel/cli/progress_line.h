// A results view for the command line that shows the table and field in progress on one
// self-erasing line of a terminal. Redraws are limited to a few per second, so that a catalog of
// a hundred thousand columns is not slowed by the terminal.
#ifndef VANTREL_VANTREL_CLI_PROGRESS_LINE_H_
#define VANTREL_VANTREL_CLI_PROGRESS_LINE_H_

#include <QElapsedTimer>
#include <cstdio>

#include "vantrel/core/results_view.h"

namespace vantrel::cli {

class ProgressLineView final : public TextResultsView {
 public:
  explicit ProgressLineView(FILE* terminal);
  ~ProgressLineView() override;  // erases the line

  void RepaintTableCaption() override { Draw(); }
  void RepaintFieldCaption() override { Draw(); }

 private:
  void Draw();
  void Erase();

  FILE* terminal_;
  QElapsedTimer since_draw_;
  bool drawn_ = false;
};

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_PROGRESS_LINE_H_
