#include "dataaccess/snapshot/snapshot_reader.h"
#include "dataaccess/data_objects.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dataaccess/catalog/shared_values.h"
#include "dataaccess/errors.h"
#include "dataaccess/snapshot.h"
#include "dataaccess/snapshot/snapshot_members.h"
#include "dataaccess/snapshot/snapshot_text.h"
#include "dataaccess/snapshot/snapshot_words.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

using Json = nlohmann::json;
using namespace snapshot_members;  // NOLINT(google-build-using-namespace): the format's own words

constexpr char kFormatMarker[] = "vantrel-snapshot";

struct Failure {
  int32_t number;
  QString what;
};

// One scalar of the document, as the SAX events give it.
struct Scalar {
  enum Kind { kNull, kBoolean, kInteger, kOutOfRange, kFloat, kString } kind = kNull;
  int64_t integer = 0;
  bool boolean = false;
  const std::string* text = nullptr;
};

// Where in the document a list of objects is, and how its items and key are named.
struct ListKind {
  int list;  // the handler's Level of the list and of its items
  int item;
  const char* key;
  const char* expectation;
};

// Follows the SAX events of a snapshot and fills a catalog. Every unexpected event records one
// failure and stops the parse; fields it does not know are skipped, whatever they hold.
class SnapshotHandler final : public nlohmann::json_sax<Json> {
 public:
  SnapshotHandler(CatalogTables& tables, const SnapshotText& text) : tables_(tables), text_(text) {}

  bool null() override { return OnScalar({Scalar::kNull}); }
  bool boolean(bool value) override { return OnScalar({Scalar::kBoolean, 0, value}); }
  bool number_integer(number_integer_t value) override {
    return OnScalar({Scalar::kInteger, value});
  }
  bool number_unsigned(number_unsigned_t value) override {
    if (value > static_cast<number_unsigned_t>(std::numeric_limits<int64_t>::max())) {
      return OnScalar({Scalar::kOutOfRange});
    }
    return OnScalar({Scalar::kInteger, static_cast<int64_t>(value)});
  }
  // A number written without fraction or exponent lands here when it is beyond 64 bits.
  bool number_float(number_float_t, const string_t& token) override {
    const bool whole = token.find_first_of(".eE") == std::string::npos;
    return OnScalar({whole ? Scalar::kOutOfRange : Scalar::kFloat});
  }
  bool string(string_t& value) override { return OnScalar({Scalar::kString, 0, false, &value}); }
  bool binary(binary_t&) override { return OnScalar({Scalar::kNull}); }

  bool start_object(std::size_t) override { return OnOpen(false); }
  bool start_array(std::size_t) override { return OnOpen(true); }
  bool end_object() override { return OnClose(); }
  bool end_array() override { return OnClose(); }

  bool key(string_t& name) override {
    if (skip_depth_ > 0) return true;
    key_ = name;
    return true;
  }

  bool parse_error(std::size_t, const std::string& last_token,
                   const nlohmann::detail::exception&) override {
    if (text_.ReachedEnd()) {
      return Fail(
          kDatabaseDamaged,
          QStringLiteral("the file ends too early, as if truncated (%1)").arg(text_.Where()));
    }
    // The token can be a whole string or number of the file: only its start is quoted.
    QString token = QString::fromUtf8(
        last_token.data(), static_cast<qsizetype>(std::min<size_t>(last_token.size(), 160)));
    if (token.size() > 40 || last_token.size() > 160)
      token = token.left(40) + QStringLiteral("...");
    return Fail(kDatabaseDamaged, QStringLiteral("the file is not well-formed JSON (%1, near '%2')")
                                      .arg(text_.Where(), token));
  }

  // What the document lacked once it ended; the failure of the parse, if any, first.
  std::optional<Failure> Outcome() const {
    if (failure_) return failure_;
    if (!marker_seen_) return Foreign();
    if (!version_) return Failure{kDatabaseDamaged, QStringLiteral("\"version\" is missing")};
    if (database_.isNull()) {
      return Failure{kDatabaseDamaged, QStringLiteral("\"database\" is missing")};
    }
    if (!tables_seen_) return Failure{kDatabaseDamaged, QStringLiteral("\"tables\" is missing")};
    if (*version_ >= 2 && !object_kinds_seen_) {
      return Failure{kDatabaseDamaged, QStringLiteral("\"object_kinds\" is missing")};
    }
    if ((*version_ < 3 && (object_kinds_ & kVersion3Kinds) != 0) ||
        (*version_ < 4 && (object_kinds_ & kVersion4Kinds) != 0)) {
      return Failure{kDatabaseDamaged,
                     QStringLiteral("\"object_kinds\" names a kind that version %1 does not know")
                         .arg(*version_)};
    }
    return std::nullopt;
  }

  const QString& database() const { return database_; }
  const QString& engine() const { return engine_; }
  // A file of version 1 knows no objects, whatever it holds.
  int object_kinds() const { return version_ && *version_ >= 2 ? object_kinds_ : 0; }
  // What a file of version 3 says of the database besides its tables; nothing for an older one.
  DatabaseObjects TakeDatabaseObjects() {
    return version_ && *version_ >= 3 ? std::move(database_objects_) : DatabaseObjects();
  }

 private:
  // In the order of nesting from kTable on: Place() tells a table's parts by it.
  enum class Level {
    kDocument,
    kRoot,
    kObjectKinds,
    kSequences,
    kSequence,
    kCollations,
    kCollation,
    kTables,
    kTable,
    kColumns,
    kColumn,
    kPrimaryKey,
    kIndexes,
    kIndex,
    kParts,
    kPart,
    kForeignKeys,
    kForeignKey,
    kChecks,
    kCheck,
    kColumnDetails,
    kColumnDetail,
    kTriggers,
    kTrigger,
    kRules,
    kRule,
    kNames,  // the column names of a key, in the object at names_parent_
  };

