// Dropping a finished message into the pickup folder without ever exposing
// half a file under a name the agent collects.
#include "platform/mail/pickup_folder.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/com_error.h"
#include "runtime/context.h"

namespace mail {

namespace {

// 32 hexadecimal digits from the system's random source.
std::string RandomName() {
  unsigned char bytes[16];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      rt::Raise(rt::hr::kFail, rt::CurrentComponentName(), "No random name for the message file");
    }
    got += static_cast<size_t>(n);
  }
  char text[33];
  for (size_t i = 0; i < sizeof bytes; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
  return text;
}

[[noreturn]] void Fail(const std::string& folder, int error) {
  rt::Raise(rt::hr::kFail, rt::CurrentComponentName(),
            "The mail pickup folder '" + folder + "' cannot be written: " + std::strerror(error));
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string DropIntoPickupFolder(const std::string& folder, const std::string& text) {
  const std::string temp = folder + "/." + RandomName() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) Fail(folder, errno);
  if (!WriteAll(fd, text) || ::fsync(fd) != 0) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    Fail(folder, error);
  }
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    Fail(folder, error);
  }
  // link() never replaces an existing name; a clash (all but impossible
  // with 128 random bits) just takes another name.
  for (int attempt = 0;; ++attempt) {
    const std::string final = folder + "/" + RandomName() + ".eml";
    if (::link(temp.c_str(), final.c_str()) == 0) {
      ::unlink(temp.c_str());
      // The new name itself reaches the disk with the folder.
      const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
      }
      return final;
    }
    if (errno != EEXIST || attempt == 8) {
      const int error = errno;
      ::unlink(temp.c_str());
      Fail(folder, error);
    }
  }
}

}  // namespace mail
