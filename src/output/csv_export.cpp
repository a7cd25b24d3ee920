#include "output/csv_export.h"

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

constexpr int kRaceFields = 14;
constexpr int kHorseFields = 38;
constexpr int kPayoutFields = 32;
static_assert(kRaceFields + 3 * kHorseFields + kPayoutFields == kCsvFields);

// The fields of one row before they are quoted and joined.
using Fields = std::vector<std::string>;

std::string Joined(const Fields& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) line += ',';
    line += '"';
    line += fields[i];
    line += '"';
  }
  return line;
}

std::string Str(std::string_view s) { return std::string(s); }

int TrackCode(const RaImage& ra) { return static_cast<int>(ra.fieldInt(706, 2)); }

void RaceFields(const RaceInfo& race, Fields& out) {
  const RaImage& ra = race.RaRecord;
  static const std::string kai = Sj("回"), hi = Sj("日");
  out.push_back(Str(ra.field(12, 4)) + "/" + Str(ra.field(16, 2)) + "/" + Str(ra.field(18, 2)));
  out.push_back(CourseNameW(ra.field(20, 2), 2) + Str(ra.field(22, 2)) + kai + Str(ra.field(24, 2)) + hi +
                Str(ra.field(26, 2)) + "R");
  out.push_back(Str(ra.field(20, 2)));
  out.push_back(Str(ra.field(882, 2)));
  out.push_back(GradeCsv(ra.field(615, 1)));
  out.push_back(WeightRuleCsv(ra.field(622, 1)));
  out.push_back(AgeClassCsv(ra.field(617, 2), ra.field(635, 3)));
  out.push_back(Str(ra.field(617, 2)) + Str(ra.field(635, 3)));
  out.push_back(SurfaceCsv(TrackCode(ra)));
  out.push_back(DirectionCsv(TrackCode(ra)));
  out.push_back(Str(ra.field(698, 4)));
  out.push_back(GoingCsv(ra.field(889, 1)));
  out.push_back(GoingCsv(ra.field(890, 1)));
  out.push_back(Printf("%5.1f", race.Figures.TopThreeShare));
}

// 初 for a horse without a career start (1000), － for no win or place yet (100).
std::string MarginText(double m) {
  static const std::string first = Sj("初"), none = Sj("－");
  if (m >= 1000) return first;
  if (m >= 100) return none;
  return Printf("%6.2f", m);
}

std::string Rank(int r) { return r > 0 ? Printf("%2d", r) : std::string(); }
std::string Positive(const char* format, double v) { return v > 0 ? Printf(format, v) : std::string(); }

// A value and its rank, filled only when the horse has a rank; the value only when above 0.
void RankedPair(Fields& out, double value, int rank) {
  if (rank > 0) {
    out.push_back(Positive("%6.1f", value));
    out.push_back(Printf("%2d", rank));
  } else {
    out.push_back({});
    out.push_back({});
  }
}

