// `suitehost directory ...`: adds, changes, shows, lists and removes
// directory users through the directory's store, without a bind (the
// operator holds the database file).
#include "tools/suitehost/directory_command.h"

#include <iostream>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "runtime/com_error.h"
#include "suite/pellorin/directory_store.h"

namespace suitehost {

const char* const kDirectoryUsage =
    "  directory add USERID --password P [--attr NAME=VALUE]...\n"
    "  directory set USERID NAME=VALUE...  (an empty VALUE removes the attribute;\n"
    "                                      lists such as Roles take VALUE,VALUE)\n"
    "  directory show USERID               the user's attributes as JSON\n"
    "  directory list                      every id, one a line, in directory order\n"
    "  directory remove USERID\n";

namespace {

using pellorin::AttributeChanges;
using pellorin::AttributeInfo;

struct Malformed {
  std::string message;
};

// One NAME=VALUE operand as the attribute's stored values.
std::pair<AttributeInfo, std::vector<std::string>> Assignment(const std::string& text) {
  size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw Malformed{"'" + text + "' is not NAME=VALUE"};
  AttributeInfo info = pellorin::DescribeAttribute(text.substr(0, eq));
  std::string value = text.substr(eq + 1);
  std::vector<std::string> values;
  if (!value.empty()) {
    if (info.multiValued) {
      size_t start = 0;
      while (true) {
        size_t comma = value.find(',', start);
        std::string item = rt::Trim(value.substr(start, comma == std::string::npos ? std::string::npos
                                                                                   : comma - start));
        if (!item.empty()) values.push_back(pellorin::ToStoredText(info, rt::Variant(item)));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    } else {
      values.push_back(pellorin::ToStoredText(info, rt::Variant(value)));
    }
  }
  return {info, values};
}

// A later assignment of the same attribute replaces an earlier one.
void Add(AttributeChanges& changes, std::pair<AttributeInfo, std::vector<std::string>> change) {
  for (auto& existing : changes) {
    if (rt::TextCompare(existing.first.name, change.first.name) == 0) {
      existing = std::move(change);
      return;
    }
  }
  changes.push_back(std::move(change));
}

nlohmann::ordered_json JsonValue(const AttributeInfo& info, const std::string& stored) {
  rt::Variant v = pellorin::FromStoredText(info, stored);
  if (const auto* b = v.Get<bool>()) return *b;
  if (const auto* i = v.Get<int16_t>()) return *i;
  if (const auto* l = v.Get<int32_t>()) return *l;
  if (const auto* c = v.Get<rt::Currency>()) return c->ToDouble();
  return rt::CStr(v);
}

nlohmann::ordered_json Show(const pellorin::Entry& entry) {
  nlohmann::ordered_json attributes = nlohmann::ordered_json::object();
  for (const auto& [name, values] : entry.attributes) {
    AttributeInfo info = pellorin::DescribeAttribute(name);
    if (info.multiValued) {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const std::string& v : values) list.push_back(JsonValue(info, v));
      attributes[info.name] = list;
    } else if (!values.empty()) {
      attributes[info.name] = JsonValue(info, values.front());
    }
  }
  nlohmann::ordered_json out;
  out["cn"] = entry.id;
  out["attributes"] = attributes;
  return out;
}

int Run(const std::vector<std::string>& operands) {
  if (operands.empty()) throw Malformed{"directory needs a subcommand"};
  const std::string& verb = operands[0];
  if (verb == "list") {
    if (operands.size() != 1) throw Malformed{"directory list takes no operands"};
    for (const std::string& id : pellorin::OpenConfiguredDirectory()->Search({})) std::cout << id << '\n';
    return 0;
  }
  if (operands.size() < 2) throw Malformed{"directory " + verb + " needs a USERID"};
  const std::string& id = operands[1];

  if (verb == "add") {
    std::optional<std::string> password;
    AttributeChanges attributes;
    for (size_t i = 2; i < operands.size(); ++i) {
      if (i + 1 >= operands.size()) throw Malformed{operands[i] + " needs a value"};
      if (operands[i] == "--password")
        password = operands[++i];
      else if (operands[i] == "--attr")
        Add(attributes, Assignment(operands[++i]));
      else
        throw Malformed{"unknown operand " + operands[i]};
    }
    if (!password) throw Malformed{"directory add needs --password"};
    pellorin::OpenConfiguredDirectory()->Create(id, *password, attributes);
    std::cout << "Added " << id << '\n';
    return 0;
  }
  if (verb == "set") {
    if (operands.size() < 3) throw Malformed{"directory set needs NAME=VALUE"};
    AttributeChanges changes;
    for (size_t i = 2; i < operands.size(); ++i) Add(changes, Assignment(operands[i]));
    if (!pellorin::OpenConfiguredDirectory()->Change(id, changes)) {
      std::cerr << "suitehost: directory: no user '" << id << "'\n";
      return 1;
    }
    std::cout << "Changed " << id << '\n';
    return 0;
  }
  if (operands.size() != 2) throw Malformed{"directory " + verb + " takes only a USERID"};
  if (verb == "show") {
    std::optional<pellorin::Entry> entry = pellorin::OpenConfiguredDirectory()->Read(id);
    if (!entry) {
      std::cerr << "suitehost: directory: no user '" << id << "'\n";
      return 1;
    }
    std::cout << Show(*entry).dump() << '\n';
    return 0;
  }
  if (verb == "remove") {
    if (!pellorin::OpenConfiguredDirectory()->Remove(id)) {
      std::cerr << "suitehost: directory: no user '" << id << "'\n";
      return 1;
    }
    std::cout << "Removed " << id << '\n';
    return 0;
  }
  throw Malformed{"unknown directory subcommand " + verb};
}

}  // namespace

int DirectoryCommand(const std::vector<std::string>& operands) {
  try {
    return Run(operands);
  } catch (const Malformed& e) {
    std::cerr << "suitehost: " << e.message << "\nusage:\n" << kDirectoryUsage;
    return 2;
  } catch (const rt::ComError& e) {
    std::cerr << "suitehost: directory: " << e.description() << '\n';
    return 1;
  }
}

}  // namespace suitehost
