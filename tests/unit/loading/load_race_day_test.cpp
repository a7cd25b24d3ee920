#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>

#include "base/cp932.h"
#include "base/file_io.h"
#include "store/stored_paths.h"
#include "records/code_tables.h"
#include "day/load_race_day.h"
#include "day/load_report.h"
#include "store/legacy_um.h"
#include "store/master_index.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::FakeClock;
using testing::TempDir;

// A blank record of `len` bytes with its kind and CR LF.
std::string Rec(const char* kind, size_t len) {
  std::string r(len, ' ');
  r[0] = kind[0];
  r[1] = kind[1];
  r[len - 2] = '\r';
  r[len - 1] = '\n';
  return r;
}
void Put(std::string& rec, size_t pos, std::string_view text) { rec.replace(pos - 1, text.size(), text); }

// Race key bytes 12..27: date, course, meeting, day, race number.
std::string Race(const std::string& ymd, const std::string& course, int race, int runners) {
  std::string r = Rec("RA", kLenRA);
  char key[32];
  std::snprintf(key, sizeof key, "%s%s0102%02d", ymd.c_str(), course.c_str(), race % 100);
  Put(r, 12, key);
  Put(r, 874, "1500");
  char n[8];
  std::snprintf(n, sizeof n, "%02d", runners % 100);
  Put(r, 882, n);
  return r;
}
std::string Entry(const std::string& ymd, const std::string& course, int race, int horse, const std::string& reg) {
  std::string r = Rec("SE", kLenSE);
  char key[32];
  std::snprintf(key, sizeof key, "%s%s0102%02d", ymd.c_str(), course.c_str(), race);
  Put(r, 12, key);
  char h[8];
  std::snprintf(h, sizeof h, "%02d", horse);
  Put(r, 29, h);
  Put(r, 31, reg);
  Put(r, 297, "01001");
  Put(r, 86, "02002");
  return r;
}

class RecordingObserver : public LoadObserver {
 public:
  void AddRaceListItem(const std::string& t) override { items.push_back(t); }
  void Problem(const std::string& t) override { problems.push_back(t); }
  void SetTimer4(int m, bool on) override {
    timerMinutes = m;
    timerOn = on;
  }
  void SelectRace(RaceDay&, int item) override { selected = item; }
  void UMConvertBtn(const std::string& d) override {
    converted.push_back(d);
    if (convertIn) (void)ConvertLegacyHorseMaster(*convertIn, d);
  }
  void Log(const std::string& t) override { logs.push_back(t); }
  void SetWaitText(const std::string& a, const std::string& b) override { waitTexts.push_back(a + "|" + b); }
  void SetCourseTab(int i, bool visible, const std::string& caption, const std::string& code) override {
    tabs.push_back(std::to_string(i) + (visible ? "+" : "-") + caption + code);
  }
  void SetCourseIndexLabel(int i, const std::string& t) override { indexLabels[i] = t; }
  void SetCourseGridRows(int i, int rows) override { gridRows[i] = rows; }
  void SetUpDown(int maximum, int position) override { upDown = {maximum, position}; }
  std::vector<std::string> items, problems, converted, waitTexts, tabs, logs;
  const std::filesystem::path* convertIn = nullptr;  // a program folder whose legacy master is converted
  std::map<int, std::string> indexLabels;
  std::map<int, int> gridRows;
  std::pair<int, int> upDown{-9, -9};
  int timerMinutes = -1, selected = -1;
  bool timerOn = false;
};

class LoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    day = MakeRaceDay();
    date = DateText("20240512");
    ASSERT_TRUE(EnsureDir(home.path() / "Data").ok());
    // Masters of other horses and people, so that a test's runners find none unless it says so.
    Write(Data(".jvUM2"), Rec("UM", kLenUM));
    Write(Data(".jvKS"), Rec("KS", kLenKS));
    Write(Data(".jvCH"), Rec("CH", kLenCH));
  }
  std::filesystem::path Data(const std::string& ext) { return DataPath(home.path(), date, ext); }
  void Write(const std::filesystem::path& p, const std::string& bytes) { testing::WriteBytes(p, bytes); }
  // Entry file of course 05 with `recs` placed at their slots.
  void WriteEntries(const std::vector<std::pair<int, std::string>>& recs, size_t cut = 0) {
    std::string file;
    for (int i = 0; i < 216; ++i) file += Rec("  ", kLenSE);
    for (const auto& [slot, rec] : recs) file.replace(static_cast<size_t>(slot) * kLenSE, kLenSE, rec);
    file.resize(file.size() - cut);
    Write(Data(CourseNameW("05", 2) + ".jvSEr"), file);
  }
  Status Load() {
    LoadInputs in;
    in.dateText = date;
    in.programFolder = home.path();
    in.clock = &clock;
    return LoadRaceDay(*day, in, obs);
  }
  TempDir home;
  FakeClock clock{{2024, 6, 1, 10, 0, 0}};
  RecordingObserver obs;
  std::unique_ptr<RaceDay> day;
  std::string date;
};

TEST_F(LoadTest, MissingRaceFileLoadsNothing) {
  Status s = Load();
  EXPECT_TRUE(s.isNotFound());
  EXPECT_EQ(day->RaceCount, 0);
  EXPECT_FALSE(FileExists(Data(".CkIm")));
}

TEST_F(LoadTest, BlankRaceRecordTakesNoSlotAndChecksAreCreated) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 0) + Rec("RA", kLenRA) + Race("20240512", "05", 2, 0));
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 2);
  ASSERT_EQ(obs.items.size(), 2u);
  EXPECT_EQ(day->Races[1].RaRecord.field(26, 2), "02");
  EXPECT_TRUE(day->Races[2].RaRecord.empty());
  EXPECT_EQ(obs.items[1], CourseNameW("05", 2) + Sj(" 1回 2日 2R"));
  EXPECT_EQ(day->Races[0].Figures.Title.View(), Sj("2024年05月12日") + CourseNameW("05", 2) + Sj("01回02日01R"));
  EXPECT_EQ(day->Races[0].Figures.AutoOddsTime.View(), "1430");
  EXPECT_EQ(day->Races[0].Figures.AutoWeightTime.View(), "1423");
  EXPECT_EQ(day->DayCourses[0], "05");
  EXPECT_TRUE(day->DayCourses[1].empty());
  EXPECT_EQ(testing::ReadBytes(Data(".CkIm")), std::string(1944, '0'));
  EXPECT_EQ(obs.selected, 0);
}

