// Runs a script of JSON lines against objects that live until its end.
#include "tools/suitehost/script_runner.h"

#include "tools/suitehost/json_value.h"

namespace suitehost {

using json = nlohmann::ordered_json;

namespace {

const char* const kVerbs[] = {"new", "call", "get", "let"};

std::string TextMember(const json& step, const char* key) {
  auto it = step.find(key);
  if (it == step.end() || !it->is_string())
    throw ValueError(std::string("the step needs \"") + key + "\" as a text");
  return it->get<std::string>();
}

bool IsSkipped(const std::string& line) {
  size_t first = line.find_first_not_of(" \t\r");
  return first == std::string::npos || line[first] == '#';
}

}  // namespace

bool ScriptRunner::Run(std::istream& in, std::ostream& out, std::ostream& notes, const std::string& name) {
  bool allSucceeded = true;
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    if (IsSkipped(line)) continue;
    json answer;
    calling_.clear();
    valuePosition_ = 0;
    unconverted_ = 0;
    try {
      json step = json::parse(line);
      answer = Step(step);
    } catch (const json::exception& e) {
      answer = {{"error", {{"number", kHostErrorNumber}, {"source", "suitehost"},
                           {"description", std::string("not a JSON step: ") + e.what()}}}};
    } catch (...) {
      answer = HostSession::CurrentError();
    }
    // The answer first, then its note: where both streams go to one place,
    // the note follows the line it is about.
    out << DumpLine(answer) << '\n' << std::flush;
    if (answer.contains("error")) {
      allSucceeded = false;
      std::string where = name + ":" + std::to_string(number);
      std::string argument;
      if (!calling_.empty()) {
        where += ": " + calling_;
        const size_t failed = unconverted_ ? unconverted_ : session_.FailedArgument();
        if (failed) argument = failed == valuePosition_ ? "value" : "argument " + std::to_string(failed);
      }
      notes << "suitehost: " << FailureNote(where, argument, answer) << '\n' << std::flush;
    }
  }
  objects_.clear();
  return allSucceeded;
}

json ScriptRunner::Step(const json& step) {
  if (!step.is_object()) throw ValueError("a step is a JSON object");
  int verbs = 0;
  for (const char* verb : kVerbs) verbs += step.contains(verb) ? 1 : 0;
  if (verbs != 1) throw ValueError("a step has exactly one of \"new\", \"call\", \"get\", \"let\"");
  if (step.contains("new")) return New(step);
  if (step.contains("call")) return Member(step, "call", rt::CallKind::Method);
  if (step.contains("get")) return Member(step, "get", rt::CallKind::Get);
  return Member(step, "let", rt::CallKind::Let);
}

// A script object's name: not empty and without ".", which separates it
// from a member.
std::string ScriptRunner::ObjectName(const json& step, const char* key) {
  std::string name = TextMember(step, key);
  if (name.empty() || name.find('.') != std::string::npos)
    throw ValueError("an object's name is not empty and holds no \".\"");
  return name;
}

json ScriptRunner::New(const json& step) {
  if (step.contains("as")) throw ValueError("\"as\" names the result of a \"call\" or \"get\" step");
  std::string name = ObjectName(step, "new");
  calling_ = TextMember(step, "progid");
  rt::ObjectPtr object = session_.CreateRoot(calling_);
  objects_[name] = object;
  // The new object by its type name, whatever it holds yet.
  return {{"result", {{"$object", object->TypeName()}}}};
}

json ScriptRunner::Member(const json& step, const std::string& verb, rt::CallKind kind) {
  std::string target = TextMember(step, verb.c_str());
  size_t dot = target.find('.');
  if (dot == std::string::npos || dot + 1 == target.size())
    throw ValueError("\"" + verb + "\" names an object and a member, as \"x.Member\"");
  rt::ObjectPtr object = Find(target.substr(0, dot));
  std::string resultName;
  if (step.contains("as")) {
    if (kind == rt::CallKind::Let) throw ValueError("\"as\" names the result of a \"call\" or \"get\" step");
    resultName = ObjectName(step, "as");
  }

  RefResolver resolver = [this](const std::string& name) { return Find(name); };
  rt::Args args;
  // A value that is no valid form fails the step; its note names the
  // member and the value's position as a failed conversion would.
  auto convert = [&](const json& value) {
    try {
      args.push_back(VariantFromJson(value, resolver));
    } catch (const ValueError&) {
      calling_ = target;
      unconverted_ = args.size() + 1;
      throw;
    }
  };
  if (auto it = step.find("args"); it != step.end()) {
    if (!it->is_array()) throw ValueError("\"args\" is an array");
    for (const json& arg : *it) convert(arg);
  }
  if (kind == rt::CallKind::Let) {
    auto value = step.find("value");
    if (value == step.end()) throw ValueError("a \"let\" step needs a \"value\"");
    valuePosition_ = args.size() + 1;
    convert(*value);
    calling_ = target;
    json answer = session_.Invoke(*object, target.substr(dot + 1), kind, args);
    // The assigned value is not one of the property's arguments.
    answer["args"].erase(answer["args"].size() - 1);
    return answer;
  }
  rt::Variant result;
  calling_ = target;
  json answer = session_.Invoke(*object, target.substr(dot + 1), kind, args, &result);
  if (!resultName.empty()) {
    if (!result.IsObject() || result.IsNothing())
      throw ValueError("\"as\" names an object, but the result is " + rt::TypeName(result));
    objects_[resultName] = result.AsObject();
  }
  return answer;
}

rt::ObjectPtr ScriptRunner::Find(const std::string& name) const {
  auto it = objects_.find(name);
  if (it == objects_.end()) throw ValueError("no script object named \"" + name + "\"");
  return it->second;
}

}  // namespace suitehost
