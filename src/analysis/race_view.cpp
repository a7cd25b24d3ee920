#include "analysis/race_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "analysis/rating_stage.h"
#include "analysis/scratched.h"
#include "analysis/selection_figures.h"
#include "analysis/view_styles.h"
#include "base/cp932.h"
#include "racedata/race_day_loader.h"
#include "records/code_tables.h"
#include "settings/ini_gt.h"
#include "store/stored_files.h"

namespace zelkova {

// Binds the grids' queries to the view; the only code that touches its private parts.
struct RaceViewAccess {
  static std::array<ViewGrid, kViewGridCount>& grids(RaceView& v) { return v.grids_; }
  static std::array<int, kSortedGridCount>& pressed(RaceView& v) { return v.pressed_; }
  static void shown(RaceView& v, const RaceDay* day, int slot) {
    v.day_ = day;
    v.slot_ = slot;
  }
};

namespace {

// ---- texts ----------------------------------------------------------------------------------

struct Texts {
  std::string wide1 = Sj("　"), wide2 = Sj("　　"), wide2Space = Sj("　　 "), weeksNone = Sj("　 ");
  std::string firstRun = Sj("初"), dash = Sj("－"), obstacle = Sj("障"), check = Sj("ν"), man = Sj("万");
  std::string nen = Sj("年"), tsuki = Sj("月"), hiOpen = Sj("日("), hi = Sj("日"), kai = Sj("回");
  std::string hassou = Sj("発走  "), dai = Sj("第"), kaiSpace = Sj("回 "), tou = Sj("頭  "), meter = Sj("ﾒｰﾄﾙ ");
  std::string prize1 = Sj("[本賞金]1着:"), prize2 = Sj("/2着:"), prize3 = Sj("/3着:"), prize4 = Sj("/4着:"),
              prize5 = Sj("/5着:"), prizeUnit = Sj("(万円)");
  std::string noRace = Sj("本レースはデータが不十分です。"), noRunner = Sj("レースはデータが不十分です。");
};

const Texts& T() {
  static const Texts t;
  return t;
}

std::string Fmt(const char* f, double v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, f, v);
  return std::string(buf, n > 0 ? std::min(static_cast<size_t>(n), sizeof buf - 1) : 0);
}

std::string FmtInt(const char* f, long long v) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, f, v);
  return std::string(buf, n > 0 ? std::min(static_cast<size_t>(n), sizeof buf - 1) : 0);
}

// A rank "%2d", or "　" for a runner without one.
std::string Rank(int r) { return r >= 1 ? FmtInt("%2lld", r) : T().wide1; }
// A rank beside a figure: none when the runner has no figure to rank.
std::string RankOf(bool hasFigure, int r) { return hasFigure ? Rank(r) : T().wide1; }

// The first `n` bytes of `s`, one byte short when the cut would split a double-byte character.
std::string FirstBytes(std::string_view s, size_t n) {
  size_t i = 0;
  while (i < s.size() && i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t w = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (i + w > n) break;
    i += w;
  }
  return std::string(s.substr(0, i));
}

// The first character of a CP932 text.
std::string FirstChar(std::string_view s) {
  std::string two = FirstBytes(s, 2);
  return two.size() == 2 && FirstBytes(s, 1).size() == 1 ? two.substr(0, 1) : two;
}

// ---- grid layouts ---------------------------------------------------------------------------

struct GridSpec {
  const char* name;
  std::vector<const char*> titles;  // UTF-8
  std::vector<int> widths;
  int rowHeight;
  int fixedCols;
};

std::vector<const char*> Common(std::initializer_list<const char*> rest) {
  std::vector<const char*> t{"枠", "馬", "Ｂ", "馬名", "性", "歳"};
  t.insert(t.end(), rest);
  return t;
}

const char* const kPastTitles[13] = {" 1", " 2", " 3", " 4", " 5", " 6", " 7", " 8", " 9", "10", "11", "12", "13"};

std::vector<const char*> WithPast(std::vector<const char*> head, std::initializer_list<const char*> tail) {
  head.push_back("");
  head.insert(head.end(), std::begin(kPastTitles), std::end(kPastTitles));
  head.push_back("");
  head.insert(head.end(), tail);
  return head;
}

std::vector<int> PastWidths(std::vector<int> head, std::initializer_list<int> tail) {
  head.push_back(0);
  head.insert(head.end(), 13, 20);
  head.push_back(0);
  head.insert(head.end(), tail);
  return head;
}

std::vector<int> Repeat(int n, int w) { return std::vector<int>(static_cast<size_t>(n), w); }