TEST_F(LoadTest, PastRunsKeepNewest21EarlierRunsOnly) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1));
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}});
  std::string sei;
  for (int i = 0; i < 30; ++i) {  // ascending dates, 2023-01-01 .. 2023-01-30
    char ymd[16];
    std::snprintf(ymd, sizeof ymd, "202301%02d", i + 1);
    sei += Entry(ymd, "06", 1, 1, "2019100001");
  }
  sei += Entry("20240512", "05", 1, 1, "2019100001");  // today
  sei += Entry("20240601", "05", 1, 1, "2019100001");  // later
  Write(HorsePath(home.path(), "2019100001"), sei);
  // The race of the newest past run.
  Write(MeetingPath(home.path(), "2023013006"),
        Race("20230130", "06", 2, 10) + Race("20230130", "06", 1, 10));
  ASSERT_TRUE(Load().ok());
  const Runner& r = day->Races[0].Runners[0];
  EXPECT_EQ(r.PastRuns[0].SeRecord.field(12, 8), "20230130");
  EXPECT_EQ(r.PastRuns[20].SeRecord.field(12, 8), "20230110");
  EXPECT_EQ(r.PastRuns[0].RaRecord.field(12, 16), "2023013006010201");
  EXPECT_TRUE(r.PastRuns[1].RaRecord.empty());
  EXPECT_EQ(day->Races[0].Figures.DaysSinceLastRun[0], 468);

  // Loaded again with a shorter history, its newest run's meeting gone and a run after the race
  // whose bytes are not CP932: nothing of the first load stays, and only text in use is told.
  std::string later = Entry("20240601", "05", 1, 1, "2019100001");
  later[45] = '\x82';
  later[46] = '\x20';
  std::string bad = Entry("20230102", "06", 1, 1, "2019100001");
  bad[45] = '\x82';
  bad[46] = '\x20';
  Write(HorsePath(home.path(), "2019100001"), Entry("20230101", "06", 1, 1, "2019100001") + bad + later);
  std::filesystem::remove(MeetingPath(home.path(), "2023013006"));
  obs.problems.clear();
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(r.PastRuns[0].SeRecord.field(12, 8), "20230102");
  EXPECT_EQ(r.PastRuns[1].SeRecord.field(12, 8), "20230101");
  for (int k = 2; k < MaxPastRuns; ++k) EXPECT_EQ(r.PastRuns[k].SeRecord.view(), std::string(kLenSE, ' ')) << k;
  for (int k = 0; k < MaxPastRuns; ++k) EXPECT_EQ(r.PastRuns[k].RaRecord.view(), std::string(kLenRA, ' ')) << k;
  ASSERT_EQ(obs.problems.size(), 1u);
  EXPECT_NE(obs.problems[0].find(Sj("の2件目にShift-JISでない文字があります")), std::string::npos);
}

TEST_F(LoadTest, RegistrationNumberThatIsNotDigitsNamesNoFile) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1));
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019A00001")}});
  EXPECT_TRUE(HorsePath(home.path(), "2019A00001").empty());
  Write(home.path() / "SEI" / "2019" / "2019A00001.jvSEI", Entry("20230101", "05", 1, 1, "2019A00001"));
  ASSERT_TRUE(Load().ok());
  EXPECT_TRUE(day->Races[0].Runners[0].PastRuns[0].SeRecord.empty());
}

TEST_F(LoadTest, OddsLinesAreMatchedByKeyAndConverted) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 2) + Race("20240512", "05", 2, 2));
  std::string o1a = Rec("O1", kLenO1), o1b = Rec("O1", kLenO1);
  Put(o1a, 12, "2024051205010201");
  Put(o1a, 32, "1425");
  Put(o1a, 46, "0035");
  Put(o1a, 54, "----");
  Put(o1a, 270, "00120034");  // place odds of horse 1, low and high
  Put(o1a, 282, "----    ");  // horse 2: dashed low, blank high
  Put(o1a, 606, "*****");
  Put(o1a, 615, "00123");
  Put(o1b, 12, "2024051205010203");  // another race on race 2's line
  Put(o1b, 46, "0099");
  Write(Data(".jvO1"), o1a + o1b);
  std::string o2 = Rec("O2", kLenO2);
  Put(o2, 12, "2024051205010202");
  Put(o2, 45, "001234");
  Write(Data(".jvO2"), o2);
  ASSERT_TRUE(Load().ok());
  const RaceFigures& f1 = day->Races[0].Figures;
  EXPECT_DOUBLE_EQ(f1.WinOdds[0], 3.5);
  EXPECT_DOUBLE_EQ(f1.WinOdds[1], -1);
  EXPECT_DOUBLE_EQ(f1.WinOdds[2], -2);
  EXPECT_DOUBLE_EQ(f1.PlaceOddsLow[0], 1.2);
  EXPECT_DOUBLE_EQ(f1.PlaceOddsHigh[0], 3.4);
  EXPECT_DOUBLE_EQ(f1.PlaceOddsLow[1], -1);
  EXPECT_DOUBLE_EQ(f1.PlaceOddsHigh[1], -2);
  EXPECT_DOUBLE_EQ(f1.BracketOdds[0], -1);
  EXPECT_DOUBLE_EQ(f1.BracketOdds[1], 12.3);
  EXPECT_EQ(f1.O1Time.View(), "1425");
  EXPECT_TRUE(day->Races[1].Odds.O1Record.empty());
  EXPECT_DOUBLE_EQ(day->Races[1].Figures.WinOdds[0], -2);
  EXPECT_DOUBLE_EQ(day->Races[1].Figures.QuinellaOdds[0], 123.4);
  EXPECT_DOUBLE_EQ(f1.QuinellaOdds[0], -2);
}

TEST_F(LoadTest, Timer4RunsOnlyForToday) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 0));
  ASSERT_TRUE(Load().ok());
  EXPECT_FALSE(obs.timerOn);
  EXPECT_EQ(obs.timerMinutes, 15);
  clock.set({2024, 5, 12, 9, 0, 0});
  ASSERT_TRUE(Load().ok());
  EXPECT_TRUE(obs.timerOn);
}

