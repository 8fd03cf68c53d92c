// ZipPackage: bounded reading of an .xlsx package's parts with libzip.
#include "platform/spreadsheet/zip_package.h"

#include <unistd.h>
#include <zip.h>

#include "platform/spreadsheet/workbook_file.h"

namespace spreadsheet {
namespace {

[[noreturn]] void TooLargePart() {
  throw OpenFailure("a part of the workbook is larger than 64 MiB uncompressed");
}
[[noreturn]] void TooLarge() {
  throw OpenFailure("the workbook is larger than 256 MiB uncompressed");
}

class PartFile {
 public:
  explicit PartFile(zip_file_t* file) : file_(file) {}
  ~PartFile() {
    if (file_) zip_fclose(file_);
  }
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;
  zip_file_t* get() const { return file_; }

 private:
  zip_file_t* file_;
};

}  // namespace

ZipPackage::ZipPackage(int fd) {
  // libzip closes the descriptor it is given: give it a copy.
  int own = ::dup(fd);
  if (own < 0) throw OpenFailure("the file cannot be read");
  int error = 0;
  archive_ = zip_fdopen(own, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive_) {
    ::close(own);
    zip_error_t detail;
    zip_error_init_with_code(&detail, error);
    std::string text = zip_error_strerror(&detail);
    zip_error_fini(&detail);
    throw OpenFailure("the workbook is damaged (" + text + ")");
  }
}

ZipPackage::~ZipPackage() {
  if (archive_) zip_discard(archive_);
}

int64_t ZipPackage::Locate(const std::string& name) const {
  std::string entry = !name.empty() && name[0] == '/' ? name.substr(1) : name;
  return zip_name_locate(archive_, entry.c_str(), ZIP_FL_NOCASE);
}

bool ZipPackage::Has(const std::string& name) const { return Locate(name) >= 0; }

void ZipPackage::Reserve(const std::vector<std::string>& names) const {
  uint64_t total = total_;
  for (const std::string& name : names) {
    int64_t index = Locate(name);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE)) {
      continue;  // Read reports it
    }
    if (stat.size > kPartLimit) TooLargePart();
    total += stat.size;
    if (total > kTotalLimit) TooLarge();
  }
}

std::string ZipPackage::Read(const std::string& name) {
  int64_t index = Locate(name);
  if (index < 0) throw OpenFailure("the workbook is damaged (the part " + name + " is missing)");
  zip_stat_t stat;
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) == 0) {
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
      throw OpenFailure("the workbook is encrypted");
    }
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > kPartLimit) TooLargePart();
    if ((stat.valid & ZIP_STAT_SIZE) && total_ + stat.size > kTotalLimit) TooLarge();
  }

  PartFile file(zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0));
  if (!file.get()) {
    throw OpenFailure("the workbook is damaged (" + name + ": " + zip_strerror(archive_) + ")");
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    zip_int64_t got = zip_fread(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      throw OpenFailure("the workbook is damaged (" + name + ": " +
                        zip_file_strerror(file.get()) + ")");
    }
    if (got == 0) break;
    // Counted as it unpacks: a header that understates the size is no way around.
    if (bytes.size() + static_cast<uint64_t>(got) > kPartLimit) TooLargePart();
    if (total_ + bytes.size() + static_cast<uint64_t>(got) > kTotalLimit) TooLarge();
    bytes.append(buffer, static_cast<size_t>(got));
  }
  total_ += bytes.size();
  return bytes;
}

}  // namespace spreadsheet
