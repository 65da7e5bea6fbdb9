// A whole comparison without a window: open both databases, walk the primary against the
// secondary and back, close both. The command line and the tests run it; the main window adds
// its pointer, summary box and error log around the same steps.
#ifndef VANTREL_VANTREL_CORE_COMPARISON_RUN_H_
#define VANTREL_VANTREL_CORE_COMPARISON_RUN_H_

#include <QString>

#include "platform/component/error.h"
#include "vantrel/core/results_view.h"

namespace vantrel {

// One side of a comparison: the name the report shows and how to reach the database.
struct DataSource {
  QString display_name;
  QString database_name;
  QString connect_string;
};

enum class Side { kPrimary, kSecondary };

// A failure to open or close one side, carrying the library's error unchanged.
class SideError : public component::Error {
 public:
  SideError(Side side, const component::Error& error) : component::Error(error), side_(side) {}
  Side side() const { return side_; }

 private:
  Side side_;
};

// Empties the view, opens the primary and then the secondary (read-only), walks both ways and
// closes both. Throws SideError when a database cannot be opened; the secondary is then never
// opened if the primary failed, and an open primary is released without being walked.
void RunComparison(const DataSource& primary, const DataSource& secondary, ResultsView& view);

// True when the report holds nothing but spaces: no differences were found. Throws
// component::Error when the string library cannot be created.
bool ReportIsBlank(const QString& report);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARISON_RUN_H_
