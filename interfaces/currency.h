// ICurrency: the currency object of the common library ("Brintor.Currency")
// as C++ callers see it: one currency loaded into seven properties, the home
// and euro currencies, exchange-rate rows, amount conversion and the
// rate-validity questions. Members stand in the class's interface order.
//
// Shapes handed out (Scripting.Dictionary, upper-case keys):
//   CurrencyDictionary  CURRENCYCODE (trimmed), HOMECURRENCY, EURO, EPC,
//                       DECIMALS (Integer), LOCALEID (Integer or Null)
//   CurrencyRateDictionary  CURRENCYCODE, EFFECTIVEDATE, EXPIRYDATE,
//                       HOMESALESRATE, EUROSALESRATE (Double), RATEFACTOR (Long)
//   CurrencyCodeSet     code -> the same code
// Failures are raised as rt::ComError; numbers in interfaces/brintor_errors.h.
#pragma once

#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

struct ICurrency {
  virtual ~ICurrency() = default;

  // The loaded currency; the let accessors only store the value.
  virtual rt::Variant CurrencyCode() = 0;
  virtual void SetCurrencyCode(const rt::Variant& value) = 0;
  virtual rt::Variant CurrencyName() = 0;
  virtual void SetCurrencyName(const rt::Variant& value) = 0;
  virtual rt::Variant HomeCurrency() = 0;
  virtual void SetHomeCurrency(const rt::Variant& value) = 0;
  virtual rt::Variant EuroCurrency() = 0;
  virtual void SetEuroCurrency(const rt::Variant& value) = 0;
  virtual rt::Variant LocaleID() = 0;
  virtual void SetLocaleID(const rt::Variant& value) = 0;
  virtual rt::Variant EPC() = 0;
  virtual void SetEPC(const rt::Variant& value) = 0;
  virtual rt::Variant Decimals() = 0;
  virtual void SetDecimals(const rt::Variant& value) = 0;

  // Always "".
  virtual rt::Variant GetError() = 0;
  // Replaces the cached home currency (normally a CurrencyDictionary); no check.
  virtual void SetHomeCurrencyObject(rt::ObjectPtr& iHomeCurrencyObject) = 0;
  virtual rt::ObjectPtr GetHomeCurrencyObject() = 0;
  // The home (euro) currency, read once per object; null when there is none.
  virtual rt::ObjectPtr GetHomeCurrency() = 0;
  virtual rt::ObjectPtr GetEuroCurrency() = 0;
  // A price and a discount held in iFromCurrency converted into the target
  // currency: PRICE and DISCOUNTAMOUNT (Currency).
  virtual std::shared_ptr<rt::Dictionary> ConvertTo(rt::ObjectPtr& iFromCurrency, rt::Variant& iNewCurrencyCode,
                                                    rt::Currency& iPrice, rt::Currency& iDiscountAmount,
                                                    rt::Date& iOrderDate) = 0;
  // The amount converted with the rates valid at the date; equal codes give
  // the amount unchanged without reading anything.
  virtual rt::Currency ConvertAmount(std::string& iFromCurrencyCode, std::string& iToCurrencyCode,
                                     rt::Currency& iAmount, rt::Date& iDate) = 0;
  // Loads one currency into the properties; true, or raises.
  virtual bool GetCurrency(rt::Variant& iCurrencyCode) = 0;
  // The rate row valid at the date (null rates read as 0).
  virtual std::shared_ptr<rt::Dictionary> GetCurrencyRate(rt::Variant& iCurrencyCode, rt::Date& iOrderDate) = 0;

  // Withdrawn writers: each fails with error -1 naming its replacement.
  virtual bool AddCurrency() = 0;
  virtual bool UpdateCurrency() = 0;
  virtual bool DeleteCurrency() = 0;
  virtual bool CurrencyDelete(rt::Variant& iCurrencyCode) = 0;
  virtual bool AddCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate, rt::Variant& iExpiryDate,
                               rt::Variant& iHomeSalesRate, rt::Variant& iEuroSalesRate, rt::Variant& iRateFactor,
                               rt::Variant& iEPC) = 0;
  virtual bool UpdateCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate,
                                  rt::Variant& iExpiryDate, rt::Variant& iHomeSalesRate,
                                  rt::Variant& iEuroSalesRate, rt::Variant& iRateFactor, rt::Variant& iEPC) = 0;
  virtual bool DeleteCurrencyRate(rt::Variant& iCurrencyCode, rt::Variant& iEffectiveDate) = 0;

  // The rate row with exactly that effective date (null rates stay null).
  virtual std::shared_ptr<rt::Dictionary> GetSpecificCurrencyRate(rt::Variant& iCurrencyCode,
                                                                  rt::Date& iEffectiveDate) = 0;
  // All currencies as a detached recordset.
  virtual rt::ObjectPtr GetCurrencies() = 0;
  // Every currency code (a CurrencyCodeSet, empty when there are none).
  virtual std::shared_ptr<rt::Dictionary> GetCurrenciesInDictionary() = 0;
  // One currency with its columns as texts (flags "True"/"False").
  virtual std::shared_ptr<rt::Dictionary> GetCurrencyAsDict(rt::Variant& istrCurrencyCode) = 0;
  // Votes commit when there is an object context.
  virtual void Release() = 0;

  // Withdrawn script writers.
  virtual rt::ObjectPtr InsertFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray,
                                         rt::Variant& iValuesArray) = 0;
  virtual rt::ObjectPtr UpdateFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray,
                                         rt::Variant& iValuesArray) = 0;
  virtual rt::ObjectPtr DeleteFromScript(rt::Variant& iTableName, rt::Variant& iKeyArray,
                                         rt::Variant& iValuesArray) = 0;

  // The euro (home) currency's code; "" when there is none or on any failure.
  virtual std::string GetEuroCurrencyCode() = 0;
  virtual std::string GetHomeCurrencyCode() = 0;

  // Whether amounts in the currency can be converted at the date; these
  // never raise: any failure answers false (the lists: null).
  virtual bool HasValidCurrencyRate(std::string& istrCurrencyCode, rt::Date& idteDate) = 0;
  virtual bool HasValidCurrencyRateEx(std::string& istrCurrencyCode, rt::Date& idteDate, bool& iblnStrict) = 0;
  virtual bool CanConvertToHomeCurrency(std::string& istrCurrencyCode, rt::Date& idteDate) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingValidCurrencyRate(rt::Date& idteDate) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingAnyCurrencyRate() = 0;
  virtual std::shared_ptr<rt::Dictionary> GetCurrencyCodesHavingNoValidCurrencyRate(rt::Date& idteDate) = 0;
  virtual bool AreCurrencyRatesValid(rt::Date& idteDate) = 0;
};
