#include "racedata/race_day_loader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "base/cp932.h"
#include "base/file_io.h"
#include "base/replay_clock.h"
#include "racedata/race_day_updates.h"
#include "records/code_tables.h"
#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

double OddsValue(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (t.empty()) return -2;
  if (std::all_of(t.begin(), t.end(), [](char c) { return c == '-'; }) ||
      std::all_of(t.begin(), t.end(), [](char c) { return c == '*'; }))
    return -1;
  return static_cast<double>(ParseInt(t)) / 10.0;
}

int DaysBetween(int from, int to) {
  return static_cast<int>(DaysFromCivil(to / 10000, to / 100 % 100, to % 100) -
                          DaysFromCivil(from / 10000, from / 100 % 100, from % 100));
}

std::string TodayText(const LocalTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year % 10000, t.month % 100, t.day % 100);
  return DateText(buf);
}

namespace {

// A stored file of fixed-length records, read whole. Only whole records are visible.
struct RecordFile {
  std::string bytes;
  size_t len = 0;
  size_t count = 0;
  bool present = false;
  // Histories and meeting files: only the records a load uses have their text checked, once.
  bool textLater = false;
  std::vector<bool> textChecked;
  std::filesystem::path path;
  std::string_view rec(size_t k) const {
    if (k >= count) return {};
    return std::string_view(bytes).substr(k * len, len);
  }
};

// Texts of the load's reports about single files (CP932), converted once.
struct ProblemTexts {
  std::string open = Sj("「"), close = Sj("」");
  std::string notFile = Sj("はファイルではありません（フォルダです）。読み込みませんでした。");
  std::string empty = Sj("は空です（0バイト）。");
  std::string record = Sj("の"), notKind = Sj("件目はレコードではありません。読み飛ばしました。");
  std::string notCp932 = Sj("件目にShift-JISでない文字があります。名前などが正しく表示されません。");
  std::string shortSlots = Sj("は"), shortSlots2 = Sj("行しかありません（");
  std::string shortSlots3 = Sj("行のはず）。残りのレースの出走馬は表示されません。");
  std::string noEntries = Sj("がありません。この競馬場のレースの出走馬は表示されません。");
  std::string noHorses = Sj("（馬マスタ）がありません。血統、通算成績、賞金は表示されません。");
  std::string noJockeys = Sj("（騎手マスタ）がありません。騎手の成績は表示されません。");
  std::string noTrainers = Sj("（調教師マスタ）がありません。調教師の成績は表示されません。");
  std::string indexMissing = Sj("がないので、マスタ「"), indexStale = Sj("がマスタ「");
  std::string indexStale2 = Sj("」の今のファイルのものではないので、作り直しました。");
  std::string indexDamaged = Sj("が壊れていたので、マスタ「"), indexRebuilt = Sj("」から作り直しました。");
  std::string indexUnsaved = Sj("を保存できません：");
};
const ProblemTexts& PT() {
  static const ProblemTexts t;
  return t;
}

// A record as stored: its kind at bytes 1-2 (or blank throughout, as empty slots are) and CR LF.
bool RecordShapeOk(std::string_view rec, std::string_view kind) {
  if (rec.size() < 2 || rec.substr(rec.size() - 2) != "\r\n") return false;
  if (rec.substr(0, 2) == kind) return rec.find('\n') == rec.size() - 1;
  return IsBlank(rec.substr(0, rec.size() - 2));
}

int RaceNumber(const RaImage& ra) { return static_cast<int>(ra.fieldInt(26, 2)); }

// The registered runners, kept within the runner slots.
int RunnerLimit(const RaImage& ra) { return std::clamp(static_cast<int>(ra.fieldInt(882, 2)), 0, MaxRunners); }

std::string ComboText(std::initializer_list<int> numbers) {
  std::string out;
  char buf[8];
  for (int n : numbers) {
    if (!out.empty()) out += '-';
    std::snprintf(buf, sizeof buf, "%2d", n % 100);
    out += buf;
  }
  return out;
}

bool AllPositive(std::initializer_list<int> numbers) {
  return std::all_of(numbers.begin(), numbers.end(), [](int n) { return n > 0; });
}

int Int(std::string_view rec, size_t pos, size_t len) { return static_cast<int>(FieldInt(rec, pos, len)); }

}  // namespace

