#include "base/file_io.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <set>

#include "base/cp932.h"

namespace zelkova {
namespace {

std::function<Status(const fs::path&)>& WriteFault() {
  static std::function<Status(const fs::path&)> fault;
  return fault;
}

Status IoErr(const std::string& what, const fs::path& p, int err) {
  return Status::IoError(what + " " + p.string() + ": " + ErrnoText(err));
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace

std::string ErrnoText(int err) { return std::strerror(err); }

fs::path FsName(std::string_view cp932_name) {
  return fs::path(Cp932ToUtf8Lossy(cp932_name));
}

fs::path ChildPath(const fs::path& parent, std::string_view cp932_name) {
  fs::path name = FsName(cp932_name);
  fs::path exact = parent / name;
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  const std::string want = name.string();
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    std::string have = it->path().filename().string();
    if (EqualsIgnoreAsciiCase(have, want)) return it->path();
  }
  return exact;
}

bool FileExists(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

bool DirExists(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

Status EnsureDir(const fs::path& p) {
  std::error_code ec;
  if (fs::is_directory(p, ec)) return Status::Ok();
  fs::create_directories(p, ec);
  if (ec) return Status::IoError("cannot create folder " + p.string() + ": " + ec.message());
  return Status::Ok();
}

Result<std::string> ReadFile(const fs::path& p) {
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT) return Status::NotFound("file not found: " + p.string());
    return IoErr("cannot open", p, err);
  }
  std::string out;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return IoErr("cannot read", p, err);
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

Result<uint64_t> FileSize(const fs::path& p) {
  struct stat st {};
  if (::stat(p.c_str(), &st) != 0) {
    int err = errno;
    if (err == ENOENT) return Status::NotFound("file not found: " + p.string());
    return IoErr("cannot stat", p, err);
  }
  return static_cast<uint64_t>(st.st_size);
}

Result<std::string> ReadAt(const fs::path& p, uint64_t offset, size_t len) {
  int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    if (err == ENOENT) return Status::NotFound("file not found: " + p.string());
    return IoErr("cannot open", p, err);
  }
  std::string out(len, '\0');
  size_t got = 0;
  while (got < len) {
    ssize_t n = ::pread(fd, out.data() + got, len - got, static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return IoErr("cannot read", p, err);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got < len) {
    return Status::Corruption("file " + p.string() + " is truncated: wanted " + std::to_string(len) +
                              " bytes at offset " + std::to_string(offset) + ", got " + std::to_string(got));
  }
  return out;
}

namespace {

// Writes `bytes` to a fresh temporary file beside `p`; on success `fd` is still open.
Status WriteTemp(const fs::path& p, std::string_view bytes, fs::path& tmp, int& fd) {
  static std::mt19937_64 rng{std::random_device{}()};
  tmp = p;
  tmp += ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(rng() % 1000000000ULL);
  fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return IoErr("cannot create", tmp, errno);
  auto give_up = [&](Status s) {
    ::close(fd);
    fd = -1;
    ::unlink(tmp.c_str());
    return s;
  };
  size_t done = 0;
  Status fault = WriteFault() ? WriteFault()(p) : Status::Ok();
  size_t limit = fault.ok() ? bytes.size() : bytes.size() / 2;
  while (done < limit) {
    ssize_t n = ::write(fd, bytes.data() + done, limit - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return give_up(IoErr("cannot write", p, errno));
    }
    done += static_cast<size_t>(n);
  }
  if (!fault.ok()) return give_up(Status::IoError("cannot write " + p.string() + ": " + fault.message()));
  return Status::Ok();
}

Status Rename(const fs::path& tmp, const fs::path& p) {
  if (::rename(tmp.c_str(), p.c_str()) == 0) return Status::Ok();
  int err = errno;
  ::unlink(tmp.c_str());
  return IoErr("cannot replace", p, err);
}

}  // namespace

Status WriteFileAtomic(const fs::path& p, std::string_view bytes) {
  fs::path tmp;
  int fd = -1;
  Status s = WriteTemp(p, bytes, tmp, fd);
  if (!s.ok()) return s;
  if (::fsync(fd) != 0) {
    int err = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    return IoErr("cannot flush", p, err);
  }
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return IoErr("cannot close", p, err);
  }
  return Rename(tmp, p);
}

AtomicWriteBatch::~AtomicWriteBatch() { Discard(committed_); }

void AtomicWriteBatch::Reset() {
  Discard(committed_);
  staged_.clear();
  committed_ = 0;
}

void AtomicWriteBatch::Discard(size_t from) {
  for (size_t i = from; i < staged_.size(); ++i) ::unlink(staged_[i].tmp.c_str());
  staged_.resize(committed_);
}

Status AtomicWriteBatch::Stage(const fs::path& p, std::string_view bytes) {
  File f{p, {}};
  int fd = -1;
  Status s = WriteTemp(p, bytes, f.tmp, fd);
  if (!s.ok()) return s;
#ifdef __linux__
  // Start writing it out now, while the next file is being prepared.
  ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  // Closing reports what a delayed write could not store (quota, NFS): such a file is not kept.
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(f.tmp.c_str());
    return IoErr("cannot close", p, err);
  }
  staged_.push_back(std::move(f));
  return Status::Ok();
}

Status AtomicWriteBatch::Commit() {
  // Every temporary file's bytes reach the disk before any target is replaced.
  for (size_t i = committed_; i < staged_.size(); ++i) {
    int fd = ::open(staged_[i].tmp.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fdatasync(fd) != 0) {
      int err = errno;
      if (fd >= 0) ::close(fd);
      Status s = IoErr("cannot flush", staged_[i].target, err);
      Discard(committed_);
      return s;
    }
    ::close(fd);
  }
  std::set<fs::path> folders;
  Status result;
  for (; committed_ < staged_.size(); ++committed_) {
    File& f = staged_[committed_];
    result = Rename(f.tmp, f.target);  // removes the temporary file when it fails
    if (!result.ok()) {
      Discard(committed_ + 1);
      break;
    }
    folders.insert(f.target.parent_path());
  }
  // The new names themselves, so that a power cut cannot bring the old contents back.
  for (const auto& dir : folders) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    ::fsync(fd);
    ::close(fd);
  }
  return result;
}

namespace {

// The writer's process id from a temporary file name "<target>.tmp<pid>_<n>", or 0.
long TemporaryOwner(const std::string& name) {
  const size_t at = name.rfind(".tmp");
  if (at == std::string::npos || at == 0) return 0;
  const size_t bar = name.find('_', at);
  if (bar == std::string::npos || bar == at + 4 || bar + 1 == name.size()) return 0;
  auto digits = [&](size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (name[i] < '0' || name[i] > '9') return false;
    return to - from <= 9;
  };
  if (!digits(at + 4, bar) || !digits(bar + 1, name.size())) return 0;
  return std::stol(name.substr(at + 4, bar - at - 4));
}

}  // namespace

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

int RemoveStaleTemporaries(const fs::path& root) {
  int removed = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const long pid = TemporaryOwner(it->path().filename().string());
    if (pid <= 0 || pid == ::getpid()) continue;
    if (ProcessRuns(pid)) continue;  // its writer may still rename it
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.emplace_back(text.substr(start, stop - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

void SetWriteFaultForTesting(std::function<Status(const fs::path&)> fault) { WriteFault() = std::move(fault); }

}  // namespace zelkova
