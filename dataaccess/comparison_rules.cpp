#include "dataaccess/comparison_rules.h"

#include "dataaccess/catalog/type_kinds.h"

namespace dataaccess {
namespace {

bool IsNumberedInteger(const DataColumn& column) {
  return column.DataType() == kInteger && (column.Attributes() & kAutoIncrement) != 0;
}

bool IsRowidAlias(const DataColumn& column) {
  return IsNumberedInteger(column) && column.Size() == 0;
}

}  // namespace

bool ComparesColumnTypes(const DataConnection& a, const DataTable& table_a, const DataConnection& b,
                         const DataTable& table_b) {
  if (!table_a.IsView() && !table_b.IsView()) return true;
  const QString engine_a = a.Engine();
  const QString engine_b = b.Engine();
  return engine_a.isEmpty() || engine_b.isEmpty() || engine_a == engine_b;
}

bool SizesMatch(const DataColumn& a, const DataColumn& b) {
  if (a.Size() == b.Size()) return true;
  return (IsRowidAlias(a) && IsNumberedInteger(b)) || (IsRowidAlias(b) && IsNumberedInteger(a));
}

bool DataTypesDiffer(const DataColumn& a, const DataColumn& b, bool same_engine) {
  if (a.DataType() != b.DataType()) return true;
  return same_engine && a.DataType() == kEnum && a.DeclaredType() != b.DeclaredType();
}

}  // namespace dataaccess
