#include "analysis/rank_frequency.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/cp932.h"
#include "base/file_io.h"
#include "analysis/rating_tables.h"
#include "day/day_frequency.h"
#include "settings/gate_table.h"
#include "records/code_tables.h"
#include "store/stored_paths.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::TempDir;

template <size_t L>
void Put(RecordImage<L>& img, size_t pos, std::string_view text) {
  std::memcpy(img.bytes.data() + pos - 1, text.data(), text.size());
}
std::string S(const char* utf8) { return Sj(utf8); }

// Race slot r with `finishes` (SE 335 texts) for horses 1..n.
void SetRace(RaceDay& day, int r, const char* year, std::vector<const char*> finishes) {
  RaceInfo& race = day.Races[static_cast<size_t>(r)];
  Put(race.RaRecord, 12, year);
  Put(race.RaRecord, 20, "05");
  char n[3];
  std::snprintf(n, sizeof n, "%02d", static_cast<int>(finishes.size()));
  Put(race.RaRecord, 882, n);
  for (size_t h = 0; h < finishes.size(); ++h) Put(race.Runners[h].SeRecord, 335, finishes[h]);
  day.RaceCount = std::max(day.RaceCount, r + 1);
}

TEST(RankDay, DeadHeatCountsTwiceAndRacesWithoutResultsAddNothing) {
  auto day = MakeRaceDay();
  // A dead heat for first: horses 1 and 2 both "01".
  SetRace(*day, 0, "2024", {"01", "01", "03", "04", "00"});
  RaceFigures& f = day->Races[0].Figures;
  f.FinishRatingRank = {2, 1, 5, 3, 4};
  f.SpeedOnClassRank = {1, 0, 19, 2, 3};  // unranked and out-of-table ranks count nowhere
  // No results yet: ranks, but no finishing positions.
  SetRace(*day, 1, "2024", {"00", "  ", "00"});
  day->Races[1].Figures.FinishRatingRank = {1, 2, 3};
  // A slot without a year is not a race.
  SetRace(*day, 2, "    ", {"01"});
  day->Races[2].Figures.FinishRatingRank = {1};
  RankFrequency c = RankDay(*day);
  EXPECT_EQ(c[FrequencyIndex(0, 1, 2)], 1);
  EXPECT_EQ(c[FrequencyIndex(0, 1, 1)], 1);
  EXPECT_EQ(c[FrequencyIndex(0, 3, 5)], 1);
  EXPECT_EQ(c[FrequencyIndex(7, 1, 1)], 1);
  int all = 0, speed = 0;
  for (int p = 1; p <= 3; ++p)
    for (int r = 1; r <= 18; ++r) {
      all += c[FrequencyIndex(0, p, r)];
      speed += c[FrequencyIndex(7, p, r)];
    }
  EXPECT_EQ(all, 3);
  EXPECT_EQ(speed, 1);
  // Flat order: category, then position, then rank.
  EXPECT_EQ(FrequencyIndex(1, 1, 1), 54u);
  EXPECT_EQ(FrequencyIndex(0, 2, 1), 18u);
}

TEST(HindFile, WrittenReadBackAndDamageLeavesTheCountsAlone) {
  TempDir dir;
  auto day = MakeRaceDay();
  SetRace(*day, 0, "2024", {"01", "02", "03"});
  day->Races[0].Figures.PrizeRank = {3, 2, 1};
  day->HindPath = dir / "Data" / "d.Hind";
  day->DateText = DateText("20240512");
  RankFrequency written{};
  ASSERT_TRUE(HindoRankBtn(*day, written).ok());
  EXPECT_EQ(written[FrequencyIndex(5, 1, 3)], 1);
  EXPECT_EQ(std::filesystem::file_size(day->HindPath), 1728u);
  RankFrequency read{};
  ASSERT_TRUE(HindoReadBtn(*day, read).ok());
  EXPECT_EQ(read, written);

  RankFrequency keep{};
  keep[7] = 5;
  testing::WriteBytes(day->HindPath, std::string(1000, '\0'));
  Status s = HindoReadBtn(*day, keep);
  EXPECT_TRUE(s.isCorruption());
  EXPECT_NE(s.message().find("1000"), std::string::npos);
  EXPECT_EQ(keep[7], 5);
  // The right size, but counts no day can hold.
  RankFrequency bad{};
  bad[3] = -4;
  ASSERT_TRUE(WriteHind(day->HindPath, bad).ok());
  EXPECT_TRUE(HindoReadBtn(*day, keep).isCorruption());
  EXPECT_EQ(keep[7], 5);
  std::filesystem::remove(day->HindPath);
  EXPECT_TRUE(HindoReadBtn(*day, keep).isNotFound());
}

