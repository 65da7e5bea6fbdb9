// The program associated with a file: the desktop's default application for the file's type.
//
// The file's type is its MIME type (by name and content); the default application for it is the
// desktop entry that `xdg-mime query default TYPE` names, found in the applications folders of
// $XDG_DATA_HOME (default ~/.local/share) and $XDG_DATA_DIRS (default /usr/local/share and
// /usr/share); its Exec line gives the program and its arguments. `xdg-mime` is looked up on
// PATH and may take up to five seconds before it counts as not answering.
//
// Where this differs from the original platform: the association belongs to a desktop entry,
// which may give the program arguments of its own (see desktop_exec_line.h), so the result keeps
// them; and, as the original platform ignores them in paths, spaces at the end of the file name
// and of the folder are ignored.
#ifndef VANTREL_PLATFORM_DESKTOP_API_ASSOCIATED_PROGRAM_H_
#define VANTREL_PLATFORM_DESKTOP_API_ASSOCIATED_PROGRAM_H_

#include <QString>
#include <QStringList>
#include <optional>

namespace desktop_api {

struct AssociatedProgram {
  QString program;    // absolute path of an executable file
  QStringList words;  // the Exec words after the program, field codes still in place

  // The arguments that open `target` (a file or a web address) with the program; `target` is
  // one argument or part of one, never split or interpreted (see ExpandFieldCodes).
  QStringList ArgumentsFor(const QString& target) const;
};

// The program associated with `file_name` (relative names count from `folder`). nullopt when the
// file does not exist, its type cannot be told (no MIME database), no desktop entry is the default
// for its type, `xdg-mime` is missing or fails, or the entry's program is not an executable file
// (looked up on PATH when it has no
// "/"). Never throws.
std::optional<AssociatedProgram> FindExecutable(const QString& file_name,
                                                const QString& folder) noexcept;

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_ASSOCIATED_PROGRAM_H_
