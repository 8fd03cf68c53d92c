// RecordingFake: an object that stands in for an outside class under test.
// It writes each late-bound call it receives as one line of a shared log
// ("Let To=String:a@b", "Call AttachFile(String:x)", "Get Recordset") and
// answers from per-member handlers. FakeClass registers a factory of such
// objects under a ProgID for one test and puts the class it replaced back
// afterwards.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/registry.h"
#include "runtime/variant.h"
#include "tests/common/golden.h"

class RecordingFake : public rt::Object {
 public:
  using Log = std::vector<std::string>;
  using Answer = std::function<rt::Variant(rt::Args&)>;

  RecordingFake(std::string typeName, std::shared_ptr<Log> log) : typeName_(std::move(typeName)), log_(std::move(log)) {}

  std::string TypeName() const override { return typeName_; }

  // The handler of a member (any call kind), by its name in upper case.
  void On(const std::string& member, Answer answer) { answers_[rt::UCase(member)] = std::move(answer); }

  rt::Variant Invoke(std::string_view name, rt::CallKind kind, rt::Args& args) override {
    std::string line = kind == rt::CallKind::Let ? "Let " : kind == rt::CallKind::Get ? "Get " : "Call ";
    line += std::string(name);
    if (kind == rt::CallKind::Let) {
      line += "=" + Show(args.back());
    } else if (kind == rt::CallKind::Method) {
      line += "(";
      for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + Show(args[i]);
      line += ")";
    }
    log_->push_back(line);
    auto it = answers_.find(rt::UCase(name));
    return it == answers_.end() ? rt::Variant() : it->second(args);
  }

  static std::string Show(const rt::Variant& v) { return Golden::Value(v); }

 private:
  std::string typeName_;
  std::shared_ptr<Log> log_;
  std::map<std::string, Answer> answers_;
};

class FakeClass {
 public:
  FakeClass(std::string progId, std::function<rt::ObjectPtr()> make) : progId_(std::move(progId)) {
    try {
      original_ = rt::FindClass(progId_);
    } catch (...) {
    }
    rt::RegisterClass({progId_, "", rt::TransactionAttribute::None, std::move(make)});
  }
  ~FakeClass() {
    if (original_) rt::RegisterClass(*original_);
  }
  FakeClass(const FakeClass&) = delete;
  FakeClass& operator=(const FakeClass&) = delete;

 private:
  std::string progId_;
  std::optional<rt::ClassInfo> original_;
};
