// Tests of the locale class: names and currency symbols by locale
// identifier, the euro overrides, the list of supported identifiers, and
// names that stay English whatever the process's own locale.
#include <gtest/gtest.h>

#include <algorithm>

#include "interfaces/locale.h"
#include "runtime/registry.h"
#include "tests/common/golden.h"
#include "tests/tools/host_process.h"

namespace {

std::shared_ptr<ILocale> NewLocale() {
  return std::dynamic_pointer_cast<ILocale>(rt::CreateObject("Brintor.Locale"));
}

// What the locale class answers for one identifier, each answer named.
std::string Describe(ILocale& l, int32_t id) {
  return Golden()
      .Add("country", l.GetCountryName(id))
      .Add("language", l.GetLanguageName(id))
      .Add("symbol", l.GetCurrencySymbol(id))
      .Add("currency", l.GetCurrencyName(id))
      .Add("euro", l.IsEuroLocale(id))
      .Line();
}

TEST(Locale, NamesAndSymbolsWithTheEuroForTheEuroArea) {
  auto l = NewLocale();
  Golden seen;
  for (int32_t id : {1031, 6153, 1033, 2057, 1041, 9, 0, 99999, -1}) seen.Add(std::to_string(id), Describe(*l, id));
  EXPECT_EQ(seen.Lines(),
            "1031: country=Germany language=German symbol=\xE2\x82\xAC currency=EUR euro=true\n"
            "6153: country=Ireland language=English symbol=\xE2\x82\xAC currency=EUR euro=true\n"
            "1033: country=United States language=English symbol=$ currency=USD euro=false\n"
            "2057: country=United Kingdom language=English symbol=\xC2\xA3 currency=GBP euro=false\n"
            "1041: country=Japan language=Japanese symbol=\xEF\xBF\xA5 currency=JPY euro=false\n"
            "9: country= language=English symbol= currency= euro=false\n"  // a language without a country
            "0: country= language= symbol= currency= euro=false\n"
            "99999: country= language= symbol= currency= euro=false\n"
            "-1: country= language= symbol= currency= euro=false\n");
  EXPECT_EQ(Golden().Add("symbol", l->GetEuroSymbol()).Add("name", l->GetEuroName()).Line(),
            "symbol=\xE2\x82\xAC name=EUR");
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