TEST(FrequencyGrid, FixedTextsAndCounts) {
  RankFrequency c{};
  c[FrequencyIndex(2, 3, 18)] = 123;
  c[FrequencyIndex(0, 1, 1)] = 7;
  auto g = FrequencyGrid(&c);
  ASSERT_EQ(g.rowCount(), 20);
  ASSERT_EQ(g.colCount(), 25);
  EXPECT_EQ(g.name(), "StringGrid15");
  EXPECT_EQ(g.cell(0, 1), S("着RT"));
  EXPECT_EQ(g.cell(0, 22), "SP");
  EXPECT_EQ(g.cell(0, 2), "");
  EXPECT_EQ(g.cell(1, 1), S("1着"));
  EXPECT_EQ(g.cell(1, 24), S("3着"));
  EXPECT_EQ(g.cell(2, 0), " 1");
  EXPECT_EQ(g.cell(19, 0), "18");
  EXPECT_EQ(g.cell(2, 1), " 7");
  EXPECT_EQ(g.cell(19, 9), "123");
  EXPECT_EQ(g.cell(5, 5), " 0");
  EXPECT_EQ(FrequencyGrid(nullptr).cell(5, 5), "");
  EXPECT_EQ(g.style(1, 5).background, kSilver);
  EXPECT_EQ(g.style(3, 0).background, (Rgb{0, 255, 255}));
  EXPECT_EQ(g.style(3, 1).background, kInfoBackground);
}

TEST(DemeCell, FinishersRanksInTheirColoursAndThePayouts) {
  auto day = MakeRaceDay();
  SetRace(*day, 0, "2024", {"02", "01", "03"});
  SetRace(*day, 1, "2024", {"01"});
  Put(day->Races[1].RaRecord, 20, "06");  // the next racecourse's first race
  RaceInfo& race = day->Races[0];
  Put(race.HrRecord, 142, "02");
  Put(race.HrRecord, 155, "01");
  Put(race.HrRecord, 168, "03");
  Put(race.HrRecord, 105, "000000450");
  race.Figures.FinishRatingRank = {1, 4, 0};
  race.Figures.FinalPopularity = {1, 2, 3};
  auto texts = [](const PaintList& pl) {
    std::vector<std::pair<std::string, Rgb>> t;
    for (const PaintOp& op : pl.ops())
      if (op.kind == PaintOp::Kind::Text) t.push_back({op.text, op.colour});
    return t;
  };
  auto cell = texts(DemeCell(*day, 0, 1, 1, 90, 25));
  ASSERT_EQ(cell.size(), 3u);
  EXPECT_EQ(cell[0], std::make_pair(std::string(" 4"), kBlack));
  EXPECT_EQ(cell[1], std::make_pair(std::string(" 1"), kRed));
  EXPECT_EQ(cell[2], std::make_pair(std::string(" "), kBlack));
  auto pay = texts(DemeCell(*day, 0, 9, 1, 90, 25));
  ASSERT_EQ(pay.size(), 3u);
  EXPECT_EQ(pay[0], std::make_pair(std::string(" 2"), kBlue));
  EXPECT_EQ(pay[1].first, "     450");
  EXPECT_EQ(pay[2].first, " ");
  // Row 2 of this racecourse would be another racecourse's race: background only.
  PaintList other = DemeCell(*day, 0, 1, 2, 90, 25);
  ASSERT_EQ(other.ops().size(), 1u);
  EXPECT_EQ(other.ops()[0].colour, (Rgb{255, 251, 240}));
  EXPECT_EQ(texts(DemeCell(*day, 0, 9, 0, 90, 40)).size(), 4u);  // 確定, 単人, 単勝配当, 馬連配当
  auto empty = MakeRaceDay();
  EXPECT_TRUE(DemeCell(*empty, 0, 1, 1, 90, 25).empty());
}

class SumTest : public ::testing::Test {
 protected:
  struct Recorder : SumObserver {
    void Label4(const std::string& t) override { labels.push_back(t); }
    void Problem(const std::string& t) override { problems.push_back(t); }
    std::vector<std::string> labels, problems;
  };
  std::filesystem::path Hind(const char* yyyymmdd) { return DataPath(home.path(), DateText(yyyymmdd), ".Hind"); }
  void WriteDay(const char* yyyymmdd, int32_t v) {
    RankFrequency c{};
    c[0] = v;
    c[431] = 1;
    ASSERT_TRUE(WriteHind(Hind(yyyymmdd), c).ok());
  }
  TempDir home;
  Recorder obs;
};

