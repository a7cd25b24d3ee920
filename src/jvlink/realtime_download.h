// Real-time (速報) downloads: one JVRTOpen stream read to its end, every record merged into the
// stored files of its date, the stream closed twice (after reading, and once more in the end
// step), with the status label, the error log and the beeps the race-day commands expect.
// What a fetch means for the loaded day (imports, the race view) is the caller's business.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/platform.h"
#include "base/status.h"

namespace zelkova {

class JvLink;

enum class RealtimeKind { kOdds, kResults, kWeights, kChanges };

// "0B30", "0B12", "0B11", "0B14".
const char* RealtimeDataspec(RealtimeKind kind);

// RA bytes 12..27 of every race slot of the loaded day, by slot index (blank for an empty slot).
// The odds files keep one line per slot, so an odds record is filed by its slot.
using SlotKeys = std::vector<std::string>;

// ---- the four readers' merges, one record each ----
// Each files `record` (CR LF included) into the stored files under `programFolder` by the rules of
// its kind and sets `*changed` when a file was rewritten. A record that names no safe path or has
// the wrong length is InvalidArgument (with a text for the error log) and touches nothing; a stored
// file that is damaged gives Corruption and stays as it is; one that cannot be read or written
// gives that failure. Records of other kinds are Ok, unchanged.

// O1 / O2 into line i of the slot's .jvO1 / .jvO2, only when newer than the stored line.
Status MergeOddsRecord(const std::filesystem::path& programFolder, const SlotKeys& slots, std::string_view record,
                       bool* changed);
// RA into an existing .jvRA, SE into an existing .jvSEr slot, HR into .jvHR (created when missing).
Status MergeResultsRecord(const std::filesystem::path& programFolder, std::string_view record, bool* changed);
// WH into .jvWH (created when missing).
Status MergeWeightsRecord(const std::filesystem::path& programFolder, std::string_view record, bool* changed);
// WE, AV, JC, TC, CC into .jvWE ... .jvCC (created when missing).
Status MergeChangesRecord(const std::filesystem::path& programFolder, std::string_view record, bool* changed);

// ---- the fetch sequence ----

// Where a fetch shows itself. Texts are CP932.
class FetchView {
 public:
  virtual ~FetchView() = default;
  virtual void DLlabel(const std::string& text) = 0;
  // A line that went to ErrorLog.txt (the text after the time stamp).
  virtual void ErrorLogged(const std::string& /*text*/) {}
};

struct FetchRequest {
  RealtimeKind kind = RealtimeKind::kOdds;
  std::string key;            // race key (odds) or yyyymmdd
  std::string progressText;   // DLlabel while the stream is read
  std::string openErrorText;  // DLlabel when JVRTOpen fails: this + JvMessage("JVRTOpen", code)
  bool openErrorBeep = true;  // beep when JVRTOpen fails
  bool quiet = false;         // QuietResults / QuietWeights: the closers do not beep
};

struct FetchOutcome {
  int openCode = 0;     // JVRTOpen's result
  int readCode = 0;     // the JVRead error that ended the loop, else 0
  int closeCode = 0;    // the first JVClose that failed, else 0
  int records = 0;      // records read
  int merged = 0;       // records that changed a stored file
  int skipped = 0;      // records refused (unsafe or damaged), each written to the error log
  bool stopped = false; // the stop check ended the read
  std::string error;    // the last error text shown in DLlabel; empty when all went well
};

class RealtimeDownload {
 public:
  RealtimeDownload(std::filesystem::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                   FetchView& view);

  // One fetch: open, read and merge, close, and the end step (label cleared unless it shows an
  // error, events pumped, closed once more). `slots` is used by odds fetches.
  FetchOutcome Fetch(const FetchRequest& request, const SlotKeys& slots);

  // Asked before every JVRead; true ends the read as if the stream had ended (then it is closed).
  void setStopCheck(std::function<bool()> stop) { stop_ = std::move(stop); }
  // The text DLlabel shows now.
  const std::string& label() const { return label_; }

 private:
  void setLabel(const std::string& text);
  void logError(const std::string& text);
  void readStream(const FetchRequest& request, const SlotKeys& slots, FetchOutcome& out);
  void close(const FetchRequest& request, FetchOutcome& out);

  std::filesystem::path folder_;
  JvLink& jv_;
  Prompts& prompts_;
  const Clock& clock_;
  FetchView& view_;
  std::function<bool()> stop_;
  std::string label_;
};

}  // namespace zelkova
