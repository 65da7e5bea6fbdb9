// A comparison as one self-contained HTML page (`--format html`, the window's Save Report): the
// differences grouped by table, each once, the primary's and the secondary's values in two
// columns, the risk under each, what was not compared, and a filter by kind and a search box
// that work in the page itself, with no server and nothing fetched.
//
// Every text from a database is escaped for HTML. The page also allows no script or style but
// its own (a Content-Security-Policy naming their hashes), so that a name that slipped through
// could still run nothing.
#ifndef VANTREL_VANTREL_CORE_HTML_REPORT_H_
#define VANTREL_VANTREL_CORE_HTML_REPORT_H_

#include <QByteArray>
#include <QString>
#include <vector>

#include "vantrel/core/comparison_run.h"
#include "vantrel/core/difference_groups.h"

namespace vantrel {

// One comparison on a page: what the page says of a pair of databases.
struct HtmlComparison {
  QString primary_name;  // display names, as given
  QString secondary_name;
  std::vector<DifferenceGroup> groups;
  std::vector<NotCompared> not_compared;
  // For a fleet check's target: "identical", "differs" or "failed", and why it failed.
  QString status;
  QString failure;
};

// The page of `compare`: one comparison. Throws only std::bad_alloc.
QByteArray HtmlReport(const HtmlComparison& comparison);

// The page of `check`: the reference against each target, in the order given. Throws only
// std::bad_alloc.
QByteArray HtmlCheckReport(const QString& reference_name,
                           const std::vector<HtmlComparison>& targets);

// `text` with &, <, > and " written as character references (Qt's escaping): safe in text and
// in an attribute, which the page always quotes with ".
QString HtmlEscaped(const QString& text);

// Whether a file that starts with `head` is a page HtmlReport or HtmlCheckReport wrote: what a
// later report may replace.
bool IsHtmlReport(const QByteArray& head);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_HTML_REPORT_H_