  static Failure Foreign() {
    return {kNotADatabase, QStringLiteral("is not a Vantrel snapshot: it lacks \"format\": \"%1\"")
                               .arg(QLatin1String(kFormatMarker))};
  }

  bool Fail(int32_t number, const QString& what) {
    if (failure_) return false;
    // Before the marker, nothing says the document was meant to be a snapshot at all.
    failure_ = marker_seen_ || number == kSnapshotTooNew ? Failure{number, what} : Foreign();
    return false;
  }

  // "table 13 ("orders"), column 4: "size"": where the current key is, in words.
  QString Place() const {
    QString place;
    if (level_ >= Level::kTable) {
      place = QStringLiteral("table %1").arg(table_count_);
      if (!table_name_.isNull()) place += QStringLiteral(" (\"%1\")").arg(table_name_);
      place += QStringLiteral(", ");
    }
    const bool in_column =
        level_ == Level::kColumn || (level_ == Level::kNames && names_parent_ == Level::kColumn);
    if (in_column) {
      place += QStringLiteral("column %1").arg(columns_.size() + 1);
      if (column_seen_ & kName) place += QStringLiteral(" (\"%1\")").arg(column_.name);
      place += QStringLiteral(", ");
    }
    if (level_ > Level::kColumn && !IsList(level_) && !in_column) {
      place += ObjectNoun();
      if (!ObjectName().isEmpty()) place += QStringLiteral(" (\"%1\")").arg(ObjectName());
      place += QStringLiteral(", ");
    }
    if (level_ == Level::kPart) place += QStringLiteral("part %1, ").arg(part_count_);
    if (level_ == Level::kSequence) {
      place += QStringLiteral("sequence %1").arg(object_count_);
      if (!sequence_.name.isEmpty()) place += QStringLiteral(" (\"%1\")").arg(sequence_.name);
      place += QStringLiteral(", ");
    }
    if (level_ == Level::kCollation) {
      place += QStringLiteral("collation %1").arg(object_count_);
      if (!collation_.name.isEmpty()) place += QStringLiteral(" (\"%1\")").arg(collation_.name);
      place += QStringLiteral(", ");
    }
    return place + QStringLiteral("\"%1\"").arg(QString::fromStdString(key_));
  }

  bool WrongType(const char* expected) {
    return Fail(kDatabaseDamaged, QStringLiteral("%1 should be %2").arg(Place(), expected));
  }

  bool OnOpen(bool array) {
    if (skip_depth_ > 0) {
      ++skip_depth_;
      return true;
    }
    switch (level_) {
      case Level::kDocument:
        if (array) return Fail(kNotADatabase, QString());
        level_ = Level::kRoot;
        return true;
      case Level::kRoot:
        if (key_ == "format") return Fail(kNotADatabase, QString());
        if (key_ == "version") return WrongType("a whole number");
        if (key_ == "database" || key_ == "engine") return WrongType("a text");
        if (key_ == "object_kinds" && version_ != 1) {
          if (!array) return WrongType("an array of object kinds");
          if (object_kinds_seen_)
            return Fail(kDatabaseDamaged, QStringLiteral("\"object_kinds\" is given twice"));
          object_kinds_seen_ = true;
          level_ = Level::kObjectKinds;
          return true;
        }
        if (IsDatabaseField())
          return WrongType(key_ == kDeterministicField ? "true or false" : "a text");
        if (key_ == "sequences" && Knows(3)) {
          if (!array) return WrongType("an array of sequence objects");
          if (sequences_seen_)
            return Fail(kDatabaseDamaged, QStringLiteral("\"sequences\" is given twice"));
          sequences_seen_ = true;
          object_count_ = 0;
          level_ = Level::kSequences;
          return true;
        }
        if (key_ == "collations" && Knows(4)) {
          if (!array) return WrongType("an array of collation objects");
          if (collations_seen_)
            return Fail(kDatabaseDamaged, QStringLiteral("\"collations\" is given twice"));
          collations_seen_ = true;
          object_count_ = 0;
          level_ = Level::kCollations;
          return true;
        }
        if (key_ != "tables") break;
        if (!array) return WrongType("an array of tables");
        if (tables_seen_)
          return Fail(kDatabaseDamaged, QStringLiteral("\"tables\" is given twice"));
        tables_seen_ = true;
        level_ = Level::kTables;
        return true;
      case Level::kTables:
        if (array)
          return Fail(kDatabaseDamaged,
                      QStringLiteral("table %1 should be an object").arg(table_count_ + 1));
        ++table_count_;
        table_name_ = QString();
        table_is_view_ = false;
        columns_.clear();
        columns_seen_ = false;
        objects_ = TableObjects();
        table_members_seen_ = 0;
        key_.clear();
        level_ = Level::kTable;
        return true;
      case Level::kTable:
        if (key_ == "name") return WrongType("a text");
        if (key_ == "view") return WrongType("true or false");
        if (const unsigned bit = TableObjectBit(); bit != 0) return OpenTableObjects(bit, array);
        if (key_ != "columns") break;
        if (!array) return WrongType("an array of columns");
        if (columns_seen_)
          return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
        columns_seen_ = true;
        level_ = Level::kColumns;
        return true;
      case Level::kColumns:
        if (array) {
          key_ = "columns";
          return WrongType("an array of column objects");
        }
        column_ = ColumnDefinition();
        column_seen_ = 0;
        column_labels_seen_ = false;
        key_.clear();
        level_ = Level::kColumn;
        return true;
      case Level::kColumn:
        if (ColumnBit() != 0) return WrongType(ExpectedFor(ColumnBit()));
        if (key_ == "labels" && Knows(4)) {  // an enumeration's labels, version 4 on
          if (!array) return WrongType("an array of texts");
          if (column_labels_seen_)
            return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
          column_labels_seen_ = true;
          names_ = &column_.labels;
          names_parent_ = Level::kColumn;
          level_ = Level::kNames;
          return true;
        }
        break;
      case Level::kObjectKinds:
        key_ = "object_kinds";
        return WrongType("an array of object kinds");
      case Level::kIndexes:
      case Level::kForeignKeys:
      case Level::kChecks:
      case Level::kParts:
      case Level::kColumnDetails:
      case Level::kTriggers:
      case Level::kRules:
      case Level::kSequences:
      case Level::kCollations:
        if (array) return WrongListItem();
        return OpenObject(static_cast<Level>(ListOf(level_)->item));
      case Level::kNames:
        return WrongType("an array of texts");
      case Level::kPrimaryKey:
      case Level::kIndex:
      case Level::kPart:
      case Level::kForeignKey:
      case Level::kCheck:
      case Level::kColumnDetail:
      case Level::kTrigger:
      case Level::kRule:
      case Level::kSequence:
      case Level::kCollation:
        if (const Member* member = CurrentMember()) {
          if (!MarkSeen(*member)) return false;
          if (array && member->type == MemberType::kNames) {
            names_ = NamesOf(member->id);
            names_parent_ = level_;
            level_ = Level::kNames;
            return true;
          }
          if (array && member->type == MemberType::kParts) {
            part_count_ = 0;
            level_ = Level::kParts;
            return true;
          }
          return WrongType(Expectation(member->type));
        }
        break;
    }
    skip_depth_ = 1;  // a field this reader does not know
    return true;
  }

