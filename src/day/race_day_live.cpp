#include "day/race_day_live.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/replay_clock.h"
#include "jvlink/jv_link.h"
#include "output/race_list.h"
#include "output/support_figures.h"
#include "racedata/race_day_loader.h"
#include "records/code_tables.h"
#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

namespace {

struct Texts {
  std::string oddsProgress = Sj("オッズ取得中");
  std::string oddsError = Sj("R:ｵｯｽﾞ取得エラー：");
  std::string loopProgress = Sj("R ｵｯｽﾞ取得中");
  std::string loadFirst = Sj("ﾃﾞｰﾀを読み込んでください。");
  std::string noDate = Sj("開催日が選択されていません。");
  std::string noRace = Sj("レースが選択されていません。");
  std::string noVideo = Sj("このレースの映像はありません。");
  std::string notToday = Sj("本日のﾃﾞｰﾀを読み込んでください。");
  std::string notFinal = Sj(
      "出走表データが最新でありません。JVデータ取得ボタンよりデータを取得してからオッズを取得してください。");
  std::string chooseFolder = Sj("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。");
  std::string loadRaceDay = Sj("ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。");
  std::string countO1 = Sj("ﾚｰｽ分の単複枠ｵｯｽﾞ、");
  std::string countO2 = Sj("ﾚｰｽ分の馬連ｵｯｽﾞ");
  std::string imported = Sj("を取りこみました。");
  std::string folderCaption = Sj("時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定");
  std::string restTime = Sj("発走までの残り時間：");
  std::string started = Sj("発走済み");
  std::string ji = Sj("時"), fun = Sj("分"), byo = Sj("秒");
  std::string importFailed = Sj("取込エラー：");
  std::string settingFailed = Sj("設定を保存できませんでした：");
  std::string folderNotSjis = Sj("フォルダの名前にShift-JISで表せない文字があるため、設定に保存できません。");
  std::string writeFailed = Sj("ファイルを保存できませんでした：");
};
const Texts& T() {
  static const Texts t;
  return t;
}

std::string Two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v % 100);
  return buf;
}

// Racecourse name and zero-suppressed race number, two characters each.
std::string CourseRace(std::string_view course, std::string_view raceNo) { return CourseNameW(course, 2) + PadNumber(raceNo); }

// A key is used only when its leading digits make a positive number (a date is loaded).
bool UsableKey(std::string_view key) {
  size_t n = 0;
  while (n < key.size() && key[n] >= '0' && key[n] <= '9') ++n;
  return n > 0 && ParseInt(key.substr(0, n), 0) > 0;
}

// The setting's form of a folder: CP932 text. (A plain p.string() would be in the system's code
// page on Windows, and a std::string made into a path would be read the same way.)
std::string FolderText(const fs::path& p) {
  auto sj = Utf8ToCp932(PathToUtf8(p));
  return sj.ok() ? *sj : PathText(p);
}

}  // namespace

std::string HourMinute(const LocalTime& t) { return Two(t.hour) + Two(t.minute); }

int RaceListSlot(const RaceDay& day, int item) {
  const std::vector<int> slots = RaceListSlots(day);
  return item >= 0 && item < static_cast<int>(slots.size()) ? slots[static_cast<size_t>(item)] : -1;
}

RaceDayLive::RaceDayLive(fs::path programFolder, JvLink& jv, Prompts& prompts, const Clock& clock, TIniGT& settings,
                         LiveHost& host)
    : folder_(std::move(programFolder)),
      jv_(jv),
      prompts_(prompts),
      clock_(clock),
      settings_(settings),
      host_(host),
      download_(std::make_unique<RealtimeDownload>(folder_, jv, prompts, clock, static_cast<FetchView&>(*this))) {
  // A program killed during a merge may have left a temporary file beside a stored one.
  RemoveStaleTemporaries(ResolveStoredFolders(folder_).data);
}

RaceDayLive::~RaceDayLive() = default;

void RaceDayLive::DLlabel(const std::string& text) { host_.DLlabel(text); }
void RaceDayLive::ErrorLogged(const std::string& text) { host_.ErrorLogged(text); }

