// The few file operations that differ between Windows and POSIX systems, under file_io (which
// is what the rest of the program uses). posix/os_file.cpp and win/os_file.cpp implement them;
// on Windows every name goes through the wide API, so any file name the system allows works.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/status.h"

namespace zelkova {
struct FileStamp;
}

namespace zelkova::os {

// An open file, closed at destruction (without a report: call Close() to get one).
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // NotFound when the file does not exist; IoError with the system's text otherwise.
  static Status OpenForReading(const std::filesystem::path& p, File& f);
  // Opens an existing file so that Sync() can make it durable.
  static Status OpenForSync(const std::filesystem::path& p, File& f);
  // Creates the file, or empties an existing one, for writing. Messages name `shownAs` when it is
  // given: a temporary file is named by the file it is to replace.
  static Status CreateForWriting(const std::filesystem::path& p, File& f, const std::filesystem::path& shownAs = {});

  bool isOpen() const;
  // Appends everything from the current position to the end.
  Status ReadAll(std::string& out);
  // Reads up to `len` bytes at `offset`; `got` < `len` only at the end of the file.
  Status ReadAt(uint64_t offset, char* buf, size_t len, size_t& got);
  Status Write(std::string_view bytes);
  // Makes the contents durable (on the disk, not only in the system's cache).
  Status Sync();
  // Starts writing the contents out now, without waiting; a hint that may do nothing.
  void StartWriteBack();
  // Waits until the contents are written out and lets the system's cache forget them; a hint
  // that may do nothing.
  void DropFromCache();
  Status Stamp(FileStamp& stamp);
  // Reports what a delayed write could not store.
  Status Close();

 private:
  Status failure(const char* what) const;  // IoError "「path」what：<system text>" for the last error
  std::filesystem::path path_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// An exclusive lock on a file, held until Unlock() or destruction, and dropped by the system when
// the process ends, however it ends (no lock is left behind by a killed process). Advisory: it
// keeps out only those that ask for it; the file's bytes stay readable to all.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens (creating) `p` and takes the lock without waiting. *held: another holds it (then the
  // status is not ok and says nothing more). IoError when the file cannot be opened.
  Status TryLock(const std::filesystem::path& p, bool* held);
  // Replaces what the file holds (the lock must be held).
  Status Write(std::string_view bytes);
  void Unlock();
  bool locked() const;

 private:
  std::filesystem::path path_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// An existing entry `p` with its last part spelled as on the disk (a system that ignores case
// finds "Data" by "DATA"; callers that compare paths want one spelling).
std::filesystem::path OnDiskName(const std::filesystem::path& p);

// Renames `from` over `to`, replacing it. On failure `from` is left for the caller to remove.
Status Replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Gives the existing file `from` the second name `to`. False where the file system has no hard
// links (FAT, exFAT, some network shares) or the file has too many names already.
bool HardLink(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file; a file that is not there is no failure.
void RemoveFile(const std::filesystem::path& p);
// Makes the names in `dir` durable (renames included), where the system needs that asked.
void SyncFolder(const std::filesystem::path& dir);
// Flushes the whole file system holding `p` (or every one, where the system has no finer call).
Status SyncFileSystem(const std::filesystem::path& p);

#ifdef _WIN32
// The system's text for a Windows error code (GetLastError, an HRESULT), as CP932, with the code.
std::string SystemErrorText(unsigned long code);
#endif

long CurrentProcessId();
// Whether process `pid` still runs (a zombie does not).
bool ProcessRuns(long pid);

}  // namespace zelkova::os
