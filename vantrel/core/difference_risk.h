// What a difference risks: whether moving the secondary database's data to the primary's
// definition could fail or lose data, in one line of plain words. A report shows the line under
// its paragraph when asked to explain (--explain), and a JSON report as "risk".
//
// A line starts with its class and a colon ("narrower:", "new NOT NULL:", "safe:"), then says
// what differs on which side and what follows from it:
//   narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit
// Widening and narrowing are judged per type family of the type table
// (dataaccess/catalog/type_kinds.h).
#ifndef VANTREL_VANTREL_CORE_DIFFERENCE_RISK_H_
#define VANTREL_VANTREL_CORE_DIFFERENCE_RISK_H_

#include <QString>

#include "vantrel/core/compare_tables.h"

namespace vantrel {

// The risk of `difference`, whose driving side the report calls `driving_name` and the other
// side `other_name` (display names, as the report shows them). Difference::driving_is_primary
// says which of the two is the primary. Never empty. Throws only std::bad_alloc.
QString DifferenceRisk(const Difference& difference, const QString& driving_name,
                       const QString& other_name);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DIFFERENCE_RISK_H_
