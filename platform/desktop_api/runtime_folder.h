// The per-user runtime folder Qt wants for sockets and similar files ($XDG_RUNTIME_DIR).
#ifndef VANTREL_PLATFORM_DESKTOP_API_RUNTIME_FOLDER_H_
#define VANTREL_PLATFORM_DESKTOP_API_RUNTIME_FOLDER_H_

#include <QString>

namespace desktop_api {

// In a container or a root shell without a login session XDG_RUNTIME_DIR is not set, and Qt
// falls back to QDir::tempPath() + "/runtime-" + the user's name with a warning on standard
// error at every start. Called before the QApplication is created, this takes the same
// fallback without the warning: it creates that folder with mode 0700 when it is missing and
// sets XDG_RUNTIME_DIR to it. It changes nothing when XDG_RUNTIME_DIR is set, and sets nothing
// when the folder is not a private folder of this user (another owner, a symbolic link, other
// permissions), so that Qt says what is wrong with it. Returns the folder it set, or "".
// Never throws.
QString PrepareRuntimeFolder() noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_RUNTIME_FOLDER_H_
