// StoreCache: the writer of the batch download. In write-back mode each touched file is loaded
// once, merged in memory and written once per Flush(); in write-through mode every change is a
// load, merge and atomic save of the whole file. Both leave byte-identical files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/status.h"
#include "store/stored_files.h"

namespace zelkova {

class StoreCache {
 public:
  enum class Mode { kWriteBack, kWriteThrough };

  explicit StoreCache(Mode mode) : mode_(mode) {}
  Mode mode() const { return mode_; }

  // Keyed merge of `line` (no CR LF) into `p`. A stored file that cannot be read (wrong line
  // lengths, I/O error) is reported and left as it is.
  Status Upsert(const std::filesystem::path& p, std::string_view line, const MergeRule& rule);
  // Puts `line` into slot `slot` of an entry file; a missing file starts as 216 blank lines.
  Status PutSlot(const std::filesystem::path& p, int slot, std::string_view line);

  // Writes every changed file (write-back). Stops at the first failure; that file and the ones
  // not yet written stay pending, so a later Flush() can retry.
  Status Flush();
  size_t pendingFiles() const { return dirty_.size(); }
  // Bytes of the files held in memory (write-back), counted as they would be stored.
  size_t heldBytes() const { return heldBytes_; }
  // Forgets the files already on disk (after a flush, to bound memory).
  void Clear();

  // What reached the disk so far: the merged lines of files that were written after the merge,
  // and the distinct files written.
  size_t linesSaved() const { return linesSaved_; }
  size_t filesSaved() const { return written_.size(); }

 private:
  struct Entry {
    std::vector<std::string> lines;
    bool sorted = false;
    bool dirty = false;
    size_t unsaved = 0;  // lines merged since the file was last written
    bool padded = false;  // an entry file short of its slots, or new: written even unchanged
    // What the file on disk holds, as LinesHash gives it; none when there is no file yet. A file
    // changed and changed back before a flush is not written again.
    std::optional<size_t> stored;
  };
  Result<Entry*> Load(const std::filesystem::path& p, size_t record_len, bool slot_file);
  Status Finish(const std::filesystem::path& p, Entry& e);

  Mode mode_;
  // Keyed by the system's own form of the path (UTF-16 on Windows), which converts back exactly.
  using Key = std::filesystem::path::string_type;
  std::unordered_map<Key, Entry> files_;
  std::vector<Key> dirty_;  // keys of files_ in the order they first changed
  size_t heldBytes_ = 0;
  size_t linesSaved_ = 0;
  std::unordered_set<Key> written_;
  Entry scratch_;                   // write-through works on this one
};

}  // namespace zelkova