TEST_F(LoadTest, MastersGiveFirstMatchingRecordAndFigures) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1));
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}});
  std::string um1 = Rec("UM", kLenUM), um2 = Rec("UM", kLenUM), other = Rec("UM", kLenUM);
  Put(other, 12, "2019100002");
  Put(um1, 12, "2019100001");
  Put(um1, 1089, "000123456");
  Put(um1, 1107, "002001001000000006");  // 2-1-1-0-0-6: 10 starts
  Put(um2, 12, "2019100001");
  Put(um2, 1107, "009009009000000000");
  // A torn last record must not be used, and is reported.
  Write(Data(".jvUM2"), other + um1 + um2 + um1.substr(0, 100));
  std::string ks = Rec("KS", kLenKS);
  Put(ks, 12, "01001");
  Put(ks, 1060, "000010");  // wins
  Put(ks, 1096, "000005");
  Put(ks, 1066, "000020");  // second places
  Write(Data(".jvKS"), ks);
  ASSERT_TRUE(Load().ok());
  const RaceFigures& f = day->Races[0].Figures;
  EXPECT_EQ(day->Races[0].Runners[0].UmRecord.view(), um1);
  EXPECT_EQ(f.CareerStarts[0], 10);
  EXPECT_EQ(f.CareerPrize[0], 1234);
  EXPECT_DOUBLE_EQ(f.PrizePerStart[0], 123.4);
  EXPECT_DOUBLE_EQ(f.PlaceRate[0], 5.0 / 25.0 * 100.0);
  EXPECT_EQ(f.JockeyWins[0], 15);
  EXPECT_EQ(f.JockeyStarts[0], 35);
  EXPECT_DOUBLE_EQ(f.JockeyWinRate[0], 15.0 / 35.0 * 100.0);
  EXPECT_DOUBLE_EQ(f.TrainerWinRate[0], -1);  // no trainer record
  EXPECT_EQ(obs.problems.size(), 1u);
}

TEST_F(LoadTest, OutOfRangeCountsAndRaceNumbersStayInsideTheArrays) {
  std::vector<std::pair<int, std::string>> entries;
  for (int h = 0; h < 18; ++h) entries.push_back({h, Entry("20240512", "05", 1, h + 1, "2019100001")});
  WriteEntries(entries);
  Write(Data(".jvRA"),
        Race("20240512", "05", 1, 25) + Race("20240512", "05", 0, 5) + Race("20240512", "05", 13, 5));
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 3);
  EXPECT_EQ(day->Races[0].Figures.RunnerCount, 18);
  EXPECT_EQ(day->Races[0].Runners[17].SeRecord.field(29, 2), "18");
  EXPECT_TRUE(day->Races[1].Runners[0].SeRecord.empty());
  EXPECT_TRUE(day->Races[2].Runners[0].SeRecord.empty());
}

TEST_F(LoadTest, TruncatedEntryFileKeepsWholeRecordsAndIsReported) {
  Write(Data(".jvRA"), Race("20240512", "05", 12, 18));
  std::vector<std::pair<int, std::string>> entries;
  for (int h = 0; h < 18; ++h) entries.push_back({198 + h, Entry("20240512", "05", 12, h + 1, "2019100001")});
  WriteEntries(entries, 100);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->Races[0].Runners[16].SeRecord.field(29, 2), "17");
  EXPECT_TRUE(day->Races[0].Runners[17].SeRecord.empty());
  ASSERT_EQ(obs.problems.size(), 1u);
}

TEST_F(LoadTest, PayoutsAndResultsAreParsed) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 2));
  WriteEntries({{0, [] {
                   std::string se = Entry("20240512", "05", 1, 1, "2019100001");
                   Put(se, 335, "02");
                   Put(se, 360, "0123");
                   Put(se, 364, "03");
                   return se;
                 }()}});
  std::string hr = Rec("HR", kLenHR);
  Put(hr, 12, "2024051205010201");
  Put(hr, 103, "0300000025001");
  Put(hr, 207, "3500000123002");
  Put(hr, 246, "0102000000456003");
  Put(hr, 454, "0001000000789004");  // a zero horse: no combination text
  Put(hr, 604, "0102030001234560012");
  Write(Data(".jvHR"), hr);
  ASSERT_TRUE(Load().ok());
  const RaceFigures& f = day->Races[0].Figures;
  EXPECT_EQ(f.FinishPos[0], 2);
  EXPECT_EQ(f.FinalPopularity[0], 3);
  EXPECT_DOUBLE_EQ(f.FinalOdds[0], 12.3);
  EXPECT_EQ(f.PayHorse[0], 3);
  EXPECT_EQ(f.PayAmount.Horse[0], 250);
  EXPECT_EQ(f.BracketCombo[0].View(), " 3- 5");
  EXPECT_EQ(f.PairCombo[0].View(), " 1- 2");
  EXPECT_EQ(f.PayPopularity.Pair[0], 3);
  EXPECT_TRUE(f.ExactaCombo[0].Empty());
  EXPECT_EQ(f.PayAmount.Exacta[0], 789);
  EXPECT_EQ(f.TripleCombo[3].View(), " 1- 2- 3");
  EXPECT_EQ(f.PayAmount.Triple[3], 123456);
  EXPECT_EQ(f.PayPopularity.Triple[3], 12);
}

TEST_F(LoadTest, O1LineFollowsTheSlotWhenTheRaceFileHasABlankRecord) {
  // The blank record takes no slot, so race 2 is slot 1 and its odds are on line 1.
  Write(Data(".jvRA"), Race("20240512", "05", 1, 2) + Rec("RA", kLenRA) + Race("20240512", "05", 2, 2));
  std::string o1a = Rec("O1", kLenO1), o1b = Rec("O1", kLenO1);
  Put(o1a, 12, "2024051205010201");
  Put(o1a, 46, "0021");
  Put(o1b, 12, "2024051205010202");
  Put(o1b, 46, "0042");
  Write(Data(".jvO1"), o1a + o1b + Rec("O1", kLenO1));
  ASSERT_TRUE(Load().ok());
  EXPECT_DOUBLE_EQ(day->Races[0].Figures.WinOdds[0], 2.1);
  EXPECT_DOUBLE_EQ(day->Races[1].Figures.WinOdds[0], 4.2);
  // Support figures ran for every race list item.
  EXPECT_GT(day->Races[0].Figures.SupportRate[0], 0);
  EXPECT_GT(day->Races[1].Figures.SupportRate[0], 0);
  EXPECT_EQ(day->BetRace, 1);
}