void ParsePayouts(std::string_view hr, RaceFigures& f) {
  for (int j = 0; j < 3; ++j) {  // win
    size_t p = 103 + 13 * static_cast<size_t>(j);
    f.PayHorse[j] = Int(hr, p, 2);
    f.PayAmount.Horse[j] = Int(hr, p + 2, 9);
    f.PayPopularity.Horse[j] = Int(hr, p + 11, 2);
  }
  for (int j = 0; j < 5; ++j) {  // place
    size_t p = 142 + 13 * static_cast<size_t>(j);
    f.PayHorse[3 + j] = Int(hr, p, 2);
    f.PayAmount.Horse[3 + j] = Int(hr, p + 2, 9);
    f.PayPopularity.Horse[3 + j] = Int(hr, p + 11, 2);
  }
  for (int j = 0; j < 3; ++j) {  // bracket quinella: two one-digit brackets
    size_t p = 207 + 13 * static_cast<size_t>(j);
    int a = Int(hr, p, 1), b = Int(hr, p + 1, 1);
    if (AllPositive({a, b})) f.BracketCombo[j].Assign(ComboText({a, b}));
    f.PayAmount.Bracket[j] = Int(hr, p + 2, 9);
    f.PayPopularity.Bracket[j] = Int(hr, p + 11, 2);
  }
  auto pair = [&](size_t p, FixedText<6>& combo, int& amount, int& pop) {
    int a = Int(hr, p, 2), b = Int(hr, p + 2, 2);
    if (AllPositive({a, b})) combo.Assign(ComboText({a, b}));
    amount = Int(hr, p + 4, 9);
    pop = Int(hr, p + 13, 3);
  };
  for (int j = 0; j < 3; ++j)
    pair(246 + 16 * static_cast<size_t>(j), f.PairCombo[j], f.PayAmount.Pair[j], f.PayPopularity.Pair[j]);
  for (int j = 0; j < 7; ++j)
    pair(294 + 16 * static_cast<size_t>(j), f.PairCombo[3 + j], f.PayAmount.Pair[3 + j], f.PayPopularity.Pair[3 + j]);
  for (int j = 0; j < 6; ++j)
    pair(454 + 16 * static_cast<size_t>(j), f.ExactaCombo[j], f.PayAmount.Exacta[j], f.PayPopularity.Exacta[j]);
  auto triple = [&](size_t p, int idx, size_t popLen) {
    int a = Int(hr, p, 2), b = Int(hr, p + 2, 2), c = Int(hr, p + 4, 2);
    if (AllPositive({a, b, c})) f.TripleCombo[idx].Assign(ComboText({a, b, c}));
    f.PayAmount.Triple[idx] = Int(hr, p + 6, 9);
    f.PayPopularity.Triple[idx] = Int(hr, p + 15, popLen);
  };
  for (int j = 0; j < 3; ++j) triple(550 + 18 * static_cast<size_t>(j), j, 3);
  for (int j = 0; j < 6; ++j) triple(604 + 19 * static_cast<size_t>(j), 3 + j, 4);
}

namespace {

void HorseFigures(std::string_view um, RaceFigures& f, int h) {
  int counts[6];
  int starts = 0;
  for (int i = 0; i < 6; ++i) {
    counts[i] = Int(um, 1107 + 3 * static_cast<size_t>(i), 3);
    starts += counts[i];
  }
  f.CareerStarts[h] = starts;
  f.PlaceRate[h] = (counts[0] + counts[1] + counts[2] + 1) / static_cast<double>(starts + 15) * 100.0;
  f.CareerPrize[h] = static_cast<int>(FieldInt(um, 1089, 9) / 100);
  if (starts >= 1) f.PrizePerStart[h] = static_cast<double>(f.CareerPrize[h]) / starts;
}

// Wins and starts from the four count groups of a jockey or trainer record.
void PersonCounts(std::string_view rec, const size_t (&base)[4], int& wins, int& starts) {
  wins = 0;
  starts = 0;
  for (int i = 0; i < 6; ++i)
    for (size_t b : base) {
      int v = Int(rec, b + 6 * static_cast<size_t>(i), 6);
      starts += v;
      if (i == 0) wins += v;
    }
}

struct Texts {
  std::string nen = Sj("年"), tsuki = Sj("月"), hi = Sj("日"), kai = Sj("回");
  std::string reading = Sj("R データ読込中"), pastReading = Sj("R 過去データ読込中");
};
const Texts& T() {
  static const Texts t;
  return t;
}

std::string FullCourseName(std::string_view code) { return StripWideSpaces(CourseNameW(code, 9)); }

class Loader {
 public:
  Loader(RaceDay& day, const RecordLoadInputs& in, LoadStages& stages, LoadObserver& obs, LoadScratch& scratch)
      : day_(day), in_(in), stages_(stages), obs_(obs), scratch_(scratch) {}

  Status Run();

