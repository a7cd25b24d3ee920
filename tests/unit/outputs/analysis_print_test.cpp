// The analysis print's display list: the frame for the number of races, the line weights, the
// finisher values and rank colours, a race without payouts.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/cp932.h"
#include "output/analysis_print.h"
#include "output_fixtures.h"

namespace zelkova {
namespace {

using testing::MakeDay;
using testing::Put;
using Kind = PaintOp::Kind;

std::vector<PaintOp> OpsOf(const PaintList& list, Kind kind) {
  std::vector<PaintOp> out;
  for (const auto& op : list.ops())
    if (op.kind == kind) out.push_back(op);
  return out;
}

const PaintOp* TextAt(const PaintList& list, int x, int y) {
  for (const auto& op : list.ops())
    if (op.kind == Kind::Text && op.x1 == x && op.y1 == y) return &op;
  return nullptr;
}

// Texts of race row r (between its line and the next one).
std::vector<PaintOp> RowTexts(const PaintList& list, int r) {
  std::vector<PaintOp> out;
  for (const auto& op : OpsOf(list, Kind::Text))
    if (op.y1 > 70 * r + 190 && op.y1 < 70 * r + 260) out.push_back(op);
  return out;
}

TEST(AnalysisPrint, FrameOfTwentyFourRacesEndsAt1870) {
  auto day = MakeDay(24);
  PaintList page = AnalysisPrint(*day, 24);
  EXPECT_EQ(PrintFrameBottom(24), 1870);
  auto boxes = OpsOf(page, Kind::Box);
  ASSERT_EQ(boxes.size(), 3u);
  // The heading band, silver, thick pen.
  EXPECT_EQ(std::tie(boxes[0].x1, boxes[0].y1, boxes[0].x2, boxes[0].y2), std::make_tuple(100, 120, 1990, 190));
  EXPECT_FALSE(boxes[0].brushClear);
  EXPECT_EQ(boxes[0].brush, kSilver);
  EXPECT_EQ(boxes[0].pen.width, 14);
  EXPECT_EQ(std::tie(boxes[1].x1, boxes[1].y1, boxes[1].x2, boxes[1].y2), std::make_tuple(100, 190, 1990, 1870));
  EXPECT_TRUE(boxes[1].brushClear);
  EXPECT_EQ(boxes[1].pen.width, 14);
  EXPECT_EQ(std::tie(boxes[2].x1, boxes[2].y1, boxes[2].x2, boxes[2].y2), std::make_tuple(100, 120, 1910, 1870));
  EXPECT_EQ(boxes[2].pen.width, 8);
  // Group separators run to the bottom: eight thick, sixteen thin.
  int thick = 0, thin = 0;
  for (const auto& l : OpsOf(page, Kind::Line))
    if (l.x1 == l.x2 && l.y2 == 1870) (l.pen.width == 8 ? thick : thin) += 1;
  EXPECT_EQ(thick, 8);
  EXPECT_EQ(thin, 16);
  // Title.
  const PaintOp* title = TextAt(page, 100, 70);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->text, Sj("Zelkova　分析データ【2024年05月12日】"));
  EXPECT_EQ(title->font.size, 12);
  EXPECT_TRUE(title->font.bold && title->font.underline);
  EXPECT_EQ(title->font.name, Sj("ＭＳ ゴシック"));
}

TEST(AnalysisPrint, HeadingsKeepTheSizeOfTheFinisherLabels) {
  PaintList page = AnalysisPrint(*MakeDay(2), 2);
  const PaintOp* first = TextAt(page, 235, 121);
  const PaintOp* second = TextAt(page, 445, 121);
  const PaintOp* last = TextAt(page, 1705, 121);
  ASSERT_TRUE(first && second && last);
  EXPECT_EQ(first->text, Sj("着RT"));
  EXPECT_EQ(first->font.size, 9);
  EXPECT_EQ(second->text, Sj("人RT"));
  EXPECT_EQ(second->font.size, 8);
  EXPECT_EQ(last->text, Sj("SP"));
  EXPECT_FALSE(first->font.bold);
  ASSERT_NE(TextAt(page, 1915, 121), nullptr);
  EXPECT_EQ(TextAt(page, 1915, 156)->text, Sj("単人"));
  EXPECT_EQ(TextAt(page, 375, 156)->text, Sj("3着"));
}

TEST(AnalysisPrint, RaceLinesAreThickWhereTheRacecourseChanges) {
  PaintList page = AnalysisPrint(*MakeDay(24), 24);
  std::vector<int> widths;
  for (const auto& l : OpsOf(page, Kind::Line))
    if (l.y1 == l.y2 && l.x1 == 100 && l.x2 == 1990) widths.push_back(l.pen.width);
  ASSERT_EQ(widths.size(), 24u);
  for (int r = 0; r < 24; ++r) EXPECT_EQ(widths[r], r == 12 ? 8 : 1) << r;
}

TEST(AnalysisPrint, RowValuesRanksAndColours) {
  auto day = MakeDay(1);
  RaceFigures& f = day->Races[0].Figures;
  // Finisher a is horse 3 (slot 2), b horse 5, c horse 1.
  f.FinishRating[2] = 0.5;
  f.FinishRatingRank[2] = 1;
  f.FinishRatingRank[4] = 2;
  f.FinishRatingRank[0] = 4;
  f.SpeedOnClass[0] = 61.26;
  f.SpeedOnClassRank[0] = 3;
  PaintList page = AnalysisPrint(*day, 1);
  EXPECT_EQ(TextAt(page, 105, 191)->text, Sj("東京 1R"));
  EXPECT_EQ(TextAt(page, 105, 226)->text, Sj("芝1600 16頭"));
  EXPECT_EQ(TextAt(page, 105, 226)->font.size, 6);
  const PaintOp* v = TextAt(page, 234, 193);
  EXPECT_EQ(v->text, "  50.0");
  EXPECT_EQ(v->font.size, 6);
  EXPECT_EQ(TextAt(page, 234 + 70, 193)->text, " ");  // 0 prints blank
  EXPECT_EQ(TextAt(page, 234 + 70 * 23, 193)->text, "  61.3");
  EXPECT_EQ(TextAt(page, 1920, 193)->text, "   350");
  struct { int k; std::string text; Rgb colour; } ranks[] = {
      {0, " 1", kRed}, {1, " 2", kBlue}, {2, " 4", kBlack}, {3, " ", kBlack}, {23, " 3", kBlue}};
  for (const auto& r : ranks) {
    const PaintOp* op = TextAt(page, 245 + 70 * r.k, 226);
    ASSERT_NE(op, nullptr) << r.k;
    EXPECT_EQ(op->text, r.text) << r.k;
    EXPECT_EQ(op->colour, r.colour) << r.k;
    EXPECT_EQ(op->font.size, 9);
  }
  EXPECT_EQ(TextAt(page, 1925, 226)->text, " 2");
  EXPECT_EQ(TextAt(page, 1925, 226)->colour, kBlue);
}

TEST(AnalysisPrint, EveryFigureStaysBetweenItsColumnLines) {
  // The widest figure, "%6.1f" of four digits, in every column: none runs into a line.
  auto day = MakeDay(1);
  for (int h = 0; h < MaxRunners; ++h) {
    RaceFigures& f = day->Races[0].Figures;
    f.FinishRating[h] = f.PopularityRating[h] = f.PositionRating[h] = 99.99;
    f.AbilityMax[h] = f.AbilityAvg[h] = f.PrizePerStart[h] = f.AverageCorner4[h] = f.SpeedOnClass[h] = 9999.9;
  }
  PaintList page = AnalysisPrint(*day, 1);
  std::vector<int> lines;
  for (const auto& l : OpsOf(page, Kind::Line))
    if (l.x1 == l.x2) lines.push_back(l.x1);
  std::sort(lines.begin(), lines.end());
  for (const auto& t : RowTexts(page, 0)) {
    if (t.y1 != 193 || t.text.size() < 6) continue;
    // A half-width character is half the font's size; 0.1 mm units, 254 to the inch.
    const double right = t.x1 + t.text.size() * t.font.size / 2 / 72.0 * 254;
    auto next = std::upper_bound(lines.begin(), lines.end(), t.x1);
    const int edge = next == lines.end() ? 1990 : *next;
    EXPECT_LT(right, edge - 1) << t.x1 << " " << t.text;
    EXPECT_GT(t.x1, *(next - 1) + 1) << t.text;
  }
}

TEST(AnalysisPrint, RaceWithoutPayoutsShowsOnlyItsName) {
  auto day = MakeDay(3);
  day->Races[1].HrRecord.clear();
  PaintList page = AnalysisPrint(*day, 3);
  auto row = RowTexts(page, 1);
  ASSERT_EQ(row.size(), 2u);
  EXPECT_EQ(row[0].text, Sj("東京 2R"));
  EXPECT_EQ(RowTexts(page, 2).size(), 2u + 24 + 1 + 24 + 1);
}

TEST(AnalysisPrint, RowsAreTheRaceListItems) {
  // A slot whose record has no year is not in the race list: the rows are the listed races,
  // the last one included.
  auto day = MakeDay(3);
  Put(day->Races[1].RaRecord, 12, "0000");
  ASSERT_EQ(RaceListCount(*day), 2);
  PaintList page = AnalysisPrint(*day, RaceListCount(*day));
  EXPECT_EQ(TextAt(page, 105, 191)->text, Sj("東京 1R"));
  EXPECT_EQ(TextAt(page, 105, 70 + 191)->text, Sj("東京 3R"));
  EXPECT_TRUE(RowTexts(page, 2).empty());
}

TEST(AnalysisPrint, NothingLoadedDrawsNothing) {
  auto day = MakeRaceDay();
  EXPECT_EQ(RaceListCount(*day), 0);
  EXPECT_TRUE(AnalysisPrint(*day, 0).empty());
  EXPECT_EQ(PrintNoDataMessage(), Sj("データを読み込んでください。"));
  EXPECT_EQ(NoPrinterMessage(), Sj("プリンタが登録されていません"));
}

}  // namespace
}  // namespace zelkova
