// A feed recorded by the CLI from a generated feed serves the same data: downloading either
// into an empty program folder gives the same stored files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::ReadBytes;
using zelkova::testing::RunProgram;
using zelkova::testing::TempDir;
using zelkova::testing::U8;

std::map<std::string, std::string> StoredTree(const fs::path& home) {
  std::map<std::string, std::string> out;
  for (const char* top : {"Data", "SEI", "SEIR"})
    for (auto& e : fs::recursive_directory_iterator(home / top))
      if (e.is_regular_file()) out[U8(fs::relative(e.path(), home))] = ReadBytes(e.path());
  return out;
}

TEST(RecordFeedTest, ARecordedFeedDownloadsToTheSameFiles) {
  TempDir t;
  ASSERT_EQ(RunProgram("zelkova-feedgen", {"--out", U8(t / "feed"), "--scale", "demo"}).status, 0);
  auto rec = RunProgram("zelkova-cli", {"--feed", U8(t / "feed"), "record-feed", "--out", U8(t / "rec"), "--from",
                                        "2024/05/01 00:00:00", "--realtime", "20240519"});
  ASSERT_EQ(rec.status, 0) << rec.out << rec.err;
  EXPECT_NE(rec.out.find("に記録しました：蓄積系ファイル"), std::string::npos) << rec.out;
  EXPECT_TRUE(fs::exists(t / "rec" / "version.txt"));
  EXPECT_FALSE(fs::is_empty(t / "rec" / "realtime" / "0B30"));

  std::map<std::string, std::string> trees[2];
  int i = 0;
  for (const char* feed : {"feed", "rec"}) {
    const fs::path home = t / (std::string("home-") + feed);
    for (const char* fixed : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
      fs::copy_file(fs::path(ZELKOVA_BIN_DIR) / fixed, (fs::create_directories(home), home / fixed));
    auto r = RunProgram("zelkova-cli",
                        {"--home", U8(home), "--feed", U8(t / feed), "download", "--from", "2024/05/01 00:00:00"});
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    trees[i++] = StoredTree(home);
  }
  EXPECT_GT(trees[0].size(), 20u);
  EXPECT_TRUE(trees[0] == trees[1]);

  // Without a feed, away from Windows, there is nothing to record from; the commands that
  // download say so too, once no feed folder is remembered either.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"record-feed", "--out", U8(t / "x"), "--realtime", "20240519"},
        {"--home", U8(t / "fresh"), "download"}, {"--home", U8(t / "fresh"), "jvlink-setup"}}) {
    auto r = RunProgram("zelkova-cli", args);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("JV-LinkはWindowsにだけあります。記録したJV-Dataのフィードフォルダを--feedで指定してください。"),
              std::string::npos) << r.err;
  }
  EXPECT_EQ(RunProgram("zelkova-cli", {"--feed", U8(t / "feed"), "record-feed", "--out", U8(t / "x")}).status, 2);
  EXPECT_EQ(RunProgram("zelkova-cli", {"--feed", U8(t / "feed"), "record-feed", "--out", U8(t / "x"), "--realtime",
                                       "20241332"}).status, 2);
}

}  // namespace
