#include "platform/winapi/message_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <utility>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"

namespace winapi {
namespace {

std::mutex presenter_mutex;
std::shared_ptr<MessagePresenter>& Installed() {
  static std::shared_ptr<MessagePresenter> presenter;
  return presenter;
}

// In a host with a QApplication, on its GUI thread: the widget presenter of libvantrel_widgets.so,
// loaded on first use. Elsewhere, or when it cannot be loaded: nullptr.
std::shared_ptr<MessagePresenter> WidgetPresenter() {
  const QCoreApplication* application = QCoreApplication::instance();
  if (!application || !application->inherits("QApplication") ||
      QThread::currentThread() != application->thread()) {
    return nullptr;
  }
  static std::shared_ptr<MessagePresenter> presenter;  // used on the GUI thread only
  if (!presenter) {
    try {
      presenter = std::dynamic_pointer_cast<MessagePresenter>(
          component::CreateObject(QStringLiteral("vantrel_widgets.MessagePresenter")));
    } catch (const component::Error&) {
      // No plug-in: the box goes to standard error instead, and showing a box has no caller
      // that could act on the failure (CONTRIBUTING.md lists this place).
    }
  }
  return presenter;
}

}  // namespace

MessagePresenter::~MessagePresenter() = default;

void StandardErrorPresenter::Show(const MessageBoxRequest& request) {
  QString text = request.text;
  text.replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
  text.replace(u'\n', QStringLiteral(" | "));
  text.replace(u'\r', QStringLiteral(" | "));
  const QString caption = request.caption.isEmpty() ? ProgramTitle() : request.caption;
  const QByteArray line = (caption + QStringLiteral(": ") + text + u'\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
  std::fflush(stderr);
}

void RecordingPresenter::Show(const MessageBoxRequest& request) {
  std::lock_guard lock(mutex_);
  shown_.push_back(request);
}

std::vector<MessageBoxRequest> RecordingPresenter::shown() const {
  std::lock_guard lock(mutex_);
  return shown_;
}

void SetMessagePresenter(std::shared_ptr<MessagePresenter> presenter) {
  std::lock_guard lock(presenter_mutex);
  Installed() = std::move(presenter);
}

void ShowMessageBox(const MessageBoxRequest& request) {
  std::shared_ptr<MessagePresenter> presenter;
  {
    std::lock_guard lock(presenter_mutex);
    presenter = Installed();
  }
  if (!presenter) presenter = WidgetPresenter();
  // Shown outside the lock: a modal box runs an event loop that may show another.
  if (presenter) {
    presenter->Show(request);
  } else {
    StandardErrorPresenter().Show(request);
  }
}

QString ProgramTitle() {
  QString name = QCoreApplication::applicationName();
  if (!name.isEmpty()) return name;
  return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
}

}  // namespace winapi
