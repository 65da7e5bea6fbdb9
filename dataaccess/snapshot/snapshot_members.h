// The members a snapshot's objects have, as the reader knows them: each kind of object's list,
// with each member's type and whether it must be there, and from which version of the format
// the members of a table and the kinds of objects may appear. The writer's words for values are
// in snapshot_words.h.
#ifndef VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_MEMBERS_H_
#define VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_MEMBERS_H_

#include "dataaccess/table_objects.h"

namespace dataaccess::snapshot_members {

// The fields of a column, as bits of what was seen.
enum ColumnField : unsigned {
  kName = 1u << 0,
  kDeclaredType = 1u << 1,
  kDataType = 1u << 2,
  kSize = 1u << 3,
  kOrdinalPosition = 1u << 4,
  kRequired = 1u << 5,
  kAttributes = 1u << 6,
  kAllowZeroLength = 1u << 7,
  kAllColumnFields = (1u << 8) - 1,
};

struct FieldName {
  const char* text;
  unsigned bit;
};
constexpr FieldName kColumnFields[] = {
    {"name", kName},
    {"declared_type", kDeclaredType},
    {"data_type", kDataType},
    {"size", kSize},
    {"ordinal_position", kOrdinalPosition},
    {"required", kRequired},
    {"attributes", kAttributes},
    {"allow_zero_length", kAllowZeroLength},
};

// The members of a table's objects. Each kind of object has its list; an object's members seen so
// far are bits by their place in that list, and the name is always first.
enum class MemberType {
  kText,
  kFlag,
  kNames,
  kParts,
  kAction,
  kOrigin,
  kInteger,
  kTiming,
  kRuleEvent
};
enum class MemberId {
  kName,
  kColumns,
  kParts,
  kUnique,
  kPredicate,
  kOrigin,
  kColumn,
  kExpression,
  kDescending,
  kReferencedTable,
  kReferencedColumns,
  kOnDelete,
  kOnUpdate,
  kDeferrable,
  kInitiallyDeferred,
  kMatchFull,
  kDefault,
  kCollation,
  kCharacterSet,
  kCollationLocale,
  kCollationDeterministic,
  kGenerated,
  kGeneratedStored,
  kTiming,
  kEvents,
  kUpdateColumns,
  kForEachRow,
  kWhen,
  kBody,
  kStart,
  kIncrement,
  kMinimum,
  kMaximum,
  kCycle,
  kOwnedBy,
  kMethod,
  kOperatorClass,
  kExclusionOperator,
  kEvent,
  kInstead,
  kDefinition,
  kProvider,
  kLocale,
  kDeterministic,
  kOnUpdateExpression,
  kNullsNotDistinct,
  kIncluded,
  kNullsReversed,
  kPrefixLength,
};
struct Member {
  const char* text;
  MemberId id;
  MemberType type;
  bool required;
};
constexpr Member kPrimaryKeyMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"columns", MemberId::kColumns, MemberType::kNames, true},
};
constexpr Member kIndexMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"parts", MemberId::kParts, MemberType::kParts, true},
    {"unique", MemberId::kUnique, MemberType::kFlag, false},
    {"predicate", MemberId::kPredicate, MemberType::kText, false},
    {"origin", MemberId::kOrigin, MemberType::kOrigin, false},
    {"method", MemberId::kMethod, MemberType::kText, false},  // version 4 on
    // Version 5 on.
    {"nulls_not_distinct", MemberId::kNullsNotDistinct, MemberType::kFlag, false},
    {"included", MemberId::kIncluded, MemberType::kNames, false},
};
// A part has a column or an expression, which FinishPart checks.
constexpr Member kPartMembers[] = {
    {"column", MemberId::kColumn, MemberType::kText, false},
    {"expression", MemberId::kExpression, MemberType::kText, false},
    {"descending", MemberId::kDescending, MemberType::kFlag, false},
    // Version 4 on.
    {"operator_class", MemberId::kOperatorClass, MemberType::kText, false},
    {"collation", MemberId::kCollation, MemberType::kText, false},
    // Version 5 on.
    {"nulls_reversed", MemberId::kNullsReversed, MemberType::kFlag, false},
    {"prefix_length", MemberId::kPrefixLength, MemberType::kInteger, false},
    {"exclusion_operator", MemberId::kExclusionOperator, MemberType::kText, false},
};
constexpr Member kForeignKeyMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"columns", MemberId::kColumns, MemberType::kNames, true},
    {"referenced_table", MemberId::kReferencedTable, MemberType::kText, true},
    {"referenced_columns", MemberId::kReferencedColumns, MemberType::kNames, true},
    {"on_delete", MemberId::kOnDelete, MemberType::kAction, true},
    {"on_update", MemberId::kOnUpdate, MemberType::kAction, true},
    {"deferrable", MemberId::kDeferrable, MemberType::kFlag, false},
    {"initially_deferred", MemberId::kInitiallyDeferred, MemberType::kFlag, false},
    {"match_full", MemberId::kMatchFull, MemberType::kFlag, false},
};
constexpr Member kCheckMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"expression", MemberId::kExpression, MemberType::kText, true},
};

