// Opening a workbook file: the path must stay inside the download folder and
// the content decides the format.
//
// The file is opened once and everything after the check reads that same
// descriptor, so a link swapped in after the check cannot redirect the read.
#include "platform/spreadsheet/workbook_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace spreadsheet {
namespace {

namespace fs = std::filesystem;

// True when `path` names something below `folder` (both absolute and normal).
bool Inside(const fs::path& path, const fs::path& folder) {
  std::string p = path.string();
  std::string f = folder.string();
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  return p.size() > f.size() + 1 && p.compare(0, f.size(), f) == 0 && p[f.size()] == '/';
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The path the kernel holds for an open file: every link resolved.
std::string ResolvedPath(int fd) {
  std::error_code error;
  fs::path resolved = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
  if (error) throw OpenFailure("the file cannot be located (" + error.message() + ")");
  return resolved.string();
}

}  // namespace

std::shared_ptr<WorkbookCells> ReadWorkbookFile(const std::string& path,
                                                const std::string& downloadFolder) {
  if (path.empty()) throw OpenFailure("no file name was given");
  if (path.find('\0') != std::string::npos) throw OpenFailure("the file name is not valid");

  // First the path as written: ".." cannot climb out of the folder.
  std::error_code error;
  fs::path folder = fs::absolute(downloadFolder, error).lexically_normal();
  fs::path wanted = fs::absolute(path, error).lexically_normal();
  if (error || !Inside(wanted, folder)) throw OpenFailure("the file lies outside the download folder");

  // O_NONBLOCK: a FIFO planted in the folder must not hang the open.
  Descriptor file(::open(wanted.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw OpenFailure("the file was not found");
    throw OpenFailure(std::string("the file cannot be read (") + std::strerror(errno) + ")");
  }

  // Then the file itself, links resolved, against the folder, links resolved.
  fs::path realFolder = fs::weakly_canonical(folder, error);
  std::string resolved = ResolvedPath(file.get());
  if (error || !Inside(resolved, realFolder)) {
    throw OpenFailure("the file lies outside the download folder");
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw OpenFailure("the path names no file");
  }

  std::array<unsigned char, 8> head{};
  ssize_t got = ::pread(file.get(), head.data(), head.size(), 0);
  static constexpr std::array<unsigned char, 8> kCompoundFile = {0xD0, 0xCF, 0x11, 0xE0,
                                                                 0xA1, 0xB1, 0x1A, 0xE1};
  if (got == 8 && head == kCompoundFile) return ReadXls(file.get(), resolved);
  if (got >= 4 && head[0] == 'P' && head[1] == 'K' &&
      ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6))) {
    return ReadXlsx(file.get(), resolved);
  }
  throw OpenFailure("the file is not a workbook");
}

}  // namespace spreadsheet
