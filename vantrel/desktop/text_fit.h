// Keeps a design laid out in twips readable when the desktop's font is wider than the font the
// design was drawn for: captions are never covered by the fields beside them, and buttons show
// their whole caption. Widgets move only when their text would not fit; right edges stay put.
#ifndef VANTREL_VANTREL_DESKTOP_TEXT_FIT_H_
#define VANTREL_VANTREL_DESKTOP_TEXT_FIT_H_

#include <QList>

class QAbstractButton;
class QLabel;
class QWidget;

namespace vantrel::desktop {

// Moves the left edge of each field that starts left of the widest caption's right edge (plus a
// small gap) to just after it, keeping the field's right edge.
void KeepFieldsRightOfCaptions(const QList<QLabel*>& captions, const QList<QWidget*>& fields);

// Widens each button of a row (given left to right) whose caption does not fit, leftwards,
// keeping its right edge unless the button to its right had to grow into it.
void FitButtonCaptions(const QList<QAbstractButton*>& row);

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_TEXT_FIT_H_
