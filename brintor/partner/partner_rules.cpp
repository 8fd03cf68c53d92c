// BusinessPartner: the business rules of inserts and updates of partners,
// addresses and customers. Every check of the data object's kind runs, in
// its order; each failing one adds its message code to the answer, and the
// row is written only when none failed. The data object is changed in
// place: its kind, an update's key column and an empty pricing method go.
#include <ctime>

#include "brintor/partner/business_partner.h"
#include "brintor/partner/partner_common.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_sql_tables.h"
#include "common/lib_validate.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace brintor {

using namespace partner;

// One run of the rules: the answer and whether every check so far passed.
struct partner::RuleRun {
  rt::ObjectPtr result;
  bool ok = true;

  void Check(bool passed, const char* code) {
    if (passed) return;
    ok = false;
    result->Call("AddMessage", {rt::Variant(code)});
  }
  // The data-type check's codes (one per wrong column) join the answer.
  void MergeTypes(const rt::ObjectPtr& types) {
    if (ResultSucceeded(types)) return;
    ok = false;
    result->Call("Merge", {rt::Variant(types)});
  }
};

namespace {

// The kind of the data object; the key goes. A data object without one is
// of no kind.
std::string TakeKind(const std::shared_ptr<rt::Dictionary>& bdo) {
  if (!bdo) rt::RaiseVb(rt::vberr::kObjectNotSet);
  const rt::Variant key("METAObjectID");
  const rt::Variant* kind = bdo->Find(key);
  if (!kind) return {};
  std::string text = rt::CStr(*kind);
  bdo->Remove(key);
  return text;
}

// A column's value, Empty when the column is absent (which it stays: no
// check adds a key).
rt::Variant ColumnValue(const rt::Dictionary& bdo, const char* column) {
  const rt::Variant* value = bdo.Find(rt::Variant(column));
  return value ? *value : rt::Variant();
}

// A column's text for a check: "" when it is absent or Null.
std::string ColumnText(const rt::Dictionary& bdo, const char* column) {
  return Gen_NullToString(ColumnValue(bdo, column));
}

// An update's key: moved out of the data object into a key dictionary of
// its own (never assigned when the caller left it out).
std::shared_ptr<rt::Dictionary> MoveKey(rt::Dictionary& bdo, const char* column) {
  const rt::Variant key(column);
  auto keys = rt::NewDictionary();
  keys->Add(key, ColumnValue(bdo, column));
  if (bdo.Exists(key)) bdo.Remove(key);
  return keys;
}

// The key's value joined into an update's uniqueness query: a Long first.
std::string KeyText(const rt::Dictionary& keys, const char* column) {
  return std::to_string(rt::CLng(ColumnValue(keys, column)));
}

// Whether the optional module "Quillet" is installed, read anew at each call.
bool QuilletInstalled() {
  rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
  configuration->Call("SelectDefaultServer");
  return rt::CBool(configuration->Call("IsModuleInstalled", {rt::Variant("Quillet")}));
}

rt::Date Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return rt::Date::FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

// NAME is required; a credit-card or invoice customer code is required for
// pricing method 2 when "Quillet" is installed; an empty pricing method
// leaves the column to the database's default.
void NameAndPricingRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.Check(Val_HasValue(bdo, "NAME", true), "SLBCO2014");
  const bool quillet = QuilletInstalled();
  const std::string pricingMethod = ColumnText(*bdo, "PRICINGMETHOD");
  if (pricingMethod == "2" && quillet) {
    run.Check(Val_HasValue(bdo, "BISCREDITCARDCUSTOMERCODE", true) || Val_HasValue(bdo, "BISCUSTOMERCODE", true),
              "SLBBR0022");
  }
  const rt::Variant key("PRICINGMETHOD");
  if (pricingMethod.empty() && bdo->Exists(key)) bdo->Remove(key);
}

// The partner's currency must have a valid rate now.
void CurrencyRule(const rt::Dictionary& bdo, RuleRun& run) {
  const std::string code = ColumnText(bdo, "CURRENCYCODE");
  if (code.empty()) return;
  rt::ObjectPtr currency = Gen_GetComponent("Brintor.Currency");
  run.Check(rt::CBool(currency->Call("HasValidCurrencyRate", {rt::Variant(code), rt::Variant(Now())})), "SLBBR0026");
}

}  // namespace