 private:
  int Setting(const char* key, int def) const {
    return in_.settings ? in_.settings->ReadInteger("Time", key, def) : def;
  }
  void Progress(int pos, int max) {
    obs_.SetProgress(pos, max);
    obs_.ProcessEvents();
  }
  // Reads a stored file of `len`-byte records of `kind` into `f`. Missing: not present, Ok. A
  // read failure is the IoError that ends the load. What is wrong with the file (a folder in its
  // place, empty, torn, records of another shape, bytes that are not CP932) is reported once per
  // file; records of another shape read as blanks, the rest as they are.
  // `lines` > 0: the file must hold that many records (an entry file's slots).
  // `textLater`: the text of a record is checked when it is used (CheckText): of a horse's
  // history or a meeting's races a day uses a part, and checking every byte of them cost more
  // than reading them.
  Status Read(const fs::path& p, size_t len, std::string_view kind, RecordFile& f, size_t lines = 0,
              bool textLater = false);
  // Tells, once per file, that record k (about to be used) holds bytes that are not CP932.
  void CheckText(RecordFile& f, size_t k);
  // A master file: damage is reported, a read error ends the load; *missing tells whether the
  // file is not there (said once the day's runners are known to need it).
  // Its index file is used when it fits the master; otherwise it is made anew (and saved unless
  // the folder is read-only), which the log is told.
  Status LoadMaster(MasterIndex& idx, const fs::path& p, std::string_view ext, size_t len, size_t keyPos,
                    size_t keyLen, bool* missing);
  // A line for the error log (when the folder can be written and there is a clock to date it).
  void Log(const std::string& text) {
    obs_.Log(text);
    if (!in_.readOnly && in_.clock) (void)AppendErrorLog(in_.programFolder, *in_.clock, text);
  }
  // Tells `text` about `p` unless something was told about `p` already in this load.
  void Report(const fs::path& p, const std::string& text);
  std::string Named(const fs::path& p) const { return PT().open + PathText(p.filename()) + PT().close; }
  Status ReadRaces();
  Status ReadEntries(RaceInfo& race);
  Status ReadPastRuns(RaceInfo& race, Runner& runner, int h);
  // Blanks the past runs of every runner the entries left alone.
  void ClearUnsetPastRuns();
  void CourseTabs();
  Status ReadPastRaces();
  Status ReadPayoutsAndOdds();
  void SecondPass();

