// A difference between two databases as data: what the comparison walk finds, and what every
// output (the text report, risk lines, JSON, the fleet check's grouping) is made from. Names and
// definitions are as the databases give them, not escaped for display; "driving" is the side
// the walk starts from.
#ifndef VANTREL_VANTREL_CORE_DIFFERENCE_H_
#define VANTREL_VANTREL_CORE_DIFFERENCE_H_

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "vantrel/core/comparison_vocabulary.h"

namespace vantrel {

// What a risk needs to know of an object on one side, besides its definition.
struct ObjectFacts {
  bool unique = false;           // an index, or a primary key: duplicates are refused
  QString referenced_table;      // a foreign key's
  bool fires_on_update = false;  // a trigger's
  QString rule_event;            // a rule's: SELECT, INSERT, UPDATE or DELETE
  bool rule_instead = false;
  qint64 minimum = 0;  // a sequence's bounds
  qint64 maximum = 0;
  // A MySQL view's: the databases other than its own whose tables it reads, and its own.
  QStringList other_databases_read;
  QString own_database;
  // A check's: the other side's check on the same table that lets in no row this one refuses
  // (dataaccess::CheckAdmitsAllOf), as shown; empty when there is none.
  QString admits_all_of;
  // A primary key's or unique index's: the other side's unique index or primary key that
  // refuses the same rows (dataaccess::UniqueColumnSet), as shown ("primary key (a, b)");
  // empty when there is none.
  QString same_rows_refused_by;

  bool operator==(const ObjectFacts&) const = default;
};

// Another mechanism on the other side that may serve the same end as what differs: the triggers
// that may set a column on every UPDATE, or the columns MySQL sets ON UPDATE.
struct OtherMechanism {
  bool on_driving_side = false;
  QStringList update_triggers;
  struct OnUpdateColumn {
    QString column;
    QString expression;  // on one line, as the report shows SQL

    bool operator==(const OnUpdateColumn&) const = default;
  };
  std::vector<OnUpdateColumn> on_update_columns;

  bool IsEmpty() const { return update_triggers.isEmpty() && on_update_columns.empty(); }
  bool operator==(const OtherMechanism&) const = default;
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
  // SQLite's, which keeps any 64-bit integer and any text or bytes whatever the width or length
  // declared, and pads nothing: a definition given to its database holds whatever it held.
  bool width_not_enforced = false;

  bool operator==(const ColumnFacts&) const = default;
};

// One difference: one paragraph of the report.
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
    // Another object of the database (`object_kind` kCollation: one it defines itself).
    kDatabaseObjectMissing,     // `object` exists on the driving side only
    kDatabaseObjectProperties,  // `object` differs in `properties`
  };
  struct Property {
    PropertyId id;
    QVariant driving_value;  // invalid when it could not be read, or not asked for
    QVariant other_value;

    bool operator==(const Property&) const = default;
  };
  Kind kind = Kind::kTableMissing;
  QString table;
  QString other_table;  // the matched table's name; empty for kTableMissing
  QString field;
  std::vector<Property> properties;
  QVariant driving_count;
  QVariant other_count;
  // For an object: its kind, its definition and name on the driving side, and the matched
  // object's definition (null when missing); for kTableMissing and kFieldMissing, kView when
  // the table is a view.
  ObjectKindId object_kind = ObjectKindId::kNone;
  QString object;
  QString object_name;
  QString other_object;
  // What the risk of an object's difference turns on, on each side (the other's when matched).
  std::optional<ObjectFacts> driving_facts;
  std::optional<ObjectFacts> other_facts;
  // For a field: its definition on the driving side, and on the other side when it has one.
  std::optional<ColumnFacts> driving_column;
  std::optional<ColumnFacts> other_column;
  // Set by a run: whether the driving side is the primary database.
  bool driving_is_primary = true;
  // What the other side does instead, where another mechanism there serves the same end.
  OtherMechanism instead;
  // What moving the secondary's data to the primary's definition risks, in the words of
  // DifferenceRisk; empty unless the walk was asked to explain.
  QString risk;

  bool operator==(const Difference&) const = default;
};

// The property `id` among those `difference` lists; null when it lists none of that id.
const Difference::Property* FindProperty(const Difference& difference, PropertyId id);
inline bool Lists(const Difference& difference, PropertyId id) {
  return FindProperty(difference, id) != nullptr;
}

// Whether two differences, each found between a database and its own counterpart, are the same
// drift: the same paragraph of the report (its kind, table, field or object and the properties
// it lists), and with `with_values` also the same values and facts on each side. The names of
// the databases are no part of a difference, so two targets that drift alike compare equal
// whatever they are called.
bool SameDrift(const Difference& a, const Difference& b, bool with_values);

// Whether `difference`, one of the records both walks of a comparison found, says again what
// another of them says: a difference in properties is found by both walks, and the primary's
// walk's record is the one kept; a difference in the number of fields is said by the fields'
// own records. What every output that shows each difference once (a migration script, the
// HTML report, the window's tree) leaves out.
bool IsSecondCopy(const Difference& difference);

// The labels a declared type spells, unquoted: a, b of "enum('a','b')" or "SET('a','b')"; empty
// where it spells none (a PostgreSQL enum is spelled by its type's name).
QStringList LabelsSpelledIn(const QString& declared_type);

// An enumeration's labels as `column` knows them: those it was read with, else those its declared
// type spells ("enum('a','b')"); empty where neither says (a PostgreSQL enum in an old
// snapshot).
QStringList EnumerationLabels(const ColumnFacts& column);

// Told of every paragraph the walk appends, in the report's order, besides the text.
class DifferenceObserver {
 public:
  virtual ~DifferenceObserver() = default;
  virtual void Found(const Difference& difference) = 0;
};

// Keeps every difference it is told of, in the order told.
class DifferenceCollector final : public DifferenceObserver {
 public:
  void Found(const Difference& difference) override { found.push_back(difference); }
  std::vector<Difference> found;
};

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_DIFFERENCE_H_
