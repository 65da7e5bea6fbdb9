// The one table of what a comparison speaks of: the kinds of objects it can be asked to compare,
// the kinds of objects a difference is about, and the properties two objects differ in, each
// with every spelling it has (the command line's word, the report's label, the JSON word, the
// --ignore name, the words a side uses to say it cannot tell it). Every list of kinds or
// properties elsewhere is made from these tables or checked against them by a test.
#ifndef VANTREL_VANTREL_CORE_COMPARISON_VOCABULARY_H_
#define VANTREL_VANTREL_CORE_COMPARISON_VOCABULARY_H_

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

#include "dataaccess/table_objects.h"

namespace vantrel {

// The bits --ignore leaves properties out with (WalkOptions::ignored_properties). Some cover
// several properties: kDefinitionProperty a view's or rule's definition and a trigger's body.
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
  kOnUpdateProperty = 1 << 11,  // a foreign key's, and a field's ON UPDATE
  kDeferrableProperty = 1 << 12,
  kMatchProperty = 1 << 13,
  kDefaultValueProperty = 1 << 14,  // a field's, with kCompareDefaults
  kCollationProperty = 1 << 15,     // a field's, with kCompareCollations
  kGeneratedProperty = 1 << 16,     // a field's generation expression, with kCompareGenerated
  kStorageProperty = 1 << 17,       // a generated field's STORED or VIRTUAL
  kDefinitionProperty = 1 << 18,    // a view's query, a trigger's body, a rule's action
  kTimingProperty = 1 << 19,        // a trigger's, and a rule's INSTEAD
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
  kIncludedProperty = 1 << 30,     // an index's INCLUDE columns
};

// What a walk compares besides tables: their fields, and the objects of dataaccess::ObjectKind
// (a kind's bit is the ObjectKind bit a side tells it with).
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

// A property in which two fields, objects or databases differ.
enum class PropertyId : uint8_t {
  // A field's, in the order a report lists them.
  kAllowZeroLength,
  kAttributes,
  kOrdinalPosition,
  kRequired,
  kSize,
  kDataType,
  kDefaultValue,
  kOnUpdateValue,  // MySQL's ON UPDATE of a column
  kCollation,
  kGenerated,
  kStorage,
  // A key's, an index's, a foreign key's.
  kColumns,
  kUnique,
  kSortOrder,
  kWhere,
  kMethod,
  kIncluded,
  kOnDelete,
  kOnUpdate,
  kDeferrable,
  kMatch,
  kName,  // an object's own name, compared when asked
  // A view's, a trigger's, a rule's, a table's.
  kDefinition,
  kTiming,
  kEvents,
  kLevel,
  kWhen,
  kBody,
  kEvent,
  kInstead,
  kPersistence,
  // A sequence's.
  kIncrement,
  kBounds,
  kStart,
  kCycle,
  kOwnedBy,
  // A collation a database defines.
  kProvider,
  kLocale,
  kDeterministic,
  // The database's own.
  kDefaultCollation,
};

struct PropertyWords {
  PropertyId id;
  const char* label;  // as the report's [list] and a JSON report's "name" call it
  int ignore_bit;     // the ComparedProperty bit that --ignore leaves it out with; 0 for none
};

// Every property, in the order of PropertyId.
std::span<const PropertyWords> Properties();
const PropertyWords& WordsOf(PropertyId id);
inline QString LabelOf(PropertyId id) { return QLatin1String(WordsOf(id).label); }

// The names --ignore takes, one for each ComparedProperty bit.
struct IgnoreName {
  const char* name;  // "data-type"
  int bit;
};
std::span<const IgnoreName> IgnoreNames();

// What a difference is about, besides tables and fields.
enum class ObjectKindId : uint8_t {
  kNone,
  kPrimaryKey,
  kIndex,
  kExclusionConstraint,
  kForeignKey,
  kCheck,
  kView,
  kTrigger,
  kRule,
  kPersistence,
  kSequence,
  kCollation,
};

struct ObjectKindWords {
  ObjectKindId id;
  const char* label;  // the paragraph's opening word: "Primary Key"
  const char* json;   // a JSON report's "object_kind": "primary-key"
  int compared;       // the ComparedKind bit that asks for it
};

// Every kind but kNone, in the order of ObjectKindId.
std::span<const ObjectKindWords> ObjectKinds();
const ObjectKindWords& WordsOf(ObjectKindId id);

// What was asked for but not compared: a kind a side cannot tell, or a part of one that a side
// cannot tell or that two engines write in different SQL. In the order a report says them.
enum class NotComparedId : uint8_t {
  kPrimaryKeys,
  kIndexes,
  kForeignKeys,
  kChecks,
  kDefaults,
  kCollations,
  kGeneratedColumns,
  kViewDefinitions,
  kTriggers,
  kSequences,
  kRules,
  kTablePersistence,
  kIndexMethods,
  kForeignKeyDeferrability,
  kTriggerBodies,
};
// "check constraints": what "Not compared: ..." and a JSON report's "what" say.
QString WordsOf(NotComparedId id);

// What --objects and the window's Compare menu choose from.
struct ComparedKindWords {
  int kind = 0;                  // the ComparedKind bit
  const char* option = nullptr;  // --objects' word: "foreign-keys"
  // What is said where a side cannot tell the kind: "Not compared: foreign keys".
  std::optional<NotComparedId> not_told;
  // Whether that is said only where the other side has something of the kind: only some
  // engines have it, and a side that cannot tell it left nothing out where the other has none.
  bool only_where_the_other_has_some = false;
};

// Every ComparedKind bit but the sums, in the report's order of "Not compared" paragraphs.
std::span<const ComparedKindWords> ComparedKinds();
// The ComparedKind bits of an --objects word ("all" for every one); nothing for another word.
std::optional<int> ComparedKindOfOption(const QString& word);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARISON_VOCABULARY_H_
