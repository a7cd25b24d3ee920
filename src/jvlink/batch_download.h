// TGetDataForm's work without its widgets: start, the JVStatus timer tick, the read loop that
// files every record into the stored files, the end step with the master files, cancel and the
// JV-Link settings button. The window (or the CLI) shows what it reports through BatchView.
#pragma once

#include <chrono>
#include <map>
#include <set>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/platform.h"
#include "base/status.h"
#include "store/stored_paths.h"
#include "store/write_back_cache.h"

namespace zelkova {

class JvLink;
class TIniGT;

// What the window shows; every text is CP932. Default: shows nothing.
class BatchView {
 public:
  virtual ~BatchView() = default;
  virtual void progressLabel(const std::string&) {}
  virtual void progress1(int /*pos*/, int /*max*/) {}  // ダウンロード
  virtual void progress2(int /*pos*/, int /*max*/) {}  // 読込み
  virtual void listClear() {}
  virtual void listAdd(const std::string&) {}
  virtual void timerRunning(bool) {}
  virtual void fromTimeShown(const LocalTime&) {}  // the picker and its label
};

// The file whose lock lets one download at a time into a program folder; it names the holder.
std::filesystem::path DownloadLockPath(const std::filesystem::path& programFolder);

// A local time from "yyyy/mm/dd hh:nn:ss" (nullopt when not a valid time); FormatDateTime
// (app/error_log.h) writes it.
std::optional<LocalTime> ParseDateTime(const std::string& text);
// `t` moved by whole days (calendar arithmetic).
LocalTime AddDays(const LocalTime& t, int days);

class BatchDownload {
 public:
  struct Options {
    StoreCache::Mode mode = StoreCache::Mode::kWriteBack;
    std::chrono::milliseconds flushInterval{5000};
    // Files already written stay in memory after a flush while they take no more than this.
    size_t cacheBytes = size_t{256} << 20;
    // Also receives the texts written to the error log (skipped records, unreadable stored
    // files, read errors; CP932), e.g. for a terminal.
    std::function<void(const std::string&)> onError;
    // The notice that asks the user to leave the program alone while it works (a window's).
    bool startNotice = true;
  };

  BatchDownload(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                TIniGT& ini, BatchView* view, Options options);
  BatchDownload(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                TIniGT& ini, BatchView* view = nullptr);

  // Window creation: the from-time from JvDataGet/LastTime (default now minus 8 days).
  void FormCreate();
  void ButtonStartClick();
  void ButtonCancelClick();
  void TimerJVStatusTimer();
  // JVLink設定: JV-Link's own settings dialog; a failure is told. Returns JV-Link's code.
  int SpeedButton1Click();
  // The window closes: a download still waiting for JV-Link is cancelled and its cycle closed,
  // since nothing would tick the timer any more. A running read loop finishes on its own.
  void FormClose();

  const LocalTime& fromTime() const { return fromTime_; }
  void setFromTime(const LocalTime& t) { fromTime_ = t; }
  bool timerOn() const { return timerOn_; }
  bool busy() const { return phase_ != Phase::kIdle; }

  // What the last start came to: Ok after a complete read; the failure otherwise.
  const Status& outcome() const { return outcome_; }
  const std::string& label() const { return label_; }
  const std::vector<std::string>& listLines() const { return list_; }
  const std::vector<std::string>& datesMade() const { return datesMade_; }
  int fileCount() const { return fileCount_; }
  int recordsSkipped() const { return skipped_; }
  // What is on disk from the last start: lines filed into stored files that were then written,
  // and the stored files written (the master files of the end step included).
  size_t linesSaved() const { return cache_.linesSaved() + oddsLinesSaved_; }
  size_t filesSaved() const { return cache_.filesSaved() + mastersSaved_ + oddsFilesSaved_.size(); }
  // Those two counts as a sentence for the window (CP932).
  std::string savedText() const;
  // What a complete download came to: what it saved, or that nothing new came (CP932).
  std::string doneText() const;

 private:
  enum class Phase { kIdle, kDownloading, kReading };
  // Lets go of the folder's lock when the handler it lives in leaves the download idle.
  struct IdleUnlock {
    BatchDownload& b;
    ~IdleUnlock() {
      if (b.phase_ == Phase::kIdle) b.lock_.Release();
    }
  };

  // Takes the program folder's download lock; false, after telling the user who holds it (or
  // why the lock could not be made), when it cannot.
  bool takeLock();
  void setLabel(const std::string& text);
  void setTimer(bool on);
  void addList(const std::string& line);
  void closeStep();
  // Returns true when the loop reached the end of the data.
  bool readLoop();
  void dispatch(const std::string& rec);
  // True iff `s` is Ok. A stored file that cannot be read is reported and skipped; any other
  // failure is a real store error that ends the read loop (storeError_).
  bool filed(const Status& s, const std::filesystem::path& p);
  bool writeFailed(const Status& s);  // tells the user, records the outcome; false
  Status flush();
  // Files the odds records read so far into their dates' odds files, at their races' lines of
  // the race files on disk (so after the cache is written); those of races not there yet wait.
  Status fileOdds();
  bool endStep();
  void rememberLastTime();
  // Appends `text` to ErrorLog.txt and passes it to onError, unless a box shows it anyway.
  void logError(const std::string& text, bool shown = false);
  // prefix + JvMessage(operation, code), and on the next line what the backend can tell of it.
  std::string jvError(const std::string& prefix, const char* operation, int code) const;

  std::filesystem::path folder_;
  StoredFolders folders_;  // resolved when a download starts
  JvLink& jv_;
  Prompts& prompts_;
  const Clock& clock_;
  TIniGT& ini_;
  BatchView* view_;
  Options options_;
  StoreCache cache_;

  Phase phase_ = Phase::kIdle;
  LocalTime fromTime_{};
  bool timerOn_ = false;
  bool cancelFlag_ = false;
  int readCount_ = 0, downloadCount_ = 0;
  std::string lastFileTimestamp_;
  int fileCount_ = 0;
  int todayMonthDay_ = 0, cutoff_ = 0;
  std::vector<std::string> datesMade_;
  std::vector<std::string> umLines_, ksLines_, chLines_;
  std::string label_;
  std::vector<std::string> list_;
  Status outcome_;
  Status storeError_;  // a write that failed: ends the read loop
  int skipped_ = 0;
  size_t mastersSaved_ = 0;
  // Odds records waiting for fileOdds, by date text and extension, in arrival order.
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> pendingOdds_;
  size_t oddsLinesSaved_ = 0;
  std::set<std::string> oddsFilesSaved_;
  std::string feedFile_;   // the feed file being read, as JVRead names it
  int recordInFile_ = 0;   // records of it read so far
  std::vector<std::string> reportedFiles_;
  std::chrono::steady_clock::time_point lastFlush_;
  ExclusiveLock lock_;
};

}  // namespace zelkova
