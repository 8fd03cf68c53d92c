// TCurrency ("Brintor.TCurrency"): the transactional writer of the currency
// tables. It requires a transaction; the Currency object it makes for the
// home and euro currency shares its context and transaction. Its members are
// split by concern: the class, its connections and existence queries
// (tcurrency.cpp), currency writes (currency_writes.cpp), rate periods
// (rate_writes.cpp), script writes and business rules (currency_rules.cpp),
// referential answers (currency_references.cpp), the member table
// (tcurrency_dispatch.cpp). Errors report under "Brintor.Currency.<member>".
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/connection.h"
#include "interfaces/referential_integrity.h"
#include "interfaces/tcurrency.h"
#include "runtime/dictionary.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

class TCurrency : public rt::Object, public ITCurrency, public BusinessRules, public IReferentialIntegrity {
 public:
  TCurrency();

  std::string TypeName() const override { return "TCurrency"; }
  const rt::DispatchTable* Dispatch() const override;

  // --- currencies (currency_writes.cpp) ---------------------------------------
  bool AddCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                   const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency, const rt::Variant& i_vEPC,
                   const rt::Variant& i_vDecimals, const rt::Variant& i_vLocaleID) override;
  bool UpdateCurrency(const rt::Variant& i_vCurrencyCode, const rt::Variant& i_vCurrencyName,
                      const rt::Variant& i_vHomeCurrency, const rt::Variant& i_vEuroCurrency, const rt::Variant& i_vEPC,
                      const rt::Variant& i_vDecimals, const rt::Variant& i_vLocaleID) override;
  bool DeleteCurrency(const rt::Variant& i_vCurrencyCode) override;
  bool CurrencyDelete(const std::string& iCurrencyCode) override;

  // --- rate periods (rate_writes.cpp) ---------------------------------------
  bool AddCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                       const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                       const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                       const rt::Variant& iEPC) override;
  bool UpdateCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate,
                          const rt::Variant& iExpiryDate, const rt::Variant& iHomeSalesRate,
                          const rt::Variant& iEuroSalesRate, const rt::Variant& iRateFactor,
                          const rt::Variant& iEPC) override;
  bool DeleteCurrencyRate(const rt::Variant& iCurrencyCode, const rt::Variant& iEffectiveDate) override;

  // --- script writes and business rules (currency_rules.cpp) -----------------
  rt::ObjectPtr InsertFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                 const rt::Variant& iValuesArray) override;
  rt::ObjectPtr UpdateFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                 const rt::Variant& iValuesArray) override;
  rt::ObjectPtr DeleteFromScript(const std::string& iTableName, const rt::Variant& iKeyArray,
                                 const rt::Variant& iValuesArray) override;
  rt::ObjectPtr BusinessRules_Insert(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Update(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_Delete(const std::shared_ptr<rt::Dictionary>& iBDO) override;
  rt::ObjectPtr BusinessRules_GetInstance(const std::shared_ptr<rt::Dictionary>& iBDO) override;

  // --- referential answers (currency_references.cpp) -------------------------
  bool IReferentialIntegrity_Exists(const std::string& iOrigin, const rt::Variant& iKeys,
                                    const rt::Variant& iValues) override;
  bool IReferentialIntegrity_BeforeDelete(const std::string& iOrigin, const rt::Variant& iKeys,
                                          const rt::Variant& iValues) override;

  // --- the object (tcurrency.cpp) ---------------------------------------------
  void Release() override;

 private:
  // The currency that ValidateCurrency checks: the last one stored.
  struct PendingCurrency {
    rt::Variant CURRENCYCODE, CURRENCYNAME, HOMECURRENCY, EURO, EPC, DECIMALS, LOCALEID;
  };

  // Connections (tcurrency.cpp). OpenConnection reads the common string with
  // the web application's value first; getConnection never asks the
  // application and has no handler of its own.
  static std::shared_ptr<data::Connection> OpenConnection();
  static std::shared_ptr<data::Connection> getConnection();
  static void CommitAndClose(std::shared_ptr<data::Connection>& connection);
  static void AbortAndClose(std::shared_ptr<data::Connection>& connection);
  // True when the query gives a row; own connection, read committed.
  static bool CheckExistenceUsingSQL(const std::string& sql);

  // Validators (currency_writes.cpp, rate_writes.cpp): True, or a raised
  // BrintorError member with source "Brintor" and the member's name. With
  // `currencyMustExist` a rate's code must also name a CURRENCY row (a
  // blank code counts as missing): the script rules find an unknown code
  // by its missing EPC flag instead.
  bool ValidateCurrency();
  bool ValidateCurrencyRate(const rt::Variant& code, const rt::Variant& effectiveDate, const rt::Variant& expiryDate,
                            const rt::Variant& homeSalesRate, const rt::Variant& euroSalesRate,
                            const rt::Variant& rateFactor, const rt::Variant& epc, bool coveringPeriod,
                            bool currencyMustExist = false);
  // AddCurrency and UpdateCurrency under their handler: the validation of
  // the pending currency, then the command.
  bool WriteCurrency(const char* sql, bool update, const PendingCurrency& values, const char* source);
  // The rate writers' command, under their handler.
  bool WriteCurrencyRate(bool update, const rt::Variant& code, const rt::Variant& effectiveDate,
                         const rt::Variant& expiryDate, const rt::Variant& homeSalesRate,
                         const rt::Variant& euroSalesRate, const rt::Variant& rateFactor, const char* source);

  // The business-rule paths by kind (currency_rules.cpp). Each adds its
  // codes to the result and answers the write to make, or none when a check
  // failed; the write runs past the rule's handler.
  using WriteStep = std::function<rt::ObjectPtr()>;
  WriteStep InsertCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  WriteStep InsertRateRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  WriteStep UpdateCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  WriteStep UpdateRateRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  WriteStep DeleteCurrencyRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  WriteStep DeleteRateRule(const std::shared_ptr<rt::Dictionary>& bdo, const rt::ObjectPtr& result);
  // Stores the data object's currency as the pending currency and validates
  // it with failures caught, adding their codes; False when it failed.
  bool ValidateCurrencyRule(const rt::Dictionary& bdo, const rt::ObjectPtr& result, const char* otherPrefix);
  // Validates a rate data object with failures caught; False when it failed.
  bool ValidateRateRule(const rt::Dictionary& bdo, const rt::ObjectPtr& result, bool coveringPeriod);
  // The common frame of the three BusinessRules writes.
  using RulePath = WriteStep (TCurrency::*)(const std::shared_ptr<rt::Dictionary>&, const rt::ObjectPtr&);
  rt::ObjectPtr RunRule(const char* member, const std::shared_ptr<rt::Dictionary>& bdo, RulePath currencyPath,
                        RulePath ratePath);
  // The script entry points' shared steps.
  using RuleMethod = rt::ObjectPtr (TCurrency::*)(const std::shared_ptr<rt::Dictionary>&);
  rt::ObjectPtr FromScript(const char* member, const std::string& table, const rt::Variant& keys,
                           const rt::Variant& values, bool isDelete, RuleMethod rule);
  // The currency's EPC flag in CURRENCY; Null for an unknown code.
  static rt::Variant CurrencyEpcFlag(const rt::Variant& code);

  PendingCurrency pending_;
  rt::Variant currencyColumns_, currencyTypes_, rateColumns_, rateTypes_;
  rt::ObjectPtr homeCurrency_;  // cached by the rate validation
};

rt::ClassInfo TCurrencyClass();

}  // namespace brintor
