// NewMail: the message's settings, attachments read at once, and Send into
// the pickup folder.
#include "platform/mail/new_mail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/mail/pickup_folder.h"
#include "runtime/com_error.h"
#include "runtime/context.h"
#include "runtime/dispatch.h"
#include "runtime/registry.h"

namespace mail {

namespace {

constexpr int32_t kFileNotFound = 53;

[[noreturn]] void FileNotFound() { rt::Raise(kFileNotFound, rt::CurrentComponentName(), "File not found"); }

[[noreturn]] void InvalidCall(const std::string& why) {
  rt::Raise(rt::vberr::kInvalidProcedureCall, rt::CurrentComponentName(),
            rt::VbErrorText(rt::vberr::kInvalidProcedureCall) + ": " + why);
}

// A header value may not end the header early.
void CheckHeader(const char* name, const std::string& value) {
  if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
    InvalidCall(std::string(name) + " holds a line break or NUL");
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The whole file, when it is a regular one; at most `limit` + 1 bytes are
// read, so a file too large is seen without reading all of it.
std::string ReadRegularFile(const std::string& path, size_t limit) {
  if (path.empty() || path.find('\0') != std::string::npos) FileNotFound();
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) FileNotFound();
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    FileNotFound();
  }
  std::string bytes;
  char buffer[65536];
  while (bytes.size() <= limit) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      FileNotFound();
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || !name[0]) return "localhost";
  return name;
}

// [MAIL] PickupDir of the suite's configuration.
std::string PickupFolder() {
  rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
  return rt::Concat(configuration->Call("GetValue", {rt::Variant("MAIL"), rt::Variant("PickupDir")}));
}

}  // namespace

const rt::DispatchTable* NewMail::Dispatch() const {
  static const rt::DispatchTable table = rt::DispatchBuilder<NewMail>("NewMail")
                                             .Get("From", &NewMail::From)
                                             .Let("From", &NewMail::SetFrom)
                                             .Get("To", &NewMail::To)
                                             .Let("To", &NewMail::SetTo)
                                             .Get("Subject", &NewMail::Subject)
                                             .Let("Subject", &NewMail::SetSubject)
                                             .Get("Body", &NewMail::Body)
                                             .Let("Body", &NewMail::SetBody)
                                             .Get("BodyFormat", &NewMail::BodyFormat)
                                             .Let("BodyFormat", &NewMail::SetBodyFormat)
                                             .Get("MailFormat", &NewMail::MailFormat)
                                             .Let("MailFormat", &NewMail::SetMailFormat)
                                             .Method("AttachFile", &NewMail::AttachFile)
                                             .Method("Send", &NewMail::Send)
                                             .Build();
  return &table;
}

void NewMail::SetBody(const rt::Variant& v) { message_.body = rt::CStr(v); }

void NewMail::AttachFile(const std::string& path, std::optional<std::string> name, std::optional<int32_t>) {
  const size_t room = kMaxAttachmentBytes - attachedBytes_;
  std::string bytes = ReadRegularFile(path, room);
  if (bytes.size() > room) {
    rt::Raise(rt::hr::kFail, rt::CurrentComponentName(),
              "Attachments of one message may not exceed 25 MiB: " + path);
  }
  attachedBytes_ += bytes.size();
  message_.attachments.push_back({name && !name->empty() ? *name : BaseName(path), std::move(bytes)});
}

void NewMail::Send() {
  if (bodyFormat_ != kBodyFormatText) InvalidCall("only plain text bodies (BodyFormat 1) can be sent");
  if (mailFormat_ != kMailFormatMime) InvalidCall("only MIME messages (MailFormat 0) can be sent");
  CheckHeader("From", message_.from);
  CheckHeader("To", message_.to);
  CheckHeader("Subject", message_.subject);
  if (message_.to.find_first_not_of(" \t") == std::string::npos) InvalidCall("the message has no recipient");
  // A sender or recipient that is no whole address would be left out of
  // the message, cut, or leave its header empty: refused like a header
  // injection. A blank sender text leaves From out.
  if (auto bad = RefusedAddress(message_.from)) InvalidCall("the sender is no mail address: " + *bad);
  if (auto bad = RefusedAddress(message_.to)) InvalidCall("a recipient is no mail address: " + *bad);

  const std::string folder = PickupFolder();
  struct stat info {};
  if (folder.empty() || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    rt::Raise(rt::hr::kFail, rt::CurrentComponentName(),
              folder.empty() ? std::string("No mail pickup folder is configured ([MAIL] PickupDir)")
                             : "The mail pickup folder '" + folder + "' does not exist");
  }
  DropIntoPickupFolder(folder, ComposeMessage(message_, HostName()));
}

}  // namespace mail
