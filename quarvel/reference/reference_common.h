// What the reference-data classes of quarvel/reference/ share beyond the
// library's class support: the walk over the key arrays of
// IReferentialIntegrity.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "quarvel/services/class_support.h"
#include "runtime/variant.h"

namespace quarvel::reference {

// The index of the first entry of `keys` whose name, upper-cased, equals
// `keyName` (an IReferentialIntegrity key array); none when no entry does.
std::optional<int32_t> FindKeyIndex(const rt::Variant& keys, std::string_view keyName);

}  // namespace quarvel::reference
