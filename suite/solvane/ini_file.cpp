// IniFile: parsing, lookup and the per-file cache.
#include "suite/solvane/ini_file.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "runtime/variant.h"

namespace solvane {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  const char* blanks = " \t\r\n";
  size_t first = s.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(blanks);
  return s.substr(first, last - first + 1);
}

struct CachedFile {
  struct timespec mtime {};
  off_t size = 0;
  ino_t inode = 0;
  std::shared_ptr<const IniFile> file;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() == b.size()) {
    bool same = true;
    for (size_t i = 0; i < a.size() && same; ++i) {
      char x = a[i], y = b[i];
      if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
      if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
      same = x == y;
    }
    if (same) return true;
  }
  // Names outside ASCII fold by the runtime's character rules.
  return rt::TextCompare(a, b) == 0;
}

IniFile IniFile::Parse(std::string_view text) {
  IniFile ini;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Section* current = nullptr;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = TrimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string_view name = TrimBlanks(line.substr(1, close == std::string_view::npos
                                                            ? std::string_view::npos
                                                            : close - 1));
      current = nullptr;
      for (Section& s : ini.sections_) {
        if (SameName(s.name, name)) current = &s;
      }
      if (!current) {
        ini.sections_.push_back(Section{std::string(name), {}});
        current = &ini.sections_.back();
      }
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == std::string_view::npos) continue;
    current->entries.push_back(
        Entry{std::string(TrimBlanks(line.substr(0, eq))), std::string(TrimBlanks(line.substr(eq + 1)))});
  }
  return ini;
}

std::shared_ptr<const IniFile> IniFile::Load(const std::string& path) {
  static std::mutex mutex;
  static std::map<std::string, CachedFile> cache;

  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(path);
    if (it != cache.end() && it->second.mtime.tv_sec == st.st_mtim.tv_sec &&
        it->second.mtime.tv_nsec == st.st_mtim.tv_nsec && it->second.size == st.st_size &&
        it->second.inode == st.st_ino) {
      return it->second.file;
    }
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::ostringstream text;
  text << in.rdbuf();
  auto file = std::make_shared<const IniFile>(Parse(text.str()));
  std::lock_guard<std::mutex> lock(mutex);
  cache[path] = CachedFile{st.st_mtim, st.st_size, st.st_ino, file};
  return file;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  for (const Section& s : sections_) {
    if (SameName(s.name, section)) return &s;
  }
  return nullptr;
}

const std::string* IniFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  for (const Entry& e : s->entries) {
    if (SameName(e.key, key)) return &e.value;
  }
  return nullptr;
}

std::string ConfigurationPath() {
  const char* path = std::getenv("SUITE_CONFIG");
  return path && *path ? std::string(path) : std::string("suite.ini");
}

}  // namespace solvane
