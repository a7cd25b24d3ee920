// The race view's labels and cell texts on hand-built races: formats, widths and placeholders.
#include "analysis/race_view.h"

#include <gtest/gtest.h>

#include "settings/ini_gt.h"
#include "test_support.h"
#include "view_builder.h"

namespace zelkova {
namespace {

using testing::Put;
using testing::ViewDay;
using G = ViewGridId;

std::string U(const std::string& cp932) { return Cp932ToUtf8Lossy(cp932); }

TEST(RaceView, HeaderLabels) {
  ViewDay d;
  RaImage& ra = d.race().RaRecord;
  Put(ra, 33, Sj("テスト特別"));
  Put(ra, 889, "1");
  Put(ra, 890, "3");
  Put(ra, 714, "00100000");
  Put(ra, 722, "00040000");
  ASSERT_TRUE(d.show().shown);
  const RaceHeader& h = d.view.header;
  EXPECT_EQ(U(h.TitleLabel1), "2024年 5月19日(日)東京   2回 8日11R   15.45発走  ");
  EXPECT_EQ(U(h.BashoLabel), "東京");
  EXPECT_EQ(h.RaceLabel, "11");
  EXPECT_EQ(U(h.BabaTurfLabel), "芝:良");
  EXPECT_EQ(U(h.BabaDirtLabel), "ダ:重");
  // No running number: the race name alone, as stored (60 bytes).
  EXPECT_EQ(U(h.TitleLabel2), "テスト特別" + std::string(50, ' '));
  EXPECT_EQ(U(h.TitleLabel3), " 3頭  1600ﾒｰﾄﾙ 芝 左回り 特別  サラ系３歳上 　　　　　　　　　　　　");
  EXPECT_EQ(U(h.TitleLabel4), "定量 1勝ｸﾗｽ  1勝ｸﾗｽ  1勝ｸﾗｽ");
  EXPECT_EQ(U(h.TitleLabel5), "[本賞金]1着: 1000/2着:  400/3着:     /4着:     /5着:     (万円)");
  EXPECT_EQ(h.O1Time.text, "NoData");
  EXPECT_EQ(h.O1Time.colour, kSilver);
  EXPECT_TRUE(d.view.panel12Visible);
  EXPECT_FALSE(d.view.timer3Enabled);

  // A graded race with its running number; a 3-year-olds-and-up race whose 3-year-old code is
  // outside 1..100 names that condition alone.
  Put(ra, 612, "005");
  Put(ra, 626, "999");
  d.fig().O1Time.Assign("1432");
  ASSERT_TRUE(d.show().shown);
  EXPECT_EQ(U(h.TitleLabel2).substr(0, 23), "第5回 テスト特別");
  EXPECT_EQ(U(h.TitleLabel4), "定量 オープン");
  EXPECT_EQ(h.O1Time.text, "14:32");
  EXPECT_EQ(h.O1Time.colour, kBlue);
  // Final odds carry no time (00000000) and show as final.
  O1Image& o1 = d.race().Odds.O1Record;
  Put(o1, 1, "O14");
  Put(o1, 12, "202405190502081100000000");
  d.fig().O1Time.Assign("0000");
  d.show();
  EXPECT_EQ(U(h.O1Time.text), "確定");
  EXPECT_EQ(h.O1Time.colour, kBlue);
  EXPECT_EQ(h.O2Time.text, "NoData");
  o1.clear();
  d.fig().O1Time.Assign("1432");
  // 2-year-old and 4-year-olds-and-up races take their own condition fields.
  Put(ra, 617, "11");
  Put(ra, 623, "701");
  d.show();
  EXPECT_EQ(U(h.TitleLabel4), "定量 新馬");
  Put(ra, 617, "14");
  Put(ra, 629, "010");
  Put(ra, 632, "016");
  d.show();
  EXPECT_EQ(U(h.TitleLabel4), "定量 2勝ｸﾗｽ  3勝ｸﾗｽ");
}

TEST(RaceView, CountdownRunsOnRaceDayOnly) {
  ViewDay d;
  testing::FakeClock clock({2024, 5, 19, 9, 0, 0});
  RaceViewOptions o;
  o.clock = &clock;
  o.dateText = Sj("2024年05月19日");
  ASSERT_TRUE(RunRaceView(*d.day, 0, o, d.view).shown);
  EXPECT_TRUE(d.view.timer3Enabled);
  o.dateText = Sj("2024年05月12日");
  RunRaceView(*d.day, 0, o, d.view);
  EXPECT_FALSE(d.view.timer3Enabled);
}

TEST(RaceView, TheTwoMessagesLeaveTheGridsAlone) {
  ViewDay d(3, 5);
  ASSERT_TRUE(d.show().shown);
  ASSERT_EQ(d.grid(G::Kihon).rowCount(), 4);
  Put(d.race().Runners[0].SeRecord, 29, "  ");
  RaceViewResult r = d.show();
  EXPECT_FALSE(r.shown);
  EXPECT_EQ(U(r.message), "5レースはデータが不十分です。");
  EXPECT_FALSE(d.view.panel12Visible);
  EXPECT_EQ(d.grid(G::Kihon).rowCount(), 4);
  EXPECT_EQ(d.cell(G::Kihon, 1, 1), " 1");
  Put(d.race().RaRecord, 26, "00");
  r = d.show();
  EXPECT_EQ(U(r.message), "本レースはデータが不十分です。");
  // An empty slot says the same, and a slot outside the day is ignored.
  EXPECT_EQ(U(RunRaceView(*d.day, 7, {}, d.view).message), "本レースはデータが不十分です。");
  EXPECT_FALSE(RunRaceView(*d.day, 36, {}, d.view).shown);
}

TEST(RaceView, KihonAndKettouCells) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.CareerStarts[0] = 12;
  f.CareerPrize[0] = 120;
  f.PrizePerStart[0] = 10;
  f.PrizeRank[0] = 1;
  f.JockeyWinRate[0] = 12.34;
  f.FinishPos[0] = 2;
  SeImage& se = d.race().Runners[0].SeRecord;
  Put(se, 295, "1");
  Put(se, 307, "JOCKEY01");
  Put(se, 91, "TRAINER1");
  Put(se, 323, "3");
  Put(se, 77, "06");
  Put(se, 105, Sj("テスト馬主"));
  Put(d.race().Runners[0].KsRecord, 231, "2");
  Put(d.race().Runners[0].UmRecord, 215, Sj("チチ"));
  d.show();
  EXPECT_EQ(d.cell(G::Kihon, 1, 0), "1");
  EXPECT_EQ(d.cell(G::Kihon, 1, 1), " 1");
  EXPECT_EQ(d.cell(G::Kihon, 1, 2), "B");
  EXPECT_EQ(d.cell(G::Kihon, 1, 3), "テストホース1     ");  // the first 18 bytes
  EXPECT_EQ(d.cell(G::Kihon, 1, 4), "牡");
  EXPECT_EQ(d.cell(G::Kihon, 1, 5), " 4");
  EXPECT_EQ(d.cell(G::Kihon, 1, 6), " 12");
  EXPECT_EQ(d.cell(G::Kihon, 1, 7), "120万");
  EXPECT_EQ(d.cell(G::Kihon, 1, 8), " 10.0");
  EXPECT_EQ(d.cell(G::Kihon, 1, 9), " 1");
  EXPECT_EQ(d.cell(G::Kihon, 1, 10), "55.0");
  EXPECT_EQ(d.cell(G::Kihon, 1, 11), "▲");
  EXPECT_EQ(d.cell(G::Kihon, 1, 12), "(西)JOCKEY01");
  EXPECT_EQ(d.cell(G::Kihon, 1, 13), " 12.3");
  EXPECT_EQ(d.cell(G::Kihon, 1, 14), "(－)TRAINER1");  // no trainer record
  EXPECT_EQ(d.cell(G::Kihon, 1, 15), "");             // no trainer rate
  EXPECT_EQ(d.cell(G::Kihon, 1, 16), " 2");
  EXPECT_EQ(d.cell(G::Kihon, 2, 9), "　");
  EXPECT_EQ(d.cell(G::Kihon, 2, 16), "　");
  EXPECT_EQ(d.cell(G::Kihon, 0, 3), "馬名");
  EXPECT_EQ(d.cell(G::Kettou, 1, 6), "(外)");
  EXPECT_EQ(d.cell(G::Kettou, 1, 7).substr(0, 15), "テスト馬主");
  EXPECT_EQ(d.cell(G::Kettou, 1, 8).substr(0, 6), "チチ");
  EXPECT_EQ(d.grid(G::Kettou).cell(1, 7).size(), 64u);
  EXPECT_EQ(d.grid(G::Kettou).cell(1, 10).size(), 72u);
}

TEST(RaceView, HorseNameIsCutWithoutSplittingACharacter) {
  ViewDay d(1);
  Put(d.race().Runners[0].SeRecord, 41, "A" + Sj("アイウエオカキクケコ"));
  d.show();
  // 18 bytes would end in the middle of ケ: the name stops one byte short.
  EXPECT_EQ(d.cell(G::Kihon, 1, 3), "Aアイウエオカキク");
}

TEST(RaceView, ChakuRTMarginsRanksAndPastRuns) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.FinishRating[0] = 0.123;
  f.FinishRatingRank[0] = 1;
  f.WinMargin = {0.25, 100, 1000};
  f.PlaceMargin = {-0.3, 120, 1000};
  f.PlaceMarginRank = {1, 2, 3};
  f.WinClass[0].Assign("XX");
  f.CareerStarts = {5, 3, 0};
  Put(d.past(1, 0).SeRecord, 335, "01");
  Put(d.past(1, 1).SeRecord, 335, "12");
  d.show();
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 7), " 1");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 8), "12");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 9), "  ");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 6), "");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 21), " 12.3");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 22), " 1");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 23), "  0.25");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 24), "XX");
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 25), " -0.30");
  EXPECT_EQ(d.cell(G::ChakuRT, 2, 21), "");
  EXPECT_EQ(d.cell(G::ChakuRT, 2, 22), "　");
  EXPECT_EQ(d.cell(G::ChakuRT, 2, 23), "－");  // starts but no win
  EXPECT_EQ(d.cell(G::ChakuRT, 3, 23), "初");  // a debutant
  EXPECT_EQ(d.cell(G::ChakuRT, 3, 25), "初");
  EXPECT_EQ(d.cell(G::ChakuRT, 3, 27), "　");
  EXPECT_EQ(d.cell(G::ChakuRT, 0, 7), " 1");
  EXPECT_EQ(d.cell(G::ChakuRT, 0, 19), "13");
}

