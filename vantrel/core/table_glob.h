// Shell patterns over table names, as --include and --exclude take them.
//
// A name or pattern is seen as one element per character, where a lone surrogate (a byte that
// was not UTF-8 in an engine's name, see dataaccess/data_objects.h) and U+0000 are characters
// like any other: a name is matched whole, by what it holds, never as a C string (which is why
// neither fnmatch nor Qt's wildcard expressions, which refuse text that is not UTF-16, serve).
// Pure functions: any thread.
#ifndef VANTREL_VANTREL_CORE_TABLE_GLOB_H_
#define VANTREL_VANTREL_CORE_TABLE_GLOB_H_

#include <QString>
#include <string>

namespace vantrel {

// `text` as the matcher sees it: one element per character.
std::u32string GlobText(const QString& text);

// True when `pattern` matches the whole of `name`, both from GlobText: '*' any run of
// characters, '?' any one, [...] one of a set ('!' or '^' negates, ranges, [:alpha:] and the
// other POSIX classes), a backslash takes the next character literally; '*' and '?' match '.',
// '/' and U+0000 too. A '[' without its ']' stands for itself.
bool GlobMatches(const std::u32string& pattern, const std::u32string& name);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_TABLE_GLOB_H_