rt::ObjectPtr BusinessPartner::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  try {
    RuleRun run{Gen_GetComponent("Solvane.ResultObject")};
    const std::string kind = TakeKind(iBDO);
    if (kind == "AddressDataObject") {
      InsertAddressRules(iBDO, run);
    } else if (kind == "CustomerDataObject") {
      InsertCustomerRules(iBDO, run);
    } else if (kind == "BPDataObject") {
      InsertPartnerRules(iBDO, run);
    }
    // The existence tests and writers have voted too; this vote is the last.
    run.ok ? Mts_SetComplete() : Mts_SetAbort();
    return run.result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.BusinessRules_Insert", Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr BusinessPartner::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  try {
    RuleRun run{Gen_GetComponent("Solvane.ResultObject")};
    const std::string kind = TakeKind(iBDO);
    if (kind == "AddressDataObject") {
      UpdateAddressRules(iBDO, run);
    } else if (kind == "CustomerDataObject") {
      UpdateCustomerRules(iBDO, run);
    } else if (kind == "BPDataObject") {
      UpdatePartnerRules(iBDO, run);
    }
    run.ok ? Mts_SetComplete() : Mts_SetAbort();
    return run.result;
  } catch (...) {
    HandleMethodError("Brintor.BusinessPartner.BusinessRules_Update", Mts_SetAbort);
  }
  return nullptr;
}

// --- inserts ------------------------------------------------------------------------

void BusinessPartner::InsertAddressRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, addressTypes_.columnNames, addressTypes_.typeNames));
  run.Check(Val_HasValue(bdo, "SHORTDESCRIPTION"), "SLBBR0004");
  run.Check(Val_HasValue(bdo, "COUNTRYCODE"), "SLBBR0005");
  run.Check(Val_HasTwoDigits(bdo, rt::Variant("PHONE"), true), "SLBBR0020");
  run.Check(Val_HasTwoDigits(bdo, rt::Variant("FAX"), false), "SLBBR0021");
  if (!ColumnText(*bdo, "SHORTDESCRIPTION").empty()) {
    auto connection = OpenConnection();
    run.Check(!Sql_KeyExistsInTable("ADDRESS", bdo, "SHORTDESCRIPTION", connection), "SLBBR0025");
    Sql_CloseConnection(connection);
  }
  if (!run.ok) return;
  const int32_t id = InsertRow("ADDRESS", *bdo, "ADDRESSID");
  run.result->Call("AddRecordValue", {rt::Variant("ADDRESSID"), rt::Variant(id)});
}

void BusinessPartner::InsertCustomerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, customerTypes_.columnNames, customerTypes_.typeNames));
  run.Check(Val_HasValue(bdo, "BUSINESSPARTNERID"), "SLBBR0007");
  run.Check(Val_HasValue(bdo, "CUSTOMERNAME"), "SLBBR0008");
  run.Check(Val_IsPercentage(bdo, rt::Variant("ORDERDISCOUNTPERC")), "SLBBR0009");
  if (run.ok) {
    // A customer row of the partner must not exist yet. A data object
    // without the partner id asks with none, which fails as no number (13).
    const bool exists =
        IReferentialIntegrity_Exists("CUSTOMER", rt::Variant(rt::SafeArray::From({rt::Variant("BUSINESSPARTNERID")})),
                                     rt::Variant(rt::SafeArray::From({ColumnValue(*bdo, "BUSINESSPARTNERID")})));
    run.Check(!exists, "SLBBR0010");
  }
  if (!run.ok) return;
  run.result = Sql_InsertTable("CUSTOMER", bdo, OpenConnection());
}

void BusinessPartner::InsertPartnerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, partnerTypes_.columnNames, partnerTypes_.typeNames));
  NameAndPricingRules(bdo, run);
  // Every partner row counts, letter case and trailing blanks ignored.
  for (const auto& [column, code] : {std::pair{"BUSINESSID", "SLBBR0023"}, std::pair{"DUNSNUMBER", "SLBBR0027"}}) {
    if (ColumnText(*bdo, column).empty()) continue;
    auto connection = OpenConnection();
    run.Check(!Sql_KeyExistsInTable("BUSINESSPARTNER", bdo, column, connection), code);
    Sql_CloseConnection(connection);
  }
  CurrencyRule(*bdo, run);
  if (!run.ok) return;
  const int32_t id = InsertRow("BUSINESSPARTNER", *bdo, "BUSINESSPARTNERID");
  run.result->Call("AddRecordValue", {rt::Variant("BUSINESSPARTNERID"), rt::Variant(id)});
}

