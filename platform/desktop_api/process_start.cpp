#include "platform/desktop_api/process_start.h"

#include <QProcess>

namespace desktop_api {

bool StartProcess(const QString& program, const QStringList& arguments) noexcept {
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, arguments);
}

}  // namespace desktop_api
