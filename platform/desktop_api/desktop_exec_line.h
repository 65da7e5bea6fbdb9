// The command of a desktop entry (the Exec key of a .desktop file): split into the program and
// its arguments by the entry format's quoting rules, then given one file or address in place of
// its field codes. The file or address is put in after splitting, as one argument (or one part
// of one argument), so nothing in it is ever read as quoting, a separator or a command.
#ifndef VANTREL_PLATFORM_DESKTOP_API_DESKTOP_EXEC_LINE_H_
#define VANTREL_PLATFORM_DESKTOP_API_DESKTOP_EXEC_LINE_H_

#include <QString>
#include <QStringList>
#include <optional>

namespace desktop_api {

// The words of an Exec value as it stands in the file: first the value's escapes (\s \n \t \r
// \\) are undone, then the words are split at spaces and tabs outside double quotes; inside
// double quotes, a backslash before '"', '`', '$' or '\' stands for that character. nullopt for
// an unclosed quote or an empty command. Field codes are left in place.
std::optional<QStringList> SplitExecLine(const QString& exec);

// `words` with the field codes replaced: %u, %U, %f and %F by `target` (a word that is only the
// code becomes exactly `target`), %% by '%', and all other codes (%i, %c, %k and the deprecated
// ones) removed, with a word that held only such a code dropped. When no word has %u, %U, %f or
// %F, `target` is added as the last word.
QStringList ExpandFieldCodes(const QStringList& words, const QString& target);

}  // namespace desktop_api

#endif  // VANTREL_PLATFORM_DESKTOP_API_DESKTOP_EXEC_LINE_H_
