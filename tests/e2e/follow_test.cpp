// A generated race day followed by zelkova-cli on a fast clock: odds come once per race before its
// post, results, payouts and weights at the interval, and a follower interrupted or killed at any
// moment leaves every stored file whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::CommandRun;
using zelkova::testing::ReadBytes;
using zelkova::testing::TempDir;

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// Record length (CR LF included) of the stored kinds a follower writes.
size_t LengthOf(const std::string& ext) {
  static const std::map<std::string, size_t> lengths = {{".jvRA", 1272}, {".jvSEr", 555}, {".jvHR", 719},
                                                        {".jvWH", 847},  {".jvO1", 962},  {".jvO2", 2042}};
  auto it = lengths.find(ext);
  return it == lengths.end() ? 0 : it->second;
}

// Every file of the Data folder is whole records of its kind, and no temporary file is left.
void ExpectWholeDataFiles(const fs::path& home, const std::string& when) {
  for (auto& e : fs::directory_iterator(home / "Data")) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << when << ": temporary file " << name;
    const size_t len = LengthOf(e.path().extension().string());
    if (len == 0) continue;
    const std::string bytes = ReadBytes(e.path());
    ASSERT_EQ(bytes.size() % len, 0u) << when << ": " << name << " is not whole records";
    for (size_t at = 0; at < bytes.size(); at += len)
      ASSERT_EQ(bytes.compare(at + len - 2, 2, "\r\n"), 0) << when << ": " << name << " record " << at / len;
  }
}

class FollowE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const fs::path base = dir_->path() / "base";
    fs::create_directories(base);
    for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
      fs::copy_file(fs::path(ZELKOVA_BIN_DIR) / f, base / f);
    CommandRun gen = Run(Bin("zelkova-feedgen") + " --out " + Q(Feed()) + " --scale test --seed 5 --today 2024-05-19");
    ASSERT_EQ(gen.status, 0) << gen.err;
    CommandRun dl = Run(Bin("zelkova-cli") + " --home " + Q(base) + " --feed " + Q(Feed()) +
                        " download --from \"2024/05/01 00:00:00\"");
    ASSERT_EQ(dl.status, 0) << dl.err;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Feed() { return dir_->path() / "feed"; }
  static CommandRun Run(const std::string& cmd) { return zelkova::testing::RunCommand(cmd, dir_->path() / "stderr.txt"); }
  // A program folder holding the downloaded days, fresh for each test.
  static fs::path Home(const std::string& name) {
    const fs::path home = dir_->path() / name;
    fs::remove_all(home);
    fs::copy(dir_->path() / "base", home, fs::copy_options::recursive);
    return home;
  }
  static std::string Follow(const fs::path& home, const std::string& options) {
    return Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(Feed()) + " follow 20240519 " + options;
  }

  static TempDir* dir_;
};

TempDir* FollowE2E::dir_ = nullptr;

TEST_F(FollowE2E, ARaceDayArrivesByItselfOnAFastClock) {
  const fs::path home = Home("day");
  CommandRun r = Run(Follow(home, "--clock \"2024-05-19 09:00\" --clock-speed 7200 --until 17:00"));
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const auto lines = Lines(r.out);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "オッズ自動取得を始めます");
  EXPECT_EQ(lines.back(), "17:00:00 終わりました");
  // One odds fetch per race, each at its odds time and each storing a snapshot.
  const std::regex odds(R"((\d\d:\d\d):\d\d オッズ (.+) 読込2件 保存2件 正常)");
  std::set<std::string> races;
  int results = 0, weights = 0;
  for (const auto& l : lines) {
    std::smatch m;
    if (std::regex_match(l, m, odds)) {
      EXPECT_TRUE(races.insert(m[2]).second) << "fetched twice: " << l;
    }
    if (l.find(" 成績 20240519 ") != std::string::npos) ++results;
    if (l.find(" 馬体重 20240519 ") != std::string::npos) ++weights;
  }
  std::smatch count;
  ASSERT_TRUE(std::regex_search(lines[0], count, std::regex("（(\\d+)レース）"))) << lines[0];
  const int raceCount = std::stoi(count[1]);
  EXPECT_EQ(static_cast<int>(races.size()), raceCount) << r.out;
  EXPECT_GE(results, 20);  // every 15 minutes from before the first race on
  EXPECT_EQ(results, weights);
  // Before the first results JV-Link has nothing newer: said once on the fetch's line, no error.
  EXPECT_NE(r.out.find("読込0件 保存0件 新しいデータはまだありません\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("(-1)"), std::string::npos) << r.out;
  // By 17:00 every race has its payouts, weights and odds on disk.
  const std::string day = "2024年05月19日";
  EXPECT_EQ(ReadBytes(home / "Data" / (day + ".jvHR")).size(), 719u * raceCount);
  EXPECT_EQ(ReadBytes(home / "Data" / (day + ".jvWH")).size(), 847u * raceCount);
  const std::string o1 = ReadBytes(home / "Data" / (day + ".jvO1"));
  for (int i = 0; i < raceCount; ++i) EXPECT_EQ(o1.substr(962u * i, 2), "O1") << "race slot " << i;
  ExpectWholeDataFiles(home, "after the day");
  // The same feed again changes nothing: every record is already stored.
  CommandRun again = Run(Follow(home, "--clock \"2024-05-19 16:40\" --clock-speed 7200 --until 17:00"));
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("16:55:00 成績 20240519 読込"), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("保存1件"), std::string::npos) << again.out;
}

