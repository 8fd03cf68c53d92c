// Locale ("Brintor.Locale"): country, language and currency names of a
// Windows locale identifier from the operating system's national-language
// data (module EnumLocales), with the euro's sign and name for the 18 locales
// of the euro area. No state, no database, no votes, no log.
#pragma once

#include <cstdint>
#include <string>

#include "interfaces/locale.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace brintor {

class Locale : public rt::Object, public ILocale {
 public:
  std::string TypeName() const override { return "Locale"; }
  const rt::DispatchTable* Dispatch() const override;

  rt::Variant GetSystemLocaleIDs() override;
  std::string GetCountryName(int32_t i_lLocaleID) override;
  std::string GetLanguageName(int32_t i_lLocaleID) override;
  std::string GetCurrencySymbol(int32_t i_lLocaleID) override;
  std::string GetEuroSymbol() override;
  std::string GetCurrencyName(int32_t i_lLocaleID) override;
  std::string GetEuroName() override;
  bool IsEuroLocale(int32_t i_lLocaleID) override;
};

rt::ClassInfo LocaleClass();

}  // namespace brintor
