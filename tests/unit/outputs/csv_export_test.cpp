// The CSV export: the exact heading, the race fields, the finishers' blocks with their rules,
// the payouts as stored, and the file as written (CR LF, atomic, nothing left on failure).
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "base/cp932.h"
#include "base/file_io.h"
#include "output/csv_export.h"
#include "output_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::MakeDay;
using testing::Put;
using testing::TempDir;

// The heading a spreadsheet or a user's script reads, as published.
const char* const kHeaderUtf8 =
    "\"年月日\",\"場所回日R\",\"開催地\",\"頭数\",\"グレード\",\"重量区分\",\"クラス\",\"クラスCode\",\"トラック\",\"コース\",\""
    "距離\",\"芝状態\",\"ダ状態\",\"人気占有率\",\"1着馬番\",\"馬名\",\"馬齢\",\"性別\",\"騎手名\",\"着RT\",\"着RT順\",\"勝利"
    "着差\",\"勝分類\",\"連対着差\",\"連対着差順\",\"人RT\",\"人RT順\",\"支持率\",\"推支持率\",\"展RT\",\"展RT順\",\"平脚\","
    "\"平脚順\",\"当日馬体重\",\"連対馬体重\",\"R間隔\",\"能力M\",\"能力M順\",\"能平均\",\"能平均順\",\"SP\",\"SP順\",\"3F"
    "\",\"3F順\",\"3FMax\",\"短3F\",\"中3F\",\"長3F\",\"予備1\",\"予備2\",\"予備3\",\"予備4\",\"2着馬番\",\"馬名"
    "\",\"馬齢\",\"性別\",\"騎手名\",\"着RT\",\"着RT順\",\"勝利着差\",\"勝分類\",\"連対着差\",\"連対着差順\",\"人RT\",\"人R"
    "T順\",\"支持率\",\"推支持率\",\"展RT\",\"展RT順\",\"平脚\",\"平脚順\",\"当日馬体重\",\"連対馬体重\",\"R間隔\",\"能力M\","
    "\"能力M順\",\"能平均\",\"能平均順\",\"SP\",\"SP順\",\"3F\",\"3F順\",\"3FMax\",\"短3F\",\"中3F\",\"長3F\","
    "\"予備1\",\"予備2\",\"予備3\",\"予備4\",\"3着馬番\",\"馬名\",\"馬齢\",\"性別\",\"騎手名\",\"着RT\",\"着RT順\",\"勝"
    "利着差\",\"勝分類\",\"連対着差\",\"連対着差順\",\"人RT\",\"人RT順\",\"支持率\",\"推支持率\",\"展RT\",\"展RT順\",\"平脚\""
    ",\"平脚順\",\"当日馬体重\",\"連対馬体重\",\"R間隔\",\"能力M\",\"能力M順\",\"能平均\",\"能平均順\",\"SP\",\"SP順\",\"3F"
    "\",\"3F順\",\"3FMax\",\"短3F\",\"中3F\",\"長3F\",\"予備1\",\"予備2\",\"予備3\",\"予備4\",\"単人気1\",\"単配"
    "当1\",\"複人気1\",\"複配当1\",\"複人気2\",\"複配当2\",\"複人気3\",\"複配当3\",\"枠連1\",\"枠人気1\",\"枠配当1\",\"馬連1"
    "\",\"馬連人気1\",\"馬連配当1\",\"ワイド1\",\"ワイド人気1\",\"ワイド配当1\",\"ワイド2\",\"ワイド人気2\",\"ワイド配当2\",\"ワイド"
    "3\",\"ワイド人気3\",\"ワイド配当3\",\"馬単1\",\"馬単人気1\",\"馬単配当1\",\"三連複1\",\"三連複人気1\",\"三連複配当1\",\"三連単"
    "1\",\"三連単人気1\",\"三連単配当1\"";

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < line.size()) {
    EXPECT_EQ(line[at], '"') << line;
    size_t end = line.find('"', at + 1);
    out.push_back(line.substr(at + 1, end - at - 1));
    at = end + 1;
    if (at < line.size()) {
      EXPECT_EQ(line[at], ',');
      ++at;
    }
  }
  return out;
}

// Field index (0-based) of horse block b (0..2), field k (1-based as in the column list).
size_t H(int b, int k) { return 14 + 38 * static_cast<size_t>(b) + static_cast<size_t>(k) - 1; }
constexpr size_t kPay = 14 + 3 * 38;

TEST(CsvExport, HeadingIsThePublishedLine) {
  EXPECT_EQ(CsvHeaderLine(), Sj(kHeaderUtf8));
  EXPECT_EQ(Fields(CsvHeaderLine()).size(), 160u);
}

TEST(CsvExport, TwentyFourRacesGiveTwentyFiveLinesOf160QuotedFields) {
  auto day = MakeDay(24);
  auto lines = CsvLines(*day);
  ASSERT_EQ(lines.size(), 25u);
  for (const auto& l : lines) EXPECT_EQ(Fields(l).size(), 160u) << l;
  // A slot whose year is 0 gives no row.
  Put(day->Races[5].RaRecord, 12, "0000");
  EXPECT_EQ(CsvLines(*day).size(), 24u);
}

