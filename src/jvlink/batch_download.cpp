#include "jvlink/batch_download.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "settings/program_folder.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/jv_link.h"
#include "jvlink/jv_message.h"
#include "store/master_index.h"
#include "store/stored_paths.h"
#include "records/code_tables.h"
#include "records/record.h"


namespace zelkova {

namespace {

// Texts of the window, converted once.
struct Texts {
  std::string startInfo = Sj(
      "データ取込を開始します。データ作成が終了するまで本ソフトを操作したり他のアプリケーションを操作することは極力避"
      "けてください。");
  std::string noNewData = Sj("最新のデータがありません。");
  std::string openError = Sj("JVOpenエラー:");
  std::string openOk = Sj("JVOpen正常:");
  std::string downloading = Sj("ダウンロード中・・・");
  std::string downloadingN = Sj("ダウンロード中．．．(");
  std::string statusError = Sj("JVStatusエラー:");
  std::string cancelConfirm = Sj("データ取込を中止します。実行しますか？");
  std::string cancelled = Sj("JVCancel:キャンセルされました");
  std::string closeError = Sj("JVCloseエラー:");
  std::string reading = Sj("データ読込み中．．．(");
  std::string readError = Sj("JVReadエラー:");
  std::string readDone = Sj("データ読込み完了(");
  std::string made = Sj("作成済み:");
  std::string ban = Sj("番/");
  std::string uiError = Sj("JVSetUIPropertiesエラー：");
  std::string writeFailed = Sj("ファイルを保存できませんでした：");
  std::string unreadable = Sj("保存ファイルの行の長さが正しくないため更新しませんでした：");
  std::string settingsFailed = Sj("設定を保存できませんでした：");
  std::string stoppedAt = Sj("フィードファイル「");
  std::string recordNo = Sj("」の");
  std::string stoppedRecord = Sj("件目のレコードで読込みが止まりました。");
  std::string savedNone = Sj("保存したファイルはありません。");
  std::string savedFiles = Sj("個のファイルに保存しました（取り込んだ記録");
  std::string savedLines = Sj("件）。");
  std::string savedBefore = Sj("ここまでに");
  std::string nothingNew = Sj("新しいデータはありませんでした（取り込んだ記録はすべて保存済みのものと同じです）。");
  std::string mastersRewritten = Sj("馬・騎手・調教師のマスタのファイル");
  std::string mastersRewritten2 = Sj("個は書き直しました。");
  std::string busy = Sj("別のダウンロード");
  std::string busy2 = Sj("がこのプログラムフォルダに取り込んでいます。終わってから始めてください。");
  std::string process = Sj("、プロセス番号 "), since = Sj("、"), since2 = Sj(" 開始");
};

const Texts& T() {
  static const Texts t;
  return t;
}

long long DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = static_cast<unsigned>((153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1);
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
  return days[m - 1];
}

}  // namespace

std::optional<LocalTime> ParseDateTime(const std::string& text) {
  int v[6] = {0, 0, 0, 0, 0, 0};
  size_t i = 0, field = 0;
  std::string s(TrimBlanks(text));
  const char seps[] = {'/', '/', ' ', ':', ':'};
  while (field < 6) {
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < 4) v[field] = v[field] * 10 + (s[i++] - '0');
    if (i == start) return std::nullopt;
    ++field;
    if (i == s.size()) break;
    if (field == 6 || s[i] != seps[field - 1]) return std::nullopt;
    ++i;
  }
  if (i != s.size() || (field != 3 && field != 5 && field != 6)) return std::nullopt;
  LocalTime t{v[0], v[1], v[2], v[3], v[4], v[5]};
  if (t.year < 1900 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59)
    return std::nullopt;
  return t;
}

LocalTime AddDays(const LocalTime& t, int days) {
  LocalTime out = t;
  CivilFromDays(DaysFromCivil(t.year, t.month, t.day) + days, out.year, out.month, out.day);
  return out;
}

