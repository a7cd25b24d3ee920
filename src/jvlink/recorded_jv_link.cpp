#include "jvlink/recorded_jv_link.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

#include "base/cp932.h"
#include "base/file_io.h"
#include "records/record.h"

namespace zelkova {
namespace fs = std::filesystem;

namespace {

constexpr const char* kCacheIndexName = "downloaded.idx";
constexpr size_t kChunk = size_t{1} << 20;
// inject.txt and version.txt are a few lines; anything larger is not one of them.
constexpr uint64_t kMaxSmallFile = 64 * 1024;

// Record kinds whose fixed length is known; any other kind only has to end with CR LF.
size_t KnownRecordLength(std::string_view kind) {
  static const std::pair<std::string_view, size_t> kLengths[] = {
      {"RA", kLenRA}, {"SE", kLenSE}, {"HR", kLenHR}, {"WH", kLenWH}, {"O1", kLenO1},
      {"O2", kLenO2}, {"UM", kLenUM}, {"KS", kLenKS}, {"CH", kLenCH}, {"WE", 42},
      {"AV", 78},     {"JC", 161},    {"TC", 45},     {"CC", 50}};
  for (const auto& [k, len] : kLengths)
    if (k == kind) return len;
  return 0;
}

bool IsAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsDigits(std::string_view s, size_t n) { return s.size() == n && IsAllDigits(s); }

int Num(std::string_view s, size_t pos, size_t len) { return static_cast<int>(ParseInt(s.substr(pos, len), -1)); }

// "yyyymmddhhnnss" naming a real moment of the calendar.
bool IsValidDateTime(std::string_view t) {
  if (!IsDigits(t, 14)) return false;
  const int y = Num(t, 0, 4), mo = Num(t, 4, 2), d = Num(t, 6, 2);
  const int h = Num(t, 8, 2), mi = Num(t, 10, 2), s = Num(t, 12, 2);
  if (mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[mo - 1] + ((mo == 2 && leap) ? 1 : 0);
}

// "{14 digits}_{name}" with a plain JV-Link file name; sets the two parts.
bool ParseStoredName(const std::string& file, std::string& stamp, std::string& name) {
  if (file.size() < 16 || file.size() > 200 || file[14] != '_') return false;
  stamp = file.substr(0, 14);
  name = file.substr(15);
  if (!IsAllDigits(stamp) || name == "." || name == "..") return false;
  for (char c : name)
    if (!IsAlnum(c) && c != '.' && c != '_' && c != '-') return false;
  return true;
}

std::string NowMinute(const Clock& clock) {
  LocalTime t = clock.now();
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
  return buf;
}

// One of the feed's small text files; NotFound when absent.
Result<std::string> ReadSmallFile(const fs::path& p) {
  auto size = FileSize(p);
  if (!size.ok()) return size.status();
  if (*size > kMaxSmallFile)
    return Status::InvalidArgument(Sj("「") + PathText(p) + Sj("」が大きすぎます（") + std::to_string(*size) +
                                   Sj("バイト）"));
  return ReadFile(p);
}

bool IsPlainFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(p, ec));
}

}  // namespace

Status CheckFeedFolder(const fs::path& feedDir) {
  std::error_code ec;
  const auto st = fs::status(feedDir, ec);
  if (!fs::exists(st))
    return Status::NotFound(Sj("フィードフォルダ「") + PathText(feedDir) + Sj("」がありません。"));
  if (!fs::is_directory(st))
    return Status::InvalidArgument(Sj("「") + PathText(feedDir) +
                                   Sj("」はフォルダではありません。フィードフォルダを指定してください。"));
  if (!DirExists(ChildPath(feedDir, "stored")) && !DirExists(ChildPath(feedDir, "realtime")))
    return Status::InvalidArgument(Sj("フォルダ「") + PathText(feedDir) +
                                   Sj("」はJV-Dataのフィードフォルダではありません（stored も realtime もありません）。"));
  return Status::Ok();
}