const std::array<GridSpec, kViewGridCount>& Specs() {
  static const std::array<GridSpec, kViewGridCount> specs = [] {
    std::array<GridSpec, kViewGridCount> s;
    s[0] = {"StringGrid1",
            Common({"戦歴", "収得賞金", "格賞金", "順", "負担", "習", "騎手", "勝率", "調教師", "勝率", "着順"}),
            {20, 20, 20, 120, 20, 20, 30, 50, 40, 20, 30, 20, 80, 35, 80, 35, 30},
            18,
            0};
    s[1] = {"StringGrid3", Common({"馬記号", "馬主", "血統（父）", "血統（母）", "生産者"}),
            {16, 16, 16, 110, 16, 16, 68, 160, 130, 130, 160}, 15, 0};
    s[2] = {"StringGrid4",
            {"枠", "馬", "Ｂ", "馬名", "性", "歳", "勝率", "連率", "複率", "実績", "勝率", "距離/馬場別", "勝率", "結果"},
            {25, 25, 25, 180, 25, 25, 32, 32, 32, 150, 40, 150, 40, 30},
            50,
            0};
    s[3] = {"StringGrid7",
            WithPast(Common({}), {"着RT", "順", "勝利着差", "勝分類", "連対着差", "順", "着順"}),
            PastWidths({20, 20, 20, 120, 20, 20}, {40, 20, 60, 40, 60, 20, 30}),
            18,
            0};
    s[4] = {"StringGrid8",
            WithPast(Common({"支持率", "推支持率", "集中率", "CK"}), {"人RT", "順", "平人", "着順"}),
            PastWidths({20, 20, 20, 120, 20, 20, 50, 50, 50, 20}, {40, 20, 30, 30}),
            18,
            0};
    s[5] = {"StringGrid9",
            WithPast(Common({"逃", "先", "差", "追"}), {"展RT", "順", "平脚", "短3F", "中3F", "長3F", "着順"}),
            PastWidths({20, 20, 20, 120, 20, 20, 20, 20, 20, 20}, {40, 20, 30, 30, 30, 30, 30}),
            18,
            0};
    s[6] = {"StringGrid10",
            Common({"当日馬体重", "増減", "入着時", "差", "非入着時", "連対馬体重", "体重差", "CK", "R間隔", "着順"}),
            {20, 20, 20, 120, 20, 20, 70, 30, 60, 30, 60, 70, 50, 20, 40, 30},
            18,
            0};
    s[7] = {"StringGrid11",
            Common({"支持率", "集中率", "着R順", "人R順", "展R順", "能力M", "順", "能平均", "順", "格賞金", "順", "平脚",
                    "順", "SP", "順", "3F", "順", "3FMax", "CK", "着順"}),
            {20, 20, 20, 120, 20, 20, 40, 40, 30, 30, 40, 40, 20, 40, 20, 40, 20, 35, 20, 40, 20, 35, 20, 35, 20, 30},
            18,
            0};
    // The 軸推理 grids keep the default width of 40, but a horse name needs the room it has
    // everywhere else.
    std::vector<int> jiku1 = Repeat(23, 40), jiku2 = Repeat(21, 40);
    jiku1[3] = jiku2[3] = 120;
    jiku1[21] = 50;
    s[8] = {"StringGrid16",
            Common({"負担", "単配当", "順", "R着", "R人", "R展", "前１", "前２", "前３", "前４", "前５", "Max3", "順",
                    "Max5", "順", "平着差", "着順"}),
            jiku1,
            18,
            0};
    s[9] = {"StringGrid17",
            Common({"負担", "単配当", "順", "平着差", "順", "前１", "前２", "前３", "前４", "前５", "能１", "順", "能２",
                    "順", "着順"}),
            jiku2,
            18,
            0};
    std::vector<const char*> card{"枠", "馬", "馬名", "期待率・脚質", "実績", "距離・馬場"};
    static const char* const kRuns[20] = {"前走",   "2走前",  "3走前",  "4走前",  "5走前",  "6走前",  "7走前",
                                          "8走前",  "9走前",  "10走前", "11走前", "12走前", "13走前", "14走前",
                                          "15走前", "16走前", "17走前", "18走前", "19走前", "20走前"};
    card.insert(card.end(), std::begin(kRuns), std::end(kRuns));
    // Narrow number columns leave the room to the names and the past runs; each race widens a
    // column further where its texts need it (RunRaceView), and the rows hold seven lines.
    std::vector<int> cardWidths{26, 26, 190, 110, 132, 132};
    cardWidths.resize(26, 160);
    s[10] = {"StringGrid6", card, cardWidths, 76, 3};
    s[11] = {"StringGrid2", {"枠", "馬番", "馬名", "騎手", "前騎手"}, {20, 30, 120, 70, 70}, 18, 0};
    return s;
  }();
  return specs;
}

// ---- sort groups ----------------------------------------------------------------------------

struct ButtonSpec {
  const char* caption;
  int column;
  bool descending;
  int tie;
};

const std::array<std::vector<SortButton>, kSortedGridCount>& Buttons() {
  static const std::array<std::vector<SortButton>, kSortedGridCount> all = [] {
    constexpr bool A = false, D = true;
    const std::array<std::vector<ButtonSpec>, kSortedGridCount> specs{{
        // 基本情報
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"格賞", 9, A, 1}, {"負担", 10, D, 1},
         {"騎率", 13, D, 1}, {"調率", 15, D, 1}, {"着順", 16, A, 1}},
        // 血統
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"馬記号", 6, A, 1}, {"馬主", 7, A, 1},
         {"血父", 8, A, 1}, {"血母", 9, A, 1}, {"生産者", 10, A, 1}},
        // 実績一覧
        {{"馬番", 0, A, 1}, {"勝率", 1, D, 1}, {"連対率", 2, D, 1}, {"複勝率", 3, D, 1}, {"全実績", 4, D, 1},
         {"芝右", 5, D, 1}, {"芝左", 6, D, 1}, {"ダ右", 7, D, 1}, {"ダ左", 8, D, 1}, {"～1600", 9, D, 1},
         {"～2200", 10, D, 1}, {"2201～", 11, D, 1}, {"良稍重", 12, D, 1}, {"重不良", 13, D, 1}},
        // 着RT
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"着ＲＴ", 22, A, 1}, {"勝着差", 24, A, 22},
         {"連着差", 26, A, 22}, {"着順", 27, A, 1}},
        // 人RT
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"支持率", 6, D, 1}, {"推支率", 7, D, 1},
         {"集中率", 8, D, 1}, {"人ＲＴ", 26, A, 1}, {"平人", 27, A, 26}, {"着順", 28, A, 1}},
        // 展RT
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"逃", 6, D, 26}, {"先", 7, D, 26},
         {"差", 8, D, 26}, {"追", 9, D, 26}, {"展ＲＴ", 26, A, 1}, {"平脚", 27, A, 26}, {"短3F", 28, A, 26},
         {"中3F", 29, A, 26}, {"長3F", 30, A, 26}, {"着順", 31, A, 1}},
        // 馬体重
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"当日", 6, D, 1}, {"入着", 8, D, 1},
         {"非入着", 10, D, 1}, {"連対", 11, D, 1}, {"R間隔", 14, A, 1}, {"着順", 15, A, 1}},
        // RT一覧: each rating button sorts by the rank beside the value
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"支持率", 6, D, 1}, {"集中率", 7, D, 1},
         {"着R", 8, A, 22}, {"人R", 9, A, 1}, {"展R", 10, A, 1}, {"能力M", 12, A, 1}, {"能平均", 14, A, 1},
         {"格賞金", 16, A, 1}, {"平脚", 18, A, 1}, {"SP", 20, A, 1}, {"3F", 22, A, 1}, {"3FMax", 23, A, 1},
         {"着順", 25, A, 1}},
        // 軸推理1
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"単配当", 8, A, 1}, {"R着", 9, A, 1},
         {"R人", 10, A, 1}, {"R展", 11, A, 1}, {"前１", 12, D, 1}, {"Max3", 18, A, 1}, {"Max5", 20, A, 1},
         {"平着差", 21, A, 1}, {"着順", 22, A, 1}},
        // 軸推理2
        {{"馬番", 1, A, 0}, {"性別", 4, A, 1}, {"馬齢", 5, A, 1}, {"負担", 6, A, 1}, {"単配当", 8, A, 1},
         {"平着差", 10, A, 1}, {"前１", 11, D, 1}, {"能１", 17, A, 1}, {"能２", 19, A, 1}, {"着順", 20, A, 1}},
    }};
    std::array<std::vector<SortButton>, kSortedGridCount> out;
    for (size_t g = 0; g < specs.size(); ++g)
      for (const ButtonSpec& b : specs[g]) out[g].push_back({Sj(b.caption), b.column, b.descending, b.tie});
    return out;
  }();
  return all;
}

