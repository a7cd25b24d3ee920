// Start-up: fixed files, gate table, folders, error log, date list, JVInit and the version check.
#include <gtest/gtest.h>

#include <set>

#include <cmath>
#include <cstring>

#include "settings/error_log.h"
#include "app/startup.h"
#include "base/cp932.h"
#include "base/file_io.h"
#include "jvlink/jv_link.h"
#include "app_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::Doubles;
using testing::FakeClock;
using testing::FakeJvLink;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string GateFile(size_t records) {
  std::string out(records * 576, '\0');
  for (size_t r = 4; r < records; ++r)
    for (size_t p = 0; p < 18; ++p) {
      double v = 1.0 + static_cast<double>(r) / 100 + static_cast<double>(p) / 1000;
      std::memcpy(&out[r * 576 + 288 + 8 * p], &v, 8);
    }
  return out;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"RTJ.dat", "RTN.dat", "RTC.dat"}) WriteBytes(dir / n, Doubles(5488, 2.5));
    WriteBytes(dir / "SetGate.tbl", GateFile(15));
    ctx.programFolder = dir.path();
    ctx.clock = &clock;
  }
  StartupState run() {
    TIniGT ini(dir.path(), "zelkova");
    return RunMainFormCreate(ctx, ini);
  }
  TempDir dir;
  FakeClock clock{LocalTime{2024, 5, 19, 9, 5, 7}};
  AppContext ctx;
};

TEST_F(StartupTest, FreshFolderGetsDefaultsFoldersAndLog) {
  StartupState st = run();
  EXPECT_FALSE(st.terminate);
  EXPECT_TRUE(st.messages.empty());
  EXPECT_EQ(st.locate.top, 10);
  EXPECT_EQ(st.locate.left, 10);
  EXPECT_EQ(st.locate.width, 1000);
  EXPECT_EQ(st.locate.height, 900);
  EXPECT_EQ(st.shukeiYear, 2024);
  EXPECT_EQ(st.shukeiMonth, 5);
  EXPECT_EQ(st.sampleCount, 13);
  EXPECT_TRUE(st.dates.empty());
  for (const char* d : {"DATA", "SEI", "SEIR", "kaime"}) EXPECT_TRUE(DirExists(dir / d)) << d;
  EXPECT_EQ(ReadBytes(dir / "ErrorLog.txt"),
            Sj("ソフト起動：2024/05/19 09:05:07") + "\r\n" + dir.path().string() + "\r\n");
  EXPECT_DOUBLE_EQ(st.gate.factor(8, 1), 1.04);
  EXPECT_DOUBLE_EQ(st.gate.factor(18, 18), 1.14 + 0.017);
  EXPECT_DOUBLE_EQ(st.gate.factor(7, 7), 1.491);
  EXPECT_DOUBLE_EQ(st.gate.factor(19, 1), 0);
}

TEST_F(StartupTest, ExistingFolderInOtherCaseIsReused) {
  std::filesystem::create_directory(dir / "Data");
  std::filesystem::create_directory(dir / "sei");
  run();
  // Listed rather than asked for by name: Windows finds "DATA" by "Data".
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.insert(testing::U8(e.path().filename()));
  for (const char* kept : {"Data", "sei", "SEIR", "kaime"}) EXPECT_EQ(names.count(kept), 1u) << kept;
  EXPECT_EQ(names.count("DATA"), 0u);
  EXPECT_EQ(names.count("SEI"), 0u);
}

TEST_F(StartupTest, MissingOrWrongSizedFixedFileTerminatesAndWritesNothing) {
  std::filesystem::remove(dir / "RTN.dat");
  WriteBytes(dir / "RTC.dat", Doubles(5487, 1.0));
  StartupState st = run();
  EXPECT_TRUE(st.terminate);
  ASSERT_EQ(st.messages.size(), 2u);
  EXPECT_EQ(st.messages[0], Sj("「RTN.dat」が見つかりません。インストールが正しく行われていない可能性があります。"));
  EXPECT_NE(st.messages[1].find("RTC.dat"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / "ErrorLog.txt"));
  EXPECT_FALSE(DirExists(dir / "DATA"));
}

TEST_F(StartupTest, GateTableMissingOrShort) {
  std::filesystem::remove(dir / "SetGate.tbl");
  StartupState st = run();
  EXPECT_TRUE(st.terminate);
  ASSERT_EQ(st.messages.size(), 1u);
  EXPECT_EQ(st.messages[0], Sj("SetGate.tbl が見つかりません。"));

  WriteBytes(dir / "SetGate.tbl", GateFile(14));
  auto short_file = LoadGateTable(dir / "SetGate.tbl");
  EXPECT_TRUE(short_file.status().isCorruption());
  EXPECT_FALSE(short_file.status().message().empty());
}

