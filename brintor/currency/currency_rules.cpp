// TCurrency: the script writes and the business rules. A script's parallel
// arrays become a data object; the rules collect every failure as a code in
// a "Solvane.ResultObject" and write through the table writers only when
// nothing failed. The rules read the data object without adding keys to it,
// so only the columns the caller gave are written; a rate's EPC flag is used
// for its checks and never written (CURRENCYRATE has no such column).
#include <utility>
#include <vector>

#include "brintor/currency/currency_support.h"
#include "brintor/currency/tcurrency.h"
#include "brintor/currency/tcurrency_common.h"
#include "brintor/script/script_arrays.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/lib_sql_tables.h"
#include "common/lib_validate.h"
#include "common/method_error.h"
#include "data/recordset.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;
using namespace tcurrency;

namespace {

constexpr const char* kIntegrityConflict = "internal referential integrity conflict";

void AddCode(const rt::ObjectPtr& result, const std::string& code) { result->Call("AddMessage", {rt::Variant(code)}); }

std::string Quoted(const rt::Variant& value) { return Gen_SqlQuote(rt::Variant(rt::CStr(value))); }

// The data-type check: merged into the result when it fails.
bool TypesPass(const std::shared_ptr<rt::Dictionary>& bdo, const rt::Variant& columns, const rt::Variant& types,
               const rt::ObjectPtr& result) {
  rt::ObjectPtr checked = Val_DataTypes(bdo, columns, types);
  if (rt::CBool(checked->GetProperty("Succeeded"))) return true;
  result->Call("Merge", {rt::Variant(checked)});
  return false;
}

// The code of a currency validation failure, or null for any other failure.
const char* CurrencyCode(int32_t number) {
  switch (static_cast<BrintorError>(number)) {
    case BrintorError::MissingCurrencyCode: return "SLBCO5017";
    case BrintorError::MissingCurrencyName: return "SLBCO5018";
    case BrintorError::MissingHomeCurrency: return "SLBCO5022";
    case BrintorError::MissingEuroCurrency: return "SLBCO5021";
    case BrintorError::MissingEPC: return "SLBCO5020";
    case BrintorError::MissingDecimals: return "SLBCO5019";
    case BrintorError::InvalidDecimals: return "SLBCO5011";
    case BrintorError::InvalidLocaleID: return "SLBCO5015";
    case BrintorError::DuplicateHomeCurrency: return "SLBCO5006";
    case BrintorError::DuplicateEuroCurrency: return "SLBCO5005";
    default: return nullptr;
  }
}

// Runs a validation with its failure caught; answers the failure (number 0
// when it passed), which is then no longer pending.
template <class F>
rt::PendingError Caught(F&& validate) {
  rt::Err().Clear();
  if (rt::TryResume(std::forward<F>(validate))) return {};
  rt::PendingError failure = rt::Err();
  rt::Err().Clear();
  return failure;
}

// The row a rate data object writes: its own columns in its order, without
// the EPC flag, dates that came as text as Dates (stored in the one form
// that keeps text order time order).
std::shared_ptr<rt::Dictionary> RateRow(const rt::Dictionary& bdo) {
  auto row = rt::NewDictionary();
  for (const rt::Dictionary::Entry& entry : bdo.Entries()) {
    const std::string key = rt::Concat(entry.key);
    if (key == "EPC") continue;
    const bool isDate = key == "EFFECTIVEDATE" || key == "EXPIRYDATE";
    row->Add(entry.key, isDate ? AsDate(entry.item) : entry.item);
  }
  return row;
}

// Reads "METAObjectID" as text and removes it; "" when the data object has none.
std::string TakeKind(rt::Dictionary& bdo) {
  const rt::Variant key("METAObjectID");
  const rt::Variant* kind = bdo.Find(key);
  if (!kind) return {};
  const std::string text = rt::CStr(*kind);
  bdo.Remove(key);
  return text;
}

}  // namespace

