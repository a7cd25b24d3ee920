// The program folder as both programs meet it: paths typed relative to where they were typed, a
// folder that cannot be written opened and looked at, one download at a time, a new folder
// started by its first download, and a download that brings nothing new.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "base/file_io.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using zelkova::testing::TempDir;
using Proc = zelkova::testing::CommandRun;

std::string Bin(const char* name) { return zelkova::testing::BinPath(name); }
std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }
size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class ProgramFolderE2E : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const std::string failed = zelkova::testing::MakeDownloadedHome(dir_->path(), 7);
    ASSERT_TRUE(failed.empty()) << failed;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Feed() { return dir_->path() / "feed"; }
  // A copy of the downloaded program folder, fresh for each test.
  static fs::path Home(const std::string& name) {
    const fs::path home = dir_->path() / name;
    fs::remove_all(home);
    fs::copy(dir_->path() / "home", home, fs::copy_options::recursive);
    return home;
  }
  static Proc Run(const std::string& cmd) { return zelkova::testing::RunCommand(cmd, dir_->path() / "stderr.txt"); }
  static bool GuiBuilt() { return fs::exists(std::string(ZELKOVA_BIN_DIR) + "/zelkova"); }
  // The newest stored day with payouts, as yyyymmdd.
  static std::string DayWithResults(const fs::path& home) {
    std::string newest;
    for (auto& e : fs::directory_iterator(zelkova::ChildPath(home, "Data")))
      if (e.path().extension() == ".jvHR") newest = std::max(newest, zelkova::PathToUtf8(e.path().stem()));
    return newest.substr(0, 4) + newest.substr(7, 2) + newest.substr(12, 2);
  }
  // Every entry below `home` with its size and time: what a run that writes nothing leaves alone.
  static std::map<std::string, std::string> Listing(const fs::path& home) {
    std::map<std::string, std::string> out;
    for (auto& e : fs::recursive_directory_iterator(home))
      out[fs::relative(e.path(), home).string()] =
          (e.is_regular_file() ? std::to_string(e.file_size()) : "dir") + "@" +
          std::to_string(e.last_write_time().time_since_epoch().count());
    return out;
  }

  static TempDir* dir_;
};

TempDir* ProgramFolderE2E::dir_ = nullptr;

TEST_F(ProgramFolderE2E, PathsAreTakenFromTheFolderTheyWereTypedIn) {
  if (!GuiBuilt()) GTEST_SKIP() << "the program is not built";
  const fs::path home = Home("typed-home"), typed = dir_->path() / "typed";
  fs::create_directories(typed / "shots");
  fs::create_directories(typed / "out");
  const std::string d = DayWithResults(home);
  const std::string zelkova = "cd " + Q(typed) + " && env QT_QPA_PLATFORM=offscreen " + Bin("zelkova") +
                              " --home ../typed-home --date " + d;
  Proc shot = Run(zelkova + " --screenshot shots/x.png");
  ASSERT_EQ(shot.status, 0) << shot.err;
  EXPECT_EQ(zelkova::testing::ReadBytes(typed / "shots" / "x.png").substr(1, 3), "PNG");
  Proc pdf = Run(zelkova + " --print-pdf out/day.pdf");
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  EXPECT_EQ(zelkova::testing::ReadBytes(typed / "out" / "day.pdf").substr(0, 4), "%PDF");
  for (const char* stray : {"x.png", "shots", "out", "day.pdf"}) EXPECT_FALSE(fs::exists(home / stray)) << stray;
  // A folder that is not there is named as typed, made absolute.
  Proc missing = Run(zelkova + " --screenshot none/x.png");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find((typed / "none" / "x.png").string()), std::string::npos) << missing.err;
}

