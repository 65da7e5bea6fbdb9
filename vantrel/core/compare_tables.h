// The directional comparison walk: every table and field of the driving database looked up in
// the other one, with one report paragraph appended to the view for each difference.
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
#include "vantrel/core/results_view.h"

namespace vantrel {

// The six compared properties of a field, in the order a report lists them, and the compared
// properties of keys, indexes and foreign keys.
enum ComparedProperty : int {
  kAllowZeroLengthProperty = 1 << 0,
  kAttributesProperty = 1 << 1,
  kOrdinalPositionProperty = 1 << 2,
  kRequiredProperty = 1 << 3,
  kSizeProperty = 1 << 4,
  kDataTypeProperty = 1 << 5,
  kColumnsProperty = 1 << 6,    // a primary key's columns
  kUniqueProperty = 1 << 7,     // an index
  kSortOrderProperty = 1 << 8,  // an index's ascending and descending parts
  kWhereProperty = 1 << 9,      // a partial index's predicate
  kOnDeleteProperty = 1 << 10,  // a foreign key
  kOnUpdateProperty = 1 << 11,
  kDeferrableProperty = 1 << 12,
  kMatchProperty = 1 << 13,
  kDefaultValueProperty = 1 << 14,  // a field's, with kCompareDefaults
  kCollationProperty = 1 << 15,     // a field's, with kCompareCollations
  kGeneratedProperty = 1 << 16,     // a field's generation expression, with kCompareGenerated
  kStorageProperty = 1 << 17,       // a generated field's STORED or VIRTUAL
  kDefinitionProperty = 1 << 18,    // a view's query, a trigger's body
  kTimingProperty = 1 << 19,        // a trigger
  kEventsProperty = 1 << 20,
  kLevelProperty = 1 << 21,  // FOR EACH ROW or STATEMENT
  kWhenProperty = 1 << 22,
  kIncrementProperty = 1 << 23,  // a sequence
  kBoundsProperty = 1 << 24,
  kStartProperty = 1 << 25,
  kCycleProperty = 1 << 26,
  kOwnedByProperty = 1 << 27,
  kMethodProperty = 1 << 28,       // an index's access method
  kPersistenceProperty = 1 << 29,  // a table's LOGGED or UNLOGGED
};

// What a walk compares besides tables: their fields, and the objects of dataaccess::ObjectKind.
enum ComparedKind : int {
  kCompareFields = 1 << 16,
  kCompareKeys = dataaccess::kPrimaryKeys,
  kCompareIndexes = dataaccess::kIndexes,
  kCompareForeignKeys = dataaccess::kForeignKeys,
  kCompareChecks = dataaccess::kChecks,
  kCompareDefaults = dataaccess::kDefaults,
  kCompareCollations = dataaccess::kCollations,
  kCompareGenerated = dataaccess::kGeneratedColumns,
  kCompareViews = dataaccess::kViews,
  kCompareTriggers = dataaccess::kTriggers,
  kCompareSequences = dataaccess::kSequences,
  kCompareRules = dataaccess::kRules,
  kComparePersistence = dataaccess::kTablePersistence,
  kCompareObjects = kCompareKeys | kCompareIndexes | kCompareForeignKeys | kCompareChecks |
                    kCompareDefaults | kCompareCollations | kCompareGenerated | kCompareViews |
                    kCompareTriggers | kCompareSequences | kCompareRules | kComparePersistence,
  kCompareAll = kCompareFields | kCompareObjects,
};

// What a risk needs to know of a field on one side (Difference::driving_column).
struct ColumnFacts {
  int32_t data_type = 0;  // as dataaccess::DataColumn
  int32_t size = 0;
  int32_t attributes = 0;
  bool required = false;
  QString declared_type;  // as the engine spells it; empty when unknown
  QStringList labels;     // an enumeration's labels where declared_type does not spell them
  bool has_default = false;
  bool default_known = false;  // whether defaults were read: has_default says nothing otherwise
  QString default_value;       // the engine's text
  bool case_blind = false;     // the column's effective collation ignores letter case
  bool accent_blind = false;   // ... or accents
  QString collation;           // the effective collation's name; empty when unknown
};

// One paragraph of the report as data, for machine-readable reports. Names are as the database
// gives them (not escaped for display); "driving" is the side the walk starts from.
struct Difference {
  enum class Kind {
    kTableMissing,        // `table` exists on the driving side only
    kFieldMissing,        // `field` of `table` exists on the driving side only
    kFieldProperties,     // `field` differs in `properties`
    kFieldCount,          // `table` has `driving_count` fields, `other_table` `other_count`
    kObjectMissing,       // `object` of `table` exists on the driving side only
    kObjectProperties,    // `object` differs in `properties`
    kDatabaseProperties,  // the databases differ in `properties` (their default collation)
    kSequenceMissing,     // sequence `object` exists on the driving side only
    kSequenceProperties,  // sequence `object` differs in `properties`
    // Another object of the database (`object_kind` "collation": one it defines itself).
    kDatabaseObjectMissing,     // `object` exists on the driving side only
    kDatabaseObjectProperties,  // `object` differs in `properties`
  };
  struct Property {
    QString name;            // as the report's [list] calls it
    QVariant driving_value;  // invalid when it could not be read
    QVariant other_value;
  };
  Kind kind = Kind::kTableMissing;
  QString table;
  QString other_table;  // the matched table's name; empty for kTableMissing
  QString field;
  std::vector<Property> properties;
  QVariant driving_count;
  QVariant other_count;
  // For an object: its kind ("primary-key", "index", "foreign-key", "check"), its definition
  // and name on the driving side, and the matched object's definition (null when missing).
  QString object_kind;
  QString object;
  QString object_name;
  QString other_object;
  // For a field: its definition on the driving side, and on the other side when it has one.
  std::optional<ColumnFacts> driving_column;
  std::optional<ColumnFacts> other_column;
  // Set by a run: whether the driving side is the primary database.
  bool driving_is_primary = true;
  // What the other side does instead, where another mechanism there serves the same end ("on
  // 'b', column 'last_update' is set ON UPDATE CURRENT_TIMESTAMP instead"); empty otherwise.
  QString instead;
  // What moving the secondary's data to the primary's definition risks, in the words of
  // DifferenceRisk; empty unless the walk was asked to explain.
  QString risk;
};

// Told of every paragraph the walk appends, in the report's order, besides the text.
class DifferenceObserver {
 public:
  virtual ~DifferenceObserver() = default;
  virtual void Found(const Difference& difference) = 0;
};

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
  // Whether the driving side is the primary database, as the risk lines need to know; set by
  // a run for each of its two walks.
  bool driving_is_primary = true;
  // Told of each paragraph as data; may be null. Must not throw.
  DifferenceObserver* observer = nullptr;
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