// Hands out the CR LF records of one feed file, reading it in chunks.
class RecordedJvLink::Reader {
 public:
  enum class Next { kRecord, kEnd, kFailed };

  explicit Reader(fs::path p) : path_(std::move(p)) {}

  // kFailed sets `code` (a JVRead error) and `why`.
  Next next(std::string& rec, int& code, std::string& why) {
    if (!in_.isOpen()) {
      if (Status s = in_.Open(path_); !s.ok()) return fail(s.isNotFound() ? -503 : -502, s.message(), code, why);
      size_ = in_.size();
      // What is left of a chunk is never more than a record: one buffer serves the whole file.
      capacity_ = static_cast<size_t>(std::min<uint64_t>(size_, kChunk)) + kMaxRecord;
      buf_ = std::make_unique_for_overwrite<char[]>(capacity_);
    }
    for (;;) {
      const std::string_view held(buf_.get(), end_);
      const size_t crlf = held.find("\r\n", pos_);
      if (crlf != std::string_view::npos) {
        const uint64_t offset = filePos_ - (end_ - pos_);
        const size_t len = crlf + 2 - pos_;
        // Whether the line is refused cannot depend on where the buffer happened to be refilled.
        if (len > kMaxRecord)
          return fail(-403, Sj("1行が") + std::to_string(len) + Sj("バイトあり、") + std::to_string(kMaxRecord) +
                                Sj("バイトを超えています"),
                      code, why, offset);
        rec.assign(held.substr(pos_, len));
        pos_ = crlf + 2;
        return check(rec, offset, code, why);
      }
      const size_t left = end_ - pos_;
      const uint64_t offset = filePos_ - left;
      if (left > kMaxRecord)
        return fail(-403, std::to_string(kMaxRecord) + Sj("バイト以内に行末（CR LF）がありません"), code, why, offset);
      if (filePos_ >= size_) {
        if (left == 0) return Next::kEnd;
        return fail(-403, Sj("最後のレコード（") + std::to_string(left) + Sj("バイト）に行末（CR LF）がありません"), code,
                    why, offset);
      }
      // The rest of the buffer moves to its front and the next chunk is read in after it.
      std::memmove(buf_.get(), buf_.get() + pos_, left);
      pos_ = 0;
      end_ = left;
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, size_ - filePos_));
      if (Status s = in_.ReadFully(filePos_, buf_.get() + left, want); !s.ok()) {
        // A file that shrank under us reads short: its size is no longer what was listed.
        return fail(s.isCorruption() ? -402 : -502, s.message(), code, why);
      }
      end_ += want;
      filePos_ += want;
    }
  }

 private:
  Next check(const std::string& rec, uint64_t offset, int& code, std::string& why) {
    if (rec.size() < 3) return fail(-403, Sj("空の行です"), code, why, offset);
    const size_t want = KnownRecordLength(std::string_view(rec).substr(0, 2));
    if (want != 0 && rec.size() != want) {
      return fail(-403,
                  Sj("レコード") + rec.substr(0, 2) + Sj("が") + std::to_string(rec.size()) + Sj("バイトです（") +
                      std::to_string(want) + Sj("バイトのはず）"),
                  code, why, offset);
    }
    // JV-Link hands out text converted from Unicode, so a record is always valid Shift-JIS;
    // bytes that are not would reach every stored file and display.
    if (!IsValidCp932(rec)) return fail(-403, Sj("Shift-JIS（CP932）でない文字を含みます"), code, why, offset);
    return Next::kRecord;
  }

  Next fail(int c, const std::string& text, int& code, std::string& why, uint64_t offset = UINT64_MAX) {
    code = c;
    why = Sj("「") + PathText(path_) + Sj("」");
    if (offset != UINT64_MAX) why += Sj("の") + std::to_string(offset) + Sj("バイト目");
    why += Sj("：") + text;
    return Next::kFailed;
  }

  fs::path path_;
  InputFile in_;  // open from the first record to the end of the file
  uint64_t size_ = 0;
  uint64_t filePos_ = 0;  // file offset just past what the buffer holds
  std::unique_ptr<char[]> buf_;
  size_t capacity_ = 0, end_ = 0;  // its size, and how much of it holds the file
  size_t pos_ = 0;                 // where the next record starts in it
};

