// Locale: the class's member table, registration and members.
#include "brintor/currency/locale.h"

#include "brintor/currency/enum_locales.h"
#include "platform/locale/nls.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"

namespace brintor {

namespace {

constexpr const char* kEuroSign = "\xE2\x82\xAC";  // U+20AC
constexpr const char* kEuroName = "EUR";

}  // namespace

const rt::DispatchTable* Locale::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<Locale>("Locale")
                                             .Method("GetSystemLocaleIDs", &Locale::GetSystemLocaleIDs)
                                             .Method("GetCountryName", &Locale::GetCountryName)
                                             .Method("GetLanguageName", &Locale::GetLanguageName)
                                             .Method("GetCurrencySymbol", &Locale::GetCurrencySymbol)
                                             .Method("GetEuroSymbol", &Locale::GetEuroSymbol)
                                             .Method("GetCurrencyName", &Locale::GetCurrencyName)
                                             .Method("GetEuroName", &Locale::GetEuroName)
                                             .Method("IsEuroLocale", &Locale::IsEuroLocale)
                                             .Build();
  return &table;
}

rt::ClassInfo LocaleClass() {
  // No transaction attribute: the class never takes part in a transaction.
  return rt::ClassInfo{"Brintor.Locale", "", rt::TransactionAttribute::None,
                       [] { return std::make_shared<Locale>(); }};
}

rt::Variant Locale::GetSystemLocaleIDs() {
  rt::ContextScope scope(*this);
  return EnumSystemLocaleIDs();
}

std::string Locale::GetCountryName(int32_t i_lLocaleID) {
  rt::ContextScope scope(*this);
  return GetLocaleInfoString(i_lLocaleID, win32::LOCALE_SENGCOUNTRY);
}

std::string Locale::GetLanguageName(int32_t i_lLocaleID) {
  rt::ContextScope scope(*this);
  return GetLocaleInfoString(i_lLocaleID, win32::LOCALE_SENGLANGUAGE);
}

std::string Locale::GetCurrencySymbol(int32_t i_lLocaleID) {
  rt::ContextScope scope(*this);
  if (IsEuroLocale(i_lLocaleID)) return GetEuroSymbol();
  return GetLocaleInfoString(i_lLocaleID, win32::LOCALE_SCURRENCY);
}

std::string Locale::GetEuroSymbol() {
  rt::ContextScope scope(*this);
  return kEuroSign;
}

std::string Locale::GetCurrencyName(int32_t i_lLocaleID) {
  rt::ContextScope scope(*this);
  if (IsEuroLocale(i_lLocaleID)) return GetEuroName();
  return GetLocaleInfoString(i_lLocaleID, win32::LOCALE_SINTLSYMBOL);
}

std::string Locale::GetEuroName() {
  rt::ContextScope scope(*this);
  return kEuroName;
}

bool Locale::IsEuroLocale(int32_t i_lLocaleID) {
  rt::ContextScope scope(*this);
  return IsEuroLCID(i_lLocaleID);
}

}  // namespace brintor
