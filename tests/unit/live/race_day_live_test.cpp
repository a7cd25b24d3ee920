#include <gtest/gtest.h>

#include <set>

#include "base/cp932.h"
#include "base/replay_clock.h"
#include "day/race_day_live.h"
#include "day/replay_timers.h"
#include "jvlink/jv_message.h"
#include "live_fixtures.h"
#include "settings/ini_gt.h"

namespace zelkova {
namespace {

using namespace testing;

class Host : public LiveHost {
 public:
  std::string DateComboText() const override { return date; }
  int SelectedRaceItem() const override { return item; }
  int RaceItemCount() const override { return items; }
  void SelectRaceItem(int i) override { item = i; }
  void RerunRaceView() override { ++reruns; }
  void ShowChanges(const ChangeLists& c) override { changes = c; ++shown; }
  void DLlabel(const std::string& t) override { label = t; }
  void RestTimeLabel(const std::string& t) override { rest = t; }
  void NowTimLabel(const std::string& t) override { now = t; }
  void SetAutoOzCheck(bool on) override { box = on; }
  void SetTimer1(bool on) override { timer1 = on; }
  void ReloadDay() override { ++reloads; }
  void Fetched(const FetchReport& r) override { fetched.push_back(r); }
  void ShowRankFrequency(const RankFrequency&) override { ++rankings; }

  std::string date, label, rest, now;
  int item = 0, items = 2, reruns = 0, shown = 0, reloads = 0, rankings = 0;
  bool box = true, timer1 = false;
  ChangeLists changes;
  std::vector<FetchReport> fetched;
};

class RaceDayLiveTest : public ::testing::Test {
 protected:
  explicit RaceDayLiveTest(std::vector<std::string> races = {RA(1, "1000"), RA(2, "1030")}, char division = '2')
      : f(std::move(races), division), ini(f.home() / "zelkova.ini"), live(f.home(), *f.jv, prompts, f.clock, ini, host) {
    host.date = LiveDayFixture::date();
    live.setDay(f.day.get());
  }
  void at(int h, int m, int s = 0) { f.clock.set({2024, 5, 19, h, m, s}); }
  int fetches(RealtimeKind kind) const {
    return static_cast<int>(std::count_if(host.fetched.begin(), host.fetched.end(),
                                          [&](const FetchReport& r) { return r.kind == kind; }));
  }
  const RaceFigures& F(int slot) const { return f.day->Races[slot].Figures; }

