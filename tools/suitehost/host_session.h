// One run of the host: the activity that every object it creates shares,
// creation of root objects, late-bound calls and their JSON answers.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "runtime/context.h"
#include "runtime/object.h"

namespace suitehost {

// The number a host-side failure of a script step is reported with
// (E_INVALIDARG): a malformed step, an unknown script object, a bad value.
constexpr int32_t kHostErrorNumber = static_cast<int32_t>(0x80070057);

class HostSession {
 public:
  HostSession(std::shared_ptr<rt::Activity> activity, bool typed)
      : activity_(std::move(activity)), typed_(typed) {}

  // Creates the class as the root of a new context in this run's activity.
  rt::ObjectPtr CreateRoot(const std::string& progId);

  // Calls one member late-bound and answers {"result":...,"args":[...]},
  // the arguments as they are after the call. A Method call of a member
  // that is only a property reads the property, as late binding does; a Let
  // of an object becomes a Set where the member has one.
  // `result`, when given, receives the member's result as it came.
  nlohmann::ordered_json Invoke(rt::Object& object, std::string_view member, rt::CallKind kind,
                                rt::Args& args, rt::Variant* result = nullptr);

  nlohmann::ordered_json Render(const rt::Variant& value) const;

  // The argument (counted from 1) whose conversion to its parameter failed
  // the last Invoke, a missing one included; 0 when none did or when a
  // CreateRoot came after it.
  size_t FailedArgument() const { return failedArgument_; }

  // The {"error":{"number":N,"source":"...","description":"..."}} answer for
  // the exception in flight; call only inside a catch block.
  static nlohmann::ordered_json CurrentError();

 private:
  std::shared_ptr<rt::Activity> activity_;
  bool typed_;
  size_t failedArgument_ = 0;
};

// The line the host adds on standard error, after "suitehost: ", for a
// failed step: where it failed (`called`: "Brintor.Currency.ConvertAmount",
// then ", argument 3" when `argument` is not empty) and the description of
// the error in `answer` ({"error":...}), on one line.
std::string FailureNote(const std::string& called, const std::string& argument, const nlohmann::ordered_json& answer);

}  // namespace suitehost
