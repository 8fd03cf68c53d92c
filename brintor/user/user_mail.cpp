// User: mail to users named by their ids, through one new "CDONTS.NewMail"
// per message. Neither method has a handler of its own: a failure to create
// the mail object, to read an address or to send reaches the caller as it
// came, and nothing is sent then.
#include <string>

#include "brintor/user/user.h"
#include "common/lib_errorhandling.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/registry.h"

namespace brintor {

namespace {

// The body as plain text (BodyFormat) in a MIME message (MailFormat).
constexpr int32_t kBodyFormatText = 1;
constexpr int32_t kMailFormatMime = 0;

}  // namespace

// A recipient without a mail address (blank or none) is no failure: nothing
// is sent. The sender is resolved first; an empty sender id leaves From unset.
void User::Mail(std::string& to, std::string& from, std::string& subject, std::string& body,
                const std::string* attachments) {
  rt::ObjectPtr mail = rt::CreateObject("CDONTS.NewMail");
  if (!from.empty()) mail->LetProperty("From", rt::Variant(GetEmailAddress(from)));
  const std::string address = GetEmailAddress(to);
  if (rt::Trim(address).empty()) return;
  mail->LetProperty("To", rt::Variant(address));
  mail->LetProperty("Subject", rt::Variant(subject));
  mail->LetProperty("Body", rt::Variant(body));
  mail->LetProperty("BodyFormat", rt::Variant(kBodyFormatText));
  mail->LetProperty("MailFormat", rt::Variant(kMailFormatMime));
  if (attachments && !attachments->empty()) {
    // Every piece between "|"s is a path, empty ones included; a file that
    // cannot be attached is logged and left out, and the mail goes without it.
    size_t start = 0;
    for (;;) {
      const size_t end = attachments->find('|', start);
      const std::string path = attachments->substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!rt::TryResume([&] { mail->Call("AttachFile", {rt::Variant(path)}); })) {
        Err_LogError("Brintor.User.SendEmailWithAttachment", rt::Variant("Attachment: " + path));
        rt::Err().Clear();
      }
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  mail->Call("Send");
}

void User::SendEmail(std::string& iUserIDTo, std::string& iUserIDFrom, std::string& iSubject, std::string& iBody) {
  rt::ContextScope scope(*this);
  Mail(iUserIDTo, iUserIDFrom, iSubject, iBody, nullptr);
}

void User::SendEmailwithAttachment(std::string& iUserIDTo, std::string& iUserIDFrom, std::string& iSubject,
                                   std::string& iBody, std::string& iAttachment) {
  rt::ContextScope scope(*this);
  Mail(iUserIDTo, iUserIDFrom, iSubject, iBody, &iAttachment);
}

}  // namespace brintor
