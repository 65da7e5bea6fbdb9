// The interface of the class that libtestplug.so offers as "TESTPLUG.Echo".
#ifndef VANTREL_PLATFORM_COMPONENT_TESTS_ECHO_H_
#define VANTREL_PLATFORM_COMPONENT_TESTS_ECHO_H_

#include <QString>
#include <cstdint>

#include "platform/component/dispatch.h"

namespace component_test {

class _Echo : public component::Dispatch {
 public:
  virtual QString Join(const QString& left, const QString& right, const QString& separator) = 0;
  virtual void SetTimes(int32_t times) = 0;
  virtual int32_t Times() const = 0;
};

}  // namespace component_test

#endif  // VANTREL_PLATFORM_COMPONENT_TESTS_ECHO_H_
