// HandleMethodError: a class method's whole failure block in one call.
//
//   rt::Variant Foo::Bar(...) {
//     rt::ContextScope scope(*this);
//     rt::ObjectPtr cn;
//     try {
//       ...
//     } catch (...) {
//       HandleMethodError("Brintor.Foo.Bar", info, [&] { Sql_CloseConnection(cn); Mts_SetAbort(); });
//     }
//     return {};
//   }
//
// Shorter forms: HandleMethodError(source, Mts_SetAbort) without
// information; HandleMethodError(source) or HandleMethodError(source, info)
// with nothing to close and no vote.
//
// Call it only inside a catch block. It makes the exception in flight the
// pending error, runs the method's cleanup (close what the method opened,
// vote), then logs the error and raises it again through Err_LogAndRaise.
// Whatever the cleanup does to the pending error, the method's own failure
// is the one reported.
// The information is evaluated where the call is written, before the
// cleanup closes anything, so a connection's errors can still be read into
// it. A failure inside the cleanup reaches the caller as it is.
#pragma once

#include <concepts>
#include <string>
#include <utility>

#include "common/lib_errorhandling.h"
#include "runtime/com_error.h"

template <class Cleanup>
  requires std::invocable<Cleanup&>
void HandleMethodError(const std::string& source, const rt::Variant& info, Cleanup&& cleanup) {
  rt::TrapError();
  // The cleanup may trap failures of its own; the method's error is the one to report.
  const rt::PendingError failure = rt::Err();
  cleanup();
  rt::Err() = failure;
  Err_LogAndRaise(source, info);
}

template <class Cleanup>
  requires std::invocable<Cleanup&>
void HandleMethodError(const std::string& source, Cleanup&& cleanup) {
  HandleMethodError(source, rt::Variant::Missing(), std::forward<Cleanup>(cleanup));
}

inline void HandleMethodError(const std::string& source,
                              const rt::Variant& info = rt::Variant::Missing()) {
  rt::TrapError();
  Err_LogAndRaise(source, info);
}