RecordedJvLink::RecordedJvLink(fs::path feedDir, fs::path cacheDir, const Clock& clock)
    : feedDir_(std::move(feedDir)), cacheDir_(std::move(cacheDir)), clock_(clock) {
  if (!cacheDir_.empty()) RemoveStaleTemporaries(cacheDir_);  // left by a process that was killed
  loadInjectFile();
}

RecordedJvLink::~RecordedJvLink() = default;

void RecordedJvLink::setFeedFolder(fs::path feedDir) {
  feedDir_ = std::move(feedDir);
  injections_.clear();
  loadInjectFile();
}

void RecordedJvLink::inject(const std::string& operation, int code, int afterCalls) {
  injections_[operation].push_back({code, calls_[operation] + static_cast<uint64_t>(std::max(afterCalls, 0)) + 1});
}

bool RecordedJvLink::consumeInjection(const char* operation, int& code) {
  const uint64_t n = ++calls_[operation];
  auto it = injections_.find(operation);
  if (it == injections_.end()) return false;
  auto& list = it->second;
  for (auto i = list.begin(); i != list.end(); ++i) {
    if (i->atCall == n) {
      code = i->code;
      list.erase(i);
      lastProblem_ = std::string("injected ") + operation + " " + std::to_string(code);
      return true;
    }
  }
  return false;
}

// "{operation} {code} [after {n}]" per line; a malformed line is skipped.
void RecordedJvLink::loadInjectFile() {
  auto text = ReadSmallFile(ChildPath(feedDir_, "inject.txt"));
  if (!text.ok()) {
    if (!text.status().isNotFound()) lastProblem_ = Sj("inject.txt を無視しました：") + text.status().message();
    return;
  }
  static const std::set<std::string, std::less<>> kOps = {"JVInit",   "JVSetUIProperties", "JVOpen",
                                                          "JVRTOpen", "JVStatus",          "JVRead",
                                                          "JVClose",  "JVMVCheck",         "JVMVPlay"};
  int lineNo = 0;
  for (const std::string& line : SplitLines(*text)) {
    ++lineNo;
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      size_t j = i;
      while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
      if (j > i) words.push_back(line.substr(i, j - i));
      i = j;
    }
    if (words.empty() || words[0][0] == '#') continue;
    constexpr long long kBad = 1LL << 40;
    const long long code = words.size() >= 2 ? ParseInt(words[1], kBad) : kBad;
    long long after = 0;
    bool ok = kOps.count(words[0]) && code > -100000 && code < 100000 &&
              (words.size() == 2 || words.size() == 4);
    if (ok && words.size() == 4) {
      after = ParseInt(words[3], -1);
      ok = words[2] == "after" && IsAllDigits(words[3]) && after >= 0 && after < (1LL << 31);
    }
    if (!ok) {
      lastProblem_ = Sj("inject.txt の") + std::to_string(lineNo) + Sj("行目を無視しました：") + line;
      continue;
    }
    inject(words[0], static_cast<int>(code), static_cast<int>(after));
  }
}

std::string RecordedJvLink::feedProblem(const Status& s) const {
  if (chooser_ == nullptr) return s.message();
  return s.message() + Sj("「JVLink設定」でフィードフォルダを選んでください。");
}

bool RecordedJvLink::insideFeed(const fs::path& p) const {
  std::error_code ec;
  const fs::path root = fs::canonical(feedDir_, ec);
  if (ec) return false;
  const fs::path real = fs::canonical(p, ec);
  if (ec) return false;
  auto [r, q] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return r == root.end();
}