TEST_F(StartupTest, ErrorLogKeepsLast100LinesThenAddsStartLines) {
  std::string log;
  for (int i = 1; i <= 150; ++i) log += "line" + std::to_string(i) + "\r\n";
  WriteBytes(dir / "ErrorLog.txt", log);
  StartupState st = run();
  std::vector<std::string> lines = SplitLines(ReadBytes(dir / "ErrorLog.txt"));
  ASSERT_EQ(lines.size(), 102u);
  EXPECT_EQ(lines[0], "line51");
  EXPECT_EQ(lines[99], "line150");
  EXPECT_EQ(st.errorLog, lines);

  clock.set(LocalTime{2024, 5, 19, 14, 3, 9});
  ASSERT_TRUE(AppendErrorLog(dir.path(), clock, Sj("テスト")).ok());
  lines = SplitLines(ReadBytes(dir / "ErrorLog.txt"));
  ASSERT_EQ(lines.size(), 103u);
  EXPECT_EQ(lines.back(), Sj("【エラー】14:03:09：テスト"));
}

TEST_F(StartupTest, DateListNewestFirstIgnoringOtherFiles) {
  std::filesystem::create_directory(dir / "DATA");
  for (const char* n : {"2024年05月12日.jvRA", "2024年05月19日.jvRA", "2024年05月19日.jvSE", "notes.jvRA",
                        "2024年05月1x日.jvRA", "2023年12月28日.JVRA"})
    WriteBytes(dir / "DATA" / testing::U8Path(n), "x");
  std::vector<std::string> dates = DateList(dir.path());
  ASSERT_EQ(dates.size(), 3u);
  EXPECT_EQ(dates[0], Sj("2024年05月19日"));
  EXPECT_EQ(dates[1], Sj("2024年05月12日"));
  EXPECT_EQ(dates[2], Sj("2023年12月28日"));
}

TEST_F(StartupTest, RegistryFillsTimeSeriesFolderOnlyWhenEmpty) {
  struct OneValue : Registry {
    std::string readLocalMachineString(const std::string& key, const std::string& value) override {
      return key == kOddsViewerUninstallKey && value == kOddsViewerPathValue ? "C:\\OTV" : "";
    }
  } reg;
  ctx.registry = &reg;
  run();
  TIniGT ini(dir.path(), "zelkova");
  EXPECT_EQ(ini.ReadString("Dir", "jikeiretu", ""), "C:\\OTV\\Data");
  ASSERT_TRUE(ini.WriteString("Dir", "jikeiretu", "D:\\mine").ok());
  run();
  EXPECT_EQ(ini.ReadString("Dir", "jikeiretu", ""), "D:\\mine");
}

TEST_F(StartupTest, SettingsWithBytesThatAreNotCp932GiveOneMessageAndStartAnyway) {
  WriteBytes(dir / "zelkova.ini", "[locate]\r\ntop=33\r\n[X]\r\nk=\x80\xFD\r\n");
  StartupState st = run();
  EXPECT_FALSE(st.terminate);
  ASSERT_EQ(st.messages.size(), 1u);
  EXPECT_NE(st.messages[0].find("zelkova.ini"), std::string::npos);
  EXPECT_EQ(st.locate.top, 33);
  EXPECT_EQ(ReadBytes(dir / "zelkova.ini"), "[locate]\r\ntop=33\r\n[X]\r\nk=\x80\xFD\r\n");
}

TEST_F(StartupTest, GateTableWithNonNumberIsRejected) {
  std::string gate = GateFile(15);
  const double nan = std::nan("");
  std::memcpy(&gate[6 * 576 + 288 + 8 * 3], &nan, 8);
  WriteBytes(dir / "SetGate.tbl", gate);
  StartupState st = run();
  EXPECT_TRUE(st.terminate);
  ASSERT_EQ(st.messages.size(), 1u);
  EXPECT_NE(st.messages[0].find("SetGate.tbl"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / "ErrorLog.txt"));
}

TEST(ShowTest, JvInitFailureAndVersionWarning) {
  FakeJvLink jv;
  jv.initCode = -101;
  ShowOutcome out = RunMainFormShow(jv);
  EXPECT_EQ(jv.sidSeen, "SA000000/SD000000/ZelkovaJDL/Ver.1.22");
  EXPECT_EQ(out.message, Sj("JVInitエラーが発生しました。：-101"));
  EXPECT_FALSE(out.beep);

  jv.initCode = 0;
  jv.ver = "0480";
  out = RunMainFormShow(jv);
  EXPECT_TRUE(out.beep);
  EXPECT_EQ(out.message, Sj("ご利用中のJV-Linkのバージョンは[4.8.0]です。") + "\r\n" +
                             Sj("本ソフトのご利用にはバージョン[4.9.0]以上が必要です。") + "\r\n" +
                             Sj("JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。"));
  for (const char* v : {"0490", "0500"}) {
    jv.ver = v;
    EXPECT_TRUE(RunMainFormShow(jv).message.empty()) << v;
  }
}

}  // namespace
}  // namespace zelkova