  // The member of the table at `bit` (of kTableObjectMembers) opens: an object for the primary
  // key, an array for the lists. A file of a version that knows no such member skips it.
  bool OpenTableObjects(unsigned bit, bool array) {
    if (!KnowsTableMember(bit)) {
      skip_depth_ = 1;
      return true;
    }
    if (bit == kViewDefinitionBit) return WrongType("a text");
    if (bit == kUnloggedBit) return WrongType("true or false");
    const bool key = bit == 1u;
    if (array == key) return WrongType(key ? "an object" : ListExpectationOf(bit));
    if (table_members_seen_ & bit)
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
    table_members_seen_ |= bit;
    object_count_ = 0;
    if (key) return OpenObject(Level::kPrimaryKey);
    level_ = static_cast<Level>(ListNamed(key_)->list);
    return true;
  }

  // True unless the file's version is known and older than `version`.
  bool Knows(int64_t version) const { return !version_ || *version_ >= version; }
  bool KnowsTableMember(unsigned bit) const {
    return Knows(bit >= kFirstVersion4Member ? 4 : bit >= kFirstVersion3Member ? 3 : 2);
  }

  static constexpr const char* kDeterministicField = "default_collation_deterministic";
  // The members of the document that tell the database's default collation (version 3 on).
  bool IsDatabaseField() const {
    return Knows(3) && (key_ == "default_collation" || key_ == "default_character_set" ||
                        key_ == "default_collation_locale" || key_ == kDeterministicField);
  }

  static constexpr ListKind kLists[] = {
      {int(Level::kIndexes), int(Level::kIndex), "indexes", "an array of index objects"},
      {int(Level::kForeignKeys), int(Level::kForeignKey), "foreign_keys",
       "an array of foreign key objects"},
      {int(Level::kChecks), int(Level::kCheck), "checks", "an array of check objects"},
      {int(Level::kColumnDetails), int(Level::kColumnDetail), "column_details",
       "an array of column detail objects"},
      {int(Level::kTriggers), int(Level::kTrigger), "triggers", "an array of trigger objects"},
      {int(Level::kRules), int(Level::kRule), "rules", "an array of rule objects"},
      {int(Level::kSequences), int(Level::kSequence), "sequences", "an array of sequence objects"},
      {int(Level::kCollations), int(Level::kCollation), "collations",
       "an array of collation objects"},
      {int(Level::kParts), int(Level::kPart), "parts", "an array of part objects"},
  };
  static const ListKind* ListOf(Level level) {
    for (const ListKind& list : kLists) {
      if (list.list == int(level)) return &list;
    }
    return nullptr;
  }
  static const ListKind* ListNamed(const std::string& key) {
    for (const ListKind& list : kLists) {
      if (key == list.key) return &list;
    }
    return nullptr;
  }
  static bool IsList(Level level) { return ListOf(level) != nullptr; }

  bool OpenObject(Level level) {
    if (level == Level::kPart) {
      part_ = IndexPart();
      part_seen_ = 0;
      ++part_count_;
    } else {
      primary_key_ = PrimaryKeyDefinition();
      index_ = IndexDefinition();
      foreign_key_ = ForeignKeyDefinition();
      check_ = CheckDefinition();
      detail_ = ColumnDetails();
      detail_collation_ = ColumnCollation();
      detail_generation_ = ColumnGeneration();
      trigger_ = TriggerDefinition();
      rule_ = RuleDefinition();
      sequence_ = SequenceDefinition();
      collation_ = CollationDefinition();
      object_seen_ = 0;
      object_level_ = level;
      ++object_count_;
    }
    key_.clear();
    level_ = level;
    return true;
  }

  unsigned TableObjectBit() const {
    for (unsigned i = 0; i < std::size(kTableObjectMembers); ++i) {
      if (key_ == kTableObjectMembers[i]) return 1u << i;
    }
    return 0;
  }