TEST(RaceView, NinTenAndRTListCells) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.SupportRate[0] = 25.04;
  f.EstimatedSupport[0] = 30;
  f.Concentration[0] = 1.234;
  f.PopularityRating[0] = 0.5;
  f.PopularityRatingRank[0] = 2;
  f.AveragePopularity[0] = 3.25;
  f.AverageCorner4[0] = 4;
  f.Last3FByClass[0] = {34.5, 0, 35.25, 36, 37, 38};
  f.BestLast3FOnClass[0] = 34.5;
  f.AbilityMax[0] = 55.5;
  f.AbilityMaxRank = {1, 2, 3};
  d.day->CheckMark(0, 0, 0) = '1';
  d.day->CheckMark(2, 0, 1) = '1';
  Put(d.past(1, 0).SeRecord, 364, "03");
  Put(d.past(1, 0).SeRecord, 358, "07");
  Put(d.race().Runners[0].UmRecord, 1593, "002010000000");
  d.show();
  EXPECT_EQ(d.cell(G::NinRT, 1, 6), "  25.0");
  EXPECT_EQ(d.cell(G::NinRT, 1, 7), "  30.0");
  EXPECT_EQ(d.cell(G::NinRT, 1, 8), "  1.23");
  EXPECT_EQ(d.cell(G::NinRT, 1, 9), "ν");
  EXPECT_EQ(d.cell(G::NinRT, 2, 9), "");
  EXPECT_EQ(d.cell(G::NinRT, 1, 11), " 3");
  EXPECT_EQ(d.cell(G::NinRT, 1, 25), " 50.0");
  EXPECT_EQ(d.cell(G::NinRT, 1, 26), " 2");
  EXPECT_EQ(d.cell(G::NinRT, 1, 27), " 3.2");
  EXPECT_EQ(d.cell(G::NinRT, 2, 6), "");
  EXPECT_EQ(d.cell(G::NinRT, 2, 27), "　　");
  EXPECT_EQ(d.cell(G::TenRT, 1, 6), "  2");
  EXPECT_EQ(d.cell(G::TenRT, 1, 7), " 10");
  EXPECT_EQ(d.cell(G::TenRT, 1, 8), "   ");
  EXPECT_EQ(d.cell(G::TenRT, 1, 11), " 7");
  EXPECT_EQ(d.cell(G::TenRT, 1, 27), " 4.0");
  EXPECT_EQ(d.cell(G::TenRT, 1, 28), "34.5");  // turf: short, middle, long on turf
  EXPECT_EQ(d.cell(G::TenRT, 1, 29), "　　");
  EXPECT_EQ(d.cell(G::RTList, 1, 11), " 55.5");
  EXPECT_EQ(d.cell(G::RTList, 1, 12), " 1");
  EXPECT_EQ(d.cell(G::RTList, 1, 15), "  0.0");
  EXPECT_EQ(d.cell(G::RTList, 1, 23), " 34.5");
  EXPECT_EQ(d.cell(G::RTList, 2, 23), "　　 ");
  EXPECT_EQ(d.cell(G::RTList, 2, 24), "ν");
  EXPECT_EQ(d.cell(G::RTList, 2, 8), "　");
  // On dirt the same columns read the dirt classes; elsewhere they stay unwritten.
  Put(d.race().RaRecord, 706, "24");
  d.show();
  EXPECT_EQ(d.cell(G::TenRT, 1, 28), "36.0");
  Put(d.race().RaRecord, 706, "51");
  d.show();
  EXPECT_EQ(d.cell(G::TenRT, 1, 28), "");
}