int32_t BusinessPartner::InsertRow(const std::string& table, const rt::Dictionary& bdo, const char* identityColumn) {
  auto connection = OpenConnection();
  auto rs = data::Recordset::New();
  rs->Open("SELECT * FROM " + table + " WHERE 0=1", connection, data::kCursorKeyset, data::kLockOptimistic);
  rs->AddNew();
  // The keys name the columns; a key that names none fails the write.
  for (const rt::Dictionary::Entry& entry : bdo.Entries()) {
    const bool none = entry.item.IsNull() || entry.item.IsEmpty();
    rs->SetValue(rt::CStr(entry.key), none ? rt::Variant::Null() : entry.item);
  }
  rs->Update();
  const int32_t id = rt::CLng(rs->Value(identityColumn));
  rs->Close();
  connection->Close();
  return id;
}

// --- updates --------------------------------------------------------------------------

void BusinessPartner::UpdateAddressRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, addressTypes_.columnNames, addressTypes_.typeNames));
  run.Check(Val_HasValue(bdo, "ADDRESSID", true), "SLBBR0013");
  std::shared_ptr<rt::Dictionary> keys = MoveKey(*bdo, "ADDRESSID");
  run.Check(Val_HasValue(bdo, "SHORTDESCRIPTION"), "SLBBR0014");
  run.Check(Val_HasValue(bdo, "COUNTRYCODE"), "SLBBR0015");
  run.Check(Val_HasTwoDigits(bdo, rt::Variant("PHONE"), true), "SLBBR0020");
  run.Check(Val_HasTwoDigits(bdo, rt::Variant("FAX"), false), "SLBBR0021");
  if (!ColumnText(*bdo, "SHORTDESCRIPTION").empty()) {
    // Every other address counts; the one being updated does not.
    run.Check(!Sql_HasRecords("SELECT ADDRESSID FROM ADDRESS WHERE NOT ADDRESSID=" + KeyText(*keys, "ADDRESSID") +
                                  " AND SHORTDESCRIPTION='" + Gen_SqlQuote(ColumnValue(*bdo, "SHORTDESCRIPTION")) + "'",
                              ConnectionString()),
              "SLBBR0025");
  }
  if (!run.ok) return;
  run.result = Sql_UpdateTable("ADDRESS", bdo, keys, OpenConnection());
}

void BusinessPartner::UpdateCustomerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, customerTypes_.columnNames, customerTypes_.typeNames));
  run.Check(Val_HasValue(bdo, "BUSINESSPARTNERID"), "SLBBR0017");
  std::shared_ptr<rt::Dictionary> keys = MoveKey(*bdo, "BUSINESSPARTNERID");
  run.Check(Val_HasValue(bdo, "CUSTOMERNAME"), "SLBBR0018");
  run.Check(Val_IsPercentage(bdo, rt::Variant("ORDERDISCOUNTPERC")), "SLBBR0019");
  if (!run.ok) return;
  run.result = Sql_UpdateTable("CUSTOMER", bdo, keys, OpenConnection());
}

void BusinessPartner::UpdatePartnerRules(const std::shared_ptr<rt::Dictionary>& bdo, RuleRun& run) {
  run.MergeTypes(Val_DataTypes(bdo, partnerTypes_.columnNames, partnerTypes_.typeNames));
  run.Check(Val_HasValue(bdo, "BUSINESSPARTNERID", true), "SLBBR0011");
  std::shared_ptr<rt::Dictionary> keys = MoveKey(*bdo, "BUSINESSPARTNERID");
  NameAndPricingRules(bdo, run);
  // Every other partner counts; the one being updated does not.
  for (const auto& [column, code] : {std::pair{"BUSINESSID", "SLBBR0023"}, std::pair{"DUNSNUMBER", "SLBBR0027"}}) {
    if (ColumnText(*bdo, column).empty()) continue;
    run.Check(!Sql_HasRecords("SELECT BUSINESSPARTNERID FROM BUSINESSPARTNER WHERE NOT BUSINESSPARTNERID=" +
                                  KeyText(*keys, "BUSINESSPARTNERID") + " AND " + column + "='" +
                                  Gen_SqlQuote(ColumnValue(*bdo, column)) + "'",
                              ConnectionString()),
              code);
  }
  CurrencyRule(*bdo, run);
  if (!run.ok) return;
  run.result = Sql_UpdateTable("BUSINESSPARTNER", bdo, keys, OpenConnection());
}

}  // namespace brintor
