// The maintenance writers of the partners, the terms and conditions and the
// transactional currency class under the fault sweep: a failed statement or
// commit raises or refuses, and leaves every table as it was.
#include "interfaces/terms_and_conditions.h"
#include "tests/brintor/maintenance_fixture.h"

namespace {

// A script member (InsertFromScript, ...) of the partner or the currency
// writer on one table, with parallel arrays of names and values.
template <class Member>
auto Script(Member member, const char* table, std::vector<rt::Variant> names, std::vector<rt::Variant> values) {
  return [=](auto& object) {
    rt::Variant n(rt::SafeArray::From(names)), v(rt::SafeArray::From(values));
    return Of((object.operator->()->*member)(table, n, v));
  };
}

// A business rule (BusinessRules_Insert, ...) of the partner or the currency
// writer, on a data object of one kind holding the fields.
auto Rule(rt::ObjectPtr (BusinessRules::*member)(const std::shared_ptr<rt::Dictionary>&), const char* kind,
          std::vector<std::pair<const char*, rt::Variant>> fields) {
  return [=](auto& object) {
    auto bdo = DataObject(kind, {});
    for (const auto& [key, value] : fields) bdo->Add(rt::Variant(key), value);
    return Of((object.Rules().*member)(bdo));
  };
}

using PartnerMaintenanceFaults = PartnerMaintenanceTest;
// Every script table through each script member; the partner insert and
// update check the partner's currency, whose reads fail in turn too. The
// deletes take partner 4 (its links to an address and to a user go with
// it) and address 6, linked to partner 3 but named by no partner or office.
TEST_F(PartnerMaintenanceFaults, ScriptWritesAndDeletesRaiseOrRefuseAndLeaveTheTables) {
  Exec("INSERT INTO ADDRESS (ADDRESSID, COUNTRYCODE, NAME1) VALUES (6, 'NL', 'Depot');"
       "INSERT INTO BUSINESSPARTNERADDRESS VALUES (3, 6);");
  Run([&] {
    EXPECT_EQ(SweepAll<Partner>(sandbox_.CatalogPath(), NewPartner,
                                {{"InsertFromScript BUSINESSPARTNER",
                                  Script(&IBusinessPartner::InsertFromScript, "BUSINESSPARTNER",
                                         {"NAME", "BUSINESSID", "CURRENCYCODE"}, {"Bidder GmbH", "BID-BIDDER", "GBP"})},
                                 {"InsertFromScript ADDRESS",
                                  Script(&IBusinessPartner::InsertFromScript, "ADDRESS",
                                         {"SHORTDESCRIPTION", "COUNTRYCODE"}, {"Bidder site", "DE"})},
                                 {"InsertFromScript CUSTOMER",
                                  Script(&IBusinessPartner::InsertFromScript, "CUSTOMER",
                                         {"BUSINESSPARTNERID", "CUSTOMERNAME", "CARRIERCODE"},
                                         {int32_t{1}, "Office", "SEA"})},
                                 {"UpdateFromScript BUSINESSPARTNER",
                                  Script(&IBusinessPartner::UpdateFromScript, "BUSINESSPARTNER",
                                         {"BUSINESSPARTNERID", "NAME", "CURRENCYCODE"}, {int32_t{2}, "Renamed", "GBP"})},
                                 {"UpdateFromScript ADDRESS",
                                  Script(&IBusinessPartner::UpdateFromScript, "ADDRESS",
                                         {"ADDRESSID", "SHORTDESCRIPTION", "COUNTRYCODE"}, {int32_t{2}, "Depot", "US"})},
                                 {"UpdateFromScript CUSTOMER",
                                  Script(&IBusinessPartner::UpdateFromScript, "CUSTOMER",
                                         {"BUSINESSPARTNERID", "CUSTOMERNAME"}, {int32_t{3}, "Renamed"})},
                                 {"DeleteFromScript BUSINESSPARTNER",
                                  Script(&IBusinessPartner::DeleteFromScript, "BUSINESSPARTNER", {"BUSINESSPARTNERID"},
                                         {int32_t{4}})},  // no product or catalog names it
                                 {"DeleteFromScript ADDRESS",
                                  Script(&IBusinessPartner::DeleteFromScript, "ADDRESS", {"ADDRESSID"}, {int32_t{6}})},
                                 {"DeleteFromScript CUSTOMER",
                                  Script(&IBusinessPartner::DeleteFromScript, "CUSTOMER", {"BUSINESSPARTNERID"},
                                         {int32_t{3}})},
                                 {"BusinessRules_Insert BPDataObject",
                                  Rule(&BusinessRules::BusinessRules_Insert, "BPDataObject",
                                       {{"NAME", "Rules GmbH"}, {"CURRENCYCODE", "GBP"}})},
                                 {"BusinessRules_Update AddressDataObject",
                                  Rule(&BusinessRules::BusinessRules_Update, "AddressDataObject",
                                       {{"ADDRESSID", int32_t{2}}, {"SHORTDESCRIPTION", "Depot"}, {"COUNTRYCODE", "US"}})},
                                 {"BusinessRules_Delete CustomerDataObject",
                                  Rule(&BusinessRules::BusinessRules_Delete, "CustomerDataObject",
                                       {{"BUSINESSPARTNERID", int32_t{3}}})},
                                 {"Delete", [](Partner& bp) { return Of(bp->Delete(Ref(int32_t{4}))); }},
                                 {"AddressDelete", [](Partner& bp) { return Of(bp->AddressDelete(Ref(int32_t{6}))); }},
                                 {"CustomerDelete", [](Partner& bp) { return Of(bp->CustomerDelete(3)); }}}),
              "");
  });
}

TEST_F(PartnerMaintenanceFaults, TermsAndConditionsWritesRaiseAndLeaveTheTables) {
  using Terms = std::shared_ptr<ITermsAndConditions>;
  auto fields = [](const char* description) { return DataObject(nullptr, {{"DESCRIPTION", description}}); };
  Run([&] {
    auto make = [] {
      return std::dynamic_pointer_cast<ITermsAndConditions>(
          rt::CreateRootObject("Brintor.TermsAndConditions", std::make_shared<rt::Activity>()));
    };
    // The writers answer nothing: a failure raises.
    auto answering = [](std::function<void(Terms&)> write) {
      return [write](Terms& t) {
        write(t);
        return Answer::Succeeded;
      };
    };
    EXPECT_EQ(SweepAll<Terms>(sandbox_.CatalogPath(), make,
                              {{"InsertTermsAndConditions", answering([&](Terms& t) {
                                  t->InsertTermsAndConditions(6, "W36", Ref(fields("Three years")));
                                })},
                               {"UpdateTermsAndConditions", answering([&](Terms& t) {
                                  t->UpdateTermsAndConditions(6, "W12", Ref(fields("One year")));
                                })},
                               {"DeleteTermsAndConditions",
                                answering([](Terms& t) { t->DeleteTermsAndConditions(6, "W24"); })}}),
              "");
  });
}

using CurrencyMaintenanceFaults = ExampleTCurrencyTest;

TEST_F(CurrencyMaintenanceFaults, CurrencyAndRateWritesRaiseOrRefuseAndLeaveTheTables) {
  // A currency without rates, which a script may delete.
  Exec("INSERT INTO CURRENCY VALUES ('NRT', 'No rates', 0, 0, 0, 2, NULL);");
  const rt::Variant none = rt::Variant::Null();
  const std::vector<rt::Variant> currency = {"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO", "EPC", "DECIMALS"};
  const std::vector<rt::Variant> rate = {"CURRENCYCODE",  "EFFECTIVEDATE", "EXPIRYDATE",
                                         "HOMESALESRATE", "EUROSALESRATE", "RATEFACTOR"};
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
             {"UpdateCurrencyRate",
              [&](Writer& w) { return Of(w->UpdateCurrencyRate("ABC", "2026-01-01", none, 5, none, 1, false)); }},
             {"InsertFromScript CURRENCY",
              Script(&ITCurrency::InsertFromScript, "CURRENCY", currency, {"QQQ", "Q", false, false, false, int16_t{2}})},
             {"InsertFromScript CURRENCYRATE",
              Script(&ITCurrency::InsertFromScript, "CURRENCYRATE", rate,
                     {"ABC", Day(2025, 1, 1), Day(2026, 1, 1), 4.5, none, int16_t{1}})},
             {"UpdateFromScript CURRENCY",
              Script(&ITCurrency::UpdateFromScript, "CURRENCY", currency,
                     {"ABC", "Renamed", false, false, false, int16_t{2}})},
             {"UpdateFromScript CURRENCYRATE",
              Script(&ITCurrency::UpdateFromScript, "CURRENCYRATE", rate, {"ABC", "2026-01-01", none, 5, none, 1})},
             {"DeleteFromScript CURRENCY",
              Script(&ITCurrency::DeleteFromScript, "CURRENCY", {"CURRENCYCODE"}, {"NRT"})},
             {"DeleteFromScript CURRENCYRATE",
              Script(&ITCurrency::DeleteFromScript, "CURRENCYRATE", {"CURRENCYCODE", "EFFECTIVEDATE"},
                     {"ABC", "2026-01-01"})},
             {"BusinessRules_Insert CurrencyDataObject",
              Rule(&BusinessRules::BusinessRules_Insert, "CurrencyDataObject",
                   {{"CURRENCYCODE", "QQR"}, {"CURRENCYNAME", "Q"}, {"HOMECURRENCY", false}, {"EURO", false},
                    {"EPC", false}, {"DECIMALS", int16_t{2}}})},
             {"BusinessRules_Update CurrencyRateDataObject",
              Rule(&BusinessRules::BusinessRules_Update, "CurrencyRateDataObject",
                   {{"CURRENCYCODE", "ABC"}, {"EFFECTIVEDATE", Day(2026, 1, 1)}, {"EXPIRYDATE", none},
                    {"HOMESALESRATE", 5}, {"EUROSALESRATE", none}, {"RATEFACTOR", int16_t{1}}})},
             {"BusinessRules_Delete CurrencyDataObject",
              Rule(&BusinessRules::BusinessRules_Delete, "CurrencyDataObject", {{"CURRENCYCODE", "NRT"}})}}),
        "");
  });
}

}  // namespace
