#include "vantrel/core/json_report.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vantrel {

QString JsonKindName(Difference::Kind kind) {
  switch (kind) {
    case Difference::Kind::kTableMissing:
      return QStringLiteral("table-missing");
    case Difference::Kind::kFieldMissing:
      return QStringLiteral("field-missing");
    case Difference::Kind::kFieldProperties:
      return QStringLiteral("field-properties");
    case Difference::Kind::kFieldCount:
      return QStringLiteral("field-count");
    case Difference::Kind::kObjectMissing:
      return QStringLiteral("object-missing");
    case Difference::Kind::kObjectProperties:
      return QStringLiteral("object-properties");
    case Difference::Kind::kDatabaseProperties:
      return QStringLiteral("database-properties");
    case Difference::Kind::kSequenceMissing:
      return QStringLiteral("sequence-missing");
    case Difference::Kind::kSequenceProperties:
      return QStringLiteral("sequence-properties");
    case Difference::Kind::kDatabaseObjectMissing:
      return QStringLiteral("database-object-missing");
    case Difference::Kind::kDatabaseObjectProperties:
      return QStringLiteral("database-object-properties");
  }
  return QString();
}

namespace {

// `driving` and `other` as the primary's and the secondary's values.
void PutBySide(QJsonObject& object, const Difference& difference, const QVariant& driving,
               const QVariant& other) {
  const bool primary = difference.driving_is_primary;
  object.insert(QStringLiteral("primary"), QJsonValue::fromVariant(primary ? driving : other));
  object.insert(QStringLiteral("secondary"), QJsonValue::fromVariant(primary ? other : driving));
}

}  // namespace

void JsonReport::Found(const Difference& difference) {
  const QString kind = JsonKindName(difference.kind);
  QJsonObject object{
      {QStringLiteral("kind"), kind},
      {QStringLiteral("side"),
       difference.driving_is_primary ? QStringLiteral("primary") : QStringLiteral("secondary")},
  };
  using Kind = Difference::Kind;
  // A database's default collation, its sequences and its other objects belong to no table.
  const bool of_database = difference.kind == Kind::kDatabaseProperties ||
                           difference.kind == Kind::kSequenceMissing ||
                           difference.kind == Kind::kSequenceProperties ||
                           difference.kind == Kind::kDatabaseObjectMissing ||
                           difference.kind == Kind::kDatabaseObjectProperties;
  if (!of_database) object.insert(QStringLiteral("table"), difference.table);
  if (difference.kind != Kind::kTableMissing && !of_database) {
    object.insert(QStringLiteral("other_table"), difference.other_table);
  }
  if (!difference.field.isNull()) object.insert(QStringLiteral("field"), difference.field);
  const bool is_object =
      difference.kind == Kind::kObjectMissing || difference.kind == Kind::kObjectProperties ||
      difference.kind == Kind::kSequenceMissing || difference.kind == Kind::kSequenceProperties ||
      difference.kind == Kind::kDatabaseObjectMissing ||
      difference.kind == Kind::kDatabaseObjectProperties;
  if (is_object) {
    object.insert(QStringLiteral("object_kind"),
                  QLatin1String(WordsOf(difference.object_kind).json));
    if (!difference.object_name.isEmpty()) {
      object.insert(QStringLiteral("name"), difference.object_name);
    }
    QJsonObject definition;
    PutBySide(definition, difference, difference.object,
              difference.other_object.isNull() ? QVariant() : QVariant(difference.other_object));
    object.insert(QStringLiteral("definition"), definition);
  }
  if (difference.kind == Kind::kFieldProperties || difference.kind == Kind::kObjectProperties ||
      difference.kind == Kind::kDatabaseProperties ||
      difference.kind == Kind::kSequenceProperties ||
      difference.kind == Kind::kDatabaseObjectProperties) {
    QJsonArray properties;
    for (const Difference::Property& property : difference.properties) {
      QJsonObject entry{{QStringLiteral("name"), LabelOf(property.id)}};
      PutBySide(entry, difference, property.driving_value, property.other_value);
      properties.append(entry);
    }
    object.insert(QStringLiteral("properties"), properties);
  }
  if (difference.kind == Kind::kFieldCount) {
    PutBySide(object, difference, difference.driving_count, difference.other_count);
  }
  if (!difference.risk.isEmpty()) object.insert(QStringLiteral("risk"), difference.risk);
  differences_.append(object);
  ++counts_[kind];
}

QByteArray JsonReport::Document(const QString& primary_name, const QString& secondary_name,
                                const ComparisonOutcome& outcome) const {
  QJsonObject summary{{QStringLiteral("differences"), differences_.size()}};
  for (Difference::Kind kind :
       {Difference::Kind::kTableMissing, Difference::Kind::kFieldMissing,
        Difference::Kind::kFieldProperties, Difference::Kind::kFieldCount}) {
    const auto count = counts_.find(JsonKindName(kind));
    summary.insert(JsonKindName(kind), count == counts_.end() ? 0 : count->second);
  }
  // Kinds a default run never finds stay out of its summary, which keeps its earlier form.
  for (Difference::Kind kind :
       {Difference::Kind::kObjectMissing, Difference::Kind::kObjectProperties,
        Difference::Kind::kDatabaseProperties, Difference::Kind::kSequenceMissing,
        Difference::Kind::kSequenceProperties, Difference::Kind::kDatabaseObjectMissing,
        Difference::Kind::kDatabaseObjectProperties}) {
    const auto count = counts_.find(JsonKindName(kind));
    if (count != counts_.end()) summary.insert(JsonKindName(kind), count->second);
  }
  QJsonObject document{
      {QStringLiteral("format"), QStringLiteral("vantrel-comparison")},
      {QStringLiteral("version"), 1},
      {QStringLiteral("primary"), primary_name},
      {QStringLiteral("secondary"), secondary_name},
      {QStringLiteral("differences"), differences_},
      {QStringLiteral("summary"), summary},
  };
  if (!outcome.not_compared.empty()) {
    document.insert(QStringLiteral("not_compared"),
                    NotComparedJson(outcome.not_compared, QStringLiteral("primary"),
                                    QStringLiteral("secondary")));
  }
  return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QJsonArray NotComparedJson(const std::vector<NotCompared>& not_compared, const QString& primary,
                           const QString& secondary) {
  QJsonArray gaps;
  for (const NotCompared& gap : not_compared) {
    QJsonObject gap_object{
        {QStringLiteral("side"), gap.side == Side::kPrimary ? primary : secondary},
        {QStringLiteral("what"), WordsOf(gap.what)}};
    if (gap.across_engines) {
      gap_object.insert(QStringLiteral("reason"), QStringLiteral("across-engines"));
    }
    gaps.append(gap_object);
  }
  return gaps;
}

}  // namespace vantrel