TEST_F(LoadTest, EachLoadStartsFromResetSlotsAndBlankImages) {
  std::string ra;
  for (int q = 1; q <= 7; ++q) ra += Race("20240512", "05", q, 1);
  Write(Data(".jvRA"), ra);
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}});
  std::string um = Rec("UM", kLenUM);
  Put(um, 12, "2019100001");
  Put(um, 1107, "001000000000000000");
  Write(Data(".jvUM2"), um);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 7);
  EXPECT_EQ(day->Races[0].Figures.CareerStarts[0], 1);
  EXPECT_TRUE(obs.converted.empty());
  // More than 6 races: odds files of blank lines, one per race line.
  EXPECT_EQ(testing::ReadBytes(Data(".jvO1")).size(), 7 * kLenO1);
  EXPECT_EQ(testing::ReadBytes(Data(".jvO2")).size(), 7 * kLenO2);
  EXPECT_EQ(obs.upDown, std::make_pair(6, 0));

  // A second date with one race and no entries: nothing of the first load remains.
  day->CurrentRace = 4;
  day->Races[0].Figures.WeightChange[3] = 5;
  date = DateText("20240519");
  Write(Data(".jvRA"), Race("20240519", "06", 3, 2));
  testing::WriteBytes(Data(".CkIm"), std::string(100, '1') + std::string(1844, '0'));
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 1);
  EXPECT_EQ(obs.converted, std::vector<std::string>({date}));  // no .jvUM2 for that date
  EXPECT_TRUE(day->Races[0].Runners[0].SeRecord.empty());
  EXPECT_TRUE(day->Races[0].Runners[0].UmRecord.empty());
  EXPECT_TRUE(day->Races[1].RaRecord.empty());
  EXPECT_EQ(day->Races[0].Figures.CareerStarts[0], 0);
  EXPECT_EQ(day->Races[0].Figures.WeightChange[3], 0);  // reset to 999, then no weight on record
  EXPECT_EQ(day->Races[0].Figures.JockeyWinRate[0], -1);
  EXPECT_EQ(day->Races[1].Figures.RunnerCount, 0);
  EXPECT_EQ(day->CheckMark(0, 5, 9), '1');
  EXPECT_EQ(day->CheckMark(0, 5, 10), '0');
  EXPECT_EQ(day->CheckMark(1, 0, 0), '0');
  EXPECT_EQ(day->CurrentRace, 4);  // the view sets it, not the load
  EXPECT_FALSE(FileExists(Data(".jvO1")));  // six lines or fewer: no placeholders
  EXPECT_EQ(day->DayCourses[0], "06");
}

TEST_F(LoadTest, WaitTextsCourseTabsAndIndexLabels) {
  Write(Data(".jvRA"), Race("20240512", "08", 1, 0) + Race("20240512", "05", 1, 0) + Race("20240512", "05", 2, 0) +
                           Race("20240512", "08", 2, 0));
  ASSERT_TRUE(Load().ok());
  ASSERT_GE(obs.waitTexts.size(), 5u);
  EXPECT_EQ(obs.waitTexts[0], "|");  // both lines empty when the window opens
  EXPECT_EQ(obs.waitTexts[1], StripWideSpaces(CourseNameW("08", 9)) + Sj(" 1R データ読込中|"));
  EXPECT_NE(std::find(obs.waitTexts.begin(), obs.waitTexts.end(),
                      StripWideSpaces(CourseNameW("05", 9)) + Sj(" 2R 過去データ読込中|")),
            obs.waitTexts.end());
  // Tabs ordered by course code; the index label is the course's first slot.
  std::vector<std::string> shown;
  for (const auto& t : obs.tabs)
    if (t[1] == '+') shown.push_back(t);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "0+" + CourseNameW("05", 2) + "05");
  EXPECT_EQ(shown[1], "1+" + CourseNameW("08", 2) + "08");
  EXPECT_EQ(obs.indexLabels[0], " 1");
  EXPECT_EQ(obs.indexLabels[1], " 0");
  EXPECT_EQ(obs.indexLabels[2], "");
  EXPECT_EQ(obs.gridRows[0], 3);
  EXPECT_EQ(obs.gridRows[1], 3);
  EXPECT_EQ(obs.gridRows[2], 1);  // no third racecourse: header row only
  EXPECT_EQ(day->DayCourses[0], "05");
  EXPECT_EQ(day->DayCourses[1], "08");
}

TEST_F(LoadTest, ShortRecordsAndAMissingEntryFileReadAsBlanks) {
  // No entry file; a torn race record and a torn payout record at the ends of their files.
  Write(Data(".jvRA"), Race("20240512", "05", 3, 4) + Race("20240512", "05", 4, 4).substr(0, 900));
  std::string hr = Rec("HR", kLenHR);
  Put(hr, 12, "2024051205010203");
  Put(hr, 103, "04");
  Write(Data(".jvHR"), hr.substr(0, 400));  // torn: reported, never used
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 1);
  EXPECT_TRUE(day->Races[0].HrRecord.empty());
  EXPECT_EQ(day->Races[0].Figures.PayHorse[0], 0);
  EXPECT_EQ(day->Races[0].Figures.RunnerCount, 4);
  for (int h = 0; h < 4; ++h) {
    EXPECT_TRUE(day->Races[0].Runners[h].SeRecord.empty());
    EXPECT_EQ(day->Races[0].Figures.HorseNoText[h].View(), "  ");
    EXPECT_EQ(day->Races[0].Figures.FinishPos[h], 0);
  }
  EXPECT_GE(obs.problems.size(), 2u);  // both torn files are reported
}

TEST_F(LoadTest, PayoutsGoToTheFirstSlotWithTheirCourseAndRace) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1) + Race("20240512", "06", 1, 1));
  std::string a = Rec("HR", kLenHR), b = Rec("HR", kLenHR), stray = Rec("HR", kLenHR);
  Put(a, 12, "2024051206010201");
  Put(a, 103, "0700000310002");
  Put(b, 12, "2024051205010201");
  Put(b, 103, "0200000150001");
  Put(stray, 12, "2024051209010201");  // a course that is not loaded
  Write(Data(".jvHR"), stray + a + b);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->Races[0].Figures.PayHorse[0], 2);
  EXPECT_EQ(day->Races[1].Figures.PayHorse[0], 7);
  EXPECT_EQ(day->Races[1].Figures.PayAmount.Horse[0], 3100);
}