TEST_F(SumTest, LowerBoundMonthOnlyAndStrayNamesAreReported) {
  WriteDay("20100331", 100);
  WriteDay("20100401", 20);
  WriteDay("20100430", 3);
  WriteDay("20240105", 1);
  testing::WriteBytes(home.path() / "Data" / "notes.HIND", std::string(1728, '\0'));
  auto files = ListFrequencyFiles(home.path());
  ASSERT_EQ(files.size(), 5u);
  SumResult r = SumFrequencyFiles(files, 2010, 4, nullptr, obs);
  EXPECT_EQ(r.summed, 3);
  EXPECT_EQ(r.sum[0], 24);
  EXPECT_EQ(r.sum[431], 3);
  ASSERT_EQ(obs.labels.size(), 3u);
  EXPECT_EQ(obs.labels[0], S("集計中(1)：2010年04月01日"));
  ASSERT_EQ(obs.problems.size(), 1u);
  EXPECT_NE(obs.problems[0].find("notes.HIND"), std::string::npos);
}

TEST_F(SumTest, DamagedFileIsReportedRecomputedAndNothingElseChanges) {
  WriteDay("20240105", 2);
  WriteDay("20240106", 5);
  testing::WriteBytes(Hind("20240107"), "short");
  const std::string before = testing::ReadBytes(Hind("20240106"));
  std::vector<std::string> asked;
  RecomputeFn recompute = [&](const std::string& date) -> Result<RankFrequency> {
    asked.push_back(date);
    RankFrequency c{};
    c[0] = 40;
    return c;
  };
  SumResult r = SumFrequencyFiles(ListFrequencyFiles(home.path()), 2005, 1, recompute, obs);
  EXPECT_EQ(asked, std::vector<std::string>{DateText("20240107")});
  EXPECT_EQ(r.summed, 3);
  EXPECT_EQ(r.recomputed, 1);
  EXPECT_EQ(r.sum[0], 47);
  ASSERT_EQ(obs.problems.size(), 1u);
  EXPECT_EQ(obs.problems[0].rfind(DateText("20240107") + S("の集計ファイルを使えません（"), 0), 0u);
  EXPECT_NE(obs.problems[0].find(S("作り直します")), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(Hind("20240106")), before);

  // When it cannot be made again it is left out and the rest is still summed.
  obs.problems.clear();
  r = SumFrequencyFiles(ListFrequencyFiles(home.path()), 2005, 1,
                        [](const std::string&) -> Result<RankFrequency> { return Status::NotFound("gone"); }, obs);
  EXPECT_EQ(r.summed, 2);
  EXPECT_EQ(r.skipped, 1);
  EXPECT_EQ(r.sum[0], 7);
  EXPECT_EQ(obs.problems.size(), 2u);
}

// ---- the day layer: the load stores the counts, and a damaged file is made again by a load

std::string Rec(char a, char b, size_t len) {
  std::string r(len, ' ');
  r[0] = a;
  r[1] = b;
  r[len - 2] = '\r';
  r[len - 1] = '\n';
  return r;
}
void PutS(std::string& rec, size_t pos, std::string_view text) { rec.replace(pos - 1, text.size(), text); }

class DayFrequencyTest : public SumTest {
 protected:
  void SetUp() override { ASSERT_TRUE(EnsureDir(home.path() / "Data").ok()); }
  // One race of three runners at Tokyo on `ymd`: horse 1 wins, 2 and 3 dead-heat for second.
  void StoreDay(const std::string& ymd) {
    std::string ra = Rec('R', 'A', kLenRA);
    PutS(ra, 12, ymd + "05010201");
    PutS(ra, 882, "03");
    testing::WriteBytes(DataPath(home.path(), DateText(ymd), ".jvRA"), ra);
    std::string se;
    const char* finish[3] = {"01", "02", "02"};
    // The entry file holds twelve races of 18 slots, as a downloaded one does.
    for (int h = 0; h < 12 * 18; ++h) {
      std::string r = Rec('S', 'E', kLenSE);
      if (h < 3) {
        PutS(r, 12, ymd + "05010201");
        PutS(r, 29, "0" + std::to_string(h + 1));
        PutS(r, 335, finish[h]);
      }
      se += r;
    }
    testing::WriteBytes(DataPath(home.path(), DateText(ymd), CourseNameW("05", 2) + ".jvSEr"), se);
    // The masters a download gives every date (of other horses and people here).
    testing::WriteBytes(DataPath(home.path(), DateText(ymd), ".jvUM2"), Rec('U', 'M', kLenUM));
    testing::WriteBytes(DataPath(home.path(), DateText(ymd), ".jvKS"), Rec('K', 'S', kLenKS));
    testing::WriteBytes(DataPath(home.path(), DateText(ymd), ".jvCH"), Rec('C', 'H', kLenCH));
  }
  LoadInputs Inputs(const std::string& ymd, bool rated = true) {
    LoadInputs in;
    in.dateText = DateText(ymd);
    in.programFolder = home.path();
    if (rated) {
      in.tables = &tables;
      in.gates = &gates;
    }
    return in;
  }
  struct Shown : LoadObserver {
    void ShowRankFrequency(const HindCounts& c) override { shown.push_back(c); }
    void Problem(const std::string& t) override { problems.push_back(t); }
    std::vector<HindCounts> shown;
    std::vector<std::string> problems;
  };
  RatingTables tables;
  GateTable gates;
};

