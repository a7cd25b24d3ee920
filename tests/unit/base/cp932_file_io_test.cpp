#include <gtest/gtest.h>

#include <string>
#include <vector>
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

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

TEST(Cp932, ValidityCheckAgreesWithTheConverter) {
  // Every byte pair, alone and after a valid double-byte character, and a run of random bytes:
  // the quick check accepts exactly what the converter converts.
  const std::string kanji = Sj("馬");
  for (int b = 0; b < 256; ++b)
    for (int t = 0; t < 256; ++t) {
      const std::string two{static_cast<char>(b), static_cast<char>(t)};
      ASSERT_EQ(IsValidCp932(two), Cp932ToUtf8(two).ok()) << b << " " << t;
      ASSERT_EQ(IsValidCp932(kanji + two), Cp932ToUtf8(kanji + two).ok()) << b << " " << t;
      ASSERT_EQ(IsValidCp932("a" + two + "a"), Cp932ToUtf8("a" + two + "a").ok()) << b << " " << t;  // odd places
    }
  uint32_t x = 12345;
  for (int i = 0; i < 2000; ++i) {
    std::string s;
    for (int k = 0; k < 9; ++k) {
      x = x * 1103515245u + 12345u;
      s += static_cast<char>(x >> 16 & 0xFF);
    }
    ASSERT_EQ(IsValidCp932(s), Cp932ToUtf8(s).ok()) << i;
  }
  // ASCII is skipped a word at a time: a character, a broken pair or a lone lead byte at every
  // place of a long ASCII line, its last byte included, is still seen.
  const std::string ascii(40, 'A');
  for (size_t at = 0; at <= ascii.size(); ++at) {
    const std::string head = ascii.substr(0, at), tail = ascii.substr(at);
    EXPECT_TRUE(IsValidCp932(head + kanji + tail)) << at;
    EXPECT_FALSE(IsValidCp932(head + "\x82\x20" + tail)) << at;
    EXPECT_FALSE(IsValidCp932(head + "\xFD" + tail)) << at;
    EXPECT_FALSE(IsValidCp932(head + kanji + tail + "\x82")) << at;
  }
}

// A path becomes message text through PathText: a Japanese folder name reads back whole, and a
// name CP932 cannot hold costs one '?' per character, not the rest of the message.
TEST(Cp932, PathsBecomeMessageTextWhole) {
  const std::filesystem::path p = PathFromUtf8("/data/競馬ﾃﾞｰﾀ/2024年05月11日.jvRA");
  EXPECT_EQ(PathText(p), Sj("/data/競馬ﾃﾞｰﾀ/2024年05月11日.jvRA"));
  EXPECT_EQ(*Utf8ToCp932(PathToUtf8(p.filename())), Sj("2024年05月11日.jvRA"));
  EXPECT_EQ(PathText(PathFromUtf8("a\xF0\x9F\x90\x8E/b")), "a?/b");                 // U+1F40E
#ifndef _WIN32
  EXPECT_EQ(PathText(std::filesystem::path("x\xFFy")), "x?y");  // Linux names need not be UTF-8
#endif
  EXPECT_EQ(Utf8ToCp932Lossy("\xE6\x9D\xB1\xE4"), Sj("東") + "?");                 // a cut character
}

// Every message of the file layer names its file in Japanese; with a Japanese folder the whole
// message is still CP932 that the window can show.
TEST(FileIo, MessagesNameTheirFileInJapanese) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / PathFromUtf8("競馬データ");
  ASSERT_TRUE(EnsureDir(folder).ok());
  const std::filesystem::path race = folder / PathFromUtf8("2024年05月11日.jvRA");
  auto missing = ReadFile(race);
  ASSERT_TRUE(missing.status().isNotFound());
  const auto text = Cp932ToUtf8(missing.status().message());
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(*text, "「" + PathToUtf8(race) + "」が見つかりません");
  auto folderRead = ReadFile(folder);
  ASSERT_FALSE(folderRead.ok());
  EXPECT_NE(Cp932ToUtf8(folderRead.status().message())->find("競馬データ」を"), std::string::npos);
  testing::WriteBytes(folder / PathFromUtf8("ファイル"), "x");
  const std::filesystem::path sub = folder / PathFromUtf8("ファイル") / "sub";
  Status notFolder = EnsureDir(sub);
  ASSERT_TRUE(notFolder.isIoError());
  EXPECT_EQ(Cp932ToUtf8(notFolder.message())->find("「" + PathToUtf8(sub) + "」を作れません："), 0u)
      << *Cp932ToUtf8(notFolder.message());
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