  LiveDayFixture f;
  RecordingPrompts prompts;
  TIniGT ini;
  Host host;
  RaceDayLive live;
};

TEST_F(RaceDayLiveTest, ArmingIsRefusedWithoutADayOrForAnotherDay) {
  host.date = "";
  live.AutoOzCheckClick(true);
  EXPECT_EQ(prompts.events, (std::vector<std::string>{"beep", "info:" + Sj("ﾃﾞｰﾀを読み込んでください。")}));
  EXPECT_FALSE(host.box);
  host.date = LiveDayFixture::date();
  f.clock.set({2024, 5, 20, 9, 0, 0});  // the loaded day is yesterday's
  host.box = true;
  prompts = RecordingPrompts{};
  live.AutoOzCheckClick(true);
  EXPECT_EQ(prompts.infos, std::vector<std::string>{Sj("本日のﾃﾞｰﾀを読み込んでください。")});
  EXPECT_FALSE(host.box);
  EXPECT_FALSE(host.timer1);
  EXPECT_FALSE(live.timer1Running());
  at(9, 0);
  live.AutoOzCheckClick(true);
  EXPECT_TRUE(host.timer1);
  live.AutoOzCheckClick(false);
  EXPECT_FALSE(host.timer1);
  // Unticking after another day was loaded is refused with its message, and still stops the
  // retrieval the box no longer shows.
  live.AutoOzCheckClick(true);
  ASSERT_TRUE(host.timer1);
  f.clock.set({2024, 5, 20, 9, 0, 0});
  prompts = RecordingPrompts{};
  live.AutoOzCheckClick(false);
  EXPECT_EQ(prompts.infos, std::vector<std::string>{Sj("本日のﾃﾞｰﾀを読み込んでください。")});
  EXPECT_FALSE(host.box);
  EXPECT_FALSE(host.timer1);
  EXPECT_FALSE(live.timer1Running());
}

class NotFinalEntries : public RaceDayLiveTest {
 protected:
  NotFinalEntries() : RaceDayLiveTest({RA(1, "1000"), RA(2, "1030")}, '1') {}
};

TEST_F(NotFinalEntries, ArmingIsRefusedWhileEntriesAreProvisional) {
  live.AutoOzCheckClick(true);
  EXPECT_EQ(prompts.infos, std::vector<std::string>{Sj(
                               "出走表データが最新でありません。JVデータ取得ボタンよりデータを取得してからオッズを取得"
                               "してください。")});
  EXPECT_EQ(prompts.beeps, 1);
  EXPECT_FALSE(host.timer1);
}

TEST_F(RaceDayLiveTest, EachRaceIsFetchedOnceInItsOddsMinutePerArming) {
  f.batch("0B30", RaceKey(1), "202405190925", O1(1, "05190925", {"0021", "0035", "0050"}) + O2(1, "05190925"));
  EXPECT_EQ(std::string(F(0).AutoOddsTime.View()), "0930");
  live.AutoOzCheckClick(true);
  at(9, 29, 50);
  live.Timer1Timer();
  EXPECT_EQ(fetches(RealtimeKind::kOdds), 0);
  at(9, 30, 10);
  live.Timer1Timer();
  at(9, 30, 50);
  live.Timer1Timer();
  ASSERT_EQ(fetches(RealtimeKind::kOdds), 1);
  EXPECT_EQ(host.fetched[0].outcome.merged, 2);
  EXPECT_EQ(live.OddsQueue, std::vector<std::string>{});  // the second tick queued nothing
  // The odds reached the stored file and the loaded day, with their popularity order.
  EXPECT_EQ(Field((*ReadRecordLines(f.data(".jvO1"), kLenO1))[0], 28, 8), "05190925");
  EXPECT_DOUBLE_EQ(F(0).WinOdds[0], 2.1);
  EXPECT_EQ(std::string(F(0).O1Time.View()), "0925");
  EXPECT_DOUBLE_EQ(F(0).QuinellaOdds[0], 12.3);
  // Unticking and ticking the box arms again: the same minute fetches once more.
  live.AutoOzCheckClick(false);
  live.AutoOzCheckClick(true);
  live.Timer1Timer();
  EXPECT_EQ(fetches(RealtimeKind::kOdds), 2);
}

class WithoutPostTime : public RaceDayLiveTest {
 protected:
  WithoutPostTime() : RaceDayLiveTest({RA(1, "    "), RA(2, "1030")}) {}
};

TEST_F(WithoutPostTime, ARaceWithoutOddsTimeIsNeverFetchedAndResultsComeAtEveryTick) {
  EXPECT_TRUE(F(0).AutoOddsTime.Empty());
  live.AutoOzCheckClick(true);
  for (int m = 0; m < 24 * 60; m += 1) {
    at(m / 60, m % 60, 30);
    live.Timer1Timer();
  }
  ASSERT_EQ(fetches(RealtimeKind::kOdds), 1);
  EXPECT_EQ(host.fetched[0].race, Sj("東京") + " 2R");
  // With no first post time every tick until 18:00 fetches results and weights.
  host.fetched.clear();
  for (int h : {0, 5, 12, 18}) {
    at(h, 0);
    live.Timer4Timer();
  }
  at(18, 1);
  live.Timer4Timer();
  EXPECT_EQ(fetches(RealtimeKind::kResults), 4);
  EXPECT_EQ(fetches(RealtimeKind::kWeights), 4);
}

TEST_F(RaceDayLiveTest, ResultsTickRunsFromBeforeTheFirstRaceUntilSixQuietly) {
  // First post 10:00, interval 15: from 09:15 (exclusive) on.
  at(9, 15);
  live.Timer4Timer();
  EXPECT_TRUE(host.fetched.empty());
  at(18, 1);
  live.Timer4Timer();
  EXPECT_TRUE(host.fetched.empty());
  at(18, 0);
  live.Timer4Timer();
  EXPECT_EQ(fetches(RealtimeKind::kResults), 1);
  EXPECT_EQ(fetches(RealtimeKind::kWeights), 1);
  // Nothing released yet: both opens fail, silently, and each failure is in the label and the log.
  EXPECT_EQ(prompts.beeps, 0);
  const std::string name = Sj("東京") + " 1";
  auto log = f.errorLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], Sj("【エラー】18:00:00：") + name + Sj("R:ﾚｰｽ情報データ取得エラー：") + JvMessage("JVRTOpen", -1));
  EXPECT_EQ(log[1], Sj("【エラー】18:00:00：") + name + Sj("R:馬体重データ取得エラー：") + JvMessage("JVRTOpen", -1));
  EXPECT_FALSE(live.QuietResults);
  EXPECT_FALSE(live.QuietWeights);
}