TEST_F(LoadTest, EachRacecourseReadsItsOwnEntryFileAndTrainerCounts) {
  // Race 3 at two racecourses: slot lines 36.. of each course's own entry file.
  Write(Data(".jvRA"), Race("20240512", "05", 3, 2) + Race("20240512", "08", 3, 1));
  WriteEntries({{36, Entry("20240512", "05", 3, 1, "2019100001")}, {37, Entry("20240512", "05", 3, 2, "2019100002")}});
  std::string other;
  for (int i = 0; i < 216; ++i) other += Rec("  ", kLenSE);
  std::string se = Entry("20240512", "08", 3, 1, "2019100003");
  Put(se, 86, "02003");
  other.replace(36 * kLenSE, kLenSE, se);
  Write(Data(CourseNameW("08", 2) + ".jvSEr"), other);
  std::string ch = Rec("CH", kLenCH), ch2 = Rec("CH", kLenCH);
  Put(ch, 12, "02002");
  Put(ch, 749, "000004");   // wins, in each of the four groups
  Put(ch, 785, "000001");
  Put(ch, 1837, "000005");
  Put(ch, 755, "000010");   // seconds: starts only
  Put(ch2, 12, "02003");
  Write(Data(".jvCH"), ch + ch2);
  ASSERT_TRUE(Load().ok());
  const RaceInfo& a = day->Races[0];
  const RaceInfo& b = day->Races[1];
  EXPECT_EQ(a.Runners[0].SeRecord.field(31, 10), "2019100001");
  EXPECT_EQ(a.Runners[1].SeRecord.field(31, 10), "2019100002");
  EXPECT_EQ(b.Runners[0].SeRecord.field(31, 10), "2019100003");
  EXPECT_TRUE(b.Runners[1].SeRecord.empty());
  EXPECT_EQ(a.Figures.TrainerWins[0], 10);
  EXPECT_EQ(a.Figures.TrainerStarts[0], 20);
  EXPECT_DOUBLE_EQ(a.Figures.TrainerWinRate[0], 50.0);
  EXPECT_EQ(b.Runners[0].ChRecord.field(12, 5), "02003");
  EXPECT_EQ(b.Figures.TrainerStarts[0], 0);
  EXPECT_DOUBLE_EQ(b.Figures.TrainerWinRate[0], -1);  // no starts: no rate
  EXPECT_EQ(b.Figures.TrainerCode[0].View(), "02003");
  EXPECT_EQ(day->SePath, Data(CourseNameW("08", 2) + ".jvSEr"));
}

TEST_F(LoadTest, YearZeroRaceTakesASlotButNoListItem) {
  Write(Data(".jvRA"), Race("00000512", "05", 1, 1) + Race("20240512", "05", 2, 1));
  std::string o1a = Rec("O1", kLenO1), o1b = Rec("O1", kLenO1);
  Put(o1a, 12, "0000051205010201");
  Put(o1a, 46, "0021");
  Put(o1b, 12, "2024051205010202");
  Put(o1b, 46, "0042");
  Write(Data(".jvO1"), o1a + o1b);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(day->RaceCount, 2);
  ASSERT_EQ(obs.items.size(), 1u);
  EXPECT_EQ(obs.items[0], CourseNameW("05", 2) + Sj(" 1回 2日 2R"));
  EXPECT_EQ(day->Races[1].RaRecord.field(26, 2), "02");
  EXPECT_EQ(obs.upDown, std::make_pair(0, 0));
  // The one list item is slot 1: its support figures are made, the unlisted slot's are not.
  EXPECT_GT(day->Races[1].Figures.SupportRate[0], 0);
  EXPECT_DOUBLE_EQ(day->Races[0].Figures.SupportRate[0], 0);
  EXPECT_EQ(day->BetRace, 1);
}

// The problems a load tells, and how often: each file that cannot be used as it is, once.
int Told(const std::vector<std::string>& problems, const std::string& what) {
  int n = 0;
  for (const auto& p : problems) n += p.find(what) != std::string::npos;
  return n;
}

// A torn race file in a folder with a Japanese name: one message, about the race file, whole
// CP932 text naming it; the odds placeholders are made from its whole records without a word.
TEST(LoadProblems, TornRaceFileIsNamedOnceUnderAJapaneseFolder) {
  TempDir dir;
  const std::filesystem::path home = dir.path() / PathFromUtf8("競馬データ");
  const std::string date = DateText("20240511");
  std::string ra;
  for (int r = 1; r <= 8; ++r) ra += Race("20240511", "05", r, 0);
  testing::WriteBytes(DataPath(home, date, ".jvRA"), ra + std::string(100, 'x'));
  auto day = MakeRaceDay();
  RecordingObserver obs;
  LoadInputs in;
  in.dateText = date;
  in.programFolder = home;
  ASSERT_TRUE(LoadRaceDay(*day, in, obs).ok());
  EXPECT_EQ(day->RaceCount, 8);
  ASSERT_EQ(obs.problems.size(), 1u);
  auto text = Cp932ToUtf8(obs.problems[0]);
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text, "「2024年05月11日.jvRA」の長さ（10276バイト）がレコード長1272バイトの倍数ではありません。"
                   "完全なレコードだけを読みました。");
  EXPECT_EQ(*FileSize(DataPath(home, date, ".jvO1")), 8u * kLenO1);
}

// Entry files that would show runners without horses, jockeys or trainers: each is named, once
// however many races use it.
TEST_F(LoadTest, EntryFilesThatCannotBeUsedAreNamed) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 2) + Race("20240512", "05", 2, 2));
  const std::filesystem::path se = Data(CourseNameW("05", 2) + ".jvSEr");
  const std::string name = Sj("「2024年05月12日") + CourseNameW("05", 2) + Sj(".jvSEr」");
  ASSERT_TRUE(Load().ok());  // missing
  EXPECT_EQ(Told(obs.problems, name + Sj("がありません。")), 1);
  EXPECT_EQ(obs.problems.size(), 1u);
  obs.problems.clear();
  Write(se, "");  // empty
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, name + Sj("は空です")), 1);
  EXPECT_EQ(obs.problems.size(), 1u);
  obs.problems.clear();
  std::filesystem::remove(se);
  std::filesystem::create_directories(se);  // a folder in its place
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, name + Sj("はファイルではありません")), 1);
  EXPECT_EQ(obs.problems.size(), 1u);
  obs.problems.clear();
  std::filesystem::remove(se);
  // Cut short at 100 of its 216 lines; and a runner whose name bytes are not CP932.
  std::string bad = Entry("20240512", "05", 1, 1, "2019100001");
  bad[40] = '\x82';
  bad[41] = '\x20';
  WriteEntries({{0, bad}, {1, Entry("20240512", "05", 1, 2, "2019100002")}}, 116 * kLenSE);
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, name + Sj("は100行しかありません（216行のはず）")), 1);
  EXPECT_EQ(obs.problems.size(), 1u) << "one file, one message";
  obs.problems.clear();
  WriteEntries({{0, bad}, {1, Entry("20240512", "05", 1, 2, "2019100002")}});
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, name + Sj("の1件目にShift-JISでない文字があります")), 1);
  EXPECT_FALSE(day->Races[0].Runners[0].SeRecord.empty());  // still shown, with the damage told
}

