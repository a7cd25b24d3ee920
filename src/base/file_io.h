// All file access of the core goes through here. Whole-file writes are atomic: a temporary file
// in the same folder, flushed, then renamed over the target, so a crash or a full disk leaves
// either the old or the new complete file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace zelkova {

namespace fs = std::filesystem;

// Paths and UTF-8 text, the same way on every system (a path made from a plain std::string
// would take the bytes in the system's code page on Windows, not as UTF-8).
fs::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const fs::path& p);
// A path for a message: CP932 text, with '?' for what CP932 cannot hold.
std::string PathText(const fs::path& p);

// File-system name of a CP932 file or folder name (file names are UTF-8 on Linux, UTF-16 on
// Windows).
fs::path FsName(std::string_view cp932_name);
// `parent` / name, where an existing child whose name differs only in ASCII case is reused
// (a program folder copied from Windows may hold DATA where the program says Data).
fs::path ChildPath(const fs::path& parent, std::string_view cp932_name);

bool FileExists(const fs::path& p);
bool DirExists(const fs::path& p);
// Creates `p` (and its parents) when missing. IoError when it cannot.
Status EnsureDir(const fs::path& p);

Result<std::string> ReadFile(const fs::path& p);
Result<uint64_t> FileSize(const fs::path& p);
// Reads `len` bytes at `offset`; a shorter read than asked is Corruption (truncated file).
Result<std::string> ReadAt(const fs::path& p, uint64_t offset, size_t len);

// Replaces the whole file atomically. The folder must exist.
Status WriteFileAtomic(const fs::path& p, std::string_view bytes);
// Replaces the whole file by a rename, so that no reader sees half of it, but without making it
// durable: for writing many files and then calling FlushFileSystem once.
Status WriteFileUnflushed(const fs::path& p, std::string_view bytes);
// Makes everything written to the file system holding `p` durable.
Status FlushFileSystem(const fs::path& p);

// Many whole-file replacements made durable together, which costs one flush of the disk instead
// of one per file. Stage() writes each new content to a temporary file beside its target;
// Commit() makes all of them durable, renames them over their targets in staging order and makes
// the renames durable. A crash at any point leaves every target either old or new and complete.
// Temporary files that were not renamed are removed when the batch ends or is reset.
class AtomicWriteBatch {
 public:
  AtomicWriteBatch() = default;
  AtomicWriteBatch(const AtomicWriteBatch&) = delete;
  AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;
  ~AtomicWriteBatch();

  // The folder must exist. On failure nothing of this file is left behind.
  Status Stage(const fs::path& p, std::string_view bytes);
  // Stops at the first file that cannot be replaced; committed() tells how many were.
  Status Commit();
  size_t committed() const { return committed_; }
  // Removes what was not committed and starts an empty batch.
  void Reset();

 private:
  struct File {
    fs::path target, tmp;
  };
  void Discard(size_t from);  // removes the temporary files from `from` on
  std::vector<File> staged_;
  size_t committed_ = 0;
};

// Whether process `pid` still runs. A process that has ended but was not yet collected by its
// parent (a zombie) does not.
bool ProcessRuns(long pid);
long CurrentProcessId();

// Removes, below `root`, the temporary files that an atomic write cut short by a crash left
// behind. Those of a process still running are kept. Returns how many were removed.
int RemoveStaleTemporaries(const fs::path& root);

// Text lines as stored: every line ends with CR LF, the last one too.
std::vector<std::string> SplitLines(std::string_view text);  // accepts CR LF or LF
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Test hook: when set, called before each atomic write; a non-ok Status makes the write fail
// as a full disk would (after the temporary file was partly written).
void SetWriteFaultForTesting(std::function<Status(const fs::path&)> fault);

// Message text for an errno value: the common causes in Japanese, the rest as the platform
// words them (CP932).
std::string ErrnoText(int err);
// A failed file operation: "「path」" + what + "：" + the system's reason (CP932).
Status FileFailure(const fs::path& p, const char* what_utf8, const std::string& reason);
// "「path」が見つかりません".
Status FileNotFound(const fs::path& p);

}  // namespace zelkova
