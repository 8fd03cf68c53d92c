// Writing a Unicode code point in UTF-8, the encoding of every string the
// runtime carries; shared by the places that decode other encodings (UTF-16
// from the platform and from workbooks) or map characters one by one.
#pragma once

#include <string>

namespace rt {

// Appends the one to four UTF-8 bytes of `c` (at most 0x10FFFF). A lone
// surrogate is written as it comes; callers that must not pass one on
// replace it first.
inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace rt
