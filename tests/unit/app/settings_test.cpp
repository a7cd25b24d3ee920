// TIniGT: the quote rule, defaults, writes that keep the rest of the file, odd bytes.
#include <gtest/gtest.h>

#include "settings/ini_gt.h"
#include "base/cp932.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class IniTest : public ::testing::Test {
 protected:
  TIniGT ini() { return TIniGT(dir.path(), "zelkova"); }
  void put(const std::string& bytes) { WriteBytes(dir / "zelkova.ini", bytes); }
  std::string file() { return ReadBytes(dir / "zelkova.ini"); }
  TempDir dir;
};

TEST_F(IniTest, QuoteRule) {
  put("[S]\r\nq2=\"\"\r\nb2=\xA2\xA3\r\nbr=\xA2 abc \xA3\r\nqq=\" x \"\r\nhalf=\"abc\r\nplain=  abc  \r\n"
      "one=\"\r\n");
  TIniGT i = ini();
  EXPECT_EQ(i.ReadString("S", "q2", "d"), "");
  EXPECT_EQ(i.ReadString("S", "b2", "d"), "");
  EXPECT_EQ(i.ReadString("S", "br", "d"), " abc ");
  EXPECT_EQ(i.ReadString("S", "qq", "d"), " x ");
  EXPECT_EQ(i.ReadString("S", "half", "d"), "\"abc");
  EXPECT_EQ(i.ReadString("S", "plain", "d"), "abc");
  EXPECT_EQ(i.ReadString("S", "one", "d"), "\"");
  EXPECT_EQ(i.ReadString("S", "missing", "def"), "def");
  EXPECT_EQ(i.ReadString("S", "missing", ""), "");
}

TEST_F(IniTest, TrailingBracketInsideDoubleByteCharacterIsNotStripped) {
  // 0x83 0xA3 is one double-byte character ending in the byte value of ｣.
  put("[S]\r\nk=\xA2\x41\x83\xA3\r\n");
  EXPECT_EQ(ini().ReadString("S", "k", ""), "\xA2\x41\x83\xA3");
}

TEST_F(IniTest, DefaultsWithoutFileAndCaseInsensitiveNames) {
  TIniGT i = ini();
  EXPECT_EQ(i.ReadInteger("locate", "top", 10), 10);
  EXPECT_TRUE(i.ReadBool("datalist", "close", true));
  EXPECT_TRUE(i.lastProblem().empty());
  put("[LOCATE]\r\nTop=25\r\nwidth=abc\r\n[datalist]\r\nclose=1\r\n");
  EXPECT_EQ(i.ReadInteger("locate", "top", 10), 25);
  EXPECT_EQ(i.ReadInteger("locate", "width", 1000), 1000);  // not a number: the default
  EXPECT_TRUE(i.ReadBool("DataList", "CLOSE", false));
}

TEST_F(IniTest, WriteKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; comment\r\n[locate]\r\ntop=5\r\n  left = 7 \r\n\r\n[Other]\nodd line without equals\nk=v";
  put(before);
  TIniGT i = ini();
  ASSERT_TRUE(i.WriteInteger("Locate", "TOP", 42).ok());
  std::string after = file();
  EXPECT_EQ(after, "; comment\r\n[locate]\r\nTOP=42\r\n  left = 7 \r\n\r\n[Other]\nodd line without equals\nk=v");
  ASSERT_TRUE(i.WriteInteger("locate", "height", 900).ok());
  EXPECT_EQ(file(), "; comment\r\n[locate]\r\nTOP=42\r\n  left = 7 \r\nheight=900\r\n\r\n[Other]\nodd line without "
                    "equals\nk=v");
  ASSERT_TRUE(i.WriteBool("New", "flag", true).ok());
  EXPECT_EQ(file().substr(file().size() - 20), "k=v\r\n[New]\r\nflag=1\r\n");
  EXPECT_EQ(i.ReadInteger("locate", "top", 0), 42);
  EXPECT_EQ(i.ReadInteger("locate", "left", 0), 7);
}

TEST_F(IniTest, StringRoundTripAndRejectedLineBreaks) {
  TIniGT i = ini();
  const std::string folder = Sj("Ｃ：￥時系列") + "\\Data";
  ASSERT_TRUE(i.WriteString("Dir", "jikeiretu", folder).ok());
  EXPECT_EQ(i.ReadString("Dir", "jikeiretu", ""), folder);
  Status s = i.WriteString("Dir", "jikeiretu", "a\r\n[locate]\r\ntop=1");
  EXPECT_EQ(s.code(), Status::Code::kInvalidArgument);
  EXPECT_EQ(i.ReadString("Dir", "jikeiretu", ""), folder);
  EXPECT_EQ(i.ReadInteger("locate", "top", 10), 10);
}

TEST_F(IniTest, BytesThatAreNotCp932AreReportedAndKept) {
  const std::string bad = "[X]\r\nraw=\x80\xFF\xFE\r\n[locate]\r\ntop=3\r\n";
  put(bad);
  TIniGT i = ini();
  EXPECT_EQ(i.ReadInteger("locate", "top", 10), 3);
  EXPECT_FALSE(i.lastProblem().empty());
  ASSERT_TRUE(i.WriteInteger("locate", "top", 4).ok());
  EXPECT_EQ(file(), "[X]\r\nraw=\x80\xFF\xFE\r\n[locate]\r\ntop=4\r\n");
}

}  // namespace
}  // namespace zelkova

namespace zelkova {
namespace {

TEST(IniFileNameTest, NameComesFromTheExecutableUnlessGiven) {
  testing::TempDir dir;
  TIniGT ini(dir.path(), "zelkova.exe");
  EXPECT_EQ(ini.path(), dir / "zelkova.ini");
  ini.setFileName("other.ini");
  EXPECT_EQ(ini.path(), dir / "other.ini");
  ini.setFileName((dir / "sub" / "x.ini").string());  // a folder part: used as given
  EXPECT_EQ(ini.path(), dir / "sub" / "x.ini");
  ini.setFileName("");
  ini.setDefaultDir(TIniGT::DefaultDir::ddNone);
  EXPECT_EQ(ini.path(), std::filesystem::path("zelkova.ini"));
  ini.setDefaultDir(TIniGT::DefaultDir::ddApplication);
  ASSERT_TRUE(ini.WriteInteger("locate", "top", 3).ok());
  EXPECT_EQ(testing::ReadBytes(dir / "zelkova.ini"), "[locate]\r\ntop=3\r\n");
}

TEST(IniDefaultTest, DefaultKeepsItsBlanksAndDoubleByteText) {
  testing::TempDir dir;
  TIniGT ini(dir.path(), "zelkova");
  EXPECT_EQ(ini.ReadString("S", "k", " a b "), " a b ");
  // ソ is 0x83 0x5C: its trail byte is a backslash and must survive.
  const std::string so = Sj("ソ");
  EXPECT_EQ(ini.ReadString("S", "k", so), so);
}

}  // namespace
}  // namespace zelkova
