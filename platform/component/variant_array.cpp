#include "platform/component/variant_array.h"

#include <utility>

#include "platform/component/error.h"

namespace component {
namespace {

Error OutOfRange() { return Error(kSubscriptOutOfRange, QStringLiteral("VariantArray")); }

}  // namespace

VariantArray::VariantArray(std::vector<Dimension> dimensions) : dimensions_(std::move(dimensions)) {
  size_t total = dimensions_.empty() ? 0 : 1;
  for (const Dimension& dimension : dimensions_) {
    if (dimension.count < 0) throw OutOfRange();
    total *= static_cast<size_t>(dimension.count);
  }
  elements_.resize(total);
}

VariantArray VariantArray::OfValues(int32_t lower_bound, std::vector<Variant> values) {
  VariantArray array;
  array.dimensions_.push_back({lower_bound, static_cast<int32_t>(values.size())});
  array.elements_ = std::move(values);
  return array;
}

int32_t VariantArray::LowerBound(int32_t dimension) const {
  if (dimension < 1 || dimension > DimensionCount()) throw OutOfRange();
  return dimensions_[dimension - 1].lower_bound;
}

int32_t VariantArray::UpperBound(int32_t dimension) const {
  if (dimension < 1 || dimension > DimensionCount()) throw OutOfRange();
  const Dimension& d = dimensions_[dimension - 1];
  return d.lower_bound + d.count - 1;
}

size_t VariantArray::Offset(std::initializer_list<int32_t> indices) const {
  if (indices.size() != dimensions_.size() || dimensions_.empty()) throw OutOfRange();
  size_t offset = 0;
  size_t stride = 1;
  auto dimension = dimensions_.begin();
  for (int32_t index : indices) {
    const int64_t position = int64_t{index} - dimension->lower_bound;
    if (position < 0 || position >= dimension->count) throw OutOfRange();
    offset += static_cast<size_t>(position) * stride;
    stride *= static_cast<size_t>(dimension->count);
    ++dimension;
  }
  return offset;
}

const Variant& VariantArray::At(std::initializer_list<int32_t> indices) const {
  return elements_[Offset(indices)];
}

Variant& VariantArray::At(std::initializer_list<int32_t> indices) {
  return elements_[Offset(indices)];
}

}  // namespace component
