// CompoundFile: reads one stream out of an OLE2 compound file held in
// memory, checking every sector number and chain against the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spreadsheet {

class CompoundFile {
 public:
  // Throws OpenFailure when the header or the directory is damaged.
  explicit CompoundFile(std::string_view bytes);

  // The stream of that name (ASCII letters in any case) in the root storage.
  std::optional<std::string> Stream(std::string_view name) const;

 private:
  struct Entry {
    std::string name;  // ASCII only; other characters as '?'
    uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    uint32_t start = 0;
    uint64_t size = 0;
  };

  std::string_view Sector(uint32_t index) const;
  std::string Chain(uint32_t start, const std::vector<uint32_t>& table, size_t unit,
                    const std::string_view* pool) const;

  std::string_view bytes_;
  size_t sectorSize_ = 512;
  uint32_t miniCutoff_ = 4096;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::vector<Entry> entries_;
  std::string miniStream_;
};

}  // namespace spreadsheet
