// The array procedures of the script-driven maintenance: a script hands a
// table name with two parallel arrays (column names and values); these turn
// them into a data object's keys. Shared by every class of the library that
// takes script writes (TCurrency, BusinessPartner, TUser).
#pragma once

#include <cstdint>
#include <string>

#include "runtime/dictionary.h"
#include "runtime/variant.h"

namespace brintor::script {

// The first index, walking from 0 (not the array's lower bound) to its upper
// bound, whose element equals `name` when both are upper-cased; -1 when none.
// A value that is no array fails with Type mismatch (13); an index past
// 32767 with Overflow (6), as a 16-bit counter would.
int16_t FindKeyIndex(const rt::Variant& keys, const std::string& name);

// A copy of the element at `index` (Subscript out of range, 9, beyond the array).
rt::Variant GetArrayValue(const rt::Variant& values, int16_t index);

// Adds `name` (as the caller's class spells it) with the value at the same
// index when FindKeyIndex finds it among the keys; adds nothing otherwise.
void AddFieldFromArrays(rt::Dictionary& dataObject, const std::string& name,
                        const rt::Variant& keys, const rt::Variant& values);

}  // namespace brintor::script