  static const char* ListExpectationOf(unsigned bit) {
    for (unsigned i = 0; i < std::size(kTableObjectMembers); ++i) {
      if (bit == 1u << i) {
        if (const ListKind* list = ListNamed(kTableObjectMembers[i])) return list->expectation;
      }
    }
    return "a text";
  }
  // An item of the list being read is not an object.
  bool WrongListItem() {
    const ListKind* list = ListOf(level_);
    key_ = list->key;
    return WrongType(list->expectation);
  }
  static const char* Expectation(MemberType type) {
    switch (type) {
      case MemberType::kText:
      case MemberType::kAction:
      case MemberType::kOrigin:
      case MemberType::kTiming:
      case MemberType::kRuleEvent:
        return "a text";
      case MemberType::kInteger:
        return "a whole number";
      case MemberType::kFlag:
        return "true or false";
      case MemberType::kNames:
        return "an array of texts";
      case MemberType::kParts:
        return "an array of part objects";
    }
    return "a text";
  }

  std::span<const Member> MembersOf(Level level) const {
    switch (level) {
      case Level::kPrimaryKey:
        return kPrimaryKeyMembers;
      case Level::kIndex:
        return kIndexMembers;
      case Level::kPart:
        return kPartMembers;
      case Level::kForeignKey:
        return kForeignKeyMembers;
      case Level::kCheck:
        return kCheckMembers;
      case Level::kColumnDetail:
        return kColumnDetailMembers;
      case Level::kTrigger:
        return kTriggerMembers;
      case Level::kRule:
        return kRuleMembers;
      case Level::kSequence:
        return kSequenceMembers;
      case Level::kCollation:
        return kCollationMembers;
      default:
        return {};
    }
  }

  // The member of the current object that key_ names; null for one this reader does not know.
  const Member* CurrentMember() const {
    for (const Member& member : MembersOf(level_)) {
      if (key_ == member.text) return &member;
    }
    return nullptr;
  }

  // Records `member` of the current object as seen; fails when it was seen before.
  bool MarkSeen(const Member& member) {
    const std::span<const Member> members = MembersOf(level_);
    const unsigned bit = 1u << (&member - members.data());
    unsigned& seen = level_ == Level::kPart ? part_seen_ : object_seen_;
    if (seen & bit) return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
    seen |= bit;
    return true;
  }

  QString ObjectNoun() const {
    switch (object_level_) {
      case Level::kPrimaryKey:
        return QStringLiteral("primary key");
      case Level::kIndex:
        return QStringLiteral("index %1").arg(object_count_);
      case Level::kForeignKey:
        return QStringLiteral("foreign key %1").arg(object_count_);
      case Level::kColumnDetail:
        return QStringLiteral("column detail %1").arg(object_count_);
      case Level::kTrigger:
        return QStringLiteral("trigger %1").arg(object_count_);
      case Level::kRule:
        return QStringLiteral("rule %1").arg(object_count_);
      case Level::kSequence:
      case Level::kCollation:
        return QString();  // Place() names it
      default:
        return QStringLiteral("check %1").arg(object_count_);
    }
  }

  const QString& ObjectName() const {
    switch (object_level_) {
      case Level::kPrimaryKey:
        return primary_key_.name;
      case Level::kIndex:
        return index_.name;
      case Level::kForeignKey:
        return foreign_key_.name;
      case Level::kColumnDetail:
        return detail_.column;
      case Level::kTrigger:
        return trigger_.name;
      case Level::kRule:
        return rule_.name;
      case Level::kSequence:
        return sequence_.name;
      case Level::kCollation:
        return collation_.name;
      default:
        return check_.name;
    }
  }

  QStringList* NamesOf(MemberId id) {
    if (id == MemberId::kReferencedColumns) return &foreign_key_.referenced_columns;
    // Version 5 on; an older file's are gathered to no use, as its readers skipped them.
    if (id == MemberId::kIncluded) return Knows(5) ? &index_.included : &skipped_names_;
    if (id == MemberId::kEvents) return &trigger_.events;
    if (id == MemberId::kUpdateColumns) return &trigger_.update_columns;
    return level_ == Level::kPrimaryKey ? &primary_key_.columns : &foreign_key_.columns;
  }

  // Fails naming the first required member of the current object that did not come by.
  bool RequireMembers() {
    const std::span<const Member> members = MembersOf(level_);
    const unsigned seen = level_ == Level::kPart ? part_seen_ : object_seen_;
    for (size_t i = 0; i < members.size(); ++i) {
      if (members[i].required && (seen & (1u << i)) == 0) {
        key_ = members[i].text;
        return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
      }
    }
    return true;
  }

  bool FinishObject() {
    if (!RequireMembers()) return false;
    switch (level_) {
      case Level::kPrimaryKey:
        objects_.primary_key = std::move(primary_key_);
        level_ = Level::kTable;
        key_ = "primary_key";
        return true;
      case Level::kIndex:
        objects_.indexes.push_back(std::move(index_));
        level_ = Level::kIndexes;
        return true;
      case Level::kForeignKey:
        objects_.foreign_keys.push_back(std::move(foreign_key_));
        level_ = Level::kForeignKeys;
        return true;
      case Level::kCheck:
        objects_.checks.push_back(std::move(check_));
        level_ = Level::kChecks;
        return true;
      case Level::kColumnDetail:
        // As a writer writes them: a part that tells nothing is none.
        if (!detail_collation_.name.isEmpty() || !detail_collation_.character_set.isEmpty() ||
            !detail_collation_.locale.isEmpty() || !detail_collation_.deterministic) {
          detail_.collation = collations_.Shared(std::move(detail_collation_));
        }
        if (!detail_generation_.expression.isEmpty() || detail_generation_.stored) {
          detail_.generation =
              std::make_shared<const ColumnGeneration>(std::move(detail_generation_));
        }
        objects_.columns.push_back(std::move(detail_));
        level_ = Level::kColumnDetails;
        return true;
      case Level::kTrigger:
        if (trigger_.events.isEmpty()) {
          key_ = "events";
          return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is empty"));
        }
        objects_.triggers.push_back(std::move(trigger_));
        level_ = Level::kTriggers;
        return true;
      case Level::kRule:
        objects_.rules.push_back(std::move(rule_));
        level_ = Level::kRules;
        return true;
      case Level::kSequence:
        database_objects_.sequences.push_back(std::move(sequence_));
        level_ = Level::kSequences;
        return true;
      case Level::kCollation:
        database_objects_.collations.push_back(std::move(collation_));
        level_ = Level::kCollations;
        return true;
      default:
        break;
    }
    // A part: a column or an expression, not both.
    const unsigned column_or_expression = part_seen_ & 3u;
    if (column_or_expression == 0 || column_or_expression == 3u) {
      key_ = column_or_expression == 0 ? "column" : "expression";
      return Fail(
          kDatabaseDamaged,
          Place() + (column_or_expression == 0 ? QStringLiteral(" is missing (or \"expression\")")
                                               : QStringLiteral(" is given with \"column\"")));
    }
    index_.parts.push_back(std::move(part_));
    level_ = Level::kParts;
    return true;
  }

