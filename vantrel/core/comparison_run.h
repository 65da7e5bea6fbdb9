// A whole comparison without a window: open both databases, walk the primary against the
// secondary and back, close both. The command line and the tests run it; the main window adds
// its pointer, summary box and error log around the same steps.
#ifndef VANTREL_VANTREL_CORE_COMPARISON_RUN_H_
#define VANTREL_VANTREL_CORE_COMPARISON_RUN_H_

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/component/error.h"
#include "vantrel/core/compare_tables.h"
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

// Thrown before any walk when patterns of the walk's options match no table name of either
// database: a misspelt pattern would otherwise leave everything out and find no differences.
class UnmatchedPatternsError : public component::Error {
 public:
  UnmatchedPatternsError(QStringList include, QStringList exclude);
  // The patterns of WalkOptions::include and ::exclude that match nothing, in their order.
  const QStringList& include() const { return include_; }
  const QStringList& exclude() const { return exclude_; }

 private:
  QStringList include_;
  QStringList exclude_;
};

// What a side could not tell of what a run was asked to compare.
struct NotCompared {
  Side side = Side::kPrimary;
  NotComparedId what = NotComparedId::kPrimaryKeys;
  // True for what both sides tell but in different engines' SQL, which no rule compares (view
  // definitions, trigger bodies); `side` is then the primary.
  bool across_engines = false;
};

// How a run ended: the number of difference paragraphs of both walks, and what was asked for
// but not compared, which the report states after them without counting it as a difference.
struct ComparisonOutcome {
  int differences = 0;
  std::vector<NotCompared> not_compared;
};

// Both sides of a run while they are open, for what a caller does before they are closed.
struct OpenSides {
  dataaccess::DataConnection& primary;
  const QString& primary_name;
  dataaccess::DataConnection& secondary;
  const QString& secondary_name;
};

// Where one side's data source comes from: called when the run reaches that side, so that a
// side is looked up only after the other one was opened. May throw component::Error.
using SourceLookup = std::function<DataSource()>;

// The one sequence of a comparison, shared by the window and the command line: empties the
// view, looks up and reaches the primary, then the secondary (read-only, prompt mode 3, any
// prompt on the calling thread), waits for both catalogs, which the library reads at the same
// time on worker threads, walks the primary against the secondary and back, appends one
// paragraph for each kind of object asked for that a side cannot tell, calls `before_close` (if
// any, with the outcome and both sides) while both connections are still open, and closes the
// primary, then the secondary.
//
// A failure to look up, open or close a side throws SideError for that side. The secondary is
// never looked up or contacted when the primary could not be reached or refused the login. A
// failure to read either catalog is that side's open failure (the primary's when both fail),
// thrown before anything is walked; an open connection is then released without being walked
// or closed. So is UnmatchedPatternsError, once both catalogs are read, when a pattern of
// `options` matches no table of either database. What `before_close` throws reaches the caller
// unchanged, with both connections released unclosed. Whatever the walk appended stays in the view.
// `options` leave tables and properties out of both walks.
ComparisonOutcome RunComparison(
    const SourceLookup& primary, const SourceLookup& secondary, ResultsView& view,
    const std::function<void(const ComparisonOutcome&, const OpenSides&)>& before_close = {},
    const WalkOptions& options = {});

// The two walks of a comparison and what follows them, between two open connections: the
// primary walked against the secondary and back (the observer of `options`, if any, told of each
// difference with the side it was found from), then one paragraph for each kind of object asked
// for that a side cannot tell. The display names are the names under which the user chose each
// database. RunComparison and the fleet check both compare with it. Throws only std::bad_alloc.
ComparisonOutcome CompareBothWays(dataaccess::DataConnection& primary, const QString& primary_name,
                                  dataaccess::DataConnection& secondary,
                                  const QString& secondary_name, ResultsView& view,
                                  const WalkOptions& options);

// The same, for data sources known in advance.
ComparisonOutcome RunComparison(const DataSource& primary, const DataSource& secondary,
                                ResultsView& view, const WalkOptions& options = {});

// The options of a read for a walk that compares `compared` (ComparedKind bits): the object
// kinds compared, whose bits are the ObjectKind bits the readers take (data_engine.h).
int32_t OpenOptionsFor(int compared);

// What of `compared` (ComparedKind bits) both sides tell but in different engines' SQL, which is
// not compared (rules 16 and 17 of dataaccess/column_rules.h). Never throws.
std::vector<NotComparedId> KindsNotComparedAcrossEngines(const dataaccess::DataConnection& first,
                                                         const dataaccess::DataConnection& second,
                                                         int compared) noexcept;

// The kinds of `compared` (ComparedKind bits) that `side` cannot tell while `other` is compared
// with it, in the report's order. Never throws.
std::vector<NotComparedId> KindsNotTold(const dataaccess::DataConnection& side,
                                        const dataaccess::DataConnection& other,
                                        int compared) noexcept;

// True when the report holds nothing but spaces: no differences were found. Throws
// component::Error when the string library cannot be created.
bool ReportIsBlank(const QString& report);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARISON_RUN_H_
