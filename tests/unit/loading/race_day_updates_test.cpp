#include <gtest/gtest.h>

#include "base/file_io.h"
#include "racedata/race_day_updates.h"
#include "store/stored_paths.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::TempDir;

void Put(std::string& rec, size_t pos, std::string_view text) { rec.replace(pos - 1, text.size(), text); }

std::string Blank(size_t len) {
  std::string r(len, ' ');
  r.replace(len - 2, 2, "\r\n");
  return r;
}

// A day of two races at course 05 on 2024-05-12 (races 1 and 2), loaded as far as the weight
// import needs: race records and entry records.
class WeightImport : public ::testing::Test {
 protected:
  void SetUp() override {
    day = MakeRaceDay();
    IniBtn(*day);
    for (int r = 0; r < 2; ++r) {
      std::string ra = Blank(kLenRA);
      Put(ra, 1, "RA");
      Put(ra, 12, r == 0 ? "2024051205010201" : "2024051205010202");
      day->Races[r].RaRecord.assign(ra);
    }
    day->RaceCount = 2;
    day->WhPath = DataPath(home.path(), DateText("20240512"), ".jvWH");
  }
  // A WH record of race `race` with `entries` (horse slot -> weight field "486+004" style).
  static std::string Wh(int race, const std::vector<std::pair<int, std::string>>& entries) {
    std::string wh = Blank(kLenWH);
    Put(wh, 1, "WH");
    Put(wh, 12, race == 1 ? "2024051205010201" : "2024051205010202");
    for (const auto& [h, text] : entries) Put(wh, 74 + 45 * static_cast<size_t>(h), text);
    return wh;
  }
  void Entry(int race, int h, std::string_view weight) {
    std::string se = Blank(kLenSE);
    Put(se, 1, "SE");
    Put(se, 325, weight);
    day->Races[race].Runners[h].SeRecord.assign(se);
  }
  const RaceFigures& F(int race) const { return day->Races[race].Figures; }

  TempDir home;
  std::unique_ptr<RaceDay> day;
};

TEST_F(WeightImport, WeightRecordsEntryRecordsAndBlanks) {
  // Race 2's record comes first in the file: records go to the slot with their key.
  testing::WriteBytes(day->WhPath, Wh(2, {{0, "502+003"}}) + Wh(1, {{0, "486-012"}, {1, "470 000"}, {2, "   -   "}}));
  Entry(0, 1, "455+002");  // the entry record's weight wins over the weight record's
  Entry(0, 3, "510-   ");  // weight only in the entry record, blank change
  Entry(1, 0, "000+009");  // no weight in the entry record: the weight record's stays
  ASSERT_TRUE(BataijuReadBtn(*day).ok());

  EXPECT_EQ(day->Races[0].WhRecord.field(12, 16), "2024051205010201");
  EXPECT_EQ(F(0).HorseWeight[0], 486);
  EXPECT_EQ(F(0).WeightChange[0], -12);
  EXPECT_EQ(F(0).HorseWeight[1], 455);
  EXPECT_EQ(F(0).WeightChange[1], 2);
  EXPECT_EQ(F(0).HorseWeight[2], 0);  // blank fields give 0, a lone "-" too
  EXPECT_EQ(F(0).WeightChange[2], 0);
  EXPECT_EQ(F(0).HorseWeight[3], 510);
  EXPECT_EQ(F(0).WeightChange[3], 0);
  EXPECT_EQ(F(0).WeightChange[17], 0);  // the reset's 999 is replaced for every slot
  EXPECT_EQ(F(1).HorseWeight[0], 502);
  EXPECT_EQ(F(1).WeightChange[0], 3);
}

// 999: the horse could not be weighed; 000: it was scratched. Neither is a weight.
TEST_F(WeightImport, UnweighedAndScratchedWeightsAreNoWeight) {
  testing::WriteBytes(day->WhPath, Wh(1, {{0, "999    "}, {1, "000    "}, {2, "480+004"}, {3, "486-002"}}));
  Entry(0, 3, "999    ");  // an unweighed entry record leaves the weight record's weight
  Entry(0, 4, "000    ");
  ASSERT_TRUE(BataijuReadBtn(*day).ok());
  for (int h : {0, 1, 4}) {
    EXPECT_EQ(F(0).HorseWeight[h], 0) << h;
    EXPECT_EQ(F(0).WeightChange[h], 0) << h;
  }
  EXPECT_EQ(F(0).HorseWeight[3], 486);
  const RaceInfo& race = day->Races[0];
  EXPECT_FALSE(ScratchedByWeight(race, 0));
  EXPECT_TRUE(ScratchedByWeight(race, 1));  // by the weight record
  EXPECT_FALSE(ScratchedByWeight(race, 2));
  EXPECT_TRUE(ScratchedByWeight(race, 4));  // by the entry record
  EXPECT_FALSE(ScratchedByWeight(race, 17));
}

TEST_F(WeightImport, AMissingFileBlanksTheWeightRecordsAndKeepsEntryWeights) {
  testing::WriteBytes(day->WhPath, Wh(1, {{0, "486-012"}}));
  ASSERT_TRUE(BataijuReadBtn(*day).ok());
  ASSERT_EQ(F(0).HorseWeight[0], 486);
  std::filesystem::remove(day->WhPath);
  Entry(0, 4, "498-004");
  ASSERT_TRUE(BataijuReadBtn(*day).ok());
  EXPECT_TRUE(day->Races[0].WhRecord.empty());
  EXPECT_EQ(F(0).HorseWeight[0], 0);
  EXPECT_EQ(F(0).HorseWeight[4], 498);
  EXPECT_EQ(F(0).WeightChange[4], -4);
}

}  // namespace
}  // namespace zelkova
