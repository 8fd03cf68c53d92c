// TCurrency: rate periods. The validation keeps one currency's periods from
// overlapping and enforces the rate rules of currencies tied to the euro
// (EPC) and of the others; it runs before the writers' handlers, so its
// failures reach the caller bare.
#include "brintor/currency/currency.h"
#include "brintor/currency/currency_support.h"
#include "brintor/currency/tcurrency.h"
#include "brintor/currency/tcurrency_common.h"
#include "common/lib_general.h"
#include "common/method_error.h"
#include "data/column_fit.h"
#include "data/command.h"
#include "data/data_types.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;
using namespace tcurrency;

namespace {

constexpr const char* kInsertSql = "INSERT INTO CURRENCYRATE VALUES (?, ?, ?, ?, ?, ?)";
constexpr const char* kUpdateSql =
    "UPDATE CURRENCYRATE SET EXPIRYDATE=?, HOMESALESRATE=?, EUROSALESRATE=?, RATEFACTOR=? "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE=?";
constexpr const char* kDeleteSql = "DELETE FROM CURRENCYRATE WHERE CURRENCYCODE=? AND EFFECTIVEDATE=?";

// A rate as the rules read it: Null, a number (Empty reads as 0), or text
// that is no number. `stored` is the number as its column will hold it
// (rounded to the column's scale): a rate is above 0 only when what is
// stored is, or a rate of 0.00001 would pass and be stored as 0.
struct RateValue {
  bool null = false;
  bool number = false;
  double value = 0;
  double stored = 0;
};

RateValue ReadRate(const rt::Variant& rate, const char* column) {
  if (rate.IsNull()) return {true, false, 0, 0};
  if (!rt::IsNumeric(rate)) return {};
  const double value = rt::CDbl(rate);
  double stored = value;
  // A value its column refuses keeps its own number here; the write then fails.
  try {
    stored = rt::CDbl(data::FitValue(rate, data::TypeFromDeclared(column)));
  } catch (const rt::ComError&) {
  }
  return {false, true, value, stored};
}

// A factor below 1 would break every conversion (0) or turn amounts
// negative, so it counts as missing, as does one that is no number.
bool IsUsableRateFactor(const rt::Variant& factor) {
  return !IsMissingCode(factor) && rt::IsNumeric(factor) && rt::CDbl(factor) >= 1;
}

// A date as the overlap queries write it: the Date's text in the server
// profile, whatever form the caller gave it in.
std::string DateText(const rt::Variant& date) { return rt::CStr(rt::Variant(rt::CDate(date))); }

std::shared_ptr<data::Parameter> RateParameter(data::Command& command, const char* name, uint8_t precision,
                                               uint8_t scale, const rt::Variant& value) {
  auto parameter = command.CreateParameter(name, data::adtype::kNumeric, data::kParamInput, 0, value);
  parameter->SetPrecision(precision);
  parameter->SetNumericScale(scale);
  return parameter;
}

}  // namespace

bool TCurrency::ValidateCurrencyRate(const rt::Variant& code, const rt::Variant& effectiveDate,
                                     const rt::Variant& expiryDate, const rt::Variant& homeSalesRate,
                                     const rt::Variant& euroSalesRate, const rt::Variant& rateFactor,
                                     const rt::Variant& epc, bool coveringPeriod, bool currencyMustExist) {
  if (!homeCurrency_) homeCurrency_ = rt::NewObject<Currency>(*this)->GetHomeCurrency();

  if (IsMissingCode(code) || (currencyMustExist && rt::Trim(rt::Concat(code)).empty()))
    Invalid(BrintorError::MissingCurrencyCode);
  if (IsMissingCode(epc)) Invalid(BrintorError::MissingEPC);
  if (IsMissingCode(effectiveDate)) Invalid(BrintorError::MissingEffectiveDate);
  if (!IsUsableRateFactor(rateFactor)) Invalid(BrintorError::MissingRateFactor);

  const std::string c = Gen_SqlQuote(rt::Variant(rt::CStr(code)));
  // A rate of a currency that does not exist would only ever be listed as
  // one without a valid rate.
  if (currencyMustExist && !CheckExistenceUsingSQL("SELECT CURRENCYCODE FROM CURRENCY WHERE CURRENCYCODE = '" + c + "'"))
    Invalid(BrintorError::CurrencyNotFound);

  if (!rt::IsDate(effectiveDate)) Invalid(BrintorError::InvalidEffectiveDate);
  const std::string e = DateText(effectiveDate);
  const std::string periodsOf = "SELECT CURRENCYCODE FROM CURRENCYRATE WHERE CURRENCYCODE = '" + c + "'";
  // A period that has begun by the effective date and is still open then.
  if (coveringPeriod &&
      CheckExistenceUsingSQL(periodsOf + " AND EFFECTIVEDATE <= '" + e + "' AND (EXPIRYDATE IS NULL OR EXPIRYDATE > '" +
                             e + "')")) {
    Invalid(BrintorError::EffectiveDateRange);
  }

  const bool expiryIsDate = !expiryDate.IsNull() && rt::IsDate(expiryDate);
  if (!expiryDate.IsNull()) {
    if (!expiryIsDate) Invalid(BrintorError::InvalidExpiryDate);
    if (rt::CDate(effectiveDate).serial >= rt::CDate(expiryDate).serial) Invalid(BrintorError::ExpiryDateRange);
  }
  // An open-ended period with any period that starts later and is open then.
  if (expiryDate.IsNull() &&
      CheckExistenceUsingSQL(periodsOf + " AND EFFECTIVEDATE > '" + e + "'AND (EXPIRYDATE IS NULL OR EXPIRYDATE > '" +
                             e + "')")) {
    Invalid(BrintorError::EffectiveDateRange);
  }
  // A period that starts inside the new one.
  if (expiryIsDate && CheckExistenceUsingSQL(periodsOf + " AND EFFECTIVEDATE > '" + e + "' AND EFFECTIVEDATE < '" +
                                             DateText(expiryDate) + "' ")) {
    Invalid(BrintorError::EffectiveDateRange);
  }

  // The columns HOMESALESRATE decimal(18,4) and EUROSALESRATE decimal(12,6).
  const RateValue home = ReadRate(homeSalesRate, "decimal(18,4)");
  const RateValue euro = ReadRate(euroSalesRate, "decimal(12,6)");
  if (IsTrue(epc)) {
    // Converted through the euro: no home rate of its own, a euro rate above 0.
    const bool homeOk = home.null || (home.number && home.value == 1);
    if (!homeOk || !(euro.number && euro.stored > 0)) Invalid(BrintorError::InvalidEPCRate);
  } else {
    const bool breach = !home.number || home.stored <= 0 || !(euro.null || (euro.number && euro.value == 0));
    const bool isHome = homeCurrency_ && rt::VbEquals(Entry(homeCurrency_, "CURRENCYCODE"), code);
    if (breach && !isHome) Invalid(BrintorError::InvalidNonEPCRate);
  }
  return true;
}

