// The directional comparison walk: every table and field of the driving database looked up in
// the other one, with one report paragraph appended to the view for each difference.
#ifndef VANTREL_VANTREL_CORE_COMPARE_TABLES_H_
#define VANTREL_VANTREL_CORE_COMPARE_TABLES_H_

#include <QString>

#include "dataaccess/data_objects.h"
#include "vantrel/core/results_view.h"

namespace vantrel {

// Walks `driving` against `other`. The display names are the names under which the user chose
// each database; the report qualifies them with each connection's DatabaseName.
//
// Never throws. Every step is guarded on its own: a failing step is abandoned and the walk goes
// on. A failed lookup counts as a missing table or field; a property or count that cannot be
// read on either side counts as different; a piece of a paragraph that cannot be built is left
// out; what cannot be enumerated, or whose name cannot be read, is not compared.
void CompareTables(dataaccess::DataConnection& driving, const QString& driving_name,
                   dataaccess::DataConnection& other, const QString& other_name,
                   ResultsView& view) noexcept;

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARE_TABLES_H_
