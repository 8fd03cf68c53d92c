// DOMDocument::save: the document as UTF-8 text, written beside its
// destination under a temporary name and renamed over it, so that a reader
// or a crash never meets half a file.
#include <fcntl.h>
#include <libxml/xmlsave.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/xml/dom_document.h"

namespace msxml {
namespace {

std::string Serialize(xmlDocPtr doc) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xmlBufferPtr buffer = xmlBufferCreate();
  if (!buffer) RaiseXmlError("Out of memory");
  // Each top-level node is followed by a line break; nothing is indented.
  xmlSaveCtxtPtr writer = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL);
  if (writer) {
    xmlSaveDoc(writer, doc);
    xmlSaveClose(writer);
  }
  text.append(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
              static_cast<size_t>(xmlBufferLength(buffer)));
  xmlBufferFree(buffer);
  if (!writer) RaiseXmlError("Out of memory");
  return text;
}

[[noreturn]] void Unsaved(const std::string& destination, int number) {
  RaiseXmlError("The document could not be saved to '" + destination + "': " +
                std::strerror(number));
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void DOMDocument::save(const std::string& destination) const {
  if (destination.find('\0') != std::string::npos) Unsaved(destination, EINVAL);
  std::string text = Serialize(tree_->doc());
  static std::atomic<unsigned> counter{0};
  std::string temporary = destination + "." + std::to_string(::getpid()) + "-" +
                          std::to_string(counter.fetch_add(1)) + ".tmp";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) Unsaved(destination, errno);
  bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  int number = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    number = errno;
  }
  if (written && ::rename(temporary.c_str(), destination.c_str()) != 0) {
    written = false;
    number = errno;
  }
  if (!written) {
    ::unlink(temporary.c_str());
    Unsaved(destination, number);
  }
}

}  // namespace msxml
