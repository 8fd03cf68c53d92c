// The shared steps of the reference-data classes.
#include "quarvel/reference/reference_common.h"

namespace quarvel::reference {

std::optional<int32_t> FindKeyIndex(const rt::Variant& keys, std::string_view keyName) {
  std::optional<int32_t> found;
  const rt::SafeArray& names = keys.AsArray();
  ForEachIndex16(keys, [&](int32_t i) {
    if (!found && rt::UCase(rt::CStr(names.At(i))) == keyName) found = i;
  });
  return found;
}

}  // namespace quarvel::reference
