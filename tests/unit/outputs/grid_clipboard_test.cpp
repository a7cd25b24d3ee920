// CopyGridToClipboard's range rules.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zelkova