fs::path RecordedJvLink::cacheIndexPath() const { return cacheDir_ / kCacheIndexName; }

void RecordedJvLink::closeCycle() {
  if (pendingDone_ > 0 && pendingDone_ < pending_.size()) {
    const Status st = saveCacheIndex();
    if (!st.ok()) lastProblem_ = Sj("ダウンロードの記録を保存できません。") + st.message();
  }
  cycle_ = Cycle::kClosed;
  cancelled_ = false;
  sources_.clear();
  pending_.clear();
  pendingDone_ = 0;
  current_ = 0;
  boundaryDue_ = false;
  reader_.reset();
}

int RecordedJvLink::JVInit(const std::string& sid) {
  int code;
  if (consumeInjection("JVInit", code)) {
    initialized_ = code == 0;
    return code;
  }
  if (sid.empty()) code = -101;
  else if (sid.size() >= 64) code = -102;
  else if (sid[0] == ' ') code = -103;
  else code = 0;
  initialized_ = code == 0;
  return code;
}

int RecordedJvLink::JVSetUIProperties() {
  lastProblem_.clear();
  int code;
  if (consumeInjection("JVSetUIProperties", code)) return code;
  if (chooser_ == nullptr) return 0;
  std::string chosen;
  // Closing the dialog without a choice is not an error: the old folder stays.
  if (!chooser_->choose(Sj("JV-Dataフィードフォルダの選択"), PathToUtf8(feedDir_), chosen)) return 0;
  const fs::path folder = PathFromUtf8(chosen);
  if (Status st = CheckFeedFolder(folder); chosen.empty() || !st.ok()) {
    lastProblem_ = st.message();
    return -100;
  }
  setFeedFolder(folder);
  return 0;
}

int RecordedJvLink::JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount,
                           int& downloadcount, std::string& lastfiletimestamp) {
  lastProblem_.clear();
  readcount = 0;
  downloadcount = 0;
  lastfiletimestamp.clear();
  int code;
  if (consumeInjection("JVOpen", code)) return code;
  if (!initialized_) return -201;
  if (cycle_ != Cycle::kClosed) return -202;
  if (dataspec.empty() || dataspec.size() % 4 != 0 || !std::all_of(dataspec.begin(), dataspec.end(), IsAlnum))
    return -111;
  if (!IsValidDateTime(fromdate)) return -112;
  if (option < 1 || option > 4) return -115;
  std::vector<std::string> ids;
  for (size_t i = 0; i < dataspec.size(); i += 4) {
    std::string id = dataspec.substr(i, 4);
    std::transform(id.begin(), id.end(), id.begin(), Upper);
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  // "This week" data exists only for these specs.
  if (option == 2) {
    for (const std::string& id : ids)
      if (id != "TOKU" && id != "RACE" && id != "TCVN" && id != "RCVN") return -116;
  }
  if (Status st = CheckFeedFolder(feedDir_); !st.ok()) {
    lastProblem_ = feedProblem(st);
    return -401;
  }

  struct Found {
    std::string stamp, name, id, file;
    fs::path path;
  };
  std::vector<Found> found;
  const fs::path stored = ChildPath(feedDir_, "stored");
  for (const std::string& id : ids) {
    const fs::path dir = ChildPath(stored, id);
    if (!DirExists(dir)) continue;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string file = PathToUtf8(it->path().filename());
      Found f;
      if (!ParseStoredName(file, f.stamp, f.name) || f.stamp <= fromdate) continue;
      if (!IsPlainFile(it->path()) || !insideFeed(it->path())) {
        lastProblem_ = Sj("通常のファイルでないか、フィードの外にあるため読み飛ばしました：") + PathText(it->path());
        continue;
      }
      f.id = id;
      f.file = file;
      f.path = it->path();
      found.push_back(std::move(f));
    }
    if (ec) {
      // Serving the rest would let the caller remember a time past files it never saw.
      lastProblem_ = Sj("「") + PathText(dir) + Sj("」の中を読めません：") + ErrnoText(ec.value());
      return -401;
    }
  }
  if (found.empty()) return -1;
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return std::tie(a.stamp, a.name, a.id) < std::tie(b.stamp, b.name, b.id);
  });

  cacheIndex_.clear();
  if (!cacheDir_.empty()) {
    auto index = ReadFile(cacheIndexPath());
    if (index.ok()) cacheIndex_ = SplitLines(*index);
  }
  const std::set<std::string> cached(cacheIndex_.begin(), cacheIndex_.end());

  closeCycle();
  for (Found& f : found) {
    Source s;
    s.path = std::move(f.path);
    s.name = f.name;
    s.cacheKey = f.id + "/" + f.file;
    s.present = cached.count(s.cacheKey) > 0;
    if (!s.present) pending_.push_back(sources_.size());
    sources_.push_back(std::move(s));
  }
  cycle_ = Cycle::kStored;
  readcount = static_cast<int>(sources_.size());
  downloadcount = static_cast<int>(pending_.size());
  lastfiletimestamp = found.back().stamp;
  return 0;
}

