// VariantArray: an array of Variants with one or more dimensions, each with its own lower bound.
//
// An array that has never been given any elements has no dimensions at all; asking it for a
// bound or an element throws Error 9 (subscript out of range), as the platform does. So does
// an index outside the bounds, and a number of indices that differs from the number of
// dimensions. A dimension may hold zero elements (upper bound = lower bound - 1).
#ifndef VANTREL_PLATFORM_COMPONENT_VARIANT_ARRAY_H_
#define VANTREL_PLATFORM_COMPONENT_VARIANT_ARRAY_H_

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/component/component_export.h"
#include "platform/component/variant.h"

namespace component {

class COMPONENT_EXPORT VariantArray {
 public:
  struct Dimension {
    int32_t lower_bound = 0;
    int32_t count = 0;
  };

  // An array never given any elements (no dimensions).
  VariantArray() = default;
  // Every element starts Empty. Throws Error 9 when a count is negative.
  explicit VariantArray(std::vector<Dimension> dimensions);
  // A one-dimensional array holding `values` from `lower_bound` on.
  static VariantArray OfValues(int32_t lower_bound, std::vector<Variant> values);

  int32_t DimensionCount() const { return static_cast<int32_t>(dimensions_.size()); }
  // `dimension` counts from 1. Throw Error 9 for a dimension the array doesn't have.
  int32_t LowerBound(int32_t dimension = 1) const;
  int32_t UpperBound(int32_t dimension = 1) const;

  // The element at `indices`, one index per dimension. Throws Error 9 as described above.
  const Variant& At(std::initializer_list<int32_t> indices) const;
  Variant& At(std::initializer_list<int32_t> indices);

 private:
  size_t Offset(std::initializer_list<int32_t> indices) const;

  std::vector<Dimension> dimensions_;
  std::vector<Variant> elements_;  // first index varies fastest
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_VARIANT_ARRAY_H_