TEST(FileIo, BatchReplacesAllOrNothingAndLeavesNoTemporaries) {
  TempDir dir;
  auto count = [&] {
    int n = 0;
    for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++n;
    return n;
  };
  ASSERT_TRUE(WriteFileAtomic(dir / "a", "old a").ok());
  ASSERT_TRUE(WriteFileAtomic(dir / "b", "old b").ok());
  {
    // The second file cannot be written: the batch is given up and nothing is replaced.
    AtomicWriteBatch batch;
    ASSERT_TRUE(batch.Stage(dir / "a", "new a").ok());
    SetWriteFaultForTesting([](const fs::path&) { return Status::IoError("No space left on device"); });
    EXPECT_TRUE(batch.Stage(dir / "b", "new b").isIoError());
    SetWriteFaultForTesting(nullptr);
  }
  EXPECT_EQ(*ReadFile(dir / "a"), "old a");
  EXPECT_EQ(*ReadFile(dir / "b"), "old b");
  EXPECT_EQ(count(), 2);

  // A target that cannot be replaced (a folder stands there) stops the commit after the files
  // before it; the ones after it stay as they were.
  fs::create_directory(dir / "c");
  fs::create_directory(dir / "c" / "inside");
  AtomicWriteBatch batch;
  ASSERT_TRUE(batch.Stage(dir / "a", "new a").ok());
  ASSERT_TRUE(batch.Stage(dir / "c", "file over a folder").ok());
  ASSERT_TRUE(batch.Stage(dir / "b", "new b").ok());
  EXPECT_EQ(count(), 6);  // a, b, c and three temporaries, nothing replaced yet
  EXPECT_EQ(*ReadFile(dir / "a"), "old a");
  EXPECT_TRUE(batch.Commit().isIoError());
  EXPECT_EQ(batch.committed(), 1u);
  EXPECT_EQ(*ReadFile(dir / "a"), "new a");
  EXPECT_EQ(*ReadFile(dir / "b"), "old b");
  EXPECT_EQ(count(), 3);
}

TEST(FileIo, IdenticalFilesShareStorageAndEachPathIsReplacedAlone) {
  TempDir dir;
  ASSERT_TRUE(WriteFileAtomic(dir / "c", "old c").ok());
  AtomicWriteBatch batch(/*streaming=*/true);
  ASSERT_TRUE(batch.Stage(dir / "a", "same").ok());
  bool linked = false;
  ASSERT_TRUE(batch.StageSame(dir / "b", 0, &linked).ok());
  EXPECT_TRUE(linked);
  ASSERT_TRUE(batch.StageSame(dir / "c", 1, &linked).ok());  // a link of a link
  EXPECT_EQ(*ReadFile(dir / "c"), "old c");                         // nothing replaced before Commit
  ASSERT_TRUE(batch.Commit().ok());
  EXPECT_EQ(batch.committed(), 3u);
  for (const char* n : {"a", "b", "c"}) EXPECT_EQ(*ReadFile(dir / n), "same") << n;
  EXPECT_TRUE(fs::equivalent(dir / "a", dir / "b"));
  EXPECT_TRUE(fs::equivalent(dir / "a", dir / "c"));

  // Rewriting one of them gives that path a file of its own; the others keep their bytes.
  ASSERT_TRUE(WriteFileAtomic(dir / "b", "new b").ok());
  EXPECT_EQ(*ReadFile(dir / "b"), "new b");
  EXPECT_EQ(*ReadFile(dir / "a"), "same");
  EXPECT_EQ(*ReadFile(dir / "c"), "same");
  EXPECT_FALSE(fs::equivalent(dir / "a", dir / "b"));
  EXPECT_TRUE(fs::equivalent(dir / "a", dir / "c"));

  // No staged file to share with.
  AtomicWriteBatch empty;
  EXPECT_FALSE(empty.StageSame(dir / "d", 0).ok());
  EXPECT_FALSE(fs::exists(dir / "d"));
}

