#include "vantrel/desktop/results_box_view.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <cmath>

namespace vantrel::desktop {
namespace {

qint64 FrameMilliseconds(const QWidget* widget) {
  const QScreen* screen = widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
  const qreal rate = screen ? screen->refreshRate() : 60.0;
  return rate >= 1.0 ? std::max<qint64>(1, std::lround(1000.0 / rate)) : 16;
}

}  // namespace

ResultsBoxView::ResultsBoxView(QPlainTextEdit* results, QLabel* table_caption,
                               QLabel* field_caption)
    : results_(results),
      table_caption_(table_caption),
      field_caption_(field_caption),
      frame_ms_(FrameMilliseconds(results)) {}

void ResultsBoxView::ClearText() {
  results_->clear();
  pending_text_.clear();
  text_dirty_ = true;
}

void ResultsBoxView::AppendText(const QString& text) {
  pending_text_ += text;
  text_dirty_ = true;
}

QString ResultsBoxView::Text() const {
  InsertPendingText();
  return results_->toPlainText();
}

void ResultsBoxView::InsertPendingText() const {
  if (pending_text_.isEmpty()) return;
  QTextCursor end(results_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(pending_text_);
  pending_text_.clear();
}

void ResultsBoxView::RepaintText() { RepaintWhenDue(); }

void ResultsBoxView::SetTableCaption(const QString& caption) {
  table_caption_text_ = caption;
  captions_dirty_ = true;
}

void ResultsBoxView::RepaintTableCaption() { RepaintWhenDue(); }

void ResultsBoxView::SetFieldCaption(const QString& caption) {
  field_caption_text_ = caption;
  captions_dirty_ = true;
}

void ResultsBoxView::RepaintFieldCaption() { RepaintWhenDue(); }

void ResultsBoxView::RepaintWhenDue() {
  if (since_paint_.isValid() && since_paint_.elapsed() < frame_ms_) return;
  Flush();
}

void ResultsBoxView::Flush() {
  if (text_dirty_) {
    InsertPendingText();
    // Keeps the newest paragraph in sight, as a growing log is read.
    results_->verticalScrollBar()->setValue(results_->verticalScrollBar()->maximum());
    results_->viewport()->repaint();
    text_dirty_ = false;
  }
  if (captions_dirty_) {
    table_caption_->setText(table_caption_text_);
    field_caption_->setText(field_caption_text_);
    table_caption_->repaint();
    field_caption_->repaint();
    captions_dirty_ = false;
  }
  since_paint_.start();
}

}  // namespace vantrel::desktop
