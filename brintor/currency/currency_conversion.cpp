// Currency: the rate readers and the two conversions built on them. Every
// amount goes through the home currency; a currency tied to the euro (EPC)
// goes through the euro with its euro rate and the home currency's.
#include "brintor/currency/currency.h"
#include "brintor/currency/currency_support.h"
#include "brintor/currency/rate_arithmetic.h"
#include "common/method_error.h"
#include "common/lib_sql.h"
#include "data/command.h"
#include "data/data_types.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;

namespace {

constexpr const char* kRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE<=? AND (EXPIRYDATE IS NULL OR EXPIRYDATE>?)";
constexpr const char* kSpecificRateSql =
    "SELECT CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE, HOMESALESRATE, EUROSALESRATE, RATEFACTOR FROM CURRENCYRATE "
    "WHERE CURRENCYCODE=? AND EFFECTIVEDATE=?";

// A rate column as the rate dictionary holds it: a Double, and for Null the
// Integer 0 (or Null itself when `keepNull`).
rt::Variant RateValue(const rt::Variant& column, bool keepNull) {
  if (column.IsNull()) return keepNull ? rt::Variant::Null() : rt::Variant(int16_t{0});
  return rt::CDbl(column);
}

// The parts of a rate that the arithmetic uses.
struct Rate {
  int32_t factor;
  double home;
  double euro;
};

// The rate of the euro currency, which has no rate row of its own.
constexpr Rate kUnitRate{1, 1.0, 1.0};

Rate RateOf(const Currency::RateRow& rate) { return Rate{rate.factor, rt::CDbl(rate.home), rt::CDbl(rate.euro)}; }

std::shared_ptr<rt::Dictionary> RateDictionary(Currency::RateRow rate) {
  auto dictionary = rt::NewDictionary();
  dictionary->Add("CURRENCYCODE", std::move(rate.code));
  dictionary->Add("EFFECTIVEDATE", std::move(rate.effective));
  dictionary->Add("EXPIRYDATE", std::move(rate.expiry));
  dictionary->Add("HOMESALESRATE", std::move(rate.home));
  dictionary->Add("EUROSALESRATE", std::move(rate.euro));
  dictionary->Add("RATEFACTOR", rate.factor);
  return dictionary;
}

}  // namespace

Currency::RateRow Currency::ReadRate(const rt::Variant& code, const rt::Date& date, bool specific) {
  std::shared_ptr<data::Connection> cn;
  try {
    if (IsMissingCode(code)) RaiseError(BrintorError::MissingCurrencyCode, "MissingCurrencyCode");
    OpenConnection(cn);
    auto command = data::Command::New();
    command->SetActiveConnection(cn);
    command->SetCommandText(specific ? kSpecificRateSql : kRateSql);
    command->SetCommandType(data::kCmdText);
    auto parameters = command->Parameters();
    parameters->Append(command->CreateParameter("CurrencyCode", data::adtype::kWChar, data::kParamInput, 3, code));
    parameters->Append(
        command->CreateParameter("EffectiveDate", data::adtype::kDBTimeStamp, data::kParamInput, 0, date));
    if (!specific) {
      parameters->Append(
          command->CreateParameter("ExpiryDate", data::adtype::kDBTimeStamp, data::kParamInput, 0, date));
    }
    std::shared_ptr<data::Recordset> rs = command->Execute();
    if (rs->Eof()) {
      Sql_CloseRecordset(rs);
      Sql_CloseConnection(cn);
      RaiseError(BrintorError::CurrencyRateNotFound, "CurrencyRateNotFound");
    }
    RateRow rate;
    rate.code = rt::Trim(rt::CStr(rs->Value("CURRENCYCODE")));
    rate.effective = rt::CDate(rs->Value("EFFECTIVEDATE"));
    rt::Variant expiry = rs->Value("EXPIRYDATE");
    rate.expiry = expiry.IsNull() ? expiry : rt::Variant(rt::CDate(expiry));
    rate.home = RateValue(rs->Value("HOMESALESRATE"), specific);
    rate.euro = RateValue(rs->Value("EUROSALESRATE"), specific);
    rate.factor = rt::CLng(rs->Value("RATEFACTOR"));
    Sql_CloseRecordset(rs);
    Sql_CloseConnection(cn);
    return rate;
  } catch (...) {
    HandleMethodError(specific ? "Brintor.Currency.GetSpecificCurrencyRate" : "Brintor.Currency.GetCurrencyRate",
                      ConnectionErrors(cn), [&] { Sql_CloseConnection(cn); });
  }
  return {};
}

Currency::RateRow Currency::CurrentRate(rt::Variant& code, const rt::Date& date) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  return ReadRate(code, date, false);
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrencyRate(rt::Variant& iCurrencyCode, rt::Date& iOrderDate) {
  return RateDictionary(CurrentRate(iCurrencyCode, iOrderDate));
}

std::shared_ptr<rt::Dictionary> Currency::GetSpecificCurrencyRate(rt::Variant& iCurrencyCode,
                                                                  rt::Date& iEffectiveDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  // Checked before the handler: the caller gets the plain error, unlogged.
  if (IsMissingCode(iCurrencyCode)) RaiseError(BrintorError::MissingCurrencyCode, "MissingCurrencyCode");
  return RateDictionary(ReadRate(iCurrencyCode, iEffectiveDate, true));
}

