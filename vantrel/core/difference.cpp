#include "vantrel/core/difference.h"

#include <QRegularExpression>
#include <algorithm>
#include <tuple>

namespace vantrel {

const Difference::Property* FindProperty(const Difference& difference, PropertyId id) {
  for (const Difference::Property& property : difference.properties) {
    if (property.id == id) return &property;
  }
  return nullptr;
}

bool SameDrift(const Difference& a, const Difference& b, bool with_values) {
  const auto said = [](const Difference& d) {
    return std::tie(d.kind, d.table, d.other_table, d.field, d.object_kind, d.object, d.object_name,
                    d.driving_is_primary);
  };
  if (said(a) != said(b) || a.properties.size() != b.properties.size()) return false;
  if (!std::equal(a.properties.begin(), a.properties.end(), b.properties.begin(),
                  [](const Difference::Property& x, const Difference::Property& y) {
                    return x.id == y.id;
                  })) {
    return false;
  }
  if (!with_values) return true;
  // Everything the risk line is made of; the line itself names the databases.
  Difference a_facts = a;
  Difference b_facts = b;
  a_facts.risk.clear();
  b_facts.risk.clear();
  return a_facts == b_facts;
}

bool IsSecondCopy(const Difference& difference) {
  using Kind = Difference::Kind;
  switch (difference.kind) {
    case Kind::kFieldProperties:
    case Kind::kObjectProperties:
    case Kind::kSequenceProperties:
    case Kind::kDatabaseProperties:
    case Kind::kDatabaseObjectProperties:
      return !difference.driving_is_primary;
    case Kind::kFieldCount:
      return true;
    default:
      return false;
  }
}

QStringList LabelsSpelledIn(const QString& declared_type) {
  static const QRegularExpression kLabel(QStringLiteral("'((?:[^']|'')*)'"));
  QStringList labels;
  const qsizetype open = declared_type.indexOf(u'(');
  if (open < 0) return labels;
  for (auto it = kLabel.globalMatch(declared_type, open); it.hasNext();) {
    labels.append(it.next().captured(1).replace(QLatin1String("''"), QLatin1String("'")));
  }
  return labels;
}

QStringList EnumerationLabels(const ColumnFacts& column) {
  return column.labels.isEmpty() ? LabelsSpelledIn(column.declared_type) : column.labels;
}

}  // namespace vantrel
