// zelkova-cli as a program: the stored dates newest first, the checks every command makes before
// it starts (the program folder and its fixed files, a feed folder given with --feed), usage
// errors that name what is wrong, and a feed folder given once remembered for the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/ini_gt.h"
#include "app_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using CliRun = testing::CommandRun;

CliRun Cli(const std::vector<std::string>& args) { return testing::RunProgram("zelkova-cli", args); }

using testing::U8;
using testing::U8Path;

// A program folder as an installation has it: the fixed files, nothing else.
void Install(const std::filesystem::path& home) {
  for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) testing::WriteBytes(home / n, testing::Doubles(5488, 2.5));
  testing::WriteBytes(home / "SetGate.tbl", testing::Doubles(15 * 576, 1.45));
}

TEST(CliDatesTest, NewestFirstAndUsageErrors) {
  testing::TempDir home;
  Install(home.path());
  for (const char* n : {"2024年05月12日.jvRA", "2024年05月19日.jvRA", "2024年05月19日.jvSE"})
    testing::WriteBytes(home / "Data" / U8Path(n), "x");
  const std::string h = U8(home.path());
  CliRun r = Cli({"--home", h, "dates"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2024年05月19日\n2024年05月12日\n");

  EXPECT_EQ(Cli({"--home", h, "dates", "extra"}).status, 2);
  EXPECT_EQ(Cli({"--home", h, "nonsense"}).status, 2);
  EXPECT_EQ(Cli({"--home"}).status, 2);
  EXPECT_EQ(Cli({"--home", U8(home / "missing"), "dates"}).status, 1);
}

TEST(CliStartTest, HelpAndUnknownOptions) {
  CliRun help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* part : {"使い方: zelkova-cli", "--course 東京 --race 11", "--samples N     3～20", "--excel",
                           "終了コード: 0", "races DATE"})
    EXPECT_NE(help.out.find(part), std::string::npos) << part << "\n" << help.out;
  EXPECT_TRUE(help.err.empty());
  CliRun bogus = Cli({"--bogus", "dates"});
  EXPECT_EQ(bogus.status, 2);
  EXPECT_TRUE(bogus.out.empty());
  EXPECT_EQ(bogus.err, "zelkova-cli: 「--bogus」というオプションはありません（zelkova-cli --help で使い方を表示します）\n");
}

// Every command checks the program folder as the program does, with the program's messages.
TEST(CliStartTest, ProgramFolderAndFixedFilesAreChecked) {
  testing::TempDir home;
  const std::string h = U8(home.path());
  CliRun bare = Cli({"--home", h, "dates"});
  EXPECT_EQ(bare.status, 1);
  EXPECT_TRUE(bare.out.empty());
  EXPECT_NE(bare.err.find("「RTJ.dat」が見つかりません。インストールが正しく行われていない可能性があります。"),
            std::string::npos)
      << bare.err;
  EXPECT_NE(bare.err.find("SetGate.tbl が見つかりません。"), std::string::npos) << bare.err;
  Install(home.path());
  std::filesystem::remove(home / "RTN.dat");
  CliRun figures = Cli({"--home", h, "figures", "20240512"});
  EXPECT_EQ(figures.status, 1);
  EXPECT_NE(figures.err.find("「RTN.dat」が見つかりません。"), std::string::npos) << figures.err;
  Install(home.path());
  // A new program folder has no dates yet: nothing on stdout, where they come from on stderr.
  CliRun empty = Cli({"--home", h, "dates"});
  EXPECT_EQ(empty.status, 0);
  EXPECT_TRUE(empty.out.empty());
  EXPECT_NE(empty.err.find("まだ日付がありません"), std::string::npos) << empty.err;
  CliRun file = Cli({"--home", U8(home / "RTJ.dat"), "dates"});
  EXPECT_EQ(file.status, 1);
  EXPECT_NE(file.err.find("はフォルダではありません"), std::string::npos) << file.err;
}

TEST(CliFeedTest, FeedFolderIsCheckedAndRememberedForTheNextRun) {
  testing::TempDir home;
  Install(home.path());
  testing::WriteBytes(home / "zelkova.ini", "[locate]\r\ntop=5\r\n");
  std::filesystem::create_directories(home / "feed" / "stored");
  const std::string h = U8(home.path());
  ASSERT_EQ(Cli({"--home", h, "--feed", U8(home / "feed"), "dates"}).status, 0);
  {
    TIniGT ini(home.path(), "zelkova");
    EXPECT_EQ(ini.ReadString("JVLink", "FeedFolder", ""), U8(home / "feed"));
    EXPECT_EQ(ini.ReadInteger("locate", "top", 0), 5);  // the rest of the file stays
  }
  // Without --feed the remembered folder is used: nothing newer there, which is no error.
  CliRun r = Cli({"--home", h, "download", "--from", "2000/01/01 00:00:00"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  // A folder that does not exist, is a file or holds no feed is refused at start and not
  // remembered; so is a command that fails its arguments.
  CliRun nowhere = Cli({"--home", h, "--feed", U8(home / "nowhere"), "dates"});
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_NE(nowhere.err.find("フィードフォルダ「" + U8(home / "nowhere") + "」がありません。"), std::string::npos)
      << nowhere.err;
  CliRun file = Cli({"--home", h, "--feed", U8(home / "RTJ.dat"), "download"});
  EXPECT_EQ(file.status, 1);
  EXPECT_NE(file.err.find("」はフォルダではありません。"), std::string::npos) << file.err;
  CliRun noFeed = Cli({"--home", h, "--feed", h, "download"});
  EXPECT_EQ(noFeed.status, 1);
  EXPECT_NE(noFeed.err.find("」はJV-Dataのフィードフォルダではありません"), std::string::npos) << noFeed.err;
  EXPECT_EQ(Cli({"--home", h, "--feed", U8(home / "feed"), "nonsense"}).status, 2);
  TIniGT ini(home.path(), "zelkova");
  EXPECT_EQ(ini.ReadString("JVLink", "FeedFolder", ""), U8(home / "feed"));
}

}  // namespace
}  // namespace zelkova
