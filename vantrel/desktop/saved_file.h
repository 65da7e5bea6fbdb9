// What the window's Save buttons write: a file moved into place whole, each system call
// checked, and never over anything but an empty file or one Vantrel wrote before.
#ifndef VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_
#define VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_

#include <QByteArray>
#include <QString>
#include <functional>

namespace vantrel::desktop {

// Whether a file whose first and last bytes (at most 64 KiB of each) are these is one the
// save may replace.
using EarlierOutput = std::function<bool(const QByteArray& start, const QByteArray& tail)>;

// Writes `content` to `path`: beside it first, synced, then renamed over it, so that a failed
// write or sync (a full disk) leaves what was there. Refuses a link, a folder or a device at
// `path`, and a non-empty file `earlier` does not recognise. Empty on success, otherwise why
// not, in one line that names the file.
QString SaveChecked(const QString& path, const QByteArray& content, const EarlierOutput& earlier);

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_