TEST_F(RaceDayLiveTest, ResultsArriveWithOneViewRunForTheFirstPayoutAndTheirWeights) {
  host.item = 0;
  f.batch("0B12", kDay, "202405191012",
          RA(1, "1000", 3, '5') + SE(1, 1, '5', "486+004", "02") + SE(1, 2, '5', "470-002", "01") + HR(1));
  at(10, 15);
  live.KekkaGetBtnClick();
  EXPECT_TRUE(FileExists(f.data(".jvHR")));
  EXPECT_TRUE(F(0).HasPayouts);
  EXPECT_EQ(F(0).FinishPos[1], 1);
  EXPECT_EQ(F(0).PayHorse[0], 1);
  EXPECT_EQ(F(0).PayAmount.Horse[0], 150);
  EXPECT_EQ(F(0).HorseWeight[0], 486);
  EXPECT_EQ(F(0).WeightChange[1], -2);
  EXPECT_EQ(host.reruns, 2);  // the first payout, then the command's own run
  EXPECT_EQ(host.rankings, 1);
  EXPECT_TRUE(FileExists(f.day->HindPath));  // the day's counts, stored for the aggregation
  EXPECT_EQ(prompts.beeps, 2);
  live.KekkaGetBtnClick();
  EXPECT_EQ(host.reruns, 3);
  // Without a selected race the command does nothing.
  host.item = -1;
  live.KekkaGetBtnClick();
  EXPECT_EQ(fetches(RealtimeKind::kResults), 2);
}

TEST_F(RaceDayLiveTest, JvLinkErrorsLeaveTheDayLoaded) {
  const int races = f.day->RaceCount;
  const std::string name = Sj("東京") + " 1";
  f.jv->inject("JVRTOpen", -504);
  live.SokuhoOddsBtnClick();
  EXPECT_EQ(host.label, name + Sj("R:ｵｯｽﾞ取得エラー：") + JvMessage("JVRTOpen", -504));
  f.batch("0B30", RaceKey(1), "202405190900", O1(1, "05190900", {"0021"}) + O2(1, "05190900"));
  f.jv->inject("JVRead", -403);
  live.SokuhoOddsBtnClick();
  EXPECT_EQ(host.label, JvMessage("JVRead", -403));
  f.jv->inject("JVClose", -1);
  live.GetBataijuBtnClick();
  EXPECT_EQ(host.label, JvMessage("JVClose", -1));
  auto log = f.errorLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[1], Sj("【エラー】09:00:00：") + JvMessage("JVRead", -403));
  EXPECT_EQ(log[2], Sj("【エラー】09:00:00：") + name + Sj("R:馬体重データ取得エラー：") + JvMessage("JVRTOpen", -1));
  EXPECT_EQ(log[3], Sj("【エラー】09:00:00：") + JvMessage("JVClose", -1));
  EXPECT_EQ(f.day->RaceCount, races);
  EXPECT_EQ(std::string(f.day->Races[1].RaRecord.field(12, 16)), RaceKey(2));
  EXPECT_EQ(host.reruns, 3);  // every command still ran its view
}

TEST_F(RaceDayLiveTest, ChangeNoticesFillTheChangeWindow) {
  std::string av = Change("AV", kLenAV, 2, "0910");
  Put(av, 36, "03");
  f.batch("0B14", kDay, "202405190830", WE("0830", '1', '1', '1', '1'));
  f.batch("0B14", kDay, "202405190915", av);
  at(9, 20);
  live.GetKaisaiBtnClick();
  ASSERT_EQ(host.shown, 1);
  EXPECT_EQ(host.changes.lines[0], std::vector<std::string>{Sj("東京 08:30 晴   芝:良 ダ:良")});
  ASSERT_EQ(host.changes.lines[1].size(), 1u);
  EXPECT_EQ(host.changes.lines[1][0].substr(0, 17), Sj("東京 2R 09:10 ③ "));
  EXPECT_EQ(prompts.beeps, 2);  // change notices beep at each good close
}

TEST_F(RaceDayLiveTest, TheRaceVideoPlaysOnlyWhatTheFeedHas) {
  host.item = -1;
  live.RVBtnClick();
  EXPECT_EQ(prompts.infos, std::vector<std::string>{Sj("レースが選択されていません。")});
  host.item = 1;
  live.RVBtnClick();
  EXPECT_EQ(prompts.infos.back(), Sj("このレースの映像はありません。"));
  // The movie key is the date, the racecourse and the race number.
  WriteBytes(f.feed() / "video" / (std::string(kDay) + "0502"), "");
  live.RVBtnClick();
  EXPECT_EQ(f.jv->lastPlayed(), std::string(kDay) + "0502");
  EXPECT_EQ(prompts.infos.size(), 2u);
  EXPECT_EQ(prompts.beeps, 0);
  host.date = "";
  live.RVBtnClick();
  EXPECT_EQ(prompts.infos.back(), Sj("開催日が選択されていません。"));
}

