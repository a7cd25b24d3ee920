#include "base/os_file.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/cp932.h"
#include "base/file_io.h"

namespace zelkova::os {
namespace {

HANDLE Handle(void* h) { return static_cast<HANDLE>(h); }

bool IsMissing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// A virus scanner or an indexer may hold a file that was just written for a moment; a rename
// over it then fails although nothing is wrong. Those errors are tried again for a while.
bool IsPassingLock(DWORD err) { return err == ERROR_SHARING_VIOLATION || err == ERROR_ACCESS_DENIED || err == ERROR_LOCK_VIOLATION; }

// CreateFileW; nullptr (with the error in GetLastError) when it fails.
void* OpenHandle(const std::filesystem::path& p, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  HANDLE h = CreateFileW(p.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

std::string SystemErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide = n > 0 && text != nullptr ? std::wstring(text, n) : std::wstring();
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) wide.pop_back();
  char code_text[32];
  wsprintfA(code_text, "error %lu", code);
  if (wide.empty()) return code_text;
  return WideToCp932(wide) + " (" + code_text + ")";
}

File::~File() {
  if (handle_ != nullptr) CloseHandle(Handle(handle_));
}

File::File(File&& other) noexcept : path_(std::move(other.path_)), handle_(std::exchange(other.handle_, nullptr)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) CloseHandle(Handle(handle_));
    path_ = std::move(other.path_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

Status File::failure(const char* what) const {
  return FileFailure(path_, what, SystemErrorText(GetLastError()));
}

Status File::OpenForReading(const std::filesystem::path& p, File& f) {
  f = File();
  f.path_ = p;
  // Others may go on reading, writing or renaming it meanwhile, as on POSIX systems.
  f.handle_ = OpenHandle(p, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN);
  if (f.handle_ != nullptr) return Status::Ok();
  if (IsMissing(GetLastError())) return FileNotFound(p);
  return f.failure("を開けません");
}

Status File::OpenForSync(const std::filesystem::path& p, File& f) {
  f = File();
  f.path_ = p;
  // FlushFileBuffers needs write access.
  f.handle_ = OpenHandle(p, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, 0);
  return f.handle_ != nullptr ? Status::Ok() : f.failure("を開けません");
}

Status File::CreateForWriting(const std::filesystem::path& p, File& f, const std::filesystem::path& shownAs) {
  f = File();
  f.path_ = shownAs.empty() ? p : shownAs;
  f.handle_ = OpenHandle(p, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS, 0);
  return f.handle_ != nullptr ? Status::Ok() : f.failure(shownAs.empty() ? "を作れません" : "に書き込めません");
}

bool File::isOpen() const { return handle_ != nullptr; }

Status File::ReadAll(std::string& out) {
  LARGE_INTEGER size{};
  if (GetFileSizeEx(Handle(handle_), &size) && size.QuadPart > 0) out.reserve(out.size() + static_cast<size_t>(size.QuadPart));
  char buf[1 << 16];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(Handle(handle_), buf, sizeof buf, &n, nullptr)) return failure("を読めません");
    if (n == 0) return Status::Ok();
    out.append(buf, n);
  }
}

Status File::ReadAt(uint64_t offset, char* buf, size_t len, size_t& got) {
  got = 0;
  while (got < len) {
    OVERLAPPED at{};
    const uint64_t pos = offset + got;
    at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(pos >> 32);
    // ReadFile takes a 32-bit count.
    const DWORD want = static_cast<DWORD>(std::min<size_t>(len - got, 1u << 30));
    DWORD n = 0;
    if (!::ReadFile(Handle(handle_), buf + got, want, &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return failure("を読めません");
    }
    if (n == 0) break;
    got += n;
  }
  return Status::Ok();
}

Status File::Write(std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(Handle(handle_), bytes.data() + done, want, &n, nullptr)) return failure("に書き込めません");
    done += n;
  }
  return Status::Ok();
}