TEST_F(ProgramFolderE2E, AFolderThatCannotBeWrittenIsLookedAtAndKeptAsItWas) {
  const fs::path home = Home("read-only");
  const std::string d = DayWithResults(home);
  // Where the unprivileged run may put its picture.
  const fs::path shots = dir_->path() / "ro-shots";
  fs::create_directories(shots);
  fs::permissions(shots, fs::perms::all);
  zelkova::testing::SetTreeWritable(home, false);
  const auto before = Listing(home);
  const std::string as = zelkova::testing::UnprivilegedPrefix();
  const std::string said = "何も保存されません";
  for (const std::string& cmd : {"view " + d, "figures " + d, std::string("dates")}) {
    Proc p = Run(as + Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(Feed()) + " " + cmd);
    EXPECT_EQ(p.status, 0) << cmd << "\n" << p.err;
    EXPECT_FALSE(p.out.empty()) << cmd;
    EXPECT_EQ(Count(p.err, said), 1u) << cmd << "\n" << p.err;
    EXPECT_EQ(p.err.find(".tmp"), std::string::npos) << p.err;
  }
  // Work that must write says which file it could not write.
  Proc csv = Run(as + Bin("zelkova-cli") + " --home " + Q(home) + " csv " + d);
  EXPECT_EQ(csv.status, 1);
  EXPECT_NE(csv.err.find("CSV"), std::string::npos) << csv.err;
  EXPECT_EQ(csv.err.find(".tmp"), std::string::npos) << csv.err;
  if (GuiBuilt()) {
    Proc gui = Run(as + "env QT_QPA_PLATFORM=offscreen " + Bin("zelkova") + " --home " + Q(home) + " --date " + d +
                   " --race main --screenshot " + Q(shots / "ro.png"));
    EXPECT_EQ(gui.status, 0) << gui.err;
    EXPECT_TRUE(fs::exists(shots / "ro.png"));
  }
  EXPECT_EQ(Listing(home), before);
  zelkova::testing::SetTreeWritable(home, true);
}

TEST_F(ProgramFolderE2E, ASecondDownloadIsRefusedWhileOneRunsAndAllowedAfterAKill) {
  const fs::path home = Home("two-downloads");
  const std::string download = Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(Feed()) +
                               " download --from \"2000/01/01 00:00:00\"";
  // The first stops reading after a few records and waits there, holding the folder.
  Proc first = Run("ZELKOVA_HOLD_AFTER=5 " + download + " >/dev/null 2>&1 & echo $!");
  const long pid = std::stol(first.out);
  const fs::path lock = home / "download.lock";
  for (int i = 0; i < 2000 && zelkova::testing::ReadBytes(lock).find(std::to_string(pid)) == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Proc second = Run(download);
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.err.find("別のダウンロード（zelkova-cli、プロセス番号 " + std::to_string(pid)), std::string::npos)
      << second.err;
  ::kill(static_cast<pid_t>(pid), SIGKILL);
  for (int i = 0; i < 500 && zelkova::ProcessRuns(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  Proc third = Run(download);
  EXPECT_EQ(third.status, 0) << third.err;
}

TEST_F(ProgramFolderE2E, AFirstDownloadStartsItsFolderAndARepeatSaysNothingIsNew) {
  const fs::path home = dir_->path() / "new" / "home";
  const std::string download = Bin("zelkova-cli") + " --home " + Q(home) + " --feed " + Q(Feed()) +
                               " download --from \"2000/01/01 00:00:00\"";
  Proc first = Run(download);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("を作りました"), std::string::npos) << first.err;
  for (const char* f : {"RTJ.dat", "RTN.dat", "RTC.dat", "SetGate.tbl"})
    EXPECT_EQ(zelkova::testing::ReadBytes(home / f), zelkova::testing::ReadBytes(fs::path(ZELKOVA_BIN_DIR) / f)) << f;
  EXPECT_EQ(first.out.find("新しいデータはありませんでした"), std::string::npos) << first.out;
  const auto stored = Listing(zelkova::ChildPath(home, "Data"));
  Proc again = Run(download);
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err.find("を作りました"), std::string::npos) << again.err;
  EXPECT_NE(again.out.find("新しいデータはありませんでした"), std::string::npos) << again.out;
  // Nothing of the race data was written again (the master files of coming days may be).
  for (const auto& [name, stamp] : Listing(zelkova::ChildPath(home, "Data"))) {
    const std::string ext = fs::path(name).extension().string();
    if (ext == ".jvUM2" || ext == ".jvKS" || ext == ".jvCH") continue;
    EXPECT_EQ(stamp, stored.at(name)) << name;
  }
}

}  // namespace