int RaceDayLive::selectedSlot() const {
  if (!day_) return -1;
  return RaceListSlot(*day_, host_.SelectedRaceItem());
}

bool RaceDayLive::dateChosen() const { return day_ && !IsBlank(host_.DateComboText()); }

SlotKeys RaceDayLive::slotKeys() const {
  SlotKeys keys;
  if (!day_) return keys;
  for (const auto& race : day_->Races) keys.emplace_back(race.RaRecord.field(12, 16));
  return keys;
}

void RaceDayLive::importFailed(const Status& s, bool toLabel) {
  // Unattended: the status label and the error log instead of a box.
  const std::string text = T().importFailed + s.message();
  if (toLabel) host_.DLlabel(text);
  (void)AppendErrorLog(folder_, clock_, text);
  host_.ErrorLogged(text);
}

FetchOutcome RaceDayLive::fetch(RealtimeKind kind, const std::string& key, const std::string& race,
                                const std::string& progress, const std::string& openError, bool openBeep, bool quiet) {
  FetchRequest req;
  req.kind = kind;
  req.key = key;
  req.progressText = progress;
  req.openErrorText = openError;
  req.openErrorBeep = openBeep;
  req.quiet = quiet;
  FetchReport report;
  report.time = clock_.now();
  report.kind = kind;
  report.race = race;
  report.outcome = download_->Fetch(req, kind == RealtimeKind::kOdds ? slotKeys() : SlotKeys{});
  host_.Fetched(report);
  return report.outcome;
}

// ---- imports ----

void RaceDayLive::OzReadBtnClick() {
  if (!day_) return;
  if (Status s = OzReadBtn(*day_); !s.ok()) return importFailed(s);
  CalcBtn1(*day_);
}

bool RaceDayLive::HrReadBtnClick() {
  if (!day_) return false;
  bool first = false;
  if (Status s = HrReadBtn(*day_, &first); !s.ok()) {
    importFailed(s);
    return false;
  }
  if (first && host_.SelectedRaceItem() >= 0) {
    host_.RerunRaceView();
    return true;
  }
  return false;
}

void RaceDayLive::BataijuReadBtnClick() {
  if (!day_) return;
  if (Status s = BataijuReadBtn(*day_); !s.ok()) importFailed(s);
}

void RaceDayLive::KaisaiReadBtnClick() {
  if (!day_) return;
  auto lists = KaisaiReadBtn(*day_);
  if (!lists.ok()) return importFailed(lists.status());
  if (Status s = MarkScratches(*day_); !s.ok()) return importFailed(s);
  host_.ShowChanges(*lists);
  if (host_.SelectedRaceItem() >= 0) host_.RerunRaceView();
}

// ---- commands ----

void RaceDayLive::SokuhoOddsBtnClick() {
  const int slot = selectedSlot();
  if (slot < 0 || !dateChosen()) return;
  const RaImage& ra = day_->Races[slot].RaRecord;
  const std::string key(ra.field(12, 16));
  if (!UsableKey(key)) return;
  const std::string name = CourseRace(ra.field(20, 2), ra.field(26, 2));
  fetch(RealtimeKind::kOdds, key, name + "R", name + T().oddsProgress, name + T().oddsError, true, false);
  // The item selected is the race fetched (its slot, which is the item's index on any day whose
  // race file has no placeholder lines).
  day_->BetRace = slot;
  OzReadBtnClick();
  host_.RerunRaceView();
}