  RaceDay& day_;
  const RecordLoadInputs& in_;
  LoadStages& stages_;
  LoadObserver& obs_;
  LoadScratch& scratch_;
  std::string date_;
  StoredFolders folders_;  // looked up once a load: each lookup by name asks the file system
  fs::path umPath_, ksPath_, chPath_;
  std::vector<std::string> courses_;  // code + short name, sorted, distinct
  std::vector<int> listSlots_;        // race list item -> slot
  std::vector<std::pair<fs::path, RecordFile>> entryFiles_;
  RecordFile file_;
  std::unordered_map<std::string, RecordFile> meetings_;
  std::vector<fs::path> reported_;
  // Runners whose past-run images this load has set (filled, the rest of them blank).
  std::array<std::array<bool, MaxRunners>, MaxRaces> pastRunsSet_{};
  int runnersRead_ = 0;  // entry records found: the masters are needed
};

void Loader::Report(const fs::path& p, const std::string& text) {
  if (std::find(reported_.begin(), reported_.end(), p) != reported_.end()) return;
  reported_.push_back(p);
  obs_.Problem(text);
}

void Loader::CheckText(RecordFile& f, size_t k) {
  if (!f.textLater || k >= f.count || f.textChecked[k]) return;
  f.textChecked[k] = true;
  if (!IsValidCp932(f.rec(k))) Report(f.path, Named(f.path) + PT().record + std::to_string(k + 1) + PT().notCp932);
}

Status Loader::Read(const fs::path& p, size_t len, std::string_view kind, RecordFile& f, size_t lines,
                    bool textLater) {
  f.bytes.clear();
  f.len = len;
  f.count = 0;
  f.present = false;
  f.textLater = textLater;
  f.textChecked.clear();
  if (textLater) f.path = p;
  // Opened without looking first: a load opens some thousand files, most of them there.
  auto data = ReadFile(p);
  if (!data.ok()) {
    if (DirExists(p)) {
      Report(p, Named(p) + PT().notFile);
      return Status::Ok();
    }
    return data.status().isNotFound() ? Status::Ok() : data.status();
  }
  f.bytes = std::move(*data);
  f.present = true;
  f.count = f.bytes.size() / len;
  if (textLater) f.textChecked.assign(f.count, false);
  if (f.bytes.empty()) Report(p, Named(p) + PT().empty);
  if (f.bytes.size() % len != 0) Report(p, TruncatedFileText(p, f.bytes.size(), len));
  if (f.count > 0 && f.count < lines)
    Report(p, Named(p) + PT().shortSlots + std::to_string(f.count) + PT().shortSlots2 + std::to_string(lines) +
                  PT().shortSlots3);
  for (size_t k = 0; k < f.count; ++k) {
    std::string_view rec = f.rec(k);
    if (!RecordShapeOk(rec, kind)) {
      Report(p, Named(p) + PT().record + std::to_string(k + 1) + PT().notKind);
      f.bytes.replace(k * len, len - 2, len - 2, ' ');
      f.bytes.replace(k * len + len - 2, 2, "\r\n");
    } else if (!textLater && !IsValidCp932(rec)) {
      Report(p, Named(p) + PT().record + std::to_string(k + 1) + PT().notCp932);
    }
  }
  return Status::Ok();
}

Status Loader::LoadMaster(MasterIndex& idx, const fs::path& p, std::string_view ext, size_t len, size_t keyPos,
                          size_t keyLen, bool* missing) {
  *missing = false;
  const fs::path ip = MasterIndexPath(folders_, date_, ext);
  Status s = idx.Load(p, len, keyPos, keyLen, ip, !in_.readOnly);
  if ((s.ok() || s.isCorruption()) && idx.indexProblem() != MasterIndex::IndexProblem::None) {
    const std::string index = Named(ip), master = PathText(p.filename());
    switch (idx.indexProblem()) {
      case MasterIndex::IndexProblem::Missing:
        Log(index + PT().indexMissing + master + PT().indexRebuilt);
        break;
      case MasterIndex::IndexProblem::Stale:
        Log(index + PT().indexStale + master + PT().indexStale2);
        break;
      default:
        Log(index + PT().indexDamaged + master + PT().indexRebuilt);
        break;
    }
    if (!idx.indexWrite().ok()) Log(index + PT().indexUnsaved + idx.indexWrite().message());
  }
  if (s.isNotFound()) {
    *missing = true;
    return Status::Ok();
  }
  if (s.isCorruption()) {
    Report(p, s.message());
    return Status::Ok();
  }
  if (s.ok() && idx.size() == 0) Report(p, Named(p) + PT().empty);
  return s;
}

Status Loader::Run() {
  date_ = in_.dateText.substr(0, std::min<size_t>(in_.dateText.size(), 14));
  reported_.clear();
  // 1-2
  obs_.SetMainWindowEnabled(false);
  const fs::path folder = in_.programFolder;
  folders_ = ResolveStoredFolders(folder);
  day_.RaPath = DataPath(folder, date_, ".jvRA");
  day_.HrPath = DataPath(folder, date_, ".jvHR");
  day_.WhPath = DataPath(folder, date_, ".jvWH");
  day_.O1Path = DataPath(folder, date_, ".jvO1");
  day_.O2Path = DataPath(folder, date_, ".jvO2");
  day_.CheckPath = DataPath(folder, date_, ".CkIm");
  day_.HindPath = DataPath(folder, date_, ".Hind");
  day_.SePath.clear();
  umPath_ = DataPath(folder, date_, ".jvUM2");
  ksPath_ = DataPath(folder, date_, ".jvKS");
  chPath_ = DataPath(folder, date_, ".jvCH");
  obs_.ClearRestTime();
  obs_.StopTimers();
  if (!FileExists(umPath_)) obs_.UMConvertBtn(date_);
  IniBtn(day_);
  obs_.ClearRaceList();
  // 3
  if (!FileExists(day_.RaPath)) {
    obs_.SetMainWindowEnabled(true);
    return Status::NotFound(Sj("レースデータがありません: ") + date_);
  }
  day_.DateText = date_;
  obs_.ShowWaitWindow();
  obs_.SetWaitText("", "");
  obs_.SetProgress(0, MaxRaces);
  obs_.ProcessEvents();
  obs_.HidePanel12();
  // 4-5
  ClearRecordImages(day_, /*pastRuns=*/false);
  for (auto& race : pastRunsSet_) race.fill(false);
  day_.RaceCount = 0;
  for (auto& c : day_.DayCourses) c.clear();
  auto marks = in_.readOnly ? ReadCheckMarks(day_.CheckPath) : LoadOrCreateCheckMarks(day_.CheckPath);
  if (in_.readOnly && marks.status().isNotFound()) marks = std::string(kCheckMarksLen, '0');
  if (marks.ok() && marks->size() == kCheckMarksLen)
    std::copy(marks->begin(), marks->end(), day_.CheckMarks.begin());
  else if (!marks.ok())
    obs_.Problem(Sj("チェックマークのファイルを使えません：") + marks.status().message());
  // 6
  if (!in_.readOnly) {
    Status s = EnsureOddsPlaceholders(folder, date_);
    if (!s.ok()) obs_.Problem(Sj("オッズの仮ファイルを作れません：") + s.message());
  }

  Status st = ReadRaces();
  ClearUnsetPastRuns();
  if (st.ok()) {
    CourseTabs();
    st = ReadPastRaces();
  }
  if (st.ok()) st = ReadPayoutsAndOdds();
  if (!st.ok()) {
    // The caller tells the failure that ends the load; the problems before it are told too.
    obs_.CloseWaitWindow();
    obs_.SetMainWindowEnabled(true);
    return st;
  }
  // 13
  obs_.SetUpDown(static_cast<int>(listSlots_.size()) - 1, 0);
  // Scratch notices before any rank: a runner that does not run takes no place.
  if (Status a = MarkScratches(day_); !a.ok()) obs_.Problem(Sj("出走取消情報を読めません：") + a.message());
  SecondPass();
  // 15: BetRace is a slot; a year-0000 record takes a slot without a list item, so item i is
  // not always slot i.
  for (int slot : listSlots_) {
    day_.BetRace = slot;
    stages_.PerRaceListItem(day_);
  }
  if (Status w = BataijuReadBtn(day_); !w.ok()) obs_.Problem(Sj("馬体重を読めません：") + w.message());
  obs_.CloseWaitWindow();
  // 16
  std::vector<std::string> codes;
  for (int r = 0; r < day_.RaceCount; ++r) {
    const RaImage& ra = day_.Races[r].RaRecord;
    if (RaceNumber(ra) > 0) codes.emplace_back(ra.field(20, 2));
  }
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  for (size_t i = 0; i < codes.size() && i < day_.DayCourses.size(); ++i) day_.DayCourses[i] = codes[i];
  // 17
  day_.AutoResultMinutes = Setting("AutoRdataGet", 15);
  bool today = in_.clock && TodayText(in_.clock->now()) == date_;
  obs_.SetTimer4(day_.AutoResultMinutes, today);
  // 18
  stages_.HindoRankBtn(day_, obs_);
  stages_.HindoReadBtn(day_, obs_);
  if (!listSlots_.empty()) obs_.SelectRace(day_, 0);
  obs_.SetMainWindowEnabled(true);
  return Status::Ok();
}

Status Loader::ReadRaces() {
  RecordFile ra;
  Status s = Read(day_.RaPath, kLenRA, "RA", ra);
  if (!s.ok()) return s;
  courses_.clear();
  listSlots_.clear();
  // Files are opened and closed within the step that reads them: an open master could not be
  // replaced by a download on every system.
  struct CloseMasters {
    LoadScratch& scratch;
    ~CloseMasters() {
      for (MasterIndex* m : {&scratch.um, &scratch.ks, &scratch.ch}) m->Close();
    }
  } closeMasters{scratch_};
  bool missing[3];
  if (Status m = LoadMaster(scratch_.um, umPath_, ".jvUM2", kLenUM, 12, 10, &missing[0]); !m.ok()) return m;
  if (Status m = LoadMaster(scratch_.ks, ksPath_, ".jvKS", kLenKS, 12, 5, &missing[1]); !m.ok()) return m;
  if (Status m = LoadMaster(scratch_.ch, chPath_, ".jvCH", kLenCH, 12, 5, &missing[2]); !m.ok()) return m;
  entryFiles_.clear();
  runnersRead_ = 0;
  int slot = 0, progress = 0;
  for (size_t line = 0; line < ra.count && slot < MaxRaces; ++line) {
    RaceInfo& race = day_.Races[slot];
    race.RaRecord.assign(ra.rec(line));
    Progress(++progress, MaxRaces);
    if (race.RaRecord.empty()) {
      race.RaRecord.clear();
      continue;
    }
    std::string_view code = race.RaRecord.field(20, 2);
    std::string shortName = CourseNameW(code, 2);
    obs_.SetWaitText(FullCourseName(code) + PadNumber(race.RaRecord.field(26, 2)) + T().reading, "");
    obs_.ProcessEvents();
    if (race.RaRecord.field(12, 4) != "0000") {
      obs_.AddRaceListItem(RaceListItemText(race.RaRecord));
      listSlots_.push_back(slot);
      std::string entry = std::string(code) + shortName;
      auto it = std::lower_bound(courses_.begin(), courses_.end(), entry);
      if (it == courses_.end() || *it != entry) courses_.insert(it, entry);
    }
    s = ReadEntries(race);
    if (!s.ok()) return s;
    ++slot;
  }
  day_.RaceCount = slot;
  // A missing master blanks a whole column family of every runner: said as a damaged one is.
  if (runnersRead_ > 0) {
    const std::pair<const fs::path*, const std::string*> masters[] = {
        {&umPath_, &PT().noHorses}, {&ksPath_, &PT().noJockeys}, {&chPath_, &PT().noTrainers}};
    for (int i = 0; i < 3; ++i)
      if (missing[i]) Report(*masters[i].first, Named(*masters[i].first) + *masters[i].second);
  }
  return Status::Ok();
}

Status Loader::ReadEntries(RaceInfo& race) {
  const RaImage& ra = race.RaRecord;
  std::string shortName = CourseNameW(ra.field(20, 2), 2);
  day_.SePath = DataPath(folders_, date_, shortName + ".jvSEr");
  RaceFigures& f = race.Figures;
  int n = RunnerLimit(ra);
  f.RunnerCount = n;
  int q = RaceNumber(ra);
  // A race number outside 1..12 has no slot lines in the entry file.
  if (q < 1 || q > 12) return Status::Ok();
  RecordFile* se = nullptr;
  for (auto& e : entryFiles_)
    if (e.first == day_.SePath) se = &e.second;
  if (!se) {
    entryFiles_.emplace_back(day_.SePath, RecordFile{});
    se = &entryFiles_.back().second;
    Status s = Read(day_.SePath, kLenSE, "SE", *se, kSlotLines);
    if (!s.ok()) return s;
  }
  if (!se->present) {
    // Without it the race would show runners without horses, jockeys or trainers.
    if (n > 0) Report(day_.SePath, Named(day_.SePath) + PT().noEntries);
    return Status::Ok();
  }
  for (int h = 0; h < n; ++h) {
    Runner& runner = race.Runners[h];
    runner.SeRecord.assign(se->rec(static_cast<size_t>(q - 1) * MaxRunners + static_cast<size_t>(h)));
    if (!runner.SeRecord.empty()) ++runnersRead_;
    auto um = scratch_.um.Find(runner.SeRecord.field(31, 10));
    if (!um.ok()) return um.status();
    if (!um->empty()) {
      runner.UmRecord.assign(*um);
      HorseFigures(runner.UmRecord.view(), f, h);
    }
    Status s = ReadPastRuns(race, runner, h);
    if (!s.ok()) return s;
    auto ks = scratch_.ks.Find(runner.SeRecord.field(297, 5));
    if (!ks.ok()) return ks.status();
    if (!ks->empty()) {
      runner.KsRecord.assign(*ks);
      static const size_t kJockey[4] = {1060, 1096, 2112, 2148};
      PersonCounts(runner.KsRecord.view(), kJockey, f.JockeyWins[h], f.JockeyStarts[h]);
      if (f.JockeyStarts[h] >= 1) f.JockeyWinRate[h] = static_cast<double>(f.JockeyWins[h]) / f.JockeyStarts[h] * 100.0;
    }
    auto ch = scratch_.ch.Find(runner.SeRecord.field(86, 5));
    if (!ch.ok()) return ch.status();
    if (!ch->empty()) {
      runner.ChRecord.assign(*ch);
      static const size_t kTrainer[4] = {749, 785, 1801, 1837};
      PersonCounts(runner.ChRecord.view(), kTrainer, f.TrainerWins[h], f.TrainerStarts[h]);
      if (f.TrainerStarts[h] >= 1)
        f.TrainerWinRate[h] = static_cast<double>(f.TrainerWins[h]) / f.TrainerStarts[h] * 100.0;
    }
  }
  return Status::Ok();
}

// Most images to be blanked are blank already (slots no load has filled): reading them costs
// less than writing them.
template <size_t L>
void Blank(RecordImage<L>& image) {
  constexpr uint64_t kSpaces = 0x2020202020202020ULL;
  const char* p = image.bytes.data();
  size_t i = 0;
  for (uint64_t w; i + 8 <= L; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (w != kSpaces) break;
  }
  while (i < L && p[i] == ' ') ++i;
  if (i < L) image.clear();
}

void BlankPastRuns(Runner& runner, int from) {
  for (int k = from; k < MaxPastRuns; ++k) {
    Blank(runner.PastRuns[k].SeRecord);
    Blank(runner.PastRuns[k].RaRecord);
  }
}

Status Loader::ReadPastRuns(RaceInfo& race, Runner& runner, int h) {
  // The slots taken get their SE record here and their RA record (or a blank) from the
  // meeting files; the others are blanked.
  pastRunsSet_[static_cast<size_t>(&race - day_.Races.data())][static_cast<size_t>(h)] = true;
  int taken = 0;
  std::string_view reg = runner.SeRecord.field(31, 10);
  if (IsRegistrationNumber(reg)) {
    fs::path p = HorsePath(folders_, reg);
    Status s = Read(p, kLenSE, "SE", file_, 0, true);
    if (!s.ok()) {
      BlankPastRuns(runner, 0);
      return s;
    }
    const int d0 = static_cast<int>(race.RaRecord.fieldInt(12, 8));
    for (size_t k = file_.count; k-- > 0 && taken < MaxPastRuns;) {
      std::string_view rec = file_.rec(k);
      int d = static_cast<int>(FieldInt(rec, 12, 8));
      if (d <= 0 || d >= d0) continue;
      if (taken == 0) race.Figures.DaysSinceLastRun[h] = DaysBetween(d, d0);
      CheckText(file_, k);
      runner.PastRuns[taken++].SeRecord.assign(rec);
    }
  }
  BlankPastRuns(runner, taken);
  return Status::Ok();
}

void Loader::ClearUnsetPastRuns() {
  for (size_t r = 0; r < static_cast<size_t>(MaxRaces); ++r)
    for (size_t h = 0; h < static_cast<size_t>(MaxRunners); ++h)
      if (!pastRunsSet_[r][h]) BlankPastRuns(day_.Races[r].Runners[h], 0);
}

void Loader::CourseTabs() {
  for (int i = 0; i < 3; ++i) {
    obs_.SetCourseTab(i, false, "", "");
    obs_.SetCourseIndexLabel(i, "");
  }
  int rows[3] = {0, 0, 0};
  bool labelled[3] = {false, false, false};
  for (size_t i = 0; i < courses_.size() && i < 3; ++i)
    obs_.SetCourseTab(static_cast<int>(i), true, courses_[i].substr(2, 4), courses_[i].substr(0, 2));
  for (int r = 0; r < day_.RaceCount; ++r) {
    std::string_view code = day_.Races[r].RaRecord.field(20, 2);
    for (size_t i = 0; i < courses_.size() && i < 3; ++i) {
      if (std::string_view(courses_[i]).substr(0, 2) != code) continue;
      ++rows[i];
      if (!labelled[i]) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%2d", r);
        obs_.SetCourseIndexLabel(static_cast<int>(i), buf);
        labelled[i] = true;
      }
    }
  }
  // A grid of a racecourse the day does not have keeps only its header row.
  for (int i = 0; i < 3; ++i) obs_.SetCourseGridRows(i, rows[i] + 1);
}

