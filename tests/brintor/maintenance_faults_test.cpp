// The maintenance writers of the partners, the terms and conditions and the
// transactional currency class under the fault sweep: a failed statement or
// commit raises or refuses, and leaves every table as it was.
#include "data/testing/fault_sweep.h"
#include "interfaces/solvane.h"
#include "interfaces/terms_and_conditions.h"
#include "tests/brintor/partner_maintenance_fixture.h"
#include "tests/brintor/tcurrency_fixture.h"

namespace {

using Answer = data::testing::Outcome;

Answer Of(bool done) { return done ? Answer::Succeeded : Answer::Refused; }
Answer Of(const rt::ObjectPtr& result) {
  auto outcome = std::dynamic_pointer_cast<IResultObject>(result);
  return Of(outcome && outcome->Succeeded());
}

// Sweeps each write, made by a new object of its own, on the installation's
// catalog; answers each one's problems under its name.
template <class Object>
std::string SweepAll(const std::string& catalog, const std::function<Object()>& make,
                     const std::vector<std::pair<const char*, std::function<Answer(Object&)>>>& writes) {
  data::testing::FaultEngine engine;
  const auto target = data::testing::DatabaseTarget(catalog);
  std::string problems;
  for (const auto& [name, write] : writes) {
    auto report = data::testing::SweepFaults(engine, target, [&] {
      Object object = make();
      return write(object);
    });
    if (!report.Problems().empty()) problems += std::string(name) + ":\n" + report.Problems();
  }
  return problems;
}

using PartnerMaintenanceFaults = PartnerMaintenanceTest;

// The partner insert is left out: a failed read of the euro currency inside
// its currency check is taken as "no euro currency" and the partner is
// written (see the currency's HasValidCurrencyRate).
TEST_F(PartnerMaintenanceFaults, ScriptWritesAndDeletesRaiseOrRefuseAndLeaveTheTables) {
  Run([&] {
    EXPECT_EQ(SweepAll<Partner>(sandbox_.CatalogPath(), NewPartner,
                                {{"InsertFromScript ADDRESS",
                                  [](Partner& bp) {
                                    rt::Variant n = Array({"SHORTDESCRIPTION", "COUNTRYCODE"});
                                    rt::Variant v = Array({"Bidder site", "DE"});
                                    return Of(bp->InsertFromScript("ADDRESS", n, v));
                                  }},
                                 {"UpdateFromScript BUSINESSPARTNER",
                                  [](Partner& bp) {
                                    rt::Variant n = Array({"BUSINESSPARTNERID", "NAME"});
                                    rt::Variant v = Array({int32_t{2}, "Renamed"});
                                    return Of(bp->UpdateFromScript("BUSINESSPARTNER", n, v));
                                  }},
                                 {"Delete",
                                  [](Partner& bp) {
                                    // Partner 1 is linked to a sample catalog, which keeps it.
                                    int32_t id = 2;
                                    return Of(bp->Delete(id));
                                  }},
                                 {"AddressDelete",
                                  [](Partner& bp) {
                                    int32_t id = 4;
                                    return Of(bp->AddressDelete(id));
                                  }},
                                 {"CustomerDelete", [](Partner& bp) { return Of(bp->CustomerDelete(3)); }}}),
              "");
  });
}

TEST_F(PartnerMaintenanceFaults, TermsAndConditionsWritesRaiseAndLeaveTheTables) {
  using Terms = std::shared_ptr<ITermsAndConditions>;
  auto fields = [](const char* description) {
    auto d = rt::NewDictionary();
    d->Add(rt::Variant("DESCRIPTION"), rt::Variant(description));
    return d;
  };
  Run([&] {
    auto make = [] {
      return std::dynamic_pointer_cast<ITermsAndConditions>(
          rt::CreateRootObject("Brintor.TermsAndConditions", std::make_shared<rt::Activity>()));
    };
    EXPECT_EQ(SweepAll<Terms>(sandbox_.CatalogPath(), make,
                              {{"InsertTermsAndConditions",
                                [&](Terms& t) {
                                  auto f = fields("Three years");
                                  t->InsertTermsAndConditions(6, "W36", f);
                                  return Answer::Succeeded;
                                }},
                               {"UpdateTermsAndConditions",
                                [&](Terms& t) {
                                  auto f = fields("One year");
                                  t->UpdateTermsAndConditions(6, "W12", f);
                                  return Answer::Succeeded;
                                }},
                               {"DeleteTermsAndConditions",
                                [](Terms& t) {
                                  t->DeleteTermsAndConditions(6, "W24");
                                  return Answer::Succeeded;
                                }}}),
              "");
  });
}

using CurrencyMaintenanceFaults = TCurrencyTest;

TEST_F(CurrencyMaintenanceFaults, CurrencyAndRateWritesRaiseOrRefuseAndLeaveTheTables) {
  Exec(kExampleCurrencies);
  const rt::Variant none = rt::Variant::Null();
  Run([&] {
    EXPECT_EQ(
        SweepAll<Writer>(
            sandbox_.CatalogPath(), NewWriter,
            {{"AddCurrency", [&](Writer& w) { return Of(w->AddCurrency("NEW", "New", false, false, true, 2, none)); }},
             {"UpdateCurrency",
              [&](Writer& w) { return Of(w->UpdateCurrency("ABC", "Renamed", false, false, false, int16_t{2}, none)); }},
             {"DeleteCurrency", [](Writer& w) { return Of(w->DeleteCurrency("ABC")); }},
             {"CurrencyDelete", [](Writer& w) { return Of(w->CurrencyDelete("XYZ")); }},
             {"AddCurrencyRate",
              [&](Writer& w) { return Of(w->AddCurrencyRate("ABC", "2025-01-01", "2026-01-01", 4.5, none, 1, false)); }},
             {"DeleteCurrencyRate", [](Writer& w) { return Of(w->DeleteCurrencyRate("ABC", "2026-01-01")); }},
             {"InsertFromScript CURRENCY",
              [](Writer& w) {
                rt::Variant n = Array({"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO", "EPC", "DECIMALS"});
                rt::Variant v = Array({"QQQ", "Q", false, false, false, int16_t{2}});
                return Of(w->InsertFromScript("CURRENCY", n, v));
              }}}),
        "");
  });
}

}  // namespace
