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
// reads no key again. An index file (the key of every record and its newest record number,
// stamped with the master it was made for) spares even the first load reading the keys.
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

  // Why Load read the keys of the master although it was given an index file.
  enum class IndexProblem { None, Missing, Stale, Damaged };

  // Reads the keys of `p`, records of `recLen` bytes keyed by bytes keyPos..keyPos+keyLen-1
  // (1-based), and keeps the file open for Find; the keys are not read again when `p` is the file
  // indexed last, unchanged (FileStamp). A missing file gives an empty index (NotFound); a size
  // that is not a whole number of records keeps the whole records and returns Corruption with a
  // text naming the file.
  // With `indexFile`, the keys come from that file when it was made for `p` as it is now (its
  // stamp); otherwise they are read from `p` (indexProblem() tells why) and, with `writeIndex`,
  // the index file is written anew (indexWrite() tells a failure; the load goes on).
  Status Load(const std::filesystem::path& p, size_t recLen, size_t keyPos, size_t keyLen,
              const std::filesystem::path& indexFile = {}, bool writeIndex = false);
  // Forgets the index and closes the file (which another program may then replace).
  void Clear();
  // Closes the file and keeps the index; Find finds nothing until the next Load.
  void Close() { file_.Close(); }

  // The record whose key equals `key` (newest version, see above), read from the file; empty when
  // none, blank or the file is closed. The view is valid until the next Find, Load or Clear. A
  // record that no longer holds its key (the file was written in place, unseen by its stamp)
  // makes the keys be read again. IoError when the file cannot be read.
  Result<std::string_view> Find(std::string_view key);
  // Records of the file (versions included), as the last Load found them.
  size_t size() const { return count_; }
  // Whether the last Load read the keys from the master (false: kept, or from its index file).
  bool keysRead() const { return keysRead_; }
  // Whether the last Load took the keys from the index file.
  bool indexUsed() const { return indexUsed_; }
  IndexProblem indexProblem() const { return problem_; }
  const Status& indexWrite() const { return indexWrite_; }

  // Indexes `lines` (records without CR LF, in file order) as Load would index a file of them:
  // for a writer that has the lines of a master it is about to store.
  void Build(const std::vector<std::string>& lines, size_t recLen, size_t keyPos, size_t keyLen);
  // The bytes of an index file of what is indexed, for the master `stamp` names.
  std::string FileBytes(const FileStamp& stamp) const;

 private:
  using Key = std::array<char, kMaxKeyLen>;  // the key's bytes, the rest zero
  struct Slot {
    Key key;
    std::array<char, 8> made;  // creation date, bytes 4-11
    uint32_t record;           // 1-based record number of the newest version; 0: an empty slot
  };
  // Where the search for `key` starts among the slots.
  size_t Home(const Key& key) const;
  void StartSlots(size_t records);
  void AddRecord(std::string_view rec, uint32_t record);
  // Turns the slots into the sorted table.
  void FinishSlots();
  // Reads every key of the open file.
  Status ReadKeys();
  // Takes the keys from `indexFile` when it indexes the open file as it is.
  IndexProblem ReadIndexFile(const std::filesystem::path& indexFile);
  size_t entryLen() const { return keyLen_ + 4; }
  // The record number of `key` (0: none), by binary search of the table.
  uint32_t Lookup(std::string_view key) const;

  InputFile file_;
  FileStamp indexed_;  // the file the table indexes; empty table_ when none
  std::vector<Slot> slots_;  // open addressing while the keys are read, a power of two in size
  std::string table_;        // entries sorted by key: the key's bytes, then the record number (4 bytes)
  std::string buffer_;       // a stretch of whole records while the keys are read; then one record
  size_t recLen_ = 0, keyPos_ = 0, keyLen_ = 0, count_ = 0, entries_ = 0;
  bool keysRead_ = false, indexUsed_ = false;
  IndexProblem problem_ = IndexProblem::None;
  Status indexWrite_;
};

// Text for a stored file whose size is not a whole number of records (CP932).
std::string TruncatedFileText(const std::filesystem::path& p, uint64_t size, size_t recLen);

}  // namespace zelkova
