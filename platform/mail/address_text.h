// The text of an address header as callers give it: addresses separated by
// ";" or ",", each of which must be one whole mail address.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mail {

// The pieces of `text` between the ";"s and ","s that stand outside a quoted
// string (a display name or a local part may hold either), each with the
// blanks around it trimmed; blank pieces are skipped.
std::vector<std::string> AddressPieces(const std::string& text);

// The address itself (RFC 5322's addr-spec, `local@domain`) when `piece` is
// one whole mail address: that addr-spec alone, or an optional display name
// of words and quoted strings followed by it in "<" ">". Anything else, a
// comment, a second "@" or text after the address included, gives none.
// Beyond ASCII, UTF-8 may stand where letters may. An addr-spec over 254
// octets, more than mail transfer carries, gives none too.
std::optional<std::string> WholeAddress(const std::string& piece);

}  // namespace mail
