#include "base/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <set>

#include "base/cp932.h"
#include "base/os_file.h"

namespace zelkova {
namespace {

std::function<Status(const fs::path&)>& WriteFault() {
  static std::function<Status(const fs::path&)> fault;
  return fault;
}

std::function<bool(const fs::path&)>& LinkRefused() {
  static std::function<bool(const fs::path&)> refused;
  return refused;
}

std::function<void(std::string_view, const fs::path&)>& StepHook() {
  static std::function<void(std::string_view, const fs::path&)> hook;
  return hook;
}

void Step(std::string_view what, const fs::path& target) {
  if (StepHook()) StepHook()(what, target);
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

}  // namespace

std::string ErrnoText(int err) {
  // The causes a user meets with stored files, in the program's language; the rest as the
  // system words them.
  static const struct {
    int err;
    const char* text;
  } kTexts[] = {
      {ENOENT, "ファイルまたはフォルダがありません"},
      {EACCES, "アクセスが許可されていません"},
      {EPERM, "操作が許可されていません"},
      {EROFS, "読み取り専用のドライブです"},
      {ENOSPC, "ディスクの空き容量が足りません"},
#ifdef EDQUOT
      {EDQUOT, "ディスクの使用量の上限を超えました"},
#endif
      {ENOTDIR, "途中の名前がフォルダではありません"},
      {EISDIR, "ファイルではなくフォルダです"},
      {EEXIST, "同じ名前のものがすでにあります"},
      {EIO, "入出力エラーが発生しました"},
      {ENAMETOOLONG, "名前が長すぎます"},
      {EMFILE, "開いているファイルが多すぎます"},
      {ENFILE, "開いているファイルが多すぎます"},
      {EBUSY, "ファイルが使用中です"},
  };
  for (const auto& t : kTexts)
    if (t.err == err) return Sj(t.text);
  return Utf8ToCp932Lossy(std::strerror(err));
}

Status FileFailure(const fs::path& p, const char* what_utf8, const std::string& reason) {
  return Status::IoError(Sj("「") + PathText(p) + Sj("」") + Sj(what_utf8) + Sj("：") + reason);
}

Status FileNotFound(const fs::path& p) { return Status::NotFound(Sj("「") + PathText(p) + Sj("」が見つかりません")); }

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string PathToUtf8(const fs::path& p) {
  const std::u8string u8 = p.u8string();
  return std::string(reinterpret_cast<const char*>(u8.data()), u8.size());
}

std::string PathText(const fs::path& p) { return Utf8ToCp932Lossy(PathToUtf8(p)); }

fs::path FsName(std::string_view cp932_name) { return PathFromUtf8(Cp932ToUtf8Lossy(cp932_name)); }

fs::path ChildPath(const fs::path& parent, std::string_view cp932_name) {
  fs::path name = FsName(cp932_name);
  fs::path exact = parent / name;
  std::error_code ec;
  if (fs::exists(exact, ec)) return os::OnDiskName(exact);
  const std::string want = PathToUtf8(name);
  for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsIgnoreAsciiCase(PathToUtf8(it->path().filename()), want)) return it->path();
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
  if (ec) return FileFailure(p, "を作れません", ErrnoText(ec.value()));
  return Status::Ok();
}

Result<std::string> ReadFile(const fs::path& p) {
  os::File f;
  if (Status s = os::File::OpenForReading(p, f); !s.ok()) return s;
  std::string out;
  if (Status s = f.ReadAll(out); !s.ok()) return s;
  return out;
}

Result<uint64_t> FileSize(const fs::path& p) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(p, ec);
  if (!ec) return static_cast<uint64_t>(size);
  if (ec == std::errc::no_such_file_or_directory) return FileNotFound(p);
  return FileFailure(p, "を調べられません", ErrnoText(ec.value()));
}

namespace {

Status ShortRead(const fs::path& p, uint64_t offset, size_t len, size_t got) {
  return Status::Corruption(Sj("「") + PathText(p) + Sj("」が途中で切れています（") + std::to_string(offset) +
                            Sj("バイト目から") + std::to_string(len) + Sj("バイトを読むところ、") +
                            std::to_string(got) + Sj("バイトしかありません）"));
}

}  // namespace