TEST(RaceView, BataijuCells) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.HorseWeight[0] = 480;
  f.WeightChange[0] = -4;
  f.WeightWhenPlaced[0] = 476;
  f.WeightWhenUnplaced[0] = 490;
  f.WeightWhenFirstOrSecond[0] = 484;
  f.WeightWhenPlaced[1] = 470;
  f.DaysSinceLastRun = {20, 6, 0};
  d.show();
  EXPECT_EQ(d.cell(G::Bataiju, 1, 6), "480");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 7), "  -4");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 8), "476");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 9), "  4");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 10), "490");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 11), "484");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 12), " -4");
  EXPECT_EQ(d.cell(G::Bataiju, 1, 14), "  2");
  // No weight today: neither the weight nor the differences.
  EXPECT_EQ(d.cell(G::Bataiju, 2, 6), "");
  EXPECT_EQ(d.cell(G::Bataiju, 2, 7), "");
  EXPECT_EQ(d.cell(G::Bataiju, 2, 8), "470");
  EXPECT_EQ(d.cell(G::Bataiju, 2, 9), "");
  EXPECT_EQ(d.cell(G::Bataiju, 2, 14), "　 ");
  EXPECT_EQ(d.cell(G::Bataiju, 3, 14), "　 ");
}

TEST(RaceView, JikuCells) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.WinOdds = {3.4, -1, -2};
  f.PopularityOrder[0] = 1;
  f.FinishComplement[0] = -0.0512;
  f.PopularityComplement[0] = 0.25;
  f.AdjustedIndex[0] = {50.25, 0, 48, 0, 0};
  f.BestAdjusted[0] = 50.25;
  f.BestAdjustedRank[0] = 1;
  // A past run in an obstacle race and the margins come from the selection figures.
  Put(d.race().Runners[0].SeRecord, 289, "550");
  PastRun& p = d.past(1, 0);
  Put(p.SeRecord, 12, "2024");
  Put(p.SeRecord, 335, "02");
  Put(p.SeRecord, 391, "360");
  Put(p.SeRecord, 358, "01");
  Put(p.SeRecord, 289, "600");
  Put(p.SeRecord, 532, "0005");
  Put(p.RaRecord, 12, "2024");
  Put(p.RaRecord, 976, "350");
  Put(p.RaRecord, 706, "51");
  PastRun& q = d.past(1, 1);
  Put(q.SeRecord, 12, "2024");
  Put(q.SeRecord, 335, "01");
  Put(q.SeRecord, 391, "340");
  Put(q.SeRecord, 358, "03");
  Put(q.SeRecord, 289, "550");
  Put(q.SeRecord, 532, "-003");
  Put(q.RaRecord, 12, "2024");
  Put(q.RaRecord, 976, "350");
  Put(q.RaRecord, 706, "11");
  d.show();
  EXPECT_EQ(d.cell(G::Jiku1, 1, 6), "55.0");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 7), "   3.4");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 8), " 1");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 9), "  5.12");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 10), " 25.00");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 11), "      ");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 12), "障");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 13), "   8");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 14), "    ");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 17), "   8");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 18), " 1");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 21), " 0.25");
  EXPECT_EQ(d.cell(G::Jiku1, 2, 7), "      ");  // scratched
  EXPECT_EQ(d.cell(G::Jiku1, 2, 8), "　");
  EXPECT_EQ(d.cell(G::Jiku1, 2, 17), "    ");
  EXPECT_EQ(d.cell(G::Jiku1, 2, 21), "    ");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 9), " 0.25");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 10), " 1");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 11), "  50.2");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 12), "      ");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 16), "  50.2");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 17), " 1");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 18), "      ");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 19), "　");
  // Runners without a margin rank last but show no rank.
  EXPECT_EQ(d.cell(G::Jiku2, 2, 9), "    ");
  EXPECT_EQ(d.cell(G::Jiku2, 2, 10), "　");
  // A fourth run counts with the default sample count, not with three samples.
  PastRun& r = d.past(1, 3);
  Put(r.SeRecord, 335, "05");
  Put(r.SeRecord, 532, "0015");
  d.show(13);
  EXPECT_EQ(d.cell(G::Jiku1, 1, 21), " 0.67");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 9), " 0.67");
  d.show(3);
  EXPECT_EQ(d.cell(G::Jiku1, 1, 21), " 0.25");
  // The weight switch adds the difference in burden weight to each figure.
  d.show(13, 1);
  EXPECT_EQ(d.cell(G::Jiku1, 1, 13), "   8");
}