// Horse number n (1..18) of the race, or an empty block for any other number.
void HorseFields(const RaceInfo& race, int n, Fields& out) {
  if (n < 1 || n > MaxRunners) {
    out.insert(out.end(), kHorseFields, std::string());
    return;
  }
  const int h = n - 1;
  const SeImage& se = race.Runners[h].SeRecord;
  const RaceFigures& f = race.Figures;
  out.push_back(Str(se.field(29, 2)));
  out.push_back(FirstBytes(se.field(41, 36), 18));
  out.push_back(Str(se.field(83, 2)));
  out.push_back(SexName(se.field(79, 1)));
  out.push_back(Str(se.field(307, 8)));
  if (f.FinishRatingRank[h] > 0) {
    out.push_back(Printf("%6.1f", f.FinishRating[h] * 100));
    out.push_back(Printf("%2d", f.FinishRatingRank[h]));
  } else {
    out.insert(out.end(), 2, std::string());
  }
  out.push_back(MarginText(f.WinMargin[h]));
  out.push_back(Str(f.WinClass[h].View()));
  out.push_back(MarginText(f.PlaceMargin[h]));
  out.push_back(Rank(f.PlaceMarginRank[h]));
  RankedPair(out, f.PopularityRating[h] * 100, f.PopularityRatingRank[h]);
  out.push_back(Positive("%6.1f", f.SupportRate[h]));
  out.push_back(Printf("%6.1f", f.EstimatedSupport[h]));
  if (f.PositionRatingRank[h] > 0) {
    out.push_back(Printf("%6.1f", f.PositionRating[h] * 100));
    out.push_back(Printf("%2d", f.PositionRatingRank[h]));
  } else {
    out.insert(out.end(), 2, std::string());
  }
  RankedPair(out, f.AverageCorner4[h], f.AverageCorner4Rank[h]);
  out.push_back(f.HorseWeight[h] > 0 ? Printf("%3d", f.HorseWeight[h]) : std::string());
  out.push_back(Positive("%3.0f", f.WeightWhenFirstOrSecond[h]));
  out.push_back(f.DaysSinceLastRun[h] > 0 ? Printf("%3d", f.DaysSinceLastRun[h] / 7) : std::string());
  RankedPair(out, f.AbilityMax[h], f.AbilityMaxRank[h]);
  RankedPair(out, f.AbilityAvg[h], f.AbilityAvgRank[h]);
  RankedPair(out, f.SpeedOnClass[h], f.SpeedOnClassRank[h]);
  RankedPair(out, f.Last3FOnClass[h], f.Last3FOnClassRank[h]);
  out.push_back(f.BestLast3FOnClass[h] >= 1000 ? std::string() : Printf("%4.1f", f.BestLast3FOnClass[h]));
  // Short, middle and long distance classes: 1..3 on turf, 4..6 on dirt, none elsewhere.
  const int track = TrackCode(race.RaRecord);
  int first = -1;
  if (track >= 10 && track <= 22) first = 0;
  if (track >= 23 && track <= 29) first = 3;
  for (int i = 0; i < 3; ++i)
    out.push_back(first < 0 ? std::string() : Positive("%4.1f", f.Last3FByClass[h][first + i]));
  out.insert(out.end(), 4, std::string());  // 予備1..予備4
}

// One payout group: its combination (when it has one), popularity and payout as stored, or
// empty fields when the payout is not above 0.
void PayoutGroup(std::string_view hr, std::string combination, size_t popPos, size_t popLen, size_t payPos,
                 bool hasCombination, Fields& out) {
  const bool paid = FieldInt(hr, payPos, 9) > 0;
  if (hasCombination) out.push_back(paid ? combination : std::string());
  out.push_back(paid ? Str(Field(hr, popPos, popLen)) : std::string());
  out.push_back(paid ? Str(Field(hr, payPos, 9)) : std::string());
}

void PayoutFields(const HrImage& img, Fields& out) {
  std::string_view hr = img.view();
  auto f = [&](size_t pos, size_t len) { return Str(Field(hr, pos, len)); };
  PayoutGroup(hr, {}, 114, 2, 105, false, out);
  PayoutGroup(hr, {}, 153, 2, 144, false, out);
  PayoutGroup(hr, {}, 166, 2, 157, false, out);
  PayoutGroup(hr, {}, 179, 2, 170, false, out);
  PayoutGroup(hr, " " + f(207, 1) + "-" + f(208, 1), 218, 2, 209, true, out);
  PayoutGroup(hr, " " + f(246, 2) + "-" + f(248, 2), 259, 3, 250, true, out);
  for (size_t p : {294u, 310u, 326u})
    PayoutGroup(hr, " " + f(p, 2) + "-" + f(p + 2, 2), p + 13, 3, p + 4, true, out);
  PayoutGroup(hr, " " + f(454, 2) + ">" + f(456, 2), 467, 3, 458, true, out);
  PayoutGroup(hr, " " + f(550, 2) + "-" + f(552, 2) + "-" + f(554, 2), 565, 3, 556, true, out);
  PayoutGroup(hr, " " + f(604, 2) + ">" + f(606, 2) + ">" + f(608, 2), 619, 4, 610, true, out);
}

}  // namespace