Status Loader::ReadPastRaces() {
  obs_.SetProgress(0, MaxRaces);
  meetings_.clear();
  for (int r = 0; r < day_.RaceCount; ++r) {
    RaceInfo& race = day_.Races[r];
    if (race.RaRecord.empty()) continue;
    obs_.SetWaitText(FullCourseName(race.RaRecord.field(20, 2)) + PadNumber(race.RaRecord.field(26, 2)) +
                         T().pastReading,
                     "");
    Progress(r + 1, MaxRaces);
    for (auto& runner : race.Runners) {
      for (auto& past : runner.PastRuns) {
        if (past.SeRecord.empty()) continue;
        std::string key(past.SeRecord.field(12, 10));
        if (!IsMeetingKey(key)) {
          Blank(past.RaRecord);
          continue;
        }
        auto it = meetings_.find(key);
        if (it == meetings_.end()) {
          // Bounded: a day's runners mostly share recent meetings.
          if (meetings_.size() >= 512) meetings_.clear();
          it = meetings_.emplace(key, RecordFile{}).first;
          Status s = Read(MeetingPath(folders_, key), kLenRA, "RA", it->second, 0, true);
          if (!s.ok()) return s;
        }
        std::string_view raceNo = past.SeRecord.field(26, 2);
        bool found = false;
        for (size_t k = 0; k < it->second.count && !found; ++k) {
          std::string_view rec = it->second.rec(k);
          if (Field(rec, 26, 2) == raceNo) {
            CheckText(it->second, k);
            past.RaRecord.assign(rec);
            found = true;
          }
        }
        if (!found) Blank(past.RaRecord);
      }
    }
  }
  meetings_.clear();
  return Status::Ok();
}

