// Tests of the locale class: names and currency symbols by locale
// identifier, the euro overrides, the list of supported identifiers, and
// names that stay English whatever the process's own locale.
#include <gtest/gtest.h>

#include <algorithm>

#include "interfaces/locale.h"
#include "runtime/registry.h"
#include "tests/tools/host_process.h"

namespace {

std::shared_ptr<ILocale> NewLocale() {
  return std::dynamic_pointer_cast<ILocale>(rt::CreateObject("Brintor.Locale"));
}

// "<country>/<language>/<symbol>/<name>/<euro?>" of one identifier.
std::string Describe(ILocale& l, int32_t id) {
  return l.GetCountryName(id) + "/" + l.GetLanguageName(id) + "/" + l.GetCurrencySymbol(id) + "/" +
         l.GetCurrencyName(id) + "/" + (l.IsEuroLocale(id) ? "euro" : "-");
}

TEST(Locale, NamesAndSymbolsWithTheEuroForTheEuroArea) {
  auto l = NewLocale();
  std::string seen;
  for (int32_t id : {1031, 6153, 1033, 2057, 1041, 9, 0, 99999, -1}) seen += Describe(*l, id) + "\n";
  EXPECT_EQ(seen,
            "Germany/German/\xE2\x82\xAC/EUR/euro\n"
            "Ireland/English/\xE2\x82\xAC/EUR/euro\n"
            "United States/English/$/USD/-\n"
            "United Kingdom/English/\xC2\xA3/GBP/-\n"
            "Japan/Japanese/\xEF\xBF\xA5/JPY/-\n"
            "/English///-\n"  // a language without a country
            "////-\n"
            "////-\n"
            "////-\n");
  EXPECT_EQ(l->GetEuroSymbol() + " " + l->GetEuroName(), "\xE2\x82\xAC EUR");
}

TEST(Locale, SystemLocaleIdsAreEveryKnownIdentifierWithACountryOnceAndAscending) {
  auto l = NewLocale();
  const rt::Variant first = l->GetSystemLocaleIDs();
  const rt::SafeArray& ids = first.AsArray();
  // A fresh list each time, not appended to.
  EXPECT_EQ(l->GetSystemLocaleIDs().AsArray().UBound(), ids.UBound());
  EXPECT_GT(ids.data.size(), 200u);
  EXPECT_EQ(rt::TypeName(ids.At(0)), "Long");
  std::vector<int32_t> values;
  for (const rt::Variant& id : ids.data) values.push_back(rt::CLng(id));
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(std::adjacent_find(values.begin(), values.end()), values.end());
  for (int32_t expected : {1031, 6153, 1033, 10252}) {
    EXPECT_TRUE(std::binary_search(values.begin(), values.end(), expected)) << expected;
  }
  // Every listed identifier names its country.
  for (int32_t id : values) EXPECT_FALSE(l->GetCountryName(id).empty()) << id;
}

TEST(Locale, NamesStayEnglishUnderAnotherProcessLocale) {
  hosttest::TempFolder folder;
  const hosttest::HostResult result =
      hosttest::RunHost({"call", "Brintor.Locale", "GetCountryName", "1031"}, folder.path(), {},
                        {{"LANG", "de_DE.UTF-8"}, {"LC_ALL", "de_DE.UTF-8"}, {"LANGUAGE", "de"}});
  EXPECT_EQ(result.out, "{\"result\":\"Germany\",\"args\":[1031]}\n") << result.err;
}

}  // namespace