// ---- cell texts -----------------------------------------------------------------------------

struct RowContext {
  const RaceDay& day;
  const RaceInfo& race;
  int slot;
  int h;  // runner slot
  const SeImage& se;
  const RaceFigures& f;
};

// 枠, 馬, Ｂ, 馬名, 性, 歳 into columns 0..5.
void PutCommon(ViewGrid& g, int row, const RowContext& c) {
  g.setCell(row, 0, PadNumber(c.se.field(28, 1)));
  g.setCell(row, 1, PadNumber(c.se.field(29, 2)));
  g.setCell(row, 2, BlinkerMark(c.se.field(295, 1)));
  g.setCell(row, 3, FirstBytes(c.se.field(41, 36), 18));
  g.setCell(row, 4, SexName(c.se.field(79, 1)));
  g.setCell(row, 5, PadNumber(c.se.field(83, 2)));
}

std::string Result(const RowContext& c) {
  std::string r = PadNumber(c.se.field(335, 2));
  return IsBlank(r) ? T().wide1 : r;
}

std::string CheckText(const RowContext& c, int plane) {
  char m = c.day.CheckMarks[static_cast<size_t>(plane) * kCheckPlaneLen + static_cast<size_t>(c.slot) * MaxRunners +
                            static_cast<size_t>(c.h)];
  return m == '1' ? T().check : std::string();
}

// 勝利着差 / 連対着差: a margin, "－" for a runner without such a run, "初" for a debutant.
std::string Margin(double m) {
  if (m < 100) return Fmt("%6.2f", m);
  if (m < 1000) return T().dash;
  return T().firstRun;
}

std::string Above0(const char* f, double v, const std::string& otherwise = {}) { return v > 0 ? Fmt(f, v) : otherwise; }

// The past-run column of each of the 13 latest runs: `pos`, 2 bytes of the past SE record.
void PutPast(ViewGrid& g, int row, int firstCol, const RowContext& c, size_t pos) {
  const Runner& runner = c.race.Runners[static_cast<size_t>(c.h)];
  for (int k = 0; k < 13; ++k) g.setCell(row, firstCol + k, PadNumber(runner.PastRuns[static_cast<size_t>(k)].SeRecord.field(pos, 2)));
}

void FillKihon(ViewGrid& g, int row, const RowContext& c) {
  const Runner& r = c.race.Runners[static_cast<size_t>(c.h)];
  const int h = c.h;
  PutCommon(g, row, c);
  g.setCell(row, 1, FmtInt("%2lld", c.se.fieldInt(29, 2)));
  g.setCell(row, 6, FmtInt("%3lld", c.f.CareerStarts[h]));
  g.setCell(row, 7, FmtInt("%3lld", c.f.CareerPrize[h]) + T().man);
  g.setCell(row, 8, Fmt("%5.1f", c.f.PrizePerStart[h]));
  g.setCell(row, 9, Rank(c.f.PrizeRank[h]));
  g.setCell(row, 10, TenthsText(c.se.field(289, 3)));
  g.setCell(row, 11, ApprenticeMark(c.se.field(323, 1), 1));
  g.setCell(row, 12, "(" + FirstChar(AffiliationName(r.KsRecord.field(231, 1), 1)) + ")" + std::string(c.se.field(307, 8)));
  if (c.f.JockeyWinRate[h] >= 0) g.setCell(row, 13, Fmt("%5.1f", c.f.JockeyWinRate[h]));
  g.setCell(row, 14, "(" + FirstChar(AffiliationName(r.ChRecord.field(195, 1), 1)) + ")" + std::string(c.se.field(91, 8)));
  if (c.f.TrainerWinRate[h] >= 0) g.setCell(row, 15, Fmt("%5.1f", c.f.TrainerWinRate[h]));
  g.setCell(row, 16, c.f.FinishPos[h] >= 1 ? FmtInt("%2lld", c.f.FinishPos[h]) : T().wide1);
}

void FillKettou(ViewGrid& g, int row, const RowContext& c) {
  const UmImage& um = c.race.Runners[static_cast<size_t>(c.h)].UmRecord;
  PutCommon(g, row, c);
  g.setCell(row, 6, HorseSymbolName(static_cast<int>(c.se.fieldInt(77, 2))));
  g.setCell(row, 7, std::string(c.se.field(105, 64)));
  g.setCell(row, 8, std::string(um.field(215, 36)));
  g.setCell(row, 9, std::string(um.field(261, 36)));
  g.setCell(row, 10, std::string(um.field(891, 72)));
}

void FillJisseki(ViewGrid& g, int row, const RowContext& c) {
  g.setCell(row, 0, std::string(c.f.HorseNoText[c.h].View()));
  for (int i = 0; i < 13; ++i) g.setCell(row, 1 + i, Fmt("%6.1f", c.f.RateScores[c.h][static_cast<size_t>(i)]));
}

