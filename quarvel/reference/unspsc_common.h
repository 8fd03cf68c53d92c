// What the UNSPSC classes and modules share: VB's Left and Right over
// characters (not bytes), the split of a full code into its row key, the
// test that a code is made of digits only, and late-bound helpers for the
// platform objects the uploads drive.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/com_error.h"
#include "runtime/object.h"
#include "runtime/variant.h"

namespace quarvel::unspsc {

// The byte offset of the character `chars` characters into UTF-8 text
// (the text's size when it has fewer).
inline size_t CharOffset(std::string_view text, int32_t chars) {
  size_t i = 0;
  for (; i < text.size() && chars > 0; --chars) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

// VB's Left and Right: a negative length is an invalid procedure call (5).
inline std::string Left(std::string_view text, int32_t length) {
  if (length < 0) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  return std::string(text.substr(0, CharOffset(text, length)));
}
inline std::string Right(std::string_view text, int32_t length) {
  if (length < 0) rt::RaiseVb(rt::vberr::kInvalidProcedureCall);
  const int32_t skip = rt::Len(text) - length;
  return std::string(skip > 0 ? text.substr(CharOffset(text, skip)) : text);
}

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
