// What the tests of the partner's write side share: a transactional root
// that runs a test body inside its method (so that the partner objects it
// creates join its transaction and the test can see whether their votes
// doomed it), and the rendering of result objects and data objects.
#pragma once

#include <functional>
#include <string>

#include "interfaces/referential_integrity.h"
#include "runtime/dispatch.h"
#include "tests/brintor/brintor_fixture.h"

// A root class that requires a transaction; Run runs the test's body in it.
class TestRoot : public rt::Object {
 public:
  const rt::DispatchTable* Dispatch() const override {
    static const rt::DispatchTable table =
        rt::DispatchBuilder<TestRoot>("TestRoot").Method("Run", &TestRoot::Run).Build();
    return &table;
  }
  void Run() { body(); }
  static inline std::function<void()> body;
};

class PartnerMaintenanceTest : public PartnerTest {
 protected:
  // Runs `body` as one method of a new transactional root: the transaction
  // commits when it returns unless a vote doomed it.
  static void InTransaction(std::function<void()> body) {
    rt::RegisterClass({"Test.PartnerRoot", "", rt::TransactionAttribute::Required,
                       [] { return rt::ObjectPtr(std::make_shared<TestRoot>()); }});
    TestRoot::body = std::move(body);
    rt::CreateRootObject("Test.PartnerRoot", std::make_shared<rt::Activity>())->Call("Run");
  }
  // Inside InTransaction: a partner object in the root's transaction.
  static Partner JoinedPartner() { return Partner{rt::GetObjectContext()->CreateInstance("Brintor.BusinessPartner")}; }
  // Inside InTransaction: whether an abort vote has doomed the transaction.
  static bool Doomed() { return rt::GetObjectContext()->CurrentTransaction()->Doomed(); }

  // The partner's other two interfaces.
  static BusinessRules& Rules(const Partner& p) { return dynamic_cast<BusinessRules&>(*p.object); }
  static IReferentialIntegrity& Integrity(const Partner& p) { return dynamic_cast<IReferentialIntegrity&>(*p.object); }

  // "ok" or "failed", the codes in order, then the record values:
  // "failed SLBBR9000:PRICINGMETHOD SLBCO2014", "ok ADDRESSID=Long:6".
  static std::string Outcome(const rt::ObjectPtr& result) {
    if (!result) return "(nothing)";
    std::string text = rt::CBool(result->Call("Succeeded")) ? "ok" : "failed";
    const rt::Variant messages = result->Call("GetMessages");
    const rt::SafeArray& codes = messages.AsArray();
    for (int32_t i = codes.LBound(); i <= codes.UBound(); ++i) text += " " + rt::CStr(codes.At(i));
    const rt::Variant records = result->Call("GetRecordValues");
    const rt::ObjectPtr* dictionary = records.Get<rt::ObjectPtr>();
    const std::string values = dictionary ? Render(*dictionary) : std::string();
    if (!values.empty() && values != "(nothing)") text += " " + values;
    return text;
  }

  // One of a result object's record values.
  static rt::Variant RecordValue(const rt::ObjectPtr& result, const char* name) {
    const rt::Variant values = result->Call("GetRecordValues");
    return (*values.Get<rt::ObjectPtr>())->Call("Item", {rt::Variant(name)});
  }

  using Entries = std::initializer_list<std::pair<const char*, rt::Variant>>;
  static std::shared_ptr<rt::Dictionary> Dict(Entries entries) {
    auto d = rt::NewDictionary();
    for (const auto& [key, value] : entries) d->Add(rt::Variant(key), value);
    return d;
  }
  // The outcome of BusinessRules_Insert or _Update on a data object of the
  // kind holding the entries.
  static std::string Insert(const Partner& bp, const char* kind, Entries entries) {
    auto bdo = Dict(entries);
    bdo->Add(rt::Variant("METAObjectID"), rt::Variant(kind));
    return Outcome(Rules(bp).BusinessRules_Insert(bdo));
  }
  static std::string Update(const Partner& bp, const char* kind, Entries entries) {
    auto bdo = Dict(entries);
    bdo->Add(rt::Variant("METAObjectID"), rt::Variant(kind));
    return Outcome(Rules(bp).BusinessRules_Update(bdo));
  }
};
