#include "platform/component/arguments.h"

#include "platform/component/error.h"

namespace component {

Arguments::Arguments(const std::vector<Variant>& values, const QString& source)
    : values_(values), source_(source) {}

void Arguments::ExpectCount(size_t minimum, size_t maximum) const {
  if (values_.size() < minimum || values_.size() > maximum) {
    throw Error(kWrongNumberOfArguments, source_);
  }
}

const Variant& Arguments::At(size_t index) const {
  if (index >= values_.size()) throw Error(kWrongNumberOfArguments, source_);
  return values_[index];
}

// A conversion failure carries the called class's name, not the Variant's.
void Arguments::Rethrow(const Error& error) const { throw Error(error.number(), source_); }

QString Arguments::Text(size_t index) const {
  try {
    return At(index).ToText();
  } catch (const Error& error) {
    Rethrow(error);
  }
}

QString Arguments::OptionalText(size_t index, const QString& fallback) const {
  return index < values_.size() ? Text(index) : fallback;
}

int32_t Arguments::Long(size_t index) const {
  try {
    return At(index).ToLong();
  } catch (const Error& error) {
    Rethrow(error);
  }
}

bool Arguments::Boolean(size_t index) const {
  try {
    return At(index).ToBoolean();
  } catch (const Error& error) {
    Rethrow(error);
  }
}

}  // namespace component
