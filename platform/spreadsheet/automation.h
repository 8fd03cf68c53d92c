// What the spreadsheet's objects share for late-bound callers: optional
// arguments, handlers for variable argument lists, and the application's
// run-time error.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/object.h"

namespace spreadsheet {

// The application's own run-time error: a failed Open, a cell off the grid.
constexpr int32_t kApplicationError = 1004;

// True when the caller gave argument `i` (not left out).
inline bool Given(const rt::Args& args, size_t i) {
  return i < args.size() && !args[i].IsMissing();
}

// Raises 1004 with `text`, or with VB's "Application-defined or
// object-defined error" when empty. The source is the calling component's
// name, as for any run-time error of an outside object that gives none.
[[noreturn]] inline void RaiseApplicationError(std::string text = {}) {
  if (text.empty()) rt::RaiseVb(kApplicationError);
  rt::Raise(kApplicationError, rt::CurrentComponentName(), std::move(text));
}

// A dispatch handler over a member that reads the caller's arguments itself.
template <class T, rt::Variant (T::*Member)(rt::Args&)>
rt::Member::Handler ArgsHandler() {
  return [](rt::Object& self, rt::Args& args) { return (static_cast<T&>(self).*Member)(args); };
}

}  // namespace spreadsheet
