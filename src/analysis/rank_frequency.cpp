#include "analysis/rank_frequency.h"

#include <algorithm>
#include <cstdio>

#include "base/cp932.h"
#include "base/file_io.h"
#include "store/stored_paths.h"

namespace zelkova {

namespace fs = std::filesystem;

namespace {

// At most one count per race and runner slot in a day.
constexpr int32_t kMaxDayCount = MaxRaces * MaxRunners;

std::string Fmt(const char* fmt, int v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

int Int(std::string_view rec, size_t pos, size_t len) { return static_cast<int>(FieldInt(rec, pos, len)); }

Rgb RankColour(int rank) {
  if (rank == 1) return kRed;
  if (rank == 2 || rank == 3) return kBlue;
  return kBlack;
}

constexpr Rgb kDemeBackground{255, 251, 240};
constexpr Rgb kCyan{0, 255, 255};

}  // namespace

const std::string& FrequencyCategoryText(int c) {
  static const std::array<std::string, kFrequencyCategories> t = {Sj("着RT"), Sj("人RT"), Sj("展RT"), Sj("能M"),
                                                                  Sj("能平"), Sj("格賞"), Sj("平脚"), Sj("SP")};
  static const std::string none;
  return c >= 0 && c < kFrequencyCategories ? t[static_cast<size_t>(c)] : none;
}

int CategoryRank(const RaceFigures& f, int c, int h) {
  if (h < 0 || h >= kFigRunners) return 0;
  const size_t i = static_cast<size_t>(h);
  switch (c) {
    case 0: return f.FinishRatingRank[i];
    case 1: return f.PopularityRatingRank[i];
    case 2: return f.PositionRatingRank[i];
    case 3: return f.AbilityMaxRank[i];
    case 4: return f.AbilityAvgRank[i];
    case 5: return f.PrizeRank[i];
    case 6: return f.AverageCorner4Rank[i];
    case 7: return f.SpeedOnClassRank[i];
    default: return 0;
  }
}

RankFrequency RankDay(const RaceDay& day) {
  RankFrequency counts{};
  for (const RaceInfo& race : day.Races) {
    if (race.RaRecord.fieldInt(12, 4) <= 0) continue;
    const int n = std::clamp(static_cast<int>(race.RaRecord.fieldInt(882, 2)), 0, MaxRunners);
    for (int h = 0; h < n; ++h) {
      const int p = static_cast<int>(race.Runners[static_cast<size_t>(h)].SeRecord.fieldInt(335, 2));
      if (p < 1 || p > kFrequencyPositions) continue;
      for (int c = 0; c < kFrequencyCategories; ++c) {
        const int r = CategoryRank(race.Figures, c, h);
        if (r >= 1 && r <= kFrequencyRanks) ++counts[FrequencyIndex(c, p, r)];
      }
    }
  }
  return counts;
}

Status HindoRankBtn(const RaceDay& day, RankFrequency& out, bool rewriteSame) {
  out = RankDay(day);
  if (day.HindPath.empty()) return Status::InvalidArgument(Sj("集計ファイルの場所が決まっていません"));
  Status s = WriteHind(day.HindPath, out, rewriteSame);
  if (!s.ok()) return Status::IoError(Sj("集計ファイルを保存できません：") + day.DateText + " " + s.message());
  return s;
}

Status HindoReadBtn(const RaceDay& day, RankFrequency& out) {
  auto r = ReadDayFrequency(day.HindPath);
  if (!r.ok()) return r.status();
  out = *r;
  return Status::Ok();
}

Status CheckDayFrequency(const RankFrequency& counts) {
  for (size_t i = 0; i < counts.size(); ++i)
    if (counts[i] < 0 || counts[i] > kMaxDayCount)
      return Status::Corruption(Sj("件数") + std::to_string(i + 1) + Sj("番目が") + std::to_string(counts[i]) +
                                Sj("です"));
  return Status::Ok();
}

Result<RankFrequency> ReadDayFrequency(const fs::path& p) {
  auto r = ReadHind(p);
  if (!r.ok()) {
    if (r.status().isCorruption()) {
      auto size = FileSize(p);
      return Status::Corruption(size.ok() ? Sj("大きさが") + std::to_string(*size) + Sj("バイトで、1728バイトではありません")
                                          : r.status().message());
    }
    return r.status();
  }
  if (Status s = CheckDayFrequency(*r); !s.ok()) return s;
  return *r;
}

ViewGrid FrequencyGrid(const RankFrequency* counts) {
  std::vector<std::string> titles(kFrequencyGridColumns);
  for (int c = 0; c < kFrequencyCategories; ++c) titles[static_cast<size_t>(3 * c + 1)] = FrequencyCategoryText(c);
  ViewGrid g("StringGrid15", std::move(titles), std::vector<int>(kFrequencyGridColumns, 30), 15);
  g.setRowCount(kFrequencyGridRows);
  for (int c = 0; c < kFrequencyCategories; ++c)
    for (int p = 1; p <= kFrequencyPositions; ++p) {
      const int col = 3 * c + p;
      g.setCell(1, col, Fmt("%1d", p) + Sj("着"));
      if (!counts) continue;
      for (int r = 1; r <= kFrequencyRanks; ++r) g.setCell(r + 1, col, Fmt("%2d", (*counts)[FrequencyIndex(c, p, r)]));
    }
  for (int r = 1; r <= kFrequencyRanks; ++r) g.setCell(r + 1, 0, Fmt("%2d", r));
  g.setStyleQuery(FrequencyCellStyle);
  return g;
}

CellStyle FrequencyCellStyle(const ViewGrid&, int row, int col) {
  CellStyle s;
  if (row <= 1)
    s.background = kSilver;
  else if (col == 0)
    s.background = kCyan;
  else
    s.background = kInfoBackground;
  return s;
}

int DemeColumnWidth(int col) { return col == 0 ? 27 : 90; }

PaintList DemeCell(const RaceDay& day, int firstSlot, int col, int row, int width, int height, int lineWidth) {
  PaintList pl;
  if (day.RaceCount <= 0 || col < 0 || col >= kDemeColumns || row < 0) return pl;
  PaintFont bold;
  bold.bold = true;
  const PaintFont plain;
  const PaintPen pen;
  if (row == 0) {
    static const std::array<std::string, kDemeColumns> titles = {
        "R", Sj("着RT"), Sj("人RT"), Sj("展RT"), Sj("能力M"), Sj("能平"), Sj("格賞金"), Sj("平脚"), Sj("ＳＰ"), Sj("確定")};
    pl.Fill(0, 0, width, height, kSilver);
    pl.Text(1, 1, titles[static_cast<size_t>(col)], bold);
    if (col >= 1 && col <= 8) {
      static const std::array<std::string, 3> places = {Sj("1着"), Sj("2着"), Sj("3着")};
      for (int k = 0; k < 3; ++k) pl.Text(1 + 30 * k, 1 + 19, places[static_cast<size_t>(k)], bold);
      pl.Line(30, 19, 30, height, pen);
      pl.Line(60, 19, 60, height, pen);
    } else if (col == 9) {
      pl.Text(1, 1 + 19, Sj("単人"), bold);
      pl.Text(31, 1, Sj("単勝配当"), bold);
      pl.Text(31, 1 + 19, Sj("馬連配当"), bold);
    }
    return pl;
  }
  if (col == 0) {
    pl.Fill(0, 0, width, height, kCyan);
    pl.Text(4, 5, Fmt("%2d", row), bold);
    return pl;
  }
  pl.Fill(0, 0, width, height, kDemeBackground);
  const int slot = firstSlot + row - 1;
  if (firstSlot < 0 || slot < 0 || slot >= day.RaceCount || slot >= MaxRaces) return pl;
  const RaceInfo& race = day.Races[static_cast<size_t>(slot)];
  const RaceInfo& first = day.Races[static_cast<size_t>(firstSlot)];
  // A row past this racecourse's races belongs to another grid.
  if (race.RaRecord.empty() || race.RaRecord.field(20, 2) != first.RaRecord.field(20, 2)) return pl;
  const std::string_view hr = race.HrRecord.view();
  const int horses[3] = {Int(hr, 142, 2), Int(hr, 155, 2), Int(hr, 168, 2)};
  const RaceFigures& f = race.Figures;
  if (col <= 8) {
    pl.Line(0, 0, 0, height, pen);
    pl.Line(30, 0, 30, height, pen);
    pl.Line(60, 0, 60, height, pen);
    for (int k = 0; k < 3; ++k) {
      if (horses[k] < 1) continue;
      const int rank = CategoryRank(f, col - 1, horses[k] - 1);
      pl.Text(5 + 30 * k + lineWidth, 5, rank < 1 ? " " : Fmt("%2d", rank), bold, RankColour(rank));
    }
    return pl;
  }
  if (horses[0] >= 1 && horses[0] <= MaxRunners) {
    const int pop = f.FinalPopularity[static_cast<size_t>(horses[0] - 1)];
    pl.Text(5 + lineWidth, 5, pop < 1 ? " " : Fmt("%2d", pop), bold, RankColour(pop));
  }
  const int win = Int(hr, 105, 9), quinella = Int(hr, 250, 9);
  pl.Text(35 + lineWidth, 0, win < 1 ? " " : Fmt("%8d", win), plain);
  pl.Text(35 + lineWidth, 13, quinella < 1 ? " " : Fmt("%8d", quinella), plain);
  return pl;
}

int DateTextKey(std::string_view t) {
  if (t.size() < 14) return 0;
  std::string digits = std::string(t.substr(0, 4)) + std::string(t.substr(6, 2)) + std::string(t.substr(10, 2));
  if (!IsAllDigits(digits) || DateText(digits) != t.substr(0, 14)) return 0;
  return static_cast<int>(ParseInt(digits));
}

int FrequencyMonthKey(std::string_view dateText) { return DateTextKey(dateText) / 100; }

std::vector<FrequencyFile> ListFrequencyFiles(const fs::path& programFolder) {
  std::vector<FrequencyFile> files;
  const fs::path data = ChildPath(programFolder, "Data");
  std::error_code ec;
  for (fs::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    std::string ext = PathToUtf8(it->path().extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    if (ext != ".hind") continue;
    FrequencyFile f;
    f.path = it->path();
    const std::string utf8 = PathToUtf8(it->path().filename());
    auto name = Utf8ToCp932(utf8);
    f.name = name.ok() ? *name : utf8;
    if (name.ok() && DateTextKey(f.name) != 0) f.dateText = f.name.substr(0, 14);
    files.push_back(std::move(f));
  }
  std::sort(files.begin(), files.end(), [](const FrequencyFile& a, const FrequencyFile& b) { return a.name < b.name; });
  return files;
}

std::string UnusableFrequencyText(std::string_view dateText, const Status& why) {
  return std::string(dateText) + Sj("の集計ファイルを使えません（") + why.message() + Sj("）");
}

std::string DamagedFrequencyText(std::string_view dateText, const Status& why) {
  return UnusableFrequencyText(dateText, why) + Sj("。保存データから作り直します。");
}

SumResult SumFrequencyFiles(const std::vector<FrequencyFile>& files, int yearFrom, int monthFrom,
                            const RecomputeFn& recompute, SumObserver& obs) {
  SumResult res;
  res.listed = static_cast<int>(files.size());
  const int from = yearFrom * 100 + monthFrom;
  for (const FrequencyFile& f : files) {
    if (f.dateText.empty()) {
      obs.Problem(Sj("日付で始まらない集計ファイルは集計しません：") + f.name);
      ++res.skipped;
      continue;
    }
    if (FrequencyMonthKey(f.dateText) < from) continue;
    obs.Label4(Sj("集計中(") + std::to_string(res.summed + 1) + Sj(")：") + f.dateText);
    obs.ProcessEvents();
    auto counts = ReadDayFrequency(f.path);
    if (!counts.ok()) {
      const bool missing = counts.status().isNotFound();
      if (!recompute) {
        if (!missing) obs.Problem(UnusableFrequencyText(f.dateText, counts.status()));
        ++res.skipped;
        continue;
      }
      if (!missing) obs.Problem(DamagedFrequencyText(f.dateText, counts.status()));
      counts = recompute(f.dateText);
      if (!counts.ok()) {
        obs.Problem(f.dateText + Sj("の集計ファイルを作り直せません：") + counts.status().message());
        ++res.skipped;
        continue;
      }
      ++res.recomputed;
    }
    for (size_t i = 0; i < res.sum.size(); ++i) res.sum[i] += (*counts)[i];
    ++res.summed;
  }
  return res;
}

}  // namespace zelkova
