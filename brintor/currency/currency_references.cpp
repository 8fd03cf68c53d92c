// TCurrency: its answers to the suite's referential checker. It owns the key
// CURRENCYCODE: Exists tells whether a currency exists; BeforeDelete has
// nothing of its own to remove.
#include "brintor/currency/tcurrency.h"
#include "brintor/currency/tcurrency_common.h"
#include "common/lib_general.h"
#include "common/method_error.h"
#include "runtime/com_error.h"
#include "runtime/context.h"

namespace brintor {

using namespace tcurrency;

bool TCurrency::IReferentialIntegrity_Exists(const std::string& /*iOrigin*/, const rt::Variant& iKeys,
                                             const rt::Variant& iValues) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  try {
    // Other key names are not this class's: they answer False. When the
    // code is named twice, the last one decides.
    bool exists = false;
    const rt::SafeArray& keys = iKeys.AsArray();
    for (int32_t i = keys.LBound(); i <= keys.UBound(); ++i) {
      if (rt::UCase(rt::CStr(keys.At(i))) != "CURRENCYCODE") continue;
      const rt::Variant code(rt::CStr(iValues.AsArray().At(i)));
      exists = CheckExistenceUsingSQL("SELECT CURRENCYCODE FROM CURRENCY WHERE CURRENCYCODE = '" + Gen_SqlQuote(code) +
                                      "'");
    }
    return exists;
  } catch (...) {
    HandleMethodError(Source("IReferentialIntegrity_Exists"), [&] {
      std::shared_ptr<data::Connection> none;
      AbortAndClose(none);
    });
  }
  return false;
}

bool TCurrency::IReferentialIntegrity_BeforeDelete(const std::string& /*iOrigin*/, const rt::Variant& /*iKeys*/,
                                                   const rt::Variant& /*iValues*/) {
  rt::ContextScope scope(*this, rt::Access::Reads);
  Release();
  return true;
}

}  // namespace brintor
