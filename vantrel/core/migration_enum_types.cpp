// The enum types a PostgreSQL script makes before the tables and fields that are of them.
#include <QSet>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/migration_plan_parts.h"
#include "vantrel/core/migration_script.h"

namespace vantrel::migration {
namespace {

namespace dx = dataaccess;

// The enum types the secondary's fields are of, by their names as the catalog spells them.
QSet<QString> EnumTypesOf(const dx::DataConnection& connection) {
  QSet<QString> types;
  const auto tables = connection.Tables().Enumerate();
  while (const dx::DataTable* table = tables->Next()) {
    const auto columns = table->Columns().Enumerate();
    while (const dx::DataColumn* column = columns->Next()) {
      if (column->DataType() == dx::kEnum) types.insert(column->DeclaredType());
    }
  }
  return types;
}

}  // namespace

void PlanEnumTypes(const Sides& sides, const std::vector<FieldMade>& fields,
                   std::vector<MigrationStep>* steps) {
  if (sides.sql.target() != TypeDialect::kPostgres || !sides.sql.SameEngine()) return;
  std::vector<MigrationStep> made;
  QSet<QString> named;
  for (const FieldMade& field : fields) {
    if (field.column->DataType() != dx::kEnum) continue;
    const QString type = field.column->DeclaredType();
    if (named.contains(type)) continue;
    if (named.isEmpty()) named = EnumTypesOf(sides.secondary);
    if (named.contains(type)) continue;
    named.insert(type);
    QStringList labels = field.column->EnumerationLabels();
    QStringList unwritten;
    if (labels.isEmpty()) {
      unwritten.append("the labels of enum type " + type + ", which the primary does not tell");
    }
    for (QString& label : labels) label = sides.sql.Literal(label);
    MigrationStep step =
        Step(MigrationStep::Phase::kCreateTables, "create type " + Quoted(type),
             {"CREATE TYPE " + type + " AS ENUM (" + labels.join(QStringLiteral(", ")) + ");"},
             {field.answer}, unwritten, TypeDialect::kPostgres);
    made.push_back(std::move(step));
  }
  steps->insert(steps->begin(), std::make_move_iterator(made.begin()),
                std::make_move_iterator(made.end()));
}

}  // namespace vantrel::migration
