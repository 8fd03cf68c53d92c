// GetLocaleInfoW and EnumSystemLocalesW over ICU.
#include "platform/locale/nls.h"

#include <unicode/ucurr.h>
#include <unicode/uloc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace win32 {

namespace {

// Names are always given in English, never in the process's default locale.
constexpr const char* kDisplayLocale = "en";

// The ICU locale of a known identifier; "" for an unknown one.
std::string LocaleOf(LCID lcid) {
  if (lcid == 0 || lcid > 0xFFFF) return {};
  char name[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uloc_getLocaleForLCID(lcid, name, sizeof name - 1, &status);
  if (U_FAILURE(status) || length <= 0) return {};
  if (std::strcmp(name, "root") == 0 || std::strcmp(name, "en_US_POSIX") == 0) return {};
  if (uloc_getLCID(name) != lcid) return {};
  return name;
}

bool HasCountry(const std::string& locale) {
  char country[ULOC_COUNTRY_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  return uloc_getCountry(locale.c_str(), country, sizeof country, &status) > 0 && U_SUCCESS(status);
}

// Answers an ICU display name function's text for the locale.
template <class DisplayFn>
std::u16string DisplayName(DisplayFn fn, const std::string& locale) {
  UChar text[256] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = fn(locale.c_str(), kDisplayLocale, text, 256, &status);
  if (U_FAILURE(status) || length <= 0) return {};
  return std::u16string(text, static_cast<size_t>(length));
}

// The ISO code of the locale's currency; "" when the locale has none.
std::u16string CurrencyCode(const std::string& locale) {
  UChar code[4] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = ucurr_forLocale(locale.c_str(), code, 4, &status);
  if (U_FAILURE(status) || length != 3) return {};
  return std::u16string(code, 3);
}

// The currency's symbol as the locale writes it ("$" for en_US, "£" for en_GB).
std::u16string CurrencySymbol(const std::string& locale) {
  const std::u16string code = CurrencyCode(locale);
  if (code.empty()) return {};
  UBool isChoiceFormat = false;
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  const UChar* symbol = ucurr_getName(code.c_str(), locale.c_str(), UCURR_SYMBOL_NAME, &isChoiceFormat,
                                      &length, &status);
  if (U_FAILURE(status) || !symbol || length <= 0) return {};
  return std::u16string(symbol, static_cast<size_t>(length));
}

std::u16string Information(LCID lcid, LCTYPE type) {
  const std::string locale = LocaleOf(lcid);
  if (locale.empty()) return {};
  switch (type) {
    case LOCALE_SENGLANGUAGE: return DisplayName(uloc_getDisplayLanguage, locale);
    case LOCALE_SENGCOUNTRY: return DisplayName(uloc_getDisplayCountry, locale);
    case LOCALE_SCURRENCY: return CurrencySymbol(locale);
    case LOCALE_SINTLSYMBOL: return CurrencyCode(locale);
    default: return {};
  }
}

// The known identifiers with a country, ascending. The scan over all 16-bit
// identifiers runs once per process; the list never changes while it runs.
const std::vector<LCID>& SupportedLocales() {
  static const std::vector<LCID> list = [] {
    std::vector<LCID> found;
    for (LCID lcid = 1; lcid <= 0xFFFF; ++lcid) {
      const std::string locale = LocaleOf(lcid);
      if (!locale.empty() && HasCountry(locale)) found.push_back(lcid);
    }
    return found;
  }();
  return list;
}

}  // namespace

int32_t GetLocaleInfoW(LCID locale, LCTYPE type, char16_t* buffer, int32_t bufferLength) {
  const std::u16string text = Information(locale, type);
  if (text.empty() || bufferLength < 0) return 0;
  const int32_t needed = static_cast<int32_t>(text.size()) + 1;
  if (bufferLength == 0) return needed;
  if (!buffer || bufferLength < needed) return 0;
  std::memcpy(buffer, text.data(), text.size() * sizeof(char16_t));
  buffer[text.size()] = u'\0';
  return needed;
}

int32_t EnumSystemLocalesW(LOCALE_ENUMPROCW callback, uint32_t /*flags*/) {
  if (!callback) return 0;
  for (LCID lcid : SupportedLocales()) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", lcid);
    char16_t text[9];
    for (int i = 0; i < 9; ++i) text[i] = static_cast<char16_t>(digits[i]);
    if (callback(text) == 0) break;
  }
  return 1;
}

}  // namespace win32