Status Loader::ReadPayoutsAndOdds() {
  auto slotKey = [](std::string_view rec) { return std::string(Field(rec, 20, 2)) + std::string(Field(rec, 26, 2)); };
  auto findSlot = [&](std::string_view rec) {
    std::string key = slotKey(rec);
    if (IsBlank(key)) return -1;
    for (int r = 0; r < day_.RaceCount; ++r)
      if (slotKey(day_.Races[r].RaRecord.view()) == key) return r;
    return -1;
  };
  // 10: payouts, first matching slot
  Status s = Read(day_.HrPath, kLenHR, "HR", file_);
  if (!s.ok()) return s;
  for (size_t k = 0; k < file_.count && k < static_cast<size_t>(MaxRaces); ++k) {
    int r = findSlot(file_.rec(k));
    if (r >= 0) day_.Races[r].HrRecord.assign(file_.rec(k));
  }
  // 11: line k of the O1 file belongs to slot k (the real-time writer stores it there); a line
  // of another race is not used.
  s = Read(day_.O1Path, kLenO1, "O1", file_);
  if (!s.ok()) return s;
  for (int r = 0; r < day_.RaceCount; ++r) {
    RaceInfo& race = day_.Races[r];
    std::string key = slotKey(race.RaRecord.view());
    if (IsBlank(key)) continue;
    std::string_view rec = file_.rec(static_cast<size_t>(r));
    if (!rec.empty() && slotKey(rec) == key) race.Odds.O1Record.assign(rec);
  }
  // 12: O2 by key
  s = Read(day_.O2Path, kLenO2, "O2", file_);
  if (!s.ok()) return s;
  for (size_t k = 0; k < file_.count && k < static_cast<size_t>(MaxRaces); ++k) {
    int r = findSlot(file_.rec(k));
    if (r >= 0) day_.Races[r].Odds.O2Record.assign(file_.rec(k));
  }
  file_.bytes.clear();
  return Status::Ok();
}

