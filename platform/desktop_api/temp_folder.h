// The folder for temporary files.
#ifndef VANTREL_PLATFORM_DESKTOP_API_TEMP_FOLDER_H_
#define VANTREL_PLATFORM_DESKTOP_API_TEMP_FOLDER_H_

#include <QString>

namespace desktop_api {

// $TMPDIR when it is set and not empty, else "/tmp"; always ending in "/". The folder is not
// checked for existence, as on the original platform. Unlike the original, the result has no
// length limit, so it is never "" and never throws.
QString GetTempPath() noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_TEMP_FOLDER_H_
