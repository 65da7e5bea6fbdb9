// The store's list operations on Qt's list widgets.
#ifndef VANTREL_VANTREL_DESKTOP_WIDGET_LISTS_H_
#define VANTREL_VANTREL_DESKTOP_WIDGET_LISTS_H_

#include <QComboBox>
#include <QListWidget>

#include "vantrel/core/list_control.h"

namespace vantrel::desktop {

// A drop-down list; filling it leaves nothing selected.
class ComboBoxList final : public ListControl {
 public:
  explicit ComboBoxList(QComboBox* box) : box_(box) {}
  void Clear() override { box_->clear(); }
  void AddItem(const QString& text) override {
    box_->addItem(text);
    box_->setCurrentIndex(-1);
  }

 private:
  QComboBox* box_;
};

class ListBoxList final : public ListControl {
 public:
  explicit ListBoxList(QListWidget* list) : list_(list) {}
  void Clear() override { list_->clear(); }
  void AddItem(const QString& text) override { list_->addItem(text); }

 private:
  QListWidget* list_;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_WIDGET_LISTS_H_
