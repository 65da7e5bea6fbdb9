#include "vantrel/desktop/text_fit.h"

#include <QAbstractButton>
#include <QLabel>
#include <algorithm>
#include <climits>

namespace vantrel::desktop {
namespace {
constexpr int kGapPixels = 6;
}  // namespace

void KeepFieldsRightOfCaptions(const QList<QLabel*>& captions, const QList<QWidget*>& fields) {
  int captions_end = 0;
  for (QLabel* caption : captions) {
    caption->ensurePolished();
    captions_end = std::max(captions_end, caption->x() + caption->sizeHint().width());
  }
  const int left = captions_end + kGapPixels;
  for (QWidget* field : fields) {
    if (field->x() >= left) continue;
    const int right = field->geometry().right();
    field->setGeometry(left, field->y(), right - left + 1, field->height());
  }
}

void FitButtonCaptions(const QList<QAbstractButton*>& row) {
  int limit = INT_MAX;  // the left edge of the button to the right, less the gap
  for (auto it = row.rbegin(); it != row.rend(); ++it) {
    QAbstractButton* button = *it;
    button->ensurePolished();  // the style's font and margins decide the size it needs
    const int right = std::min(button->geometry().right(), limit);
    const int width = std::max(button->width(), button->sizeHint().width());
    button->setGeometry(right - width + 1, button->y(), width, button->height());
    limit = button->x() - kGapPixels;
  }
}

}  // namespace vantrel::desktop
