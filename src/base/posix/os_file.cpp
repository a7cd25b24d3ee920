#include "base/os_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/file_io.h"

namespace zelkova::os {

File::~File() {
  if (fd_ >= 0) ::close(fd_);
}

File::File(File&& other) noexcept : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    path_ = std::move(other.path_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Status File::failure(const char* what) const {
  return FileFailure(path_, what, ErrnoText(errno));
}

Status File::OpenForReading(const std::filesystem::path& p, File& f) {
  f = File();
  f.path_ = p;
  f.fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (f.fd_ >= 0) return Status::Ok();
  if (errno == ENOENT) return FileNotFound(p);
  return f.failure("を開けません");
}

Status File::OpenForSync(const std::filesystem::path& p, File& f) {
  f = File();
  f.path_ = p;
  f.fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  return f.fd_ >= 0 ? Status::Ok() : f.failure("を開けません");
}

Status File::CreateForWriting(const std::filesystem::path& p, File& f, const std::filesystem::path& shownAs) {
  f = File();
  f.path_ = shownAs.empty() ? p : shownAs;
  f.fd_ = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  return f.fd_ >= 0 ? Status::Ok() : f.failure(shownAs.empty() ? "を作れません" : "に書き込めません");
}

bool File::isOpen() const { return fd_ >= 0; }

Status File::ReadAll(std::string& out) {
  struct stat st {};
  if (::fstat(fd_, &st) == 0 && st.st_size > 0) out.reserve(out.size() + static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failure("を読めません");
    }
    if (n == 0) return Status::Ok();
    out.append(buf, static_cast<size_t>(n));
  }
}

Status File::ReadAt(uint64_t offset, char* buf, size_t len, size_t& got) {
  got = 0;
  while (got < len) {
    const ssize_t n = ::pread(fd_, buf + got, len - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return failure("を読めません");
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return Status::Ok();
}

Status File::Write(std::string_view bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return failure("に書き込めません");
    }
    done += static_cast<size_t>(n);
  }
  return Status::Ok();
}

// ZELKOVA_NO_DISK_FLUSH (the fuzz build): nothing is forced to the disk.
#ifdef ZELKOVA_NO_DISK_FLUSH
constexpr bool kFlush = false;
#else
constexpr bool kFlush = true;
#endif

Status File::Sync() {
  if (!kFlush) return Status::Ok();
  return ::fsync(fd_) == 0 ? Status::Ok() : failure("をディスクに書き出せません");
}

void File::StartWriteBack() {
  if (!kFlush) return;
#ifdef __linux__
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

void File::DropFromCache() {
  if (!kFlush) return;
#ifdef __linux__
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  ::posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
#endif
}

Status File::Stamp(FileStamp& stamp) {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return failure("の大きさを読めません");
  stamp.volume = static_cast<uint64_t>(st.st_dev);
  stamp.file = static_cast<uint64_t>(st.st_ino);
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.written = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return Status::Ok();
}

Status File::Close() {
  const int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0 ? Status::Ok() : failure("に書き込めません");
}

FileLock::~FileLock() { Unlock(); }

Status FileLock::TryLock(const std::filesystem::path& p, bool* held) {
  Unlock();
  if (held) *held = false;
  const int fd = ::open(p.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return FileFailure(p, "を作れません", ErrnoText(errno));
  // flock, not fcntl: an fcntl lock would go when any other descriptor of the file in this
  // process is closed, and two holders in one process would not keep each other out.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK || err == EAGAIN) {
      if (held) *held = true;
      return Status::IoError(std::string());
    }
    return FileFailure(p, "を開けません", ErrnoText(err));
  }
  fd_ = fd;
  path_ = p;
  return Status::Ok();
}

Status FileLock::Write(std::string_view bytes) {
  if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) return FileFailure(path_, "に書き込めません", ErrnoText(fd_ < 0 ? EBADF : errno));
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileFailure(path_, "に書き込めません", ErrnoText(errno));
    done += static_cast<size_t>(n);
  }
  return Status::Ok();
}

void FileLock::Unlock() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));  // closing the last descriptor drops the lock
}

bool FileLock::locked() const { return fd_ >= 0; }

// The names are compared byte for byte here: what exists is spelled as asked.
std::filesystem::path OnDiskName(const std::filesystem::path& p) { return p; }

Status Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return Status::Ok();
  return FileFailure(to, "を置き換えられません", ErrnoText(errno));
}

bool HardLink(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::link(from.c_str(), to.c_str()) == 0;
}

void RemoveFile(const std::filesystem::path& p) { ::unlink(p.c_str()); }

void SyncFolder(const std::filesystem::path& dir) {
  if (!kFlush) return;
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

Status SyncFileSystem(const std::filesystem::path& p) {
  if (!kFlush) return Status::Ok();
#ifdef __linux__
  const int fd = ::open(p.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FileFailure(p, "を開けません", ErrnoText(errno));
  const int rc = ::syncfs(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0) return FileFailure(p, "をディスクに書き出せません", ErrnoText(err));
#else
  (void)p;
  ::sync();
#endif
  return Status::Ok();
}

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessRuns(long pid) {
  if (pid <= 0) return false;
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
#ifdef __linux__
  // "pid (comm) S ...": the command may hold blanks and parentheses; the state follows the last ')'.
  std::string stat;
  if (auto text = ReadFile("/proc/" + std::to_string(pid) + "/stat"); text.ok()) stat = *text;
  const size_t paren = stat.rfind(')');
  if (paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'Z') return false;
#endif
  return true;
}

}  // namespace zelkova::os
