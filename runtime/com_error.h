// The COM error and the thread's pending error.
//
// A failure is raised as a thrown ComError. A method's handler catches it
// (or any other exception) with TrapError(), which makes it the thread's
// pending error, the state that VB code reads through Err.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace rt {

// HRESULTs and VB runtime error numbers used across the system.
namespace hr {
constexpr int32_t kOk = 0;
constexpr int32_t kFail = static_cast<int32_t>(0x80004005);
constexpr int32_t kUnexpected = static_cast<int32_t>(0x8000FFFF);
constexpr int32_t kInvalidClassString = static_cast<int32_t>(0x800401F3);
constexpr int32_t kClassNotAvailable = static_cast<int32_t>(0x80040111);
constexpr int32_t kUnknownName = static_cast<int32_t>(0x80020006);
constexpr int32_t kSqlFailed = static_cast<int32_t>(0x80040E14);
constexpr int32_t kConstraintViolation = static_cast<int32_t>(0x80040E2F);
constexpr int32_t kTransactionAborted = static_cast<int32_t>(0x8004E002);
}  // namespace hr

namespace vberr {
constexpr int32_t kInvalidProcedureCall = 5;
constexpr int32_t kOverflow = 6;
constexpr int32_t kOutOfMemory = 7;
constexpr int32_t kSubscriptOutOfRange = 9;
constexpr int32_t kDivisionByZero = 11;
constexpr int32_t kTypeMismatch = 13;
constexpr int32_t kInternalError = 51;
constexpr int32_t kPathFileAccess = 75;
constexpr int32_t kObjectNotSet = 91;
constexpr int32_t kInvalidUseOfNull = 94;
constexpr int32_t kNotAnObject = 424;
constexpr int32_t kMethodNotSupported = 438;
constexpr int32_t kArgumentNotOptional = 449;
constexpr int32_t kWrongArgumentCount = 450;
constexpr int32_t kKeyAlreadyAssociated = 457;
constexpr int32_t kElementNotFound = 32811;
}  // namespace vberr

// VB's own text for a runtime error number ("Overflow", "Type mismatch", ...),
// or "Application-defined or object-defined error" for others.
std::string VbErrorText(int32_t number);

class ComError : public std::exception {
 public:
  ComError(int32_t number, std::string source, std::string description,
           std::string helpFile = {}, int32_t helpContext = 0);

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }
  const std::string& helpFile() const { return helpFile_; }
  int32_t helpContext() const { return helpContext_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
  std::string helpFile_;
  int32_t helpContext_;
};

// Raises a VB runtime error with its standard text. An empty source becomes
// the running component's name ("Brintor", "Quarvel", ...), as VB fills it
// where the error happens; outside any component it stays empty.
[[noreturn]] void RaiseVb(int32_t number, std::string source = {});
[[noreturn]] void Raise(int32_t number, std::string source, std::string description,
                        std::string helpFile = {}, int32_t helpContext = 0);

// The thread's pending error (VB's Err object).
struct PendingError {
  int32_t number = 0;
  std::string source;
  std::string description;
  std::string helpFile;
  int32_t helpContext = 0;

  void Clear() { *this = PendingError{}; }
  [[noreturn]] void RaiseAgain() const;  // throws these five values as a ComError
  ComError ToComError() const;
};

PendingError& Err();

// Makes the exception in flight the thread's pending error. Call only inside
// a catch block. A ComError keeps its five values; std::bad_alloc becomes
// "Out of memory" (7); any other exception becomes error 0x8000FFFF with a
// text naming the exception, so a stray C++ failure never crashes a caller;
// those two take the running component's name as source. A ComError keeps
// its source as raised, even an empty one. Outside a catch block it does
// nothing.
void TrapError();

// Runs f; a failure becomes the pending error instead of propagating
// ("On Error Resume Next" around one statement). Answers true when f succeeded.
template <class F>
bool TryResume(F&& f) {
  try {
    f();
    return true;
  } catch (...) {
    TrapError();
    return false;
  }
}

}  // namespace rt
