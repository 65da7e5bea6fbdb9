// StringHandler: the blank test and list splitting of the library. Holds no state; every call
// stands alone. IsBlank never throws; ParseString fails only when memory runs out.
//
// Created by name as "corbenna.StringHandler" or by its class identifier.
#ifndef VANTREL_CORBENNA_STRING_HANDLER_H_
#define VANTREL_CORBENNA_STRING_HANDLER_H_

#include <QString>
#include <memory>

#include "corbenna/corbenna_export.h"
#include "corbenna/text_collection.h"
#include "platform/component/dispatch.h"

namespace corbenna {

class CORBENNA_EXPORT _StringHandler : public component::Dispatch {
 public:
  // True when `sText` is empty, null, or made of spaces (U+0020) only; tabs and line breaks
  // are not blank.
  virtual bool IsBlank(const QString& sText) noexcept = 0;
  // The parts of `sText` between occurrences of `sDelimiter`, in order and untrimmed: an empty
  // item wherever two delimiters meet or one begins or ends the text. A text without the
  // delimiter gives itself as the one item, or no item when it is blank. An empty delimiter
  // never matches; a longer one is matched and skipped whole. The caller owns the result.
  virtual std::unique_ptr<TextCollection> ParseString(const QString& sText,
                                                      const QString& sDelimiter) = 0;
};

class CORBENNA_EXPORT StringHandler : public _StringHandler {
 public:
  static const component::ClassIdentity& ClassInfo();
  const component::ClassIdentity& Identity() const override { return ClassInfo(); }

  bool IsBlank(const QString& sText) noexcept override;
  std::unique_ptr<TextCollection> ParseString(const QString& sText,
                                              const QString& sDelimiter) override;

  // IsBlank(sText) (a Null argument counts as empty text), ParseString(sText, sDelimiter).
  component::Variant Invoke(const QString& member, component::InvokeKind kind,
                            const std::vector<component::Variant>& arguments) override;
};

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_STRING_HANDLER_H_