Status File::Sync() { return FlushFileBuffers(Handle(handle_)) ? Status::Ok() : failure("をディスクに書き出せません"); }

void File::StartWriteBack() {}

void File::DropFromCache() {}

Status File::Stamp(FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(Handle(handle_), &info)) return failure("の大きさを読めません");
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.file = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  stamp.size = static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  stamp.written = static_cast<int64_t>(static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
                                       info.ftLastWriteTime.dwLowDateTime);
  return Status::Ok();
}

Status File::Close() {
  HANDLE h = Handle(std::exchange(handle_, nullptr));
  return CloseHandle(h) ? Status::Ok() : failure("に書き込めません");
}

namespace {

// The byte range the lock covers: far beyond what the file holds, since a locked range cannot be
// read by others on Windows, and the holder's text must stay readable.
constexpr DWORD kLockOffsetHigh = 1;

}  // namespace

FileLock::~FileLock() { Unlock(); }

Status FileLock::TryLock(const std::filesystem::path& p, bool* held) {
  Unlock();
  if (held) *held = false;
  void* h = OpenHandle(p, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       OPEN_ALWAYS, 0);
  if (h == nullptr) return FileFailure(p, "を作れません", SystemErrorText(GetLastError()));
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  if (!LockFileEx(Handle(h), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD err = GetLastError();
    CloseHandle(Handle(h));
    if (err == ERROR_LOCK_VIOLATION || err == ERROR_IO_PENDING) {
      if (held) *held = true;
      return Status::IoError(std::string());
    }
    return FileFailure(p, "を開けません", SystemErrorText(err));
  }
  handle_ = h;
  path_ = p;
  return Status::Ok();
}

Status FileLock::Write(std::string_view bytes) {
  if (handle_ == nullptr) return FileFailure(path_, "に書き込めません", SystemErrorText(ERROR_INVALID_HANDLE));
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(Handle(handle_), zero, nullptr, FILE_BEGIN) || !SetEndOfFile(Handle(handle_)))
    return FileFailure(path_, "に書き込めません", SystemErrorText(GetLastError()));
  for (size_t done = 0; done < bytes.size();) {
    DWORD n = 0;
    if (!WriteFile(Handle(handle_), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr))
      return FileFailure(path_, "に書き込めません", SystemErrorText(GetLastError()));
    done += n;
  }
  return Status::Ok();
}

void FileLock::Unlock() {
  // Closing the handle drops the lock, as the end of the process does.
  if (handle_ != nullptr) CloseHandle(Handle(std::exchange(handle_, nullptr)));
}

bool FileLock::locked() const { return handle_ != nullptr; }

std::filesystem::path OnDiskName(const std::filesystem::path& p) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(p.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return p;
  FindClose(h);
  return p.parent_path() / found.cFileName;
}

Status Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  DWORD err = 0;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (attempt > 0) Sleep(50);
    // WRITE_THROUGH: the call returns once the rename is on the disk.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Status::Ok();
    err = GetLastError();
    // A folder in the way is no passing lock.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (!IsPassingLock(err) || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))) break;
  }
  return FileFailure(to, "を置き換えられません", SystemErrorText(err));
}

bool HardLink(const std::filesystem::path& from, const std::filesystem::path& to) {
  return CreateHardLinkW(to.c_str(), from.c_str(), nullptr) != 0;
}

void RemoveFile(const std::filesystem::path& p) { DeleteFileW(p.c_str()); }

// Renames made with MOVEFILE_WRITE_THROUGH are already durable.
void SyncFolder(const std::filesystem::path&) {}

Status SyncFileSystem(const std::filesystem::path& p) {
  // Flushing a volume needs administrator rights; without them each file was written through
  // the cache, which Windows writes out within seconds. Nothing to report either way.
  (void)p;
  return Status::Ok();
}

long CurrentProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessRuns(long pid) {
  if (pid <= 0) return false;
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (h == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's process
  DWORD code = 0;
  const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return running;
}

}  // namespace zelkova::os
