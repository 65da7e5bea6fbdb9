#include "vantrel/core/comparison_vocabulary.h"

#include <array>
#include <cstddef>

namespace vantrel {
namespace {

using P = PropertyId;

constexpr PropertyWords kProperties[] = {
    {P::kAllowZeroLength, "Allow Zero Length", kAllowZeroLengthProperty},
    {P::kAttributes, "Attributes", kAttributesProperty},
    {P::kOrdinalPosition, "Ordinal Position", kOrdinalPositionProperty},
    {P::kRequired, "Required", kRequiredProperty},
    {P::kSize, "Size", kSizeProperty},
    {P::kDataType, "Data Type", kDataTypeProperty},
    {P::kDefaultValue, "Default Value", kDefaultValueProperty},
    {P::kOnUpdateValue, "On Update", kOnUpdateProperty},
    {P::kCollation, "Collation", kCollationProperty},
    {P::kGenerated, "Generated", kGeneratedProperty},
    {P::kStorage, "Storage", kStorageProperty},
    {P::kColumns, "Columns", kColumnsProperty},
    {P::kUnique, "Unique", kUniqueProperty},
    {P::kSortOrder, "Sort Order", kSortOrderProperty},
    {P::kWhere, "Where", kWhereProperty},
    {P::kMethod, "Method", kMethodProperty},
    {P::kIncluded, "Included Columns", kIncludedProperty},
    {P::kOnDelete, "On Delete", kOnDeleteProperty},
    {P::kOnUpdate, "On Update", kOnUpdateProperty},
    {P::kDeferrable, "Deferrable", kDeferrableProperty},
    {P::kMatch, "Match", kMatchProperty},
    // Names are compared only when asked (--compare-names), never left out by --ignore.
    {P::kName, "Name", 0},
    {P::kDefinition, "Definition", kDefinitionProperty},
    {P::kTiming, "Timing", kTimingProperty},
    {P::kEvents, "Events", kEventsProperty},
    {P::kLevel, "Level", kLevelProperty},
    {P::kWhen, "When", kWhenProperty},
    {P::kBody, "Body", kDefinitionProperty},
    {P::kEvent, "Event", kEventsProperty},
    {P::kInstead, "Instead", kTimingProperty},
    {P::kPersistence, "Persistence", kPersistenceProperty},
    {P::kIncrement, "Increment", kIncrementProperty},
    {P::kBounds, "Bounds", kBoundsProperty},
    {P::kStart, "Start", kStartProperty},
    {P::kCycle, "Cycle", kCycleProperty},
    {P::kOwnedBy, "Owned By", kOwnedByProperty},
    // A collation a database defines, and the databases' default collation, are always compared.
    {P::kProvider, "Provider", 0},
    {P::kLocale, "Locale", 0},
    {P::kDeterministic, "Deterministic", 0},
    {P::kDefaultCollation, "Default Collation", 0},
};

constexpr IgnoreName kIgnoreNames[] = {
    {"allow-zero-length", kAllowZeroLengthProperty},
    {"attributes", kAttributesProperty},
    {"ordinal-position", kOrdinalPositionProperty},
    {"required", kRequiredProperty},
    {"size", kSizeProperty},
    {"data-type", kDataTypeProperty},
    {"columns", kColumnsProperty},
    {"unique", kUniqueProperty},
    {"sort-order", kSortOrderProperty},
    {"where", kWhereProperty},
    {"on-delete", kOnDeleteProperty},
    {"on-update", kOnUpdateProperty},
    {"deferrable", kDeferrableProperty},
    {"match", kMatchProperty},
    {"default", kDefaultValueProperty},
    {"collation", kCollationProperty},
    {"generated", kGeneratedProperty},
    {"storage", kStorageProperty},
    {"definition", kDefinitionProperty},
    {"timing", kTimingProperty},
    {"events", kEventsProperty},
    {"level", kLevelProperty},
    {"when", kWhenProperty},
    {"increment", kIncrementProperty},
    {"bounds", kBoundsProperty},
    {"start", kStartProperty},
    {"cycle", kCycleProperty},
    {"owned-by", kOwnedByProperty},
    {"method", kMethodProperty},
    {"persistence", kPersistenceProperty},
    {"included", kIncludedProperty},
};

using K = ObjectKindId;

constexpr ObjectKindWords kObjectKinds[] = {
    {K::kPrimaryKey, "Primary Key", "primary-key", kCompareKeys},
    {K::kIndex, "Index", "index", kCompareIndexes},
    {K::kExclusionConstraint, "Exclusion Constraint", "exclusion-constraint", kCompareIndexes},
    {K::kForeignKey, "Foreign Key", "foreign-key", kCompareForeignKeys},
    {K::kCheck, "Check", "check", kCompareChecks},
    {K::kView, "View", "view", kCompareViews},
    {K::kTrigger, "Trigger", "trigger", kCompareTriggers},
    {K::kRule, "Rule", "rule", kCompareRules},
    {K::kPersistence, "Persistence", "persistence", kComparePersistence},
    {K::kSequence, "Sequence", "sequence", kCompareSequences},
    {K::kCollation, "Collation", "collation", kCompareCollations},
};

using N = NotComparedId;

constexpr ComparedKindWords kComparedKinds[] = {
    {kCompareFields, "fields", std::nullopt, false},
    {kCompareKeys, "keys", N::kPrimaryKeys, false},
    {kCompareIndexes, "indexes", N::kIndexes, false},
    {kCompareForeignKeys, "foreign-keys", N::kForeignKeys, false},
    {kCompareChecks, "checks", N::kChecks, false},
    {kCompareDefaults, "defaults", N::kDefaults, false},
    {kCompareCollations, "collations", N::kCollations, false},
    {kCompareGenerated, "generated", N::kGeneratedColumns, false},
    {kCompareViews, "views", N::kViewDefinitions, false},
    {kCompareTriggers, "triggers", N::kTriggers, false},
    {kCompareSequences, "sequences", N::kSequences, false},
    {kCompareRules, "rules", N::kRules, true},
    {kComparePersistence, "persistence", N::kTablePersistence, true},
};

// In the order of NotComparedId.
constexpr const char* kNotComparedWords[] = {
    "primary keys",
    "indexes",
    "foreign keys",
    "check constraints",
    "column defaults",
    "collations",
    "generated columns",
    "view definitions",
    "triggers",
    "sequences",
    "rules",
    "whether tables are logged",
    "index methods and included columns",
    "whether foreign keys are deferrable",
    "trigger bodies",
};
static_assert(std::size(kNotComparedWords) == static_cast<size_t>(N::kTriggerBodies) + 1);

// Each table is in the order of its enum, so that an id is its row.
constexpr bool InIdOrder() {
  for (size_t i = 0; i < std::size(kProperties); ++i) {
    if (static_cast<size_t>(kProperties[i].id) != i) return false;
  }
  for (size_t i = 0; i < std::size(kObjectKinds); ++i) {
    if (static_cast<size_t>(kObjectKinds[i].id) != i + 1) return false;
  }
  return true;
}
static_assert(InIdOrder());
static_assert(std::size(kProperties) == static_cast<size_t>(PropertyId::kDefaultCollation) + 1);
static_assert(std::size(kObjectKinds) == static_cast<size_t>(ObjectKindId::kCollation));

}  // namespace

std::span<const PropertyWords> Properties() { return kProperties; }

const PropertyWords& WordsOf(PropertyId id) { return kProperties[static_cast<size_t>(id)]; }

std::span<const IgnoreName> IgnoreNames() { return kIgnoreNames; }

std::span<const ObjectKindWords> ObjectKinds() { return kObjectKinds; }

const ObjectKindWords& WordsOf(ObjectKindId id) {
  // kNone has no words of its own; it is never rendered.
  static constexpr ObjectKindWords kNoKind{ObjectKindId::kNone, "", "", 0};
  return id == ObjectKindId::kNone ? kNoKind : kObjectKinds[static_cast<size_t>(id) - 1];
}

std::span<const ComparedKindWords> ComparedKinds() { return kComparedKinds; }

QString WordsOf(NotComparedId id) {
  return QLatin1String(kNotComparedWords[static_cast<size_t>(id)]);
}

std::optional<int> ComparedKindOfOption(const QString& word) {
  if (word == u"all") return kCompareAll;
  for (const ComparedKindWords& kind : kComparedKinds) {
    if (word == QLatin1String(kind.option)) return kind.kind;
  }
  return std::nullopt;
}

}  // namespace vantrel
