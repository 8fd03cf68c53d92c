// TCurrency: currency rows. AddCurrency and UpdateCurrency validate the
// pending currency under their handler; DeleteCurrency removes a currency
// with its rate periods as one unit; CurrencyDelete removes the currency row
// alone and answers False when the referential checker refuses.
#include <vector>

#include "brintor/currency/currency.h"
#include "brintor/currency/currency_support.h"
#include "brintor/currency/tcurrency.h"
#include "brintor/currency/tcurrency_common.h"
#include "common/lib_general.h"
#include "common/lib_mts.h"
#include "common/lib_sql.h"
#include "common/method_error.h"
#include "data/command.h"
#include "data/data_types.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;
using namespace tcurrency;

namespace {

constexpr const char* kInsertSql = "INSERT INTO CURRENCY VALUES (?, ?, ?, ?, ?, ?, ?)";
constexpr const char* kUpdateSql =
    "UPDATE CURRENCY SET CURRENCYNAME=?, HOMECURRENCY=?, EURO=?, EPC=?, DECIMALS=?, LOCALEID=? WHERE CURRENCYCODE=?";
// "Currency not present": a plain raise, not a BrintorError member.
constexpr int32_t kCurrencyNotPresent = static_cast<int32_t>(0x80040064);

struct ParameterSpec {
  const char* name;
  int32_t type;
  int32_t size;
  rt::Variant value;
};

std::shared_ptr<data::Command> NewCommand(const std::shared_ptr<data::Connection>& connection, const char* sql,
                                          const std::vector<ParameterSpec>& parameters) {
  auto command = data::Command::New();
  command->SetActiveConnection(connection);
  command->SetCommandType(data::kCmdText);
  command->SetCommandText(sql);
  for (const ParameterSpec& p : parameters) {
    command->Parameters()->Append(command->CreateParameter(p.name, p.type, data::kParamInput, p.size, p.value));
  }
  return command;
}

// Whether the current call runs in a transaction of the object context.
bool InContextTransaction() {
  rt::ObjectContext* context = rt::GetObjectContext();
  return context && context->CurrentTransaction();
}

// LOCALEID as the readers take it: a 16-bit integer (Null and Empty pass).
bool IsValidLocaleId(const rt::Variant& locale) {
  if (locale.IsNull() || locale.IsEmpty()) return true;
  if (!rt::IsNumeric(locale)) return false;
  try {
    rt::CInt(locale);
    return true;
  } catch (const rt::ComError&) {
    return false;
  }
}

}  // namespace

bool TCurrency::ValidateCurrency() {
  const PendingCurrency& p = pending_;
  if (IsMissingCode(p.CURRENCYCODE)) Invalid(BrintorError::MissingCurrencyCode);
  if (IsMissingCode(p.CURRENCYNAME)) Invalid(BrintorError::MissingCurrencyName);
  if (IsMissingCode(p.HOMECURRENCY)) Invalid(BrintorError::MissingHomeCurrency);
  if (IsMissingCode(p.EURO)) Invalid(BrintorError::MissingEuroCurrency);
  if (IsMissingCode(p.EPC)) Invalid(BrintorError::MissingEPC);
  if (IsMissingCode(p.DECIMALS)) Invalid(BrintorError::MissingDecimals);

  // Text that is no number fails in the conversion (13) before the range test.
  const int16_t decimals = rt::CInt(p.DECIMALS);
  if (!(decimals >= 0 && rt::IsNumeric(p.DECIMALS) && decimals <= 6)) Invalid(BrintorError::InvalidDecimals);
  if (!IsValidLocaleId(p.LOCALEID)) Invalid(BrintorError::InvalidLocaleID);

  // Only one home and one euro currency: every value that counts as True is
  // checked, the number 1 as much as the Boolean.
  std::shared_ptr<Currency> currency;
  auto other = [&](rt::ObjectPtr (Currency::*read)()) {
    if (!currency) currency = rt::NewObject<Currency>(*this);
    rt::ObjectPtr flagged = ((*currency).*read)();
    return flagged && !rt::VbEquals(Entry(flagged, "CURRENCYCODE"), p.CURRENCYCODE);
  };
  if (IsTrue(p.HOMECURRENCY) && other(&Currency::GetHomeCurrency)) Invalid(BrintorError::DuplicateHomeCurrency);
  if (IsTrue(p.EURO) && other(&Currency::GetEuroCurrency)) Invalid(BrintorError::DuplicateEuroCurrency);
  return true;
}

