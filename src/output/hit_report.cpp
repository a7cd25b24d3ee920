#include "output/hit_report.h"

#include <array>

#include "base/cp932.h"
#include "base/file_io.h"
#include "output/out_format.h"
#include "records/code_tables.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace {

using outfmt::FirstBytes;
using outfmt::Printf;

struct RatingKind {
  const char* label;  // 6 bytes in CP932
  PerRunner<int> RaceFigures::*rank;
};

const std::array<RatingKind, 8>& Kinds() {
  static const std::array<RatingKind, 8> kinds = {{
      {"着RT　", &RaceFigures::FinishRatingRank},
      {"人RT　", &RaceFigures::PopularityRatingRank},
      {"展RT　", &RaceFigures::PositionRatingRank},
      {"能力M ", &RaceFigures::AbilityMaxRank},
      {"能平　", &RaceFigures::AbilityAvgRank},
      {"格賞金", &RaceFigures::PrizeRank},
      {"平脚　", &RaceFigures::AverageCorner4Rank},
      {"ＳＰ　", &RaceFigures::SpeedOnClassRank},
  }};
  return kinds;
}

// One payout entry: its combination text and amount.
struct Entry {
  std::string_view combination;
  int amount;
  int horses;  // 2 or 3
  const std::string* label;
};

// The entries walked per race, in order: quinella 1..3, exacta 1..6, wide 1..7, trio 1..3 and
// the first three trifecta entries.
std::vector<Entry> Entries(const RaceFigures& f) {
  static const std::string quinella = Sj("R[馬連　]：　"), exacta = Sj("R[馬単　]：　"),
                           wide = Sj("R[ワイド]：　"), trio = Sj("R[３連複]:"), trifecta = Sj("R[３連単]:");
  std::vector<Entry> e;
  for (int i = 0; i < 3; ++i) e.push_back({f.PairCombo[i].View(), f.PayAmount.Pair[i], 2, &quinella});
  for (int i = 0; i < 6; ++i) e.push_back({f.ExactaCombo[i].View(), f.PayAmount.Exacta[i], 2, &exacta});
  for (int i = 3; i < 10; ++i) e.push_back({f.PairCombo[i].View(), f.PayAmount.Pair[i], 2, &wide});
  for (int i = 0; i < 3; ++i) e.push_back({f.TripleCombo[i].View(), f.PayAmount.Triple[i], 3, &trio});
  for (int i = 3; i < 6; ++i) e.push_back({f.TripleCombo[i].View(), f.PayAmount.Triple[i], 3, &trifecta});
  return e;
}

void RaceHits(const RaceInfo& race, const RatingKind& kind, const std::string& label, int threshold,
              std::vector<std::string>& report, std::vector<std::string>& running) {
  static const std::string blueFont = "<font color=\"blue\">", redFont = "<font color=\"red\">",
                           blueImg = "<img src=\"./image/lis2.gif\">", redImg = "<img src=\"./image/lis1.gif\">",
                           pay = Sj("/配当 "), yen = Sj("円/"), place = Sj("位:"), wideSpace = Sj("　");
  const RaImage& ra = race.RaRecord;
  const RaceFigures& f = race.Figures;
  for (const Entry& e : Entries(f)) {
    const bool cheap = e.amount < 10000;
    int numbers[3] = {static_cast<int>(ParseInt(Field(e.combination, 1, 2))),
                      static_cast<int>(ParseInt(Field(e.combination, 4, 2))),
                      static_cast<int>(ParseInt(Field(e.combination, 7, 2)))};
    bool complete = true;
    for (int i = 0; i < e.horses; ++i) complete = complete && numbers[i] >= 1;
    if (!complete) continue;
    for (int i = 0; i < e.horses; ++i) {
      const int h = numbers[i];
      if (h > MaxRunners) continue;  // no runner slot holds it
      const int r = (f.*kind.rank)[h - 1];
      if (r < 1 || r > 3 || e.amount <= threshold) continue;
      const std::string rating = label + Printf("%2d", r) + place + CircledNumber(h) +
                                 FirstBytes(race.Runners[h - 1].SeRecord.field(41, 36), 18);
      const std::string hit = *e.label + std::string(e.combination) + pay + Printf("%7d", e.amount) + yen + rating;
      report.push_back((cheap ? blueImg : redImg) + (cheap ? blueFont : redFont) + CourseNameW(ra.field(20, 2), 2) +
                       PadNumber(ra.field(26, 2)) + hit + wideSpace + std::string(ra.field(593, 12)) + "</font>");
      running.push_back(std::string(ra.field(12, 4)) + std::string(ra.field(16, 4)) + std::string(ra.field(20, 2)) +
                        std::string(ra.field(26, 2)) + hit);
    }
  }
}

}  // namespace

