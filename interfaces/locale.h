// ILocale: locale names and currency symbols ("Brintor.Locale") from the
// operating system's national-language data, by Windows locale identifier.
// The 18 locales of the euro area answer the euro sign and "EUR" for their
// currency. Nothing raises: an identifier the system does not know answers "".
#pragma once

#include <cstdint>
#include <string>

#include "runtime/variant.h"

struct ILocale {
  virtual ~ILocale() = default;
  // The supported identifiers, a 0-based array of Longs.
  virtual rt::Variant GetSystemLocaleIDs() = 0;
  virtual std::string GetCountryName(int32_t i_lLocaleID) = 0;
  virtual std::string GetLanguageName(int32_t i_lLocaleID) = 0;
  virtual std::string GetCurrencySymbol(int32_t i_lLocaleID) = 0;
  virtual std::string GetEuroSymbol() = 0;
  // The international (ISO) currency symbol.
  virtual std::string GetCurrencyName(int32_t i_lLocaleID) = 0;
  virtual std::string GetEuroName() = 0;
  virtual bool IsEuroLocale(int32_t i_lLocaleID) = 0;
};
