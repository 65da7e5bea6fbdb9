// The application log: one entry per call, to the system log when one runs, else to a file.
//
// WriteApplicationLog tries, in order:
//   1. the system log, when its socket (/dev/log by default) accepts a datagram: the entry is
//      sent as one syslog message (facility user, the entry's severity) under `source`; the
//      journal or the syslog daemon keeps it;
//   2. the file `target`, appended in one write as
//        --- 2026-12-06T20:49:51.123+00:00 Error vantrel[1234] ---
//        <the record, unchanged>
//        --- end of entry ---
//      creating the file if needed (but not its folder). The file is the owner's alone (0600,
//      set on a file that was there with another mode too); a symbolic link, or anything but a
//      regular file, in its place is refused rather than followed, and the entry goes on to 3;
//   3. standard error, in the file's layout, so that an entry is never lost without a trace.
// It throws nothing and returns where the entry went.
#ifndef VANTREL_PLATFORM_WINAPI_APPLICATION_LOG_H_
#define VANTREL_PLATFORM_WINAPI_APPLICATION_LOG_H_

#include <QString>

#include "platform/winapi/winapi_export.h"

namespace winapi {

enum class LogEntryType { kError, kWarning, kInformation };
enum class LogDestination { kSystemLog, kFile, kStandardError };

WINAPI_EXPORT LogDestination WriteApplicationLog(const QString& target, const QString& source,
                                                 const QString& record, LogEntryType type);

// The system log's socket. Tests point it at a socket of their own, or at a path where none
// exists to take the file road; an empty path restores /dev/log.
WINAPI_EXPORT void SetSystemLogSocket(const QString& path);
WINAPI_EXPORT QString SystemLogSocket();

// The entry as the file road writes it, for `now` given as ISO text.
WINAPI_EXPORT QByteArray FileEntry(const QString& timestamp, const QString& source,
                                   const QString& record, LogEntryType type);

// The folder for the logs of the application `application` when its caller names none:
// $XDG_STATE_HOME/<application>, or ~/.local/state/<application>. Created (0700) if missing;
// returns an empty text when it cannot be created.
WINAPI_EXPORT QString DefaultLogFolder(const QString& application);

}  // namespace winapi

#endif  // VANTREL_PLATFORM_WINAPI_APPLICATION_LOG_H_
