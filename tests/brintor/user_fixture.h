// UserFixture: an installation without sample data, a web session account in
// the membership directory, and helpers to add directory users, change their
// attributes behind the directory's back, and add offices.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/user.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"
#include "tests/brintor/brintor_sandbox.h"

class UserFixture : public ::testing::Test {
 protected:
  using Attrs = std::vector<std::pair<std::string, rt::Variant>>;

  static constexpr const char* kAccount = "webadmin";
  static constexpr const char* kPassword = "s3cret";

  // Runs the test body on a fresh thread with the session account in place.
  template <class F>
  void Run(F&& body) {
    SetMembershipAccount();
    BrintorSandbox::Run([&] {
      AddUser(kAccount, {}, kPassword);
      body();
    });
  }

  // The membership script account is the session account.
  void SetMembershipAccount() {
    std::ifstream in(box.ConfigPath());
    std::stringstream text;
    text << in.rdbuf();
    std::string config = std::regex_replace(text.str(), std::regex("MemScriptUser=\\n"),
                                            std::string("MemScriptUser=") + kAccount + "\n");
    config = std::regex_replace(config, std::regex("MemScriptCode=\\n"),
                                std::string("MemScriptCode=") + kPassword + "\n");
    std::ofstream(box.ConfigPath(), std::ios::trunc) << config;
  }

  // A directory user made through the directory's own account creation.
  void AddUser(const std::string& id, const Attrs& attrs, const std::string& password = "pw") {
    std::vector<rt::Variant> names, values;
    for (const auto& [name, value] : attrs) {
      names.emplace_back(name);
      values.push_back(value);
    }
    rt::ObjectPtr members = rt::CreateObject("Pellorin.Members");
    members->Call("CreateUser", {rt::Variant(id), rt::Variant(password), Array(names), Array(values)});
  }

  // Sets one single-valued attribute straight in the directory's file.
  void SetAttribute(const std::string& id, const std::string& name, const std::string& value) {
    BrintorSandbox::ExecOn(box.DirectoryPath(),
                           "DELETE FROM DIRECTORYATTRIBUTE WHERE ENTRYKEY = lower('" + id + "') AND NAME = '" +
                               name + "'; INSERT INTO DIRECTORYATTRIBUTE VALUES (lower('" + id + "'), '" + name +
                               "', 0, '" + value + "');");
  }

  static rt::Variant Array(std::vector<rt::Variant> items) {
    return rt::Variant(rt::SafeArray::From(std::move(items)));
  }

  // A user object inside a context whose web session holds the credentials.
  std::shared_ptr<IUser> NewUser(const std::string& account = kAccount, const std::string& password = kPassword) {
    auto activity = std::make_shared<rt::Activity>();
    activity->session->SetItem("REMOTE_ACCOUNT", rt::Variant(account));
    activity->session->SetItem("REMOTE_PASSWORD", rt::Variant(password));
    object_ = rt::CreateRootObject("Brintor.User", activity);
    return std::dynamic_pointer_cast<IUser>(object_);
  }

  rt::Object& Late() { return *object_; }

  // Runs `call`, expecting a COM error; answers it.
  template <class F>
  static rt::ComError Failure(F&& call) {
    try {
      call();
    } catch (const rt::ComError& e) {
      return e;
    }
    ADD_FAILURE() << "no error raised";
    return rt::ComError(0, "", "");
  }

  BrintorSandbox box;
  rt::ObjectPtr object_;
};