  bool OnObjectScalar(const Scalar& value) {
    const Member* member = CurrentMember();
    if (member == nullptr) return true;
    if (!MarkSeen(*member)) return false;
    switch (member->type) {
      case MemberType::kText:
        if (auto text = Text(value)) SetText(member->id, std::move(*text));
        break;
      case MemberType::kFlag:
        if (auto flag = Flag(value)) SetFlag(member->id, *flag);
        break;
      case MemberType::kAction:
        if (const std::string* word = Word(value)) {
          const auto action = ActionOfWord(*word);
          if (!action) return UnknownWord(*word);
          (member->id == MemberId::kOnDelete ? foreign_key_.on_delete : foreign_key_.on_update) =
              *action;
        }
        break;
      case MemberType::kOrigin:
        if (const std::string* word = Word(value)) {
          const auto origin = OriginOfWord(*word);
          if (!origin) return UnknownWord(*word);
          index_.origin = *origin;
        }
        break;
      case MemberType::kTiming:
        if (const std::string* word = Word(value)) {
          const char* timing = TimingOfWord(*word);
          if (!timing) return UnknownWord(*word);
          trigger_.timing = QString::fromLatin1(timing);
        }
        break;
      case MemberType::kRuleEvent:
        if (const std::string* word = Word(value)) {
          const char* event = RuleEventOfWord(*word);
          if (!event) return UnknownWord(*word);
          rule_.event = QString::fromLatin1(event);
        }
        break;
      case MemberType::kInteger:
        if (member->id == MemberId::kPrefixLength) {
          // Version 5 on; an older file's is skipped, as its readers skipped it.
          if (const auto n = Whole(value, 0, std::numeric_limits<int>::max()); n && Knows(5)) {
            part_.prefix_length = static_cast<int>(*n);
          }
          break;
        }
        if (const auto n = Whole(value, std::numeric_limits<int64_t>::min(),
                                 std::numeric_limits<int64_t>::max())) {
          (member->id == MemberId::kStart       ? sequence_.start
           : member->id == MemberId::kIncrement ? sequence_.increment
           : member->id == MemberId::kMinimum   ? sequence_.minimum
                                                : sequence_.maximum) = *n;
        }
        break;
      case MemberType::kNames:
      case MemberType::kParts:
        return WrongType(Expectation(member->type));
    }
    return !failure_;
  }

  void SetText(MemberId id, QString text) {
    switch (id) {
      case MemberId::kName:
        (level_ == Level::kPrimaryKey  ? primary_key_.name
         : level_ == Level::kIndex     ? index_.name
         : level_ == Level::kCheck     ? check_.name
         : level_ == Level::kTrigger   ? trigger_.name
         : level_ == Level::kRule      ? rule_.name
         : level_ == Level::kSequence  ? sequence_.name
         : level_ == Level::kCollation ? collation_.name
                                       : foreign_key_.name) = std::move(text);
        break;
      case MemberId::kMethod:
        index_.method = std::move(text);
        break;
      case MemberId::kOnUpdateExpression:
        detail_.on_update = std::move(text);
        break;
      case MemberId::kOperatorClass:
        part_.operator_class = std::move(text);
        break;
      case MemberId::kExclusionOperator:
        part_.exclusion_operator = std::move(text);
        break;
      case MemberId::kDefinition:
        rule_.definition = std::move(text);
        break;
      case MemberId::kProvider:
        collation_.provider = std::move(text);
        break;
      case MemberId::kLocale:
        collation_.locale = std::move(text);
        break;
      case MemberId::kDefault:
        // Present, even empty, is a default; absent is none.
        detail_.default_value = text.isNull() ? QString::fromUtf8("") : std::move(text);
        break;
      case MemberId::kCollation:
        (level_ == Level::kPart ? part_.collation : detail_collation_.name) = std::move(text);
        break;
      case MemberId::kCharacterSet:
        detail_collation_.character_set = std::move(text);
        break;
      case MemberId::kCollationLocale:
        detail_collation_.locale = std::move(text);
        break;
      case MemberId::kGenerated:
        detail_generation_.expression = std::move(text);
        break;
      case MemberId::kWhen:
        trigger_.when = std::move(text);
        break;
      case MemberId::kBody:
        trigger_.body = std::move(text);
        break;
      case MemberId::kOwnedBy:
        sequence_.owned_by = std::move(text);
        break;
      case MemberId::kPredicate:
        index_.predicate = std::move(text);
        break;
      case MemberId::kColumn:
        (level_ == Level::kPart ? part_.column : detail_.column) = std::move(text);
        break;
      case MemberId::kExpression:
        (level_ == Level::kPart ? part_.expression : check_.expression) = std::move(text);
        break;
      case MemberId::kReferencedTable:
        foreign_key_.referenced_table = std::move(text);
        break;
      default:
        break;
    }
  }