Result<std::string> ReadAt(const fs::path& p, uint64_t offset, size_t len) {
  os::File f;
  if (Status s = os::File::OpenForReading(p, f); !s.ok()) return s;
  std::string out(len, '\0');
  size_t got = 0;
  if (Status s = f.ReadAt(offset, out.data(), len, got); !s.ok()) return s;
  if (got < len) return ShortRead(p, offset, len, got);
  return out;
}

InputFile::InputFile() : file_(std::make_unique<os::File>()) {}
InputFile::~InputFile() = default;

Status InputFile::Open(const fs::path& p) {
  Close();
  path_ = p;
  Status s = os::File::OpenForReading(p, *file_);
  if (s.ok()) s = file_->Stamp(stamp_);
  if (!s.ok()) Close();
  return s;
}

void InputFile::Close() {
  *file_ = os::File();
  stamp_ = FileStamp();
}

bool InputFile::isOpen() const { return file_->isOpen(); }

Status InputFile::ReadAt(uint64_t offset, char* buf, size_t len, size_t& got) {
  got = 0;
  if (!file_->isOpen()) return FileFailure(path_, "を読めません", Sj("開いていません"));
  return file_->ReadAt(offset, buf, len, got);
}

Status InputFile::ReadFully(uint64_t offset, char* buf, size_t len) {
  size_t got = 0;
  if (Status s = ReadAt(offset, buf, len, got); !s.ok()) return s;
  return got < len ? ShortRead(path_, offset, len, got) : Status::Ok();
}

// Pieces of a file's bytes, in order, handed to a sink; `size` is their total.
using Sink = std::function<Status(std::string_view)>;
struct detail::FileContents {
  uint64_t size = 0;
  std::function<Status(const Sink&)> produce;
};
using Contents = detail::FileContents;

namespace {

// What a streaming batch drops from the cache once written.
constexpr size_t kLargeFile = size_t{1} << 20;

// A fresh name beside `p` that RemoveStaleTemporaries recognises by its writer's process id.
fs::path TempName(const fs::path& p) {
  static std::mt19937_64 rng{std::random_device{}()};
  fs::path tmp = p;
  tmp += ".tmp" + std::to_string(os::CurrentProcessId()) + "_" + std::to_string(rng() % 1000000000ULL);
  return tmp;
}

Contents BytesOf(std::string_view bytes) {
  return {bytes.size(), [bytes](const Sink& out) { return out(bytes); }};
}

// What the pieces of a file are gathered into before they are written: large enough that a file
// of many small pieces takes few writes, small beside the files it is used for.
constexpr size_t kWriteBuffer = size_t{1} << 20;

// Writes `c` to a fresh temporary file beside `p`; on success `f` is still open. Pieces of a
// buffer's size or more are written as they are, smaller ones gathered first.
Status WriteTemp(const fs::path& p, const Contents& c, fs::path& tmp, os::File& f) {
  tmp = TempName(p);
  Step("write", p);
  // Every message names the file the user knows, not the temporary one.
  if (Status s = os::File::CreateForWriting(tmp, f, p); !s.ok()) return s;
  auto give_up = [&](Status s) {
    f = os::File();
    os::RemoveFile(tmp);
    return s;
  };
  Status fault = WriteFault() ? WriteFault()(p) : Status::Ok();
  const uint64_t limit = fault.ok() ? c.size : c.size / 2;
  const size_t capacity = static_cast<size_t>(std::max<uint64_t>(1, std::min<uint64_t>(c.size, kWriteBuffer)));
  uint64_t taken = 0;
  std::string buffer;
  auto flush = [&] {
    Status s = f.Write(buffer);
    buffer.clear();
    return s;
  };
  Status s = c.produce([&](std::string_view piece) -> Status {
    if (taken + piece.size() > limit) piece = piece.substr(0, static_cast<size_t>(limit - taken));
    taken += piece.size();
    if (buffer.size() + piece.size() > capacity && !buffer.empty())
      if (Status w = flush(); !w.ok()) return w;
    if (piece.size() >= capacity) return f.Write(piece);
    if (buffer.capacity() < capacity) buffer.reserve(capacity);
    buffer.append(piece);
    return Status::Ok();
  });
  if (s.ok() && !buffer.empty()) s = flush();
  if (s.ok() && fault.ok() && taken != c.size)
    s = FileFailure(p, "に書き込めません", Sj("書く内容の大きさが合いません"));
  if (!s.ok()) return give_up(s);
  if (!fault.ok()) return give_up(FileFailure(p, "に書き込めません", fault.message()));
  return Status::Ok();
}

Status Rename(const fs::path& tmp, const fs::path& p) {
  Step("rename", p);
  Status s = os::Replace(tmp, p);
  if (!s.ok()) os::RemoveFile(tmp);
  return s;
}

}  // namespace

