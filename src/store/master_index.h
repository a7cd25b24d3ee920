// MasterIndex: one master file (UM, KS or CH) indexed by record key, its records read from the
// file as they are looked up. A key held once gives what a linear scan from the top of the file
// would; a key held by several versions (a download of several weeks keeps each week's) gives the
// one made last (bytes 4-11), the first of those on a tie. The horse, jockey and trainer masters
// are all looked up this way: a scan from the top would find a stale week's record, with career
// counts weeks out of date. A season's masters are over a hundred megabytes, of which a day
// needs a few hundred records: only each key's newest record number is kept (in a hash table: a
// sort of every version's key would cost more than reading the file), and buffers are reused
// between loads. The index outlives the open file: a later load of the same file unchanged (the
// same day again, or another date of the same download, whose masters are links of one file)
// reads no key again.
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
  // (1-based), and keeps the file open for Find; the keys are not read again when `p` is the file
  // indexed last, unchanged (FileStamp). A missing file gives an empty index (NotFound); a size
  // that is not a whole number of records keeps the whole records and returns Corruption with a
  // text naming the file.
  Status Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen);
  // Forgets the index and closes the file (which another program may then replace).
  void Clear();
  // Closes the file and keeps the index; Find finds nothing until the next Load.
  void Close() { file_.Close(); }

  // The record whose key equals `key` (newest version, see above), read from the file; empty when
  // none, blank or the file is closed. The view is valid until the next Find, Load or Clear. A
  // record that no longer holds its key (the file was written in place, unseen by its stamp)
  // makes the keys be read again. IoError when the file cannot be read.
  Result<std::string_view> Find(std::string_view key);
  size_t size() const { return count_; }
  // Whether the last Load read the keys (false: the index of the same file was kept).
  bool keysRead() const { return keysRead_; }

 private:
  using Key = std::array<char, kMaxKeyLen>;  // the key's bytes, the rest zero
  struct Slot {
    Key key;
    std::array<char, 8> made;  // creation date, bytes 4-11
    uint32_t record;           // 1-based record number of the newest version; 0: an empty slot
  };
  // Where the search for `key` starts among the slots.
  size_t Home(const Key& key) const;
  // Reads every key of the open file into the slots.
  Status ReadKeys();
  const Slot* Lookup(const Key& key) const;

  InputFile file_;
  FileStamp indexed_;  // the file the slots index; empty slots_ when none
  std::vector<Slot> slots_;  // open addressing, a power of two in size, at most half full
  std::string buffer_;       // a stretch of whole records while the keys are read; then one record
  size_t recLen_ = 0, keyPos_ = 0, keyLen_ = 0, count_ = 0;
  bool keysRead_ = false;
};

// Text for a stored file whose size is not a whole number of records (CP932).
std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen);

}  // namespace zelkova
