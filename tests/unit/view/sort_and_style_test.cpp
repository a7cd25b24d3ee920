// Sorting by cell text, the group handlers' tie pass, the colour rules, clicks and check marks.
#include <gtest/gtest.h>

#include "analysis/race_view.h"
#include "analysis/view_styles.h"
#include "base/file_io.h"
#include "test_support.h"
#include "view_builder.h"

namespace zelkova {
namespace {

using testing::Put;
using testing::ViewDay;
using G = ViewGridId;

// A two-column grid: the sort key, then a row label.
ViewGrid Keys(std::initializer_list<std::pair<const char*, const char*>> rows) {
  ViewGrid g("T", {"key", "id"}, {20, 20}, 18);
  g.setRowCount(static_cast<int>(rows.size()) + 1);
  int r = 1;
  for (auto [k, id] : rows) {
    g.setCell(r, 0, Sj(k));
    g.setCell(r++, 1, id);
  }
  return g;
}

std::string Ids(const ViewGrid& g) {
  std::string out;
  for (int r = 1; r < g.rowCount(); ++r) out += g.cell(r, 1);
  return out;
}

TEST(SortRows, BytesOrderBlanksFirstAndWideBlankAfterDigits) {
  ViewGrid g = Keys({{"　", "a"}, {" 2", "b"}, {"", "c"}, {"10", "d"}, {" 1", "e"}, {" 1x", "f"}});
  SortRows(g, 1, g.rowCount() - 1, 0, false);
  EXPECT_EQ(Ids(g), "cefbda");
  // Descending puts the empty cell last.
  SortRows(g, 1, g.rowCount() - 1, 0, true);
  EXPECT_EQ(Ids(g), "adbfec");
  // The title row and rows outside the range stay.
  ViewGrid h = Keys({{"3", "a"}, {"2", "b"}, {"1", "c"}});
  SortRows(h, 2, 3, 0, false);
  EXPECT_EQ(Ids(h), "acb");
  SortRows(h, 0, 99, 5, false);  // no such column
  EXPECT_EQ(h.cell(0, 0), "key");
}

TEST(SortRows, IsNotStable) {
  // The middle row's text is the pivot; equal rows are exchanged across it.
  ViewGrid g = Keys({{"1", "a"}, {"1", "b"}, {"1", "c"}});
  SortRows(g, 1, 3, 0, false);
  EXPECT_EQ(Ids(g), "cba");
}

TEST(SortByButton, TiePassOrdersEqualTextsByTheTieColumn) {
  ViewGrid g = Keys({{"2", "d"}, {"1", "c"}, {"2", "a"}, {"1", "b"}, {"2", "b"}});
  SortByButton(g, {"", 0, false, 1});
  EXPECT_EQ(Ids(g), "bcabd");
  SortByButton(g, {"", 0, true, 1});
  EXPECT_EQ(Ids(g), "abdbc");
}

TEST(RaceViewSort, UnrankedLastAndEqualRanksInHorseNumberOrder) {
  ViewDay d(5);
  d.fig().FinishRatingRank = {2, 0, 1, 0, 0};
  d.show();
  EXPECT_EQ(d.order(G::ChakuRT), "1,2,3,4,5");  // 馬番 is down at start
  PressSortButton(d.view, G::ChakuRT, 3);          // 着ＲＴ
  EXPECT_EQ(d.order(G::ChakuRT), "3,1,2,4,5");
  EXPECT_EQ(d.view.pressedButton(G::ChakuRT), 3);
  // The chosen button stays down: the next race is shown sorted the same way.
  d.fig().FinishRatingRank = {0, 1, 0, 0, 2};
  d.show();
  EXPECT_EQ(d.order(G::ChakuRT), "2,5,1,3,4");
  PressSortButton(d.view, G::ChakuRT, 0);
  EXPECT_EQ(d.order(G::ChakuRT), "1,2,3,4,5");
  PressSortButton(d.view, G::ChakuRT, 99);  // no such button
  EXPECT_EQ(d.view.pressedButton(G::ChakuRT), 0);
}

TEST(RaceViewSort, DescendingWithEmptyCellsAndTheHiddenFigureOfTheRecordCard) {
  ViewDay d(4);
  d.fig().SupportRate = {0, 10.5, 3.2, 0};
  d.fig().RateScores[0][0] = 9;
  d.fig().RateScores[1][0] = 31.5;
  d.fig().RateScores[2][0] = 100;
  d.fig().RateScores[3][0] = 31.5;
  d.show();
  PressSortButton(d.view, G::NinRT, 3);  // 支持率, descending
  EXPECT_EQ(d.order(G::NinRT), "2,3,1,4");
  PressSortButton(d.view, G::Jisseki, 1);  // 勝率 on the "%6.1f" figure
  EXPECT_EQ(d.order(G::Jisseki, 0), "3,2,4,1");
  EXPECT_EQ(d.grid(G::Jisseki).cell(1, 1), " 100.0");
  // The card drawn in a row follows the number in its first column.
  EXPECT_EQ(RowRunner(G::Jisseki, d.grid(G::Jisseki), 1), 3);
}

TEST(RaceViewSort, ButtonTables) {
  EXPECT_EQ(SortButtons(G::Kihon).size(), 8u);
  EXPECT_EQ(SortButtons(G::Jisseki).size(), 14u);
  EXPECT_EQ(SortButtons(G::TenRT).size(), 13u);
  EXPECT_EQ(SortButtons(G::RTList).size(), 16u);
  EXPECT_EQ(SortButtons(G::Umabashira).size(), 0u);
  RaceView view;
  for (int i = 0; i < kSortedGridCount; ++i) {
    const auto& b = SortButtons(static_cast<G>(i));
    EXPECT_EQ(Cp932ToUtf8Lossy(b[0].caption), "馬番");
    EXPECT_FALSE(b[0].descending);
    for (const SortButton& x : b) {
      EXPECT_LT(x.column, view.grid(static_cast<G>(i)).colCount());
      EXPECT_LT(x.tieColumn, view.grid(static_cast<G>(i)).colCount());
    }
  }
  const SortButton& rt = SortButtons(G::RTList)[5];
  EXPECT_EQ(Cp932ToUtf8Lossy(rt.caption), "着R");
  EXPECT_EQ(rt.column, 8);
  EXPECT_EQ(rt.tieColumn, 22);
  EXPECT_TRUE(SortButtons(G::Jiku2)[6].descending);  // 前１
  EXPECT_STREQ(SortGroupName(G::ChakuRT), "SpeedButton39");
}

TEST(RatingCellStyle, CommonColumns) {
  ViewDay d(6);
  d.finish(5, 1);
  d.finish(6, 3);
  d.show();
  const ViewGrid& g = d.grid(G::Kihon);
  CellStyle s = g.style(5, 0);  // frame 3
  EXPECT_EQ(s.background, (Rgb{255, 0, 0}));
  EXPECT_EQ(s.text, kWhite);
  EXPECT_EQ(g.style(1, 0).text, kBlack);  // frame 1, white
  EXPECT_EQ(g.style(1, 1).background, kInfoBackground);
  EXPECT_EQ(g.style(5, 3).background, (Rgb{255, 185, 255}));
  EXPECT_EQ(g.style(5, 3).align, CellStyle::Align::Left);
  EXPECT_EQ(g.style(6, 3).background, (Rgb{255, 255, 168}));
  EXPECT_EQ(g.style(1, 3).background, kWhite);
  // The result column: highlight and rank colours.
  EXPECT_EQ(g.style(5, 16).background, (Rgb{255, 185, 255}));
  EXPECT_EQ(g.style(5, 16).text, kRed);
  EXPECT_EQ(g.style(6, 16).text, kBlue);
  // RT一覧's result has the highlight but keeps the grid's black text.
  const ViewGrid& rt = d.grid(G::RTList);
  EXPECT_EQ(rt.style(5, 25).background, (Rgb{255, 185, 255}));
  EXPECT_EQ(rt.style(5, 25).text, kBlack);
  EXPECT_EQ(rt.style(6, 25).text, kBlack);
  EXPECT_EQ(d.grid(G::ChakuRT).style(6, 27).text, kBlue);
  EXPECT_EQ(g.style(1, 6).background, kWhite);
  EXPECT_EQ(g.style(1, 6).align, CellStyle::Align::Centre);
  EXPECT_EQ(g.style(1, 6).top, 2);
  EXPECT_EQ(g.style(0, 0), CellStyle{});
  // The 血統 grid takes the result from the entry record and aligns its texts left.
  const ViewGrid& k = d.grid(G::Kettou);
  EXPECT_EQ(k.style(5, 3).background, (Rgb{255, 185, 255}));
  EXPECT_EQ(k.style(5, 7).align, CellStyle::Align::Left);
  EXPECT_EQ(k.style(5, 7).background, kWhite);
}

TEST(RatingCellStyle, RankPastPlaceWeeksAndComplements) {
  ViewDay d(3);
  RaceFigures& f = d.fig();
  f.FinishRatingRank = {1, 2, 0};
  f.SpeedOnClassRank = {1, 2, 3};
  f.DaysSinceLastRun = {7, 14, 49};
  f.FinishComplement = {0.2, 0, -0.1};
  Put(d.past(1, 0).SeRecord, 335, "01");
  Put(d.past(1, 1).SeRecord, 335, "02");
  Put(d.past(1, 2).SeRecord, 335, "03");
  Put(d.past(1, 3).SeRecord, 335, "07");
  Put(d.past(2, 0).SeRecord, 358, "02");
  d.show();
  const ViewGrid& c = d.grid(G::ChakuRT);
  EXPECT_EQ(c.style(1, 22).background, kInfoBackground);
  EXPECT_EQ(c.style(1, 22).text, kRed);
  EXPECT_EQ(c.style(2, 22).text, kBlue);
  EXPECT_EQ(c.style(3, 22).text, kBlack);
  EXPECT_EQ(c.style(1, 7).background, (Rgb{255, 0, 255}));
  EXPECT_EQ(c.style(1, 8).background, (Rgb{0, 255, 255}));
  EXPECT_EQ(c.style(1, 9).background, (Rgb{255, 255, 0}));
  EXPECT_EQ(c.style(1, 10).background, kWhite);
  EXPECT_EQ(c.style(1, 11).background, kSilver);
  const ViewGrid& t = d.grid(G::TenRT);
  EXPECT_EQ(t.style(2, 11).background, (Rgb{0, 255, 255}));
  EXPECT_EQ(t.style(1, 11).background, kSilver);
  const ViewGrid& b = d.grid(G::Bataiju);
  EXPECT_EQ(b.style(1, 14).text, kRed);
  EXPECT_EQ(b.style(2, 14).text, kBlack);
  EXPECT_EQ(b.style(3, 14).text, kBlue);
  EXPECT_EQ(b.style(3, 14).background, kWhite);
  // RT一覧 leaves its SP and 3F ranks plain.
  const ViewGrid& r = d.grid(G::RTList);
  EXPECT_EQ(r.style(1, 20), CellStyle{});
  EXPECT_EQ(r.style(1, 12).background, kInfoBackground);
  const ViewGrid& j = d.grid(G::Jiku1);
  EXPECT_EQ(j.style(1, 9).text, kBlue);
  EXPECT_EQ(j.style(2, 9).text, kBlack);
  EXPECT_EQ(j.style(3, 9).text, kRed);
  EXPECT_EQ(j.style(3, 9).background, kInfoBackground);
  // Colours follow the runner when the rows are sorted.
  PressSortButton(d.view, G::Jiku1, 2);  // 馬齢: all equal, tie by 馬番
  PressSortButton(d.view, G::RTList, 12);  // SP rank
  EXPECT_EQ(d.order(G::RTList), "1,2,3");
}

TEST(GridClick, NamesOpenThePastRunsAndCheckMarksToggleAndSave) {
  testing::TempDir dir;
  ViewDay d(3);
  d.day->CheckPath = dir / "Data" / "day.CkIm";
  d.show();
  EXPECT_TRUE(HandCursorAt(G::NinRT, 1, 3));
  EXPECT_TRUE(HandCursorAt(G::NinRT, 1, 9));
  EXPECT_FALSE(HandCursorAt(G::NinRT, 0, 9));
  EXPECT_FALSE(HandCursorAt(G::Kihon, 1, 9));
  EXPECT_TRUE(HandCursorAt(G::Umabashira, 2, 2));
  EXPECT_EQ(GridClick(*d.day, d.view, G::Kihon, 2, 3).action, ClickAction::OpenPastRuns);
  EXPECT_EQ(d.day->CurrentRunner, 1);
  EXPECT_EQ(GridClick(*d.day, d.view, G::Umabashira, 3, 2).action, ClickAction::OpenPastRuns);
  EXPECT_EQ(d.day->CurrentRunner, 2);
  EXPECT_EQ(GridClick(*d.day, d.view, G::Kihon, 2, 4).action, ClickAction::None);
  EXPECT_EQ(GridClick(*d.day, d.view, G::Kihon, 0, 3).action, ClickAction::None);
  EXPECT_EQ(GridClick(*d.day, d.view, G::Kihon, 9, 3).action, ClickAction::None);

  // The 馬体重 page's mark of runner 2, after a sort moved the rows.
  PressSortButton(d.view, G::Bataiju, 0);
  ClickResult r = GridClick(*d.day, d.view, G::Bataiju, 2, 13);
  EXPECT_EQ(r.action, ClickAction::CheckToggled);
  ASSERT_TRUE(r.saved.ok()) << r.saved.message();
  EXPECT_EQ(d.day->CurrentRunner, 1);
  EXPECT_EQ(Cp932ToUtf8Lossy(d.grid(G::Bataiju).cell(2, 13)), "ν");
  std::string file = testing::ReadBytes(d.day->CheckPath);
  ASSERT_EQ(file.size(), 1944u);
  EXPECT_EQ(file[648 + 1], '1');
  EXPECT_EQ(std::count(file.begin(), file.end(), '1'), 1);
  r = GridClick(*d.day, d.view, G::Bataiju, 2, 13);
  ASSERT_TRUE(r.saved.ok());
  EXPECT_EQ(d.grid(G::Bataiju).cell(2, 13), "");
  EXPECT_EQ(d.day->CheckMark(1, 0, 1), '0');
  EXPECT_EQ(testing::ReadBytes(d.day->CheckPath), std::string(1944, '0'));
  // The mark comes back with the view.
  GridClick(*d.day, d.view, G::RTList, 3, 24);
  d.show();
  EXPECT_EQ(Cp932ToUtf8Lossy(d.grid(G::RTList).cell(3, 24)), "ν");
}

TEST(GridClick, ASaveThatFailsIsReported) {
  testing::TempDir dir;
  ViewDay d(2);
  // The check file's folder is a file: the write cannot happen.
  testing::WriteBytes(dir / "Data", "x");
  d.day->CheckPath = dir / "Data" / "day.CkIm";
  d.show();
  ClickResult r = GridClick(*d.day, d.view, G::NinRT, 1, 9);
  EXPECT_EQ(r.action, ClickAction::CheckToggled);
  EXPECT_FALSE(r.saved.ok());
  d.day->CheckPath.clear();
  EXPECT_FALSE(SaveCheckBtnClick(*d.day).ok());
}

}  // namespace
}  // namespace zelkova