void Loader::SecondPass() {
  const int oddsMinutes = Setting("AutoOzGet", 30);
  const int weightMinutes = Setting("AutoBataijuGet", 37);
  obs_.SetProgress(0, MaxRaces);
  for (int r = 0; r < day_.RaceCount; ++r) {
    RaceInfo& race = day_.Races[r];
    Progress(r + 1, MaxRaces);
    if (race.RaRecord.empty()) continue;
    const RaImage& ra = race.RaRecord;
    RaceFigures& f = race.Figures;
    const int n = RunnerLimit(ra);
    f.RunnerCount = n;
    std::string_view start = ra.field(874, 4);
    long long startMinutes = FieldInt(start, 1, 2) * 60 + FieldInt(start, 3, 2);
    if (startMinutes > 0 && oddsMinutes > 0) f.AutoOddsTime.Assign(AddMinutes(start, -oddsMinutes));
    if (startMinutes > 0 && weightMinutes > 0) f.AutoWeightTime.Assign(AddMinutes(start, -weightMinutes));
    for (int h = 0; h < n; ++h) {
      const SeImage& se = race.Runners[h].SeRecord;
      f.FinishPos[h] = static_cast<int>(se.fieldInt(335, 2));
      f.FinalPopularity[h] = static_cast<int>(se.fieldInt(364, 2));
      f.FinalOdds[h] = static_cast<double>(se.fieldInt(360, 4)) / 10.0;
    }
    ParsePayouts(race.HrRecord.view(), f);
    stages_.BeforeOdds(race);
    std::string title;
    title.reserve(30);
    title.append(ra.field(12, 4)).append(T().nen).append(ra.field(16, 2)).append(T().tsuki);
    title.append(ra.field(18, 2)).append(T().hi).append(CourseNameW(ra.field(20, 2), 2));
    title.append(ra.field(22, 2)).append(T().kai).append(ra.field(24, 2)).append(T().hi);
    title.append(ra.field(26, 2)).append("R");
    f.Title.Assign(title);
    const O1Image& o1 = race.Odds.O1Record;
    const O2Image& o2 = race.Odds.O2Record;
    f.O1Time.Assign(o1.field(32, 4));
    f.O2Time.Assign(o2.field(32, 4));
    for (int h = 0; h < n; ++h) {
      const SeImage& se = race.Runners[h].SeRecord;
      f.HorseNoText[h].Assign(se.field(29, 2));
      f.FrameNoText[h].Assign(se.field(28, 1));
      f.PedigreeNo[h].Assign(se.field(31, 10));
      f.HorseName[h].Assign(Cp932Prefix(se.field(41, 36), 18));
      f.SexCode[h].Assign(se.field(79, 1));
      f.WeightText[h].Assign(se.field(289, 3));
      f.JockeyCode[h].Assign(se.field(297, 5));
      f.JockeyName[h].Assign(Cp932Prefix(se.field(307, 8), 8));
      f.TrainerCode[h].Assign(se.field(86, 5));
      f.TrainerName[h].Assign(Cp932Prefix(se.field(91, 8), 8));
    }
    for (int h = 0; h < MaxRunners; ++h) {
      size_t sh = static_cast<size_t>(h);
      f.WinOdds[h] = OddsValue(o1.field(46 + 8 * sh, 4));
      f.PlaceOddsLow[h] = OddsValue(o1.field(270 + 12 * sh, 4));
      f.PlaceOddsHigh[h] = OddsValue(o1.field(274 + 12 * sh, 4));
    }
    for (size_t i = 0; i < f.BracketOdds.size(); ++i) f.BracketOdds[i] = OddsValue(o1.field(606 + 9 * i, 5));
    for (size_t i = 0; i < f.QuinellaOdds.size(); ++i) f.QuinellaOdds[i] = OddsValue(o2.field(45 + 13 * i, 6));
    stages_.AfterOdds(race);
  }
}

}  // namespace

Status LoadRaceRecords(RaceDay& day, const RecordLoadInputs& in, LoadStages& stages, LoadObserver& obs,
                       LoadScratch& scratch) {
  Loader loader(day, in, stages, obs, scratch);
  return loader.Run();
}

std::string RaceListItemText(const RaImage& ra) {
  return CourseNameW(ra.field(20, 2), 2) + PadNumber(ra.field(22, 2)) + T().kai + PadNumber(ra.field(24, 2)) + T().hi +
         PadNumber(ra.field(26, 2)) + "R";
}

}  // namespace zelkova
