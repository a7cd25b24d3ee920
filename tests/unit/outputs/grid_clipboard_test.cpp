// CopyGridToClipboard's range rules, and the race view's grids as copied.
#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/race_view.h"
#include "output/grid_clipboard.h"
#include "output_fixtures.h"

namespace zelkova {
namespace {

using testing::FakeClipboard;

GridCells FiveByThree() {
  GridCells g;
  g.columns = 5;
  g.rows = 3;
  for (int r = 0; r < 3; ++r) {
    g.cells.emplace_back();
    for (int c = 0; c < 5; ++c) g.cells.back().push_back(std::string(1, static_cast<char>('a' + c)) + std::to_string(r));
  }
  return g;
}

TEST(GridClipboard, WholeGridIsHeadingAndTabSeparatedRows) {
  FakeClipboard clip;
  CopyWholeGrid(clip, FiveByThree(), "title");
  ASSERT_EQ(clip.texts.size(), 1u);
  EXPECT_EQ(clip.texts[0], "title\r\na0\tb0\tc0\td0\te0\r\na1\tb1\tc1\td1\te1\r\na2\tb2\tc2\td2\te2\r\n");
}

TEST(GridClipboard, RangesAreCheckedThenClamped) {
  const GridCells g = FiveByThree();
  FakeClipboard clip;
  CopyGridToClipboard(clip, g, 3, 0, "h", 2, 2);  // right < left
  ASSERT_EQ(clip.texts.size(), 1u);
  EXPECT_EQ(clip.texts[0], "");
  EXPECT_EQ(GridClipboardText(g, 0, 2, "h", 1, 4), "");   // bottom < top
  EXPECT_EQ(GridClipboardText(g, -3, -3, "h", -1, 4), "");  // bottom < 0
  EXPECT_EQ(GridClipboardText(g, 5, 0, "h", 2, 6), "");   // left past the last column
  EXPECT_EQ(GridClipboardText(g, 0, 3, "h", 4, 4), "");   // top past the last row
  EXPECT_EQ(GridClipboardText(g, -2, -1, "h", 9, 1), "h\r\na0\tb0\r\na1\tb1\r\na2\tb2\r\n");
  EXPECT_EQ(GridClipboardText(g, 3, 1, "", 1, 99), "\r\nd1\te1\r\n");
  // A row shorter than the grid reads as empty cells.
  GridCells ragged = g;
  ragged.cells[1].resize(2);
  EXPECT_EQ(GridClipboardText(ragged, 0, 1, "h", 1, 4), "h\r\na1\tb1\t\t\t\r\n");
}

TEST(GridClipboard, RaceViewGridAsShownAfterASort) {
  auto day = testing::MakeDay(1);
  RaceFigures& f = day->Races[0].Figures;
  f.FinishRating[4] = 0.9;  // horse 5 first, horse 2 second
  f.FinishRatingRank[4] = 1;
  f.FinishRating[1] = 0.5;
  f.FinishRatingRank[1] = 2;
  RaceView view;
  ASSERT_TRUE(RunRaceView(*day, 0, {}, view).shown);
  PressSortButton(view, ViewGridId::ChakuRT, 3);  // 着ＲＴ
  FakeClipboard clip;
  CopyWholeGrid(clip, CellsOf(view.grid(ViewGridId::ChakuRT)), view.header.TitleLabel1);
  const std::string& text = clip.texts.at(0);
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(text.substr(at, end - at));
  ASSERT_EQ(lines.size(), 18u);  // the race title, the titles, 16 runners
  EXPECT_EQ(lines[0], view.header.TitleLabel1);
  for (const std::string& l : lines) {
    if (&l == &lines[0]) continue;
    EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 27) << l;
  }
  // The hidden spacer between the runner columns and the past runs is an empty cell.
  EXPECT_EQ(lines[1].substr(0, lines[1].find(Sj("馬名"))), Sj("枠\t馬\tＢ\t"));
  EXPECT_NE(lines[1].find(Sj("歳") + "\t\t 1\t"), std::string::npos) << lines[1];
  // Sorted by rank: horse 5, then horse 2 (column 1).
  auto horse = [&](size_t line) {
    const size_t tab = lines[line].find('\t');
    return lines[line].substr(tab + 1, lines[line].find('\t', tab + 1) - tab - 1);
  };
  EXPECT_EQ(horse(2), " 5");
  EXPECT_EQ(horse(3), " 2");
  EXPECT_EQ(horse(4), " 1");
}

TEST(GridClipboard, OnlyTheTextGridsCarryTheCopyMenu) {
  std::vector<std::string> with;
  for (int i = 0; i < kViewGridCount; ++i)
    if (HasCopyMenu(static_cast<ViewGridId>(i))) with.push_back(ViewGridName(static_cast<ViewGridId>(i)));
  EXPECT_EQ(with, (std::vector<std::string>{"StringGrid1", "StringGrid3", "StringGrid7", "StringGrid8", "StringGrid9",
                                            "StringGrid10", "StringGrid11", "StringGrid16", "StringGrid17"}));
}

}  // namespace
}  // namespace zelkova
