// What the program does with an error that a window's handler passes on unhandled: it shows the
// error in a modal box over `parent` and the program goes on.
#ifndef VANTREL_VANTREL_DESKTOP_UNHANDLED_ERROR_H_
#define VANTREL_VANTREL_DESKTOP_UNHANDLED_ERROR_H_

#include <functional>

class QWidget;

namespace vantrel::desktop {

// Runs `handler`; whatever it throws is shown (a component::Error with its number, a
// std::exception with its text), never propagated.
void RunHandler(QWidget* parent, const std::function<void()>& handler);

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_UNHANDLED_ERROR_H_
