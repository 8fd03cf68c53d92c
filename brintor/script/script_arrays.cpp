// The script-driven maintenance's array procedures.
#include "brintor/script/script_arrays.h"

#include "runtime/com_error.h"

namespace brintor::script {

int16_t FindKeyIndex(const rt::Variant& keys, const std::string& name) {
  const rt::SafeArray& array = keys.AsArray();
  const std::string wanted = rt::UCase(name);
  const int32_t upper = array.UBound();
  for (int32_t i = 0; i <= upper; ++i) {
    if (i > INT16_MAX) rt::RaiseVb(rt::vberr::kOverflow);
    if (rt::UCase(rt::CStr(array.At(i))) == wanted) return static_cast<int16_t>(i);
  }
  return -1;
}

rt::Variant GetArrayValue(const rt::Variant& values, int16_t index) {
  return values.AsArray().At(index);
}

void AddFieldFromArrays(rt::Dictionary& dataObject, const std::string& name,
                        const rt::Variant& keys, const rt::Variant& values) {
  const int16_t index = FindKeyIndex(keys, name);
  if (index != -1) dataObject.Add(name, GetArrayValue(values, index));
}

}  // namespace brintor::script
