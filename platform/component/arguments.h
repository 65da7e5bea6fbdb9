// Arguments: the checked view of the Variant arguments of a call by member name.
//
// A class's member table (member_table.h) hands each member its arguments through this class,
// which turns the platform's argument rules into numbered errors whose source is the class's
// name: 450 for a count outside what the member accepts, 13 for an argument of a kind that
// doesn't convert, 94 for a Null where a value is needed.
#ifndef VANTREL_PLATFORM_COMPONENT_ARGUMENTS_H_
#define VANTREL_PLATFORM_COMPONENT_ARGUMENTS_H_

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/component/component_export.h"
#include "platform/component/error.h"
#include "platform/component/variant.h"

namespace component {

class COMPONENT_EXPORT Arguments {
 public:
  // Keeps references to both; they must outlive this object.
  Arguments(const std::vector<Variant>& values, const QString& source);

  size_t count() const { return values_.size(); }
  // Throws 450 unless minimum <= count() <= maximum.
  void ExpectCount(size_t minimum, size_t maximum) const;

  // The argument at `index` (from 0) as it came; throws 450 when it wasn't passed.
  const Variant& At(size_t index) const;
  // Converted by the standard conversions of Variant (see variant.h), with this call's source.
  QString Text(size_t index) const;
  // `fallback` when the optional argument at `index` wasn't passed.
  QString OptionalText(size_t index, const QString& fallback = QString()) const;
  int32_t Long(size_t index) const;
  bool Boolean(size_t index) const;

 private:
  [[noreturn]] void Rethrow(const Error& error) const;

  const std::vector<Variant>& values_;
  const QString& source_;
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_ARGUMENTS_H_