void FillChakuRT(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  PutCommon(g, row, c);
  PutPast(g, row, 7, c, 335);
  if (c.f.FinishRating[h] > 0) g.setCell(row, 21, Fmt("%5.1f", c.f.FinishRating[h] * 100));
  // An unranked runner shows the full-width blank, which sorts after every rank.
  g.setCell(row, 22, Rank(c.f.FinishRatingRank[h]));
  g.setCell(row, 23, Margin(c.f.WinMargin[h]));
  g.setCell(row, 24, std::string(c.f.WinClass[h].View()));
  g.setCell(row, 25, Margin(c.f.PlaceMargin[h]));
  g.setCell(row, 26, Rank(c.f.PlaceMarginRank[h]));
  g.setCell(row, 27, Result(c));
}

void FillNinRT(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  PutCommon(g, row, c);
  g.setCell(row, 6, Above0("%6.1f", c.f.SupportRate[h]));
  g.setCell(row, 7, Above0("%6.1f", c.f.EstimatedSupport[h]));
  g.setCell(row, 8, Above0("%6.2f", c.f.Concentration[h]));
  g.setCell(row, 9, CheckText(c, 0));
  PutPast(g, row, 11, c, 364);
  g.setCell(row, 25, Above0("%5.1f", c.f.PopularityRating[h] * 100));
  g.setCell(row, 26, Rank(c.f.PopularityRatingRank[h]));
  g.setCell(row, 27, Above0("%4.1f", c.f.AveragePopularity[h], T().wide2));
  g.setCell(row, 28, Result(c));
}

void FillTenRT(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  const UmImage& um = c.race.Runners[static_cast<size_t>(h)].UmRecord;
  PutCommon(g, row, c);
  for (int i = 0; i < 4; ++i) g.setCell(row, 6 + i, PadNumber(um.field(1593 + 3 * static_cast<size_t>(i), 3)));
  PutPast(g, row, 11, c, 358);
  g.setCell(row, 25, Above0("%5.1f", c.f.PositionRating[h] * 100));
  g.setCell(row, 26, Rank(c.f.PositionRatingRank[h]));
  g.setCell(row, 27, Above0("%4.1f", c.f.AverageCorner4[h], T().wide2));
  const long long track = c.race.RaRecord.fieldInt(706, 2);
  int first = -1;
  if (track >= 23 && track <= 29) first = 3;
  else if (track >= 10 && track <= 22) first = 0;
  if (first >= 0)
    for (int i = 0; i < 3; ++i)
      g.setCell(row, 28 + i, Above0("%4.1f", c.f.Last3FByClass[h][static_cast<size_t>(first + i)], T().wide2));
  g.setCell(row, 31, Result(c));
}

void FillBataiju(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  PutCommon(g, row, c);
  const int today = c.f.HorseWeight[h];
  if (today >= 1) {
    g.setCell(row, 6, FmtInt("%3lld", today));
    g.setCell(row, 7, FmtInt("%4lld", c.f.WeightChange[h]));
  }
  const double placed = c.f.WeightWhenPlaced[h], unplaced = c.f.WeightWhenUnplaced[h],
               top2 = c.f.WeightWhenFirstOrSecond[h];
  g.setCell(row, 8, Above0("%3.0f", placed));
  if (today >= 1 && placed > 0) g.setCell(row, 9, Fmt("%3.0f", today - placed));
  g.setCell(row, 10, Above0("%3.0f", unplaced));
  g.setCell(row, 11, Above0("%3.0f", top2));
  if (today >= 1 && top2 > 0) g.setCell(row, 12, Fmt("%3.0f", today - top2));
  g.setCell(row, 13, CheckText(c, 1));
  const int weeks = c.f.DaysSinceLastRun[h] / 7;
  g.setCell(row, 14, weeks >= 1 ? FmtInt("%3lld", weeks) : T().weeksNone);
  g.setCell(row, 15, Result(c));
}

void FillRTList(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  const RaceFigures& f = c.f;
  PutCommon(g, row, c);
  g.setCell(row, 6, Above0("%6.1f", f.SupportRate[h]));
  g.setCell(row, 7, Above0("%6.2f", f.Concentration[h]));
  g.setCell(row, 8, Rank(f.FinishRatingRank[h]));
  g.setCell(row, 9, Rank(f.PopularityRatingRank[h]));
  g.setCell(row, 10, Rank(f.PositionRatingRank[h]));
  g.setCell(row, 11, Above0("%5.1f", f.AbilityMax[h]));
  g.setCell(row, 12, RankOf(f.AbilityMax[h] > 0, f.AbilityMaxRank[h]));
  g.setCell(row, 13, Above0("%5.1f", f.AbilityAvg[h]));
  g.setCell(row, 14, RankOf(f.AbilityAvg[h] > 0, f.AbilityAvgRank[h]));
  g.setCell(row, 15, Fmt("%5.1f", f.PrizePerStart[h]));
  g.setCell(row, 16, Rank(f.PrizeRank[h]));
  g.setCell(row, 17, Above0("%4.1f", f.AverageCorner4[h], T().wide2));
  g.setCell(row, 18, RankOf(f.AverageCorner4[h] > 0, f.AverageCorner4Rank[h]));
  g.setCell(row, 19, Above0("%6.1f", f.SpeedOnClass[h]));
  g.setCell(row, 20, RankOf(f.SpeedOnClass[h] > 0, f.SpeedOnClassRank[h]));
  g.setCell(row, 21, Above0("%5.1f", f.Last3FOnClass[h]));
  g.setCell(row, 22, RankOf(f.Last3FOnClass[h] > 0, f.Last3FOnClassRank[h]));
  g.setCell(row, 23, f.BestLast3FOnClass[h] < 1000 ? Fmt("%5.1f", f.BestLast3FOnClass[h]) : T().wide2Space);
  g.setCell(row, 24, CheckText(c, 2));
  g.setCell(row, 25, Result(c));
}

