// The narrow window onto the results that the comparison writes to: the results box
// (txtResults) and the two progress captions (lblTableName, lblField). The main window, the
// command line and the tests each provide one.
//
// Any member may throw component::Error; the comparison guards every call on its own.
#ifndef VANTREL_VANTREL_CORE_RESULTS_VIEW_H_
#define VANTREL_VANTREL_CORE_RESULTS_VIEW_H_

#include <QString>

namespace vantrel {

class ResultsView {
 public:
  virtual ~ResultsView() = default;

  // The report text.
  virtual void ClearText() = 0;
  virtual void AppendText(const QString& text) = 0;
  virtual QString Text() const = 0;
  // Shows the report as it stands now, without waiting for the event loop.
  virtual void RepaintText() = 0;

  // The table and field in progress.
  virtual void SetTableCaption(const QString& caption) = 0;
  virtual void RepaintTableCaption() = 0;
  virtual void SetFieldCaption(const QString& caption) = 0;
  virtual void RepaintFieldCaption() = 0;
};

// A view that only keeps what it is given: the report text and the two captions.
class TextResultsView : public ResultsView {
 public:
  void ClearText() override { text_.clear(); }
  void AppendText(const QString& text) override { text_ += text; }
  QString Text() const override { return text_; }
  void RepaintText() override {}
  void SetTableCaption(const QString& caption) override { table_caption_ = caption; }
  void RepaintTableCaption() override {}
  void SetFieldCaption(const QString& caption) override { field_caption_ = caption; }
  void RepaintFieldCaption() override {}

  const QString& table_caption() const { return table_caption_; }
  const QString& field_caption() const { return field_caption_; }

 private:
  QString text_;
  QString table_caption_;
  QString field_caption_;
};

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_RESULTS_VIEW_H_
