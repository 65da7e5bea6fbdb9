// SQL: SQL literals for values, and AND-joined WHERE conditions from field/operator/value
// triples.
//
// Created by name as "corbenna.SQL" or by its class identifier. An instance owns one
// StringHandler for the whole of its life.
#ifndef VANTREL_CORBENNA_SQL_H_
#define VANTREL_CORBENNA_SQL_H_

#include <QString>
#include <memory>

#include "corbenna/corbenna_export.h"
#include "corbenna/string_handler.h"
#include "platform/component/dispatch.h"
#include "platform/component/variant.h"

namespace corbenna {

class CORBENNA_EXPORT _SQL : public component::Dispatch {
 public:
  // Reads `vFieldNameOperatorValue`, a one-dimensional array, as consecutive (field, operator,
  // value) triples from its lower bound on, skips every triple whose value is blank once joined
  // with empty text (Null, Empty, "", spaces), and joins "(field operator literal)" conditions
  // with " AND "; the result keeps one closing space ("(A = 1) AND (B = 2) "), or is empty when
  // no condition remains. Error 9 anywhere (an incomplete last triple, an array never given
  // elements, more than one dimension) gives empty text; any other error (a field or operator
  // that doesn't convert to text, an argument that is no array) is raised again with the same
  // number, source and description.
  virtual QString GetWhereClauseAnd(const component::Variant& vFieldNameOperatorValue) = 0;
  // The SQL literal of `vValue`: NULL; 16- and 32-bit integers in decimal; a double by the
  // regional settings; a date as 'General Date'; a text between single quotes with each quote
  // inside doubled; a boolean as 1 or 0. Any other kind shows the box "This datatype is not
  // supported" and gives empty text. Throws nothing of its own.
  virtual QString GetSQLValue(const component::Variant& vValue) = 0;
};

class CORBENNA_EXPORT SQL : public _SQL {
 public:
  SQL();
  ~SQL() override;

  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  QString GetWhereClauseAnd(const component::Variant& vFieldNameOperatorValue) override;
  QString GetSQLValue(const component::Variant& vValue) override;

  // GetWhereClauseAnd(array), GetSQLValue(value).
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;

 private:
  // field, a space, the operator, a space, GetSQLValue(value).
  QString GetCondition(const QString& field, const QString& comparison,
                       const component::Variant& value);

  std::unique_ptr<StringHandler> strings_;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_SQL_H_