  void SetFlag(MemberId id, bool flag) {
    switch (id) {
      case MemberId::kUnique:
        index_.unique = flag;
        break;
      case MemberId::kNullsNotDistinct:
        // Version 5 on; an older file's is skipped, as its readers skipped it.
        index_.nulls_not_distinct = flag && Knows(5);
        break;
      case MemberId::kNullsReversed:
        part_.nulls_reversed = flag && Knows(5);
        break;
      case MemberId::kDescending:
        part_.descending = flag;
        break;
      case MemberId::kDeferrable:
        foreign_key_.deferrable = flag;
        break;
      case MemberId::kInitiallyDeferred:
        foreign_key_.initially_deferred = flag;
        break;
      case MemberId::kMatchFull:
        foreign_key_.match_full = flag;
        break;
      case MemberId::kCollationDeterministic:
        detail_collation_.deterministic = flag;
        break;
      case MemberId::kGeneratedStored:
        detail_generation_.stored = flag;
        break;
      case MemberId::kForEachRow:
        trigger_.for_each_row = flag;
        break;
      case MemberId::kInstead:
        rule_.instead = flag;
        break;
      case MemberId::kDeterministic:
        collation_.deterministic = flag;
        break;
      case MemberId::kCycle:
        sequence_.cycle = flag;
        break;
      default:
        break;
    }
  }

  // The text of a word member, or null with the failure recorded.
  const std::string* Word(const Scalar& value) {
    if (value.kind != Scalar::kString) {
      WrongType("a text");
      return nullptr;
    }
    return value.text;
  }

  bool UnknownWord(const std::string& word) {
    QString shown =
        QString::fromUtf8(word.data(), static_cast<qsizetype>(std::min<size_t>(word.size(), 40)));
    if (word.size() > 40) shown += QStringLiteral("...");
    return Fail(kDatabaseDamaged,
                QStringLiteral("%1 is not a word this version knows (\"%2\")").arg(Place(), shown));
  }

  bool OnClose() {
    if (skip_depth_ > 0) {
      --skip_depth_;
      return true;
    }
    switch (level_) {
      case Level::kDocument:
      case Level::kRoot:
        level_ = Level::kDocument;
        return true;
      case Level::kTables:
        level_ = Level::kRoot;
        key_.clear();
        return true;
      case Level::kTable:
        return FinishTable();
      case Level::kColumns:
        level_ = Level::kTable;
        key_ = "columns";
        return true;
      case Level::kColumn:
        return FinishColumn();
      case Level::kObjectKinds:
        level_ = Level::kRoot;
        key_ = "object_kinds";
        return true;
      case Level::kIndexes:
      case Level::kForeignKeys:
      case Level::kChecks:
      case Level::kColumnDetails:
      case Level::kTriggers:
      case Level::kRules:
        key_ = ListOf(level_)->key;
        level_ = Level::kTable;
        return true;
      case Level::kSequences:
      case Level::kCollations:
        key_ = ListOf(level_)->key;
        level_ = Level::kRoot;
        return true;
      case Level::kParts:
        level_ = Level::kIndex;
        key_ = "parts";
        return true;
      case Level::kNames:
        level_ = names_parent_;
        return true;
      case Level::kPrimaryKey:
      case Level::kIndex:
      case Level::kPart:
      case Level::kForeignKey:
      case Level::kCheck:
      case Level::kColumnDetail:
      case Level::kTrigger:
      case Level::kRule:
      case Level::kSequence:
      case Level::kCollation:
        return FinishObject();
    }
    return true;
  }

  bool FinishColumn() {
    for (const FieldName& field : kColumnFields) {
      if ((column_seen_ & field.bit) == 0) {
        key_ = field.text;
        return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
      }
    }
    columns_.push_back(std::move(column_));
    level_ = Level::kColumns;
    return true;
  }

  bool FinishTable() {
    if (table_name_.isNull()) {
      key_ = "name";
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
    }
    if (!columns_seen_) {
      key_ = "columns";
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is missing"));
    }
    if (tables_.Contains(table_name_)) {
      return Fail(
          kDatabaseDamaged,
          QStringLiteral("table %1 (\"%2\") is listed twice").arg(table_count_).arg(table_name_));
    }
    CatalogTable& table = tables_.AddTable(table_name_, table_is_view_);
    CatalogColumns& columns = table.MutableColumns();
    for (const ColumnDefinition& column : columns_) columns.Add(column);
    columns_.clear();
    if (!objects_.IsEmpty()) table.MutableObjects() = std::move(objects_);
    level_ = Level::kTables;
    return true;
  }

  unsigned ColumnBit() const {
    for (const FieldName& field : kColumnFields) {
      if (key_ == field.text) return field.bit;
    }
    return 0;
  }

  static const char* ExpectedFor(unsigned bit) {
    if (bit == kName || bit == kDeclaredType) return "a text";
    if (bit == kRequired || bit == kAllowZeroLength) return "true or false";
    return "a whole number";
  }

  // The integer of `value` when it fits in [low, high]; records the failure otherwise.
  std::optional<int64_t> Whole(const Scalar& value, int64_t low, int64_t high) {
    if (value.kind != Scalar::kInteger && value.kind != Scalar::kOutOfRange) {
      WrongType("a whole number");
      return std::nullopt;
    }
    if (value.kind == Scalar::kOutOfRange || value.integer < low || value.integer > high) {
      Fail(kDatabaseDamaged,
           QStringLiteral("%1 is out of range (%2 to %3)").arg(Place()).arg(low).arg(high));
      return std::nullopt;
    }
    return value.integer;
  }

  std::optional<QString> Text(const Scalar& value) {
    if (value.kind != Scalar::kString) {
      WrongType("a text");
      return std::nullopt;
    }
    return QString::fromUtf8(value.text->data(), static_cast<qsizetype>(value.text->size()));
  }

