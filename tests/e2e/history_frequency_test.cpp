// A generated season downloaded by the CLI: `frequency` sums exactly what the per-day .Hind files
// hold, makes the missing and damaged ones from the stored files, and `history` shows a runner's
// stored earlier runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "base/fixed_fields.h"
#include "records/code_tables.h"
#include "records/record.h"
#include "store/stored_paths.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::ReadBytes;
using zelkova::testing::TempDir;
using Proc = zelkova::testing::CommandRun;

std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep)
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

// A .Hind file read on its own terms: 432 little-endian 32-bit counts.
std::vector<int64_t> HindCounts(const fs::path& p) {
  std::string b = ReadBytes(p);
  std::vector<int64_t> v;
  if (b.size() != 1728) {
    ADD_FAILURE() << p << " has " << b.size() << " bytes";
    return std::vector<int64_t>(432);
  }
  for (size_t i = 0; i < 432; ++i) {
    uint32_t x = 0;
    for (int k = 3; k >= 0; --k) x = (x << 8) | static_cast<unsigned char>(b[i * 4 + static_cast<size_t>(k)]);
    v.push_back(static_cast<int32_t>(x));
  }
  return v;
}

// The counts of the table `frequency` prints: cell (3c + p, r + 1) is count [c][p][r].
std::vector<int64_t> TableCounts(const std::string& out) {
  std::vector<std::string> lines = Split(out, '\n');
  std::vector<int64_t> v(432);
  if (lines.size() < 20) {
    ADD_FAILURE() << out;
    return v;
  }
  for (int r = 1; r <= 18; ++r) {
    std::vector<std::string> cells = Split(lines[static_cast<size_t>(r + 1)], '\t');
    EXPECT_EQ(cells.size(), 25u) << lines[static_cast<size_t>(r + 1)];
    for (int c = 0; c < 8; ++c)
      for (int p = 1; p <= 3; ++p)
        if (static_cast<size_t>(3 * c + p) < cells.size())
          v[static_cast<size_t>(c * 54 + (p - 1) * 18 + r - 1)] = zelkova::ParseInt(cells[static_cast<size_t>(3 * c + p)]);
  }
  return v;
}

class HistoryFrequencyE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    home_ = dir_->path() / "home";
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_->path(), 17);
    ASSERT_TRUE(failed.empty()) << failed;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static Proc Cli(const std::string& cmd) { return zelkova::testing::RunCommand(cmd, dir_->path() / "err.txt"); }
  static Proc Zelkova(const std::string& args) {
    return Cli(Bin("zelkova-cli") + " --home '" + home_.string() + "' " + args);
  }
  // Date texts (UTF-8 stems) of the stored files with extension `ext`.
  static std::vector<std::string> Stems(const char* ext) {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(home_ / "Data"))
      if (e.path().extension() == ext) out.push_back(e.path().stem().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  static std::string Digits(const std::string& stem) { return stem.substr(0, 4) + stem.substr(7, 2) + stem.substr(12, 2); }

  static TempDir* dir_;
  static fs::path home_;
};

TempDir* HistoryFrequencyE2E::dir_ = nullptr;
fs::path HistoryFrequencyE2E::home_;

TEST_F(HistoryFrequencyE2E, SeasonTableIsTheSumOfTheDaysFiles) {
  const std::vector<std::string> days = Stems(".jvRA");
  ASSERT_GE(days.size(), 5u);
  EXPECT_TRUE(Stems(".Hind").empty());
  Proc all = Zelkova("frequency --from 20000101");
  ASSERT_EQ(all.status, 0) << all.err;
  // Every stored day got its file, and the table is their sum.
  ASSERT_EQ(Stems(".Hind"), days);
  std::vector<int64_t> sum(432);
  for (const std::string& d : days) {
    std::vector<int64_t> c = HindCounts(home_ / "Data" / (d + ".Hind"));
    for (size_t i = 0; i < 432; ++i) sum[i] += c[i];
  }
  EXPECT_EQ(TableCounts(all.out), sum);
  int64_t total = 0;
  for (int64_t v : sum) total += v;
  EXPECT_GT(total, 100);
  // One summary line per rating after a blank line; the winners ranked 1st come from the table.
  std::vector<std::string> lines = Split(all.out, '\n');
  ASSERT_GE(lines.size(), 29u);
  EXPECT_EQ(lines[20], "");
  std::vector<std::string> first = Split(lines[21], '\t');
  ASSERT_EQ(first.size(), 7u) << lines[21];
  EXPECT_EQ(first[0], "着RT");
  EXPECT_EQ(first[2], std::to_string(sum[0]) + "/" + std::to_string([&] {
                        int64_t w = 0;
                        for (int r = 0; r < 18; ++r) w += sum[static_cast<size_t>(r)];
                        return w;
                      }()));
  EXPECT_EQ(Split(lines[28], '\t')[0], "SP");

  // A range sums its own days only; a second run reads the stored files and agrees.
  const std::string from = Digits(days[1]), to = Digits(days[days.size() - 2]);
  Proc part = Zelkova("frequency --from " + from + " --to " + to);
  ASSERT_EQ(part.status, 0) << part.err;
  std::vector<int64_t> partSum(432);
  for (size_t k = 1; k + 1 < days.size(); ++k) {
    std::vector<int64_t> c = HindCounts(home_ / "Data" / (days[k] + ".Hind"));
    for (size_t i = 0; i < 432; ++i) partSum[i] += c[i];
  }
  EXPECT_EQ(TableCounts(part.out), partSum);
  EXPECT_NE(part.err.find("（うち0日は保存ファイルから計算）"), std::string::npos) << part.err;
}