TEST_F(DayFrequencyTest, LoadStoresTheDaysCountsOnlyWhenItRanks) {
  StoreDay("20240512");
  auto day = MakeRaceDay();
  Shown shown;
  ASSERT_TRUE(LoadRaceDay(*day, Inputs("20240512", false), shown).ok());
  EXPECT_FALSE(FileExists(Hind("20240512")));  // nothing ranked: nothing stored
  EXPECT_TRUE(shown.shown.empty());
  ASSERT_TRUE(LoadRaceDay(*day, Inputs("20240512"), shown).ok());
  auto stored = ReadDayFrequency(Hind("20240512"));
  ASSERT_TRUE(stored.ok());
  EXPECT_EQ(*stored, RankDay(*day));
  int prizeCounts = 0;
  for (int p = 1; p <= 3; ++p)
    for (int r = 1; r <= 18; ++r) prizeCounts += (*stored)[FrequencyIndex(5, p, r)];
  EXPECT_EQ(prizeCounts, 3);  // the winner and both second places
  ASSERT_EQ(shown.shown.size(), 2u);  // ranked, then read back
  EXPECT_EQ(shown.shown[1], *stored);
  EXPECT_TRUE(shown.problems.empty());
}

TEST_F(DayFrequencyTest, SumBtnMakesADamagedDayAgainFromItsStoredFiles) {
  StoreDay("20240512");
  StoreDay("20240519");
  auto day = MakeRaceDay();
  LoadObserver quiet;
  ASSERT_TRUE(LoadRaceDay(*day, Inputs("20240512"), quiet).ok());
  ASSERT_TRUE(LoadRaceDay(*day, Inputs("20240519"), quiet).ok());
  const std::string good = testing::ReadBytes(Hind("20240512"));
  const std::string race = testing::ReadBytes(DataPath(home.path(), DateText("20240519"), ".jvRA"));
  testing::WriteBytes(Hind("20240519"), good.substr(0, 100));
  SumResult r = SumBtn(Inputs("20240512"), 2024, 5, obs);
  EXPECT_EQ(r.summed, 2);
  EXPECT_EQ(r.recomputed, 1);
  ASSERT_EQ(obs.problems.size(), 1u);
  EXPECT_NE(obs.problems[0].find("100"), std::string::npos);
  // Repaired on disk, the other day and the stored race untouched, and the sum is both days.
  EXPECT_EQ(testing::ReadBytes(Hind("20240519")), good);
  EXPECT_EQ(testing::ReadBytes(Hind("20240512")), good);
  EXPECT_EQ(testing::ReadBytes(DataPath(home.path(), DateText("20240519"), ".jvRA")), race);
  auto one = ReadDayFrequency(Hind("20240512"));
  for (size_t i = 0; i < r.sum.size(); ++i) EXPECT_EQ(r.sum[i], 2 * (*one)[i]) << i;
}

TEST_F(DayFrequencyTest, RangeSumComputesMissingDaysAndSkipsOthers) {
  StoreDay("20240512");
  StoreDay("20240519");
  StoreDay("20240602");
  const std::vector<std::string> dates = {DateText("20240602"), DateText("20240519"), DateText("20240512")};
  DayFrequencyRecomputer recompute(Inputs("20240512"), obs);
  SumResult r = SumFrequencyRange(home.path(), dates, 20240513, 20240531, recompute.Fn(), obs);
  EXPECT_EQ(r.summed, 1);
  EXPECT_EQ(r.recomputed, 1);
  EXPECT_TRUE(FileExists(Hind("20240519")));
  EXPECT_FALSE(FileExists(Hind("20240512")));
  EXPECT_TRUE(obs.problems.empty());
  // Without the rating files a missing day cannot be ranked: reported and left out.
  DayFrequencyRecomputer unranked(Inputs("20240512", false), obs);
  SumResult none = SumFrequencyRange(home.path(), dates, 20240601, 20240630, unranked.Fn(), obs);
  EXPECT_EQ(none.summed, 0);
  EXPECT_EQ(none.skipped, 1);
  EXPECT_EQ(obs.problems.size(), 1u);
}

}  // namespace
}  // namespace zelkova