  std::optional<bool> Flag(const Scalar& value) {
    if (value.kind != Scalar::kBoolean) {
      WrongType("true or false");
      return std::nullopt;
    }
    return value.boolean;
  }

  bool OnScalar(const Scalar& value) {
    if (skip_depth_ > 0) return true;
    switch (level_) {
      case Level::kDocument:
        return Fail(kNotADatabase, QString());
      case Level::kRoot:
        return OnRootScalar(value);
      case Level::kTables:
        return Fail(kDatabaseDamaged,
                    QStringLiteral("table %1 should be an object").arg(table_count_ + 1));
      case Level::kTable:
        if (key_ == "name") {
          if (!table_name_.isNull())
            return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
          if (auto name = Text(value)) table_name_ = *name;
          return !failure_;
        }
        if (key_ == "view") {
          if (auto flag = Flag(value)) table_is_view_ = *flag;
          return !failure_;
        }
        if (key_ == "columns") return WrongType("an array of columns");
        if (const unsigned bit = TableObjectBit(); bit != 0 && KnowsTableMember(bit)) {
          if (bit != kViewDefinitionBit && bit != kUnloggedBit) {
            return WrongType(bit == 1u ? "an object" : ListExpectationOf(bit));
          }
          if (table_members_seen_ & bit)
            return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
          table_members_seen_ |= bit;
          if (bit == kUnloggedBit) {
            if (auto flag = Flag(value)) objects_.unlogged = *flag;
          } else if (auto text = Text(value)) {
            objects_.view_definition = std::move(*text);
          }
          return !failure_;
        }
        return true;
      case Level::kColumns:
        key_ = "columns";
        return WrongType("an array of column objects");
      case Level::kColumn:
        return OnColumnScalar(value);
      case Level::kObjectKinds: {
        if (value.kind != Scalar::kString) return WrongType("an array of object kinds");
        const auto kind = ObjectKindOfWord(*value.text);
        // A file of version 2 cannot name the kinds of version 3; one that gives its version
        // later is checked once it ends.
        if (!kind || (!Knows(3) && (*kind & kVersion3Kinds) != 0) ||
            (!Knows(4) && (*kind & kVersion4Kinds) != 0)) {
          return UnknownWord(*value.text);
        }
        object_kinds_ |= *kind;
        return true;
      }
      case Level::kIndexes:
      case Level::kForeignKeys:
      case Level::kChecks:
      case Level::kParts:
      case Level::kColumnDetails:
      case Level::kTriggers:
      case Level::kRules:
      case Level::kSequences:
      case Level::kCollations:
        return WrongListItem();
      case Level::kNames:
        if (value.kind != Scalar::kString) return WrongType("an array of texts");
        if (names_ == &trigger_.events) {
          const char* event = EventOfWord(*value.text);
          if (!event) return UnknownWord(*value.text);
          names_->append(QString::fromLatin1(event));
          return true;
        }
        names_->append(QString::fromUtf8(value.text->data(), qsizetype(value.text->size())));
        return true;
      case Level::kPrimaryKey:
      case Level::kIndex:
      case Level::kPart:
      case Level::kForeignKey:
      case Level::kCheck:
      case Level::kColumnDetail:
      case Level::kTrigger:
      case Level::kRule:
      case Level::kSequence:
      case Level::kCollation:
        return OnObjectScalar(value);
    }
    return true;
  }

  bool OnRootScalar(const Scalar& value) {
    for (const char* field : {"format", "version", "database", "engine"}) {
      if (key_ != field) continue;
      if (root_seen_.contains(field)) {
        return Fail(kDatabaseDamaged, QStringLiteral("\"%1\" is given twice").arg(field));
      }
      root_seen_.append(field);
    }
    if (key_ == "format") {
      if (value.kind != Scalar::kString || *value.text != kFormatMarker) {
        return Fail(kNotADatabase, QString());
      }
      marker_seen_ = true;
    } else if (key_ == "version") {
      if (value.kind == Scalar::kInteger && value.integer > kSnapshotFormatVersion) {
        return Fail(kSnapshotTooNew,
                    QStringLiteral("is a snapshot of format version %1, which this build of "
                                   "Vantrel cannot read (it reads version %2 and older); open it "
                                   "with the newer Vantrel that wrote it")
                        .arg(value.integer)
                        .arg(kSnapshotFormatVersion));
      }
      if (const auto version = Whole(value, 1, kSnapshotFormatVersion)) version_ = *version;
    } else if (key_ == "database") {
      if (auto name = Text(value)) database_ = *name;
    } else if (key_ == "engine") {
      if (auto name = Text(value)) engine_ = *name;
    } else if (key_ == "tables") {
      return WrongType("an array of tables");
    } else if (key_ == "object_kinds" && version_ != 1) {
      return WrongType("an array of object kinds");
    } else if (key_ == "sequences" && Knows(3)) {
      return WrongType("an array of sequence objects");
    } else if (key_ == "collations" && Knows(4)) {
      return WrongType("an array of collation objects");
    } else if (IsDatabaseField()) {
      if (root_seen_.contains(QString::fromStdString(key_))) {
        return Fail(kDatabaseDamaged, QStringLiteral("\"%1\" is given twice").arg(key_.c_str()));
      }
      root_seen_.append(QString::fromStdString(key_));
      if (key_ == kDeterministicField) {
        if (auto flag = Flag(value)) database_objects_.default_collation_deterministic = *flag;
      } else if (auto text = Text(value)) {
        (key_ == "default_collation"       ? database_objects_.default_collation
         : key_ == "default_character_set" ? database_objects_.default_character_set
                                           : database_objects_.default_collation_locale) =
            std::move(*text);
      }
    }
    return !failure_;
  }