TEST_F(HistoryFrequencyE2E, DamagedDayIsReportedAndMadeAgain) {
  Proc before = Zelkova("frequency --from 20000101");
  ASSERT_EQ(before.status, 0) << before.err;
  const std::vector<std::string> days = Stems(".jvRA");
  const fs::path victim = home_ / "Data" / (days[days.size() / 2] + ".Hind");
  const std::string good = ReadBytes(victim);
  zelkova::testing::WriteBytes(victim, good.substr(0, 700));
  Proc after = Zelkova("frequency --from 20000101");
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_NE(after.err.find(days[days.size() / 2] + "の集計ファイルを使えません"), std::string::npos) << after.err;
  EXPECT_NE(after.err.find("（うち1日は保存ファイルから計算）"), std::string::npos) << after.err;
  EXPECT_EQ(after.out, before.out);
  EXPECT_EQ(ReadBytes(victim), good);
}

TEST_F(HistoryFrequencyE2E, HistoryShowsTheRunnersStoredEarlierRuns) {
  // The last day's first race at its first racecourse; the runner with the most stored history.
  const std::string day = Stems(".jvRA").back();
  const std::string ra = ReadBytes(home_ / "Data" / (day + ".jvRA"));
  size_t first = 0;
  while (first + zelkova::kLenRA <= ra.size() && zelkova::IsBlank(std::string_view(ra).substr(first + 11, 4)))
    first += zelkova::kLenRA;
  ASSERT_LE(first + zelkova::kLenRA, ra.size());
  const std::string_view rec(ra.data() + first, zelkova::kLenRA);
  const std::string course(zelkova::Field(rec, 20, 2));
  const int race = static_cast<int>(zelkova::FieldInt(rec, 26, 2));
  const int date = static_cast<int>(zelkova::FieldInt(rec, 12, 8));
  const std::string se = ReadBytes(home_ / "Data" / (day + zelkova::Cp932ToUtf8Lossy(zelkova::CourseNameW(course, 2)) + ".jvSEr"));
  int bestHorse = 0;
  size_t bestRuns = 0;
  for (int h = 0; h < 18; ++h) {
    const size_t at = (static_cast<size_t>(race - 1) * 18 + static_cast<size_t>(h)) * zelkova::kLenSE;
    if (at + zelkova::kLenSE > se.size()) break;
    const std::string_view entry(se.data() + at, zelkova::kLenSE);
    const std::string reg(zelkova::Field(entry, 31, 10));
    if (!zelkova::IsRegistrationNumber(reg)) continue;
    const std::string sei = ReadBytes(zelkova::HorsePath(home_, reg));
    size_t runs = 0;
    for (size_t k = 0; k + zelkova::kLenSE <= sei.size(); k += zelkova::kLenSE)
      runs += zelkova::FieldInt(std::string_view(sei.data() + k, zelkova::kLenSE), 12, 8) < date;
    if (runs > bestRuns) {
      bestRuns = runs;
      bestHorse = h + 1;
    }
  }
  ASSERT_GT(bestHorse, 0) << "no runner of " << day << " has run before";
  Proc r = Zelkova("history " + Digits(day) + " --race " + std::to_string(race) + " --horse " +
                  std::to_string(bestHorse) + " --course " + course);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = Split(r.out, '\n');
  ASSERT_GT(lines.size(), 20u);
  EXPECT_EQ(lines[1].rfind("総着実績：\t", 0), 0u) << lines[1];
  EXPECT_EQ(lines[12], "勝率・連率・複率は実績の単純計算ではなく、期待確率として補正された数値となっております。");
  // The grid after the blank line: the titles, then one row per earlier run (20 at most), newest first.
  size_t titles = 0;
  while (titles < lines.size() && lines[titles].rfind("No\t", 0) != 0) ++titles;
  ASSERT_LT(titles, lines.size());
  std::vector<std::string> rows;
  for (size_t i = titles + 1; i < lines.size() && !lines[i].empty(); ++i) rows.push_back(lines[i]);
  EXPECT_EQ(rows.size(), std::min<size_t>(bestRuns, 20));
  for (size_t i = 0; i < rows.size(); ++i) {
    std::vector<std::string> cells = Split(rows[i], '\t');
    ASSERT_EQ(cells.size(), 28u) << rows[i];
    if (i > 0) {
      EXPECT_GE(Split(rows[i - 1], '\t')[1], cells[1]);
    }
  }
  // Ambiguous or missing races are refused clearly.
  EXPECT_EQ(Zelkova("history " + Digits(day) + " --race 13 --horse 1").status, 2);
  EXPECT_EQ(Zelkova("history 19990101 --race 1 --horse 1").status, 1);
}

}  // namespace
