// A JV-Link that serves a recorded feed folder (layout in feed_layout.md) with JV-Link's call
// contract and result codes. Stored files are read one at a time, in chunks, never the whole
// feed at once. Files are only ever read from the feed; the only file written is the download
// index in the cache folder. Not thread-safe: one caller, the GUI thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/platform.h"
#include "base/status.h"
#include "jvlink/jv_link.h"

namespace zelkova {

// Ok when `feedDir` is a feed folder: a folder that holds stored/ or realtime/. Otherwise a
// message (CP932) that says what it is instead: missing, not a folder, or no feed.
Status CheckFeedFolder(const std::filesystem::path& feedDir);

class RecordedJvLink : public JvLink {
 public:
  // `cacheDir` holds the index of files already "downloaded"; an empty path keeps it in memory.
  RecordedJvLink(std::filesystem::path feedDir, std::filesystem::path cacheDir, const Clock& clock);
  ~RecordedJvLink() override;

  // Switches to another feed and reloads its inject.txt. An open cycle keeps its files.
  void setFeedFolder(std::filesystem::path feedDir);
  const std::filesystem::path& feedFolder() const { return feedDir_; }
  // JVSetUIProperties asks it for a new feed folder; without one it changes nothing.
  void setFolderChooser(FolderChooser* chooser) { chooser_ = chooser; }

  // The (afterCalls + 1)-th call of `operation` from now returns `code` instead of its result,
  // once. Operations: JVInit, JVSetUIProperties, JVOpen, JVRTOpen, JVStatus, JVRead, JVClose,
  // JVMVCheck, JVMVPlay.
  void inject(const std::string& operation, int code, int afterCalls = 0);
  void clearInjections() { injections_.clear(); }

  // Why the last call failed or what it skipped (feed file, offset), in Japanese (CP932). Each
  // open, status and read call starts it empty; a problem of inject.txt stays until then.
  const std::string& lastProblem() const override { return lastProblem_; }
  // The key of the last successful JVMVPlay.
  const std::string& lastPlayed() const { return lastPlayed_; }

  int JVInit(const std::string& sid) override;
  int JVSetUIProperties() override;
  int JVOpen(const std::string& dataspec, const std::string& fromdate, int option, int& readcount,
             int& downloadcount, std::string& lastfiletimestamp) override;
  int JVRTOpen(const std::string& dataspec, const std::string& key) override;
  int JVStatus() override;
  int JVRead(std::string& buff, int& size, std::string& filename) override;
  void JVCancel() override;
  int JVClose() override;
  int JVMVCheck(const std::string& key) override;
  int JVMVPlay(const std::string& key) override;
  std::string version() override;

  // Longest record JVRead hands out (the callers' buffer size); a longer line is abnormal.
  static constexpr size_t kMaxRecord = 60000;

 private:
  struct Source {
    std::filesystem::path path;
    std::string name;      // returned by JVRead as the file name
    std::string cacheKey;  // "{ID}/{file}" in the download index; empty for real-time batches
    bool present = true;   // downloaded (in the cache) or needing no download
  };
  class Reader;
  struct Injection {
    int code;
    uint64_t atCall;
  };

  bool consumeInjection(const char* operation, int& code);
  // The problem of a feed folder that is no feed, with the way to choose another.
  std::string feedProblem(const Status& s) const;
  void loadInjectFile();
  void closeCycle();
  bool insideFeed(const std::filesystem::path& p) const;
  int stepDownload();  // "downloads" the next missing file; JV-Link code on failure
  Status saveCacheIndex();
  std::filesystem::path cacheIndexPath() const;

  std::filesystem::path feedDir_;
  std::filesystem::path cacheDir_;
  const Clock& clock_;
  FolderChooser* chooser_ = nullptr;

  std::map<std::string, uint64_t> calls_;
  std::map<std::string, std::vector<Injection>> injections_;
  std::string lastProblem_;
  std::string lastPlayed_;

  bool initialized_ = false;
  enum class Cycle { kClosed, kStored, kRealtime } cycle_ = Cycle::kClosed;
  bool cancelled_ = false;
  std::vector<Source> sources_;
  std::vector<std::string> cacheIndex_;  // every "{ID}/{file}" downloaded so far
  std::vector<size_t> pending_;          // indices into sources_ still to download, in order
  size_t pendingDone_ = 0;
  size_t current_ = 0;             // source being read
  bool boundaryDue_ = false;       // the current source ended: the next JVRead reports -1
  std::unique_ptr<Reader> reader_;
};

}  // namespace zelkova