TEST(RaceView, CardFirstColumnsAndRowCounts) {
  ViewDay d(5);
  Put(d.race().Runners[1].SeRecord, 315, "PREVJOCK");
  d.fig().HorseName[1].Assign(Sj("ナマエ"));
  d.fig().JockeyName[1].Assign("JOCKEY02");
  d.show();
  for (int i = 0; i < kViewGridCount; ++i) EXPECT_EQ(d.view.grid(static_cast<G>(i)).rowCount(), 6);
  EXPECT_EQ(d.cell(G::Umabashira, 2, 0), "1");
  EXPECT_EQ(d.cell(G::Umabashira, 2, 1), "02");
  EXPECT_EQ(d.cell(G::Umabashira, 2, 2), "");
  EXPECT_EQ(d.cell(G::Shutuba, 2, 2), "ナマエ");
  EXPECT_EQ(d.cell(G::Shutuba, 2, 3), "JOCKEY02");
  EXPECT_EQ(d.cell(G::Shutuba, 2, 4), "PREVJOCK");
  EXPECT_EQ(d.cell(G::Jisseki, 2, 0), "02");
  EXPECT_EQ(d.cell(G::Jisseki, 2, 1), "   0.0");
  // A smaller race next: the old rows go.
  ViewDay big(18);
  big.show();
  EXPECT_EQ(big.grid(G::RTList).rowCount(), 19);
  EXPECT_EQ(big.cell(G::RTList, 18, 1), "18");
  EXPECT_EQ(big.cell(G::RTList, 18, 0), "9");
}

