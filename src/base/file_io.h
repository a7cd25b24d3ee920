// All file access of the core goes through here. Whole-file writes are atomic: a temporary file
// in the same folder, flushed, then renamed over the target, so a crash or a full disk leaves
// either the old or the new complete file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace zelkova {

namespace os {
class File;
class FileLock;
}
namespace detail {
struct FileContents;  // a file's bytes as pieces, written as they come
}

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

// Which file and which version of it: the file system's number for the file (hard links of one
// file share it), its size and when it was last written. A file replaced by a rename has another
// number; one written in place keeps its number but not its time.
struct FileStamp {
  uint64_t volume = 0, file = 0, size = 0;
  int64_t written = 0;  // in the system's units
  bool operator==(const FileStamp&) const = default;
};

// A file open for reading by position, closed at destruction. Readers that need a few records
// of a large file keep one open instead of reading it whole.
class InputFile {
 public:
  InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // NotFound when the file does not exist; IoError when it cannot be opened. Others may replace
  // the file meanwhile; this one goes on reading what it opened.
  Status Open(const fs::path& p);
  void Close();
  bool isOpen() const;
  // The size when it was opened.
  uint64_t size() const { return stamp_.size; }
  // The file when it was opened.
  const FileStamp& stamp() const { return stamp_; }
  const fs::path& path() const { return path_; }
  // Reads up to `len` bytes at `offset` into `buf`; `got` is below `len` only at the end.
  Status ReadAt(uint64_t offset, char* buf, size_t len, size_t& got);
  // Reads `len` bytes at `offset`; fewer is Corruption (as ReadAt of a path).
  Status ReadFully(uint64_t offset, char* buf, size_t len);

 private:
  std::unique_ptr<os::File> file_;
  fs::path path_;
  FileStamp stamp_;
};

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
//
// Files of identical bytes may share their storage (StageSame: hard links). That is safe only
// because no stored file is ever changed in place: every writer replaces a file by renaming a new
// one over it, which gives that path a file of its own and leaves the others as they were.
class AtomicWriteBatch {
 public:
  // `streaming`: the files will not be read back soon. Each large one leaves the system's cache
  // once it is on the disk, so a long run of large files does not fill the memory (filling it
  // costs far more than the copying, on a virtual machine most of all).
  explicit AtomicWriteBatch(bool streaming = false) : streaming_(streaming) {}
  AtomicWriteBatch(const AtomicWriteBatch&) = delete;
  AtomicWriteBatch& operator=(const AtomicWriteBatch&) = delete;
  ~AtomicWriteBatch();

  // The folder must exist. On failure nothing of this file is left behind.
  Status Stage(const fs::path& p, std::string_view bytes);
  // Stages `p` with `lines`, each followed by CR LF, as JoinLinesCrLf would give them, written
  // through a buffer of a megabyte: a list of a hundred megabytes is never joined in memory.
  Status StageLines(const fs::path& p, const std::vector<std::string>& lines);
  // Stages `p` with the bytes of staged file `source` (an index below staged()): a hard link to
  // that file's temporary, so the bytes are stored once. Where the file system refuses a link,
  // the temporary is copied. *linked tells which happened.
  Status StageSame(const fs::path& p, size_t source, bool* linked = nullptr);
  size_t staged() const { return staged_.size(); }
  // The stamp staged file `i` will have under its target once committed: a rename keeps the
  // file's number, size and time.
  Result<FileStamp> StagedStamp(size_t i) const;
  // Stops at the first file that cannot be replaced; committed() tells how many were.
  Status Commit();
  size_t committed() const { return committed_; }
  // Removes what was not committed and starts an empty batch.
  void Reset();

 private:
  struct File {
    fs::path target, tmp;
    bool linked = false;  // shares the bytes of an earlier staged file, made durable with it
    uint64_t size = 0;
  };
  Status StageContents(const fs::path& p, const detail::FileContents& c);
  void Discard(size_t from);  // removes the temporary files from `from` on
  void Settle(size_t i);      // streaming: waits until file i is on the disk and drops it from the cache
  std::vector<File> staged_;
  size_t committed_ = 0;
  bool streaming_ = false;
};

// Whether files can be made in folder `dir`: a file is created there and removed again. The
// failure names the folder and the system's reason (a read-only folder, a full disk ...).
Status CheckFolderWritable(const fs::path& dir);

// A lock one holder at a time has on file `p` (created when missing), with a line in the file
// that tells others who holds it. The system drops the lock when its process ends, however it
// ends, so a killed holder leaves none behind; the file itself stays.
class ExclusiveLock {
 public:
  ExclusiveLock();
  ~ExclusiveLock();
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;

  // Ok: taken, and `holder` written into the file. Busy: another holds it; `*heldBy` gets what
  // that holder wrote (empty when it has written nothing yet). IoError: the file cannot be made.
  Status Take(const fs::path& p, std::string_view holder, std::string* heldBy = nullptr);
  void Release();
  bool held() const;

 private:
  std::unique_ptr<os::FileLock> lock_;
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
// Test hook: when set and true for a target, a hard link for it is refused as a file system
// without links refuses it.
void SetLinkRefusedForTesting(std::function<bool(const fs::path&)> refused);
// Test hook: when set, called before each step that changes the disk, with the step ("write",
// "link" or "rename") and its target; a crash test ends the process there.
void SetWriteStepHookForTesting(std::function<void(std::string_view step, const fs::path&)> hook);

// Message text for an errno value: the common causes in Japanese, the rest as the platform
// words them (CP932).
std::string ErrnoText(int err);
// A failed file operation: "「path」" + what + "：" + the system's reason (CP932).
Status FileFailure(const fs::path& p, const char* what_utf8, const std::string& reason);
// "「path」が見つかりません".
Status FileNotFound(const fs::path& p);

}  // namespace zelkova