rt::Currency Currency::ConvertAmount(std::string& iFromCurrencyCode, std::string& iToCurrencyCode,
                                     rt::Currency& iAmount, rt::Date& iDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  if (iFromCurrencyCode == iToCurrencyCode) return iAmount;
  try {
    if (!homeCache_) homeCache_ = GetHomeCurrency();
    if (!homeCache_) RaiseError(BrintorError::CurrencyNotFound, "CurrencyNotFound");
    Rate rh = kUnitRate;
    if (!rt::CBool(Entry(homeCache_, "EURO"))) {
      rt::Variant homeCode = Entry(homeCache_, "CURRENCYCODE");
      rh = RateOf(CurrentRate(homeCode, iDate));
    }

    // Source side: the amount in home units.
    const double x = iAmount.ToDouble();
    double home = x;
    rt::Variant source(iFromCurrencyCode);
    GetCurrency(source);
    if (rt::CBool(euroCurrency_)) {
      // Without a euro rate for the home currency this would answer 0 as if
      // converted; it is a missing rate.
      if (rh.euro <= 0) RaiseError(BrintorError::EuroRateNotDefinedForHomeCurrency, "EuroRateNotDefinedForHomeCurrency");
      home = rates::ConvertViaRates(x, 1, 1.0, rh.factor, rh.euro);
    } else if (!rt::CBool(homeCurrency_)) {
      const Rate rf = RateOf(CurrentRate(source, iDate));
      if (rt::CBool(epc_)) {
        if (rf.euro <= 0) RaiseError(BrintorError::EuroRateNotDefined, "EuroRateNotDefined");
        if (rh.euro <= 0) RaiseError(BrintorError::EuroRateNotDefinedForHomeCurrency, "EuroRateNotDefinedForHomeCurrency");
        home = rates::ConvertViaRates(x, rf.factor, rf.euro, rh.factor, rh.euro);
      } else {
        if (rf.home <= 0) RaiseError(BrintorError::HomeRateNotDefined, "HomeRateNotDefined");
        home = rates::DivideByRate(x, rf.factor, rf.home);
      }
    }

    // Target side; from here on the properties describe the target.
    double result = 0;
    rt::Variant target(iToCurrencyCode);
    GetCurrency(target);
    if (rt::CBool(euroCurrency_)) {
      result = rates::ConvertViaRates(home, rh.factor, rh.euro, 1, 1.0);
    } else {
      const Rate tr = RateOf(CurrentRate(target, iDate));
      if (rt::CBool(epc_)) {
        if (rh.euro <= 0) RaiseError(BrintorError::EuroRateNotDefinedForHomeCurrency, "EuroRateNotDefinedForHomeCurrency");
        if (tr.euro <= 0) RaiseError(BrintorError::EuroRateNotDefined, "EuroRateNotDefined");
        result = rates::ConvertViaRates(home, rh.factor, rh.euro, tr.factor, tr.euro);
      } else if (rt::CBool(homeCurrency_)) {
        result = home;
      } else {
        if (tr.home <= 0) RaiseError(BrintorError::HomeRateNotDefined, "HomeRateNotDefined");
        result = rates::MultiplyByRate(home, tr.factor, tr.home);
      }
    }
    return rt::Currency::FromDouble(result);
  } catch (...) {
    HandleMethodError("Brintor.Currency.ConvertAmount");
  }
  return {};
}

std::shared_ptr<rt::Dictionary> Currency::ConvertTo(rt::ObjectPtr& iFromCurrency, rt::Variant& iNewCurrencyCode,
                                                    rt::Currency& iPrice, rt::Currency& iDiscountAmount,
                                                    rt::Date& iOrderDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    GetCurrency(iNewCurrencyCode);
    const Rate tr = rt::CBool(euroCurrency_) ? kUnitRate : RateOf(CurrentRate(iNewCurrencyCode, iOrderDate));
    const double price = iPrice.ToDouble();
    const double discount = iDiscountAmount.ToDouble();
    double newPrice = 0;
    double newDiscount = 0;
    // The euro goes through the euro rates whatever its EPC flag: taken as a
    // home rate, its unit rate would hand a home-currency price back unchanged.
    if (rt::CBool(epc_) || rt::CBool(euroCurrency_)) {
      if (tr.euro <= 0) RaiseError(BrintorError::EuroRateNotDefined, "EuroRateNotDefined");
      if (rt::CBool(Entry(iFromCurrency, "EURO"))) {
        newPrice = rates::MultiplyByRate(price, tr.factor, tr.euro);
        newDiscount = rates::MultiplyByRate(discount, tr.factor, tr.euro);
      } else {
        rt::Variant fromCode = Entry(iFromCurrency, "CURRENCYCODE");
        const Rate rf = RateOf(CurrentRate(fromCode, iOrderDate));
        if (rf.euro <= 0) RaiseError(BrintorError::EuroRateNotDefinedForHomeCurrency, "EuroRateNotDefinedForHomeCurrency");
        newPrice = rates::ConvertViaRates(price, rf.factor, rf.euro, tr.factor, tr.euro);
        newDiscount = rates::ConvertViaRates(discount, rf.factor, rf.euro, tr.factor, tr.euro);
      }
    } else {
      if (tr.home <= 0) RaiseError(BrintorError::HomeRateNotDefined, "HomeRateNotDefined");
      newPrice = rates::MultiplyByRate(price, tr.factor, tr.home);
      newDiscount = rates::MultiplyByRate(discount, tr.factor, tr.home);
    }
    auto converted = rt::NewDictionary();
    converted->Add("PRICE", rt::Currency::FromDouble(newPrice));
    converted->Add("DISCOUNTAMOUNT", rt::Currency::FromDouble(newDiscount));
    return converted;
  } catch (...) {
    HandleMethodError("Brintor.Currency.ConvertTo");
  }
  return nullptr;
}

}  // namespace brintor