TEST_F(LoadTest, EmptyMastersAndGarbageHistoriesAreNamed) {
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1));
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}});
  Write(Data(".jvUM2"), "");
  // Whole 555-byte lines, but not entry records: none becomes a past run.
  Write(HorsePath(home.path(), "2019100001"), Rec("ZZ", kLenSE) + std::string(kLenSE, 'g'));
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, Sj("「2024年05月12日.jvUM2」は空です")), 1);
  EXPECT_EQ(Told(obs.problems, Sj("「2019100001.jvSEI」の1件目はレコードではありません")), 1);
  EXPECT_EQ(obs.problems.size(), 2u);
  EXPECT_TRUE(day->Races[0].Runners[0].PastRuns[0].SeRecord.empty());
}

TEST_F(LoadTest, EachMissingMasterIsNamedOnceItsRunnersNeedIt) {
  for (const char* ext : {".jvUM2", ".jvKS", ".jvCH"}) std::filesystem::remove(Data(ext));
  // Without runners no master is needed.
  Write(Data(".jvRA"), Race("20240512", "05", 1, 0));
  ASSERT_TRUE(Load().ok());
  EXPECT_TRUE(obs.problems.empty());
  Write(Data(".jvRA"), Race("20240512", "05", 1, 1) + Race("20240512", "05", 2, 1));
  obs.converted.clear();
  WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}, {18, Entry("20240512", "05", 2, 1, "2019100002")}});
  ASSERT_TRUE(Load().ok());
  EXPECT_EQ(Told(obs.problems, Sj("「2024年05月12日.jvUM2」（馬マスタ）がありません。")), 1);
  EXPECT_EQ(Told(obs.problems, Sj("「2024年05月12日.jvKS」（騎手マスタ）がありません。")), 1);
  EXPECT_EQ(Told(obs.problems, Sj("「2024年05月12日.jvCH」（調教師マスタ）がありません。")), 1);
  EXPECT_EQ(obs.problems.size(), 3u);
  EXPECT_EQ(obs.converted, std::vector<std::string>{date});  // a legacy horse master was looked for first
}

// A day whose one runner's horse master has `versions` of that horse (the last made newest).
class MasterIndexLoadTest : public LoadTest {
 protected:
  void SetUp() override {
    LoadTest::SetUp();
    Write(Data(".jvRA"), Race("20240512", "05", 1, 1));
    WriteEntries({{0, Entry("20240512", "05", 1, 1, "2019100001")}});
  }
  static std::string Horse(const char* made, const char* prize) {
    std::string r = Rec("UM", kLenUM);
    Put(r, 4, made);
    Put(r, 12, "2019100001");
    Put(r, 1089, prize);
    return r;
  }
  std::string Um(const char* prize) {
    std::string file;
    for (int i = 0; i < 50; ++i) {
      std::string other = Rec("UM", kLenUM);
      char reg[16];
      std::snprintf(reg, sizeof reg, "20181%05d", i);
      Put(other, 12, reg);
      file += other;
    }
    return file + Horse("20240101", "000000100") + Horse("20240510", prize);
  }
  // A load with nothing kept from an earlier one, as after the program starts.
  Status FreshLoad() {
    scratch = std::make_unique<LoadScratch>();
    obs.logs.clear();
    LoadInputs in;
    in.dateText = date;
    in.programFolder = home.path();
    in.clock = &clock;
    return LoadRaceDay(*day, in, obs, *scratch);
  }
  std::filesystem::path Index() { return MasterIndexPath(home.path(), date, ".jvUM2"); }
  int Prize() { return day->Races[0].Figures.CareerPrize[0]; }
  std::unique_ptr<LoadScratch> scratch;
};

TEST_F(MasterIndexLoadTest, MadeWhenMissingThenUsedUntilTheMasterIsReplaced) {
  Write(Data(".jvUM2"), Um("000123400"));
  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_EQ(Prize(), 1234);
  EXPECT_TRUE(scratch->um.keysRead());
  ASSERT_EQ(obs.logs.size(), 3u);  // the three masters' indexes, each named
  EXPECT_EQ(obs.logs[0].find(Sj("「") + PathText(Index().filename()) + Sj("」がないので")), 0u) << obs.logs[0];
  EXPECT_NE(testing::ReadBytes(home.path() / "ErrorLog.txt").find(obs.logs[0]), std::string::npos);
  EXPECT_TRUE(FileExists(Index()));

  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_TRUE(scratch->um.indexUsed());
  EXPECT_FALSE(scratch->um.keysRead());
  EXPECT_TRUE(obs.logs.empty());
  EXPECT_EQ(Prize(), 1234);

  // Replaced by hand (a rename, as a copy tool or a later download makes it), then written in
  // place: each time the index is of another file, noticed, made anew and used from then on.
  ASSERT_TRUE(WriteFileAtomic(Data(".jvUM2"), Um("000567800")).ok());
  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_EQ(Prize(), 5678);
  ASSERT_EQ(obs.logs.size(), 1u);
  EXPECT_NE(obs.logs[0].find(Sj("の今のファイルのものではない")), std::string::npos);
  Write(Data(".jvUM2"), Um("000999900") + Horse("20240511", "000111100"));
  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_EQ(Prize(), 1111);
  EXPECT_EQ(obs.logs.size(), 1u);
  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_TRUE(scratch->um.indexUsed());
  EXPECT_EQ(Prize(), 1111);
}

TEST_F(MasterIndexLoadTest, DamagedIndexIsNamedAndMadeAnew) {
  Write(Data(".jvUM2"), Um("000123400"));
  ASSERT_TRUE(FreshLoad().ok());
  const std::string good = testing::ReadBytes(Index());
  // A flipped byte in the entries, a torn file, an empty one.
  std::vector<std::string> bad = {good, good.substr(0, good.size() / 2), ""};
  bad[0][70] ^= 1;
  for (const std::string& b : bad) {
    Write(Index(), b);
    ASSERT_TRUE(FreshLoad().ok());
    EXPECT_EQ(Prize(), 1234);
    ASSERT_EQ(obs.logs.size(), 1u);
    EXPECT_EQ(obs.logs[0], Sj("「") + PathText(Index().filename()) + Sj("」が壊れていたので、マスタ「") +
                               PathText(Data(".jvUM2").filename()) + Sj("」から作り直しました。"));
    EXPECT_EQ(testing::ReadBytes(Index()), good);
  }
  ASSERT_TRUE(FreshLoad().ok());
  EXPECT_TRUE(scratch->um.indexUsed());
}