bool TCurrency::WriteCurrencyRate(bool update, const rt::Variant& code, const rt::Variant& effectiveDate,
                                  const rt::Variant& expiryDate, const rt::Variant& homeSalesRate,
                                  const rt::Variant& euroSalesRate, const rt::Variant& rateFactor, const char* source) {
  std::shared_ptr<data::Connection> cn;
  try {
    cn = OpenConnection();
    auto command = data::Command::New();
    command->SetActiveConnection(cn);
    command->SetCommandType(data::kCmdText);
    command->SetCommandText(update ? kUpdateSql : kInsertSql);
    auto parameters = command->Parameters();
    auto codeParameter = command->CreateParameter("CurrencyCode", data::adtype::kWChar, data::kParamInput, 3, code);
    auto effectiveParameter =
        command->CreateParameter("EffecitveDate", data::adtype::kDBTimeStamp, data::kParamInput, 0, effectiveDate);
    if (!update) {
      parameters->Append(codeParameter);
      parameters->Append(effectiveParameter);
    }
    parameters->Append(
        command->CreateParameter("ExpiryDate", data::adtype::kDBTimeStamp, data::kParamInput, 0, expiryDate));
    parameters->Append(RateParameter(*command, "HomeSalesRate", 18, 4, homeSalesRate));
    parameters->Append(RateParameter(*command, "EuroSalesRate", 12, 6, euroSalesRate));
    parameters->Append(
        command->CreateParameter("RateFactor", data::adtype::kInteger, data::kParamInput, 0, rateFactor));
    if (update) {
      parameters->Append(codeParameter);
      parameters->Append(effectiveParameter);
    }
    command->Execute();
    CommitAndClose(cn);
    return true;
  } catch (...) {
    HandleMethodError(Source(source), ConnectionErrors(cn), [&] { AbortAndClose(cn); });
  }
  return false;
}

bool TCurrency::AddCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                                const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                                const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                                const rt::Variant& iEPC) {
  rt::ContextScope scope(*this);
  ValidateCurrencyRate(iCurrencyCode, iEffectiveDate, iExpiryDate, iHomeSalesRate, iEuroSalesRate, iRateFactor, iEPC,
                       true, true);
  return WriteCurrencyRate(false, iCurrencyCode, iEffectiveDate, iExpiryDate, iHomeSalesRate, iEuroSalesRate,
                           iRateFactor, "AddCurrencyRate");
}

bool TCurrency::UpdateCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                                   const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                                   const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                                   const rt::Variant& iEPC) {
  rt::ContextScope scope(*this);
  // An existing period does not collide with itself: no covering test.
  ValidateCurrencyRate(iCurrencyCode, iEffectiveDate, iExpiryDate, iHomeSalesRate, iEuroSalesRate, iRateFactor, iEPC,
                       false, true);
  return WriteCurrencyRate(true, iCurrencyCode, iEffectiveDate, iExpiryDate, iHomeSalesRate, iEuroSalesRate,
                           iRateFactor, "UpdateCurrencyRate");
}

bool TCurrency::DeleteCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate) {
  rt::ContextScope scope(*this);
  if (IsMissingCode(iCurrencyCode)) RaiseError(BrintorError::MissingCurrencyCode, "MissingCurrencyCode");
  if (IsMissingCode(iEffectiveDate)) RaiseError(BrintorError::MissingEffectiveDate, "MissingEffectiveDate");
  std::shared_ptr<data::Connection> cn;
  try {
    cn = OpenConnection();
    auto command = data::Command::New();
    command->SetActiveConnection(cn);
    command->SetCommandType(data::kCmdText);
    command->SetCommandText(kDeleteSql);
    command->Parameters()->Append(
        command->CreateParameter("CurrencyCode", data::adtype::kWChar, data::kParamInput, 3, iCurrencyCode));
    command->Parameters()->Append(
        command->CreateParameter("EffectiveDate", data::adtype::kDBTimeStamp, data::kParamInput, 0, iEffectiveDate));
    command->Execute();
    CommitAndClose(cn);
    return true;
  } catch (...) {
    HandleMethodError(Source("DeleteCurrencyRate"), ConnectionErrors(cn), [&] { AbortAndClose(cn); });
  }
  return false;
}

}  // namespace brintor
