// The two operations the data source store needs of a list on screen: a drop-down list of the
// main window or the list box of the Data Source Manager. The window code adapts its widgets.
#ifndef VANTREL_VANTREL_CORE_LIST_CONTROL_H_
#define VANTREL_VANTREL_CORE_LIST_CONTROL_H_

#include <QString>

namespace vantrel {

class ListControl {
 public:
  virtual ~ListControl() = default;
  // Removes every item.
  virtual void Clear() = 0;
  // Appends one item.
  virtual void AddItem(const QString& text) = 0;
};

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_LIST_CONTROL_H_