// Version 3 on.
constexpr Member kColumnDetailMembers[] = {
    {"column", MemberId::kColumn, MemberType::kText, true},
    {"default", MemberId::kDefault, MemberType::kText, false},
    {"collation", MemberId::kCollation, MemberType::kText, false},
    {"character_set", MemberId::kCharacterSet, MemberType::kText, false},
    {"collation_locale", MemberId::kCollationLocale, MemberType::kText, false},
    {"collation_deterministic", MemberId::kCollationDeterministic, MemberType::kFlag, false},
    {"generated", MemberId::kGenerated, MemberType::kText, false},
    {"generated_stored", MemberId::kGeneratedStored, MemberType::kFlag, false},
    {"on_update", MemberId::kOnUpdateExpression, MemberType::kText, false},  // version 4 on
};
constexpr Member kTriggerMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"timing", MemberId::kTiming, MemberType::kTiming, true},
    {"events", MemberId::kEvents, MemberType::kNames, true},
    {"update_columns", MemberId::kUpdateColumns, MemberType::kNames, false},
    {"for_each_row", MemberId::kForEachRow, MemberType::kFlag, false},
    {"when", MemberId::kWhen, MemberType::kText, false},
    {"body", MemberId::kBody, MemberType::kText, true},
};
constexpr Member kSequenceMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"start", MemberId::kStart, MemberType::kInteger, true},
    {"increment", MemberId::kIncrement, MemberType::kInteger, true},
    {"minimum", MemberId::kMinimum, MemberType::kInteger, true},
    {"maximum", MemberId::kMaximum, MemberType::kInteger, true},
    {"cycle", MemberId::kCycle, MemberType::kFlag, false},
    {"owned_by", MemberId::kOwnedBy, MemberType::kText, false},
};

// Version 4 on.
constexpr Member kRuleMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"event", MemberId::kEvent, MemberType::kRuleEvent, true},
    {"instead", MemberId::kInstead, MemberType::kFlag, false},
    {"definition", MemberId::kDefinition, MemberType::kText, true},
};
constexpr Member kCollationMembers[] = {
    {"name", MemberId::kName, MemberType::kText, true},
    {"provider", MemberId::kProvider, MemberType::kText, true},
    {"locale", MemberId::kLocale, MemberType::kText, true},
    {"deterministic", MemberId::kDeterministic, MemberType::kFlag, false},
};

// The members of a table that hold its objects, as bits of what was seen; column_details,
// triggers and view_definition from version 3 on, rules and unlogged from version 4 on.
constexpr const char* kTableObjectMembers[] = {"primary_key",     "indexes",        "foreign_keys",
                                               "checks",          "column_details", "triggers",
                                               "view_definition", "rules",          "unlogged"};
constexpr unsigned kFirstVersion3Member = 1u << 4;
constexpr unsigned kViewDefinitionBit = 1u << 6;
constexpr unsigned kFirstVersion4Member = 1u << 7;
constexpr unsigned kUnloggedBit = 1u << 8;

// The object kinds a file of version 2 cannot name, and those a file of version 3 cannot.
constexpr int kVersion3Kinds = kAllObjectKinds & ~kKeyObjectKinds;
constexpr int kVersion4Kinds = kPostgresObjectKinds;

}  // namespace dataaccess::snapshot_members

#endif  // VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_MEMBERS_H_
