// ITCurrency: the transactional writer of the currency tables
// ("Brintor.TCurrency") as C++ callers see it: currencies and their rate
// periods, and the script-driven writes that answer a "Solvane.ResultObject".
// Members stand in the class's interface order; the class also implements
// BusinessRules and IReferentialIntegrity (interfaces/referential_integrity.h).
//
// Failures are raised as rt::ComError; numbers in interfaces/brintor_errors.h.
// The validators raise a BrintorError member with source "Brintor" and the
// member's name as description ("EffectiveDateRange").
#pragma once

#include <string>

#include "runtime/object.h"
#include "runtime/variant.h"

struct ITCurrency {
  virtual ~ITCurrency() = default;

  // One CURRENCY row from the seven values in column order; True, or raises
  // (a failed validation too, through the method's handler).
  virtual bool AddCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                           const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency,
                           const rt::Variant& i_vEPC, const rt::Variant& i_vDecimals,
                           const rt::Variant& i_vLocaleID) = 0;
  // The row of the code; True also when no row matched.
  virtual bool UpdateCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                              const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency,
                              const rt::Variant& i_vEPC, const rt::Variant& i_vDecimals,
                              const rt::Variant& i_vLocaleID) = 0;
  // The currency and its rate periods, as one unit, when the referential
  // checker allows; offices and partners using the code are not looked at.
  virtual bool DeleteCurrency(const rt::Variant& i_vCurrencyCode) = 0;
  // The currency row alone; False (nothing raised) when the referential
  // checker refuses.
  virtual bool CurrencyDelete(const std::string& iCurrencyCode) = 0;

  // Rate periods. A failed validation is raised bare, before anything is
  // opened: not logged, no vote.
  virtual bool AddCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                               const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                               const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                               const rt::Variant& iEPC) = 0;
  // The period that starts at the effective date; True also when none matched.
  virtual bool UpdateCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                                  const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                                  const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                                  const rt::Variant& iEPC) = 0;
  virtual bool DeleteCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate) = 0;

  // Script writes of "CURRENCY" or "CURRENCYRATE" (exact letter case) from
  // parallel arrays of column names and values; Nothing for another table.
  virtual rt::ObjectPtr InsertFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                         const rt::Variant& iValuesArray) = 0;
  virtual rt::ObjectPtr UpdateFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                         const rt::Variant& iValuesArray) = 0;
  virtual rt::ObjectPtr DeleteFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                         const rt::Variant& iValuesArray) = 0;
  // Votes commit when there is an object context.
  virtual void Release() = 0;
};