BatchDownload::BatchDownload(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                             TIniGT& ini, BatchView* view, Options options)
    : folder_(std::move(programFolder)),
      jv_(jv),
      prompts_(prompts),
      clock_(clock),
      ini_(ini),
      view_(view),
      options_(std::move(options)),
      cache_(options_.mode) {}

BatchDownload::BatchDownload(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                             TIniGT& ini, BatchView* view)
    : BatchDownload(std::move(programFolder), jv, prompts, clock, ini, view, Options{}) {}

void BatchDownload::logError(const std::string& text, bool shown) {
  // One line per entry in the log; a log that cannot be written must not stop the download.
  std::string line = text;
  for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, " ");
  (void)AppendErrorLog(folder_, clock_, line);
  if (options_.onError && !shown) options_.onError(text);
}

std::string BatchDownload::jvError(const std::string& prefix, const char* operation, int code) const {
  std::string text = prefix + JvMessage(operation, code);
  const std::string why = jv_.lastProblem();
  if (!why.empty()) text += "\r\n" + why;
  return text;
}

std::string BatchDownload::savedText() const {
  if (filesSaved() == 0) return T().savedNone;
  return std::to_string(filesSaved()) + T().savedFiles + std::to_string(linesSaved()) + T().savedLines;
}

std::string BatchDownload::doneText() const {
  // The master files of the coming days are written whole at every download; they are not news.
  if (cache_.filesSaved() > 0 || !oddsFilesSaved_.empty()) return savedText();
  std::string text = T().nothingNew;
  if (mastersSaved_ > 0) text += T().mastersRewritten + std::to_string(mastersSaved_) + T().mastersRewritten2;
  return text;
}

std::filesystem::path DownloadLockPath(const std::filesystem::path& programFolder) {
  return ChildPath(programFolder, "download.lock");
}

bool BatchDownload::takeLock() {
  // Who holds it, for the one refused: program, process and the time it began.
  const std::string holder =
      Utf8ToCp932Lossy(ExecutableName()) + "\t" + std::to_string(CurrentProcessId()) + "\t" + FormatDateTime(clock_.now());
  std::string heldBy;
  Status s = lock_.Take(DownloadLockPath(folder_), holder, &heldBy);
  if (s.ok()) return true;
  if (s.isBusy()) {
    // "program<TAB>process<TAB>time", as takeLock wrote it; anything else names no one.
    std::vector<std::string> parts;
    const std::vector<std::string> lines = SplitLines(heldBy);
    for (size_t at = 0; !lines.empty() && at <= lines[0].size();) {
      const size_t tab = std::min(lines[0].find('\t', at), lines[0].size());
      parts.push_back(lines[0].substr(at, tab - at));
      at = tab + 1;
    }
    std::string who;
    if (parts.size() == 3 && !parts[0].empty())
      who = Sj("（") + parts[0] + T().process + parts[1] + T().since + parts[2] + T().since2 + Sj("）");
    s = Status::Busy(T().busy + who + T().busy2);
  }
  prompts_.beep();
  prompts_.information(s.message());
  outcome_ = s;
  return false;
}

void BatchDownload::setLabel(const std::string& text) {
  label_ = text;
  if (view_) view_->progressLabel(text);
}

void BatchDownload::setTimer(bool on) {
  timerOn_ = on;
  if (view_) view_->timerRunning(on);
}

void BatchDownload::addList(const std::string& line) {
  list_.push_back(line);
  if (view_) view_->listAdd(line);
}

void BatchDownload::FormCreate() {
  const std::string def = FormatDateTime(AddDays(clock_.now(), -8));
  auto t = ParseDateTime(ini_.ReadString("JvDataGet", "LastTime", def));
  // A damaged setting falls back to the default instead of stopping the window.
  fromTime_ = t ? *t : *ParseDateTime(def);
  if (view_) view_->fromTimeShown(fromTime_);
}