const std::string& CsvHeaderLine() {
  static const std::string line = [] {
    static const char* const race[kRaceFields] = {"年月日", "場所回日R", "開催地", "頭数", "グレード", "重量区分", "クラス",
                                                  "クラスCode", "トラック", "コース", "距離", "芝状態", "ダ状態",
                                                  "人気占有率"};
    static const char* const horse[kHorseFields - 1] = {
        "馬名", "馬齢",     "性別",   "騎手名", "着RT",       "着RT順",     "勝利着差", "勝分類", "連対着差", "連対着差順",
        "人RT", "人RT順",   "支持率", "推支持率", "展RT",     "展RT順",     "平脚",     "平脚順", "当日馬体重", "連対馬体重",
        "R間隔", "能力M",   "能力M順", "能平均", "能平均順",  "SP",         "SP順",     "3F",     "3F順",     "3FMax",
        "短3F", "中3F",     "長3F",   "予備1",  "予備2",      "予備3",      "予備4"};
    static const char* const pay[kPayoutFields] = {
        "単人気1", "単配当1",   "複人気1",     "複配当1",     "複人気2",  "複配当2",    "複人気3",    "複配当3",
        "枠連1",   "枠人気1",   "枠配当1",     "馬連1",       "馬連人気1", "馬連配当1", "ワイド1",    "ワイド人気1",
        "ワイド配当1", "ワイド2", "ワイド人気2", "ワイド配当2", "ワイド3",  "ワイド人気3", "ワイド配当3", "馬単1",
        "馬単人気1", "馬単配当1", "三連複1",   "三連複人気1", "三連複配当1", "三連単1",  "三連単人気1", "三連単配当1"};
    Fields names;
    for (const char* n : race) names.push_back(Sj(n));
    for (int b = 1; b <= 3; ++b) {
      names.push_back(std::to_string(b) + Sj("着馬番"));
      for (const char* n : horse) names.push_back(Sj(n));
    }
    for (const char* n : pay) names.push_back(Sj(n));
    return Joined(names);
  }();
  return line;
}

std::string CsvRaceRow(const RaceInfo& race) {
  Fields fields;
  fields.reserve(kCsvFields);
  RaceFields(race, fields);
  // The horses of the first three place payouts: first, second and third.
  const HrImage& hr = race.HrRecord;
  for (size_t pos : {142u, 155u, 168u}) HorseFields(race, static_cast<int>(hr.fieldInt(pos, 2)), fields);
  PayoutFields(hr, fields);
  return Joined(fields);
}

std::vector<std::string> CsvLines(const RaceDay& day) {
  std::vector<std::string> lines{CsvHeaderLine()};
  for (const RaceInfo& race : day.Races)
    if (race.RaRecord.fieldInt(12, 4) > 0) lines.push_back(CsvRaceRow(race));
  return lines;
}

Result<std::filesystem::path> CsvPath(const RaceDay& day, const std::filesystem::path& programFolder) {
  std::string_view date = day.Races[0].RaRecord.field(12, 8);
  if (!IsDateKey(date)) return Status::InvalidArgument(Sj("CSVファイルに書き出すレースがありません。"));
  return ChildPath(programFolder, "CSV") / (std::string(date) + ".csv");
}

Result<std::filesystem::path> ExportCsv(const RaceDay& day, const std::filesystem::path& programFolder) {
  auto path = CsvPath(day, programFolder);
  if (!path.ok()) return path.status();
  const std::string fail = Sj("CSVファイルを出力できませんでした：");
  if (Status s = EnsureDir(path->parent_path()); !s.ok()) return Status::IoError(fail + s.message());
  if (Status s = WriteFileAtomic(*path, JoinLinesCrLf(CsvLines(day))); !s.ok())
    return Status::IoError(fail + s.message());
  return path;
}

std::string CsvDoneMessage(const std::string& dateSelectorText) {
  return dateSelectorText + Sj("のCSVファイルを出力しました。");
}

}  // namespace zelkova
