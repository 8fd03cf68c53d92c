// The withdrawn contract class of the catalog library ("Quarvel.Contract"),
// kept so that old callers still bind: every member, the two of
// IReferentialIntegrity included, fails with -1.
//
// Members are listed in the interface's slot order under their late-bound
// names; parameters passed by reference are non-const references.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

struct IContract {
  virtual ~IContract() = default;
  virtual bool Delete(std::string& iContractCode, int16_t& iNumber) = 0;
  virtual bool Insert(std::string& iContractCode, int16_t& iNumber, rt::Variant& iFields, rt::Variant& iValues) = 0;
  virtual bool Update(std::string& iContractCode, int16_t& iNumber, rt::Variant& iFields, rt::Variant& iValues) = 0;
  virtual bool PostToContract(std::string& iContractCode, int16_t& iNumber, rt::Currency& iAmount,
                              std::string& iCurrencyCode, bool& iClosedRequisition, rt::Date& iDate) = 0;
  virtual std::shared_ptr<rt::Dictionary> GetAllContracts() = 0;
};
