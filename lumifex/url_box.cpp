#include "lumifex/url_box.h"

#include <QMouseEvent>

namespace lumifex {

UrlBox::UrlBox(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

void UrlBox::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLineEdit::mousePressEvent(event);
}

void UrlBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLineEdit::mouseReleaseEvent(event);
  if (click) emit clicked();
}

}  // namespace lumifex
