// What the files of TCurrency share: its error sources, the validators'
// raise, the truth test of a flag, and reading a data object without adding
// keys to it.
#pragma once

#include <string>

#include "interfaces/brintor_errors.h"
#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace brintor::tcurrency {

// TCurrency reports under its reading class's name.
inline std::string Source(const char* member) { return std::string("Brintor.Currency.") + member; }

// A validator's failure: the member's number, source "Brintor", the
// member's name as description ("EffectiveDateRange").
[[noreturn]] void Invalid(BrintorError member);

// Whether a flag counts as True: Booleans, numbers other than 0 and texts
// that read as True; Null, Empty and what converts to nothing are False.
bool IsTrue(const rt::Variant& flag);

// The data object's value under the key, Empty when it has none; the key is
// not added.
rt::Variant Field(const rt::Dictionary& dataObject, const char* key);

// The value as the database is to receive a date: a text that reads as a
// date becomes that Date; anything else stays as it is.
rt::Variant AsDate(const rt::Variant& value);

// Kinds of data object.
inline constexpr const char* kCurrencyKind = "CurrencyDataObject";
inline constexpr const char* kRateKind = "CurrencyRateDataObject";

}  // namespace brintor::tcurrency
