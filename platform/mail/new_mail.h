// NewMail ("CDONTS.NewMail"): one outgoing message. The caller sets its
// headers and body, attaches files, and Send drops the message into the
// pickup folder that the configuration names ([MAIL] PickupDir), where a
// mail transfer agent outside this system picks it up. No mail server comes
// with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/mail/mime_message.h"
#include "runtime/object.h"

namespace mail {

// BodyFormat: 0 HTML, 1 plain text. MailFormat: 0 MIME, 1 plain text.
constexpr int32_t kBodyFormatText = 1;
constexpr int32_t kMailFormatMime = 0;

// The most bytes of attachments one message may carry (25 MiB).
constexpr size_t kMaxAttachmentBytes = size_t{25} << 20;

class NewMail : public rt::Object {
 public:
  std::string TypeName() const override { return "NewMail"; }
  const rt::DispatchTable* Dispatch() const override;

  std::string From() const { return message_.from; }
  void SetFrom(const std::string& v) { message_.from = v; }
  std::string To() const { return message_.to; }
  void SetTo(const std::string& v) { message_.to = v; }
  std::string Subject() const { return message_.subject; }
  void SetSubject(const std::string& v) { message_.subject = v; }
  std::string Body() const { return message_.body; }
  void SetBody(const rt::Variant& v);
  int32_t BodyFormat() const { return bodyFormat_; }
  void SetBodyFormat(int32_t v) { bodyFormat_ = v; }
  int32_t MailFormat() const { return mailFormat_; }
  void SetMailFormat(int32_t v) { mailFormat_ = v; }

  // Reads the file at once: only an existing regular file (a link to one
  // included) is taken, anything else fails with 53 "File not found". The
  // name shown defaults to the path's base name; the encoding is always
  // base64, the one MIME allows for any file. More than kMaxAttachmentBytes
  // in one message fails with 0x80004005 and leaves the message as it was.
  void AttachFile(const std::string& path, std::optional<std::string> name, std::optional<int32_t> encoding);

  // Writes the message into the pickup folder. Fails with 5 for a format
  // other than plain text in MIME, an empty recipient, a CR, LF or NUL in a
  // header (header injection), a sender or recipient text that is not blank
  // but holds no address (";"), or any piece of either (between ";"s and
  // ","s outside quoted strings) that is not one whole mail address; with
  // 0x80004005 when no pickup folder is configured or it cannot be written.
  // On failure nothing is left behind. A blank sender sends without From;
  // a sender text of several addresses sends them all as From, the first
  // also as Sender.
  void Send();

 private:
  Message message_;
  size_t attachedBytes_ = 0;
  int32_t bodyFormat_ = kBodyFormatText;
  int32_t mailFormat_ = kMailFormatMime;
};

}  // namespace mail
