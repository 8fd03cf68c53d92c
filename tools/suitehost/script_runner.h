// Runs a script of JSON lines, one step a line, against objects that live
// until the script ends.
#pragma once

#include <istream>
#include <map>
#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/suitehost/host_session.h"

namespace suitehost {

// Steps:
//   {"new":"x","progid":"Brintor.Currency"}     creates a root object named x
//   {"call":"x.Method","args":[...]}             calls a method
//   {"get":"x.Prop","args":[...]}                reads a property ("args" optional)
//   {"let":"x.Prop","args":[...],"value":...}    assigns a property
// Each step prints one JSON line; a failed step prints {"error":...}, adds a
// note on the notes stream naming the script's line (and the member and the
// argument, where a call failed), and the script goes on. Blank lines and
// lines starting with # are skipped. An argument {"$ref":"x"} passes the
// script object x. A call or get step with "as":"y" names its result y, as
// "new" names an object; a result that is no object (or Nothing) fails the
// step, naming nothing.
class ScriptRunner {
 public:
  explicit ScriptRunner(HostSession& session) : session_(session) {}

  // Answers true when every step succeeded. `name` is how the notes name
  // the script ("steps.jsonl:4: ...").
  bool Run(std::istream& in, std::ostream& out, std::ostream& notes, const std::string& name);

 private:
  nlohmann::ordered_json Step(const nlohmann::ordered_json& step);
  nlohmann::ordered_json New(const nlohmann::ordered_json& step);
  nlohmann::ordered_json Member(const nlohmann::ordered_json& step, const std::string& verb, rt::CallKind kind);
  rt::ObjectPtr Find(const std::string& name) const;
  static std::string ObjectName(const nlohmann::ordered_json& step, const char* key);

  // Where the running step's note is to name: the ProgID a "new" step
  // creates, or the "x.Member" a step calls, once it gets that far.
  std::string calling_;
  // The position among the call's arguments of a "let" step's value.
  size_t valuePosition_ = 0;
  // The position of the argument (or value) that is no valid value form,
  // counted from 1; 0 when every one converted.
  size_t unconverted_ = 0;

  HostSession& session_;
  std::map<std::string, rt::ObjectPtr> objects_;
};

}  // namespace suitehost
