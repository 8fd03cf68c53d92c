// Composing one message as RFC 5322 text with MIME (GMime).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mail {

struct Attachment {
  std::string name;   // the file name shown to the recipient
  std::string bytes;  // the file's content
};

struct Message {
  std::string from;     // omitted when blank
  std::string to;       // one or more addresses, separated by ";" or ","
  std::string subject;  // UTF-8; RFC 2047 encoded when not ASCII
  std::string body;     // UTF-8 plain text
  std::vector<Attachment> attachments;
};

// The first piece of an address list (the text between ";"s, blank pieces
// passed over) that does not parse as one or more mail addresses, or none
// when every piece does.
std::optional<std::string> UnparsableAddress(const std::string& addresses);

// The message as it goes on the wire: Date, Message-ID, MIME-Version, To,
// From, Subject, then a text/plain UTF-8 body with CRLF line ends, encoded
// when it is not ASCII or has a line longer than RFC 5322's 998 octets; with
// attachments a multipart/mixed of the body and each file (octet-stream,
// base64) in the order attached. `host` names the sender's machine in the
// Message-ID. Addresses that do not parse fail it (std::runtime_error):
// the sender must check them first.
std::string ComposeMessage(const Message& message, const std::string& host);

}  // namespace mail
