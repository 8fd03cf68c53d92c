// Short date orders of Windows locale ids, from ICU.
#include "platform/datefunc/locale_date_order.h"

#include <unicode/udat.h>
#include <unicode/uloc.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace datefunc {

namespace {

bool IsAsciiPunctuation(char16_t c) {
  return c < 0x80 && c > 0x20 && !(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z');
}

// ICU's short date pattern for the locale id; none for an id ICU does not know.
std::optional<std::u16string> ShortPattern(int32_t localeId) {
  if (localeId < 0) return std::nullopt;
  char locale[ULOC_FULLNAME_CAPACITY] = {};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = uloc_getLocaleForLCID(static_cast<uint32_t>(localeId), locale, sizeof locale, &status);
  if (U_FAILURE(status) || length <= 0) return std::nullopt;

  status = U_ZERO_ERROR;
  std::unique_ptr<UDateFormat, decltype(&udat_close)> format(
      udat_open(UDAT_NONE, UDAT_SHORT, locale, nullptr, 0, nullptr, 0, &status), &udat_close);
  if (U_FAILURE(status) || !format) return std::nullopt;
  UChar buffer[128];
  status = U_ZERO_ERROR;
  const int32_t size = udat_toPattern(format.get(), false, buffer, 128, &status);
  if (U_FAILURE(status) || size <= 0 || size > 128) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<size_t>(size));
}

// The order a short date pattern ("M/d/yy", "dd.MM.yy") writes its parts in.
std::optional<rt::NumericDateOrder> OrderOfPattern(std::u16string_view pattern) {
  using Part = rt::NumericDateOrder::Part;
  rt::NumericDateOrder order;
  size_t parts = 0;
  char separator = 0;
  bool quoted = false;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'\'') {
      quoted = !quoted;
      continue;
    }
    if (quoted) continue;
    std::optional<Part> part;
    if (c == u'y' || c == u'Y' || c == u'u') part = Part::kYear;
    if (c == u'M' || c == u'L') part = Part::kMonth;
    if (c == u'd') part = Part::kDay;
    if (part) {
      if (parts > 0 && order.parts[parts - 1] == *part) continue;  // the same field's letters
      if (parts == 3) return std::nullopt;
      for (size_t k = 0; k < parts; ++k)
        if (order.parts[k] == *part) return std::nullopt;
      order.parts[parts++] = *part;
    } else if (parts == 1 && separator == 0 && IsAsciiPunctuation(c)) {
      separator = static_cast<char>(c);
    }
  }
  if (parts != 3 || separator == 0) return std::nullopt;
  order.separator = separator;
  return order;
}

}  // namespace

std::optional<rt::NumericDateOrder> LocaleDateOrder(int32_t localeId) {
  // ICU's data is read once per locale and thread; unknown ids are kept too.
  thread_local std::unordered_map<int32_t, std::optional<rt::NumericDateOrder>> known;
  // A caller mostly asks for one locale again and again.
  thread_local int32_t lastId = 0;
  thread_local const std::optional<rt::NumericDateOrder>* last = nullptr;
  if (last && lastId == localeId) return *last;
  auto it = known.find(localeId);
  if (it != known.end()) {
    // The map's entries stay where they are when it grows.
    lastId = localeId;
    last = &it->second;
    return it->second;
  }
  std::optional<rt::NumericDateOrder> order;
  if (std::optional<std::u16string> pattern = ShortPattern(localeId)) order = OrderOfPattern(*pattern);
  known.emplace(localeId, order);
  return order;
}

}  // namespace datefunc
