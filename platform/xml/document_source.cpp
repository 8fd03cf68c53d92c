// ReadDocumentSource: libcurl for URLs, a bounded read for local files. The
// install folder is asked of the suite's configuration component, late-bound.
#include "platform/xml/document_source.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/xml/secure_parser.h"
#include "runtime/com_error.h"
#include "runtime/object.h"
#include "runtime/registry.h"

namespace msxml {
namespace {

namespace fs = std::filesystem;

SourceBytes Refused(const std::string& location) {
  return SourceBytes{false, {}, "Access to this location is refused: " + location};
}

SourceBytes Failed(std::string reason) { return SourceBytes{false, {}, std::move(reason)}; }

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// A URL scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
bool HasScheme(const std::string& location) {
  if (location.empty() || !std::isalpha(static_cast<unsigned char>(location[0]))) return false;
  for (char c : location) {
    if (c == ':') return true;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return false;
}

// --- Downloads ----------------------------------------------------------------

struct Download {
  std::string body;
  bool tooLarge = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* download = static_cast<Download*>(user);
  size_t bytes = size * count;
  if (download->body.size() + bytes > kMaxDocumentBytes) {
    download->tooLarge = true;
    return 0;  // stops the transfer
  }
  download->body.append(data, bytes);
  return bytes;
}

void EnsureCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

SourceBytes Fetch(const std::string& url) {
  EnsureCurl();
  CURL* curl = curl_easy_init();
  if (!curl) return Failed("The download of '" + url + "' failed: out of memory");
  Download download;
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 10L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxDocumentBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);

  if (download.tooLarge || code == CURLE_FILESIZE_EXCEEDED) return Failed(kTooLarge);
  if (code != CURLE_OK) {
    std::string text = errorText[0] ? errorText : curl_easy_strerror(code);
    return Failed("The download of '" + url + "' failed: " + text);
  }
  if (status >= 400) {
    return Failed("The server answered " + std::to_string(status) + " for '" + url + "'");
  }
  return SourceBytes{true, std::move(download.body), {}};
}

// --- Local files -------------------------------------------------------------

// The download folder, canonical; empty when the installation is unknown.
fs::path DownloadFolder() {
  std::string install;
  try {
    rt::ObjectPtr configuration = rt::CreateObject("Solvane.Configuration");
    install = rt::CStr(configuration->Call("GetInstallDir"));
  } catch (const std::exception&) {
    return {};
  }
  if (install.empty()) return {};
  std::error_code error;
  fs::path folder = fs::weakly_canonical(fs::path(install) / "XMLDownload", error);
  return error ? fs::path() : folder;
}

bool LiesInside(const fs::path& path, const fs::path& folder) {
  const std::string& p = path.native();
  const std::string& f = folder.native();
  return p.size() > f.size() + 1 && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

SourceBytes ReadLocal(const std::string& location) {
  fs::path folder = DownloadFolder();
  std::error_code error;
  // Symbolic links are resolved first: a link inside the folder that points
  // out of it is refused like the place it points to.
  fs::path path = fs::weakly_canonical(fs::path(location), error);
  if (folder.empty() || error || !LiesInside(path, folder)) return Refused(location);

  SourceBytes read = ReadFileBounded(path.native());
  if (!read.ok && read.reason != kTooLarge) {
    read.reason = "The file '" + location + "' cannot be read: " + read.reason;
  }
  return read;
}

}  // namespace

SourceBytes ReadFileBounded(const std::string& path) {
  auto unreadable = [](int number) { return Failed(std::strerror(number)); };
  // Without blocking: a named pipe would wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return unreadable(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    int number = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return unreadable(number);
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int number = errno;
      ::close(fd);
      return unreadable(number);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kMaxDocumentBytes) {
      ::close(fd);
      return Failed(kTooLarge);
    }
  }
  ::close(fd);
  return SourceBytes{true, std::move(bytes), {}};
}

SourceBytes ReadDocumentSource(const std::string& location) {
  if (StartsWithNoCase(location, "http://") || StartsWithNoCase(location, "https://")) {
    return Fetch(location);
  }
  if (location.empty() || location.find('\0') != std::string::npos || HasScheme(location)) {
    return Refused(location);
  }
  return ReadLocal(location);
}

}  // namespace msxml