TEST(FileIo, RefusedLinksBecomeCopiesWithTheSameBytes) {
  TempDir dir;
  SetLinkRefusedForTesting([](const fs::path& p) { return p.filename() == "b"; });
  AtomicWriteBatch batch;
  ASSERT_TRUE(batch.Stage(dir / "a", "same").ok());
  bool linked = true;
  ASSERT_TRUE(batch.StageSame(dir / "b", 0, &linked).ok());
  EXPECT_FALSE(linked);
  ASSERT_TRUE(batch.StageSame(dir / "c", 0, &linked).ok());
  EXPECT_TRUE(linked);
  SetLinkRefusedForTesting(nullptr);
  ASSERT_TRUE(batch.Commit().ok());
  for (const char* n : {"a", "b", "c"}) EXPECT_EQ(*ReadFile(dir / n), "same") << n;
  EXPECT_FALSE(fs::equivalent(dir / "a", dir / "b"));
  EXPECT_TRUE(fs::equivalent(dir / "a", dir / "c"));
  int n = 0;
  for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++n;
  EXPECT_EQ(n, 3);  // no temporary left

  // A copy that cannot be written fails like any write, and leaves nothing behind.
  SetLinkRefusedForTesting([](const fs::path&) { return true; });
  SetWriteFaultForTesting([](const fs::path& p) {
    return p.filename() == "e" ? Status::IoError("No space left on device") : Status::Ok();
  });
  AtomicWriteBatch full;
  ASSERT_TRUE(full.Stage(dir / "d", "same").ok());
  EXPECT_TRUE(full.StageSame(dir / "e", 0).isIoError());
  SetWriteFaultForTesting(nullptr);
  SetLinkRefusedForTesting(nullptr);
  full.Reset();
  EXPECT_FALSE(fs::exists(dir / "d"));
  EXPECT_FALSE(fs::exists(dir / "e"));
}

// Large lists are written from their lines and large copies read back a buffer at a time: the
// files hold exactly the joined bytes, across the buffer's edges.
TEST(FileIo, LinesAndCopiesAcrossTheWriteBufferAreTheJoinedBytes) {
  TempDir dir;
  std::vector<std::string> lines;
  for (int i = 0; i < 3000; ++i) lines.push_back(std::string(static_cast<size_t>(i % 997 + 1), static_cast<char>('a' + i % 26)));
  lines.push_back(std::string(size_t{3} << 20, 'z'));  // a line longer than the buffer
  lines.push_back("");
  const std::string joined = JoinLinesCrLf(lines);
  ASSERT_GT(joined.size(), size_t{4} << 20);
  SetLinkRefusedForTesting([](const fs::path& p) { return p.filename() == "copy"; });
  AtomicWriteBatch batch(/*streaming=*/true);
  ASSERT_TRUE(batch.StageLines(dir / "list", lines).ok());
  ASSERT_TRUE(batch.StageLines(dir / "none", {}).ok());
  bool linked = true;
  ASSERT_TRUE(batch.StageSame(dir / "copy", 0, &linked).ok());
  EXPECT_FALSE(linked);
  SetLinkRefusedForTesting(nullptr);
  ASSERT_TRUE(batch.Commit().ok());
  EXPECT_TRUE(*ReadFile(dir / "list") == joined);
  EXPECT_TRUE(*ReadFile(dir / "copy") == joined);
  EXPECT_EQ(*ReadFile(dir / "none"), "");

  // A full disk in the middle of a list leaves nothing of it.
  SetWriteFaultForTesting([](const fs::path&) { return Status::IoError("No space left on device"); });
  AtomicWriteBatch full;
  EXPECT_TRUE(full.StageLines(dir / "cut", lines).isIoError());
  SetWriteFaultForTesting(nullptr);
  EXPECT_EQ(full.staged(), 0u);
  int n = 0;
  for (auto& e : fs::directory_iterator(dir.path())) (void)e, ++n;
  EXPECT_EQ(n, 3);
}

