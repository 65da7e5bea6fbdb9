// A menu of choices to tick: ticking an item keeps the menu open, so that several are chosen in
// one visit (Edit > Compare). Items that are not checkable close it as any menu's do.
#ifndef VANTREL_VANTREL_DESKTOP_CHOICE_MENU_H_
#define VANTREL_VANTREL_DESKTOP_CHOICE_MENU_H_

#include <QMenu>

namespace vantrel::desktop {

class ChoiceMenu : public QMenu {
  Q_OBJECT

 public:
  ChoiceMenu(const QString& title, QWidget* parent) : QMenu(title, parent) {}

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Ticks or unticks the active item when it is a choice; false when it is not one.
  bool ToggleActive();
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_CHOICE_MENU_H_