int BatchDownload::SpeedButton1Click() {
  int r = jv_.JVSetUIProperties();
  if (r != 0) {
    prompts_.beep();
    prompts_.information(jvError(T().uiError, "JVSetUIProperties", r));
  }
  return r;
}

void BatchDownload::ButtonStartClick() {
  // The window disables the button while it works; a click that still arrives is not a second run.
  if (phase_ != Phase::kIdle) return;
  IdleUnlock unlock{*this};
  // One download at a time per program folder, whichever program runs it.
  outcome_ = Status::Ok();
  if (!takeLock()) return;
  if (options_.startNotice) prompts_.information(T().startInfo);
  setTimer(false);
  cancelFlag_ = false;
  if (view_) {
    view_->progress1(0, 100);
    view_->progress2(0, 100);
    view_->listClear();
  }
  list_.clear();
  datesMade_.clear();
  outcome_ = Status::Ok();
  storeError_ = Status::Ok();
  skipped_ = 0;
  reportedFiles_.clear();
  // Counts start again with each run; the cache itself is new per window.
  cache_ = StoreCache(options_.mode);
  mastersSaved_ = 0;
  pendingOdds_.clear();
  oddsLinesSaved_ = 0;
  oddsFilesSaved_.clear();

  char from[80];
  std::snprintf(from, sizeof from, "%04d%02d%02d%02d%02d%02d", fromTime_.year, fromTime_.month, fromTime_.day,
                fromTime_.hour, fromTime_.minute, fromTime_.second);
  prompts_.busyCursor(true);
  readCount_ = downloadCount_ = 0;
  lastFileTimestamp_.clear();
  int r = jv_.JVOpen("RACERCVN", from, 2, readCount_, downloadCount_, lastFileTimestamp_);
  // Shown until the counts replace it (or, with nothing to read, left standing).
  if (r == 0) setLabel(T().openOk + JvMessage("JVOpen", 0));
  if (r == -1 || (r == 0 && readCount_ <= 0)) {
    prompts_.beep();
    prompts_.information(T().noNewData);
    closeStep();
    outcome_ = Status::NotFound(T().noNewData);
    return;
  }
  if (r != 0) {
    prompts_.beep();
    std::string msg = jvError(T().openError, "JVOpen", r);
    prompts_.information(msg);
    closeStep();
    outcome_ = Status::JvLinkError(r, msg);
    return;
  }
  setLabel("ReadCount:" + std::to_string(readCount_) + ", DownloadCount:" + std::to_string(downloadCount_));
  if (view_) view_->progress2(0, readCount_);  // the files to read are known from here on
  if (downloadCount_ > 0) {
    setLabel(T().downloading);
    if (view_) view_->progress1(0, downloadCount_);
    phase_ = Phase::kDownloading;
    setTimer(true);
    return;
  }
  if (view_) view_->progress1(100, 100);
  phase_ = Phase::kReading;
  bool complete = readLoop();
  closeStep();
  if (complete) rememberLastTime();
  phase_ = Phase::kIdle;
}

void BatchDownload::TimerJVStatusTimer() {
  if (!timerOn_ || phase_ != Phase::kDownloading) return;
  IdleUnlock unlock{*this};
  int n = jv_.JVStatus();
  if (n < 0) {
    prompts_.beep();
    std::string msg = jvError(T().statusError, "JVStatus", n);
    logError(msg, true);
    prompts_.information(msg);
    setTimer(false);
    closeStep();
    outcome_ = Status::JvLinkError(n, msg);
    phase_ = Phase::kIdle;
    return;
  }
  setLabel(T().downloadingN + std::to_string(n) + "/" + std::to_string(downloadCount_) + ")");
  if (view_) view_->progress1(std::min(n, downloadCount_), downloadCount_);
  if (n < downloadCount_) return;
  setTimer(false);
  phase_ = Phase::kReading;
  bool complete = readLoop();
  closeStep();
  // Remembering the time here too: otherwise the next run fetches the same files again.
  if (complete) rememberLastTime();
  phase_ = Phase::kIdle;
}

