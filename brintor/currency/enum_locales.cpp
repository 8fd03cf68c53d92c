// EnumLocales: locale texts and the supported locales through the
// operating system's national-language functions.
#include "brintor/currency/enum_locales.h"

#include <algorithm>
#include <array>

#include "platform/locale/nls.h"
#include "runtime/com_error.h"
#include "runtime/utf8.h"

namespace brintor {

namespace {

constexpr int kBufferLength = 255;
constexpr int kLocaleTextReach = 127;

// The locale list of the thread, shared by all locale objects on it.
thread_local rt::ArrayPtr tLocales = rt::SafeArray::Unallocated();

// UTF-16 text (as the platform gives it) to the UTF-8 of our strings.
std::string ToUtf8(const char16_t* text, size_t length) {
  std::string out;
  for (size_t i = 0; i < length; ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate
    }
    rt::AppendUtf8(out, c);
  }
  return out;
}

int32_t EnumLocaleProc(const char16_t* localeText) { return EnumLocaleCallback(localeText); }

}  // namespace

bool IsEuroLCID(int32_t locale) {
  static constexpr std::array<int32_t, 18> kEuroLocales = {1027, 1031, 1032, 1034, 1035, 1036, 1040, 1043, 1069,
                                                           2060, 2067, 2070, 2077, 3079, 3082, 4103, 5132, 6153};
  return std::find(kEuroLocales.begin(), kEuroLocales.end(), locale) != kEuroLocales.end();
}

std::string GetLocaleInfoString(int32_t locale, int32_t type) {
  try {
    std::array<char16_t, kBufferLength> buffer{};
    const int32_t written = win32::GetLocaleInfoW(static_cast<win32::LCID>(locale), static_cast<win32::LCTYPE>(type),
                                                  buffer.data(), kBufferLength);
    if (written == 0) return {};
    const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return ToUtf8(buffer.data(), static_cast<size_t>(end - buffer.begin()));
  } catch (...) {
    return {};
  }
}

rt::Variant EnumSystemLocaleIDs() {
  tLocales = rt::SafeArray::Unallocated();
  win32::EnumSystemLocalesW(EnumLocaleProc, win32::LCID_SUPPORTED);
  return rt::Variant(std::make_shared<rt::SafeArray>(*tLocales));
}

int32_t EnumLocaleCallback(const char16_t* localeText) {
  try {
    const std::string text = StringFromPointer(localeText);
    // The identifier is the last four digits, read as an unsigned 16-bit
    // number into a Long; a sort identifier before them is dropped.
    const std::string digits = text.size() >= 4 ? text.substr(text.size() - 4) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      rt::RaiseVb(rt::vberr::kTypeMismatch);
    AppendToArray(tLocales, rt::Variant(static_cast<int32_t>(std::stoul(digits, nullptr, 16))));
    return 1;
  } catch (...) {
    return 0;
  }
}

std::string StringFromPointer(const char16_t* address) {
  if (!address) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  for (int length = 0; length <= kLocaleTextReach; ++length) {
    if (address[length] == u'\0') return ToUtf8(address, static_cast<size_t>(length));
  }
  rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
}

void AppendToArray(rt::ArrayPtr& array, const rt::Variant& value) {
  if (!array) array = rt::SafeArray::Unallocated();
  int32_t upper = -1;
  try {
    upper = array->UBound();
  } catch (const rt::ComError&) {
    // An unallocated array has no bound yet.
  }
  array->RedimPreserve(upper + 1);
  array->At(upper + 1) = value;
}

}  // namespace brintor
