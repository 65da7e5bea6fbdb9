// ErrorHandler: logs an unexpected, critical error as one fixed-layout record (error_record.h)
// and, when asked to, shows the record in a critical-error box.
//
// Created by name as "corbenna.ErrorHandler" or by its class identifier. An instance is used by
// the thread that created it. It owns one StringHandler for the whole of its life.
#ifndef VANTREL_CORBENNA_ERROR_HANDLER_H_
#define VANTREL_CORBENNA_ERROR_HANDLER_H_

#include <QString>
#include <cstdint>
#include <memory>

#include "corbenna/corbenna_export.h"
#include "corbenna/string_handler.h"
#include "platform/component/dispatch.h"

namespace corbenna {

class CORBENNA_EXPORT _ErrorHandler : public component::Dispatch {
 public:
  // Composes the record and writes it as one error entry of the application log
  // (platform/winapi/application_log.h) to the target AppPath "/" AppExeName ".log", then, when
  // DisplayErrors is true, shows it in a modal box captioned AppTitle " - Critical Error" with an
  // OK button and the critical icon. Never throws: a step that fails is skipped and the next one
  // runs. Where AppPath is blank the log goes to the per-user state folder
  // ($XDG_STATE_HOME/<name>, or ~/.local/state/<name>), and where AppExeName is blank the file
  // and the log source take the executable's name, so that a record is never written to the
  // root folder or to a hidden ".log" file.
  virtual void LogError(const QString& ModuleName, const QString& RoutineName, int32_t ErrNumber,
                        const QString& ErrDescription,
                        const QString& Comments = QString()) noexcept = 0;
  // The properties store and return the value exactly as passed. Initially false and empty.
  virtual void SetDisplayErrors(bool value) = 0;
  virtual bool DisplayErrors() const = 0;
  virtual void SetAppExeName(const QString& value) = 0;
  virtual QString AppExeName() const = 0;
  virtual void SetAppPath(const QString& value) = 0;
  virtual QString AppPath() const = 0;
  virtual void SetAppTitle(const QString& value) = 0;
  virtual QString AppTitle() const = 0;
};

class CORBENNA_EXPORT ErrorHandler : public _ErrorHandler {
 public:
  ErrorHandler();
  ~ErrorHandler() override;

  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  void LogError(const QString& ModuleName, const QString& RoutineName, int32_t ErrNumber,
                const QString& ErrDescription,
                const QString& Comments = QString()) noexcept override;
  void SetDisplayErrors(bool value) override { display_errors_ = value; }
  bool DisplayErrors() const override { return display_errors_; }
  void SetAppExeName(const QString& value) override { app_exe_name_ = value; }
  QString AppExeName() const override { return app_exe_name_; }
  void SetAppPath(const QString& value) override { app_path_ = value; }
  QString AppPath() const override { return app_path_; }
  void SetAppTitle(const QString& value) override { app_title_ = value; }
  QString AppTitle() const override { return app_title_; }

  // The log file LogError writes to when no system log runs, by the rules above; empty when
  // AppPath is blank and no state folder can be created (the entry then goes to standard error).
  QString LogTarget() const;

  // LogError(ModuleName, RoutineName, ErrNumber, ErrDescription[, Comments]); the four
  // properties, get and put.
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;

 private:
  QString LogName() const;

  QString app_path_;
  QString app_exe_name_;
  bool display_errors_ = false;
  QString app_title_;
  std::unique_ptr<StringHandler> strings_;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_ERROR_HANDLER_H_
