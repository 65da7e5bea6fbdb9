// What the window's Save buttons write, through the writer every output of Vantrel uses
// (vantrel/core/output_file.h): a file moved into place whole, each write, sync and move
// checked, never over anything but an empty file or one Vantrel wrote before.
#ifndef VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_
#define VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_

#include <QByteArray>
#include <QString>

#include "vantrel/core/output_file.h"

namespace vantrel::desktop {

// Writes `content` to `path`, replacing only an empty file or one `earlier` recognises (from
// its first and last bytes). Empty on success, otherwise why not, in one line that names the
// file and, where the name is taken, asks for another.
QString SaveChecked(const QString& path, const QByteArray& content,
                    const WrittenByVantrel& earlier);

}  // namespace vantrel::desktop

#endif  // VANTREL_VANTREL_DESKTOP_SAVED_FILE_H_