void RaceDayLive::OzGetLoopBtnClick() {
  if (!day_) return;
  const int current = day_->CurrentRace;
  const std::string currentCode =
      current >= 0 && current < MaxRaces
          ? std::string(day_->Races[current].RaRecord.field(20, 2)) + std::string(day_->Races[current].RaRecord.field(26, 2))
          : std::string();
  bool selectedFetched = false;
  const std::vector<std::string> queue = OddsQueue;  // a handler below must not change what is walked
  for (const std::string& entry : queue) {
    if (entry.size() < 18) continue;
    const std::string_view e(entry);
    const std::string name = CourseRace(e.substr(8, 2), e.substr(14, 2));
    if (std::string(e.substr(8, 2)) + std::string(e.substr(14, 2)) == currentCode) selectedFetched = true;
    prompts_.processEvents();
    const std::string key(e.substr(0, 16));
    if (UsableKey(key))
      fetch(RealtimeKind::kOdds, key, name + "R", name + T().loopProgress, name + "R:", true, false);
    const long long slot = ParseInt(e.substr(16, 2), -1);
    if (slot < 0 || slot >= MaxRaces) continue;
    day_->BetRace = static_cast<int>(slot);
    OzReadBtnClick();
  }
  if (selectedFetched && host_.SelectedRaceItem() >= 0) host_.RerunRaceView();
}

void RaceDayLive::O1Click() {
  if (IsBlank(host_.DateComboText())) {
    prompts_.beep();
    prompts_.information(T().loadFirst);
    return;
  }
  const int n = host_.RaceItemCount();
  for (int item = 0; item < n; ++item) {
    host_.SelectRaceItem(item);
    SokuhoOddsBtnClick();
  }
}

bool RaceDayLive::dateFetch(RealtimeKind kind, const char* progress, const char* errorText, bool openBeep, bool quiet,
                            bool needsRace, FetchOutcome* outcome) {
  if (!dateChosen() || (needsRace && selectedSlot() < 0)) return false;
  const std::string key(day_->Races[0].RaRecord.field(12, 8));
  if (!UsableKey(key)) return false;
  const int current = day_->CurrentRace >= 0 && day_->CurrentRace < MaxRaces ? day_->CurrentRace : 0;
  const RaImage& ra = day_->Races[current].RaRecord;
  const std::string name = CourseRace(ra.field(20, 2), ra.field(26, 2));
  const FetchOutcome got = fetch(kind, key, key, Sj(progress), name + Sj(errorText), openBeep, quiet);
  if (outcome) *outcome = got;
  return true;
}

void RaceDayLive::KekkaGetBtnClick() {
  FetchOutcome got;
  if (!dateFetch(RealtimeKind::kResults, "ﾚｰｽ情報データ取得中", "R:ﾚｰｽ情報データ取得エラー：", !QuietResults,
                 QuietResults, true, &got))
    return;
  HrReadBtnClick();
  // The counts with the new finishes, stored for the aggregation; unattended, a failure to store
  // them goes to the log, and to the label unless the label already tells that the results
  // themselves were not stored (on a full disk both fail: the results are what the user lost).
  RankFrequency counts{};
  const Status ranked = HindoRankBtn(*day_, counts);
  host_.ShowRankFrequency(counts);
  if (!ranked.ok()) importFailed(ranked, got.error.empty());
  // The payout import read the entry records again: their weights are the newest.
  WeightsFromEntries(*day_);
  host_.RerunRaceView();
}

void RaceDayLive::GetBataijuBtnClick() {
  if (!dateFetch(RealtimeKind::kWeights, "馬体重データ取得中", "R:馬体重データ取得エラー：", !QuietWeights,
                 QuietWeights, true))
    return;
  BataijuReadBtnClick();
  host_.RerunRaceView();
}

void RaceDayLive::GetKaisaiBtnClick() {
  if (!dateFetch(RealtimeKind::kChanges, "開催速報データ取得中", "R:開催速報データ取得エラー：", !QuietResults, false,
                 false))
    return;
  KaisaiReadBtnClick();
}

void RaceDayLive::RVBtnClick() {
  if (!day_ || IsBlank(host_.DateComboText())) {
    prompts_.information(T().noDate);
    return;
  }
  const int slot = selectedSlot();
  if (slot < 0) {
    prompts_.information(T().noRace);
    return;
  }
  const RaImage& ra = day_->Races[slot].RaRecord;
  const std::string key = std::string(ra.field(12, 8)) + std::string(ra.field(20, 2)) + std::string(ra.field(26, 2));
  if (!UsableKey(key)) return;
  const int r = jv_.JVMVCheck(key);
  if (r == 0) prompts_.information(T().noVideo);
  else if (r == 1) jv_.JVMVPlay(key);
}

