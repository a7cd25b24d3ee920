// Naming a race as every command does (racecourse and race number, or the day's main race), and
// the date arguments every command takes.
#include "app/race_choice.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/headless_day.h"
#include "app_fixtures.h"
#include "base/cp932.h"
#include "racedata/race_day_loader.h"

namespace zelkova {
namespace {

// 東京 (05) 1R..12R, then 京都 (08) 1R..11R, in race-list order.
std::unique_ptr<RaceDay> TwoCourses() {
  auto day = MakeRaceDay();
  int slot = 0;
  for (auto [course, races] : {std::pair{"05", 12}, std::pair{"08", 11}})
    for (int r = 1; r <= races; ++r) day->Races[static_cast<size_t>(slot++)].RaRecord.assign(testing::RaceRecord("20240512", course, r));
  day->RaceCount = slot;
  return day;
}

RaceChoice Choose(const RaceDay& day, const std::string& course, const std::string& race, bool one = true) {
  RaceName name;
  name.course = course;
  if (!race.empty()) {
    EXPECT_EQ(ParseRaceOption(race, name), "") << race;
  }
  return ChooseRaces(day, name, one);
}

std::string U(const std::string& cp932) { return Cp932ToUtf8Lossy(cp932); }

TEST(RaceChoice, ARacecourseAndANumberNameOneRace) {
  auto day = TwoCourses();
  EXPECT_EQ(Choose(*day, "東京", "11").picked, std::vector<int>{10});
  EXPECT_EQ(Choose(*day, "08", "11").picked, std::vector<int>{22});
  EXPECT_EQ(Choose(*day, "8", "1").picked, std::vector<int>{12});
  EXPECT_EQ(Choose(*day, "京都", "").picked.size(), 0u);
  EXPECT_EQ(Choose(*day, "", "").picked, std::vector<int>{0});  // nothing named: the list's first
  // Several commands take every race, or every race of a racecourse.
  EXPECT_EQ(Choose(*day, "", "", false).picked.size(), 23u);
  EXPECT_EQ(Choose(*day, "京都", "", false).picked.size(), 11u);
  EXPECT_EQ(Choose(*day, "", "3", false).picked, (std::vector<int>{2, 14}));
  EXPECT_EQ(U(RaceListItemText(day->Races[22].RaRecord)), "京都 2回 3日11R");
}

TEST(RaceChoice, WhatIsWrongListsWhatTheDayHas) {
  auto day = TwoCourses();
  RaceChoice both = Choose(*day, "", "11");
  EXPECT_TRUE(both.picked.empty());
  EXPECT_TRUE(both.needsMore);
  EXPECT_EQ(U(both.problem), "11Rは東京 05、京都 08にあります。--course で競馬場を選んでください");
  RaceChoice none = Choose(*day, "京都", "12");
  EXPECT_FALSE(none.needsMore);
  EXPECT_EQ(U(none.problem), "京都に12Rはありません（京都 1R～11R）");
  EXPECT_EQ(U(Choose(*day, "札幌", "1").problem),
            "「札幌」はこの日の競馬場ではありません（この日のレース：東京 1R～12R、京都 1R～11R）");
  RaceChoice which = Choose(*day, "東京", "");
  EXPECT_TRUE(which.needsMore);
  EXPECT_EQ(U(which.problem), "--race でレース番号を選んでください（東京 1R～12R）");
  RaceName bad;
  for (const char* v : {"0", "13", "x", "", "011"}) EXPECT_NE(ParseRaceOption(v, bad), "") << v;
  EXPECT_EQ(U(ChooseRaces(*MakeRaceDay(), {}, true).problem), "この日にはレースがありません");
}

TEST(RaceChoice, MainIsTheRichestRaceWithRatingsOfHorsesWithPastRuns) {
  auto day = TwoCourses();
  // The winner's prize, RA 714-721.
  auto prize = [&](int slot, const char* eight) {
    std::copy_n(eight, 8, day->Races[static_cast<size_t>(slot)].RaRecord.bytes.begin() + 713);
  };
  // `runners` runners, the first `withPast` with `runs` past runs each, in a race of horses of 3
  // and older of the 2勝 class (a race with ratings).
  auto field = [&](int slot, int runners, int withPast, int runs = 1) {
    RaceInfo& race = day->Races[static_cast<size_t>(slot)];
    std::copy_n("13", 2, race.RaRecord.bytes.begin() + 616);
    std::copy_n("010", 3, race.RaRecord.bytes.begin() + 634);
    race.Figures.RunnerCount = runners;
    for (int h = 0; h < withPast; ++h)
      for (int k = 0; k < runs; ++k)
        race.Runners[static_cast<size_t>(h)].PastRuns[static_cast<size_t>(k)].SeRecord.assign(std::string(kLenSE, '1'));
  };
  field(15, 1, 1);
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{15});
  // A richer race of newcomers (fewer than half with a past) is not the one to show.
  prize(10, "00002000");
  field(10, 3, 1, 5);
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{15});
  field(10, 3, 2);
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{10});
  // As rich: the field with more past runs; as many: the later race.
  prize(22, "00002000");
  field(22, 2, 2);
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{10});
  field(22, 2, 2, 3);
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{22});
  // An obstacle race (kind 18) has no ratings to show, however rich.
  std::copy_n("18", 2, day->Races[22].RaRecord.bytes.begin() + 616);
  prize(22, "00006000");
  EXPECT_EQ(Choose(*day, "", "main").picked, std::vector<int>{10});
}

TEST(DateArgument, ThreeFormsAndImpossibleDays) {
  std::string text;
  for (const char* form : {"20240229", "2024-02-29", "2024年02月29日"}) {
    EXPECT_EQ(CheckDateArgument(form, &text), "") << form;
    EXPECT_EQ(U(text), "2024年02月29日");
  }
  for (const char* impossible : {"20230229", "2024-02-30", "20240431", "20241301", "2024年00月10日", "19000229"})
    EXPECT_NE(U(CheckDateArgument(impossible, &text)).find("という日はありません"), std::string::npos) << impossible;
  EXPECT_EQ(CheckDateArgument("20000229", &text), "");  // every 400 years a leap year
  for (const char* notADate : {"2024/02/29", "2024-2-29", "2024年2月29日", "202402290", "today", ""})
    EXPECT_EQ(U(CheckDateArgument(notADate, &text)),
              "「" + std::string(notADate) + "」は日付ではありません（yyyymmdd、yyyy-mm-dd、yyyy年mm月dd日）")
        << notADate;
  EXPECT_EQ(DateArgument("20240230"), "");
}

}  // namespace
}  // namespace zelkova
