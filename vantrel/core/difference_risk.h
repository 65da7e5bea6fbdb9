// What a difference risks: whether moving the secondary database's data to the primary's
// definition could fail or lose data, in one line of plain words. A report shows the line under
// its paragraph when asked to explain (--explain), and a JSON report as "risk".
//
// A line starts with its class and a colon, then says what differs on which side (the driving
// side first, as the paragraph names them) and what follows from it:
//   narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit
// Widening and narrowing are judged per type family of the type table
// (dataaccess/catalog/type_kinds.h). Where a paragraph holds several differences, the line
// names the most severe class and, in parentheses, the other classes that risk anything:
//   narrower: Size 50 on 'Sales Live', 40 on 'Sales Test': longer values do not fit (also new
//   NOT NULL)
//
// The classes, most severe first:
//   Data is lost
//     lost             a table, column or sequence only on the secondary: its data is dropped
//     rounded          values are kept with fewer digits (decimal scale, fractions of a second,
//                      a 4-byte float, a decimal or float moved into an integer)
//     type change      a change of kind that drops part of every value (the time of day of a
//                      timestamp moved into a date)
//   Rows are refused
//     narrower         the primary's type or bounds hold less: longer or larger values, negative
//                      numbers in an UNSIGNED column, enum labels it lacks, a sequence's values
//                      outside its bounds, empty values, a partly NULL key under MATCH FULL
//     type change      a change of kind that refuses values of the wrong form (text into a number)
//     new NOT NULL     NOT NULL, or a new column that is NOT NULL without a default
//     new UNIQUE       a primary key, unique index or unique constraint only on the primary
//     new check        a check only on the primary
//     new foreign key  a foreign key only on the primary
//     collation        the primary ignores case or accents where the secondary does not
//     numbering        the primary numbers the column ALWAYS and refuses given values
//   Values change
//     recomputed       a generated column's expression, or generation only on the primary
//     type change      a change of kind whose values are converted (a number into text)
//   What the databases do later differs
//     numbering        the engine numbers new rows on one side only
//     collation        the secondary ignores case or accents where the primary does not, or
//                      the collations sort differently
//     behaviour        triggers, views, ON DELETE and ON UPDATE actions, sequence increments
//                      and cycling, the order of enum labels
//   Nothing is at risk
//     safe             wider types, new columns and tables, dropped constraints, defaults (they
//                      apply to new rows only), positions, names
//     count            a different number of fields: see the field paragraphs
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

// The classes of the header's list, by the group they fall in: what a migration may do to the
// secondary's data without being told that it may.
enum class RiskSeverity {
  kDataLost,     // lost, rounded, type change that drops part of every value
  kRowsRefused,  // narrower, new NOT NULL, new UNIQUE, new check, new foreign key, ...
  kValuesChange,
  kBehaviour,
  kSafe,
};

// The group of the most severe class `difference` risks. Throws only std::bad_alloc.
RiskSeverity DifferenceSeverity(const Difference& difference);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DIFFERENCE_RISK_H_
