#include "corbenna/sql.h"

#include <new>

#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/component/member_table.h"
#include "platform/component/regional_format.h"
#include "platform/component/variant_array.h"
#include "platform/winapi/message_box.h"

namespace corbenna {
namespace {

using component::InvokeKind;
using component::Variant;
using component::VariantKind;

const component::ClassRegistrar kRegistrar(SQL::ClassInfo(),
                                           [] { return std::make_shared<SQL>(); });

QString Quoted(QString text) {
  // Doubling the quotes keeps the text one literal, whatever it holds.
  text.replace(u'\'', QStringLiteral("''"));
  return u'\'' + text + u'\'';
}

}  // namespace

SQL::SQL() : strings_(std::make_unique<StringHandler>()) {}
SQL::~SQL() = default;

const component::ClassIdentity& SQL::ClassInfo() {
  static const component::ClassIdentity identity{
      QStringLiteral("corbenna.SQL"), QUuid("{7BAAD0BB-DB13-11D2-A291-00105A1B541E}"),
      QStringLiteral("_SQL"), QUuid("{C450B8DA-ED00-11D2-A2C0-00105A1B541E}")};
  return identity;
}

QString SQL::GetSQLValue(const Variant& vValue) {
  switch (vValue.kind()) {
    case VariantKind::kNull:
      return QStringLiteral("NULL");
    case VariantKind::kInteger:
      return QString::number(vValue.AsInteger());
    case VariantKind::kLong:
      return QString::number(vValue.AsLong());
    case VariantKind::kDouble:
      return component::FormatDouble(vValue.AsDouble());
    case VariantKind::kDate:
      return Quoted(component::FormatGeneralDate(vValue.AsDate()));
    case VariantKind::kText:
      return Quoted(vValue.AsText());
    case VariantKind::kBoolean:
      return vValue.AsBoolean() ? QStringLiteral("1") : QStringLiteral("0");
    default:
      winapi::ShowMessageBox({QStringLiteral("This datatype is not supported"), QString(),
                              winapi::MessageIcon::kNone});
      return QString();
  }
}

QString SQL::GetCondition(const QString& field, const QString& comparison, const Variant& value) {
  return field + u' ' + comparison + u' ' + GetSQLValue(value);
}

QString SQL::GetWhereClauseAnd(const Variant& vFieldNameOperatorValue) {
  try {
    const component::VariantArray& triples = vFieldNameOperatorValue.AsArray();
    const int64_t upper = triples.UpperBound(1);
    QString clause;
    for (int64_t i = triples.LowerBound(1); i <= upper; i += 3) {
      const QString field = triples.At({static_cast<int32_t>(i)}).ToText();
      const QString comparison = triples.At({static_cast<int32_t>(i + 1)}).ToText();
      const Variant& value = triples.At({static_cast<int32_t>(i + 2)});
      if (strings_->IsBlank(value.JoinedText())) continue;
      clause += u'(' + GetCondition(field, comparison, value) + QStringLiteral(") AND ");
    }
    if (strings_->IsBlank(clause)) return QString();
    return clause.left(clause.size() - 4);
  } catch (const component::Error& error) {
    if (error.number() == component::kSubscriptOutOfRange) return QString();
    throw component::Error(error.number(), error.source(), error.description());
  } catch (const std::bad_alloc&) {
    throw component::Error(component::kOutOfMemory, ClassInfo().prog_id);
  }
}

Variant SQL::Invoke(const QString& member, InvokeKind kind, const std::vector<Variant>& arguments) {
  using M = component::Methods<SQL>;
  static const component::MemberTable<SQL> table{
      {"GetWhereClauseAnd", InvokeKind::kMethod, &M::Call<&SQL::GetWhereClauseAnd>},
      {"GetSQLValue", InvokeKind::kMethod, &M::Call<&SQL::GetSQLValue>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

}  // namespace corbenna
