// The directional comparison walk: every table and field of the driving database looked up in
// the other one, with one Difference found for each way they differ: written into the view as
// the report's paragraph (report_text.h), with its risk line when asked, and told to an observer.
#ifndef VANTREL_VANTREL_CORE_COMPARE_TABLES_H_
#define VANTREL_VANTREL_CORE_COMPARE_TABLES_H_

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <vector>

#include "dataaccess/data_objects.h"
#include "dataaccess/table_objects.h"
#include "vantrel/core/comparison_vocabulary.h"
#include "vantrel/core/difference.h"
#include "vantrel/core/results_view.h"

namespace vantrel {

// What a walk leaves out; by default nothing, and the report is the full one. Left-out tables
// and properties are simply not compared: every other paragraph reads as it would without them.
struct WalkOptions {
  // Patterns in the shell's form (*, ?, [...]; '*' also matches '.') on table names as the
  // report shows them ("schema.table" outside the default schema), case-sensitive, matched on
  // the whole name: a character U+0000 is matched like any other, and a byte that was not UTF-8
  // (see dataaccess::NameFromBytes) by the same byte in a pattern built with NameFromBytes. A
  // table is compared when it matches one of `include` (or `include` is empty) and none of
  // `exclude`. A table found on the other side under another letter case counts as matching
  // when either of its two names does.
  QStringList include;
  QStringList exclude;
  // ComparedProperty bits never reported as differing.
  int ignored_properties = 0;
  // ComparedKind bits: what is compared of the tables found on both sides. Tables missing on
  // one side are always reported.
  int compared = kCompareFields;
  // Whether objects that match by definition but are named differently are reported.
  bool compare_names = false;
  // Whether each paragraph is followed by an indented line saying what it risks.
  bool explain = false;
  // Whether each paragraph is followed by one indented line per property that differs, with its
  // value on the primary and on the secondary ("    Size: 50 | 40"), before any risk line.
  bool details = false;
  // Whether the driving side is the primary database, as the risk lines need to know; set by
  // a run for each of its two walks.
  bool driving_is_primary = true;
  // Told of each paragraph as data; may be null. Must not throw.
  DifferenceObserver* observer = nullptr;
  // Whether a run reads both sides whole, with every object, whatever `compared` asks: a
  // migration script makes tables anew from their definitions, and a definition read without
  // its keys, indexes and triggers would leave them out.
  bool read_every_object = false;
};

// Walks `driving` against `other`. The display names are the names under which the user chose
// each database; the report qualifies them with each connection's DatabaseName.
//
// Never throws. Every step is guarded on its own: a failing step is abandoned and the walk goes
// on. A failed lookup counts as a missing table or field; a property or count that cannot be
// read on either side counts as different; a piece of a paragraph that cannot be built is left
// out; what cannot be enumerated, or whose name cannot be read, is not compared.
// Returns the number of paragraphs found.
int CompareTables(dataaccess::DataConnection& driving, const QString& driving_name,
                  dataaccess::DataConnection& other, const QString& other_name, ResultsView& view,
                  const WalkOptions& options = {}) noexcept;

// The members of `patterns` (in the form of WalkOptions::include) that match no table name of
// `first` or of `second`, in their order. Never throws: a table whose name cannot be read is
// passed over, and when a catalog cannot be enumerated nothing is known to be unmatched and the
// result is empty.
QStringList PatternsMatchingNoTable(const QStringList& patterns, dataaccess::DataConnection& first,
                                    dataaccess::DataConnection& second) noexcept;

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARE_TABLES_H_
