// A read-only, single-line text box that reports a click, as a web-address link does.
#ifndef VANTREL_LUMIFEX_URL_BOX_H_
#define VANTREL_LUMIFEX_URL_BOX_H_

#include <QLineEdit>

namespace lumifex {

class UrlBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit UrlBox(QWidget* parent = nullptr);

 signals:
  // The left button was pressed and released over the box.
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

}  // namespace lumifex

#endif  // VANTREL_LUMIFEX_URL_BOX_H_
