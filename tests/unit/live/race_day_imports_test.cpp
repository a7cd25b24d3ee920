#include <gtest/gtest.h>

#include "base/cp932.h"
#include "live_fixtures.h"
#include "racedata/race_day_updates.h"

namespace zelkova {
namespace {

using namespace testing;

// A day of two races with four runners each, as a load leaves it (no odds yet).
class Imports : public ::testing::Test {
 protected:
  Imports() : f({RA(1, "1000", 4), RA(2, "1030", 4)}) {}
  // Stores `o1` as race slot `slot`'s odds line and imports it.
  void odds(int slot, const std::string& o1) {
    auto lines = *ReadRecordLines(f.data(".jvO1"), kLenO1);
    lines[static_cast<size_t>(slot)] = std::string(WithoutLineEnd(o1));
    ASSERT_TRUE(SaveLines(f.data(".jvO1"), lines).ok());
    f.day->BetRace = slot;
    ASSERT_TRUE(OzReadBtn(*f.day).ok());
  }
  const RaceFigures& F(int slot) const { return f.day->Races[slot].Figures; }
  std::vector<int> order(int slot) const { return {F(slot).PopularityOrder.begin(), F(slot).PopularityOrder.begin() + 4}; }

  LiveDayFixture f;
};

TEST_F(Imports, OddsOrderByWinThenPlaceThenNumberAndSkipRunnersWithoutPlaceOdds) {
  // Horses 2 and 4 share the win odds: the lower place odds comes first. Horse 3 has win odds but
  // dashed place odds, so it gets no order.
  odds(0, O1(1, "05190930", {"0035", "0021", "0050", "0021"},
             {{"0013", "0016"}, {"0012", "0015"}, {"----", "----"}, {"0011", "0014"}}));
  EXPECT_DOUBLE_EQ(F(0).WinOdds[2], 5.0);
  EXPECT_DOUBLE_EQ(F(0).PlaceOddsLow[2], -1);
  EXPECT_DOUBLE_EQ(F(0).PlaceOddsHigh[2], -1);
  EXPECT_DOUBLE_EQ(F(0).PlaceOddsHigh[3], 1.4);
  EXPECT_EQ(order(0), (std::vector<int>{3, 2, 0, 1}));
  // Equal win and place odds: the horse number decides.
  odds(0, O1(1, "05190940", {"0021", "0021", "0050", "0060"},
             {{"0011", "0014"}, {"0011", "0014"}, {"0012", "0015"}, {"0013", "0016"}}));
  EXPECT_EQ(order(0), (std::vector<int>{1, 2, 3, 4}));
  // A horse that loses its odds keeps its order; a blank field reads -2.
  odds(0, O1(1, "05190950", {"0021", "****", "0015", "    "},
             {{"0011", "0014"}, {"****", "****"}, {"0010", "0012"}, {"    ", "    "}}));
  EXPECT_DOUBLE_EQ(F(0).WinOdds[1], -1);
  EXPECT_DOUBLE_EQ(F(0).WinOdds[3], -2);
  EXPECT_DOUBLE_EQ(F(0).PlaceOddsLow[3], -2);
  EXPECT_EQ(order(0), (std::vector<int>{2, 2, 1, 4}));
  EXPECT_EQ(std::string(F(0).O1Time.View()), "0950");
}

TEST_F(Imports, AnOddsLineOfAnotherRaceIsNotTaken) {
  odds(1, O1(1, "05190930", {"0035"}));
  EXPECT_TRUE(f.day->Races[1].Odds.O1Record.empty());
  EXPECT_DOUBLE_EQ(F(1).WinOdds[0], -2);
}

TEST_F(Imports, TheFirstPayoutOfTheCurrentRaceAsksForTheViewOnce) {
  f.day->CurrentRace = 1;
  bool first = true;
  ASSERT_TRUE(HrReadBtn(*f.day, &first).ok());  // no payout file yet
  EXPECT_FALSE(first);
  ASSERT_TRUE(SaveLines(f.data(".jvHR"), {std::string(WithoutLineEnd(HR(1)))}).ok());
  ASSERT_TRUE(HrReadBtn(*f.day, &first).ok());
  EXPECT_FALSE(first);  // another race's payout
  EXPECT_TRUE(F(0).HasPayouts);
  ASSERT_TRUE(SaveLines(f.data(".jvHR"), {std::string(WithoutLineEnd(HR(1))), std::string(WithoutLineEnd(HR(2)))}).ok());
  ASSERT_TRUE(HrReadBtn(*f.day, &first).ok());
  EXPECT_TRUE(first);
  ASSERT_TRUE(HrReadBtn(*f.day, &first).ok());
  EXPECT_FALSE(first);
  EXPECT_EQ(F(1).PayAmount.Horse[0], 150);
}

TEST_F(Imports, AWeatherChangeAfterAGoingChangeKeepsTheNewGoing) {
  // Initial: fine, turf good, dirt good; 10:05 going to yielding / heavy; 10:35 rain.
  std::string we = WE("0830", '1', '1', '1', '1') + WE("1005", '3', '0', '2', '3') + WE("1035", '2', '3', '0', '0');
  WriteBytes(f.data(".jvWE"), we);
  auto lists = KaisaiReadBtn(*f.day);
  ASSERT_TRUE(lists.ok());
  EXPECT_EQ(lists->lines[0], std::vector<std::string>{Sj("東京 10:35 雨   芝:稍重 ダ:重")});
}

TEST_F(Imports, ChangeListsShowTheirFirst36RecordsInTheirFormats) {
  std::string jc;
  for (int i = 0; i < 40; ++i) {
    std::string r = Change("JC", kLenJC, 1, "0900");
    Put(r, 36, "04");
    Put(r, 38, Sj("アイウエオカキクケコサシ"));
    Put(r, 74, "570");
    Put(r, 82, Sj("新騎手太郎"));
    Put(r, 125, Sj("前騎手次郎"));
    jc += r;
  }
  WriteBytes(f.data(".jvJC"), jc);
  std::string tc = Change("TC", kLenTC, 2, "0800");
  Put(tc, 36, "10451030");
  WriteBytes(f.data(".jvTC"), tc);
  std::string cc = Change("CC", kLenCC, 2, "0800");
  Put(cc, 36, "160023180022");
  WriteBytes(f.data(".jvCC"), cc);
  auto lists = KaisaiReadBtn(*f.day);
  ASSERT_TRUE(lists.ok());
  ASSERT_EQ(lists->lines[2].size(), 36u);
  EXPECT_EQ(lists->lines[2][0], Sj("東京 1R 09:00 前騎手次⇒新騎手太[570] ④ アイウエオカキクケ"));
  EXPECT_EQ(lists->lines[3], std::vector<std::string>{Sj("東京 2R 08:00 10:30⇒10:45")});
  EXPECT_EQ(lists->lines[4], std::vector<std::string>{Sj("東京 2R 08:00 芝右1800m⇒ダ左1600m")});
  EXPECT_TRUE(lists->lines[0].empty());
  EXPECT_TRUE(lists->lines[1].empty());
}

TEST_F(Imports, ABlankWeightEntryGivesNoWeightUnlessTheEntryHasOne) {
  WriteBytes(f.data(".jvWH"), WH(1, {"486+004", "       ", "       "}));
  auto se = *ReadRecordLines(f.sePath(), kLenSE);
  se[2] = std::string(WithoutLineEnd(SE(1, 3, '2', "500-010")));
  ASSERT_TRUE(SaveLines(f.sePath(), se).ok());
  f.load();
  EXPECT_EQ(F(0).HorseWeight[0], 486);
  EXPECT_EQ(F(0).HorseWeight[1], 0);
  EXPECT_EQ(F(0).WeightChange[1], 0);
  EXPECT_EQ(F(0).HorseWeight[2], 500);
  EXPECT_EQ(F(0).WeightChange[2], -10);
}

}  // namespace
}  // namespace zelkova
