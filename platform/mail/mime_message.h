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

// Why an address text cannot be written whole: the first of its pieces
// (between ";"s and ","s outside quoted strings, blank ones passed over)
// that is not one whole mail address, or the whole text when it is not
// blank but holds no address at all; none when every piece is an address,
// and for a blank text.
std::optional<std::string> RefusedAddress(const std::string& addresses);

// The message as it goes on the wire: Date, Message-ID, MIME-Version, To,
// From, Sender (From's first address, only when From holds more than one),
// Subject, then a text/plain UTF-8 body with CRLF line ends, encoded when
// it is not ASCII or has a line longer than RFC 5322's 998 octets; with
// attachments a multipart/mixed of the body and each file (octet-stream,
// base64) in the order attached. `host` names the sender's machine in the
// Message-ID. An address text that RefusedAddress refuses fails it
// (std::runtime_error): the caller must check both first. A blank one
// leaves its header out.
std::string ComposeMessage(const Message& message, const std::string& host);

}  // namespace mail
