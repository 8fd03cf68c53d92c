// SuiteSandbox: a temporary folder with its own suite.ini and log file, made
// the process's configuration ($SUITE_CONFIG) for the life of a test.
#pragma once

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/common/temp_folder.h"

class SuiteSandbox {
 public:
  SuiteSandbox() : dir_(folder_.path().string()) {
    WriteConfig("[INSTALL]\nDir=" + dir_ + "\n[LOG]\nFile=" + LogPath() + "\n");
    ::setenv("SUITE_CONFIG", ConfigPath().c_str(), 1);
  }
  ~SuiteSandbox() { ::unsetenv("SUITE_CONFIG"); }

  const std::string& Dir() const { return dir_; }
  std::string ConfigPath() const { return dir_ + "/suite.ini"; }
  std::string LogPath() const { return dir_ + "/suite.log"; }

  // Replaces the configuration file (written aside and renamed into place).
  void WriteConfig(const std::string& text) const { WriteFile(ConfigPath(), text); }
  void WriteFile(const std::string& path, const std::string& text) const { testfs::WriteFile(path, text); }

  // The log file's lines, each an entry.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(LogPath(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }

 private:
  testfs::TempFolder folder_;
  std::string dir_;
};

// One log line split into its four fields, the text with its escapes undone.
struct LogEntry {
  std::string time, kind, source, text;

  static LogEntry Parse(const std::string& line) {
    LogEntry e;
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (fields.size() != 4) throw std::runtime_error("not a log line: " + line);
    e.time = fields[0];
    e.kind = fields[1];
    e.source = Unescape(fields[2]);
    e.text = Unescape(fields[3]);
    return e;
  }

  static std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] != '\\' || i + 1 == s.size()) {
        out += s[i];
        continue;
      }
      char c = s[++i];
      out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
  }
};
