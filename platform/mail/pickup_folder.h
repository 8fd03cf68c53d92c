// The pickup folder: where finished messages are dropped for a mail transfer
// agent to collect.
#pragma once

#include <string>

namespace mail {

// Writes `text` into `folder` as a new file with a unique "*.eml" name: first
// under a hidden temporary name (created exclusively, flushed to disk), then
// linked under its final name, so that the agent never sees half a message.
// Raises 0x80004005 naming the folder when it cannot be written; no file is
// left behind then. Answers the final file's path.
std::string DropIntoPickupFolder(const std::string& folder, const std::string& text);

}  // namespace mail