// R着, R人, R展: the complement's size; its sign is the cell's colour.
std::string Complement(double v) { return v < 10000 ? Fmt("%6.2f", std::fabs(v) * 100) : std::string(6, ' '); }

std::string WinOdds(double v) { return v > 0 ? Fmt("%6.1f", v) : std::string(6, ' '); }

std::string AverageMargin(double v) { return v < 999 ? Fmt("%5.2f", v) : std::string(4, ' '); }

// The columns both 軸推理 grids begin with: the common ones, 負担, 単配当 and its order.
void PutJikuHead(ViewGrid& g, int row, const RowContext& c) {
  PutCommon(g, row, c);
  g.setCell(row, 6, TenthsText(c.se.field(289, 3)));
  g.setCell(row, 7, WinOdds(c.f.WinOdds[c.h]));
  g.setCell(row, 8, Rank(c.f.PopularityOrder[c.h]));
}

void FillJiku1(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  const RaceFigures& f = c.f;
  PutJikuHead(g, row, c);
  g.setCell(row, 9, Complement(f.FinishComplement[h]));
  g.setCell(row, 10, Complement(f.PopularityComplement[h]));
  g.setCell(row, 11, Complement(f.PositionComplement[h]));
  for (int j = 0; j < 5; ++j) {
    const double x = f.Last3FFigure[h][static_cast<size_t>(j)];
    std::string t = x == -999 ? T().obstacle : (x <= -99 ? std::string(4, ' ') : Fmt("%4.0f", x));
    g.setCell(row, 12 + j, std::move(t));
  }
  g.setCell(row, 17, f.Last3FMax3[h] > -99 ? Fmt("%4.0f", f.Last3FMax3[h]) : std::string(4, ' '));
  g.setCell(row, 18, Rank(f.Last3FMax3Rank[h]));
  g.setCell(row, 19, f.Last3FMax5[h] > -99 ? Fmt("%4.0f", f.Last3FMax5[h]) : std::string(4, ' '));
  g.setCell(row, 20, Rank(f.Last3FMax5Rank[h]));
  g.setCell(row, 21, AverageMargin(f.AverageMargin[h]));
  g.setCell(row, 22, Result(c));
}

void FillJiku2(ViewGrid& g, int row, const RowContext& c) {
  const int h = c.h;
  const RaceFigures& f = c.f;
  PutJikuHead(g, row, c);
  g.setCell(row, 9, AverageMargin(f.AverageMargin[h]));
  g.setCell(row, 10, f.AverageMargin[h] < 999 ? Rank(f.AverageMarginRank[h]) : T().wide1);
  for (int j = 0; j < 5; ++j) {
    const double v = f.AdjustedIndex[h][static_cast<size_t>(j)];
    g.setCell(row, 11 + j, v > 0 ? Fmt("%6.1f", v) : std::string(6, ' '));
  }
  g.setCell(row, 16, f.BestAdjusted[h] > 0 ? Fmt("%6.1f", f.BestAdjusted[h]) : std::string(6, ' '));
  g.setCell(row, 17, Rank(f.BestAdjustedRank[h]));
  g.setCell(row, 18, f.SecondAdjusted[h] > 0 ? Fmt("%6.1f", f.SecondAdjusted[h]) : std::string(6, ' '));
  g.setCell(row, 19, Rank(f.SecondAdjustedRank[h]));
  g.setCell(row, 20, Result(c));
}

void FillCards(ViewGrid& umabashira, ViewGrid& shutuba, int row, const RowContext& c) {
  const int h = c.h;
  umabashira.setCell(row, 0, std::string(c.f.FrameNoText[h].View()));
  umabashira.setCell(row, 1, std::string(c.f.HorseNoText[h].View()));
  shutuba.setCell(row, 0, std::string(c.f.FrameNoText[h].View()));
  shutuba.setCell(row, 1, std::string(c.f.HorseNoText[h].View()));
  shutuba.setCell(row, 2, std::string(c.f.HorseName[h].View()));
  shutuba.setCell(row, 3, std::string(c.f.JockeyName[h].View()));
  shutuba.setCell(row, 4, std::string(c.se.field(315, 8)));
}

// ---- labels ---------------------------------------------------------------------------------

std::string ConditionText(const RaImage& ra) {
  const long long k = ra.fieldInt(617, 2);
  auto cond = [&](size_t pos) { return ConditionName(static_cast<int>(ra.fieldInt(pos, 3))); };
  auto inRange = [&](size_t pos) {
    long long v = ra.fieldInt(pos, 3);
    return v >= 1 && v <= 100;
  };
  if (k == 11 || k == 21) return cond(623);
  if (k == 12 || k == 22) return cond(626);
  if (k == 13 || k == 18 || k == 23) {
    if (!inRange(626)) return cond(626);
    return cond(626) + "  " + cond(629) + "  " + cond(632);
  }
  if (k == 14 || k == 19 || k == 24) {
    if (!inRange(629)) return cond(629);
    return cond(629) + "  " + cond(632);
  }
  return {};
}

