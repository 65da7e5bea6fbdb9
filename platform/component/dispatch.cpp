#include "platform/component/dispatch.h"

namespace component {

// Out of line so that the class's type information lives in this library alone, and a
// dynamic_cast of an object made by a loaded library works in the program.
Dispatch::~Dispatch() = default;

}  // namespace component
