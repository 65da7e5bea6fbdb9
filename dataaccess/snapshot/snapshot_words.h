// The words a snapshot spells the values of table objects with, shared by its writer and reader
// so that every word written is one the reader takes back.
#ifndef VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_WORDS_H_
#define VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_WORDS_H_

#include <optional>
#include <string_view>

#include "dataaccess/table_objects.h"

namespace dataaccess {

struct ObjectKindWord {
  ObjectKind kind;
  const char* word;
};
// In the order they are written.
inline constexpr ObjectKindWord kObjectKindWords[] = {
    {kPrimaryKeys, "primary-keys"},
    {kIndexes, "indexes"},
    {kForeignKeys, "foreign-keys"},
    {kChecks, "checks"},
    {kForeignKeyDeferrability, "foreign-key-deferrability"},
    // Version 3 on.
    {kDefaults, "defaults"},
    {kCollations, "collations"},
    {kGeneratedColumns, "generated-columns"},
    {kViews, "views"},
    {kTriggers, "triggers"},
    {kSequences, "sequences"},
    // Version 4 on.
    {kIndexMethods, "index-methods"},
    {kRules, "rules"},
    {kTablePersistence, "table-persistence"},
    {kCollationObjects, "collation-objects"},
};

struct ActionSpelling {
  ReferentialAction action;
  const char* word;
};
inline constexpr ActionSpelling kActionWords[] = {
    {ReferentialAction::kNoAction, "no action"},     {ReferentialAction::kRestrict, "restrict"},
    {ReferentialAction::kCascade, "cascade"},        {ReferentialAction::kSetNull, "set null"},
    {ReferentialAction::kSetDefault, "set default"},
};

inline const char* ActionWord(ReferentialAction action) {
  for (const auto& word : kActionWords) {
    if (word.action == action) return word.word;
  }
  return kActionWords[0].word;
}

inline std::optional<ReferentialAction> ActionOfWord(std::string_view text) {
  for (const auto& word : kActionWords) {
    if (text == word.word) return word.action;
  }
  return std::nullopt;
}

inline std::optional<int> ObjectKindOfWord(std::string_view text) {
  for (const ObjectKindWord& word : kObjectKindWords) {
    if (text == word.word) return word.kind;
  }
  return std::nullopt;
}

// A trigger's timing and events, spelled as TriggerDefinition holds them; null for another word.
inline const char* TimingOfWord(std::string_view text) {
  for (const char* word : {"BEFORE", "AFTER", "INSTEAD OF"}) {
    if (text == word) return word;
  }
  return nullptr;
}
inline const char* EventOfWord(std::string_view text) {
  for (const char* word : {"INSERT", "UPDATE", "DELETE", "TRUNCATE"}) {
    if (text == word) return word;
  }
  return nullptr;
}

// An index's origin; "index" is the default a writer leaves out.
inline const char* OriginWord(IndexDefinition::Origin origin) {
  switch (origin) {
    case IndexDefinition::Origin::kUniqueConstraint:
      return "constraint";
    case IndexDefinition::Origin::kExclusionConstraint:
      return "exclusion";  // version 4 on
    case IndexDefinition::Origin::kIndex:
      break;
  }
  return "index";
}

inline std::optional<IndexDefinition::Origin> OriginOfWord(std::string_view text) {
  if (text == "index") return IndexDefinition::Origin::kIndex;
  if (text == "constraint") return IndexDefinition::Origin::kUniqueConstraint;
  if (text == "exclusion") return IndexDefinition::Origin::kExclusionConstraint;
  return std::nullopt;
}

// A rule's event, spelled as RuleDefinition holds it; null for another word.
inline const char* RuleEventOfWord(std::string_view text) {
  for (const char* word : {"SELECT", "INSERT", "UPDATE", "DELETE"}) {
    if (text == word) return word;
  }
  return nullptr;
}

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_WORDS_H_