// ---- automatic retrieval ----

void RaceDayLive::AutoOzCheckClick(bool checked) {
  auto refuse = [&](const std::string& text) {
    prompts_.beep();
    prompts_.information(text);
    host_.SetAutoOzCheck(false);
    // The box now shows no automatic retrieval, so none may go on: a timer left running would
    // keep fetching the odds of whatever day is loaded now.
    if (timer1_) {
      timer1_ = false;
      host_.SetTimer1(false);
    }
  };
  const std::string date = host_.DateComboText();
  if (!day_ || IsBlank(date)) return refuse(T().loadFirst);
  if (date != TodayText(clock_.now())) return refuse(T().notToday);
  for (const auto& race : day_->Races) {
    bool notFinal = race.RaRecord.field(3, 1) == "1";
    for (const auto& runner : race.Runners) notFinal = notFinal || runner.SeRecord.field(3, 1) == "1";
    if (notFinal) return refuse(T().notFinal);
  }
  if (checked) AutoOddsDone.fill(false);
  timer1_ = checked;
  host_.SetTimer1(checked);
}

void RaceDayLive::Timer1Timer() {
  if (!day_ || IsBlank(host_.DateComboText())) return;
  const std::string now = HourMinute(clock_.now());
  OddsQueue.clear();
  for (int i = 0; i < MaxRaces; ++i) {
    const RaceInfo& race = day_->Races[i];
    if (TrimBlanks(race.Figures.AutoOddsTime.View()) != now || AutoOddsDone[i]) continue;
    AutoOddsDone[i] = true;
    char slot[8];
    std::snprintf(slot, sizeof slot, "%2d", i);
    OddsQueue.push_back(std::string(race.RaRecord.field(12, 16)) + slot);
  }
  if (!OddsQueue.empty()) OzGetLoopBtnClick();
}

void RaceDayLive::Timer2Timer() {
  const LocalTime t = clock_.now();
  host_.NowTimLabel(Two(t.hour) + T().ji + Two(t.minute) + T().fun + Two(t.second) + T().byo);
}

void RaceDayLive::Timer3Timer() {
  const int slot = selectedSlot();
  if (slot < 0) {
    host_.RestTimeLabel("");
    return;
  }
  const RaImage& ra = day_->Races[slot].RaRecord;
  const std::string text = std::string(ra.field(12, 4)) + "-" + std::string(ra.field(16, 2)) + "-" +
                           std::string(ra.field(18, 2)) + " " + std::string(ra.field(874, 2)) + ":" +
                           std::string(ra.field(876, 2));
  auto post = ParseClockText(text);
  if (!post) {
    // A race without a post time has nothing to count down to.
    host_.RestTimeLabel("");
    return;
  }
  const long long left = SerialSeconds(*post) - SerialSeconds(clock_.now());
  if (left > 0) {
    host_.RestTimeLabel(T().restTime + Two(static_cast<int>(left / 3600)) + ":" + Two(static_cast<int>(left / 60 % 60)) +
                        ":" + Two(static_cast<int>(left % 60)));
  } else {
    host_.RestTimeLabel(T().started);
  }
}

void RaceDayLive::Timer4Timer() {
  if (!day_) return;
  const std::string now = HourMinute(clock_.now());
  if (now > "1800") return;
  const std::string t = AddMinutes(day_->Races[0].RaRecord.field(874, 4), -(day_->AutoResultMinutes + 30));
  if (!(now > t)) return;
  QuietResults = true;
  KekkaGetBtnClick();
  QuietResults = false;
  QuietWeights = true;
  GetBataijuBtnClick();
  QuietWeights = false;
}

void RaceDayLive::J1Click(FolderChooser& chooser) {
  const std::string current = settings_.ReadString("Dir", "jikeiretu", FolderText(folder_));
  std::string chosen;
  if (!chooser.choose(T().folderCaption, Cp932ToUtf8Lossy(current), chosen)) return;
  auto sj = Utf8ToCp932(chosen);
  if (!sj.ok()) {
    prompts_.information(T().folderNotSjis);
    return;
  }
  if (Status s = settings_.WriteString("Dir", "jikeiretu", *sj); !s.ok()) prompts_.information(T().settingFailed + s.message());
}

