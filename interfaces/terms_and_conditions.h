// The terms-and-conditions object ("Brintor.TermsAndConditions") as other
// components see it: its dual interface _TermsAndConditions in slot order
// and the three enumerations that the class publishes.
//
// Shapes handed out (Scripting.Dictionary):
//   CodeDescriptionMap  code -> DESCRIPTION, ordered by code
//   one row             column name (as the schema spells it) -> value
// Failures are raised as rt::ComError; a code that already exists or does
// not exist is raised with its nErrorType_DML number and an empty source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

// Which code table a call works on.
enum class ETermsAndConditions : int32_t {
  PaymentTerm = 1,
  PaymentMethod = 2,
  DeliveryTerm = 3,
  DeliveryMethod = 4,
  PackagingTerm = 5,
  WarrantyTerm = 6,
  PenaltyTerm = 7,
};

// Which columns getTermsAndConditions reads: every column, or the caller's.
enum class EAllOrSpecific : int32_t {
  All = 1,
  Specific = 2,
};

// The plain error numbers (not added to 0x80040000) of the code checks. The
// "already exists" members follow their own order (packaging is 3); the
// "cannot be deleted" members are published but never raised.
enum nErrorType_DML : int32_t {
  ERR_PAYMENTTERMALREADYEXIST = 1,
  ERR_PAYMENTMETHODALREADYEXIST = 2,
  ERR_PACKAGINGTERMALREADYEXIST = 3,
  ERR_DELIVERYTERMALREADYEXIST = 4,
  ERR_DELIVERYMETHODALREADYEXIST = 5,
  ERR_WARRANTYTERMALREADYEXIST = 6,
  ERR_PENALTYTERMALREADYEXIST = 7,
  ERR_PAYMENTTERMNOTEXISTS = 8,
  ERR_PAYMENTMETHODNOTEXISTS = 9,
  ERR_DELIVERYTERMNOTEXISTS = 10,
  ERR_DELIVERYMETHODNOTEXISTS = 11,
  ERR_PACKAGINGTERMNOTEXISTS = 12,
  ERR_WARRANTYTERMNOTEXISTS = 13,
  ERR_PENALTYTERMNOTEXISTS = 14,
  ERR_PAYMENTTERMCANNOTBEDELETED = 15,
  ERR_PAYMENTMETHODCANNOTBEDELETED = 16,
  ERR_DELIVERYTERMCANNOTBEDELETED = 17,
  ERR_DELIVERYMETHODCANNOTBEDELETED = 18,
  ERR_PACKAGINGTERMCANNOTBEDELETED = 19,
  ERR_WARRANTYTERMCANNOTBEDELETED = 20,
  ERR_PENALTYTERMCANNOTBEDELETED = 21,
};

// The type arguments take an ETermsAndConditions (or EAllOrSpecific) value
// as a Long, as a late-bound caller passes it.
struct ITermsAndConditions {
  virtual ~ITermsAndConditions() = default;

  // Every code of the table with its description, ordered by code.
  virtual std::shared_ptr<rt::Dictionary> getAllTermsAndConditions(int32_t i_nTCType) = 0;
  // One row: every column (All), or the caller's columns and the code column
  // (Specific with an array of names); empty when the code has no row. Each
  // name must be a column of the table.
  virtual std::shared_ptr<rt::Dictionary> getTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                                                int32_t i_nFieldsOfRecord,
                                                                const rt::Variant& i_vFieldNames) = 0;
  // A new row of the code and the given columns; the code must be new.
  virtual void InsertTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                        std::shared_ptr<rt::Dictionary>& i_oDicTCFields) = 0;
  // The given columns of the code's row; the code must exist.
  virtual void UpdateTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode,
                                        std::shared_ptr<rt::Dictionary>& i_oDicTCFields) = 0;
  // Removes the code's row; the code must exist.
  virtual void DeleteTermsAndConditions(int32_t i_nTCType, const std::string& i_sTCCode) = 0;
  // Whether the table holds the code (code first, then the type).
  virtual bool IsTermorConditionPresent(const std::string& i_sTCCode, int32_t i_nTCType) = 0;
};
