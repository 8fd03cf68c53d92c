// The two national-language functions of the operating system that the
// locale class needs, with their Win32 shapes: a locale identifier (LCID)
// and an information type in, UTF-16 text out.
//
// Locale data comes from ICU. An identifier is known when ICU maps it to a
// locale that maps back to the same identifier and is neither the root
// locale nor en_US_POSIX. Names are given in English whatever the process's
// own locale (LANG) says.
#pragma once

#include <cstdint>

namespace win32 {

using LCID = uint32_t;
using LCTYPE = uint32_t;

// Information types answered; any other type answers nothing (0).
constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;  // English name of the language
constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;   // English name of the country
constexpr LCTYPE LOCALE_SCURRENCY = 0x14;       // local currency symbol ("$", "£")
constexpr LCTYPE LOCALE_SINTLSYMBOL = 0x15;     // ISO 4217 code ("USD")

// Flags of EnumSystemLocalesW.
constexpr uint32_t LCID_INSTALLED = 1;
constexpr uint32_t LCID_SUPPORTED = 2;

// The callback of EnumSystemLocalesW: the locale as eight hexadecimal digits
// ("00000409"), NUL-terminated; answers nonzero to go on, 0 to stop.
using LOCALE_ENUMPROCW = int32_t (*)(const char16_t* localeText);

// Writes the information, NUL-terminated, into `buffer` of `bufferLength`
// characters and answers the characters written, NUL included. With a
// length of 0 it answers the length needed and writes nothing. Answers 0 for
// an unknown identifier or type, an empty answer, or a buffer too small.
int32_t GetLocaleInfoW(LCID locale, LCTYPE type, char16_t* buffer, int32_t bufferLength);

// Calls `callback` on the calling thread, before returning, once for each
// known identifier from 1 to 0xFFFF whose locale names a country, in
// ascending order, until it answers 0. Answers 1, or 0 for a null callback.
// Both flags give the same list.
int32_t EnumSystemLocalesW(LOCALE_ENUMPROCW callback, uint32_t flags);

}  // namespace win32
