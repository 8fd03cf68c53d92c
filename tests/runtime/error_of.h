// ErrorOf: the VB error number a call raises, 0 when it raises none.
#pragma once

#include <cstdint>
#include <functional>

#include "runtime/com_error.h"

inline int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::ComError& e) {
    return e.number();
  }
  return 0;
}
