// The main window's results box and progress labels as the comparison's results view.
//
// The walk asks for a repaint after every change, which for a catalog of a hundred thousand
// fields would be a hundred thousand paints. Repaints are therefore coalesced to the display's
// frame rate: a repaint asked for less than a frame after the last one is held back and done by
// the next request that falls a frame or more later, or by Flush(). Nobody can see more than
// one paint a frame, and each appended paragraph is on screen within a frame of the next request.
// The text appended and the captions reach their widgets at those paints too, each in one
// piece: the box lays its document out anew at every insertion, and a label its text at every
// change, which for the pieces of every paragraph and every field of a large catalog cost a
// third of the run.
#ifndef VANTREL_VANTREL_DESKTOP_RESULTS_BOX_VIEW_H_
#define VANTREL_VANTREL_DESKTOP_RESULTS_BOX_VIEW_H_

#include <QElapsedTimer>
#include <QString>

#include "vantrel/core/results_view.h"

class QLabel;
class QPlainTextEdit;

namespace vantrel::desktop {

class ResultsBoxView final : public ResultsView {
 public:
  // The widgets must outlive the view.
  ResultsBoxView(QPlainTextEdit* results, QLabel* table_caption, QLabel* field_caption);

  void ClearText() override;
  // Adds the text at the end of the box without rewriting what it holds.
  void AppendText(const QString& text) override;
  // The box's text; line breaks come back as "\n".
  QString Text() const override;
  void RepaintText() override;
  void SetTableCaption(const QString& caption) override;
  void RepaintTableCaption() override;
  void SetFieldCaption(const QString& caption) override;
  void RepaintFieldCaption() override;

  // Paints whatever is still held back.
  void Flush();

 private:
  void RepaintWhenDue();
  // Puts the text appended since the last paint at the end of the box.
  void InsertPendingText() const;

  QPlainTextEdit* results_;
  QLabel* table_caption_;
  QLabel* field_caption_;
  QElapsedTimer since_paint_;
  qint64 frame_ms_;
  bool text_dirty_ = false;
  bool captions_dirty_ = false;
  mutable QString pending_text_;  // appended, not yet in the box
  QString table_caption_text_;    // the captions the labels show at the next paint
  QString field_caption_text_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_RESULTS_BOX_VIEW_H_
