// Currency ("Brintor.Currency"): the reading side of the currency master
// data. Loads one currency into its properties, lists currencies, finds the
// home and euro currencies (cached for the object's life), reads rate rows,
// converts amounts and answers which currencies have a rate in force. The
// old writing methods remain as withdrawn stubs; writes belong to TCurrency.
#pragma once

#include <memory>
#include <string>

#include "interfaces/currency.h"
#include "interfaces/referential_integrity.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace data {
class Connection;
}

namespace brintor {

class Currency : public rt::Object, public ICurrency, public IReferentialIntegrity, public BusinessRules {
 public:
  std::string TypeName() const override { return "Currency"; }
  const rt::DispatchTable* Dispatch() const override;

  // Properties (currency.cpp).
  rt::Variant CurrencyCode() override { return currencyCode_; }
  void SetCurrencyCode(const rt::Variant& value) override { currencyCode_ = value; }
  rt::Variant CurrencyName() override { return currencyName_; }
  void SetCurrencyName(const rt::Variant& value) override { currencyName_ = value; }
  rt::Variant HomeCurrency() override { return homeCurrency_; }
  void SetHomeCurrency(const rt::Variant& value) override { homeCurrency_ = value; }
  rt::Variant EuroCurrency() override { return euroCurrency_; }
  void SetEuroCurrency(const rt::Variant& value) override { euroCurrency_ = value; }
  rt::Variant LocaleID() override { return localeId_; }
  void SetLocaleID(const rt::Variant& value) override { localeId_ = value; }
  rt::Variant EPC() override { return epc_; }
  void SetEPC(const rt::Variant& value) override { epc_ = value; }
  rt::Variant Decimals() override { return decimals_; }
  void SetDecimals(const rt::Variant& value) override { decimals_ = value; }

  // Currencies (currency.cpp).
  rt::Variant GetError() override;
  void SetHomeCurrencyObject(rt::ObjectPtr& iHomeCurrencyObject) override;
  rt::ObjectPtr GetHomeCurrencyObject() override;
  rt::ObjectPtr GetHomeCurrency() override;
  rt::ObjectPtr GetEuroCurrency() override;
  bool GetCurrency(rt::Variant& iCurrencyCode) override;
  rt::ObjectPtr GetCurrencies() override;
  std::shared_ptr<rt::Dictionary> GetCurrenciesInDictionary() override;
  std::shared_ptr<rt::Dictionary> GetCurrencyAsDict(rt::Variant& istrCurrencyCode) override;
  void Release() override;
  std::string GetEuroCurrencyCode() override;
  std::string GetHomeCurrencyCode() override;

  // Rates and conversion (currency_conversion.cpp).
  std::shared_ptr<rt::Dictionary> ConvertTo(rt::ObjectPtr& iFromCurrency, rt::Variant& iNewCurrencyCode,
                                            rt::Currency& iPrice, rt::Currency& iDiscountAmount,
                                            rt::Date& iOrderDate) override;
  rt::Currency ConvertAmount(std::string& iFromCurrencyCode, std::string& iToCurrencyCode, rt::Currency& iAmount,
                             rt::Date& iDate) override;
  std::shared_ptr<rt::Dictionary> GetCurrencyRate(rt::Variant& iCurrencyCode, rt::Date& iOrderDate) override;
  std::shared_ptr<rt::Dictionary> GetSpecificCurrencyRate(rt::Variant& iCurrencyCode,
                                                          rt::Date& iEffectiveDate) override;

  // Rate validity (currency_validity.cpp).
  bool HasValidCurrencyRate(std::string& istrCurrencyCode, rt::Date& idteDate) override;
  bool HasValidCurrencyRateEx(std::string& istrCurrencyCode, rt::Date& idteDate, bool& iblnStrict) override;
  bool CanConvertToHomeCurrency(std::string& istrCurrencyCode, rt::Date& idteDate) override;
  std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingValidCurrencyRate(rt::Date& idteDate) override;
  std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingAnyCurrencyRate() override;
  std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingNoValidCurrencyRate(rt::Date& idteDate) override;
  bool AreCurrencyRatesValid(rt::Date& idteDate) override;

  // Withdrawn members (currency_withdrawn.cpp).
  bool AddCurrency() override;
  bool UpdateCurrency() override;
  bool DeleteCurrency() override;
  bool CurrencyDelete(rt::Variant& iCurrencyCode) override;
  bool AddCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate, rt::Variant& iExpiryDate,
                       rt::Variant& iHomeSalesRate, rt::Variant& iEuroSalesRate, rt::Variant& iRateFactor,
                       rt::Variant& iEPC) override;
  bool UpdateCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate, rt::Variant& iExpiryDate,
                          rt::Variant& iHomeSalesRate, rt::Variant& iEuroSalesRate, rt::Variant& iRateFactor,
                          rt::Variant& iEPC) override;
  bool DeleteCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate) override;
  rt::ObjectPtr InsertFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray, rt::Variant& iValuesArray) override;
  rt::ObjectPtr UpdateFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray, rt::Variant& iValuesArray) override;
  rt::ObjectPtr DeleteFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray, rt::Variant& iValuesArray) override;
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;
  rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // ObjectControl: nothing to set up or reset; never pooled.
  bool ImplementsObjectControl() const override { return true; }
  void Activate() override {}
  void Deactivate() override {}
  bool CanBePooled() override { return false; }

  // A rate row as GetCurrencyRate hands it back, before it becomes a
  // dictionary: the conversions use the values without one.
  struct RateRow {
    rt::Variant code, effective, expiry;
    rt::Variant home, euro;  // a Double; for Null the Integer 0 (Null itself for a specific rate)
    int32_t factor = 0;
  };

 private:
  // A new connection opened on the common connection string.
  static std::shared_ptr<data::Connection> OpenConnection(std::shared_ptr<data::Connection>& connection);
  // The home (euro) currency query of GetHomeCurrency / GetEuroCurrency.
  rt::ObjectPtr ReadFlaggedCurrency(rt::ObjectPtr& cache, const char* sql, const char* errorSource);
  // GetCurrencyRate / GetSpecificCurrencyRate after their missing-code check.
  RateRow ReadRate(const rt::Variant& code, const rt::Date& date, bool specific);
  // GetCurrencyRate's row without its dictionary (the same scope, reads and failures).
  RateRow CurrentRate(rt::Variant& code, const rt::Date& date);
  // The loop of the two code lists: codes of `sql`, each kept when `keep` says so.
  template <class Keep>
  std::shared_ptr<rt::Dictionary> CodesOf(const std::string& sql, Keep keep);

  rt::Variant currencyCode_;
  rt::Variant currencyName_;
  rt::Variant homeCurrency_;
  rt::Variant euroCurrency_;
  rt::Variant localeId_;
  rt::Variant epc_;
  rt::Variant decimals_;
  rt::ObjectPtr homeCache_;
  rt::ObjectPtr euroCache_;
};

rt::ClassInfo CurrencyClass();

}  // namespace brintor
