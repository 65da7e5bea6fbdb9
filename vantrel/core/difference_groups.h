// The differences of a comparison as a reader goes through them, for the HTML report and the
// window's tree: grouped by the table they are in (the database's own first), each difference
// once though both walks find most of them, and beside each property its value on the primary
// and on the secondary. Texts are escaped as the text report escapes them (VisibleText), not
// for any markup.
#ifndef VANTREL_VANTREL_CORE_DIFFERENCE_GROUPS_H_
#define VANTREL_VANTREL_CORE_DIFFERENCE_GROUPS_H_

#include <QString>
#include <vector>

#include "vantrel/core/difference.h"
#include "vantrel/core/difference_risk.h"

namespace vantrel {

struct ShownDifference {
  enum class Presence { kPrimaryOnly, kSecondaryOnly, kBoth };
  struct Value {
    QString property;  // "Size"; for something on one side only, what it is ("Definition")
    QString primary;   // "50"; "missing" where the primary has none
    QString secondary;
  };
  QString kind;     // "Field", "Index", "Table", …: what a filter by kind chooses
  QString subject;  // "Name", "(a, b) (ix_a)": which one of its kind; empty for a table itself
  Presence presence = Presence::kBoth;
  std::vector<Value> values;
  QString risk;  // the --explain line, always filled
  RiskSeverity severity = RiskSeverity::kSafe;

  // "only in the primary", "only in the secondary", "differs".
  QString PresenceWords() const;
  // Whether moving the secondary's data to the primary's definition loses data or refuses rows:
  // what the tree and the page mark.
  bool IsRisky() const {
    return severity == RiskSeverity::kDataLost || severity == RiskSeverity::kRowsRefused;
  }
};

struct DifferenceGroup {
  QString table;  // the primary's name of the table; empty for the database's own differences
  std::vector<ShownDifference> differences;
};

// `differences` (both walks' records, as CompareBothWays tells them) grouped for reading: the
// database's differences first, then each table's in the order of the names (letter case
// ignored), within a table in the report's order. The risks name the sides `primary_name` and
// `secondary_name`. Throws only std::bad_alloc.
std::vector<DifferenceGroup> GroupDifferences(const std::vector<Difference>& differences,
                                              const QString& primary_name,
                                              const QString& secondary_name);

// The number of differences `groups` hold.
size_t CountDifferences(const std::vector<DifferenceGroup>& groups);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DIFFERENCE_GROUPS_H_
