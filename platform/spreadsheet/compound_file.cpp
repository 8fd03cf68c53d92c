// CompoundFile: the sector tables, directory and streams of an OLE2 file.
//
// Sector n lies at (n + 1) * sector size. The FAT chains sectors; its own
// sectors are listed in the header (109 of them) and then in DIFAT sectors.
// Streams shorter than the cutoff live in the mini stream (the root entry's
// chain), in 64-byte sectors chained by the mini FAT.
#include "platform/spreadsheet/compound_file.h"

#include <cctype>
#include <cstring>

#include "platform/spreadsheet/workbook_file.h"

namespace spreadsheet {
namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kMaxRegular = 0xFFFFFFFA;

[[noreturn]] void Damaged(const std::string& what) {
  throw OpenFailure("the workbook is damaged (" + what + ")");
}

uint32_t U32(std::string_view b, size_t at) {
  if (at + 4 > b.size()) Damaged("a compound file record is cut short");
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;  // the format is little-endian, as this platform is
}

uint16_t U16(std::string_view b, size_t at) {
  if (at + 2 > b.size()) Damaged("a compound file record is cut short");
  uint16_t v;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

}  // namespace

CompoundFile::CompoundFile(std::string_view bytes) : bytes_(bytes) {
  if (bytes.size() < 512) Damaged("the compound file header is cut short");
  uint16_t shift = U16(bytes, 0x1E);
  if (shift != 9 && shift != 12) Damaged("the compound file has an unknown sector size");
  sectorSize_ = size_t{1} << shift;
  miniCutoff_ = U32(bytes, 0x38);
  const size_t perSector = sectorSize_ / 4;
  const uint64_t sectors = bytes.size() / sectorSize_;

  // The FAT's own sectors: from the header, then from the DIFAT chain.
  std::vector<uint32_t> fatSectors;
  uint32_t fatCount = U32(bytes, 0x2C);
  if (fatCount > sectors) Damaged("the compound file lists more FAT sectors than it holds");
  for (size_t i = 0; i < 109 && fatSectors.size() < fatCount; ++i) {
    fatSectors.push_back(U32(bytes, 0x4C + i * 4));
  }
  uint32_t difat = U32(bytes, 0x44);
  for (uint64_t guard = 0; fatSectors.size() < fatCount && difat <= kMaxRegular; ++guard) {
    if (guard > sectors) Damaged("the compound file's DIFAT chain loops");
    std::string_view s = Sector(difat);
    for (size_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i) {
      fatSectors.push_back(U32(s, i * 4));
    }
    difat = U32(s, (perSector - 1) * 4);
  }
  for (uint32_t index : fatSectors) {
    std::string_view s = Sector(index);
    for (size_t i = 0; i < perSector; ++i) fat_.push_back(U32(s, i * 4));
  }

  // The directory: 128-byte entries; the first is the root.
  std::string dir = Chain(U32(bytes, 0x30), fat_, sectorSize_, nullptr);
  for (size_t at = 0; at + 128 <= dir.size(); at += 128) {
    Entry e;
    uint16_t nameBytes = U16(dir, at + 0x40);
    for (size_t i = 0; i + 2 < nameBytes && i < 64; i += 2) {
      uint16_t c = U16(dir, at + i);
      e.name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    e.type = static_cast<uint8_t>(dir[at + 0x42]);
    e.start = U32(dir, at + 0x74);
    e.size = U32(dir, at + 0x78);
    if (sectorSize_ == 4096) e.size |= uint64_t{U32(dir, at + 0x7C)} << 32;
    entries_.push_back(std::move(e));
  }
  if (entries_.empty() || entries_[0].type != 5) Damaged("the compound file has no root entry");

  std::string miniFat = Chain(U32(bytes, 0x3C), fat_, sectorSize_, nullptr);
  for (size_t at = 0; at + 4 <= miniFat.size(); at += 4) miniFat_.push_back(U32(miniFat, at));
  miniStream_ = Chain(entries_[0].start, fat_, sectorSize_, nullptr);
  if (miniStream_.size() > entries_[0].size) miniStream_.resize(entries_[0].size);
}

std::string_view CompoundFile::Sector(uint32_t index) const {
  uint64_t at = (uint64_t{index} + 1) * sectorSize_;
  if (index > kMaxRegular || at + sectorSize_ > bytes_.size()) {
    Damaged("a compound file sector lies past the end of the file");
  }
  return bytes_.substr(at, sectorSize_);
}

// Follows a chain through `table`: FAT sectors of the file, or (with a
// pool) mini sectors of the mini stream. A chain may not visit more
// sectors than there are, so a loop ends as damage.
std::string CompoundFile::Chain(uint32_t start, const std::vector<uint32_t>& table, size_t unit,
                                const std::string_view* pool) const {
  std::string out;
  const size_t limit = pool ? pool->size() / unit : bytes_.size() / sectorSize_;
  uint32_t index = start;
  for (size_t links = 0; index != kEndOfChain; ++links) {
    if (index >= table.size() || links >= limit) Damaged("a compound file chain is broken");
    if (pool) {
      uint64_t at = uint64_t{index} * unit;
      if (at + unit > pool->size()) Damaged("a mini stream sector lies past its end");
      out.append(pool->substr(at, unit));
    } else {
      out.append(Sector(index));
    }
    index = table[index];
  }
  return out;
}

std::optional<std::string> CompoundFile::Stream(std::string_view name) const {
  for (size_t i = 1; i < entries_.size(); ++i) {
    const Entry& e = entries_[i];
    if (e.type != 2 || e.name.size() != name.size()) continue;
    bool same = true;
    for (size_t k = 0; k < name.size() && same; ++k) {
      same = std::tolower(static_cast<unsigned char>(e.name[k])) ==
             std::tolower(static_cast<unsigned char>(name[k]));
    }
    if (!same) continue;
    std::string data;
    if (e.size < miniCutoff_) {
      std::string_view pool(miniStream_);
      data = Chain(e.start, miniFat_, 64, &pool);
    } else {
      data = Chain(e.start, fat_, sectorSize_, nullptr);
    }
    if (data.size() < e.size) Damaged("a compound file stream is cut short");
    data.resize(e.size);
    return data;
  }
  return std::nullopt;
}

}  // namespace spreadsheet
