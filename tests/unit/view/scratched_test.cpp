// Runners that do not run, and figures a runner lacks: no rank and no rank colour.
#include <gtest/gtest.h>

#include "analysis/scratched.h"
#include "analysis/view_styles.h"
#include "base/file_io.h"
#include "racedata/race_day_updates.h"
#include "records/record.h"
#include "test_support.h"
#include "view_builder.h"

namespace zelkova {
namespace {

using testing::Put;
using testing::ViewDay;
using G = ViewGridId;

std::vector<std::string> CardTexts(const RaceInfo& race, int runner, int col) {
  std::vector<std::string> out;
  const PaintList cell = RaceCardCell(race, runner, col, 200, 72, SurfaceFilter::All, DistanceFilter::Any);
  for (const PaintOp& op : cell.ops())
    if (op.kind == PaintOp::Kind::Text) out.push_back(Cp932ToUtf8Lossy(op.text));
  return out;
}

TEST(Scratched, MarkedInEveryGridTheCardAndTheOddsAndRankedNowhere) {
  ViewDay d(3);
  RaceFigures& f = d.fig();
  Put(d.race().Runners[1].SeRecord, 332, "1");  // 出走取消
  f.AbilityMax = {50, 60, 40};
  f.AbilityMaxRank = {2, 1, 3};  // as ranked before the scratch was known
  f.WinOdds = {2.5, -1, 4.0};
  Put(d.race().Odds.O1Record, 12, "20240519");
  d.show();
  const ViewGrid& rt = d.grid(G::RTList);
  // Rows in horse-number order: row 2 is the scratched runner.
  EXPECT_EQ(d.cell(G::RTList, 2, 12), "　");
  EXPECT_EQ(d.cell(G::RTList, 1, 12), " 2");
  for (int col : {3, 11, 12}) EXPECT_EQ(RatingCellStyle(G::RTList, rt, 2, col, &d.race()).text, kGrey) << col;
  EXPECT_EQ(RatingCellStyle(G::RTList, rt, 2, 3, &d.race()).background, kSilver);
  EXPECT_EQ(RatingCellStyle(G::RTList, rt, 1, 12, &d.race()).text, kBlue);
  for (G id : {G::Kihon, G::ChakuRT, G::NinRT, G::TenRT, G::Bataiju, G::Jiku1, G::Jiku2})
    EXPECT_EQ(RatingCellStyle(id, d.grid(id), 2, 3, &d.race()).text, kGrey) << static_cast<int>(id);
  EXPECT_EQ(CardTexts(d.race(), 2, 1).back(), "取消");
  EXPECT_EQ(CardTexts(d.race(), 1, 1).size(), 1u);
  EXPECT_EQ(Cp932ToUtf8Lossy(d.view.odds.win[1]), " 取消");
  EXPECT_EQ(d.view.odds.popularNo[1], " 3");  // the favourites list leaves it out
  Put(d.race().Runners[1].SeRecord, 332, "3");
  EXPECT_EQ(ScratchShortName(d.race(), 1), Sj("除外"));
  Put(d.race().Runners[1].SeRecord, 332, "4");  // stopped during the race: it ran
  EXPECT_FALSE(IsScratched(d.race(), 1));
}

// A weight of 000 announces a scratch: the runner is marked and ranked like one the entry marks.
TEST(Scratched, AWeightOf000MarksTheRunner) {
  ViewDay d(3);
  RaceFigures& f = d.fig();
  f.AbilityMax = {50, 60, 40};
  f.AbilityMaxRank = {2, 1, 3};
  f.WinOdds = {2.5, 3.0, 4.0};
  Put(d.race().Odds.O1Record, 12, "20240519");
  std::string wh(kLenWH, ' ');
  wh.replace(73 + 45 * 1, 3, "000");
  d.race().WhRecord.assign(wh);
  d.show();
  EXPECT_TRUE(IsScratched(d.race(), 1));
  EXPECT_FALSE(IsScratched(d.race(), 0));
  EXPECT_EQ(d.cell(G::RTList, 2, 12), "　");
  EXPECT_EQ(RatingCellStyle(G::RTList, d.grid(G::RTList), 2, 3, &d.race()).text, kGrey);
  EXPECT_EQ(CardTexts(d.race(), 2, 1).back(), "取消");
  EXPECT_EQ(Cp932ToUtf8Lossy(d.view.odds.win[1]), " 取消");
  d.race().WhRecord.clear();
  Put(d.race().Runners[2].SeRecord, 325, "000");  // the entry's own weight says so too
  EXPECT_TRUE(IsScratched(d.race(), 2));
  EXPECT_FALSE(IsScratched(d.race(), 1));
}

TEST(Scratched, ChangeNoticesMarkTheirRunnersOnly) {
  testing::TempDir dir;
  ViewDay d(3);
  d.day->RaPath = dir / "2024.jvRA";
  std::string av(kLenAV, ' ');
  av.replace(0, 3, "AV1");
  av.replace(11, 16, std::string(d.race().RaRecord.field(12, 16)));
  av.replace(35, 2, "03");
  std::string other = av;
  other.replace(11, 4, "2023");  // another day's race
  other.replace(35, 2, "01");
  ASSERT_TRUE(WriteFileAtomic(dir / "2024.jvAV", av + other).ok());
  d.race().Runners[1].ScratchNotice = '2';  // from an older notice the file no longer holds
  ASSERT_TRUE(MarkScratches(*d.day).ok());
  EXPECT_EQ(d.race().Runners[2].ScratchNotice, '1');
  EXPECT_EQ(d.race().Runners[0].ScratchNotice, 0);
  EXPECT_EQ(d.race().Runners[1].ScratchNotice, 0);
  EXPECT_EQ(ScratchShortName(d.race(), 2), Sj("取消"));
}

// A figure a runner lacks gets no rank in its grid, so nothing is coloured as a rank for it;
// when no runner has the figure, the column shows no rank at all.
TEST(BlankFigures, ShowNoRankAndNoRankColour) {
  ViewDay d(3);
  RaceFigures& f = d.fig();
  f.AbilityMax = {0, 60, 0};
  f.AbilityMaxRank = {2, 1, 3};  // every runner is ranked in the figures
  f.AverageCorner4Rank = {1, 2, 3};  // no runner has a corner figure
  d.show();
  const ViewGrid& rt = d.grid(G::RTList);
  EXPECT_EQ(d.cell(G::RTList, 2, 12), " 1");
  for (int row : {1, 3}) {
    EXPECT_EQ(d.cell(G::RTList, row, 12), "　");
    EXPECT_EQ(RatingCellStyle(G::RTList, rt, row, 12, &d.race()).text, kBlack);
  }
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(d.cell(G::RTList, row, 18), "　");
    EXPECT_EQ(RatingCellStyle(G::RTList, rt, row, 18, &d.race()).text, kBlack);
  }
}

}  // namespace
}  // namespace zelkova
