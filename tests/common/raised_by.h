// RaisedBy: runs a call that must fail and answers the COM error it raised.
#pragma once

#include <gtest/gtest.h>

#include "runtime/com_error.h"

template <class F>
rt::ComError RaisedBy(F&& f) {
  try {
    f();
  } catch (const rt::ComError& e) {
    return e;
  }
  ADD_FAILURE() << "nothing was raised";
  return rt::ComError(0, "", "");
}
