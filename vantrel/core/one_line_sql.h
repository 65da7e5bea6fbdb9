// An engine's SQL text (a check, a default, an index's predicate, a view's query) as the report
// shows it: on one line, every run of whitespace between tokens one blank, and the text inside
// string literals and quoted names exactly as the engine holds it, so that 'p q' and 'p  q'
// never look alike.
#ifndef VANTREL_VANTREL_CORE_ONE_LINE_SQL_H_
#define VANTREL_VANTREL_CORE_ONE_LINE_SQL_H_

#include <QString>

namespace vantrel {

// `sql` with leading and trailing whitespace dropped and each run of whitespace outside quotes
// ('…', "…", `…`; a quote doubled inside stands for itself) made one blank. A quote left
// open keeps the rest of the text as it is.
QString OneLineSql(const QString& sql);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_ONE_LINE_SQL_H_
