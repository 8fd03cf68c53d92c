// ZipPackage: the parts of an .xlsx package, read into memory under size
// limits so that a small file cannot unpack into a huge one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct zip;

namespace spreadsheet {

class ZipPackage {
 public:
  static constexpr uint64_t kPartLimit = uint64_t{64} << 20;   // one part, uncompressed
  static constexpr uint64_t kTotalLimit = uint64_t{256} << 20; // all parts read, uncompressed

  // Opens the package from a descriptor it does not take over. Throws
  // OpenFailure when the file is no readable ZIP archive.
  explicit ZipPackage(int fd);
  ~ZipPackage();
  ZipPackage(const ZipPackage&) = delete;
  ZipPackage& operator=(const ZipPackage&) = delete;

  // Part names match without regard to letter case, as the package format has it.
  bool Has(const std::string& name) const;
  // Refuses, before anything is unpacked, a set of parts whose stated sizes
  // pass the limits (together with what was read already).
  void Reserve(const std::vector<std::string>& names) const;
  // The part's bytes; OpenFailure when it is missing, encrypted, damaged or
  // over a limit (counted as it unpacks, whatever its header says).
  std::string Read(const std::string& name);

 private:
  int64_t Locate(const std::string& name) const;

  struct zip* archive_ = nullptr;
  uint64_t total_ = 0;
};

}  // namespace spreadsheet