TEST_F(MasterIndexLoadTest, LegacyConversionLeavesAStaleIndexThatIsNoticed) {
  Write(Data(".jvUM2"), Um("000123400"));
  ASSERT_TRUE(FreshLoad().ok());
  // The modern master goes, a legacy one of the same horse comes: the load converts it.
  std::filesystem::remove(Data(".jvUM2"));
  std::string legacy(kLenLegacyUM, ' ');
  legacy.replace(0, 2, "UM");
  legacy.replace(11, 10, "2019100001");
  legacy.replace(1056, 9, "000424200");  // the prize, 32 bytes before where the widened layout has it
  Write(Data(".jvUMA"), legacy);
  const std::filesystem::path folder = home.path();
  obs.convertIn = &folder;
  ASSERT_TRUE(FreshLoad().ok());
  ASSERT_EQ(obs.converted.size(), 1u);
  EXPECT_EQ(day->Races[0].Runners[0].UmRecord.field(12, 10), "2019100001");
  EXPECT_EQ(Prize(), 4242);
  ASSERT_EQ(obs.logs.size(), 1u);
  EXPECT_NE(obs.logs[0].find(Sj("の今のファイルのものではない")), std::string::npos);
}

TEST_F(MasterIndexLoadTest, AFolderWithoutIndexesLoadsAsBeforeAndReadOnlyWritesNone) {
  Write(Data(".jvUM2"), Um("000123400"));
  LoadInputs in;
  in.dateText = date;
  in.programFolder = home.path();
  in.readOnly = true;
  ASSERT_TRUE(LoadRaceDay(*day, in, obs).ok());
  EXPECT_EQ(Prize(), 1234);
  EXPECT_EQ(day->Races[0].Runners[0].UmRecord.view(), Horse("20240510", "000123400"));
  EXPECT_EQ(obs.logs.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(home.path() / "Index"));
  EXPECT_TRUE(obs.problems.empty());
}

TEST_F(LoadTest, AReadOnlyLoadWritesNothing) {
  std::string ra;
  for (int r = 1; r <= 8; ++r) ra += Race("20240512", "05", r, 0);
  Write(Data(".jvRA"), ra);
  LoadInputs in;
  in.dateText = date;
  in.programFolder = home.path();
  in.readOnly = true;
  ASSERT_TRUE(LoadRaceDay(*day, in, obs).ok());
  EXPECT_EQ(obs.items.size(), 8u);
  for (const char* ext : {".CkIm", ".jvO1", ".jvO2", ".Hind"}) EXPECT_FALSE(std::filesystem::exists(Data(ext))) << ext;
  EXPECT_FALSE(std::filesystem::exists(home.path() / "Index"));
  EXPECT_TRUE(obs.problems.empty());
  in.readOnly = false;
  ASSERT_TRUE(LoadRaceDay(*day, in, obs).ok());
  for (const char* ext : {".CkIm", ".jvO1", ".jvO2"}) EXPECT_TRUE(std::filesystem::exists(Data(ext))) << ext;
}

TEST(LoadReport, OneBoxForEverythingTheLoadHasToTell) {
  const std::string date = DateText("20240512");
  EXPECT_EQ(LoadReport(date, Status::Ok(), 3, {}), "");
  EXPECT_EQ(LoadReport(date, Status::NotFound("x"), 0, {}),
            Sj("この日付のレースデータ（2024年05月12日.jvRA）が見つかりません。"));
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i) many.push_back("p" + std::to_string(i));
  const std::string text = LoadReport(date, Status::Ok(), 0, many);
  EXPECT_EQ(text.find(Sj("この日付にはレースがありません：2024年05月12日") + "\r\n" +
                      Sj("読み込めなかったデータがあります：") + "\r\np0\r\n"),
            0u)
      << text;
  EXPECT_NE(text.find("p9\r\n" + Sj("ほか2件")), std::string::npos);
  EXPECT_EQ(text.find("p10"), std::string::npos);
  EXPECT_EQ(LoadReport(date, Status::IoError(Sj("理由")), 0, {}), Sj("レースデータを読み込めませんでした：理由"));
}

TEST(MasterIndex, FirstRecordOfEachKeyAndBlankKeys) {
  TempDir dir;
  std::string file;
  const char* keys[] = {"00300", "00100", "     ", "00100", "00200", "00300"};
  for (int i = 0; i < 6; ++i) {
    std::string r = Rec("KS", kLenKS);
    Put(r, 12, keys[i]);
    Put(r, 20, std::to_string(i));
    file += r;
  }
  testing::WriteBytes(dir / "m.jvKS", file);
  MasterIndex idx;
  ASSERT_TRUE(idx.Load(dir / "m.jvKS", kLenKS, 12, 5).ok());
  EXPECT_EQ(Field(*idx.Find("00100"), 20, 1), "1");
  EXPECT_EQ(Field(*idx.Find("00300"), 20, 1), "0");
  EXPECT_EQ(Field(*idx.Find("00200"), 20, 1), "4");
  EXPECT_TRUE(idx.Find("     ")->empty());
  EXPECT_TRUE(idx.Find("0010")->empty());
  EXPECT_TRUE(idx.Find("00400")->empty());
  // Versions of one key made on different days: the newest, whatever its place in the file.
  std::string versions;
  const char* made[] = {"20240425", "20240509", "20240502", "20240509"};
  for (int i = 0; i < 4; ++i) {
    std::string r = Rec("UM", kLenUM);
    Put(r, 4, made[i]);
    Put(r, 12, "2020100120");
    Put(r, 1107, std::to_string(i));
    versions += r;
  }
  testing::WriteBytes(dir / "m.jvUM2", versions);
  MasterIndex um;
  ASSERT_TRUE(um.Load(dir / "m.jvUM2", kLenUM, 12, 10).ok());
  EXPECT_EQ(Field(*um.Find("2020100120"), 1107, 1), "1");  // the first of the two made last
  // Reused for another file: nothing of the first one is found.
  EXPECT_TRUE(idx.Load(dir / "none.jvKS", kLenKS, 12, 5).isNotFound());
  EXPECT_TRUE(idx.Find("00100")->empty());
}

