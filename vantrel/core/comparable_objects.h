// A table's objects as the comparison walk sees them (its primary key, indexes and exclusion
// constraints, foreign keys, checks, a view's query, triggers, rules and persistence): each
// reduced to what makes it the same object on both sides (its identity) and the properties
// compared once it is matched, with the rules of dataaccess/object_rules.h and column_rules.h
// applied.
#ifndef VANTREL_VANTREL_CORE_COMPARABLE_OBJECTS_H_
#define VANTREL_VANTREL_CORE_COMPARABLE_OBJECTS_H_

#include <QString>
#include <vector>

#include "dataaccess/data_objects.h"
#include "vantrel/core/difference.h"

namespace vantrel {

struct ComparableObject {
  struct Property {
    PropertyId id;
    QString compared;  // equal on both sides when the property says the same
    QString shown;     // the value as the engine gave it
  };
  ObjectKindId kind;
  QString identity;    // equal on both sides for the same object, whatever its name
  QString definition;  // how the report shows it: "UNIQUE (Email)"
  QString name;        // empty where the engine gave none
  // MySQL and MariaDB's own index for a foreign key, or an index for a foreign key that the
  // other side, MySQL or MariaDB, serves with another key's leftmost columns: never reported
  // missing on the other side.
  bool engine_made = false;
  std::vector<Property> properties;
  ObjectFacts facts;
  // Its place in the list of its kind in the table's dataaccess::TableObjects (indexes, foreign
  // keys, checks, triggers, rules); -1 for a primary key, a view's query and persistence.
  int source_index = -1;
  // A primary key's or unique index's dataaccess::UniqueColumnSet: the rows it refuses.
  QString unique_columns{};
};

// What a comparison of one table with its match on the other side needs to know of both sides.
struct ObjectSides {
  const dataaccess::DataConnection& connection;
  const dataaccess::DataTable& table;
  const dataaccess::DataConnection& other_connection;
  const dataaccess::DataTable& other_table;
};

// The objects of `sides.table` of the ComparedKind bits `compared` (only the kinds both sides
// can tell), in the order primary key, indexes, foreign keys, checks, each in the driver's order.
// Names are compared only when `compare_names` is set. Throws what the reads throw.
std::vector<ComparableObject> ComparableObjects(const ObjectSides& sides, int compared,
                                                bool compare_names);

// True when the two values of a property say the same.
bool SameProperty(const ComparableObject::Property& a, const ComparableObject::Property& b);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_COMPARABLE_OBJECTS_H_