void BatchDownload::ButtonCancelClick() {
  if (!prompts_.confirm(T().cancelConfirm)) return;
  IdleUnlock unlock{*this};
  const bool downloading = phase_ == Phase::kDownloading;
  setTimer(false);
  jv_.JVCancel();
  cancelFlag_ = true;
  prompts_.beep();
  prompts_.information(T().cancelled);
  setLabel(T().cancelled);
  if (downloading) {
    // Closing at once: a cycle left open would only make the next start fail with -202.
    closeStep();
    outcome_ = Status::Cancelled(T().cancelled);
    phase_ = Phase::kIdle;
  }
}

void BatchDownload::FormClose() {
  if (phase_ != Phase::kDownloading) return;
  IdleUnlock unlock{*this};
  setTimer(false);
  jv_.JVCancel();
  jv_.JVClose();
  prompts_.busyCursor(false);
  outcome_ = Status::Cancelled(T().cancelled);
  phase_ = Phase::kIdle;
}

void BatchDownload::closeStep() {
  int r = jv_.JVClose();
  prompts_.busyCursor(false);
  prompts_.beep();
  if (r != 0) prompts_.information(T().closeError + JvMessage("JVClose", r));
}

bool BatchDownload::writeFailed(const Status& s) {
  prompts_.beep();
  prompts_.information(T().writeFailed + s.message() + "\r\n" + T().savedBefore + savedText());
  outcome_ = s;
  return false;
}

Status BatchDownload::flush() {
  Status s = cache_.Flush();
  if (s.ok()) s = fileOdds();
  lastFlush_ = std::chrono::steady_clock::now();
  // Files on disk are complete now; what is held saves reading them again, up to a bound.
  if (s.ok() && cache_.heldBytes() > options_.cacheBytes) cache_.Clear();
  return s;
}

Status BatchDownload::fileOdds() {
  for (auto it = pendingOdds_.begin(); it != pendingOdds_.end();) {
    const auto& [date, ext] = it->first;
    const auto odds = DataPath(folders_, date, ext);
    std::vector<std::string> waiting;
    size_t changed = 0;
    Status s = FileOddsLines(DataPath(folders_, date, ".jvRA"), odds, ext == ".jvO1" ? kLenO1 : kLenO2, it->second,
                             &waiting, &changed);
    if (s.isCorruption()) {
      // An unreadable race or odds file is left as it is, as every other stored file.
      filed(s, odds);
      it = pendingOdds_.erase(it);
      continue;
    }
    if (!s.ok()) return s;
    if (changed > 0) {
      oddsLinesSaved_ += changed;
      oddsFilesSaved_.insert(PathText(odds));
      addList(T().made + date + ext);
    }
    if (waiting.empty()) {
      it = pendingOdds_.erase(it);
    } else {
      it->second = std::move(waiting);
      ++it;
    }
  }
  return Status::Ok();
}

