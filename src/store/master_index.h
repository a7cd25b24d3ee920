// MasterIndex: one master file (UM, KS or CH) read once, with a lookup from the record key to
// its record. A key held once gives what a linear scan from the top of the file would; a key
// held by several versions (a download of several weeks keeps each week's) gives the one made
// last (bytes 4-11), the first of those on a tie. The horse, jockey and trainer masters are all
// looked up this way: a scan from the top would find a stale week's record, with career counts
// weeks out of date. Buffers are kept between loads and reused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/status.h"

namespace zelkova {

class MasterIndex {
 public:
  // Reads `p` as records of `recLen` bytes keyed by bytes keyPos..keyPos+keyLen-1 (1-based).
  // A missing file gives an empty index (NotFound); a size that is not a whole number of records
  // keeps the whole records and returns Corruption with a text naming the file.
  Status Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen);
  void Clear();

  // The record whose key equals `key` (newest version, see above); empty when none or blank.
  std::string_view Find(std::string_view key) const;
  size_t size() const { return count_; }

 private:
  std::string bytes_;
  struct Entry {
    std::string_view key, made;  // made: creation date, bytes 4-11
    uint32_t pos;
  };
  std::vector<Entry> keys_;  // by key, then newest made, then position
  size_t recLen_ = 0, keyPos_ = 0, keyLen_ = 0, count_ = 0;
};

// Text for a stored file whose size is not a whole number of records (CP932).
std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen);

}  // namespace zelkova
