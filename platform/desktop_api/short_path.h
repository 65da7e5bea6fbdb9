// Short paths. This platform has no short (8.3) names, so the short form of a path is its
// absolute form.
#ifndef VANTREL_PLATFORM_DESKTOP_API_SHORT_PATH_H_
#define VANTREL_PLATFORM_DESKTOP_API_SHORT_PATH_H_

#include <QString>

namespace desktop_api {

// The absolute, cleaned form of `long_path` (relative paths count from the current folder; a
// closing "/" is kept) when the file or folder exists; "" when it does not, or `long_path` is
// empty. Symbolic links are not resolved; a link whose target is missing does not exist. Unlike
// the original platform there is no buffer limit. Never throws.
QString GetShortPathName(const QString& long_path) noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_SHORT_PATH_H_