bool BatchDownload::readLoop() {
  folders_ = ResolveStoredFolders(folder_);
  // A download that was killed may have left the temporary files of its last flush.
  for (const auto* dir : {&folders_.data, &folders_.sei, &folders_.seir, &folders_.index})
    if (DirExists(*dir)) RemoveStaleTemporaries(*dir);
  setLabel(T().reading + "0/" + std::to_string(readCount_) + ")");
  if (view_) view_->progress2(0, readCount_);
  const LocalTime now = clock_.now();
  todayMonthDay_ = now.month * 100 + now.day;
  const LocalTime cut = AddDays(now, -5);
  cutoff_ = cut.year * 10000 + cut.month * 100 + cut.day;
  fileCount_ = 0;
  feedFile_.clear();
  recordInFile_ = 0;
  lastFlush_ = std::chrono::steady_clock::now();


  std::string buff, filename;
  for (;;) {
    prompts_.processEvents();
    if (cancelFlag_) {
      Status s = flush();
      if (!s.ok()) return writeFailed(s);
      outcome_ = Status::Cancelled(T().cancelled);
      return false;
    }
    int size = 60000;
    filename.clear();
    int r = jv_.JVRead(buff, size, filename);
    if (!filename.empty() && filename != feedFile_) {
      feedFile_ = filename;
      recordInFile_ = 0;
    }
    if (r > 0) {
      ++recordInFile_;
      dispatch(buff);
      if (!storeError_.ok()) {
        flush();  // what merged before the failure is still worth keeping
        return writeFailed(storeError_);
      }
    } else if (r == -1) {
      recordInFile_ = 0;
      ++fileCount_;
      if (view_) view_->progress2(fileCount_, readCount_);
      setLabel(T().reading + std::to_string(fileCount_) + "/" + std::to_string(readCount_) + ")");
    } else if (r == 0) {
      break;
    } else if (r < -3) {
      Status s = flush();
      prompts_.beep();
      // The read loop ends here as JV-Link wants, but the user learns where, so a damaged feed
      // file can be found and replaced.
      std::string msg = T().readError + JvMessage("JVRead", r);
      if (!feedFile_.empty())
        msg += "\r\n" + T().stoppedAt + feedFile_ + T().recordNo + std::to_string(recordInFile_ + 1) + T().stoppedRecord;
      if (const std::string why = jv_.lastProblem(); !why.empty()) msg += "\r\n" + why;
      logError(msg, true);
      prompts_.information(msg);
      outcome_ = Status::JvLinkError(r, msg);
      if (!s.ok()) return writeFailed(s);
      return false;
    }
    if (cache_.pendingFiles() != 0 && std::chrono::steady_clock::now() - lastFlush_ >= options_.flushInterval) {
      Status s = flush();
      if (!s.ok()) return writeFailed(s);
    }
  }
  Status s = flush();
  if (!s.ok()) return writeFailed(s);
  setLabel("JVRead EndOfFile :0");
  setLabel(T().readDone + std::to_string(fileCount_) + "/" + std::to_string(readCount_) + ")");
  if (!endStep()) return false;
  // The bars stay full and the label says what was saved, so the end is plain to see.
  setLabel(T().readDone + std::to_string(fileCount_) + "/" + std::to_string(readCount_) + ")" + Sj("　") +
           doneText());
  if (view_) view_->progress2(fileCount_, readCount_);
  prompts_.beep();
  return true;
}

bool BatchDownload::filed(const Status& s, const std::filesystem::path& p) {
  if (s.ok()) return true;
  if (s.isCorruption()) {
    // An unreadable stored file is left exactly as it is; the record is not filed there but
    // still goes to its other files.
    ++skipped_;
    const std::string key = PathText(p);
    if (std::find(reportedFiles_.begin(), reportedFiles_.end(), key) == reportedFiles_.end()) {
      reportedFiles_.push_back(key);
      logError(T().unreadable + key);
    }
    return false;
  }
  storeError_ = s;
  return false;
}