int RecordedJvLink::JVRTOpen(const std::string& dataspec, const std::string& key) {
  lastProblem_.clear();
  int code;
  if (consumeInjection("JVRTOpen", code)) return code;
  if (!initialized_) return -201;
  if (cycle_ != Cycle::kClosed) return -202;
  size_t keyLength;
  if (dataspec == "0B30") keyLength = 16;
  else if (dataspec == "0B11" || dataspec == "0B12" || dataspec == "0B14") keyLength = 8;
  else return -111;
  if (!IsDigits(key, keyLength)) return -114;
  if (Status st = CheckFeedFolder(feedDir_); !st.ok()) {
    lastProblem_ = feedProblem(st);
    return -401;
  }
  const fs::path dir = ChildPath(ChildPath(ChildPath(feedDir_, "realtime"), dataspec), key);
  if (!DirExists(dir)) return -1;  // nothing announced for this key
  const std::string now = NowMinute(clock_);
  std::vector<std::pair<std::string, fs::path>> batches;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = PathToUtf8(it->path().filename());
    if (file.size() != 16 || file.compare(12, 4, ".txt") != 0 || !IsAllDigits(file.substr(0, 12))) continue;
    if (file.substr(0, 12) > now) continue;  // not released yet
    if (!IsPlainFile(it->path()) || !insideFeed(it->path())) {
      lastProblem_ = Sj("通常のファイルでないか、フィードの外にあるため読み飛ばしました：") + PathText(it->path());
      continue;
    }
    batches.emplace_back(file, it->path());
  }
  if (ec) {
    lastProblem_ = Sj("「") + PathText(dir) + Sj("」の中を読めません：") + ErrnoText(ec.value());
    return -401;
  }
  if (batches.empty()) return -1;
  std::sort(batches.begin(), batches.end());
  // Odds are a snapshot: only the newest released batch counts.
  if (dataspec == "0B30") batches.erase(batches.begin(), batches.end() - 1);
  closeCycle();
  for (auto& [file, path] : batches) sources_.push_back(Source{path, file, {}, true});
  cycle_ = Cycle::kRealtime;
  return 0;
}

Status RecordedJvLink::saveCacheIndex() {
  if (cacheDir_.empty()) return Status::Ok();
  Status st = EnsureDir(cacheDir_);
  if (st.ok()) st = WriteFileAtomic(cacheIndexPath(), JoinLinesCrLf(cacheIndex_));
  return st;
}