TEST(FileIo, StaleTemporariesOfDeadWritersAreRemoved) {
  TempDir dir;
  fs::create_directories(dir / "SEI" / "2020");
  const std::string mine = ".tmp" + std::to_string(CurrentProcessId()) + "_7";
  for (const char* name : {"SEI/2020/2020100001.jvSEI.tmp999999999_123", "a.jvRA.tmp999999999_5"})
    testing::WriteBytes(dir / name, "torn");
  for (std::string name : {std::string("b.jvRA") + mine, std::string("c.tmp"), std::string("d.jvRA.tmp12_"),
                           std::string("e.jvRA.tmpx_1"), std::string("f.jvRA")})
    testing::WriteBytes(dir / name, "kept");
  EXPECT_EQ(RemoveStaleTemporaries(dir.path()), 2);
  EXPECT_FALSE(fs::exists(dir / "a.jvRA.tmp999999999_5"));
  EXPECT_FALSE(fs::exists(dir / "SEI/2020/2020100001.jvSEI.tmp999999999_123"));
  for (std::string name : {std::string("b.jvRA") + mine, std::string("c.tmp"), std::string("d.jvRA.tmp12_"),
                           std::string("e.jvRA.tmpx_1"), std::string("f.jvRA")})
    EXPECT_TRUE(fs::exists(dir / name)) << name;
  EXPECT_EQ(RemoveStaleTemporaries(dir / "missing"), 0);
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

TEST(FileIo, AFolderThatCannotBeWrittenIsNamedWithTheFileNotItsTemporary) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows lets anyone write into a read-only folder";
#endif
  TempDir dir;
  testing::WriteBytes(dir / "a.txt", "old");
  testing::SetTreeWritable(dir.path(), false);
  Status write, probe;
  {
    testing::AsUnprivilegedUser nobody;
    write = WriteFileAtomic(dir / "a.txt", "new");
    probe = CheckFolderWritable(dir.path());
  }
  testing::SetTreeWritable(dir.path(), true);
  ASSERT_FALSE(write.ok());
  EXPECT_NE(write.message().find(Sj("「") + PathText(dir / "a.txt") + Sj("」に書き込めません")), std::string::npos)
      << write.message();
  EXPECT_EQ(write.message().find(".tmp"), std::string::npos) << write.message();
  EXPECT_NE(probe.message().find(PathText(dir.path())), std::string::npos) << probe.message();
  EXPECT_EQ(testing::ReadBytes(dir / "a.txt"), "old");
  EXPECT_TRUE(CheckFolderWritable(dir.path()).ok());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no probe left
}

TEST(ExclusiveLock, OneHolderAtATimeUntilItEndsHoweverItEnds) {
  TempDir dir;
  const auto p = dir / "x.lock";
  ExclusiveLock first, second;
  ASSERT_TRUE(first.Take(p, "first").ok());
  std::string who;
  EXPECT_TRUE(second.Take(p, "second", &who).isBusy());
  EXPECT_EQ(who, "first");
  first.Release();
  ASSERT_TRUE(second.Take(p, "second", &who).ok());
  EXPECT_EQ(testing::ReadBytes(p), "second");
  second.Release();
#ifndef _WIN32
  // A holder killed outright leaves no lock behind.
  const pid_t child = ::fork();
  if (child == 0) {
    ExclusiveLock held;
    if (!held.Take(p, "child").ok()) ::_exit(1);
    for (;;) ::pause();
  }
  for (int i = 0; i < 500 && testing::ReadBytes(p) != "child"; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(first.Take(p, "parent", &who).isBusy());
  EXPECT_EQ(who, "child");
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  EXPECT_TRUE(first.Take(p, "parent", &who).ok());
#endif
}

}  // namespace
}  // namespace zelkova
