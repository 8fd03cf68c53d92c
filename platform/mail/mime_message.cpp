// Composing one message with GMime: headers in a fixed order, a UTF-8 plain
// text body and base64 attachments, every line ended by CR LF.
#include "platform/mail/mime_message.h"

#include <gmime/gmime.h>

#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/mail/address_text.h"

namespace mail {

namespace {

void InitialiseGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// Drops one GObject reference when it goes out of scope.
template <class T>
struct Ref {
  T* p;
  explicit Ref(T* object) : p(object) {}
  ~Ref() {
    if (p) g_object_unref(p);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  T* get() const { return p; }
};

// Every line end (CR LF, LF or a lone CR) as CR LF: a bare CR or LF is not
// allowed in a message's text.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A part holding `bytes` as its content.
void SetContent(GMimePart* part, const std::string& bytes) {
  Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size()));
  Ref<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, wrapper.get());
}

// The mailbox that GMime reads from one piece, or null unless the piece is
// one whole address (see WholeAddress) and GMime reads exactly that address
// from it: nothing is ever written but what was given.
InternetAddress* ParsedPiece(const std::string& piece) {
  const std::optional<std::string> address = WholeAddress(piece);
  if (!address) return nullptr;
  Ref<InternetAddressList> parsed(internet_address_list_parse(nullptr, piece.c_str()));
  if (!parsed.get() || internet_address_list_length(parsed.get()) != 1) return nullptr;
  InternetAddress* mailbox = internet_address_list_get_address(parsed.get(), 0);
  if (!INTERNET_ADDRESS_IS_MAILBOX(mailbox) ||
      *address != internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(mailbox))) {
    return nullptr;
  }
  return INTERNET_ADDRESS(g_object_ref(mailbox));
}

// The addresses of a text that is not blank, one per piece; the first piece
// that is no whole address, or the whole text when it holds none, in
// `refused` (the list is null then).
InternetAddressList* ParsedAddresses(const std::string& addresses, std::string& refused) {
  Ref<InternetAddressList> list(internet_address_list_new());
  for (const std::string& piece : AddressPieces(addresses)) {
    InternetAddress* mailbox = ParsedPiece(piece);
    if (!mailbox) {
      refused = piece;
      return nullptr;
    }
    internet_address_list_add(list.get(), mailbox);
    g_object_unref(mailbox);
  }
  if (internet_address_list_length(list.get()) == 0) {
    refused = addresses;
    return nullptr;
  }
  return INTERNET_ADDRESS_LIST(g_object_ref(list.get()));
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// Adds the addresses to the header of `type` (nothing for a blank text) and
// answers how many there are. A text that holds no whole address fails the
// message: GMime would leave it out silently, cut it, or write an empty
// header without its line end.
int AddAddresses(GMimeMessage* message, GMimeAddressType type, const std::string& addresses) {
  if (IsBlank(addresses)) return 0;
  std::string refused;
  Ref<InternetAddressList> parsed(ParsedAddresses(addresses, refused));
  if (!parsed.get()) throw std::runtime_error("no mail address: " + refused);
  internet_address_list_append(g_mime_message_get_addresses(message, type), parsed.get());
  return internet_address_list_length(parsed.get());
}

// Whether a line of the CRLF text is longer than the 998 octets that RFC
// 5322 allows.
bool HasOverlongLine(const std::string& text) {
  constexpr size_t kLongestLine = 998;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    if (end - start > kLongestLine) return true;
    start = end + 2;
  }
  return false;
}

}  // namespace

std::optional<std::string> RefusedAddress(const std::string& addresses) {
  InitialiseGMime();
  if (IsBlank(addresses)) return std::nullopt;
  std::string refused;
  Ref<InternetAddressList> parsed(ParsedAddresses(addresses, refused));
  if (!parsed.get()) return refused;
  return std::nullopt;
}

std::string ComposeMessage(const Message& message, const std::string& host) {
  InitialiseGMime();
  Ref<GMimeMessage> mime(g_mime_message_new(FALSE));
  GMimeObject* headers = GMIME_OBJECT(mime.get());

  GDateTime* now = g_date_time_new_now_local();
  g_mime_message_set_date(mime.get(), now);
  g_date_time_unref(now);
  char* id = g_mime_utils_generate_message_id(host.c_str());
  g_mime_object_append_header(headers, "Message-ID", ("<" + std::string(id) + ">").c_str(), nullptr);
  g_free(id);
  g_mime_object_append_header(headers, "MIME-Version", "1.0", nullptr);
  AddAddresses(mime.get(), GMIME_ADDRESS_TYPE_TO, message.to);
  // A message from more than one author names the first as its Sender, as
  // RFC 5322 requires.
  if (AddAddresses(mime.get(), GMIME_ADDRESS_TYPE_FROM, message.from) > 1) {
    InternetAddressList* from = g_mime_message_get_addresses(mime.get(), GMIME_ADDRESS_TYPE_FROM);
    internet_address_list_add(g_mime_message_get_addresses(mime.get(), GMIME_ADDRESS_TYPE_SENDER),
                              internet_address_list_get_address(from, 0));
  }
  g_mime_message_set_subject(mime.get(), message.subject.c_str(), "utf-8");

  Ref<GMimePart> body(g_mime_part_new_with_type("text", "plain"));
  g_mime_object_set_content_type_parameter(GMIME_OBJECT(body.get()), "charset", "utf-8");
  const std::string text = WithCrLf(message.body);
  SetContent(body.get(), text);
  // 7bit when the text allows it, else quoted-printable or base64. GMime
  // looks only at the octets, so a line too long for a message is
  // encoded here: quoted-printable breaks it softly.
  g_mime_object_encode(GMIME_OBJECT(body.get()), GMIME_ENCODING_CONSTRAINT_7BIT);
  const GMimeContentEncoding chosen = g_mime_part_get_content_encoding(body.get());
  if (chosen != GMIME_CONTENT_ENCODING_BASE64 && chosen != GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE &&
      HasOverlongLine(text)) {
    g_mime_part_set_content_encoding(body.get(), GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE);
  }

  if (message.attachments.empty()) {
    g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(body.get()));
  } else {
    Ref<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.get(), GMIME_OBJECT(body.get()));
    for (const Attachment& file : message.attachments) {
      Ref<GMimePart> part(g_mime_part_new_with_type("application", "octet-stream"));
      SetContent(part.get(), file.bytes);
      g_mime_part_set_content_encoding(part.get(), GMIME_CONTENT_ENCODING_BASE64);
      g_mime_part_set_filename(part.get(), file.name.c_str());
      g_mime_multipart_add(mixed.get(), GMIME_OBJECT(part.get()));
    }
    g_mime_message_set_mime_part(mime.get(), GMIME_OBJECT(mixed.get()));
  }

  GMimeFormatOptions* options = g_mime_format_options_clone(nullptr);
  g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
  Ref<GMimeStream> out(g_mime_stream_mem_new());
  const ssize_t written = g_mime_object_write_to_stream(headers, options, out.get());
  g_mime_format_options_free(options);
  if (written < 0) throw std::runtime_error("the message could not be composed");
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

}  // namespace mail