// Keys with bytes above 0x7F (a damaged master, or Shift-JIS where digits belong) sort as bytes:
// every one is found, and the index file written for them is used, not taken for damaged.
TEST(MasterIndex, KeysOfAnyBytesAreFoundThroughTheIndexFile) {
  TempDir dir;
  std::string file;
  const char* keys[] = {"\x82\x50\x82\x51\x82", "00100", "\xff" "0000", "0\x81\x40\x90\x30"};
  for (int i = 0; i < 4; ++i) {
    std::string r = Rec("KS", kLenKS);
    Put(r, 12, keys[i]);
    Put(r, 20, std::to_string(i));
    file += r;
  }
  testing::WriteBytes(dir / "m.jvKS", file);
  for (bool fromIndex : {false, true}) {
    MasterIndex idx;
    ASSERT_TRUE(idx.Load(dir / "m.jvKS", kLenKS, 12, 5, dir / "m.idx", true).ok());
    EXPECT_EQ(idx.indexUsed(), fromIndex);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Field(*idx.Find(keys[i]), 20, 1), std::to_string(i)) << i;
  }
}

TEST(MasterIndex, KeysAcrossManyReadsAndRecordsReadWhenFound) {
  // Far more than one read's worth of records: every key and its newest version are found,
  // wherever its record lies, and a record is read from the file only when looked up.
  TempDir dir;
  std::string file;
  for (int i = 0; i < 1500; ++i) {
    std::string r = Rec("KS", kLenKS);
    char key[8];
    std::snprintf(key, sizeof key, "%05d", i % 700);
    Put(r, 4, i < 700 ? "20240101" : "20240301");  // the later copy of a key is newer
    Put(r, 12, key);
    Put(r, 20, std::to_string(i));
    file += r;
  }
  testing::WriteBytes(dir / "m.jvKS", file + "KS torn");
  MasterIndex idx;
  EXPECT_TRUE(idx.Load(dir / "m.jvKS", kLenKS, 12, 5).isCorruption());  // torn end reported, the rest kept
  EXPECT_EQ(idx.size(), 1500u);
  for (int k : {0, 99, 250, 251, 699}) {
    char key[8];
    std::snprintf(key, sizeof key, "%05d", k);
    auto rec = idx.Find(key);
    ASSERT_TRUE(rec.ok());
    EXPECT_EQ(std::string(TrimBlanks(Field(*rec, 20, 5))), std::to_string(k + 700)) << key;
  }
  // Closed: the file may be replaced, and nothing is read from it any more.
  idx.Close();
  testing::WriteBytes(dir / "m.jvKS", "");
  EXPECT_TRUE(idx.Find("00001")->empty());
}

TEST(MasterIndex, KeysKeptForTheSameFileUnchanged) {
  // Another load of the file indexed last reads no key again, under any of its names; a file
  // replaced, or written in place behind an unchanged stamp, is indexed anew.
  TempDir dir;
  auto file = [](const char* tag) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
      std::string r = Rec("KS", kLenKS);
      char key[8];
      std::snprintf(key, sizeof key, "%05d", i);
      Put(r, 12, key);
      Put(r, 20, tag);
      bytes += r;
    }
    return bytes;
  };
  const fs::path p = dir / "a.jvKS";
  testing::WriteBytes(p, file("old"));
  std::error_code ec;
  fs::create_hard_link(p, dir / "b.jvKS", ec);
  ASSERT_FALSE(ec) << ec.message();
  MasterIndex idx;
  ASSERT_TRUE(idx.Load(p, kLenKS, 12, 5).ok());
  EXPECT_TRUE(idx.keysRead());
  idx.Close();
  ASSERT_TRUE(idx.Load(p, kLenKS, 12, 5).ok());
  EXPECT_FALSE(idx.keysRead());
  EXPECT_EQ(Field(*idx.Find("00123"), 20, 3), "old");
  ASSERT_TRUE(idx.Load(dir / "b.jvKS", kLenKS, 12, 5).ok());
  EXPECT_FALSE(idx.keysRead());
  // Keyed otherwise: read again.
  ASSERT_TRUE(idx.Load(p, kLenKS, 13, 4).ok());
  EXPECT_TRUE(idx.keysRead());
  ASSERT_TRUE(idx.Load(p, kLenKS, 12, 5).ok());
  EXPECT_TRUE(idx.keysRead());

  // Replaced as every writer of the program replaces a file.
  idx.Close();
  ASSERT_TRUE(WriteFileAtomic(p, file("new")).ok());
  ASSERT_TRUE(idx.Load(p, kLenKS, 12, 5).ok());
  EXPECT_TRUE(idx.keysRead());
  EXPECT_EQ(Field(*idx.Find("00123"), 20, 3), "new");

  // Written in place by another program, its time put back: the same stamp, the records moved.
  idx.Close();
  const auto written = fs::last_write_time(p);
  std::string moved = file("mov");
  moved = moved.substr(kLenKS) + moved.substr(0, kLenKS);
  {
    std::fstream out(p, std::ios::in | std::ios::out | std::ios::binary);
    out.write(moved.data(), static_cast<std::streamsize>(moved.size()));
  }
  fs::last_write_time(p, written);
  ASSERT_TRUE(idx.Load(p, kLenKS, 12, 5).ok());
  auto rec = idx.Find("00123");
  ASSERT_TRUE(rec.ok()) << rec.status().message();
  EXPECT_EQ(Field(*rec, 12, 5), "00123");
  EXPECT_EQ(Field(*rec, 20, 3), "mov");
  EXPECT_EQ(Field(*idx.Find("00000"), 12, 5), "00000");
}

TEST(RaceDayReset, StartingValuesAndHelpers) {
  auto day = MakeRaceDay();
  day->Races[5].Figures.FinishRating[3] = 7;
  IniBtn(*day);
  const RaceFigures& f = day->Races[5].Figures;
  EXPECT_EQ(f.FinishRating[3], 0);
  EXPECT_EQ(f.PastLevel[17][19], -1);
  EXPECT_EQ(f.WinMargin[0], 1000);
  EXPECT_EQ(f.WeightChange[0], 999);
  EXPECT_EQ(OddsValue(" ---- "), -1);
  EXPECT_EQ(OddsValue("******"), -1);
  EXPECT_EQ(OddsValue("    "), -2);
  EXPECT_EQ(DaysBetween(20240228, 20240301), 2);
  EXPECT_EQ(TodayText({2024, 5, 2, 0, 0, 0}), DateText("20240502"));
}

}  // namespace
}  // namespace zelkova
