// The report as one JSON document, for `vantrel-cli compare --format json` and the window's
// Save Report:
//
//   {"format": "vantrel-comparison", "version": 1,
//    "primary": "Sales Live", "secondary": "Sales Test",
//    "differences": [
//      {"kind": "field-properties", "side": "primary", "table": "Customers",
//       "other_table": "Customers", "field": "Name",
//       "properties": [{"name": "Size", "primary": 50, "secondary": 40}]},
//      {"kind": "field-missing", "side": "primary", "table": "Customers",
//       "other_table": "Customers", "field": "Phone"},
//      {"kind": "field-count", "side": "primary", "table": "Customers",
//       "other_table": "Customers", "primary": 5, "secondary": 4},
//      {"kind": "table-missing", "side": "primary", "table": "Orders"}],
//    "summary": {"differences": 4, "table-missing": 1, "field-missing": 1,
//                "field-properties": 1, "field-count": 1}}
//
// With --objects, a key, index, foreign key or check adds
//      {"kind": "object-properties", "side": "primary", "table": "Orders",
//       "other_table": "Orders", "object_kind": "foreign-key", "name": "fk_customer",
//       "definition": {"primary": "(CustomerId) REFERENCES Customers (Id)",
//                      "secondary": "(CustomerId) REFERENCES Customers (Id)"},
//       "properties": [{"name": "On Delete", "primary": "CASCADE", "secondary": "NO ACTION"}]}
// ("object-missing" has a null definition on the side that lacks it), the summary counts them,
// and "not_compared": [{"side": "secondary", "what": "check constraints"}] lists what a side
// could not tell.
//
// Keys are written in alphabetical order. One object per paragraph of the text report, in its
// order. "side" is the database the walk
// that found it started from: where a missing table or field exists. A value that could not be
// read is null. Names are as the databases give them.
#ifndef VANTREL_VANTREL_CORE_JSON_REPORT_H_
#define VANTREL_VANTREL_CORE_JSON_REPORT_H_

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <map>
#include <vector>

#include "vantrel/core/compare_tables.h"
#include "vantrel/core/comparison_run.h"

namespace vantrel {

// "field-properties": the "kind" a JSON report gives a difference of `kind`.
QString JsonKindName(Difference::Kind kind);

class JsonReport final : public DifferenceObserver {
 public:
  void Found(const Difference& difference) override;
  // The whole document, indented, with a final line break.
  QByteArray Document(const QString& primary_name, const QString& secondary_name,
                      const ComparisonOutcome& outcome = {}) const;
  // The "differences" of Document.
  const QJsonArray& Differences() const { return differences_; }

 private:
  QJsonArray differences_;
  std::map<QString, int> counts_;
};

// The "not_compared" list of a JSON report: one {"side", "what"} object per gap, with
// "reason": "across-engines" where the engines differ; the sides are named `primary` and
// `secondary`.
QJsonArray NotComparedJson(const std::vector<NotCompared>& not_compared, const QString& primary,
                           const QString& secondary);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_JSON_REPORT_H_