TEST(RaceView, OddsLabelsAndPopularityColumns) {
  ViewDay d(4);
  RaceFigures& f = d.fig();
  f.WinOdds = {5.5, 12.0, -1, 2.25};
  f.QuinellaOdds[0] = 10.5;
  f.QuinellaOdds[152] = 1234.5;
  f.QuinellaOdds[1] = -1;
  f.BracketOdds[35] = 88.8;
  d.show();
  // Without an O1 record nothing shows.
  EXPECT_EQ(d.view.odds.win[0], "");
  Put(d.race().Odds.O1Record, 12, "20240519");
  d.show();
  const OddsLabels& o = d.view.odds;
  EXPECT_EQ(o.win[0], "  5.5");
  EXPECT_EQ(o.win[1], " 12.0");
  EXPECT_EQ(o.win[2], "");
  EXPECT_EQ(o.win[3], "  2.2");
  // Listed by the odds text as bytes; the blank padding keeps it in numeric order.
  EXPECT_EQ(o.popularNo[0], " 4");
  EXPECT_EQ(o.popularOdds[0], "  2.2");
  EXPECT_EQ(o.popularNo[1], " 1");
  EXPECT_EQ(o.popularNo[2], " 2");
  EXPECT_EQ(o.popularNo[3], "");
  EXPECT_EQ(o.quinella[0], "   10.5");
  EXPECT_EQ(o.quinella[1], "");
  EXPECT_EQ(o.quinella[152], " 1234.5");
  EXPECT_EQ(o.bracket[35], "   88.8");
}

