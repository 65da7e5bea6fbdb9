// The files Vantrel writes (a snapshot, the fleet check's reports, a migration script, the
// window's saved reports), each write checked. A file is written beside its final name and
// moved there only when every byte has reached the disk, so that a full disk or a failed flush
// leaves an existing file as it was; and nothing that is not a file Vantrel wrote is ever
// replaced: a link planted under the name, a folder, another program's file.
#ifndef VANTREL_VANTREL_CORE_OUTPUT_FILE_H_
#define VANTREL_VANTREL_CORE_OUTPUT_FILE_H_

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>
#include <memory>

#include "vantrel/core/report_recognition.h"

namespace vantrel {

// True when the first and the last bytes of an existing regular file (at most kRecognisedEnd
// of each; the whole file twice when it is shorter) show that Vantrel wrote it. Both ends,
// since a JSON document's keys come in name order and "format" may stand far from the start.
using WrittenByVantrel = std::function<bool(const QByteArray& head, const QByteArray& tail)>;

// What is at a path that an output would take.
enum class PathState {
  kFree,         // nothing
  kReplaceable,  // a regular file, empty or one `recognise` accepts
  kTaken,        // anything else: a link (to anything), a folder, a device, another file
};

// What stands at `path` (never following a link there).
PathState StateOf(const QString& path, const WrittenByVantrel& recognise);

// One line saying why `path` is taken ("a link", "a folder", "not a file Vantrel wrote").
QString WhyTaken(const QString& path);

// A new file beside `path` that becomes `path` on Commit. Every failure throws
// component::Error naming `path`: kDiskFull for a full disk, kPermissionDenied, or
// kPathFileAccessError with the system's reason. The temporary file is removed on every way out
// but a successful Commit.
class OutputFile {
 public:
  explicit OutputFile(QString path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Where to write. Its writes are buffered; Commit checks them all.
  QIODevice& Device();

  // Flushes, syncs and closes the file, then moves it to `path` where nothing is there, or over
  // what is there when it is kReplaceable by `recognise`. False, with the file kept for another
  // try, when `path` is taken (StateOf), also by something that appeared there meanwhile; the
  // caller then chooses another name (Retarget) or gives up.
  bool Commit(const WrittenByVantrel& recognise);

  // Another final name in the same folder, after Commit returned false.
  void Retarget(QString path) { path_ = std::move(path); }

 private:
  class Sink;
  // Writes what is buffered, syncs and closes the file; throws on failure.
  void Finish();

  QString path_;
  QByteArray temp_name_;
  int fd_ = -1;
  std::unique_ptr<Sink> sink_;
  bool committed_ = false;
};

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_OUTPUT_FILE_H_
