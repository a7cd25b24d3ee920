// zelkova-cli dates as a program: the stored dates newest first, usage errors exit non-zero.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "test_support.h"

namespace zelkova {
namespace {

struct CliRun {
  int status;
  std::string out;
};

CliRun Cli(const std::string& args) {
  std::string cmd = std::string(ZELKOVA_BIN_DIR) + "/zelkova-cli " + args + " 2>/dev/null";
  CliRun r{-1, {}};
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 256> buf;
  while (fgets(buf.data(), buf.size(), p)) r.out += buf.data();
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
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

}  // namespace
}  // namespace zelkova
