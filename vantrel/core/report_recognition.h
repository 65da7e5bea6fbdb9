// Whether a file is a comparison report Vantrel wrote, in any of its formats: what a later
// report (the fleet check's --reports, the window's Save Report) may replace. Anything else at
// the name is the user's and is left alone.
#ifndef VANTREL_VANTREL_CORE_REPORT_RECOGNITION_H_
#define VANTREL_VANTREL_CORE_REPORT_RECOGNITION_H_

#include <QByteArray>

namespace vantrel {

// How much of each end of a file is read to recognise it.
inline constexpr qint64 kRecognisedEnd = qint64{64} * 1024;

// True when a file whose first and last bytes (at most kRecognisedEnd of each; the whole file
// twice when it is shorter) are `start` and `tail` is a report: text whose every paragraph
// opens as the report's paragraphs do ("Table: '…", "Not compared: …"), a comparison's JSON
// document (its "format" near the end, as its keys come in name order), or an HTML page of
// HtmlReport.
bool IsComparisonReport(const QByteArray& start, const QByteArray& tail);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_REPORT_RECOGNITION_H_