TEST(CsvExport, RaceFields) {
  auto day = MakeDay(12);
  day->Races[10].Figures.TopThreeShare = 45.25;
  auto f = Fields(CsvRaceRow(day->Races[10]));
  EXPECT_EQ(f[0], "2024/05/12");
  EXPECT_EQ(f[1], Sj("東京02回08日11R"));
  EXPECT_EQ(f[2], "05");
  EXPECT_EQ(f[3], "16");
  EXPECT_EQ(f[4], Sj("Ｇ３"));
  EXPECT_EQ(f[5], Sj("馬齢"));
  EXPECT_EQ(f[6], Sj("3歳上1勝ｸﾗｽ"));
  EXPECT_EQ(f[7], "13005");
  EXPECT_EQ(f[8], Sj("芝"));
  EXPECT_EQ(f[9], Sj("左"));
  EXPECT_EQ(f[10], "1600");
  EXPECT_EQ(f[11], Sj("良"));
  EXPECT_EQ(f[12], Sj("　"));
  EXPECT_EQ(f[13], " 45.2");
  // A blank grade code is two full-width blanks.
  Put(day->Races[10].RaRecord, 615, " ");
  EXPECT_EQ(Fields(CsvRaceRow(day->Races[10]))[4], Sj("　　"));
}

TEST(CsvExport, FinisherBlocksFollowThePlacePayouts) {
  auto day = MakeDay(1);
  RaceFigures& g = day->Races[0].Figures;
  g.FinishRating[2] = 0.1234;
  g.FinishRatingRank[2] = 1;
  g.WinMargin[2] = 1000;   // no career start
  g.PlaceMargin[2] = 100;  // never placed
  g.WinMargin[4] = -0.25;
  g.PlaceMargin[4] = 1.5;
  g.PlaceMarginRank[4] = 3;
  g.EstimatedSupport[2] = 0;
  g.EstimatedSupport[4] = 12.345;
  g.SupportRate[4] = 20;
  g.HorseWeight[4] = 480;
  g.WeightWhenFirstOrSecond[4] = 476.4;
  g.DaysSinceLastRun[4] = 27;
  g.PopularityRatingRank[4] = 2;  // ranked with a rating of 0: the rank alone
  g.AbilityMax[4] = 55.5;
  g.AbilityMaxRank[4] = 4;
  g.BestLast3FOnClass[2] = 1000;
  g.BestLast3FOnClass[4] = 34.56;
  g.WinClass[4].Assign("B");
  auto f = Fields(CsvRaceRow(day->Races[0]));
  EXPECT_EQ(f[H(0, 1)], "03");
  EXPECT_EQ(f[H(0, 2)], Sj("テストホース03") + "    ");  // 18 bytes as stored
  EXPECT_EQ(f[H(0, 3)], "04");
  EXPECT_EQ(f[H(0, 4)], Sj("牡"));
  EXPECT_EQ(f[H(0, 5)], Sj("騎手03") + "  ");
  EXPECT_EQ(f[H(0, 6)], "  12.3");
  EXPECT_EQ(f[H(0, 7)], " 1");
  EXPECT_EQ(f[H(0, 8)], Sj("初"));
  EXPECT_EQ(f[H(0, 10)], Sj("－"));
  EXPECT_EQ(f[H(0, 11)], "");
  EXPECT_EQ(f[H(0, 14)], "");
  EXPECT_EQ(f[H(0, 15)], "   0.0");  // always written
  EXPECT_EQ(f[H(0, 31)], "");
  EXPECT_EQ(f[H(1, 1)], "05");
  EXPECT_EQ(f[H(1, 6)], "");
  EXPECT_EQ(f[H(1, 8)], " -0.25");
  EXPECT_EQ(f[H(1, 9)], "B");
  EXPECT_EQ(f[H(1, 10)], "  1.50");
  EXPECT_EQ(f[H(1, 11)], " 3");
  EXPECT_EQ(f[H(1, 12)], "");
  EXPECT_EQ(f[H(1, 13)], " 2");
  EXPECT_EQ(f[H(1, 14)], "  20.0");
  EXPECT_EQ(f[H(1, 15)], "  12.3");
  EXPECT_EQ(f[H(1, 20)], "480");
  EXPECT_EQ(f[H(1, 21)], "476");
  EXPECT_EQ(f[H(1, 22)], "  3");
  EXPECT_EQ(f[H(1, 23)], "  55.5");
  EXPECT_EQ(f[H(1, 24)], " 4");
  EXPECT_EQ(f[H(1, 31)], "34.6");
  EXPECT_EQ(f[H(2, 1)], "01");
  // No third place named: the block is empty.
  Put(day->Races[0].HrRecord, 168, "00");
  f = Fields(CsvRaceRow(day->Races[0]));
  for (int k = 1; k <= 38; ++k) EXPECT_EQ(f[H(2, k)], "") << k;
}

