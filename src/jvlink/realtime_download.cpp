#include "jvlink/realtime_download.h"

#include <algorithm>

#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/jv_link.h"
#include "jvlink/jv_message.h"
#include "records/record.h"
#include "settings/error_log.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

namespace {

struct Texts {
  std::string nen = Sj("年"), tsuki = Sj("月"), hi = Sj("日");
  std::string skipped = Sj("レコードを読み飛ばしました：");
  std::string wrongLength = Sj("長さが正しくありません");
  std::string badText = Sj("Shift-JISでない文字を含むか行末がCR LFではありません");
  std::string badDate = Sj("開催年月日が数字ではありません");
  std::string writeFailed = Sj("ファイルを保存できませんでした：");
  std::string damaged = Sj("保存ファイルが壊れているため更新しませんでした：");
};
const Texts& T() {
  static const Texts t;
  return t;
}

int RaceNumber(std::string_view rec) { return static_cast<int>(FieldInt(rec, 26, 2)); }

fs::path DayFile(const fs::path& folder, std::string_view yyyymmdd, std::string_view ext) {
  return DataPath(folder, DateText(yyyymmdd), ext);
}

// The change notices are text-line files, but the change window reads four of them as records of
// their fixed length, so a line of another length would shift every later one.
size_t ChangeLength(std::string_view kind) {
  if (kind == "WE") return kLenWE;
  if (kind == "AV") return kLenAV;
  if (kind == "JC") return kLenJC;
  if (kind == "TC") return kLenTC;
  if (kind == "CC") return kLenCC;
  return 0;
}

Status CheckChangeRecord(std::string_view rec, size_t len) {
  const std::string kind(Field(rec, 1, 2));
  if (rec.size() != len) return Status::InvalidArgument(T().skipped + kind + " " + T().wrongLength);
  // A line end inside the record would split it into two lines of the text file.
  const std::string_view body = rec.substr(0, rec.size() - 2);
  if (rec.substr(rec.size() - 2) != "\r\n" || body.find_first_of("\r\n") != std::string_view::npos || !IsValidCp932(rec))
    return Status::InvalidArgument(T().skipped + kind + " " + T().badText);
  if (!IsDateKey(Field(rec, 12, 8))) return Status::InvalidArgument(T().skipped + kind + " " + T().badDate);
  return Status::Ok();
}

}  // namespace

const char* RealtimeDataspec(RealtimeKind kind) {
  switch (kind) {
    case RealtimeKind::kOdds: return "0B30";
    case RealtimeKind::kResults: return "0B12";
    case RealtimeKind::kWeights: return "0B11";
    case RealtimeKind::kChanges: return "0B14";
  }
  return "";
}

Status MergeOddsRecord(const fs::path& folder, const SlotKeys& slots, std::string_view rec, bool* changed) {
  if (changed) *changed = false;
  std::string_view kind = Field(rec, 1, 2);
  if (kind != "O1" && kind != "O2") return Status::Ok();
  if (Status s = CheckRecordForPaths(rec); !s.ok()) return s;
  std::string_view division = Field(rec, 3, 1);
  if (division == "0" || division == "9" || RaceNumber(rec) <= 0) return Status::Ok();
  const size_t n = std::min(slots.size(), size_t{36});
  for (size_t i = 0; i < n; ++i) {
    // Racecourse, meeting, day and race: the slot's bytes 20..27 are 9..16 of its key.
    if (Field(slots[i], 9, 8) != Field(rec, 20, 8)) continue;
    std::string_view date = Field(slots[i], 1, 8);
    if (!IsDateKey(date)) return Status::Ok();
    const bool o1 = kind == "O1";
    bool replaced = false;
    Status s = ReplaceOddsLine(DayFile(folder, date, o1 ? ".jvO1" : ".jvO2"), i, rec, o1 ? kLenO1 : kLenO2, &replaced);
    if (changed) *changed = replaced;
    // A slot's odds file lacking that line cannot take it; no other slot has the race.
    return s;
  }
  return Status::Ok();
}

Status MergeResultsRecord(const fs::path& folder, std::string_view rec, bool* changed) {
  if (changed) *changed = false;
  std::string_view kind = Field(rec, 1, 2);
  if (kind != "RA" && kind != "SE" && kind != "HR") return Status::Ok();
  if (Status s = CheckRecordForPaths(rec); !s.ok()) return s;
  const std::string_view date = Field(rec, 12, 8);
  if (kind == "RA") {
    if (RaceNumber(rec) <= 0) return Status::Ok();
    std::string line(rec);
    Normalise(line);
    return UpsertFile(DayFile(folder, date, ".jvRA"), line, RuleRA(), true, changed);
  }
  if (kind == "SE") {
    if (SlotIndex(RaceNumber(rec), static_cast<int>(FieldInt(rec, 29, 2))) < 0) return Status::Ok();
    return StoreSlotRecord(SlotPath(folder, rec), rec, true, changed);
  }
  if (RaceNumber(rec) <= 0) return Status::Ok();
  return UpsertFile(DayFile(folder, date, ".jvHR"), rec, RuleHR(), false, changed);
}