  bool OnColumnScalar(const Scalar& value) {
    if (key_ == "labels" && Knows(4)) return WrongType("an array of texts");
    const unsigned bit = ColumnBit();
    if (bit == 0) return true;
    if (column_seen_ & bit)
      return Fail(kDatabaseDamaged, Place() + QStringLiteral(" is given twice"));
    column_seen_ |= bit;
    constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
    constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
    switch (bit) {
      case kName:
        if (auto name = Text(value)) column_.name = *name;
        break;
      case kDeclaredType:
        if (auto spelling = Text(value)) column_.declared_type = *spelling;
        break;
      case kDataType:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.data_type = int32_t(*n);
        break;
      case kSize:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.size = int32_t(*n);
        break;
      case kAttributes:
        if (auto n = Whole(value, kInt32Min, kInt32Max)) column_.type.attributes = int32_t(*n);
        break;
      case kOrdinalPosition:
        if (auto n = Whole(value, std::numeric_limits<int16_t>::min(),
                           std::numeric_limits<int16_t>::max())) {
          column_.ordinal_position = int16_t(*n);
        }
        break;
      case kRequired:
        if (auto flag = Flag(value)) column_.required = *flag;
        break;
      case kAllowZeroLength:
        if (auto flag = Flag(value)) column_.type.allow_zero_length = *flag;
        break;
    }
    return !failure_;
  }

  CatalogTables& tables_;
  const SnapshotText& text_;
  Level level_ = Level::kDocument;
  int skip_depth_ = 0;
  std::string key_;
  bool marker_seen_ = false;
  QStringList root_seen_;  // which of "format", "version", "database" and "engine" came by
  bool tables_seen_ = false;
  std::optional<int64_t> version_;
  QString database_;
  QString engine_;
  int table_count_ = 0;
  QString table_name_;
  bool table_is_view_ = false;
  bool columns_seen_ = false;
  std::vector<ColumnDefinition> columns_;
  ColumnDefinition column_;
  unsigned column_seen_ = 0;
  bool column_labels_seen_ = false;
  bool object_kinds_seen_ = false;
  int object_kinds_ = 0;
  // The objects of the table being read, and the one object (and index part) being read.
  TableObjects objects_;
  unsigned table_members_seen_ = 0;  // bits of kTableObjectMembers
  Level object_level_ = Level::kPrimaryKey;
  int object_count_ = 0;
  unsigned object_seen_ = 0;
  PrimaryKeyDefinition primary_key_;
  IndexDefinition index_;
  QStringList skipped_names_;  // the names of a member an older version did not have
  ForeignKeyDefinition foreign_key_;
  CheckDefinition check_;
  ColumnDetails detail_;
  ColumnCollation detail_collation_;  // become detail_'s when the detail ends
  ColumnGeneration detail_generation_;
  SharedCollations collations_;
  TriggerDefinition trigger_;
  RuleDefinition rule_;
  SequenceDefinition sequence_;
  bool sequences_seen_ = false;
  CollationDefinition collation_;
  bool collations_seen_ = false;
  DatabaseObjects database_objects_;
  int part_count_ = 0;
  IndexPart part_;
  unsigned part_seen_ = 0;
  QStringList* names_ = nullptr;
  Level names_parent_ = Level::kPrimaryKey;
  std::optional<Failure> failure_;
};

[[noreturn]] void ThrowFileError(const QString& path) {
  if (errno == ENOENT || errno == ENOTDIR) {
    throw component::Error(component::kFileNotFound, ErrorSource(),
                           QStringLiteral("File not found: '%1'").arg(path));
  }
  throw component::Error(
      component::kPathFileAccessError, ErrorSource(),
      QStringLiteral("Cannot read '%1': %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
}

}  // namespace

bool LooksLikeJson(const QString& path) {
  const QByteArray name = NameToBytes(path);
  struct stat facts {};
  if (::stat(name.constData(), &facts) != 0 || !S_ISREG(facts.st_mode)) return false;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  // Blanks are read through in pieces, however many come first.
  constexpr qint64 kPieceSize = qint64{64} * 1024;
  QByteArray piece = file.read(kPieceSize);
  if (piece.startsWith("\xEF\xBB\xBF")) piece.remove(0, 3);
  while (!piece.isEmpty()) {
    for (const char c : piece) {
      if (c == '{' || c == '[') return true;
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return false;
    }
    piece = file.read(kPieceSize);
  }
  return false;
}

std::unique_ptr<CatalogConnection> ReadSnapshot(const QString& path) {
  const QByteArray name = NameToBytes(path);
  struct stat facts {};
  if (::stat(name.constData(), &facts) != 0) ThrowFileError(path);
  if (!S_ISREG(facts.st_mode)) {
    throw component::Error(kNotADatabase, ErrorSource(),
                           QStringLiteral("'%1' is not a file, so not a snapshot").arg(path));
  }
  const int file = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
  if (file < 0) ThrowFileError(path);
  const auto closing = qScopeGuard([file] { ::close(file); });

  auto connection =
      std::make_unique<CatalogConnection>(QStringLiteral("snapshot:") + path, QString());
  SnapshotText text(file);
  SnapshotHandler handler(connection->MutableTables(), text);
  Json::sax_parse(text.begin(), SnapshotText::end(), &handler);
  if (text.ReadError() != 0) {
    errno = text.ReadError();
    ThrowFileError(path);
  }
  if (const auto failure = handler.Outcome()) {
    const QString damaged =
        failure->number == kDatabaseDamaged ? QStringLiteral("is a damaged snapshot: ") : QString();
    throw component::Error(failure->number, ErrorSource(),
                           QStringLiteral("'%1' %2%3").arg(path, damaged, failure->what));
  }
  connection->SetDatabaseName(handler.database());
  connection->SetEngine(handler.engine());
  connection->SetObjectKinds(handler.object_kinds());
  connection->MutableObjects() = handler.TakeDatabaseObjects();
  return connection;
}

}  // namespace dataaccess
