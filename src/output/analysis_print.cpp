#include "output/analysis_print.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/cp932.h"
#include "output/out_format.h"
#include "records/code_tables.h"

namespace zelkova {

namespace {

using outfmt::Printf;

constexpr int kThin = 1, kMedium = 8, kThick = 14;

// The canvas state the page is drawn with: each operation takes the font and pen set last.
class Canvas {
 public:
  explicit Canvas(PaintList& list) : list_(list) { font.name = PrintFontName(); }
  void Text(int x, int y, std::string text) { list_.Text(x, y, std::move(text), font, colour); }
  void Line(int x1, int y1, int x2, int y2) { list_.Line(x1, y1, x2, y2, pen); }
  void Box(int x1, int y1, int x2, int y2, bool clear, Rgb brush = kWhite) { list_.Box(x1, y1, x2, y2, pen, clear, brush); }
  void Pen(int w) { pen.width = w; }

  PaintFont font;
  PaintPen pen;
  Rgb colour = kBlack;

 private:
  PaintList& list_;
};

// Figures of the eight printed groups for runner slot h, and their ranks.
double GroupValue(const RaceFigures& f, int group, int h) {
  switch (group) {
    case 0: return f.FinishRating[h] * 100;
    case 1: return f.PopularityRating[h] * 100;
    case 2: return f.PositionRating[h] * 100;
    case 3: return f.AbilityMax[h];
    case 4: return f.AbilityAvg[h];
    case 5: return f.PrizePerStart[h];
    case 6: return f.AverageCorner4[h];
    default: return f.SpeedOnClass[h];
  }
}

int GroupRank(const RaceFigures& f, int group, int h) {
  switch (group) {
    case 0: return f.FinishRatingRank[h];
    case 1: return f.PopularityRatingRank[h];
    case 2: return f.PositionRatingRank[h];
    case 3: return f.AbilityMaxRank[h];
    case 4: return f.AbilityAvgRank[h];
    case 5: return f.PrizeRank[h];
    case 6: return f.AverageCorner4Rank[h];
    default: return f.SpeedOnClassRank[h];
  }
}

void Frame(Canvas& c, const std::string& date, int n) {
  const int bottom = PrintFrameBottom(n);
  c.font.size = 12;
  c.font.bold = c.font.underline = true;
  c.Text(100, 70, date);
  c.font.size = 10;
  c.Pen(kThick);
  c.Box(100, 120, 1990, 190, false, kSilver);
  c.Box(100, 190, 1990, bottom, true);
  c.Pen(kMedium);
  c.Box(100, 120, 1910, bottom, true);
  c.font.bold = c.font.underline = false;
  c.Pen(kThin);

  static const std::array<std::string, 8> headings = {Sj("着RT"),   Sj("人RT"),   Sj("展RT"), Sj("能力M"),
                                                      Sj("能平均"), Sj("格賞金"), Sj("平脚"), Sj("SP")};
  static const std::string first = Sj("1着"), second = Sj("2着"), third = Sj("3着");
  c.font.size = 9;
  for (int i = 0; i < 8; ++i) {
    const int x0 = 210 * i;
    c.Pen(kMedium);
    c.Line(x0 + 230, 120, x0 + 230, bottom);
    c.Pen(kThin);
    c.Line(x0 + 300, 156, x0 + 300, bottom);
    c.Line(x0 + 370, 156, x0 + 370, bottom);
    // Only the first heading is at 9 points: the size set for the finisher labels stays.
    c.Text(x0 + 235, 121, headings[i]);
    c.font.size = 8;
    c.Text(x0 + 235, 156, first);
    c.Text(x0 + 305, 156, second);
    c.Text(x0 + 375, 156, third);
  }
  c.Line(230, 155, 1990, 155);
  c.Text(1915, 121, Sj("単配"));
  c.Text(1915, 156, Sj("単人"));
}

void RaceRow(Canvas& c, const RaceInfo& race, int r, bool newCourse) {
  const int y0 = 70 * r;
  const RaImage& ra = race.RaRecord;
  c.Pen(newCourse ? kMedium : kThin);
  c.Line(100, y0 + 190, 1990, y0 + 190);
  c.font.size = 9;
  c.colour = kBlack;
  c.Text(105, y0 + 191, CourseNameW(ra.field(20, 2), 2) + PadNumber(ra.field(26, 2)) + "R");
  c.font.size = 6;
  static const std::string head = Sj("頭");
  c.Text(105, y0 + 226, TrackShort(static_cast<int>(ra.fieldInt(706, 2))).substr(0, 2) + PadNumber(ra.field(698, 4)) +
                            " " + PadNumber(ra.field(882, 2)) + head);

  const HrImage& hr = race.HrRecord;
  const int finishers[3] = {static_cast<int>(hr.fieldInt(142, 2)), static_cast<int>(hr.fieldInt(155, 2)),
                            static_cast<int>(hr.fieldInt(168, 2))};
  if (finishers[0] <= 0) return;
  const RaceFigures& f = race.Figures;
  // A second or third place that the payout record leaves out (or names out of range) prints blank.
  auto slot = [&](int k) {
    int n = finishers[k % 3];
    return (n >= 1 && n <= MaxRunners) ? n - 1 : -1;
  };
  for (int k = 0; k < 24; ++k) {
    int h = slot(k);
    double v = h < 0 ? 0 : GroupValue(f, k / 3, h);
    // Six half-width characters of 6 points are 63.5 wide in a column of 70: written from 234
    // they stay clear of the lines on both sides.
    c.Text(234 + 70 * k, y0 + 193, v > 0 ? Printf("%6.1f", v) : " ");
  }
  long long win = hr.fieldInt(105, 9);
  c.Text(1920, y0 + 193, win >= 1 ? Printf("%6lld", win) : " ");
  c.font.size = 9;
  for (int k = 0; k < 24; ++k) {
    int h = slot(k);
    int rank = h < 0 ? 0 : GroupRank(f, k / 3, h);
    c.colour = PrintRankColour(rank);
    c.Text(245 + 70 * k, y0 + 226, rank >= 1 ? Printf("%2d", rank) : " ");
  }
  int popularity = static_cast<int>(hr.fieldInt(114, 2));
  c.colour = PrintRankColour(popularity);
  c.Text(1925, y0 + 226, popularity >= 1 ? Printf("%2d", popularity) : " ");
}

}  // namespace

const std::string& PrintFontName() {
  static const std::string name = Sj("ＭＳ ゴシック");
  return name;
}
std::string PrintNoDataMessage() { return Sj("データを読み込んでください。"); }
std::string NoPrinterMessage() { return Sj("プリンタが登録されていません"); }
std::string AnalysisPrintCaption() { return Sj("分析結果印刷"); }

Rgb PrintRankColour(int rank) {
  if (rank == 1) return kRed;
  if (rank == 2 || rank == 3) return kBlue;
  return kBlack;
}

PaintList AnalysisPrint(const RaceDay& day, int races) {
  PaintList list;
  if (races <= 0) return list;
  if (races > MaxRaces) races = MaxRaces;
  Canvas c(list);
  const RaImage& first = day.Races[0].RaRecord;
  Frame(c,
        "Zelkova" + Sj("　分析データ【") + std::string(first.field(12, 4)) + Sj("年") + std::string(first.field(16, 2)) +
            Sj("月") + std::string(first.field(18, 2)) + Sj("日】"),
        races);
  // Row r is the race list's item r, as the frame counts them: a slot the list leaves out (a
  // record without a year) takes no row and pushes no race off the page.
  const std::vector<int> slots = RaceListSlots(day);
  const int rows = std::min(races, static_cast<int>(slots.size()));
  for (int r = 0; r < rows; ++r) {
    const RaImage& ra = day.Races[slots[r]].RaRecord;
    const RaImage& before = day.Races[slots[r == 0 ? 0 : r - 1]].RaRecord;
    RaceRow(c, day.Races[slots[r]], r, ra.field(20, 2) != before.field(20, 2));
  }
  return list;
}

}  // namespace zelkova
