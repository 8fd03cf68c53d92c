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
#include "tools/suitehost/command_usage.h"

namespace suitehost {

namespace {

using pellorin::AttributeChanges;
using pellorin::AttributeInfo;

struct Malformed {
  std::string message;
  const CLI::App* command;
};

// One NAME=VALUE operand as the attribute's stored values.
std::pair<AttributeInfo, std::vector<std::string>> Assignment(const std::string& text, const CLI::App* command) {
  size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) throw Malformed{"'" + text + "' is not NAME=VALUE", command};
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

}  // namespace

DirectoryCommand::DirectoryCommand(CLI::App& host)
    : directory_(host.add_subcommand("directory", "manage directory users")) {
  directory_->require_subcommand(1);
  add_ = directory_->add_subcommand("add", "add a user");
  add_->add_option("USERID", userId_, "the new user's id")->required();
  CLI::Option* password = add_->add_option("--password", password_, "the user's password, stored only as its hash")
                              ->type_name("P");
  CLI::Option* fromInput = add_->add_flag("--password-stdin", passwordFromInput_,
                                          "read the password from standard input (its first line), "
                                          "out of the process list");
  password->excludes(fromInput);
  // One of the two, checked as the line is parsed, so that its absence is
  // a usage error like any other.
  add_->callback([password, fromInput] {
    if (password->count() == 0 && fromInput->count() == 0)
      throw CLI::RequiredError("--password or --password-stdin");
  });
  add_->add_option("--attr", attributes_, "an attribute (repeatable)")->type_name("NAME=VALUE")->allow_extra_args(false);

  set_ = directory_->add_subcommand("set", "replace attributes; an empty VALUE removes one, lists take VALUE,VALUE");
  set_->add_option("USERID", userId_, "the user's id")->required();
  set_->add_option("NAME=VALUE", assignments_, "the attributes")->required();

  show_ = directory_->add_subcommand("show", "the user's attributes as JSON");
  show_->add_option("USERID", userId_, "the user's id")->required();
  list_ = directory_->add_subcommand("list", "every id, one a line, in directory order");
  remove_ = directory_->add_subcommand("remove", "remove a user");
  remove_->add_option("USERID", userId_, "the user's id")->required();
}

int DirectoryCommand::Dispatch() const {
  const std::string& id = userId_;
  if (list_->parsed()) {
    for (const std::string& user : pellorin::OpenConfiguredDirectory()->Search({})) std::cout << user << '\n';
    return 0;
  }
  if (add_->parsed()) {
    AttributeChanges attributes;
    for (const std::string& text : attributes_) Add(attributes, Assignment(text, add_));
    std::string password = password_;
    if (passwordFromInput_) {
      if (!std::getline(std::cin, password)) {
        std::cerr << "suitehost: directory: no password on standard input\n";
        return 1;
      }
      if (!password.empty() && password.back() == '\r') password.pop_back();
    }
    pellorin::OpenConfiguredDirectory()->Create(id, password, attributes);
    std::cout << "Added " << id << '\n';
    return 0;
  }
  if (set_->parsed()) {
    AttributeChanges changes;
    for (const std::string& text : assignments_) Add(changes, Assignment(text, set_));
    if (!pellorin::OpenConfiguredDirectory()->Change(id, changes)) {
      std::cerr << "suitehost: directory: no user '" << id << "'\n";
      return 1;
    }
    std::cout << "Changed " << id << '\n';
    return 0;
  }
  if (show_->parsed()) {
    std::optional<pellorin::Entry> entry = pellorin::OpenConfiguredDirectory()->Read(id);
    if (!entry) {
      std::cerr << "suitehost: directory: no user '" << id << "'\n";
      return 1;
    }
    std::cout << Show(*entry).dump() << '\n';
    return 0;
  }
  if (!pellorin::OpenConfiguredDirectory()->Remove(id)) {
    std::cerr << "suitehost: directory: no user '" << id << "'\n";
    return 1;
  }
  std::cout << "Removed " << id << '\n';
  return 0;
}

int DirectoryCommand::Run() const {
  try {
    return Dispatch();
  } catch (const Malformed& e) {
    std::cerr << "suitehost: " << e.message << '\n' << CommandUsage(e.command);
    return 2;
  } catch (const rt::ComError& e) {
    std::cerr << "suitehost: directory: " << e.description() << '\n';
    return 1;
  }
}

}  // namespace suitehost