void FillHeader(const RaceInfo& race, RaceHeader& hd) {
  const RaImage& ra = race.RaRecord;
  const Texts& t = T();
  hd.TitleLabel1 = std::string(ra.field(12, 4)) + t.nen + PadNumber(ra.field(16, 2)) + t.tsuki + PadNumber(ra.field(18, 2)) +
                   t.hiOpen + WeekdayName(ra.field(28, 1), 1) + ")" + CourseName(ra.field(20, 2)) +
                   PadNumber(ra.field(22, 2)) + t.kai + PadNumber(ra.field(24, 2)) + t.hi + PadNumber(ra.field(26, 2)) +
                   "R   " + std::string(ra.field(874, 2)) + "." + std::string(ra.field(876, 2)) + t.hassou;
  hd.BashoLabel = CourseNameW(ra.field(20, 2), 2);
  hd.RaceLabel = std::string(TrimBlanks(PadNumber(ra.field(26, 2))));
  hd.BabaTurfLabel = GoingName(ra.field(889, 1), 1);
  hd.BabaDirtLabel = GoingName(ra.field(890, 1), 2);
  hd.TitleLabel2.clear();
  if (long long n = ra.fieldInt(612, 3); n >= 1) hd.TitleLabel2 = t.dai + std::to_string(n) + t.kaiSpace;
  hd.TitleLabel2 += std::string(ra.field(33, 60));
  hd.TitleLabel3 = FmtInt("%2lld", ra.fieldInt(882, 2)) + t.tou + FmtInt("%4lld", ra.fieldInt(698, 4)) + t.meter +
                   TrackName(static_cast<int>(ra.fieldInt(706, 2))) + " " + GradeName(ra.field(615, 1), 1) + " " +
                   RaceTypeName(ra.field(617, 2), 6) + " " + RaceSymbolName(ra.field(619, 3));
  hd.TitleLabel4 = WeightRuleName(ra.field(622, 1)) + " " + ConditionText(ra);
  hd.TitleLabel5 = t.prize1 + PadHundreds(ra.field(714, 8)) + t.prize2 + PadHundreds(ra.field(722, 8)) + t.prize3 +
                   PadHundreds(ra.field(730, 8)) + t.prize4 + PadHundreds(ra.field(738, 8)) + t.prize5 +
                   PadHundreds(ra.field(746, 8)) + t.prizeUnit;
}

// Final odds have no announcement time; they say so where the time would be.
ColouredText OddsTime(std::string_view odds_record, std::string_view hhmm) {
  static const std::string final = Sj("確定");
  if (!IsBlank(Field(odds_record, 12, 8)) && IsFinalOdds(odds_record)) return {final, kBlue};
  if (IsBlank(hhmm) || hhmm == "0000" || hhmm.size() < 4) return {"NoData", kSilver};
  return {std::string(hhmm.substr(0, 2)) + ":" + std::string(hhmm.substr(2, 2)), kBlue};
}

void FillOdds(const RaceInfo& race, OddsLabels& o) {
  const RaceFigures& f = race.Figures;
  if (IsBlank(race.Odds.O1Record.field(12, 8))) return;
  std::vector<std::pair<std::string, int>> favourites;
  for (int n = 1; n <= 18; ++n) {
    if (IsScratched(race, n - 1)) {
      o.win[static_cast<size_t>(n - 1)] = " " + ScratchShortName(race, n - 1);
      continue;
    }
    double v = f.WinOdds[static_cast<size_t>(n - 1)];
    if (v <= 0) continue;
    o.win[static_cast<size_t>(n - 1)] = Fmt("%5.1f", v);
    favourites.emplace_back(o.win[static_cast<size_t>(n - 1)], n);
  }
  std::sort(favourites.begin(), favourites.end());
  for (size_t i = 0; i < favourites.size(); ++i) {
    o.popularNo[i] = FmtInt("%2lld", favourites[i].second);
    o.popularOdds[i] = favourites[i].first;
  }
  for (size_t i = 0; i < f.QuinellaOdds.size(); ++i)
    if (f.QuinellaOdds[i] > 0) o.quinella[i] = Fmt("%7.1f", f.QuinellaOdds[i]);
  for (size_t i = 0; i < f.BracketOdds.size(); ++i)
    if (f.BracketOdds[i] > 0) o.bracket[i] = Fmt("%7.1f", f.BracketOdds[i]);
}

// A payout row: the combination, the popularity when there is one, the amount.
PayoutRow Payout(std::string combo, int popularity, int amount) {
  return {std::move(combo), popularity >= 1 ? FmtInt("%2lld", popularity) : std::string(), FmtInt("%8lld", amount)};
}

// Win and place rows: a horse number, none for 0.
template <size_t N, size_t M>
void HorseRows(std::array<PayoutRow, N>& rows, const RaceFigures& f, size_t from, const std::array<int, M>& pop,
               const std::array<int, M>& amount) {
  for (size_t j = 0; j < N; ++j) {
    const int horse = f.PayHorse[from + j];
    rows[j] = horse == 0 ? PayoutRow{} : Payout(FmtInt("%2lld", horse), pop[from + j], amount[from + j]);
  }
}

// Combination rows: none for a blank combination or the empty marker.
template <size_t N, size_t M, size_t T, size_t C>
void ComboRows(std::array<PayoutRow, N>& rows, const std::array<FixedText<T>, C>& combos, size_t from,
               const std::array<int, M>& pop, const std::array<int, M>& amount, std::string_view empty) {
  for (size_t j = 0; j < N; ++j) {
    const std::string_view combo = combos[from + j].View();
    rows[j] = IsBlank(combo) || combo == empty ? PayoutRow{} : Payout(std::string(combo), pop[from + j], amount[from + j]);
  }
}

void FillPayouts(const RaceFigures& f, PayoutRows& p) {
  const PayoutNumbers& pop = f.PayPopularity;
  const PayoutNumbers& amt = f.PayAmount;
  HorseRows(p.win, f, 0, pop.Horse, amt.Horse);
  HorseRows(p.place, f, 3, pop.Horse, amt.Horse);
  ComboRows(p.bracket, f.BracketCombo, 0, pop.Bracket, amt.Bracket, " 0- 0");
  ComboRows(p.quinella, f.PairCombo, 0, pop.Pair, amt.Pair, " 0- 0");
  ComboRows(p.wide, f.PairCombo, 3, pop.Pair, amt.Pair, " 0- 0");
  ComboRows(p.exacta, f.ExactaCombo, 0, pop.Exacta, amt.Exacta, " 0- 0");
  ComboRows(p.trio, f.TripleCombo, 0, pop.Triple, amt.Triple, " 0- 0- 0");
  ComboRows(p.trifecta, f.TripleCombo, 3, pop.Triple, amt.Triple, " 0- 0- 0");
}

bool IsToday(const RaceViewOptions& o) {
  if (!o.clock) return false;
  return o.dateText == TodayText(o.clock->now());
}

size_t Index(ViewGridId id) { return static_cast<size_t>(id); }

}  // namespace

