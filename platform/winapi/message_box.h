// The one road by which library code shows a message box to the user.
//
// Library code calls ShowMessageBox; what the user sees depends on the presenter installed in
// the process, and without one on the host: in a host that runs a QApplication, a modal Qt
// message box (from libvantrel_widgets.so, loaded on first use on the GUI thread); elsewhere one
// line on standard error. Tests install a RecordingPresenter. ShowMessageBox returns when the
// presenter has shown the box (for a modal box, when the user has closed it).
#ifndef VANTREL_PLATFORM_WINAPI_MESSAGE_BOX_H_
#define VANTREL_PLATFORM_WINAPI_MESSAGE_BOX_H_

#include <QString>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/winapi/winapi_export.h"

namespace winapi {

enum class MessageIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };

// A box with one OK button.
struct MessageBoxRequest {
  QString text;
  QString caption;  // empty: the program's own title, as the platform does
  MessageIcon icon = MessageIcon::kNone;
};

class WINAPI_EXPORT MessagePresenter {
 public:
  virtual ~MessagePresenter();
  // Shows the box and returns once it is closed. May throw; callers decide whether that matters.
  virtual void Show(const MessageBoxRequest& request) = 0;
};

// "caption: text" on one line of standard error, line breaks shown as " | ".
class WINAPI_EXPORT StandardErrorPresenter : public MessagePresenter {
 public:
  void Show(const MessageBoxRequest& request) override;
};

// Keeps every request, for tests. Thread-safe.
class WINAPI_EXPORT RecordingPresenter : public MessagePresenter {
 public:
  void Show(const MessageBoxRequest& request) override;
  std::vector<MessageBoxRequest> shown() const;

 private:
  mutable std::mutex mutex_;
  std::vector<MessageBoxRequest> shown_;
};

// Installs the presenter for the whole process; nullptr restores the default one.
WINAPI_EXPORT void SetMessagePresenter(std::shared_ptr<MessagePresenter> presenter);
// Shows the box through the installed presenter.
WINAPI_EXPORT void ShowMessageBox(const MessageBoxRequest& request);

// Installs a presenter for the life of the object, then restores the default one.
class WINAPI_EXPORT ScopedMessagePresenter {
 public:
  explicit ScopedMessagePresenter(std::shared_ptr<MessagePresenter> presenter) {
    SetMessagePresenter(std::move(presenter));
  }
  ~ScopedMessagePresenter() { SetMessagePresenter(nullptr); }
};

// The program's own title: the application name when one is set, else the executable's name.
WINAPI_EXPORT QString ProgramTitle();

}  // namespace winapi

#endif  // VANTREL_PLATFORM_WINAPI_MESSAGE_BOX_H_
