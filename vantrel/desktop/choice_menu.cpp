#include "vantrel/desktop/choice_menu.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantrel::desktop {

bool ChoiceMenu::ToggleActive() {
  QAction* action = activeAction();
  if (action == nullptr || !action->isEnabled() || !action->isCheckable() || action->menu()) {
    return false;
  }
  action->trigger();
  return true;
}

void ChoiceMenu::mouseReleaseEvent(QMouseEvent* event) {
  if (rect().contains(event->position().toPoint()) && ToggleActive()) return;
  QMenu::mouseReleaseEvent(event);
}

void ChoiceMenu::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && ToggleActive()) {
    return;
  }
  QMenu::keyPressEvent(event);
}

}  // namespace vantrel::desktop