TEST_F(FollowE2E, AnotherDaysClockOrABadOptionIsRefused) {
  const fs::path home = Home("refused");
  CommandRun r = Run(Follow(home, "--clock \"2024-05-20 09:00\""));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("は時計の日（2024年05月20日）ではありません"), std::string::npos) << r.err;
  EXPECT_EQ(Run(Follow(home, "--clock-speed 0")).status, 2);
  EXPECT_EQ(Run(Follow(home, "--until 25:00")).status, 2);
  EXPECT_EQ(Run(Follow(home, "--clock \"2024-05-19 9:00\"")).status, 2);
}

TEST_F(FollowE2E, AnInterruptEndsTheFollowerWithItsFilesWhole) {
  const fs::path home = Home("interrupted");
  // In the background the shell would have the follower ignore SIGINT; it takes the signal anyway.
  CommandRun r = Run("( " + Follow(home, "--clock \"2024-05-19 10:10\" --clock-speed 600") +
                     " & pid=$!; sleep 2; kill -INT $pid; wait $pid; echo status=$? )");
  EXPECT_NE(r.out.find(" 中断しました\nstatus=130"), std::string::npos) << r.out;
  ExpectWholeDataFiles(home, "after the interrupt");
}

TEST_F(FollowE2E, AFollowerKilledWhileMergingLeavesWholeFiles) {
  const fs::path home = Home("killed");
  // Cut after a number of records, in the middle of a results stream.
  for (const char* n : {"1", "45", "400"}) {
    CommandRun r = Run("ZELKOVA_ABORT_AFTER=" + std::string(n) + " " +
                       Follow(home, "--clock \"2024-05-19 12:00\" --clock-speed 7200 --until 16:00"));
    EXPECT_EQ(r.status, 137) << "not cut after " << n << " records: " << r.out;
    ExpectWholeDataFiles(home, std::string("killed after ") + n + " records");
  }
  // Killed from outside at any moment; the next run cleans what a cut write left.
  for (const char* delay : {"0.3", "0.9"}) {
    Run("( " + Follow(home, "--clock \"2024-05-19 13:00\" --clock-speed 3600 --until 16:00") + " & pid=$!; sleep " +
        delay + "; kill -KILL $pid; wait $pid )");
    for (auto& e : fs::directory_iterator(home / "Data")) {
      const std::string name = e.path().filename().string();
      if (name.find(".tmp") != std::string::npos) continue;  // a cut write, never read
      const size_t len = LengthOf(e.path().extension().string());
      if (len) {
        EXPECT_EQ(fs::file_size(e.path()) % len, 0u) << name << " after a kill at " << delay << " s";
      }
    }
  }
  CommandRun rest = Run(Follow(home, "--clock \"2024-05-19 16:50\" --clock-speed 7200 --until 17:00"));
  ASSERT_EQ(rest.status, 0) << rest.err;
  ExpectWholeDataFiles(home, "after a run following the kills");
}

}  // namespace
