// The COM error, VB's runtime error texts and the thread's pending error.
#include "runtime/com_error.h"

#include <new>
#include <stdexcept>

#include "runtime/context.h"

namespace rt {

std::string VbErrorText(int32_t number) {
  switch (number) {
    case vberr::kInvalidProcedureCall: return "Invalid procedure call or argument";
    case vberr::kOverflow: return "Overflow";
    case vberr::kOutOfMemory: return "Out of memory";
    case vberr::kSubscriptOutOfRange: return "Subscript out of range";
    case vberr::kDivisionByZero: return "Division by zero";
    case vberr::kTypeMismatch: return "Type mismatch";
    case vberr::kInternalError: return "Internal error";
    case vberr::kPathFileAccess: return "Path/File access error";
    case vberr::kObjectNotSet: return "Object variable or With block variable not set";
    case vberr::kInvalidUseOfNull: return "Invalid use of Null";
    case vberr::kNotAnObject: return "Object required";
    case vberr::kMethodNotSupported: return "Object doesn't support this property or method";
    case vberr::kArgumentNotOptional: return "Argument not optional";
    case vberr::kWrongArgumentCount:
      return "Wrong number of arguments or invalid property assignment";
    case vberr::kKeyAlreadyAssociated:
      return "This key is already associated with an element of this collection";
    case vberr::kElementNotFound: return "Element not found";
    default: return "Application-defined or object-defined error";
  }
}

ComError::ComError(int32_t number, std::string source, std::string description,
                   std::string helpFile, int32_t helpContext)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      helpFile_(std::move(helpFile)),
      helpContext_(helpContext) {}

void RaiseVb(int32_t number, std::string source) {
  // VB fills the source where the run-time error happens: the running
  // component's name, or nothing outside any component.
  if (source.empty()) source = CurrentComponentName();
  throw ComError(number, std::move(source), VbErrorText(number));
}

void Raise(int32_t number, std::string source, std::string description, std::string helpFile,
           int32_t helpContext) {
  throw ComError(number, std::move(source), std::move(description), std::move(helpFile),
                 helpContext);
}

ComError PendingError::ToComError() const {
  return ComError(number, source, description, helpFile, helpContext);
}

void PendingError::RaiseAgain() const { throw ToComError(); }

PendingError& Err() {
  thread_local PendingError pending;
  return pending;
}

namespace {

// Naming the component may itself fail (out of memory); the error being
// trapped matters more than its source.
std::string RunningComponent() {
  try {
    return CurrentComponentName();
  } catch (...) {
    return {};
  }
}

PendingError Capture(const std::exception_ptr& in_flight) {
  PendingError e;
  try {
    std::rethrow_exception(in_flight);
  } catch (const ComError& c) {
    e.number = c.number();
    e.source = c.source();
    e.description = c.description();
    e.helpFile = c.helpFile();
    e.helpContext = c.helpContext();
  } catch (const std::bad_alloc&) {
    e.number = vberr::kOutOfMemory;
    e.description = VbErrorText(vberr::kOutOfMemory);
    e.source = RunningComponent();
  } catch (const std::exception& x) {
    e.number = hr::kUnexpected;
    e.description = std::string("Unexpected failure: ") + x.what();
    e.source = RunningComponent();
  } catch (...) {
    e.number = hr::kUnexpected;
    e.description = "Unexpected failure";
    e.source = RunningComponent();
  }
  return e;
}

}  // namespace

void TrapError() {
  std::exception_ptr in_flight = std::current_exception();
  if (!in_flight) return;
  // A raised error keeps its source as raised, empty included: VB fills a
  // run-time error's source where it happens (RaiseVb), never when a handler
  // traps it. C++ failures that were no COM error are named here.
  Err() = Capture(in_flight);
}

}  // namespace rt
