// The Brintor library's class table and its four library exports.
#include "brintor/classes.h"
#include "runtime/registry.h"

namespace {

// Built on first use, so that nothing of the library runs when it is loaded.
const rt::ClassTable& Classes() {
  static const rt::ClassTable table(std::vector<rt::ClassInfo>{
      // currency classes
      brintor::CurrencyClass(),
      brintor::TCurrencyClass(),
      brintor::LocaleClass(),
      // user classes
      brintor::UserClass(),
      brintor::TUserClass(),
      // partner classes
      brintor::BusinessPartnerClass(),
      brintor::TermsAndConditionsClass(),
  });
  return table;
}

}  // namespace

RT_COMPONENT_EXPORTS(Classes())
