// The "system folder": the folder that holds the settings pointer files of applications.
//
// The original platform keeps them in its machine-wide system folder, which only an
// administrator may write. Here it is a per-user folder of the vendor's, named by the caller, in
// the user's configuration folder ($XDG_CONFIG_HOME when it is an absolute path, else ~/.config),
// so that saving a setting needs no special rights and one user's settings never touch another's.
#ifndef VANTREL_PLATFORM_DESKTOP_API_SYSTEM_FOLDER_H_
#define VANTREL_PLATFORM_DESKTOP_API_SYSTEM_FOLDER_H_

#include <QString>

namespace desktop_api {

// The folder, without a closing "/", created (with its parents) when missing; "" when there is
// no configuration folder ($HOME unset too) or it cannot be created. Never throws.
QString GetSystemDirectory(const QString& vendor_folder) noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_SYSTEM_FOLDER_H_
