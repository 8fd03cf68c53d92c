// What the UNSPSC classes and modules share: the split of a full code into
// its row key, the test that a code is made of digits only, and late-bound
// helpers for the platform objects the uploads drive.
#pragma once

#include <string>
#include <string_view>

#include "quarvel/services/class_support.h"
#include "runtime/com_error.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel::unspsc {

// A full code's row key: PARENTCODE is everything but the last two
// characters, UNSPSCCODE the last two. A code shorter than two characters
// has no parent of its own: Left raises 5, as the lookups expect.
struct RowKey {
  std::string parent;
  std::string own;
};
inline RowKey SplitCode(std::string_view code) {
  return RowKey{Left(code, rt::Len(code) - 2), Right(code, 2)};
}

inline bool AllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return !text.empty();
}

// The object a late-bound answer holds, for a member call on it: Nothing
// raises 91 and a value that is no object 424, as in VB.
inline rt::ObjectPtr Obj(const rt::Variant& value) {
  if (!value.IsObject()) rt::RaiseVb(rt::vberr::kNotAnObject);
  if (value.IsNothing()) rt::RaiseVb(rt::vberr::kObjectNotSet);
  return value.AsObject();
}

}  // namespace quarvel::unspsc