Status WriteFileAtomic(const fs::path& p, std::string_view bytes) {
  fs::path tmp;
  os::File f;
  Status s = WriteTemp(p, BytesOf(bytes), tmp, f);
  if (!s.ok()) return s;
  if (s = f.Sync(); s.ok()) s = f.Close();
  if (!s.ok()) {
    f = os::File();
    os::RemoveFile(tmp);
    return s;
  }
  return Rename(tmp, p);
}

Status WriteFileUnflushed(const fs::path& p, std::string_view bytes) {
  fs::path tmp;
  os::File f;
  Status s = WriteTemp(p, BytesOf(bytes), tmp, f);
  if (!s.ok()) return s;
  if (s = f.Close(); !s.ok()) {
    os::RemoveFile(tmp);
    return s;
  }
  return Rename(tmp, p);
}

Status FlushFileSystem(const fs::path& p) { return os::SyncFileSystem(p); }

AtomicWriteBatch::~AtomicWriteBatch() { Discard(committed_); }

void AtomicWriteBatch::Reset() {
  Discard(committed_);
  staged_.clear();
  committed_ = 0;
}

void AtomicWriteBatch::Discard(size_t from) {
  for (size_t i = from; i < staged_.size(); ++i) os::RemoveFile(staged_[i].tmp);
  staged_.resize(committed_);
}

Status AtomicWriteBatch::Stage(const fs::path& p, std::string_view bytes) { return StageContents(p, BytesOf(bytes)); }

Status AtomicWriteBatch::StageLines(const fs::path& p, const std::vector<std::string>& lines) {
  Contents c;
  for (const auto& l : lines) c.size += l.size() + 2;
  c.produce = [&lines](const Sink& out) {
    for (const auto& l : lines) {
      if (Status s = out(l); !s.ok()) return s;
      if (Status s = out("\r\n"); !s.ok()) return s;
    }
    return Status::Ok();
  };
  return StageContents(p, c);
}

Status AtomicWriteBatch::StageContents(const fs::path& p, const Contents& c) {
  File f{p, {}};
  os::File out;
  Status s = WriteTemp(p, c, f.tmp, out);
  if (!s.ok()) return s;
  // Start writing it out now, while the next file is being prepared.
  out.StartWriteBack();
  // Closing reports what a delayed write could not store (quota, NFS): such a file is not kept.
  if (s = out.Close(); !s.ok()) {
    os::RemoveFile(f.tmp);
    return s;
  }
  f.size = c.size;
  staged_.push_back(std::move(f));
  if (streaming_) {
    // The one before has had the time this file took to reach the disk. Waiting for small files
    // would cost more than the memory they hold.
    for (size_t i = staged_.size() - 1; i-- > committed_;) {
      if (staged_[i].linked) continue;
      if (staged_[i].size >= kLargeFile) Settle(i);
      break;
    }
  }
  return Status::Ok();
}

