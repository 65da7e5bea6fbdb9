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

bool SizesMatch(const DataColumn& a, const QString& engine_a, const DataColumn& b,
                const QString& engine_b) {
  if (a.Size() == b.Size()) return true;
  if ((IsRowidAlias(a) && IsNumberedInteger(b)) || (IsRowidAlias(b) && IsNumberedInteger(a))) {
    return true;
  }
  if (engine_a == engine_b || a.DataType() != kInteger || b.DataType() != kInteger) return false;
  const QString sqlite = EngineName(TypeDialect::kSqlite);
  const auto holds = [&](const DataColumn& declared, const QString& engine,
                         const DataColumn& other) {
    return engine == sqlite && !IsNumberedInteger(declared) && other.Size() >= declared.Size();
  };
  return holds(a, engine_a, b) || holds(b, engine_b, a);
}

bool AttributesMatch(const DataColumn& a, const DataColumn& b) {
  const int32_t mine = a.Attributes();
  const int32_t theirs = b.Attributes();
  if (mine == theirs) return true;
  constexpr int32_t kLengthBits = kFixedLength | kVariableLength;
  const bool one_side_untold = (mine & kLengthBits) == 0 || (theirs & kLengthBits) == 0;
  return a.DataType() >= kOtherBase && a.DataType() == b.DataType() && one_side_untold &&
         (mine & ~kLengthBits) == (theirs & ~kLengthBits);
}

bool DataTypesDiffer(const DataColumn& a, const QString& engine_a, const DataColumn& b,
                     const QString& engine_b) {
  const bool same_engine = engine_a == engine_b;
  if (a.DataType() == b.DataType()) {
    return same_engine && a.DataType() == kEnum && a.DeclaredType() != b.DeclaredType();
  }
  if (same_engine) return true;
  const auto boolean_by_declaration = [](const DataColumn& column, const QString& engine) {
    return engine == EngineName(TypeDialect::kSqlite) && column.DataType() == kInteger &&
           IsMysqlBooleanSpelling(column.DeclaredType());
  };
  return !((a.DataType() == kBoolean && boolean_by_declaration(b, engine_b)) ||
           (b.DataType() == kBoolean && boolean_by_declaration(a, engine_a)));
}

}  // namespace dataaccess