Status MergeWeightsRecord(const fs::path& folder, std::string_view rec, bool* changed) {
  if (changed) *changed = false;
  if (Field(rec, 1, 2) != "WH") return Status::Ok();
  if (Status s = CheckRecordForPaths(rec); !s.ok()) return s;
  if (RaceNumber(rec) <= 0) return Status::Ok();
  std::string line(rec);
  Normalise(line);
  return UpsertFile(DayFile(folder, Field(rec, 12, 8), ".jvWH"), line, RuleWH(), false, changed);
}

Status MergeChangesRecord(const fs::path& folder, std::string_view rec, bool* changed) {
  if (changed) *changed = false;
  const std::string kind(Field(rec, 1, 2));
  const size_t len = ChangeLength(kind);
  if (len == 0) return Status::Ok();
  if (Status s = CheckChangeRecord(rec, len); !s.ok()) return s;
  MergeRule rule = kind == "WE" ? RuleWE() : kind == "AV" ? RuleAV() : kind == "JC" ? RuleJC() : RuleTC();
  return UpsertFile(DayFile(folder, Field(rec, 12, 8), ".jv" + kind), rec, rule, false, changed);
}

// ---- fetch ----

RealtimeDownload::RealtimeDownload(fs::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock,
                                   FetchView& view)
    : folder_(std::move(programFolder)), jv_(jv), prompts_(prompts), clock_(clock), view_(view) {}

void RealtimeDownload::setLabel(const std::string& text) {
  label_ = text;
  view_.DLlabel(text);
}

void RealtimeDownload::logError(const std::string& text) {
  // A log that cannot be written must not stop the fetch; the text still reaches the view.
  (void)AppendErrorLog(folder_, clock_, text);
  view_.ErrorLogged(text);
}

void RealtimeDownload::close(const FetchRequest& request, FetchOutcome& out) {
  const bool odds = request.kind == RealtimeKind::kOdds;
  const int r = jv_.JVClose();
  if (r != 0) {
    if (odds) prompts_.beep();
    setLabel(JvMessage("JVClose", r));
    out.error = label_;
    if (out.closeCode == 0) out.closeCode = r;
    logError(label_);
  } else if (request.kind == RealtimeKind::kChanges || (!odds && !request.quiet)) {
    prompts_.beep();
  }
  if (odds) prompts_.busyCursor(false);
}

void RealtimeDownload::readStream(const FetchRequest& request, const SlotKeys& slots, FetchOutcome& out) {
  int size = 60000;
  std::string buff, filename;
  std::vector<std::string> damaged;  // the damaged stored files already told in this fetch
  for (;;) {
    prompts_.processEvents();
    if (stop_ && stop_()) {
      out.stopped = true;
      return;
    }
    const int r = jv_.JVRead(buff, size, filename);
    if (r == 0) return;
    if (r == -1 || r == -2 || r == -3) continue;
    if (r < -3) {
      if (request.kind == RealtimeKind::kOdds) prompts_.beep();
      setLabel(JvMessage("JVRead", r));
      out.readCode = r;
      out.error = label_;
      logError(label_);
      return;
    }
    ++out.records;
    const std::string_view rec = std::string_view(buff).substr(0, std::min(buff.size(), static_cast<size_t>(r)));
    bool changed = false;
    Status s;
    switch (request.kind) {
      case RealtimeKind::kOdds: s = MergeOddsRecord(folder_, slots, rec, &changed); break;
      case RealtimeKind::kResults: s = MergeResultsRecord(folder_, rec, &changed); break;
      case RealtimeKind::kWeights: s = MergeWeightsRecord(folder_, rec, &changed); break;
      case RealtimeKind::kChanges: s = MergeChangesRecord(folder_, rec, &changed); break;
    }
    if (changed) ++out.merged;
    if (s.code() == Status::Code::kInvalidArgument) {
      ++out.skipped;
      logError(s.message());
    } else if (s.isCorruption()) {
      // A damaged stored file is left exactly as it is, and told once; the records of the other
      // files still go in (a day's results stream would otherwise stop at it every time).
      ++out.skipped;
      if (std::find(damaged.begin(), damaged.end(), s.message()) == damaged.end()) {
        damaged.push_back(s.message());
        setLabel(T().damaged + s.message());
        out.error = label_;
        logError(label_);
      }
    } else if (!s.ok()) {
      // A stored file that cannot be read or written ends the fetch; what was saved stays.
      setLabel(T().writeFailed + s.message());
      out.error = label_;
      logError(label_);
      return;
    }
  }
}

FetchOutcome RealtimeDownload::Fetch(const FetchRequest& request, const SlotKeys& slots) {
  FetchOutcome out;
  const bool odds = request.kind == RealtimeKind::kOdds;
  // The end step runs however the fetch ended. An error text stays in the label for the user to
  // read; only the progress text is taken away.
  auto endStep = [&] {
    if (out.error.empty()) setLabel("");
    prompts_.processEvents();
    close(request, out);
  };
  try {
    setLabel(request.progressText);
    if (odds) prompts_.busyCursor(true);
    prompts_.processEvents();
    out.openCode = jv_.JVRTOpen(RealtimeDataspec(request.kind), request.key);
    if (out.openCode != 0) {
      if (request.openErrorBeep) prompts_.beep();
      setLabel(request.openErrorText + JvMessage("JVRTOpen", out.openCode));
      out.error = label_;
      logError(label_);
      close(request, out);
    } else {
      readStream(request, slots, out);
      close(request, out);
    }
  } catch (...) {
    endStep();
    throw;
  }
  endStep();
  return out;
}

}  // namespace zelkova