std::string RunningListFirstLine() { return " Zelkova for JRA-VAN Data Lab."; }

std::vector<std::string> HitReportLines(const RaceDay& day, const std::string& dateText, int threshold,
                                        std::vector<std::string>& running,
                                        const std::function<void(int item)>& showRace) {
  std::vector<std::string> report;
  std::string first = " Zelkova " + dateText.substr(0, 14);
  for (const std::string& code : day.DayCourses) first += " " + CourseNameW(code, 2);
  report.push_back(first);
  report.push_back("<pre>");
  const std::vector<int> slots = RaceListSlots(day);
  bool firstKind = true;
  for (const RatingKind& kind : Kinds()) {
    const std::string label = Sj(kind.label);
    report.push_back((firstKind ? "" : "<br>") + std::string("<font color=\"black\">") + Sj("▼") + label + Sj("▼") +
                     "</font>");
    firstKind = false;
    for (size_t item = 0; item < slots.size(); ++item) {
      if (showRace) showRace(static_cast<int>(item));
      RaceHits(day.Races[slots[item]], kind, label, threshold, report, running);
    }
  }
  report.push_back("</pre>");
  return report;
}

Result<HitReportFiles> HitReport(const RaceDay& day, const std::filesystem::path& programFolder,
                                 const std::string& dateText, int threshold, const HitReportEnv& env) {
  const std::string fail = Sj("的中レポートを出力できませんでした：");
  std::string_view date = day.Races[0].RaRecord.field(12, 8);
  if (!IsDateKey(date)) return Status::InvalidArgument(Sj("データを読み込んでください。"));
  HitReportFiles files;
  const std::filesystem::path folder = ChildPath(programFolder, "HPupload");
  files.html = folder / ("TK" + std::string(date) + ".html");
  files.txt = folder / ("TK" + std::string(date) + ".txt");
  files.running = ChildPath(folder, "Zerivadi.txt");

  std::vector<std::string> running;
  if (FileExists(files.running)) {
    auto text = ReadFile(files.running);
    if (!text.ok()) return Status::IoError(fail + text.status().message());
    running = SplitLines(*text);
  } else {
    running.push_back(RunningListFirstLine());
  }
  const std::vector<std::string> report = HitReportLines(day, dateText, threshold, running, env.showRace);
  if (report.size() < 3) return files;

  if (Status s = EnsureDir(folder); !s.ok()) return Status::IoError(fail + s.message());
  const std::string reportText = JoinLinesCrLf(report);
  AtomicWriteBatch batch;
  for (const auto& [path, bytes] : {std::pair{&files.html, &reportText}, std::pair{&files.txt, &reportText}}) {
    if (Status s = batch.Stage(*path, *bytes); !s.ok()) return Status::IoError(fail + s.message());
  }
  if (Status s = batch.Stage(files.running, JoinLinesCrLf(running)); !s.ok()) return Status::IoError(fail + s.message());
  if (Status s = batch.Commit(); !s.ok()) return Status::IoError(fail + s.message());
  if (env.shell) files.opened = env.shell->open(PathToUtf8(files.txt));
  if (env.clipboard) env.clipboard->setText(reportText);
  return files;
}

}  // namespace zelkova