// ---- names and tables -----------------------------------------------------------------------

const char* ViewGridName(ViewGridId id) { return Specs()[Index(id)].name; }

const std::string& ViewGridCaption(ViewGridId id) {
  static const std::array<std::string, kViewGridCount> captions = [] {
    const char* const utf8[kViewGridCount] = {"基本情報", "血統", "実績一覧", "着RT",    "人RT",         "展RT",
                                              "馬体重",   "RT一覧", "軸推理1",  "軸推理2", "出馬表(馬柱)", "出馬表"};
    std::array<std::string, kViewGridCount> out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = Sj(utf8[i]);
    return out;
  }();
  return captions[Index(id)];
}

const std::array<ViewGridId, kViewGridCount>& ViewGridsInPageOrder() {
  static const std::array<ViewGridId, kViewGridCount> order{
      ViewGridId::RTList,     ViewGridId::ChakuRT, ViewGridId::NinRT, ViewGridId::TenRT,
      ViewGridId::Jiku1,      ViewGridId::Jiku2,   ViewGridId::Umabashira, ViewGridId::Jisseki,
      ViewGridId::Kihon,      ViewGridId::Kettou,  ViewGridId::Bataiju,    ViewGridId::Shutuba};
  return order;
}

bool ViewGridByName(std::string_view name, ViewGridId& id) {
  for (size_t i = 0; i < Specs().size(); ++i)
    if (name == Specs()[i].name) {
      id = static_cast<ViewGridId>(i);
      return true;
    }
  return false;
}

const char* SortGroupName(ViewGridId id) {
  static const char* const kNames[kSortedGridCount] = {"SpeedButton8",  "SpeedButton17", "SpeedButton25",
                                                       "SpeedButton39", "SpeedButton46", "SpeedButton55",
                                                       "SpeedButton68", "SpeedButton77", "SpeedButton3",
                                                       "SpeedButton96"};
  return Index(id) < kSortedGridCount ? kNames[Index(id)] : "";
}

const std::vector<SortButton>& SortButtons(ViewGridId id) {
  static const std::vector<SortButton> none;
  return Index(id) < kSortedGridCount ? Buttons()[Index(id)] : none;
}

int CheckColumn(ViewGridId id) {
  switch (id) {
    case ViewGridId::NinRT: return 9;
    case ViewGridId::Bataiju: return 13;
    case ViewGridId::RTList: return 24;
    default: return -1;
  }
}

int CheckPlane(ViewGridId id) {
  switch (id) {
    case ViewGridId::NinRT: return 0;
    case ViewGridId::Bataiju: return 1;
    case ViewGridId::RTList: return 2;
    default: return -1;
  }
}

// ---- the view -------------------------------------------------------------------------------

RaceView::RaceView() {
  for (size_t i = 0; i < grids_.size(); ++i) {
    const GridSpec& s = Specs()[i];
    std::vector<std::string> titles;
    for (const char* t : s.titles) titles.push_back(Sj(t));
    grids_[i] = ViewGrid(s.name, std::move(titles), s.widths, s.rowHeight);
    grids_[i].setFixedCols(s.fixedCols);
    const auto id = static_cast<ViewGridId>(i);
    if (id == ViewGridId::Jisseki) {
      grids_[i].setCellPainter([this](const ViewGrid& g, int row, int col, int w, int h) {
        const RaceInfo* r = race();
        if (!r || row < 1) return PaintList{};
        return RecordCardCell(*r, RowRunner(ViewGridId::Jisseki, g, row), col, w, h);
      });
    } else if (id == ViewGridId::Umabashira) {
      grids_[i].setCellPainter([this](const ViewGrid& g, int row, int col, int w, int h) {
        const RaceInfo* r = race();
        if (!r || row < 1) return PaintList{};
        return RaceCardCell(*r, RowRunner(ViewGridId::Umabashira, g, row), col, w, h, surface, distance);
      });
    } else if (i < kSortedGridCount) {
      grids_[i].setStyleQuery(
          [this, id](const ViewGrid& g, int row, int col) { return RatingCellStyle(id, g, row, col, race()); });
    }
  }
}

const RaceInfo* RaceView::race() const {
  if (!day_ || slot_ < 0 || slot_ >= MaxRaces) return nullptr;
  return &day_->Races[static_cast<size_t>(slot_)];
}

int RaceView::pressedButton(ViewGridId id) const { return Index(id) < kSortedGridCount ? pressed_[Index(id)] : 0; }

