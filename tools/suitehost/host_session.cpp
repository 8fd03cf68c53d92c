// One run of the host: creation of root objects and late-bound calls.
#include "tools/suitehost/host_session.h"

#include "runtime/com_error.h"
#include "tools/suitehost/json_value.h"

namespace suitehost {

using json = nlohmann::ordered_json;

namespace {

// The call kind a late-bound caller's request comes to for this member.
rt::CallKind ResolveKind(const rt::Object& object, std::string_view name, rt::CallKind kind,
                         const rt::Args& args) {
  const rt::DispatchTable* table = object.Dispatch();
  const rt::Member* member = table ? table->Find(name) : nullptr;
  if (!member) return kind;
  if (kind == rt::CallKind::Method && !member->method && member->get) return rt::CallKind::Get;
  if (kind == rt::CallKind::Let && !args.empty() && args.back().IsObject() && member->set)
    return rt::CallKind::Set;
  return kind;
}

json ErrorJson(int32_t number, const std::string& source, const std::string& description) {
  return {{"error", {{"number", number}, {"source", source}, {"description", description}}}};
}

}  // namespace

rt::ObjectPtr HostSession::CreateRoot(const std::string& progId) {
  failedArgument_ = 0;
  rt::ObjectPtr object = rt::CreateRootObject(progId, activity_);
  if (!object) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return object;
}

json HostSession::Invoke(rt::Object& object, std::string_view member, rt::CallKind kind,
                         rt::Args& args, rt::Variant* result) {
  failedArgument_ = 0;
  rt::Variant answer;
  try {
    answer = object.Invoke(member, ResolveKind(object, member, kind, args), args);
  } catch (...) {
    failedArgument_ = rt::FailedArgumentOfLastCall();
    throw;
  }
  json out = {{"result", Render(answer)}, {"args", json::array()}};
  for (const rt::Variant& arg : args) out["args"].push_back(Render(arg));
  if (result) *result = std::move(answer);
  return out;
}

json HostSession::Render(const rt::Variant& value) const { return VariantToJson(value, typed_); }

json HostSession::CurrentError() {
  try {
    throw;
  } catch (const ValueError& e) {
    return ErrorJson(kHostErrorNumber, "suitehost", e.what());
  } catch (...) {
    rt::TrapError();
    rt::PendingError error = rt::Err();
    rt::Err().Clear();
    return ErrorJson(error.number, error.source, error.description);
  }
}

std::string FailureNote(const std::string& called, const std::string& argument, const json& answer) {
  // A nested error block spans lines: its line breaks, with the blanks
  // around them, become one blank.
  const std::string text = answer.at("error").at("description").get<std::string>();
  std::string description;
  size_t at = 0;
  while (at < text.size()) {
    const size_t brk = text.find_first_of("\r\n", at);
    const size_t end = brk == std::string::npos ? text.size() : brk;
    std::string piece = text.substr(at, end - at);
    piece.erase(0, piece.find_first_not_of(' '));
    piece.erase(piece.find_last_not_of(' ') + 1);
    if (!piece.empty()) description += (description.empty() ? "" : " ") + piece;
    at = end + 1;
  }
  return called + (argument.empty() ? "" : ", " + argument) + ": " + description;
}

}  // namespace suitehost
