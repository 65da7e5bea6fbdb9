// The name of the user who runs the process, in the form of the platform's ANSI user-name call.
#ifndef VANTREL_PLATFORM_WINAPI_USER_NAME_H_
#define VANTREL_PLATFORM_WINAPI_USER_NAME_H_

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/winapi/winapi_export.h"

namespace winapi {

// Copies the name of the process's effective user, in the local 8-bit encoding and followed by
// a NUL, into `buffer`, which holds `*size` characters. On success returns true and sets `*size`
// to the number of characters copied, NUL included. When the buffer is too small it returns
// false, sets `*size` to the size needed and leaves the buffer untouched; when the user has no
// name it returns false and leaves both alone.
WINAPI_EXPORT bool GetUserNameA(char* buffer, uint32_t* size);

// Where the name comes from; by default the user database entry of the effective user.
// Replaceable so that tests can give names the system would not accept (empty restores).
using UserNameSource = std::function<std::optional<QByteArray>()>;
WINAPI_EXPORT void SetUserNameSource(UserNameSource source);

}  // namespace winapi

#endif  // VANTREL_PLATFORM_WINAPI_USER_NAME_H_
