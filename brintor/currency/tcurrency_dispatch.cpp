// TCurrency's member table: its dual interface in slot order, then
// BusinessRules and IReferentialIntegrity.
#include "brintor/currency/tcurrency.h"
#include "runtime/dispatch.h"

namespace brintor {

const rt::DispatchTable* TCurrency::Dispatch() const {
  using T = TCurrency;
  static const rt::DispatchTable table =
      rt::DispatchBuilder<T>("TCurrency")
          .Method("AddCurrency", &T::AddCurrency)
          .Method("UpdateCurrency", &T::UpdateCurrency)
          .Method("DeleteCurrency", &T::DeleteCurrency)
          .Method("CurrencyDelete", &T::CurrencyDelete)
          .Method("AddCurrencyRate", &T::AddCurrencyRate)
          .Method("UpdateCurrencyRate", &T::UpdateCurrencyRate)
          .Method("DeleteCurrencyRate", &T::DeleteCurrencyRate)
          .Method("InsertFromScript", &T::InsertFromScript)
          .Method("UpdateFromScript", &T::UpdateFromScript)
          .Method("DeleteFromScript", &T::DeleteFromScript)
          .Method("Release", &T::Release)
          .Method("BusinessRules_Insert", &T::BusinessRules_Insert)
          .Method("BusinessRules_Update", &T::BusinessRules_Update)
          .Method("BusinessRules_Delete", &T::BusinessRules_Delete)
          .Method("BusinessRules_GetInstance", &T::BusinessRules_GetInstance)
          .Method("IReferentialIntegrity_Exists", &T::IReferentialIntegrity_Exists)
          .Method("IReferentialIntegrity_BeforeDelete", &T::IReferentialIntegrity_BeforeDelete)
          .Build();
  return &table;
}

}  // namespace brintor
