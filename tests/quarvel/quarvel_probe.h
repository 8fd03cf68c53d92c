// What the catalog library's tests share: a probe running a test's code
// inside a library method (as catalog-library code, with or without a
// context and web application values), fresh threads, and renderings.
#pragma once

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dictionary.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"
#include "tests/common/golden.h"

namespace quarveltest {

class Probe : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table = rt::DispatchBuilder<Probe>("Probe").Method("Run", &Probe::Run).Build();
    return &table;
  }
  void Run() {
    rt::ContextScope scope(*this);
    const std::function<void()> run = body;  // a nested probe may set another
    run();
  }
  static inline thread_local std::function<void()> body;
};

// Runs `body` in a method of a probe registered as `progId` with the
// attribute given, the root of a context of its own.
inline void AsRootProbe(const char* progId, rt::TransactionAttribute attribute, std::function<void()> body) {
  rt::RegisterClass({progId, "", attribute, [] { return rt::ObjectPtr(std::make_shared<Probe>()); }});
  Probe::body = std::move(body);
  rt::CreateRootObject(progId, std::make_shared<rt::Activity>())->Call("Run");
}

// Runs `body` in a method of a catalog-library object: in a context whose
// web application holds `application` when `inContext`, else plainly.
inline void AsCatalogCode(std::function<void()> body, bool inContext = false,
                          const std::map<std::string, rt::Variant>& application = {}) {
  rt::RegisterClass({"Quarvel.TestProbe", "", rt::TransactionAttribute::None,
                     [] { return rt::ObjectPtr(std::make_shared<Probe>()); }});
  Probe::body = std::move(body);
  rt::ObjectPtr probe;
  if (inContext) {
    auto activity = std::make_shared<rt::Activity>();
    for (const auto& [key, value] : application) activity->application->SetItem(key, value);
    probe = rt::CreateRootObject("Quarvel.TestProbe", activity);
  } else {
    probe = rt::CreateObject("Quarvel.TestProbe");
  }
  probe->Call("Run");
}

// Runs `body` on a new thread (empty module data: connection-string cache,
// date parser); a failure there fails the test here.
inline void OnFreshThread(const std::function<void()>& body) {
  std::exception_ptr failure;
  std::thread thread([&] {
    try {
      body();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  thread.join();
  if (failure) std::rethrow_exception(failure);
}

// "Subtype:key=Subtype:value" per entry in order, joined by "; ".
inline std::string Render(const std::shared_ptr<rt::Dictionary>& dictionary) {
  return Golden::Entries(dictionary, /*keyTypes=*/true);
}

// The block that one handler adds around a description.
inline std::string Block(const std::string& number, const std::string& method, const std::string& description,
                         const char* info = nullptr) {
  std::string text = "\r\nERROR 0x" + number + "\r\n METHOD: " + method + "\r\n DESC: " + description + ".\r\n";
  if (info) text += std::string(" INFO: ") + info + ".\r\n";
  return text;
}

}  // namespace quarveltest