void BatchDownload::dispatch(const std::string& rec) {
  const std::string_view kind = Field(rec, 1, 2);
  const bool stored = kind == "RA" || kind == "SE" || kind == "HR" || kind == "UM" || kind == "KS" || kind == "CH" ||
                      kind == "O1" || kind == "O2";
  if (!stored) return;
  Status check = CheckRecordForPaths(rec);
  if (!check.ok()) {
    ++skipped_;
    logError(check.message());
    return;
  }
  const std::string_view line = WithoutLineEnd(rec);
  const std::string_view divText = Field(rec, 3, 1);
  const int division = (divText.size() == 1 && divText[0] >= '0' && divText[0] <= '9') ? divText[0] - '0' : 0;
  const int raceDate = static_cast<int>(FieldInt(rec, 12, 8));
  const std::string_view raceNo = Field(rec, 26, 2);
  const int race = static_cast<int>(ParseInt(raceNo));
  const bool result = divText == "7" || divText == "A" || divText == "B";
  auto normalised = [&] {
    std::string n(line);
    Normalise(n);
    return n;
  };

  if (kind == "RA") {
    const std::string date = DateText(Field(rec, 12, 8));
    if (((division >= 1 && division <= 6) || (raceDate > cutoff_ && division != 0)) && race > 0) {
      auto p = DataPath(folders_, date, ".jvRA");
      if (filed(cache_.Upsert(p, normalised(), RuleRA()), p)) {
        auto at = std::lower_bound(datesMade_.begin(), datesMade_.end(), date);
        if (at == datesMade_.end() || *at != date) datesMade_.insert(at, date);
        addList(T().made + std::string(raceNo) + "R/" + date + ".jvRA");
      } else if (!storeError_.ok()) {
        return;
      }
    }
    if (result) {
      const std::string key10(Field(rec, 12, 10));
      auto p = MeetingPath(folders_, key10);
      if (filed(cache_.Upsert(p, normalised(), RuleSERA()), p))
        addList(T().made + std::string(raceNo) + "R/" + key10 + ".jvSERA");
    }
  } else if (kind == "SE") {
    const std::string date = DateText(Field(rec, 12, 8));
    const std::string course = CourseNameW(Field(rec, 20, 2), 2);
    if ((division >= 1 && division <= 6) || raceDate > cutoff_) {
      int slot = SlotIndex(race, static_cast<int>(FieldInt(rec, 29, 2)));
      if (slot >= 0) {
        auto p = DataPath(folders_, date, course + ".jvSEr");
        if (filed(cache_.PutSlot(p, slot, line), p))
          addList(T().made + std::string(raceNo) + "R/" + std::string(Field(rec, 29, 2)) + T().ban + date + course +
                  ".jvSEr");
        else if (!storeError_.ok())
          return;
      }
    }
    if (result) {
      const std::string reg(Field(rec, 31, 10));
      auto p = HorsePath(folders_, reg);
      if (filed(cache_.Upsert(p, normalised(), RuleSEI()), p))
        addList(T().made + date + course + std::string(raceNo) + "R/" + reg + ".jvSEI");
    }
  } else if (kind == "HR") {
    if (race > 0) {
      const std::string date = DateText(Field(rec, 12, 8));
      auto p = DataPath(folders_, date, ".jvHR");
      if (filed(cache_.Upsert(p, normalised(), RuleHR()), p))
        addList(T().made + std::string(raceNo) + "R/" + date + ".jvHR");
    }
  } else if (kind == "O1" || kind == "O2") {
    // The stored data brings the final odds of past races. They go to the line of their race
    // in the date's odds file, which follows the order of the race file: filed when the race
    // file is on disk.
    if (race > 0 && divText != "0" && divText != "9")
      pendingOdds_[{DateText(Field(rec, 12, 8)), kind == "O1" ? ".jvO1" : ".jvO2"}].emplace_back(line);
  } else if (kind == "UM") {
    umLines_.emplace_back(line);
  } else if (kind == "KS") {
    ksLines_.emplace_back(line);
  } else if (kind == "CH") {
    chLines_.emplace_back(line);
  }
}

