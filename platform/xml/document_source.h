// Where `load` takes a document's bytes from: a server over http or https,
// or a file inside the installation's download folder; nothing else.
#pragma once

#include <string>

namespace msxml {

struct SourceBytes {
  bool ok = false;
  std::string bytes;
  std::string reason;  // why not, when not ok
};

// Fetches an http or https URL (at most 5 redirects, each to http or https;
// 10 s to connect, 60 s in all; at most 64 MiB; a status of 400 or more
// fails) or reads a local file whose canonical path lies inside
// <install>/XMLDownload. Any other scheme or path is refused.
SourceBytes ReadDocumentSource(const std::string& location);

// Reads a whole file of at most 64 MiB; the reason is the system's text
// ("No such file or directory") or "The document exceeds 64 MiB".
SourceBytes ReadFileBounded(const std::string& path);

}  // namespace msxml
