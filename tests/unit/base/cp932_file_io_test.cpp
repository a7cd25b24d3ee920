#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/file_io.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::TempDir;

TEST(Cp932, RoundTripsJapaneseAndRejectsBrokenBytes) {
  std::string sj = Sj("東京ｱｲｳ　①");
  EXPECT_TRUE(IsValidCp932(sj));
  EXPECT_EQ(*Cp932ToUtf8(sj), "東京ｱｲｳ　①");
  // A lead byte with no trail byte, and a trail byte that cannot follow it.
  EXPECT_FALSE(IsValidCp932("abc\x82"));
  EXPECT_FALSE(IsValidCp932("\x82\x20"));
  auto bad = Cp932ToUtf8("ab\x82");
  ASSERT_FALSE(bad.ok());
  EXPECT_TRUE(bad.status().isCorruption());
  EXPECT_EQ(Cp932ToUtf8Lossy("a\x82"), "a\xEF\xBF\xBD");
}

TEST(FileIo, AtomicWriteKeepsOldFileOnFault) {
  TempDir dir;
  auto p = dir / "a.txt";
  ASSERT_TRUE(WriteFileAtomic(p, "old\r\n").ok());
  SetWriteFaultForTesting([](const fs::path&) { return Status::IoError("No space left on device"); });
  Status s = WriteFileAtomic(p, std::string(10000, 'x'));
  SetWriteFaultForTesting(nullptr);
  EXPECT_TRUE(s.isIoError());
  EXPECT_EQ(*ReadFile(p), "old\r\n");
  // No temporary file is left behind.
  int count = 0;
  for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++count;
  EXPECT_EQ(count, 1);
}

TEST(FileIo, ChildPathFindsFolderIgnoringCase) {
  TempDir dir;
  fs::create_directory(dir / "DATA");
  EXPECT_EQ(ChildPath(dir.path(), "Data"), dir / "DATA");
  EXPECT_EQ(ChildPath(dir.path(), "SEI"), dir / "SEI");
}

TEST(FileIo, ReadAtReportsTruncation) {
  TempDir dir;
  auto p = dir / "r.bin";
  ASSERT_TRUE(WriteFileAtomic(p, "0123456789").ok());
  EXPECT_EQ(*ReadAt(p, 2, 3), "234");
  EXPECT_TRUE(ReadAt(p, 8, 5).status().isCorruption());
  EXPECT_TRUE(ReadAt(dir / "none", 0, 1).status().isNotFound());
}

TEST(FileIo, SplitAndJoinLines) {
  auto lines = SplitLines("a\r\nb\nc");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "b");
  EXPECT_EQ(JoinLinesCrLf({"a", "b"}), "a\r\nb\r\n");
  EXPECT_TRUE(SplitLines("").empty());
}

}  // namespace
}  // namespace zelkova
