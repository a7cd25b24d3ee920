// zelkova-cli as a program: the stored dates newest first, usage errors exit non-zero, and a
// feed folder given once is remembered for the next run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/ini_gt.h"
#include "test_support.h"

namespace zelkova {
namespace {

using CliRun = testing::CommandRun;

CliRun Cli(const std::vector<std::string>& args) { return testing::RunProgram("zelkova-cli", args); }

using testing::U8;
using testing::U8Path;

TEST(CliDatesTest, NewestFirstAndUsageErrors) {
  testing::TempDir home;
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

TEST(CliFeedTest, FeedFolderIsRememberedForTheNextRun) {
  testing::TempDir home;
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
  // A folder that does not exist, or a command that fails its arguments, changes nothing.
  EXPECT_EQ(Cli({"--home", h, "--feed", U8(home / "nowhere"), "dates"}).status, 0);
  EXPECT_EQ(Cli({"--home", h, "--feed", U8(home / "nowhere"), "nonsense"}).status, 2);
  TIniGT ini(home.path(), "zelkova");
  EXPECT_EQ(ini.ReadString("JVLink", "FeedFolder", ""), U8(home / "feed"));
}

}  // namespace
}  // namespace zelkova