rt::Variant TCurrency::CurrencyEpcFlag(const rt::Variant& code) {
  std::shared_ptr<data::Connection> cn = OpenConnection();
  cn->Execute(kSqlReadCommitted);
  std::shared_ptr<data::Recordset> rs =
      cn->Execute("SELECT EPC FROM CURRENCY WHERE CURRENCYCODE = '" + Quoted(code) + "'");
  const rt::Variant flag = rs->Eof() ? rt::Variant::Null() : rt::Variant(rt::CBool(rs->Value("EPC")));
  Sql_CloseRecordset(rs);
  Sql_CloseConnection(cn);
  return flag;
}

bool TCurrency::ValidateCurrencyRule(const rt::Dictionary& bdo, const rt::ObjectPtr& result, const char* otherPrefix) {
  const rt::Variant* locale = bdo.Find(rt::Variant("LOCALEID"));
  pending_ = {Field(bdo, "CURRENCYCODE"), Field(bdo, "CURRENCYNAME"), Field(bdo, "HOMECURRENCY"), Field(bdo, "EURO"),
              Field(bdo, "EPC"),          Field(bdo, "DECIMALS"),     locale ? *locale : rt::Variant::Null()};
  const rt::PendingError failure = Caught([&] { ValidateCurrency(); });
  if (failure.number == 0) return true;
  const char* code = CurrencyCode(failure.number);
  AddCode(result, code ? std::string(code) : otherPrefix + failure.description);
  return false;
}

bool TCurrency::ValidateRateRule(const rt::Dictionary& bdo, const rt::ObjectPtr& result, bool coveringPeriod) {
  const rt::Variant code = Field(bdo, "CURRENCYCODE");
  // The caller's EPC flag when given, else the currency's own.
  const rt::Variant* given = bdo.Find(rt::Variant("EPC"));
  const rt::Variant epc = given ? *given : IsMissingCode(code) ? rt::Variant::Null() : CurrencyEpcFlag(code);
  const rt::PendingError failure = Caught([&] {
    ValidateCurrencyRate(code, Field(bdo, "EFFECTIVEDATE"), Field(bdo, "EXPIRYDATE"), Field(bdo, "HOMESALESRATE"),
                         Field(bdo, "EUROSALESRATE"), Field(bdo, "RATEFACTOR"), epc, coveringPeriod);
  });
  if (failure.number == 0) return true;
  AddCode(result, "No valid currency rate : " + failure.description);
  return false;
}

TCurrency::WriteStep TCurrency::InsertCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                                   const rt::ObjectPtr& result) {
  rt::Dictionary& d = *bdo;
  if (IsTrue(Field(d, "EURO"))) d.SetItem(rt::Variant("EPC"), rt::Variant(true));
  bool ok = TypesPass(bdo, currencyColumns_, currencyTypes_, result);
  static constexpr std::pair<const char*, const char*> kRequired[] = {
      {"CURRENCYCODE", "SLBCO5017"}, {"CURRENCYNAME", "SLBCO5018"}, {"HOMECURRENCY", "SLBCO5022"},
      {"EURO", "SLBCO5021"},         {"EPC", "SLBCO5020"},          {"DECIMALS", "SLBCO5019"}};
  for (const auto& [column, code] : kRequired) {
    if (!Val_HasValue(bdo, column, true)) {
      ok = false;
      AddCode(result, code);
    }
  }
  const rt::Variant code = Field(d, "CURRENCYCODE");
  if (CheckExistenceUsingSQL("SELECT CURRENCYCODE FROM CURRENCY WHERE CURRENCYCODE = '" + Quoted(code) + "'")) {
    ok = false;
    AddCode(result, "SLBCO5040");
  }
  if (ok && IReferentialIntegrity_Exists("CURRENCY", OneElement(rt::Variant("CURRENCYCODE")), OneElement(code))) {
    ok = false;
    AddCode(result, kIntegrityConflict);
  }
  if (!ValidateCurrencyRule(d, result, "")) ok = false;
  if (!ok) return {};
  return [bdo] { return Sql_InsertTable("CURRENCY", bdo, getConnection()); };
}