TEST_F(RaceDayLiveTest, TimeToPostCountsDownToTheSelectedRace) {
  host.item = -1;
  live.Timer3Timer();
  EXPECT_EQ(host.rest, "");
  host.item = 1;
  at(10, 0, 30);
  live.Timer3Timer();
  EXPECT_EQ(host.rest, Sj("発走までの残り時間：00:29:30"));
  at(10, 30);
  live.Timer3Timer();
  EXPECT_EQ(host.rest, Sj("発走済み"));
  live.Timer2Timer();
  EXPECT_EQ(host.now, Sj("10時30分00秒"));
}

TEST_F(RaceDayLiveTest, TimeSeriesImportTakesTheNearestAnnouncementOfTheRaceDay) {
  // The setting holds the folder as CP932 text, here with Japanese in its name.
  const auto folder = f.dir.path() / PathFromUtf8("時系列オッズ");
  ASSERT_TRUE(ini.WriteString("Dir", "jikeiretu", PathText(folder)).ok());
  const std::string base = std::string("05") + "02" + "03";
  // Race 1 (odds time 09:30): only an announcement of the day before, however near its minute.
  WriteBytes(folder / kDay / (base + "01.jvO1"), O1(1, "05180930", {"0011"}));
  // Race 2 (odds time 10:00): the day before, then 09:00 and 10:20 on the day; 10:20 is nearer.
  WriteBytes(folder / kDay / (base + "02.jvO1"),
             O1(2, "05181000", {"0011"}) + O1(2, "05190900", {"0022"}) + O1(2, "05191020", {"0033"}));
  live.T1Click();
  EXPECT_EQ(prompts.infos, std::vector<std::string>{"1" + Sj("ﾚｰｽ分の単複枠ｵｯｽﾞ、") + "0" + Sj("ﾚｰｽ分の馬連ｵｯｽﾞ") +
                                                    Sj("を取りこみました。")});
  EXPECT_EQ(host.reloads, 1);
  auto o1 = *ReadRecordLines(f.data(".jvO1"), kLenO1);
  EXPECT_TRUE(IsBlank(o1[0]));
  EXPECT_EQ(Field(o1[1], 28, 8), "05191020");
  // A damaged day file is left as it is and named under the counts.
  WriteBytes(folder / kDay / (base + "02.jvO2"), O2(2, "05190955"));
  WriteBytes(f.data(".jvO2"), "O2 torn");
  prompts = RecordingPrompts{};
  live.T1Click();
  ASSERT_EQ(prompts.infos.size(), 1u);
  const std::string counts = "1" + Sj("ﾚｰｽ分の単複枠ｵｯｽﾞ、") + "0" + Sj("ﾚｰｽ分の馬連ｵｯｽﾞ") + Sj("を取りこみました。");
  EXPECT_EQ(prompts.infos[0].substr(0, counts.size() + 2), counts + "\r\n");
  EXPECT_NE(prompts.infos[0].find(Sj(".jvO2")), std::string::npos) << prompts.infos[0];
  EXPECT_EQ(ReadBytes(f.data(".jvO2")), "O2 torn");
}

TEST(ReplayTimers, EveryTickRunsAtItsOwnTimeHoweverFarTheClockJumps) {
  ReplayClock clock({2024, 5, 19, 9, 0, 0}, 600);
  ReplayTimers timers;
  std::vector<std::string> ticks;
  auto sync = [&] {
    timers.Set(1, true, 40, clock);
    timers.Set(4, true, 15 * 60, clock);
  };
  timers.RunUntil(clock, {2024, 5, 19, 9, 16, 0}, sync, [&](int id) {
    ticks.push_back(std::to_string(id) + "@" + HourMinute(clock.now()) + ":" + std::to_string(clock.now().second));
  });
  ASSERT_EQ(ticks.size(), 24u + 1u);  // 40-second ticks to 09:16:00, one 15-minute tick
  EXPECT_EQ(ticks[0], "1@0900:40");
  EXPECT_EQ(ticks[22], "4@0915:0");
  std::set<int> minutes;
  for (const auto& t : ticks)
    if (t[0] == '1') minutes.insert(std::stoi(t.substr(4, 2)));
  EXPECT_EQ(minutes.size(), 17u);  // 09:00 to 09:16, no minute without a tick
  EXPECT_EQ(HourMinute(clock.now()), "0916");
}

TEST(ReplayClockText, ParsesAMomentOfADay) {
  auto t = ParseClockText("2024-05-19 09:05");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->hour, 9);
  EXPECT_EQ(AddSeconds(*t, 86400 - 5 * 60 - 9 * 3600).day, 20);
  EXPECT_FALSE(ParseClockText("2024-02-30 09:05"));
  EXPECT_FALSE(ParseClockText("2024-05-19 24:00"));
  EXPECT_FALSE(ParseClockText("20240519 0905"));
}

}  // namespace
}  // namespace zelkova
