// Log: one line per entry in the file named by [LOG] File of the configuration.
//
// A line is the local time "yyyy-mm-dd hh:nn:ss", the kind ("ERROR" for 0,
// "INFO" for 1, otherwise the number), the source and the text, separated by
// TABs and ended by a line feed. CR, LF, TAB and "\" inside source and text
// are written as \r, \n, \t and \\, so every entry stays on one line.
//
// Entries are appended with O_APPEND under an exclusive lock on the file, so
// writers in other threads and processes never interleave. Logging is the
// last resort of a failure path: nothing that goes wrong here reaches the
// caller.
#include "suite/solvane/log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "runtime/dispatch.h"
#include "suite/solvane/ini_file.h"

namespace solvane {
namespace {

void AppendEscaped(std::string& out, const std::string& s) {
  for (char c : s) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
}

// A kind that is not a number is written as its type name, rather than losing the entry.
std::string KindText(const rt::Variant& kind) {
  int32_t k = 0;
  try {
    k = rt::CLng(kind);
  } catch (...) {
    return rt::TypeName(kind);
  }
  if (k == 0) return "ERROR";
  if (k == 1) return "INFO";
  return std::to_string(k);
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

void Append(const std::string& path, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX) == 0) {
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
      ssize_t n = ::write(fd, p, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  ::close(fd);  // also releases the lock
}

}  // namespace

const rt::DispatchTable* Log::Dispatch() const {
  static const rt::DispatchTable table =
      rt::DispatchBuilder<Log>("Log").Method("WriteEntry", &Log::WriteEntry).Build();
  return &table;
}

int32_t Log::WriteEntry(const rt::Variant& source, const rt::Variant& text,
                        const rt::Variant& kind) {
  try {
    auto config = IniFile::Load(ConfigurationPath());
    if (!config) return 0;
    const std::string* path = config->Find("LOG", "File");
    if (!path || path->empty()) return 0;

    std::string line = Now();
    line += '\t';
    line += KindText(kind);
    line += '\t';
    AppendEscaped(line, rt::Concat(source));
    line += '\t';
    AppendEscaped(line, rt::Concat(text));
    line += '\n';
    Append(*path, line);
  } catch (...) {
    // A lost entry must not turn into a new failure of the caller; the
    // caller's pending error is left as it is.
  }
  return 0;
}

}  // namespace solvane
