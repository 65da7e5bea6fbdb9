// Starting a program without waiting for it.
#ifndef VANTREL_PLATFORM_DESKTOP_API_PROCESS_START_H_
#define VANTREL_PLATFORM_DESKTOP_API_PROCESS_START_H_

#include <QString>
#include <QStringList>

namespace desktop_api {

// Starts `program` with `arguments`, each handed over as one argument exactly as given (no
// shell, no splitting of a command line), and returns at once: true when the program started,
// false when it could not (missing, not executable). The new process runs on its own; nobody
// waits for it. Where the original platform takes one command line and a window style, this
// platform leaves the window and its focus to the program and the desktop. Never throws.
bool StartProcess(const QString& program, const QStringList& arguments) noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_PROCESS_START_H_