int RecordedJvLink::stepDownload() {
  if (pendingDone_ >= pending_.size()) return 0;
  Source& s = sources_[pending_[pendingDone_]];
  cacheIndex_.push_back(s.cacheKey);
  s.present = true;
  ++pendingDone_;
  // The index is written once per download phase (and at a close that cuts it short): it only
  // spares later downloads, so a lost update costs time, never data.
  if (pendingDone_ == pending_.size()) {
    const Status st = saveCacheIndex();
    if (!st.ok()) {
      cacheIndex_.pop_back();
      s.present = false;
      --pendingDone_;
      lastProblem_ = Sj("ダウンロードの記録を保存できません。") + st.message();
      return -502;
    }
  }
  return 0;
}

int RecordedJvLink::JVStatus() {
  lastProblem_.clear();
  int code;
  if (consumeInjection("JVStatus", code)) return code;
  if (!initialized_) return -201;
  if (cycle_ == Cycle::kClosed) return -203;
  if (!cancelled_) {
    const int r = stepDownload();
    if (r < 0) return r;
  }
  return static_cast<int>(pendingDone_);
}

int RecordedJvLink::JVRead(std::string& buff, int& size, std::string& filename) {
  lastProblem_.clear();
  int code;
  if (consumeInjection("JVRead", code)) return code;
  if (!initialized_) return -201;
  if (cycle_ == Cycle::kClosed) return -203;
  if (boundaryDue_) {
    boundaryDue_ = false;
    return -1;
  }
  if (current_ >= sources_.size()) return 0;
  Source& s = sources_[current_];
  if (!s.present) {
    if (cancelled_) {
      lastProblem_ = Sj("ダウンロードが中止されたため「") + s.name + Sj("」がありません");
      return -502;
    }
    // The download goes on in the background while the caller waits, as JV-Link's does.
    const int r = stepDownload();
    return r < 0 ? r : -3;
  }
  if (!reader_) reader_ = std::make_unique<Reader>(s.path);
  filename = s.name;
  std::string why;
  switch (reader_->next(buff, code, why)) {
    case Reader::Next::kRecord:
      size = static_cast<int>(buff.size());
      return size;
    case Reader::Next::kEnd:
      reader_.reset();
      ++current_;
      return -1;
    case Reader::Next::kFailed:
      break;
  }
  // What was whole has been served; the rest of this file is given up.
  buff.clear();
  size = 0;
  lastProblem_ = why;
  reader_.reset();
  ++current_;
  boundaryDue_ = true;
  return code;
}

void RecordedJvLink::JVCancel() {
  if (cycle_ == Cycle::kStored) cancelled_ = true;
}

int RecordedJvLink::JVClose() {
  int code = 0;
  consumeInjection("JVClose", code);
  closeCycle();  // an injected failure still ends the cycle, so the next open is not stuck
  return code;
}

int RecordedJvLink::JVMVCheck(const std::string& key) {
  int code;
  if (consumeInjection("JVMVCheck", code)) return code;
  if (!initialized_) return -201;
  if (!IsDigits(key, 12)) return -114;
  const fs::path p = ChildPath(ChildPath(feedDir_, "video"), key);
  return IsPlainFile(p) && insideFeed(p) ? 1 : 0;
}

int RecordedJvLink::JVMVPlay(const std::string& key) {
  int code;
  if (consumeInjection("JVMVPlay", code)) return code;
  if (!initialized_) return -201;
  if (!IsDigits(key, 12)) return -114;
  const fs::path p = ChildPath(ChildPath(feedDir_, "video"), key);
  if (!IsPlainFile(p) || !insideFeed(p)) return -1;
  lastPlayed_ = key;
  return 0;
}

std::string RecordedJvLink::version() {
  lastProblem_.clear();
  auto text = ReadSmallFile(ChildPath(feedDir_, "version.txt"));
  if (text.ok()) {
    std::string_view v = TrimBlanks(*text);
    if (IsDigits(v, 4)) return std::string(v);
    lastProblem_ = Sj("version.txt が4桁の数字ではありません");
  } else if (!text.status().isNotFound()) {
    lastProblem_ = Sj("version.txt を無視しました：") + text.status().message();
  }
  return "0490";
}

}  // namespace zelkova
