#include "vantrel/core/difference_groups.h"

#include <algorithm>
#include <map>

#include "vantrel/core/report_text.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

using Kind = Difference::Kind;
using Presence = ShownDifference::Presence;

bool OfDatabase(const Difference& difference) {
  return difference.kind == Kind::kDatabaseProperties ||
         difference.kind == Kind::kSequenceMissing ||
         difference.kind == Kind::kSequenceProperties ||
         difference.kind == Kind::kDatabaseObjectMissing ||
         difference.kind == Kind::kDatabaseObjectProperties;
}

bool IsMissing(const Difference& difference) {
  return difference.kind == Kind::kTableMissing || difference.kind == Kind::kFieldMissing ||
         difference.kind == Kind::kObjectMissing || difference.kind == Kind::kSequenceMissing ||
         difference.kind == Kind::kDatabaseObjectMissing;
}

// The table a difference belongs to, by the primary's name where the primary has the table.
QString TableOf(const Difference& difference) {
  if (OfDatabase(difference)) return QString();
  if (difference.driving_is_primary || difference.other_table.isEmpty()) return difference.table;
  return difference.other_table;
}

QString KindOf(const Difference& difference) {
  switch (difference.kind) {
    case Kind::kTableMissing:
      return difference.object_kind == ObjectKindId::kView ? QStringLiteral("View")
                                                           : QStringLiteral("Table");
    case Kind::kFieldMissing:
    case Kind::kFieldProperties:
    case Kind::kFieldCount:
      return QStringLiteral("Field");
    case Kind::kDatabaseProperties:
      return QStringLiteral("Database");
    default:
      return QLatin1String(WordsOf(difference.object_kind).label);
  }
}

QString SubjectOf(const Difference& difference) {
  switch (difference.kind) {
    case Kind::kTableMissing:
    case Kind::kDatabaseProperties:
    case Kind::kFieldCount:
      return QString();
    case Kind::kFieldMissing:
    case Kind::kFieldProperties:
      return VisibleText(difference.field);
    case Kind::kObjectMissing:
    case Kind::kObjectProperties:
      if (difference.object_name.isEmpty()) return VisibleText(difference.object);
      return VisibleText(difference.object) + " (" + VisibleText(difference.object_name) + ")";
    default:
      return VisibleText(difference.object);
  }
}

// What stands on the side that has it, for something one side lacks.
ShownDifference::Value PresentValue(const Difference& difference) {
  switch (difference.kind) {
    case Kind::kTableMissing:
      return {KindOf(difference), QStringLiteral("present"), QString()};
    case Kind::kFieldMissing:
      if (difference.driving_column && !difference.driving_column->declared_type.isEmpty()) {
        return {QStringLiteral("Data Type"), VisibleText(difference.driving_column->declared_type),
                QString()};
      }
      return {QStringLiteral("Field"), QStringLiteral("present"), QString()};
    default:
      return {QStringLiteral("Definition"), VisibleText(difference.object), QString()};
  }
}

std::vector<ShownDifference::Value> ValuesOf(const Difference& difference) {
  std::vector<ShownDifference::Value> values;
  if (IsMissing(difference)) {
    ShownDifference::Value value = PresentValue(difference);
    value.secondary = QStringLiteral("missing");
    if (!difference.driving_is_primary) std::swap(value.primary, value.secondary);
    values.push_back(std::move(value));
    return values;
  }
  for (const Difference::Property& property : difference.properties) {
    values.push_back({LabelOf(property.id), DetailValue(difference, property, true),
                      DetailValue(difference, property, false)});
  }
  return values;
}

}  // namespace

QString ShownDifference::PresenceWords() const {
  switch (presence) {
    case Presence::kPrimaryOnly:
      return QStringLiteral("only in the primary");
    case Presence::kSecondaryOnly:
      return QStringLiteral("only in the secondary");
    case Presence::kBoth:
      break;
  }
  return QStringLiteral("differs");
}

std::vector<DifferenceGroup> GroupDifferences(const std::vector<Difference>& differences,
                                              const QString& primary_name,
                                              const QString& secondary_name) {
  // Keyed by the folded name, then the name, so that tables differing only in case stay apart.
  std::map<std::pair<QString, QString>, DifferenceGroup> by_table;
  for (const Difference& difference : differences) {
    if (IsSecondCopy(difference)) continue;
    ShownDifference shown;
    shown.kind = KindOf(difference);
    shown.subject = SubjectOf(difference);
    shown.presence = !IsMissing(difference)          ? Presence::kBoth
                     : difference.driving_is_primary ? Presence::kPrimaryOnly
                                                     : Presence::kSecondaryOnly;
    shown.values = ValuesOf(difference);
    const QString& driving = difference.driving_is_primary ? primary_name : secondary_name;
    const QString& other = difference.driving_is_primary ? secondary_name : primary_name;
    shown.risk = VisibleText(difference.risk.isEmpty() ? DifferenceRisk(difference, driving, other)
                                                       : difference.risk);
    shown.severity = DifferenceSeverity(difference);
    const QString table = TableOf(difference);
    // The database's own group has the empty key, which sorts first.
    DifferenceGroup& group = by_table[{table.toCaseFolded(), table}];
    group.table = VisibleText(table);
    group.differences.push_back(std::move(shown));
  }
  std::vector<DifferenceGroup> groups;
  groups.reserve(by_table.size());
  for (auto& [key, group] : by_table) groups.push_back(std::move(group));
  return groups;
}

size_t CountDifferences(const std::vector<DifferenceGroup>& groups) {
  size_t count = 0;
  for (const DifferenceGroup& group : groups) count += group.differences.size();
  return count;
}

}  // namespace vantrel
