#pragma once
#include "platform/framework/cexception.h"

namespace net_detail {

// Runs an operation that must not throw to its caller. Framework exceptions
// (thrown by pointer) are released; anything else is swallowed. Returns false
// when the operation was cut short by an exception.
template <typename Operation>
bool RunWithoutThrowing(Operation&& operation) noexcept {
  try {
    operation();
    return true;
  } catch (CException* e) {
    e->Delete();
  } catch (...) {
  }
  return false;
}

}  // namespace net_detail
