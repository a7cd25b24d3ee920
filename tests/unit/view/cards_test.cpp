// The record card (実績一覧) and the race card (出馬表(馬柱)) as display lists.
#include <gtest/gtest.h>

#include "analysis/view_styles.h"
#include "view_builder.h"

namespace zelkova {
namespace {

using testing::Put;
using testing::ViewDay;
using G = ViewGridId;

std::vector<const PaintOp*> TextOps(const PaintList& p) {
  std::vector<const PaintOp*> out;
  for (const PaintOp& op : p.ops())
    if (op.kind == PaintOp::Kind::Text) out.push_back(&op);
  return out;
}

std::vector<std::string> Texts(const PaintList& p) {
  std::vector<std::string> out;
  for (const PaintOp* op : TextOps(p)) out.push_back(Cp932ToUtf8Lossy(op->text));
  return out;
}

// The bottom rule every drawn cell ends with.
bool EndsWithBottomLine(const PaintList& p, int w, int h) {
  if (p.empty()) return false;
  const PaintOp& op = p.ops().back();
  return op.kind == PaintOp::Kind::Line && op.y1 == h - 1 && op.y2 == h - 1 && op.x1 == 0 && op.x2 == w;
}

// A past run of runner n at slot k: a race at `course` over `distance` on `track`.
void PastRace(ViewDay& d, int n, int k, const char* course, const char* distance, const char* track,
              const char* finish = "04") {
  PastRun& p = d.past(n, k);
  Put(p.RaRecord, 12, "20240421");
  Put(p.RaRecord, 20, course);
  Put(p.RaRecord, 22, "01");
  Put(p.RaRecord, 24, "02");
  Put(p.RaRecord, 605, Sj("テスト"));
  Put(p.RaRecord, 635, "005");
  Put(p.RaRecord, 698, distance);
  Put(p.RaRecord, 706, track);
  Put(p.RaRecord, 882, "10");
  Put(p.RaRecord, 888, "1");
  Put(p.RaRecord, 889, "1");
  Put(p.RaRecord, 970, "355");
  Put(p.RaRecord, 976, "347");
  Put(p.SeRecord, 12, "2024");
  Put(p.SeRecord, 28, "3");
  Put(p.SeRecord, 29, "05");
  Put(p.SeRecord, 289, "560");
  Put(p.SeRecord, 307, "JOCKEY01");
  Put(p.SeRecord, 325, "480");
  Put(p.SeRecord, 328, "+");
  Put(p.SeRecord, 329, "004");
  Put(p.SeRecord, 332, "0");
  Put(p.SeRecord, 335, finish);
  Put(p.SeRecord, 339, "1345");
  Put(p.SeRecord, 352, "01020809");
  Put(p.SeRecord, 364, "02");
  Put(p.SeRecord, 366, "0001000000010000");
  Put(p.SeRecord, 391, "340");
  Put(p.SeRecord, 404, Sj("ライバル"));
  Put(p.SeRecord, 532, "+005");
}

TEST(RaceCard, PastRunCellLinesAndColours) {
  ViewDay d(1);
  PastRace(d, 1, 0, "05", "1600", "11", "01");
  d.fig().PastLevel[0][0] = 3.5;
  d.fig().PastAbility[0][0] = -1;
  PaintList p = RaceCardCell(d.race(), 1, 6, 160, 72, SurfaceFilter::All, DistanceFilter::Any);
  auto t = Texts(p);
  ASSERT_EQ(t.size(), 11u);
  EXPECT_EQ(t[0], "2024.04.21  1東京 2晴良");
  EXPECT_EQ(t[1], " 1");
  EXPECT_EQ(t[2], "テスト1勝ｸﾗｽ芝左1600 ");
  EXPECT_EQ(t[3], "1345 340 10ﾄ 3枠 5ゲ 2人");
  EXPECT_EQ(t[4], "①");
  EXPECT_EQ(t[5], "②");
  EXPECT_EQ(t[6], "⑧");
  EXPECT_EQ(t[7], "⑨");
  EXPECT_EQ(t[8], "355-347  3.5  ");
  EXPECT_EQ(t[9], "JOCKEY01560 480k+4 200万");
  EXPECT_EQ(t[10], "ライバル+ 0.5");
  auto ops = TextOps(p);
  EXPECT_EQ(ops[1]->x1, 160 - 18);
  EXPECT_EQ(ops[1]->colour, kRed);
  EXPECT_TRUE(ops[1]->font.bold);
  EXPECT_EQ(ops[4]->colour, kRed);    // corner 1
  EXPECT_EQ(ops[5]->colour, kBlue);   // 2 of 10
  EXPECT_EQ(ops[6]->colour, kBlack);  // 8 of 10: the back half
  EXPECT_EQ(ops[7]->x1, 2 + 36);
  EXPECT_EQ(ops[8]->x1, 50);
  EXPECT_EQ(ops[8]->y1, ops[4]->y1);  // the figures share the corners' line
  EXPECT_TRUE(EndsWithBottomLine(p, 160, 72));
  // In a narrow cell the finish moves past the racecourse and going instead of covering them.
  EXPECT_EQ(TextOps(RaceCardCell(d.race(), 1, 6, 110, 72, SurfaceFilter::All, DistanceFilter::Any))[1]->x1,
            2 + 127 + 4);  // 23 half-width characters of 8 points, 5.5 pixels each
  // Second place is blue; a run with no field size stops after the corners.
  PastRace(d, 1, 1, "05", "1600", "11", "02");
  Put(d.past(1, 1).RaRecord, 882, "00");
  p = RaceCardCell(d.race(), 1, 7, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  t = Texts(p);
  EXPECT_EQ(TextOps(p)[1]->colour, kBlue);
  EXPECT_EQ(t.size(), 8u);
}

TEST(RaceCard, GreyRulesAndFilters) {
  ViewDay d(1);
  PastRace(d, 1, 0, "44", "1600", "24");      // a local race
  PastRace(d, 1, 1, "A6", "2400", "  ");      // abroad
  PastRace(d, 1, 2, "05", "1800", "24");      // dirt, 200 m longer
  PastRace(d, 1, 3, "05", "2100", "11", "01");  // turf, 500 m longer
  auto allGrey = [&](int col, SurfaceFilter s, DistanceFilter dist) {
    PaintList p = RaceCardCell(d.race(), 1, col, 110, 67, s, dist);
    auto ops = TextOps(p);
    if (ops.empty()) return false;
    for (const PaintOp* op : ops)
      if (op->colour != kGrey) return false;
    return true;
  };
  EXPECT_TRUE(allGrey(6, SurfaceFilter::All, DistanceFilter::Any));
  EXPECT_TRUE(allGrey(7, SurfaceFilter::All, DistanceFilter::Any));
  EXPECT_FALSE(allGrey(8, SurfaceFilter::All, DistanceFilter::Any));
  EXPECT_TRUE(allGrey(8, SurfaceFilter::Turf, DistanceFilter::Any));
  EXPECT_FALSE(allGrey(8, SurfaceFilter::Dirt, DistanceFilter::Any));
  EXPECT_FALSE(allGrey(9, SurfaceFilter::Turf, DistanceFilter::Any));
  EXPECT_TRUE(allGrey(9, SurfaceFilter::Dirt, DistanceFilter::Any));
  EXPECT_TRUE(allGrey(8, SurfaceFilter::All, DistanceFilter::Same));
  EXPECT_FALSE(allGrey(8, SurfaceFilter::All, DistanceFilter::Within400));
  EXPECT_TRUE(allGrey(9, SurfaceFilter::All, DistanceFilter::Within400));
  // A run at exactly today's distance keeps black text.
  PastRace(d, 1, 4, "05", "1600", "11");
  EXPECT_FALSE(allGrey(10, SurfaceFilter::All, DistanceFilter::Same));
  // A greyed winner is not red.
  PaintList p = RaceCardCell(d.race(), 1, 9, 110, 67, SurfaceFilter::Dirt, DistanceFilter::Any);
  EXPECT_EQ(TextOps(p)[1]->colour, kGrey);
}

TEST(RaceCard, RunnerColumnsAndMissingHorseRecord) {
  ViewDay d(3);
  for (int k = 0; k < 5; ++k) PastRace(d, 1, k, "05", "1600", "11");
  d.finish(1, 2);
  SeImage& se = d.race().Runners[0].SeRecord;
  Put(se, 81, "03");
  Put(se, 307, "JOCKEY01");
  Put(se, 91, "TRAINER1");
  // Five past runs: columns 6..10 drawn, 11..25 only white with the rule.
  for (int c = 6; c <= 25; ++c) {
    PaintList p = RaceCardCell(d.race(), 1, c, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
    EXPECT_EQ(TextOps(p).empty(), c > 10) << c;
    EXPECT_TRUE(EndsWithBottomLine(p, 110, 67));
  }
  // Without a horse record: no sire or dam, no prize line, empty record columns.
  PaintList p = RaceCardCell(d.race(), 1, 2, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  auto t = Texts(p);
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0], "[父]");
  EXPECT_EQ(t[1], "牡 4 鹿毛");
  EXPECT_EQ(TextOps(p)[1]->x1, 30);
  EXPECT_EQ(t[2], "　テストホース1");  // no horse symbol
  EXPECT_EQ(t[3], "[母]");
  EXPECT_EQ(t[4], "JOCKEY01 55.0kg TRAINER1");
  EXPECT_EQ(t[5], " ");
  EXPECT_EQ(p.ops()[0].colour, (Rgb{202, 255, 228}));  // second today
  EXPECT_TRUE(TextOps(RaceCardCell(d.race(), 1, 3, 110, 67, SurfaceFilter::All, DistanceFilter::Any)).empty());
  for (int c : {4, 5}) {
    PaintList q = RaceCardCell(d.race(), 1, c, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
    EXPECT_TRUE(TextOps(q).empty());
    EXPECT_EQ(q.ops()[0].colour, kPaleCyan);
  }
  // With one: the pedigree, the prize money, expected rates and the records.
  UmImage& um = d.race().Runners[0].UmRecord;
  Put(um, 1, "UM1");
  Put(um, 215, Sj("チチウマ　　"));
  Put(um, 261, Sj("ハハウマ"));
  Put(um, 1053, "000005000");
  Put(um, 1089, "000012000000003000");
  Put(um, 1107, "003002001000000004");
  Put(um, 1161, "001000000000000001");
  Put(um, 1485, "001000000000000000");
  Put(um, 1539, "001001000000000000");
  Put(um, 1593, "002010000001");
  p = RaceCardCell(d.race(), 1, 2, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  t = Texts(p);
  EXPECT_EQ(t[0], "[父]チチウマ");
  EXPECT_EQ(t[3], "[母]ハハウマ");
  EXPECT_EQ(t[5], "収得賞金:   1500千円  総賞金:   2000千円");
  t = Texts(RaceCardCell(d.race(), 1, 3, 110, 67, SurfaceFilter::All, DistanceFilter::Any));
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0].substr(0, 18), "期待勝率　：");
  EXPECT_EQ(t[3], " 逃:  2 先: 10");
  EXPECT_EQ(t[4], " 差:    追:  1");
  p = RaceCardCell(d.race(), 1, 4, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  t = Texts(p);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0], "全実績  3- 2- 1- 0- 0- 4");
  EXPECT_EQ(t[1], "芝・右  1- 0- 0- 0- 0- 1");
  EXPECT_EQ(TextOps(p)[1]->colour, (Rgb{0, 128, 0}));
  EXPECT_EQ(TextOps(p)[3]->colour, (Rgb{128, 0, 0}));
  t = Texts(RaceCardCell(d.race(), 1, 5, 110, 67, SurfaceFilter::All, DistanceFilter::Any));
  EXPECT_EQ(t[0], "～1600  2- 1- 0- 0- 0- 0");
  // Frame and number columns.
  p = RaceCardCell(d.race(), 3, 0, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  EXPECT_EQ(p.ops()[0].colour, (Rgb{128, 128, 128}));
  EXPECT_EQ(TextOps(p)[0]->colour, kWhite);
  EXPECT_EQ(Texts(p)[0], " 2");
  p = RaceCardCell(d.race(), 2, 1, 110, 67, SurfaceFilter::All, DistanceFilter::Any);
  EXPECT_EQ(p.ops()[0].colour, kInfoBackground);
  EXPECT_EQ(Texts(p)[0], " 2");
  EXPECT_TRUE(RaceCardCell(d.race(), 0, 1, 110, 67, SurfaceFilter::All, DistanceFilter::Any).empty());
}

TEST(RaceCard, DrawsThroughTheGridAfterASort) {
  ViewDay d(3);
  PastRace(d, 3, 0, "05", "1600", "11");
  d.fig().RateScores[2][0] = 50;
  d.show();
  const ViewGrid& g = d.grid(G::Umabashira);
  ASSERT_TRUE(g.hasPainter());
  EXPECT_FALSE(TextOps(g.paint(3, 6, 110, 67)).empty());
  EXPECT_TRUE(TextOps(g.paint(1, 6, 110, 67)).empty());
  EXPECT_TRUE(g.paint(0, 6, 110, 67).empty());
  d.view.surface = SurfaceFilter::Dirt;
  EXPECT_EQ(TextOps(g.paint(3, 6, 110, 67))[0]->colour, kGrey);
  // The record card follows the number in column 0 after a sort.
  PressSortButton(d.view, G::Jisseki, 1);
  const ViewGrid& j = d.grid(G::Jisseki);
  EXPECT_EQ(Cp932ToUtf8Lossy(TextOps(j.paint(1, 3, 180, 50))[0]->text), "テストホース3     ");
}

TEST(RecordCard, CellsOfARunner) {
  ViewDay d(4);
  d.finish(4, 1);
  UmImage& um = d.race().Runners[3].UmRecord;
  Put(um, 1107, "003002001000000004");
  Put(um, 1215, "000001000000000002");
  Put(um, 1593, "002010000001");
  const RaceInfo& r = d.race();
  PaintList p = RecordCardCell(r, 4, 0, 25, 50);
  EXPECT_EQ(p.ops()[0].colour, (Rgb{128, 128, 128}));  // frame 2
  auto ops = TextOps(p);
  EXPECT_EQ(Cp932ToUtf8Lossy(ops[0]->text), " 2");
  EXPECT_EQ(ops[0]->font.size, 13);
  EXPECT_TRUE(ops[0]->font.bold);
  EXPECT_TRUE(EndsWithBottomLine(p, 25, 50));
  p = RecordCardCell(r, 4, 3, 180, 50);
  auto t = Texts(p);
  EXPECT_EQ(p.ops()[0].colour, (Rgb{255, 185, 255}));
  EXPECT_EQ(t[0], "テストホース4     ");  // the first 18 bytes
  EXPECT_EQ(t[1], " 逃:  2 先: 10");
  EXPECT_EQ(t[2], " 差:    追:  1");
  p = RecordCardCell(r, 4, 9, 150, 50);
  t = Texts(p);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(p.ops()[0].colour, kPaleCyan);
  EXPECT_EQ(t[0], "全実績  3- 2- 1- 0- 0- 4");
  EXPECT_EQ(t[3], "ダ・右  0- 1- 0- 0- 0- 2");
  EXPECT_EQ(TextOps(p)[3]->colour, (Rgb{128, 0, 0}));
  EXPECT_EQ(TextOps(p)[1]->colour, (Rgb{0, 128, 0}));
  t = Texts(RecordCardCell(r, 4, 11, 150, 50));
  EXPECT_EQ(t[4], "重不良  0- 0- 0- 0- 0- 0");
  p = RecordCardCell(r, 4, 13, 30, 50);
  EXPECT_EQ(Texts(p)[0], " 1");
  EXPECT_EQ(TextOps(p)[0]->colour, kRed);
  EXPECT_TRUE(TextOps(RecordCardCell(r, 3, 13, 30, 50)).empty());  // no result yet
  EXPECT_EQ(TextOps(RecordCardCell(r, 4, 6, 32, 50)).size(), 1u);
  EXPECT_EQ(TextOps(RecordCardCell(r, 4, 10, 40, 50)).size(), 5u);
}

}  // namespace
}  // namespace zelkova
