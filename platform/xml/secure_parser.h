// The one way this library reads XML: no DTD, no entity expansion, no
// network, libxml2's default size limits, whitespace-only text dropped.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace msxml {

// The largest document read, from any source.
constexpr size_t kMaxDocumentBytes = 64u * 1024 * 1024;
inline const std::string kTooLarge = "The document exceeds 64 MiB";

struct ParseOutcome {
  xmlDocPtr doc = nullptr;  // the caller's to free; null when the text was refused
  std::string reason;       // why, when refused
};

// Parses a whole document. A DOCTYPE stops the parser ("DTD is prohibited.");
// other faults answer libxml2's first message. `honourDeclaredEncoding` is
// true for bytes read from a file or a server, false for text that is
// already UTF-8 whatever its declaration says. Whitespace-only text nodes are
// dropped unless xml:space="preserve" holds for them.
ParseOutcome ParseDocument(std::string_view bytes, bool honourDeclaredEncoding);

// Sets up libxml2 once per process, before any thread uses it.
void EnsureLibxml();

}  // namespace msxml
