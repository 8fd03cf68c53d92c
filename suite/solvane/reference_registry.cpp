// ReferenceRegistry: parsing references.ini and answering lookups.
//
// One section per table whose key other tables refer to:
//   [<TABLE>]
//   Key=<key column>
//   Owner=<ProgID of the class answering whether a key value exists>
//   ReferredBy=<ProgID>:<TABLE>.<COLUMN>, <ProgID>:<TABLE>.<COLUMN>
// ReferredBy may be repeated and may list several entries separated by commas.
#include "suite/solvane/reference_registry.h"

#include <sys/stat.h>

#include <cstdlib>

#include "runtime/com_error.h"
#include "suite/solvane/ini_file.h"

#ifndef SUITE_DB_DIR
#define SUITE_DB_DIR "db"
#endif

namespace solvane {
namespace {

constexpr const char* kSource = "Solvane.ReferentialChecker";

std::string Trimmed(std::string_view s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  size_t last = s.find_last_not_of(" \t");
  return std::string(s.substr(first, last - first + 1));
}

[[noreturn]] void Malformed(const std::string& path, const std::string& section,
                            const std::string& what) {
  rt::Raise(rt::hr::kFail, kSource,
            "The reference registry '" + path + "' is malformed in [" + section + "]: " + what);
}

// "<ProgID>:<TABLE>.<COLUMN>"
Referrer ParseReferrer(const std::string& path, const std::string& section,
                       const std::string& entry) {
  size_t colon = entry.find(':');
  size_t dot = colon == std::string::npos ? std::string::npos : entry.find('.', colon + 1);
  Referrer r;
  if (dot != std::string::npos) {
    r.progId = Trimmed(std::string_view(entry).substr(0, colon));
    r.table = Trimmed(std::string_view(entry).substr(colon + 1, dot - colon - 1));
    r.column = Trimmed(std::string_view(entry).substr(dot + 1));
  }
  if (r.progId.empty() || r.table.empty() || r.column.empty()) {
    Malformed(path, section, "ReferredBy entry '" + entry + "' is not <ProgID>:<TABLE>.<COLUMN>");
  }
  return r;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string ReferenceRegistry::DefaultPath() {
  const char* over = std::getenv("SUITE_REFERENCES");
  if (over && *over) return over;
  if (auto config = IniFile::Load(ConfigurationPath())) {
    const std::string* dir = config->Find("INSTALL", "Dir");
    if (dir && !dir->empty()) {
      std::string installed = *dir + "/references.ini";
      if (FileExists(installed)) return installed;
    }
  }
  return SUITE_DB_DIR "/references.ini";
}

ReferenceRegistry ReferenceRegistry::Load(const std::string& path) {
  auto file = IniFile::Load(path);
  if (!file) {
    rt::Raise(rt::hr::kFail, kSource, "The reference registry '" + path + "' cannot be read");
  }
  ReferenceRegistry registry;
  for (const IniFile::Section& section : file->Sections()) {
    ReferencedKey key;
    key.table = section.name;
    for (const IniFile::Entry& e : section.entries) {
      if (SameName(e.key, "Key")) {
        key.key = e.value;
      } else if (SameName(e.key, "Owner")) {
        key.owner = e.value;
      } else if (SameName(e.key, "OwnerKey")) {
        key.ownerKey = e.value;
      } else if (SameName(e.key, "ReferredBy")) {
        size_t start = 0;
        while (start <= e.value.size()) {
          size_t comma = e.value.find(',', start);
          std::string entry = Trimmed(std::string_view(e.value).substr(
              start, comma == std::string::npos ? std::string::npos : comma - start));
          if (!entry.empty()) key.referrers.push_back(ParseReferrer(path, section.name, entry));
          if (comma == std::string::npos) break;
          start = comma + 1;
        }
      } else {
        Malformed(path, section.name, "unknown setting '" + e.key + "'");
      }
    }
    if (key.key.empty()) Malformed(path, section.name, "no Key");
    registry.keys_.push_back(std::move(key));
  }
  return registry;
}

const ReferencedKey* ReferenceRegistry::FindKey(std::string_view table) const {
  for (const ReferencedKey& k : keys_) {
    if (SameName(k.table, table)) return &k;
  }
  return nullptr;
}

std::vector<const ReferencedKey*> ReferenceRegistry::KeysReferredToBy(
    std::string_view table, std::string_view column) const {
  std::vector<const ReferencedKey*> found;
  for (const ReferencedKey& k : keys_) {
    for (const Referrer& r : k.referrers) {
      if (SameName(r.table, table) && SameName(r.column, column)) {
        found.push_back(&k);
        break;
      }
    }
  }
  return found;
}

}  // namespace solvane