TCurrency::WriteStep TCurrency::InsertRateRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                               const rt::ObjectPtr& result) {
  const rt::Dictionary& d = *bdo;
  bool ok = TypesPass(bdo, rateColumns_, rateTypes_, result);
  for (const char* key : {"CURRENCYCODE", "EFFECTIVEDATE"}) {
    if (!Val_HasValue(bdo, key)) {
      ok = false;
      AddCode(result, "Primary key field is empty");
    }
  }
  if (!Val_HasValue(bdo, "HOMESALESRATE")) {
    ok = false;
    AddCode(result, "HomeSalesRate is empty");
  }
  // The period itself (code and exact effective date) must be new.
  const rt::Variant effective = Field(d, "EFFECTIVEDATE");
  if (ok && rt::IsDate(effective) &&
      CheckExistenceUsingSQL("SELECT CURRENCYCODE FROM CURRENCYRATE WHERE CURRENCYCODE = '" +
                             Quoted(Field(d, "CURRENCYCODE")) + "' AND EFFECTIVEDATE = '" +
                             rt::CStr(rt::Variant(rt::CDate(effective))) + "'")) {
    ok = false;
    AddCode(result, kIntegrityConflict);
  }
  if (!ValidateRateRule(d, result, true)) ok = false;
  if (!ok) return {};
  return [row = RateRow(d)] { return Sql_InsertTable("CURRENCYRATE", row, getConnection()); };
}

TCurrency::WriteStep TCurrency::UpdateCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                                   const rt::ObjectPtr& result) {
  rt::Dictionary& d = *bdo;
  if (IsTrue(Field(d, "EURO"))) d.SetItem(rt::Variant("EPC"), rt::Variant(true));
  bool ok = Val_HasValue(bdo, "CURRENCYCODE");
  auto keys = rt::NewDictionary();
  keys->Add("CURRENCYCODE", Field(d, "CURRENCYCODE"));
  static constexpr std::pair<const char*, const char*> kRequired[] = {{"CURRENCYNAME", "SLBCO5018"},
                                                                       {"HOMECURRENCY", "SLBCO5022"},
                                                                       {"EURO", "SLBCO5021"},
                                                                       {"EPC", "SLBCO5020"},
                                                                       {"DECIMALS", "SLBCO5019"}};
  for (const auto& [column, code] : kRequired) {
    if (!Val_HasValue(bdo, column, true)) {
      ok = false;
      AddCode(result, code);
    }
  }
  if (!ValidateCurrencyRule(d, result, "No valid currency : ")) ok = false;
  if (!ok) return {};
  return [bdo, keys] { return Sql_UpdateTable("CURRENCY", bdo, keys, getConnection()); };
}

TCurrency::WriteStep TCurrency::UpdateRateRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                               const rt::ObjectPtr& result) {
  const rt::Dictionary& d = *bdo;
  bool ok = Val_HasValue(bdo, "CURRENCYCODE") && Val_HasValue(bdo, "EFFECTIVEDATE");
  auto keys = rt::NewDictionary();
  keys->Add("CURRENCYCODE", Field(d, "CURRENCYCODE"));
  keys->Add("EFFECTIVEDATE", AsDate(Field(d, "EFFECTIVEDATE")));
  if (!ValidateRateRule(d, result, false)) ok = false;
  if (!ok) return {};
  return [row = RateRow(d), keys] { return Sql_UpdateTable("CURRENCYRATE", row, keys, getConnection()); };
}

TCurrency::WriteStep TCurrency::DeleteCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                                   const rt::ObjectPtr& result) {
  static constexpr std::pair<const char*, const char*> kUsers[] = {
      {"CURRENCYRATE", "SLBCO4027"}, {"OFFICE", "SLBCO4028"}, {"BUSINESSPARTNER", "SLBCO4029"}};
  bool ok = true;
  for (const auto& [table, code] : kUsers) {
    if (Sql_ExistsInTable(table, bdo, "CURRENCYCODE", "CURRENCYCODE", getConnection())) {
      ok = false;
      AddCode(result, code);
    }
  }
  if (ok && !CurrencyDelete(rt::CStr(Field(*bdo, "CURRENCYCODE")))) AddCode(result, "SLBCO4026");
  return {};
}

TCurrency::WriteStep TCurrency::DeleteRateRule(const std::shared_ptr<rt::Dictionary>& bdo,
                                               const rt::ObjectPtr& result) {
  if (!DeleteCurrencyRate(Field(*bdo, "CURRENCYCODE"), Field(*bdo, "EFFECTIVEDATE"))) AddCode(result, "SLBCO4030");
  return {};
}