RaceViewResult RunRaceView(RaceDay& day, int slot, const RaceViewOptions& options, RaceView& view) {
  RaceViewResult result;
  // 1
  if (slot < 0 || slot >= MaxRaces) return result;
  day.CurrentRace = slot;
  RaceInfo& race = day.Races[static_cast<size_t>(slot)];
  const int runners = RegisteredRunners(race);
  const long long raceNo = race.RaRecord.fieldInt(26, 2);
  view.header.RestTimeLabel.clear();
  view.header.F3AveLabel.clear();
  view.timer3Enabled = false;
  view.panel12Visible = false;
  // 2
  if (raceNo < 1) {
    result.message = T().noRace;
    return result;
  }
  if (race.Runners[0].SeRecord.fieldInt(29, 2) < 1) {
    result.message = std::to_string(raceNo) + T().noRunner;
    return result;
  }
  RaceViewAccess::shown(view, &day, slot);
  // 3
  FillHeader(race, view.header);
  // 4-6
  view.odds = OddsLabels{};
  view.header.O1Time = OddsTime(race.Odds.O1Record.view(), race.Figures.O1Time.View());
  view.header.O2Time = OddsTime(race.Odds.O2Record.view(), race.Figures.O2Time.View());
  // The share is cleared like the 3F average, so a race without one never shows another's.
  view.header.NinSenyuLabel = race.Figures.TopThreeShare > 0 ? Fmt("%6.1f", race.Figures.TopThreeShare) : "";
  if (race.Figures.FieldLast3FAverage > 0) view.header.F3AveLabel = Fmt("%6.1f", race.Figures.FieldLast3FAverage);
  // 7
  SelectionFigures(race, options.samples, options.weightSwitch);
  // 8
  auto& grids = RaceViewAccess::grids(view);
  for (ViewGrid& g : grids) {
    g.clearData();
    g.setRowCount(runners + 1);
  }
  // 9
  for (int n = 1; n <= runners; ++n) {
    const int h = n - 1;
    const RowContext c{day, race, slot, h, race.Runners[static_cast<size_t>(h)].SeRecord, race.Figures};
    FillKihon(view.grid(ViewGridId::Kihon), n, c);
    FillKettou(view.grid(ViewGridId::Kettou), n, c);
    FillJisseki(view.grid(ViewGridId::Jisseki), n, c);
    FillChakuRT(view.grid(ViewGridId::ChakuRT), n, c);
    FillNinRT(view.grid(ViewGridId::NinRT), n, c);
    FillTenRT(view.grid(ViewGridId::TenRT), n, c);
    FillBataiju(view.grid(ViewGridId::Bataiju), n, c);
    FillRTList(view.grid(ViewGridId::RTList), n, c);
    FillJiku1(view.grid(ViewGridId::Jiku1), n, c);
    FillJiku2(view.grid(ViewGridId::Jiku2), n, c);
    FillCards(view.grid(ViewGridId::Umabashira), view.grid(ViewGridId::Shutuba), n, c);
  }
  {
    ViewGrid& card = view.grid(ViewGridId::Umabashira);
    std::vector<int> widths = Specs()[Index(ViewGridId::Umabashira)].widths;
    for (size_t c = 0; c < widths.size(); ++c)
      widths[c] = RaceCardColumnWidth(race, runners, static_cast<int>(c), widths[c], card.rowHeight(), view.surface,
                                      view.distance);
    card.setWidths(std::move(widths));
  }
  // A runner that does not run shows no rank anywhere.
  const auto out = ScratchedRunners(race);
  for (int i = 0; i < kSortedGridCount; ++i) {
    const auto id = static_cast<ViewGridId>(i);
    ViewGrid& g = view.grid(id);
    for (int row = 1; row < g.rowCount(); ++row) {
      const int n = RowRunner(id, g, row);
      if (n < 1 || !out[static_cast<size_t>(n - 1)]) continue;
      for (int col = 0; col < g.colCount(); ++col)
        if (RankColumn(id, col)) g.setCell(row, col, T().wide1);
    }
  }
  // 10-11
  FillOdds(race, view.odds);
  FillPayouts(race.Figures, view.payouts);
  // 12
  view.panel12Visible = true;
  view.timer3Enabled = IsToday(options);
  // 13
  for (int i = 0; i < kSortedGridCount; ++i) ApplySort(view, static_cast<ViewGridId>(i));
  result.shown = true;
  return result;
}

void PressSortButton(RaceView& view, ViewGridId id, int button) {
  if (Index(id) >= kSortedGridCount) return;
  const auto& buttons = SortButtons(id);
  if (button < 0 || button >= static_cast<int>(buttons.size())) return;
  RaceViewAccess::pressed(view)[Index(id)] = button;
  ApplySort(view, id);
}

void ApplySort(RaceView& view, ViewGridId id) {
  if (Index(id) >= kSortedGridCount) return;
  const auto& buttons = SortButtons(id);
  SortByButton(view.grid(id), buttons[static_cast<size_t>(view.pressedButton(id))]);
}

// ---- clicks ---------------------------------------------------------------------------------

int RowRunner(ViewGridId id, const ViewGrid& grid, int row) {
  if (row < 1 || row >= grid.rowCount()) return 0;
  const long long n = ParseInt(grid.cell(row, id == ViewGridId::Jisseki ? 0 : 1), 0);
  return n >= 1 && n <= MaxRunners ? static_cast<int>(n) : 0;
}

bool HandCursorAt(ViewGridId id, int row, int col) {
  if (row < 1) return false;
  if (id == ViewGridId::Umabashira) return col == 2;
  if (Index(id) >= kSortedGridCount) return false;
  return col == 3 || col == CheckColumn(id);
}

ClickResult GridClick(RaceDay& day, RaceView& view, ViewGridId id, int row, int col) {
  ClickResult out;
  ViewGrid& g = view.grid(id);
  const int runner = RowRunner(id, g, row);
  if (runner < 1 || view.slot() < 0 || view.day() != &day) return out;
  const bool nameColumn = id == ViewGridId::Umabashira ? col == 2 : (Index(id) < kSortedGridCount && col == 3);
  if (nameColumn) {
    day.CurrentRunner = runner - 1;
    out.action = ClickAction::OpenPastRuns;
    return out;
  }
  if (col != CheckColumn(id)) return out;
  day.CurrentRunner = runner - 1;
  char& mark = day.CheckMark(CheckPlane(id), view.slot(), runner - 1);
  if (!g.cell(row, col).empty()) {
    g.setCell(row, col, "");
    mark = '0';
  } else {
    g.setCell(row, col, T().check);
    mark = '1';
  }
  out.action = ClickAction::CheckToggled;
  out.saved = SaveCheckBtnClick(day);
  return out;
}

Status SaveCheckBtnClick(const RaceDay& day) {
  if (day.CheckPath.empty()) return Status::InvalidArgument(Sj("チェックマークを保存する日付が読み込まれていません。"));
  return WriteCheckMarks(day.CheckPath, std::string_view(day.CheckMarks.data(), day.CheckMarks.size()));
}

// ---- settings -------------------------------------------------------------------------------

Status SpinEdit3Change(TIniGT& ini, int samples) { return ini.WriteInteger("AvChakusa", "samplesu", samples); }
Status RadioGroup1Click(TIniGT& ini, int index) { return ini.WriteInteger("Futanjuryo", "Ignore", index); }
int StoredSampleCount(const TIniGT& ini) { return ini.ReadInteger("AvChakusa", "samplesu", 13); }
int StoredWeightSwitch(const TIniGT& ini) { return ini.ReadInteger("Futanjuryo", "Ignore", 0); }

}  // namespace zelkova
