// EnumLocales: the locale class's wrappers of the operating system's two
// national-language functions, and the 18 locales of the euro area.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/variant.h"

namespace brintor {

// True exactly for the 18 locale identifiers of the euro area.
bool IsEuroLCID(int32_t locale);

// GetLocaleInfoW's text for the locale and information type; "" on any failure.
std::string GetLocaleInfoString(int32_t locale, int32_t type);

// Enumerates the supported locales afresh into the thread's locale list and
// answers a copy of it (an unallocated array when nothing was reported).
rt::Variant EnumSystemLocaleIDs();

// Called once per locale by the enumeration with its text (eight hexadecimal
// digits); appends the identifier that its last four digits give to the
// thread's list. Answers 1 to go on, 0 (ending the enumeration) on a failure.
int32_t EnumLocaleCallback(const char16_t* localeText);

// The NUL-terminated wide text at the address (at most 127 characters); a
// text without a NUL within that reach fails with error 5.
std::string StringFromPointer(const char16_t* address);

// Grows the array by one element holding the value (an unallocated array
// becomes one of a single element at index 0).
void AppendToArray(rt::ArrayPtr& array, const rt::Variant& value);

}  // namespace brintor