TEST(CsvExport, ThreeFurlongClassesFollowTheSurface) {
  auto day = MakeDay(3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 6; ++c) day->Races[r].Figures.Last3FByClass[2][c] = 33.0 + c;
  Put(day->Races[1].RaRecord, 706, "24");  // dirt, right-handed
  Put(day->Races[2].RaRecord, 706, "53");  // jumps
  auto turf = Fields(CsvRaceRow(day->Races[0]));
  auto dirt = Fields(CsvRaceRow(day->Races[1]));
  auto jump = Fields(CsvRaceRow(day->Races[2]));
  EXPECT_EQ(std::vector<std::string>(turf.begin() + H(0, 32), turf.begin() + H(0, 35)),
            (std::vector<std::string>{"33.0", "34.0", "35.0"}));
  EXPECT_EQ(std::vector<std::string>(dirt.begin() + H(0, 32), dirt.begin() + H(0, 35)),
            (std::vector<std::string>{"36.0", "37.0", "38.0"}));
  EXPECT_EQ(std::vector<std::string>(jump.begin() + H(0, 32), jump.begin() + H(0, 35)),
            (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(dirt[8], Sj("ダ"));
  EXPECT_EQ(dirt[9], Sj("右"));
  EXPECT_EQ(jump[8], Sj("障"));
  EXPECT_EQ(jump[9], Sj("障"));
}

TEST(CsvExport, PayoutsAreCopiedAsStored) {
  auto day = MakeDay(1);
  auto f = Fields(CsvRaceRow(day->Races[0]));
  EXPECT_EQ(f[kPay + 0], "02");
  EXPECT_EQ(f[kPay + 1], "000000350");
  EXPECT_EQ(f[kPay + 2], "01");
  EXPECT_EQ(f[kPay + 3], "000000130");
  EXPECT_EQ(f[kPay + 8], "");  // no bracket quinella paid
  EXPECT_EQ(f[kPay + 11], " 03-05");
  EXPECT_EQ(f[kPay + 12], "004");
  EXPECT_EQ(f[kPay + 13], "000001230");
  EXPECT_EQ(f[kPay + 31], "");
}

TEST(CsvExport, RaceWithoutPayoutsHasEmptyHorseAndPayoutFields) {
  auto day = MakeDay(1);
  day->Races[0].HrRecord.clear();
  auto f = Fields(CsvRaceRow(day->Races[0]));
  ASSERT_EQ(f.size(), 160u);
  EXPECT_EQ(f[1], Sj("東京02回08日01R"));
  for (size_t i = 14; i < 160; ++i) EXPECT_EQ(f[i], "") << i;
}

TEST(CsvExport, WritesTheFileWholeWithCrLf) {
  TempDir home;
  auto day = MakeDay(24);
  auto path = ExportCsv(*day, home.path());
  ASSERT_TRUE(path.ok()) << path.status().message();
  EXPECT_EQ(*path, home / "CSV" / "20240512.csv");
  std::string bytes = testing::ReadBytes(*path);
  EXPECT_EQ(bytes, JoinLinesCrLf(CsvLines(*day)));
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(CsvDoneMessage(Sj("2024年05月12日")), Sj("2024年05月12日のCSVファイルを出力しました。"));
}

TEST(CsvExport, FailuresLeaveNoPartialFile) {
  TempDir home;
  auto day = MakeDay(2);
  // Nothing loaded: no file and a message.
  auto empty = MakeRaceDay();
  EXPECT_FALSE(ExportCsv(*empty, home.path()).ok());
  EXPECT_FALSE(std::filesystem::exists(home / "CSV"));
  // A full disk: the earlier export stays whole and no temporary is left.
  ASSERT_TRUE(ExportCsv(*day, home.path()).ok());
  const std::string before = testing::ReadBytes(home / "CSV" / "20240512.csv");
  SetWriteFaultForTesting([](const std::filesystem::path&) { return Status::IoError("No space left on device"); });
  auto full = ExportCsv(*MakeDay(24), home.path());
  SetWriteFaultForTesting(nullptr);
  ASSERT_FALSE(full.ok());
  EXPECT_NE(full.status().message().find(Sj("CSVファイルを出力できませんでした")), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(home / "CSV" / "20240512.csv"), before);
  size_t files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(home / "CSV")) ++files;
  EXPECT_EQ(files, 1u);
}

TEST(CsvExport, UnwritableFolderIsReported) {
  TempDir home;
  // A file where the folder should be: no folder can be made there.
  testing::WriteBytes(home / "CSV", "not a folder");
  auto blocked = ExportCsv(*MakeDay(2), home.path());
  ASSERT_FALSE(blocked.ok());
  EXPECT_NE(blocked.status().message().find(Sj("CSVファイルを出力できませんでした")), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(home / "CSV"), "not a folder");
}

TEST(CsvExport, ReadOnlyFolderIsReported) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows lets anyone write into a read-only folder";
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
#endif
  TempDir home;
  std::filesystem::create_directories(home / "CSV");
  std::filesystem::permissions(home / "CSV", std::filesystem::perms(0555));
  auto r = ExportCsv(*MakeDay(2), home.path());
  std::filesystem::permissions(home / "CSV", std::filesystem::perms(0755));
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(std::filesystem::is_empty(home / "CSV"));
}

}  // namespace
}  // namespace zelkova