TEST(RaceView, PayoutRowsAndTheirClearing) {
  ViewDay d;
  RaceFigures& f = d.fig();
  f.PayHorse = {3, 0, 0, 3, 1, 0, 0, 0};
  f.PayAmount.Horse = {450, 0, 0, 150, 220, 0, 0, 0};
  f.PayPopularity.Horse = {2, 0, 0, 2, 0, 0, 0, 0};
  f.PairCombo[0].Assign(" 1- 3");
  f.PairCombo[3].Assign(" 0- 0");
  f.PayAmount.Pair[0] = 1230;
  f.PayPopularity.Pair[0] = 4;
  f.TripleCombo[3].Assign(" 3- 1- 2");
  f.TripleCombo[4].Assign(" 0- 0- 0");
  f.PayAmount.Triple[3] = 12345678;
  d.show();
  const PayoutRows& p = d.view.payouts;
  EXPECT_EQ(p.win[0].combo, " 3");
  EXPECT_EQ(p.win[0].popularity, " 2");
  EXPECT_EQ(p.win[0].amount, "     450");
  EXPECT_EQ(p.win[1].combo, "");
  EXPECT_EQ(p.place[1].combo, " 1");
  EXPECT_EQ(p.place[1].popularity, "");  // popularity below 1
  EXPECT_EQ(p.place[1].amount, "     220");
  EXPECT_EQ(p.quinella[0].combo, " 1- 3");
  EXPECT_EQ(p.quinella[0].amount, "    1230");
  EXPECT_EQ(p.wide[0].combo, "");
  EXPECT_EQ(p.wide[0].amount, "");
  EXPECT_EQ(p.trifecta[0].amount, "12345678");
  EXPECT_EQ(p.trifecta[1].combo, "");
  // A later race without payouts clears every row.
  f.PayHorse = {};
  f.PairCombo[0].Clear();
  d.show();
  EXPECT_EQ(p.win[0].combo, "");
  EXPECT_EQ(p.quinella[0].amount, "");
}

TEST(RaceView, NoPastRunsAndNoMastersShowPlaceholders) {
  ViewDay d(2);
  d.show();
  EXPECT_EQ(d.cell(G::ChakuRT, 1, 7), "  ");
  EXPECT_EQ(d.cell(G::TenRT, 1, 6), "   ");
  EXPECT_EQ(d.cell(G::NinRT, 1, 27), "　　");
  EXPECT_EQ(d.cell(G::Kihon, 1, 13), "");
  EXPECT_EQ(d.cell(G::Jiku1, 1, 12), "    ");
  EXPECT_EQ(d.cell(G::Jiku2, 1, 16), "      ");
  EXPECT_EQ(d.cell(G::RTList, 1, 11), "");
}

TEST(RaceView, SettingsKeysOfTheControls) {
  testing::TempDir dir;
  TIniGT ini(dir / "zelkova.ini");
  EXPECT_EQ(StoredSampleCount(ini), 13);
  EXPECT_EQ(StoredWeightSwitch(ini), 0);
  ASSERT_TRUE(SpinEdit3Change(ini, 7).ok());
  ASSERT_TRUE(RadioGroup1Click(ini, 1).ok());
  EXPECT_EQ(ini.ReadInteger("AvChakusa", "samplesu", 0), 7);
  EXPECT_EQ(ini.ReadInteger("Futanjuryo", "Ignore", 0), 1);
  EXPECT_EQ(StoredSampleCount(ini), 7);
  EXPECT_EQ(StoredWeightSwitch(ini), 1);
}

}  // namespace
}  // namespace zelkova
