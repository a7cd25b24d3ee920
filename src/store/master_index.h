// MasterIndex: one master file (UM, KS or CH) indexed by record key, its records read from the
// file as they are looked up. A key held once gives what a linear scan from the top of the file
// would; a key held by several versions (a download of several weeks keeps each week's) gives the
// one made last (bytes 4-11), the first of those on a tie. The horse, jockey and trainer masters
// are all looked up this way: a scan from the top would find a stale week's record, with career
// counts weeks out of date. A season's masters are over a hundred megabytes, of which a day
// needs a few hundred records: only the keys are kept, and buffers are reused between loads.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "base/status.h"

namespace zelkova {

class MasterIndex {
 public:
  static constexpr size_t kMaxKeyLen = 16;

  // Reads the keys of `p`, records of `recLen` bytes keyed by bytes keyPos..keyPos+keyLen-1
  // (1-based), and keeps the file open for Find. A missing file gives an empty index (NotFound);
  // a size that is not a whole number of records keeps the whole records and returns Corruption
  // with a text naming the file.
  Status Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen);
  // Forgets the index and closes the file (which another program may then replace).
  void Clear();
  // Closes the file and keeps the index; Find finds nothing until the next Load.
  void Close() { file_.Close(); }

  // The record whose key equals `key` (newest version, see above), read from the file; empty when
  // none, blank or the file is closed. The view is valid until the next Find, Load or Clear.
  // IoError when the file cannot be read.
  Result<std::string_view> Find(std::string_view key);
  size_t size() const { return count_; }

 private:
  struct Entry {
    std::array<char, kMaxKeyLen> key;
    std::array<char, 8> made;  // creation date, bytes 4-11
    uint32_t pos;
  };
  InputFile file_;
  std::vector<Entry> keys_;  // by key, then newest made, then position
  std::string buffer_;       // a stretch of whole records while the keys are read; then one record
  size_t recLen_ = 0, keyPos_ = 0, keyLen_ = 0, count_ = 0;
};

// Text for a stored file whose size is not a whole number of records (CP932).
std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen);

}  // namespace zelkova