rt::ObjectPtr TCurrency::RunRule(const char* member, const std::shared_ptr<rt::Dictionary>& bdo,
                                 RulePath currencyPath, RulePath ratePath) {
  rt::ObjectPtr result;
  WriteStep write;
  try {
    result = Gen_GetComponent("Solvane.ResultObject");
    if (!bdo) rt::RaiseVb(rt::vberr::kObjectNotSet);
    const std::string kind = TakeKind(*bdo);
    if (kind == kCurrencyKind) write = (this->*currencyPath)(bdo, result);
    if (kind == kRateKind) write = (this->*ratePath)(bdo, result);
  } catch (...) {
    HandleMethodError(Source(member), Mts_SetAbort);
  }
  // The table writer formats its own failures and votes abort for them.
  if (write) result = write();
  Mts_SetComplete();
  return result;
}

rt::ObjectPtr TCurrency::BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  return RunRule("BusinessRules_Insert", iBDO, &TCurrency::InsertCurrencyRule, &TCurrency::InsertRateRule);
}

rt::ObjectPtr TCurrency::BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  return RunRule("BusinessRules_Update", iBDO, &TCurrency::UpdateCurrencyRule, &TCurrency::UpdateRateRule);
}

rt::ObjectPtr TCurrency::BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) {
  rt::ContextScope scope(*this);
  return RunRule("BusinessRules_Delete", iBDO, &TCurrency::DeleteCurrencyRule, &TCurrency::DeleteRateRule);
}

rt::ObjectPtr TCurrency::BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>&) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return nullptr;
}

rt::ObjectPtr TCurrency::FromScript(const char* member, const std::string& table, const rt::Variant& keys,
                                    const rt::Variant& values, bool isDelete, RuleMethod rule) {
  static const std::vector<const char*> kCurrencyColumns = {"CURRENCYCODE", "CURRENCYNAME", "HOMECURRENCY", "EURO",
                                                            "EPC",          "DECIMALS",     "LOCALEID"};
  static const std::vector<const char*> kRateColumns = {"CURRENCYCODE",  "EFFECTIVEDATE", "EXPIRYDATE",
                                                        "HOMESALESRATE", "EUROSALESRATE", "RATEFACTOR"};
  try {
    // Table names are matched exactly, letter case included; a delete takes
    // the key columns only.
    const char* kind = table == "CURRENCY" ? kCurrencyKind : table == "CURRENCYRATE" ? kRateKind : nullptr;
    rt::ObjectPtr result;
    if (kind) {
      const std::vector<const char*>& columns = kind == kCurrencyKind ? kCurrencyColumns : kRateColumns;
      const size_t count = isDelete ? (kind == kCurrencyKind ? 1 : 2) : columns.size();
      auto bdo = rt::NewDictionary();
      bdo->Add("METAObjectID", kind);
      for (size_t i = 0; i < count; ++i) script::AddFieldFromArrays(*bdo, columns[i], keys, values);
      result = (this->*rule)(bdo);
    }
    Mts_SetComplete();
    return result;
  } catch (...) {
    HandleMethodError(Source(member), Mts_SetAbort);
  }
  return nullptr;
}

rt::ObjectPtr TCurrency::InsertFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                          const rt::Variant& iValuesArray) {
  rt::ContextScope scope(*this);
  return FromScript("InsertFromScript", iTableName, iKeyArray, iValuesArray, false, &TCurrency::BusinessRules_Insert);
}

rt::ObjectPtr TCurrency::UpdateFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                          const rt::Variant& iValuesArray) {
  rt::ContextScope scope(*this);
  return FromScript("UpdateFromScript", iTableName, iKeyArray, iValuesArray, false, &TCurrency::BusinessRules_Update);
}

rt::ObjectPtr TCurrency::DeleteFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                          const rt::Variant& iValuesArray) {
  rt::ContextScope scope(*this);
  return FromScript("DeleteFromScript", iTableName, iKeyArray, iValuesArray, true, &TCurrency::BusinessRules_Delete);
}

}  // namespace brintor
