// IniFile: a parsed INI file (the suite's configuration and the reference
// registry), with section and key names matched without regard to case.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace solvane {

class IniFile {
 public:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;            // as written in the file
    std::vector<Entry> entries;  // in file order, repeated keys kept
  };

  // Lines are "[section]", "key=value" (blanks around both trimmed, the value
  // may hold "=" and ";"), blank, or comments starting with ";" or "#".
  // Lines before the first section and lines without "=" are ignored.
  static IniFile Parse(std::string_view text);

  // The file at `path`, parsed; kept in a process-wide cache that is read
  // again when the file's modification time, size or inode changes.
  // Null when the file cannot be read.
  static std::shared_ptr<const IniFile> Load(const std::string& path);

  // The first value of `key` in `section`, or null when either is missing.
  const std::string* Find(std::string_view section, std::string_view key) const;
  const Section* FindSection(std::string_view section) const;
  const std::vector<Section>& Sections() const { return sections_; }

 private:
  std::vector<Section> sections_;  // a section written twice is merged into the first
};

// Case-insensitive equality of two names.
bool SameName(std::string_view a, std::string_view b);

// The configuration file: $SUITE_CONFIG, else "suite.ini" in the working folder.
std::string ConfigurationPath();

}  // namespace solvane
