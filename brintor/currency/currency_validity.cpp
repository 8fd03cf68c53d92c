// Currency: whether amounts in a currency can be converted at a date, for
// one currency and for all of them. These never raise: a failure answers
// false (the lists: nothing); the inner readers have logged it already.
#include "brintor/currency/currency.h"
#include "brintor/currency/currency_support.h"
#include "common/lib_general.h"
#include "common/lib_sql.h"
#include "data/recordset.h"
#include "runtime/context.h"

namespace brintor {

using namespace currency_detail;

namespace {

// The home and euro rates of one rate row.
struct RatePair {
  double home;
  double euro;
};

// The code of a currency read by GetHomeCurrency or GetEuroCurrency; "" when
// there is no such currency.
std::string CodeOf(const rt::ObjectPtr& currency) {
  return currency ? rt::Concat(Entry(currency, "CURRENCYCODE")) : std::string();
}

}  // namespace

bool Currency::HasValidCurrencyRateEx(std::string& istrCurrencyCode, rt::Date& idteDate, bool& iblnStrict) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    auto rateOf = [&](const std::string& code) {
      rt::Variant c(code);
      const RateRow rate = CurrentRate(c, idteDate);
      return RatePair{rt::CDbl(rate.home), rt::CDbl(rate.euro)};
    };
    // Read through the raising readers, not the code getters: those answer
    // "" for a failed read as for no such currency, so a euro currency that
    // could not be read would be taken for none and the rules without a euro
    // would decide. A failed read answers false; "" means no row was found.
    const std::string home = CodeOf(GetHomeCurrency());
    const std::string euro = CodeOf(GetEuroCurrency());
    if (home.empty()) return false;
    // The euro needs no rate; with no euro currency an empty code lands here too.
    if (istrCurrencyCode == euro) return true;

    rt::Variant code(istrCurrencyCode);
    GetCurrency(code);
    const bool isHome = rt::CBool(homeCurrency_);
    const bool isEpc = rt::CBool(epc_);
    const RatePair own = rateOf(istrCurrencyCode);

    if (isHome && !euro.empty()) {
      if (own.home == 1 && own.euro > 0) return true;
      if (iblnStrict) return false;
    } else if (isHome) {
      return own.home == 1;
    }

    const RatePair ofHome = euro == home ? RatePair{1, 1} : rateOf(home);
    if (ofHome.home != 1) return false;
    if (!euro.empty() && ofHome.euro <= 0 && iblnStrict) return false;
    return isEpc ? own.euro > 0 && ofHome.euro > 0 : own.home > 0;
  } catch (...) {
    rt::Err().Clear();
  }
  return false;
}

bool Currency::HasValidCurrencyRate(std::string& istrCurrencyCode, rt::Date& idteDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  bool strict = false;
  return HasValidCurrencyRateEx(istrCurrencyCode, idteDate, strict);
}

bool Currency::CanConvertToHomeCurrency(std::string& istrCurrencyCode, rt::Date& idteDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::string home = GetHomeCurrencyCode();
    if (home.empty()) return false;
    rt::Currency one = rt::Currency::FromScaled(rt::Currency::kScale);
    return ConvertAmount(istrCurrencyCode, home, one, idteDate) > rt::Currency{};
  } catch (...) {
    rt::Err().Clear();
  }
  return false;
}

template <class Keep>
std::shared_ptr<rt::Dictionary> Currency::CodesOf(const std::string& sql, Keep keep) {
  std::shared_ptr<data::Recordset> rs =
      Sql_GetDisconnectedRecordset(sql, Sql_CommonConnectionString(kConnectionStringSource));
  auto codes = rt::NewDictionary();
  if (rs->RecordCount() > 0) {
    rs->MoveFirst();
    while (!rs->Eof()) {
      std::string code = rt::CStr(rs->Value("CURRENCYCODE"));
      if (keep(code)) codes->Add(code, code);
      rs->MoveNext();
    }
  }
  Sql_CloseRecordset(rs);
  return codes;
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrencyCodesHavingValidCurrencyRate(rt::Date& idteDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    // The candidates compare with midnight of the day; each is then checked
    // at the full date and time.
    const std::string day = Gen_FormatUSDate(rt::Variant(idteDate));
    const std::string sql = "SELECT DISTINCT CURRENCYCODE FROM CURRENCYRATE WHERE EFFECTIVEDATE<='" + day +
                            "' AND (EXPIRYDATE IS NULL OR EXPIRYDATE>'" + day + "') ORDER BY CURRENCYCODE";
    return CodesOf(sql, [&](std::string& code) { return HasValidCurrencyRate(code, idteDate); });
  } catch (...) {
    rt::Err().Clear();
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrencyCodesHavingAnyCurrencyRate() {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    return CodesOf("SELECT DISTINCT CURRENCYCODE FROM CURRENCYRATE ORDER BY CURRENCYCODE",
                   [](std::string&) { return true; });
  } catch (...) {
    rt::Err().Clear();
  }
  return nullptr;
}

std::shared_ptr<rt::Dictionary> Currency::GetCurrencyCodesHavingNoValidCurrencyRate(rt::Date& idteDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::shared_ptr<rt::Dictionary> valid = GetCurrencyCodesHavingValidCurrencyRate(idteDate);
    std::shared_ptr<rt::Dictionary> any = GetCurrencyCodesHavingAnyCurrencyRate();
    if (!valid || !any) rt::RaiseVb(rt::vberr::kObjectNotSet);
    auto invalid = rt::NewDictionary();
    for (const rt::Dictionary::Entry& entry : any->Entries()) {
      if (!valid->Exists(entry.key)) invalid->SetItem(entry.key, entry.key);
    }
    return invalid;
  } catch (...) {
    rt::Err().Clear();
  }
  return nullptr;
}

bool Currency::AreCurrencyRatesValid(rt::Date& idteDate) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    std::shared_ptr<rt::Dictionary> invalid = GetCurrencyCodesHavingNoValidCurrencyRate(idteDate);
    return invalid && invalid->Count() == 0;
  } catch (...) {
    rt::Err().Clear();
  }
  return false;
}

}  // namespace brintor