Status AtomicWriteBatch::StageSame(const fs::path& p, size_t source, bool* linked) {
  if (linked) *linked = false;
  if (source < committed_ || source >= staged_.size())
    return Status::InvalidArgument("no staged file " + std::to_string(source) + " to share with " + PathText(p));
  File f{p, TempName(p), true, staged_[source].size};
  Step("link", p);
  const bool refused = LinkRefused() && LinkRefused()(p);
  if (!refused && os::HardLink(staged_[source].tmp, f.tmp)) {
    staged_.push_back(std::move(f));
    if (linked) *linked = true;
    return Status::Ok();
  }
  // A copy, read back from the source's temporary file a buffer at a time.
  const fs::path from = staged_[source].tmp;
  Contents c;
  c.size = staged_[source].size;
  c.produce = [&from, size = c.size](const Sink& out) {
    InputFile in;
    if (Status s = in.Open(from); !s.ok()) return s;
    std::string chunk(static_cast<size_t>(std::min<uint64_t>(size, kWriteBuffer)), '\0');
    for (uint64_t at = 0; at < size;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(size - at, chunk.size()));
      if (Status s = in.ReadFully(at, chunk.data(), n); !s.ok()) return s;
      if (Status s = out(std::string_view(chunk.data(), n)); !s.ok()) return s;
      at += n;
    }
    return Status::Ok();
  };
  return StageContents(p, c);
}

Result<FileStamp> AtomicWriteBatch::StagedStamp(size_t i) const {
  if (i < committed_ || i >= staged_.size()) return Status::InvalidArgument("no staged file " + std::to_string(i));
  os::File f;
  if (Status s = os::File::OpenForReading(staged_[i].tmp, f); !s.ok()) return s;
  FileStamp stamp;
  if (Status s = f.Stamp(stamp); !s.ok()) return s;
  return stamp;
}

void AtomicWriteBatch::Settle(size_t i) {
  os::File f;
  if (os::File::OpenForReading(staged_[i].tmp, f).ok()) f.DropFromCache();  // Commit reports what is wrong
}

Status AtomicWriteBatch::Commit() {
  // Every temporary file's bytes reach the disk before any target is replaced. A linked file is
  // the same file as its source.
  for (size_t i = committed_; i < staged_.size(); ++i) {
    if (staged_[i].linked) continue;
    os::File f;
    Status s = os::File::OpenForSync(staged_[i].tmp, f);
    if (s.ok()) s = f.Sync();
    if (!s.ok()) {
      Discard(committed_);
      return FileFailure(staged_[i].target, "をディスクに書き出せません", s.message());
    }
    if (streaming_ && staged_[i].size >= kLargeFile) f.DropFromCache();
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
  for (const auto& dir : folders) os::SyncFolder(dir);
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

Status CheckFolderWritable(const fs::path& dir) {
  // A name RemoveStaleTemporaries takes for a temporary file, should this process die right here.
  const fs::path probe = TempName(dir / ".zelkova-write-check");
  os::File f;
  if (Status s = os::File::CreateForWriting(probe, f, dir); !s.ok()) return s;
  Status s = f.Close();
  os::RemoveFile(probe);
  return s;
}

ExclusiveLock::ExclusiveLock() : lock_(std::make_unique<os::FileLock>()) {}
ExclusiveLock::~ExclusiveLock() = default;

Status ExclusiveLock::Take(const fs::path& p, std::string_view holder, std::string* heldBy) {
  if (heldBy) heldBy->clear();
  bool busy = false;
  Status s = lock_->TryLock(p, &busy);
  if (busy) {
    if (auto text = ReadFile(p); text.ok() && heldBy) *heldBy = *text;
    return Status::Busy(PathText(p));
  }
  if (!s.ok()) return s;
  if (s = lock_->Write(holder); !s.ok()) lock_->Unlock();
  return s;
}

void ExclusiveLock::Release() { lock_->Unlock(); }
bool ExclusiveLock::held() const { return lock_->locked(); }

bool ProcessRuns(long pid) { return os::ProcessRuns(pid); }

long CurrentProcessId() { return os::CurrentProcessId(); }

int RemoveStaleTemporaries(const fs::path& root) {
  int removed = 0;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const long pid = TemporaryOwner(PathToUtf8(it->path().filename()));
    if (pid <= 0 || pid == os::CurrentProcessId()) continue;
    if (os::ProcessRuns(pid)) continue;  // its writer may still rename it
    std::error_code removeError;
    if (fs::remove(it->path(), removeError)) ++removed;
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

void SetLinkRefusedForTesting(std::function<bool(const fs::path&)> refused) { LinkRefused() = std::move(refused); }

void SetWriteStepHookForTesting(std::function<void(std::string_view, const fs::path&)> hook) {
  StepHook() = std::move(hook);
}

}  // namespace zelkova