bool TCurrency::WriteCurrency(const char* sql, bool update, const PendingCurrency& v, const char* source) {
  std::shared_ptr<data::Connection> cn;
  try {
    ValidateCurrency();
    cn = OpenConnection();
    const ParameterSpec code{"CurrencyCode", data::adtype::kWChar, 3, v.CURRENCYCODE};
    std::vector<ParameterSpec> parameters = {
        {"CurrencyName", data::adtype::kWChar, 30, v.CURRENCYNAME},
        {"HomeCurrency", data::adtype::kBoolean, 0, v.HOMECURRENCY},
        {"EuroCurrency", data::adtype::kBoolean, 0, v.EURO},
        {"EPC", data::adtype::kBoolean, 0, v.EPC},
        {"Decimals", data::adtype::kSmallInt, 0, v.DECIMALS},
        {"LocaleID", data::adtype::kInteger, 0, v.LOCALEID},
    };
    if (update) {
      parameters.push_back(code);
    } else {
      parameters.insert(parameters.begin(), code);
    }
    NewCommand(cn, sql, parameters)->Execute();
    CommitAndClose(cn);
    return true;
  } catch (...) {
    HandleMethodError(Source(source), ConnectionErrors(cn), [&] { AbortAndClose(cn); });
  }
  return false;
}

bool TCurrency::AddCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                            const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency,
                            const rt::Variant& i_vEPC, const rt::Variant& i_vDecimals, const rt::Variant& i_vLocaleID) {
  rt::ContextScope scope(*this);
  pending_ = {i_vCurrencyCode, i_vCurrencyName, i_vHomeCurrency, i_vEuroCurrency, i_vEPC, i_vDecimals, i_vLocaleID};
  return WriteCurrency(kInsertSql, false, pending_, "AddCurrency");
}

bool TCurrency::UpdateCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                               const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency,
                               const rt::Variant& i_vEPC, const rt::Variant& i_vDecimals,
                               const rt::Variant& i_vLocaleID) {
  rt::ContextScope scope(*this);
  pending_ = {i_vCurrencyCode, i_vCurrencyName, i_vHomeCurrency, i_vEuroCurrency, i_vEPC, i_vDecimals, i_vLocaleID};
  return WriteCurrency(kUpdateSql, true, pending_, "UpdateCurrency");
}

bool TCurrency::DeleteCurrency(const rt::Variant& i_vCurrencyCode) {
  rt::ContextScope scope(*this);
  // Checked before the handler: the caller gets the plain error, unlogged.
  if (IsMissingCode(i_vCurrencyCode)) RaiseError(BrintorError::MissingCurrencyCode, "MissingCurrencyCode");
  std::shared_ptr<data::Connection> cn;
  try {
    rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
    const bool allowed = rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("CURRENCY"),
                                                               OneElement(rt::Variant("CURRENCYCODE")),
                                                               OneElement(i_vCurrencyCode)}));
    checker.reset();
    if (!allowed) RaiseError(BrintorError::ReferentialDelete, "ReferentialDelete");

    cn = OpenConnection();
    // Inside a transaction of the context both deletes are part of it;
    // without one they run in a transaction of the connection's own, so that
    // the rates never go without the currency.
    data::OwnTransaction own;
    if (!InContextTransaction()) own = data::OwnTransaction(cn);
    auto command = NewCommand(cn, "DELETE FROM CURRENCYRATE WHERE CURRENCYCODE=?",
                              {{"CurrencyCode", data::adtype::kWChar, 3, i_vCurrencyCode}});
    command->Execute();
    command->SetCommandText("DELETE FROM CURRENCY WHERE CURRENCYCODE=?");
    command->Execute();
    own.Commit();
    CommitAndClose(cn);
    return true;
  } catch (...) {
    HandleMethodError(Source("DeleteCurrency"), ConnectionErrors(cn), [&] { AbortAndClose(cn); });
  }
  return false;
}

bool TCurrency::CurrencyDelete(const std::string& iCurrencyCode) {
  rt::ContextScope scope(*this);
  std::shared_ptr<data::Connection> cn;
  try {
    const rt::Variant keys = OneElement(rt::Variant("CURRENCYCODE"));
    const rt::Variant values = OneElement(rt::Variant(iCurrencyCode));
    rt::ObjectPtr checker = Gen_GetComponent("Solvane.ReferentialChecker");
    if (!rt::CBool(checker->Call("CanDelete", {rt::Variant("Brintor"), rt::Variant("CURRENCY"), keys, values}))) {
      // A refusal is an answer, not a failure: nothing is raised or logged.
      Mts_SetAbort();
      rt::Err().Clear();
      return false;
    }
    checker->Call("BeforeDelete", {rt::Variant("CURRENCY"), keys, values});
    checker.reset();
    cn = getConnection();
    rt::Variant affected;
    cn->Execute("DELETE FROM CURRENCY WHERE CURRENCYCODE='" + Gen_SqlQuote(rt::Variant(iCurrencyCode)) + "'",
                &affected);
    if (rt::CLng(affected) == 0) rt::Raise(kCurrencyNotPresent, Source("CurrencyDelete"), "Currency not present");
    Mts_SetComplete();
    return true;
  } catch (...) {
    HandleMethodError(Source("CurrencyDelete"), [&] { Mts_SetAbort(); });
  }
  return false;
}

}  // namespace brintor
