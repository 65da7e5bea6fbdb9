#include "platform/desktop_api/process_start.h"

#include <QProcess>

namespace winapi {

bool StartProcess(const QString& program, const QStringList& arguments) noexcept {
  if (program.isEmpty()) return false;
  return QProcess::startDetached(program, arguments);
}

}  // namespace winapi
