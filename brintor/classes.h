// The class descriptions (ProgID, CLSID, transaction attribute, factory)
// that each class file of the Brintor library provides for its class table.
#pragma once

#include "runtime/registry.h"

namespace brintor {

// currency classes
rt::ClassInfo CurrencyClass();
rt::ClassInfo TCurrencyClass();
rt::ClassInfo LocaleClass();
// user classes
rt::ClassInfo UserClass();
rt::ClassInfo TUserClass();
// partner classes
rt::ClassInfo BusinessPartnerClass();
rt::ClassInfo TermsAndConditionsClass();

}  // namespace brintor
