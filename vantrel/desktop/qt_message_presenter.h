// Library message boxes (the SQL helpers' notices, the critical-error box) as real modal boxes.
#ifndef VANTREL_VANTREL_DESKTOP_QT_MESSAGE_PRESENTER_H_
#define VANTREL_VANTREL_DESKTOP_QT_MESSAGE_PRESENTER_H_

#include "platform/winapi/message_box.h"

namespace vantrel::desktop {

class QtMessagePresenter final : public winapi::MessagePresenter {
 public:
  // Shows an application-modal box with one OK button; returns when it is closed.
  void Show(const winapi::MessageBoxRequest& request) override;
};

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_QT_MESSAGE_PRESENTER_H_
