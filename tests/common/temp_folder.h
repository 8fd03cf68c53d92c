// TempFolder: a fresh folder of the test's own under the temp folder, removed
// with its contents at the end; ReadFile/WriteFile: whole files as text.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace testfs {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written aside and renamed into place, so that a reader never sees half a file.
inline void WriteFile(const fs::path& path, const std::string& text) {
  const fs::path temp = path.string() + ".tmp";
  std::ofstream(temp, std::ios::binary | std::ios::trunc) << text;
  fs::rename(temp, path);
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "suite-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace testfs
