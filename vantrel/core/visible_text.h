// Names from a database or a file system shown to the user with every character that could move
// the cursor, break a line or paragraph, or turn text around written as a visible escape, so
// that every line break, paragraph and terminal control in a report or message comes from
// Vantrel itself and a name can never forge one. Names of ordinary characters, quotes and
// backslashes included, are shown unchanged.
#ifndef VANTREL_VANTREL_CORE_VISIBLE_TEXT_H_
#define VANTREL_VANTREL_CORE_VISIBLE_TEXT_H_

#include <QString>

namespace vantrel {

// `text` with control characters (U+0000–U+001F, U+007F–U+009F), line and paragraph separators
// (U+2028, U+2029) and every character with Unicode's Bidi_Control property (as ICU reports
// it: U+061C, U+200E, U+200F, U+202A–U+202E, U+2066–U+2069)
// written as "\n", "\r", "\t", "\e" or "\u{XXXX}", and a byte that was not valid UTF-8 in an
// engine's name (a lone surrogate U+DC80–U+DCFF) as "\xNN".
QString VisibleText(const QString& text);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_VISIBLE_TEXT_H_
