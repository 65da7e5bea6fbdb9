#include "corbenna/error_handler.h"

#include <QDir>
#include <QFileInfo>

#include "corbenna/error_record.h"
#include "platform/component/class_factory.h"
#include "platform/component/member_table.h"
#include "platform/winapi/application_log.h"
#include "platform/winapi/message_box.h"

namespace corbenna {
namespace {

using component::InvokeKind;
using component::Variant;

const component::ClassRegistrar kRegistrar(ErrorHandler::ClassInfo(),
                                           [] { return std::make_shared<ErrorHandler>(); });

QString ExecutableName() {
  const QString name =
      QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).completeBaseName();
  return name.isEmpty() ? QStringLiteral("application") : name;
}

}  // namespace

ErrorHandler::ErrorHandler() : strings_(std::make_unique<StringHandler>()) {}
ErrorHandler::~ErrorHandler() = default;

const component::ClassIdentity& ErrorHandler::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("corbenna.ErrorHandler"), QUuid("{61BDD1EA-D895-11D2-A28C-00105A1B541E}"),
      QStringLiteral("_ErrorHandler"), QUuid("{24B1844A-F2B6-11D2-A2DB-00105A1B541E}")};
  return identity;
}

QString ErrorHandler::LogName() const {
  return strings_->IsBlank(app_exe_name_) ? ExecutableName() : app_exe_name_;
}

QString ErrorHandler::LogTarget() const {
  QString folder = app_path_;
  if (strings_->IsBlank(folder)) {
    folder = winapi::DefaultLogFolder(LogName());
    // No state folder to be had: no file at all rather than one in the root folder.
    if (folder.isEmpty()) return QString();
  }
  return folder + QDir::separator() + LogName() + QStringLiteral(".log");
}

void ErrorHandler::LogError(const QString& ModuleName, const QString& RoutineName,
                            int32_t ErrNumber, const QString& ErrDescription,
                            const QString& Comments) noexcept {
  // Every step runs whatever the one before it did; nothing reaches the caller.
  QString record;
  try {
    record = ComposeErrorRecord(
        {app_title_, ModuleName, RoutineName, ErrNumber, ErrDescription, Comments}, *strings_);
  } catch (...) {
  }
  try {
    winapi::WriteApplicationLog(LogTarget(), LogName(), record, winapi::LogEntryType::kError);
  } catch (...) {
  }
  if (!display_errors_) return;
  try {
    winapi::ShowMessageBox({CriticalErrorBoxText(record),
                            app_title_ + QStringLiteral(" - Critical Error"),
                            winapi::MessageIcon::kCritical});
  } catch (...) {
  }
}

Variant ErrorHandler::Invoke(const QString& member, InvokeKind kind,
                             const std::vector<Variant>& arguments) {
  using P = component::Properties<ErrorHandler>;
  using M = component::Methods<ErrorHandler>;
  static const component::MemberTable<ErrorHandler> table{
      {"DisplayErrors", InvokeKind::kPropertyPut, &P::Put<&ErrorHandler::SetDisplayErrors>},
      {"DisplayErrors", InvokeKind::kPropertyGet, &P::Get<&ErrorHandler::DisplayErrors>},
      {"AppExeName", InvokeKind::kPropertyPut, &P::Put<&ErrorHandler::SetAppExeName>},
      {"AppExeName", InvokeKind::kPropertyGet, &P::Get<&ErrorHandler::AppExeName>},
      {"AppPath", InvokeKind::kPropertyPut, &P::Put<&ErrorHandler::SetAppPath>},
      {"AppPath", InvokeKind::kPropertyGet, &P::Get<&ErrorHandler::AppPath>},
      {"AppTitle", InvokeKind::kPropertyPut, &P::Put<&ErrorHandler::SetAppTitle>},
      {"AppTitle", InvokeKind::kPropertyGet, &P::Get<&ErrorHandler::AppTitle>},
      {"LogError", InvokeKind::kMethod, &M::Call<&ErrorHandler::LogError, 4>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