namespace {

// The line of a time-series file nearest to `target` minutes, announced on the race day; empty
// when none is within 1000 minutes.
std::string NearestAnnouncement(const std::vector<std::string>& lines, int target, size_t len) {
  const std::string* best = nullptr;
  long long bestDistance = 0;
  for (const std::string& line : lines) {
    // A line that is not a whole record would break the fixed-length odds file.
    if (line.size() != len - 2 || !IsValidCp932(line)) continue;
    if (Field(line, 16, 4) != Field(line, 28, 4)) continue;
    const long long minute = FieldInt(line, 32, 2) * 60 + FieldInt(line, 34, 2);
    const long long distance = std::llabs(minute - target);
    if (!best || distance < bestDistance) {
      best = &line;
      bestDistance = distance;
    }
  }
  return best && bestDistance < 1000 ? *best : std::string();
}

}  // namespace

void RaceDayLive::T1Click() {
  const std::string home = FolderText(folder_);
  const std::string f = settings_.ReadString("Dir", "jikeiretu", home);
  if (f == home || IsBlank(f)) {
    prompts_.beep();
    prompts_.information(T().chooseFolder);
    return;
  }
  if (!day_ || IsBlank(host_.DateComboText())) {
    prompts_.beep();
    prompts_.information(T().loadRaceDay);
    return;
  }
  const fs::path source = PathFromUtf8(Cp932ToUtf8Lossy(f));
  int counts[2] = {0, 0};
  // Files that could not be read (a damaged day file, an unreadable source): each is named once
  // under the counts, so a race left out is not a mystery.
  std::vector<std::string> problems;
  auto problem = [&](const Status& st) {
    if (std::find(problems.begin(), problems.end(), st.message()) == problems.end()) problems.push_back(st.message());
  };
  const struct {
    const char* ext;
    size_t len;
  } kinds[2] = {{".jvO1", kLenO1}, {".jvO2", kLenO2}};
  for (int i = 0; i < MaxRaces; ++i) {
    const RaImage& ra = day_->Races[i].RaRecord;
    const std::string d(ra.field(12, 8));
    const std::string r = std::string(ra.field(20, 2)) + std::string(ra.field(22, 2)) + std::string(ra.field(24, 2)) +
                          std::string(ra.field(26, 2));
    // Both name files: only a loaded race's own digits may.
    if (!IsRaceKey(d + r)) continue;
    std::string_view odds = day_->Races[i].Figures.AutoOddsTime.View();
    const int target = static_cast<int>(FieldInt(odds, 1, 2) * 60 + FieldInt(odds, 3, 2));
    for (int k = 0; k < 2; ++k) {
      const fs::path file = ChildPath(ChildPath(source, d), r + kinds[k].ext);
      if (!FileExists(file)) continue;
      auto lines = ReadTextLines(file);
      if (!lines.ok()) {
        problem(lines.status());
        continue;
      }
      const std::string found = NearestAnnouncement(*lines, target, kinds[k].len);
      if (found.empty()) continue;
      const fs::path dayFile = DataPath(folder_, DateText(d), kinds[k].ext);
      auto stored = ReadRecordLines(dayFile, kinds[k].len);
      if (!stored.ok() && !stored.status().isNotFound()) problem(stored.status());
      // A day file without line i cannot take the race.
      if (!stored.ok() || stored->size() <= static_cast<size_t>(i)) continue;
      (*stored)[static_cast<size_t>(i)] = found;
      if (Status s = SaveLines(dayFile, *stored); !s.ok()) {
        prompts_.information(T().writeFailed + s.message());
        return;
      }
      ++counts[k];
    }
  }
  std::string text = std::to_string(counts[0]) + T().countO1 + std::to_string(counts[1]) + T().countO2 + T().imported;
  for (const std::string& p : problems) text += "\r\n" + p;
  prompts_.information(text);
  host_.ReloadDay();
}

}  // namespace zelkova
