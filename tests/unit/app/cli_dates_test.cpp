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

CliRun Cli(const std::string& args) {
  return testing::RunCommand(testing::BinPath("zelkova-cli") + " " + args + " 2>/dev/null");
}

TEST(CliDatesTest, NewestFirstAndUsageErrors) {
  testing::TempDir home;
  for (const char* n : {"2024年05月12日.jvRA", "2024年05月19日.jvRA", "2024年05月19日.jvSE"})
    testing::WriteBytes(home / "Data" / n, "x");
  CliRun r = Cli("--home '" + home.path().string() + "' dates");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "2024年05月19日\n2024年05月12日\n");

  EXPECT_EQ(Cli("--home '" + home.path().string() + "' dates extra").status, 2);
  EXPECT_EQ(Cli("--home '" + home.path().string() + "' nonsense").status, 2);
  EXPECT_EQ(Cli("--home").status, 2);
  EXPECT_EQ(Cli("--home '" + (home / "missing").string() + "' dates").status, 1);
}

TEST(CliFeedTest, FeedFolderIsRememberedForTheNextRun) {
  testing::TempDir home;
  testing::WriteBytes(home / "zelkova.ini", "[locate]\r\ntop=5\r\n");
  std::filesystem::create_directories(home / "feed" / "stored");
  const std::string h = "--home '" + home.path().string() + "' ";
  ASSERT_EQ(Cli(h + "--feed '" + (home / "feed").string() + "' dates").status, 0);
  {
    TIniGT ini(home.path(), "zelkova");
    EXPECT_EQ(ini.ReadString("JVLink", "FeedFolder", ""), (home / "feed").string());
    EXPECT_EQ(ini.ReadInteger("locate", "top", 0), 5);  // the rest of the file stays
  }
  // Without --feed the remembered folder is used: nothing newer there, which is no error.
  CliRun r = Cli(h + "download --from '2000/01/01 00:00:00'");
  EXPECT_EQ(r.status, 0) << r.out;
  // A folder that does not exist, or a command that fails its arguments, changes nothing.
  EXPECT_EQ(Cli(h + "--feed '" + (home / "nowhere").string() + "' dates").status, 0);
  EXPECT_EQ(Cli(h + "--feed '" + (home / "nowhere").string() + "' nonsense").status, 2);
  TIniGT ini(home.path(), "zelkova");
  EXPECT_EQ(ini.ReadString("JVLink", "FeedFolder", ""), (home / "feed").string());
}

}  // namespace
}  // namespace zelkova
