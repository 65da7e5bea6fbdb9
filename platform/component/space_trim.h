// Trimming as the whole system means it: only the space character (U+0020) is removed; tabs,
// line breaks and other white space are kept.
#ifndef VANTREL_PLATFORM_COMPONENT_SPACE_TRIM_H_
#define VANTREL_PLATFORM_COMPONENT_SPACE_TRIM_H_

#include <QString>

namespace component {

// `text` without its leading and trailing spaces.
inline QString TrimSpaces(const QString& text) {
  qsizetype first = 0;
  qsizetype end = text.size();
  while (first < end && text[first] == u' ') ++first;
  while (end > first && text[end - 1] == u' ') --end;
  return text.mid(first, end - first);
}

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_SPACE_TRIM_H_