bool BatchDownload::endStep() {
  struct Master {
    std::vector<std::string>* lines;
    const char* ext;
    size_t len, keyPos, keyLen;
  } masters[] = {{&ksLines_, ".jvKS", kLenKS, 12, 5}, {&chLines_, ".jvCH", kLenCH, 12, 5}, {&umLines_, ".jvUM2", kLenUM, 12, 10}};
  // Every date gets the same list, so its bytes are written once and the other dates' files are
  // hard links to that file (copies where the file system has no links): a season's download
  // would otherwise write the same tens of megabytes for each of its hundreds of dates. A later
  // rewrite of one date's file renames a new file over that name alone.
  // Copies are written in groups of about a gigabyte made durable together: the disk keeps
  // writing one file while the next is prepared, and a full disk keeps the groups already done.
  // Each master is followed in its group by its index, stamped with the master's file as it will
  // be once renamed: a load then reads the few records a day needs instead of every key. An index
  // that cannot be written is left out (an older one no longer matches its master's stamp).
  constexpr size_t kGroupBytes = size_t{1} << 30;
  AtomicWriteBatch group(/*streaming=*/true);
  size_t groupBytes = 0;
  std::optional<size_t> source;       // the file of the current list staged in this group
  std::optional<size_t> indexSource;  // its index, and the stamp that index was made for
  FileStamp indexedStamp;
  std::vector<std::string> made;  // per staged file: its list line, empty for an index
  auto commit = [&] {
    Status s = group.Commit();
    for (size_t i = 0; i < group.committed(); ++i) {
      if (made[i].empty()) continue;
      addList(made[i]);
      ++mastersSaved_;
    }
    made.clear();
    group.Reset();
    groupBytes = 0;
    source.reset();
    indexSource.reset();
    return s;
  };
  MasterIndex keys;
  for (auto& m : masters) {
    std::sort(m.lines->begin(), m.lines->end());
    if (datesMade_.empty() || m.lines->empty()) continue;
    size_t bytes = 0;  // the list is written from its lines, never joined in memory
    for (const auto& l : *m.lines) bytes += l.size() + 2;
    source.reset();
    indexSource.reset();
    bool built = false;
    for (const auto& d : datesMade_) {
      // Month and day only, as the window always compared them.
      const int md = static_cast<int>(ParseInt(d.substr(6, 2) + d.substr(10, 2)));
      auto p = DataPath(folders_, d, m.ext);
      if (md < todayMonthDay_ && FileExists(p)) continue;
      Status s = EnsureDir(p.parent_path());
      bool linked = false;
      if (s.ok()) s = source ? group.StageSame(p, *source, &linked) : group.StageLines(p, *m.lines);
      if (s.ok()) {
        made.push_back(T().made + d + m.ext);
        if (!linked) {
          source = group.staged() - 1;
          groupBytes += bytes;
        }
        if (auto stamp = group.StagedStamp(group.staged() - 1); stamp.ok()) {
          const auto ip = MasterIndexPath(folders_, d, m.ext);
          Status is = EnsureDir(ip.parent_path());
          if (is.ok() && indexSource && *stamp == indexedStamp) {
            is = group.StageSame(ip, *indexSource);
          } else if (is.ok()) {
            if (!built) keys.Build(*m.lines, m.len, m.keyPos, m.keyLen);
            built = true;
            is = group.Stage(ip, keys.FileBytes(*stamp));
            if (is.ok()) {
              indexSource = group.staged() - 1;
              indexedStamp = *stamp;
            }
          }
          if (is.ok()) made.emplace_back();
        }
        if (groupBytes >= kGroupBytes) s = commit();
      }
      if (!s.ok()) {
        commit();  // what is written of this group is still worth keeping
        return writeFailed(s);
      }
    }
  }
  Status s = commit();
  return s.ok() || writeFailed(s);
}

void BatchDownload::rememberLastTime() {
  const std::string ts(TrimBlanks(lastFileTimestamp_));
  if (ts.empty() || ts == "00000000000000") return;
  if (ts.size() != 14 || !IsAllDigits(ts)) return;  // not a time: keep the old one
  const std::string text = ts.substr(0, 4) + "/" + ts.substr(4, 2) + "/" + ts.substr(6, 2) + " " + ts.substr(8, 2) +
                           ":" + ts.substr(10, 2) + ":" + ts.substr(12, 2);
  auto t = ParseDateTime(text);
  if (!t) return;
  fromTime_ = *t;
  if (view_) view_->fromTimeShown(fromTime_);
  Status s = ini_.WriteString("JvDataGet", "LastTime", FormatDateTime(fromTime_));
  if (!s.ok()) {
    prompts_.beep();
    prompts_.information(T().settingsFailed + s.message());
  }
}

}  // namespace zelkova
