#include <gtest/gtest.h>

#include "base/cp932.h"
#include "base/file_io.h"
#include "store/legacy_um.h"
#include "store/stored_files.h"
#include "store/write_back_cache.h"
#include "records/code_tables.h"
#include "store_fixtures.h"
#include "test_support.h"

namespace zelkova {
namespace {

using testing::HR;
using testing::RA;
using testing::SE;
using testing::TempDir;

std::string Line(const std::string& rec) { return std::string(WithoutLineEnd(rec)); }

TEST(StoredFiles, ReadersRefuseTruncatedFilesAndNeverReadPast) {
  TempDir dir;
  auto p = dir / "a.jvRA";
  std::string two = RA('1', "20240512", "05", 1) + RA('1', "20240512", "05", 2);
  testing::WriteBytes(p, two);
  EXPECT_EQ(*RecordCount(p, kLenRA), 2u);
  EXPECT_EQ(*ReadRecord(p, kLenRA, 1), RA('1', "20240512", "05", 2));
  EXPECT_TRUE(ReadRecord(p, kLenRA, 2).status().isCorruption());
  testing::WriteBytes(p, two.substr(0, two.size() - 1));
  EXPECT_TRUE(ReadRecords(p, kLenRA).status().isCorruption());
  EXPECT_TRUE(RecordCount(p, kLenRA).status().isCorruption());
  // Right size, but a line of another length inside: CR LF not where it belongs.
  std::string shifted = two;
  shifted.erase(5, 1);
  shifted.insert(2000, " ");
  testing::WriteBytes(p, shifted);
  EXPECT_TRUE(ReadRecords(p, kLenRA).status().isCorruption());
  EXPECT_TRUE(ReadRecords(dir / "missing", kLenRA).status().isNotFound());
}

TEST(StoredFiles, KeyedUpsertReplacesSortsAndDropsBlankFirstLine) {
  TempDir dir;
  auto p = dir / "Data" / "d.jvRA";
  std::string r3 = Line(RA('0', "20240512", "05", 3)), r1 = Line(RA('0', "20240512", "05", 1));
  ASSERT_TRUE(SaveLines(p, {std::string(1270, ' '), r3, r1}).ok());
  std::string r2 = RA('0', "20240512", "05", 2);
  ASSERT_TRUE(UpsertFile(p, r2, RuleRA()).ok());
  auto lines = *ReadRecordLines(p, kLenRA);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], r1);
  EXPECT_EQ(lines[1], Line(r2));
  EXPECT_EQ(lines[2], r3);
  // Same key again: replaced, not added.
  std::string r2b = RA('0', "20240512", "05", 2);
  r2b[100] = 'X';
  ASSERT_TRUE(UpsertFile(p, r2b, RuleRA()).ok());
  lines = *ReadRecordLines(p, kLenRA);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], Line(r2b));
  // HR keeps a blank first line (its rule does not drop it).
  auto h = dir / "d.jvHR";
  ASSERT_TRUE(SaveLines(h, {std::string(717, ' ')}).ok());
  ASSERT_TRUE(UpsertFile(h, HR('1', "20240512", "05", 1), RuleHR()).ok());
  EXPECT_EQ(ReadRecordLines(h, kLenHR)->size(), 2u);
}

// A record stored as it is already changes nothing, by a direct merge or through the cache in
// either mode: a file in another form (LF line ends, written by hand) keeps its bytes, and a
// re-sent day costs no writes. A changed record rewrites the file in the stored form.
TEST(StoredFiles, ARecordStoredAlreadyLeavesTheFileAsItIs) {
  TempDir dir;
  const std::string we = "WE" + std::string(40, '1');
  const std::string handMade = "\n" + we + "\n";
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    auto p = dir / ("d" + std::to_string(way) + ".jvWE");
    testing::WriteBytes(p, handMade);
    auto upsert = [&](const std::string& line) {
      if (way == 0) return UpsertFile(p, line + "\r\n", RuleWE());
      StoreCache cache(way == 1 ? StoreCache::Mode::kWriteBack : StoreCache::Mode::kWriteThrough);
      Status s = cache.Upsert(p, line, RuleWE());
      return s.ok() ? cache.Flush() : s;
    };
    ASSERT_TRUE(upsert(we).ok());
    ASSERT_TRUE(upsert("").ok());
    EXPECT_EQ(*ReadFile(p), handMade);
    std::string other = we;
    other[20] = '2';  // inside the key: another line
    ASSERT_TRUE(upsert(other).ok());
    EXPECT_EQ(*ReadFile(p), "\r\n" + we + "\r\n" + other + "\r\n");
  }
  std::vector<std::string> lines{"JC b", "JC a"};
  bool sorted = false;
  EXPECT_TRUE(MergeLine(lines, "JC a", RuleJC(), sorted));  // put in order
  EXPECT_FALSE(MergeLine(lines, "JC b", RuleJC(), sorted));
  EXPECT_TRUE(MergeLine(lines, "JC c", RuleJC(), sorted));
}

TEST(StoredFiles, ChangeNoticeRulesInsertInOrderAndKeepJcUnique) {
  std::vector<std::string> lines;
  bool sorted = false;
  MergeLine(lines, "JC b", RuleJC(), sorted);
  MergeLine(lines, "JC a", RuleJC(), sorted);
  MergeLine(lines, "JC b", RuleJC(), sorted);
  EXPECT_EQ(lines, (std::vector<std::string>{"JC a", "JC b"}));
  // AV: same race, other horse is a new line; same horse replaces.
  std::string k = testing::Key("20240512", "05", 1);
  std::vector<std::string> av;
  auto avLine = [&](const char* horse, char mark) {
    std::string l = "AV" + std::string(9, '0') + k + "0512100" + std::string(1, mark) + horse + "x";
    return l;
  };
  MergeLine(av, avLine("05", '1'), RuleAV(), sorted);
  MergeLine(av, avLine("03", '1'), RuleAV(), sorted);
  MergeLine(av, avLine("05", '2'), RuleAV(), sorted);
  ASSERT_EQ(av.size(), 2u);
  EXPECT_EQ(av[0], avLine("03", '1'));
  EXPECT_EQ(av[1], avLine("05", '2'));
}

TEST(StoredFiles, SlotFileHoldsTwelveRacesOfEighteen) {
  TempDir dir;
  auto se = SE('1', "20240512", "05", 12, 18);
  auto p = SlotPath(dir.path(), se);
  EXPECT_EQ(p.filename().string(), *Cp932ToUtf8(DateText("20240512") + CourseNameW("05", 2) + ".jvSEr"));
  ASSERT_TRUE(StoreSlotRecord(p, se, false).ok());
  EXPECT_EQ(*FileSize(p), 119880u);
  EXPECT_EQ(*ReadRecord(p, kLenSE, 215), se);
  EXPECT_EQ(*ReadRecord(p, kLenSE, 0), std::string(553, ' ') + "\r\n");
  // No slot: horse 0 or 19, race 0 or 13.
  for (auto bad : {SE('1', "20240512", "05", 1, 0), SE('1', "20240512", "05", 1, 19),
                   SE('1', "20240512", "05", 0, 1), SE('1', "20240512", "05", 13, 1)}) {
    ASSERT_TRUE(StoreSlotRecord(p, bad, false).ok());
  }
  auto recs = *ReadRecords(p, kLenSE);
  EXPECT_EQ(std::count(recs.begin(), recs.end(), std::string(553, ' ') + "\r\n"), 215);
  EXPECT_EQ(SlotIndex(13, 1), -1);
  // Real-time writers never create the file.
  auto other = dir / "none.jvSEr";
  ASSERT_TRUE(StoreSlotRecord(other, se, true).ok());
  EXPECT_FALSE(FileExists(other));
}

TEST(StoredFiles, OddsLineReplacedOnlyByANewerAnnouncement) {
  TempDir dir;
  auto odds = [](const char* announce, char div = '1') {
    std::string r = testing::Rec("O1", div, testing::Key("20240512", "05", 1), kLenO1);
    r.replace(27, 8, announce);
    return r;
  };
  auto p = dir / "d.jvO1";
  bool replaced = true;
  ASSERT_TRUE(ReplaceOddsLine(p, 0, odds("05121000"), kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);
  EXPECT_FALSE(FileExists(p));
  ASSERT_TRUE(SaveLines(p, {std::string(960, ' '), std::string(960, ' ')}).ok());
  ASSERT_TRUE(ReplaceOddsLine(p, 1, odds("05121000"), kLenO1, &replaced).ok());
  EXPECT_TRUE(replaced);
  ASSERT_TRUE(ReplaceOddsLine(p, 1, odds("05120950"), kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);
  ASSERT_TRUE(ReplaceOddsLine(p, 1, odds("05121000"), kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);  // equal is not newer
  ASSERT_TRUE(ReplaceOddsLine(p, 1, odds("05121100", '9'), kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);
  EXPECT_EQ(*ReadRecord(p, kLenO1, 1), odds("05121000"));
  ASSERT_TRUE(ReplaceOddsLine(p, 5, odds("05121200"), kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);
}

// Final odds carry no announcement time: they fill a blank placeholder, replace interim odds,
// and no later interim announcement replaces them; a corrected final does.
TEST(StoredFiles, FinalOddsAreTheNewestOfAll) {
  TempDir dir;
  auto odds = [](const char* announce, char div, char mark = '1') {
    std::string r = testing::Rec("O1", div, testing::Key("20240512", "05", 1), kLenO1);
    r.replace(27, 8, announce);
    r[45] = mark;  // a byte of the first win odds, to tell two records apart
    return r;
  };
  const std::string final = odds("00000000", '4');
  EXPECT_TRUE(IsFinalOdds(final) && IsFinalOdds(odds("00000000", '3')) && !IsFinalOdds(odds("05121000", '1')));
  auto p = dir / "d.jvO1";
  ASSERT_TRUE(SaveLines(p, {std::string(960, ' '), std::string(960, ' ')}).ok());
  bool replaced = false;
  ASSERT_TRUE(ReplaceOddsLine(p, 0, final, kLenO1, &replaced).ok());
  EXPECT_TRUE(replaced);  // the blank placeholder takes them
  ASSERT_TRUE(ReplaceOddsLine(p, 1, odds("05121555", '1'), kLenO1, &replaced).ok());
  ASSERT_TRUE(ReplaceOddsLine(p, 1, final, kLenO1, &replaced).ok());
  EXPECT_TRUE(replaced);  // over interim odds
  for (const char* later : {"05121600", "12312359"}) {
    ASSERT_TRUE(ReplaceOddsLine(p, 1, odds(later, '1'), kLenO1, &replaced).ok());
    EXPECT_FALSE(replaced) << later;
  }
  ASSERT_TRUE(ReplaceOddsLine(p, 1, final, kLenO1, &replaced).ok());
  EXPECT_FALSE(replaced);  // the same final again changes nothing
  const std::string corrected = odds("00000000", '5', '2');
  ASSERT_TRUE(ReplaceOddsLine(p, 1, corrected, kLenO1, &replaced).ok());
  EXPECT_TRUE(replaced);
  EXPECT_EQ(*ReadRecord(p, kLenO1, 0), final);
  EXPECT_EQ(*ReadRecord(p, kLenO1, 1), corrected);
}

TEST(StoredFiles, OddsPlaceholdersOnlyForMoreThanSixRaces) {
  TempDir dir;
  std::string date = DateText("20240512");
  auto ra = DataPath(dir.path(), date, ".jvRA");
  std::vector<std::string> six(6, Line(RA('1', "20240512", "05", 1)));
  ASSERT_TRUE(SaveLines(ra, six).ok());
  ASSERT_TRUE(EnsureOddsPlaceholders(dir.path(), date).ok());
  EXPECT_FALSE(FileExists(DataPath(dir.path(), date, ".jvO1")));
  six.push_back(six[0]);
  ASSERT_TRUE(SaveLines(ra, six).ok());
  ASSERT_TRUE(EnsureOddsPlaceholders(dir.path(), date).ok());
  EXPECT_EQ(*FileSize(DataPath(dir.path(), date, ".jvO1")), 7u * kLenO1);
  EXPECT_EQ(*FileSize(DataPath(dir.path(), date, ".jvO2")), 7u * kLenO2);
}

TEST(StoredFiles, CheckMarksAndFrequencyFiles) {
  TempDir dir;
  auto ck = dir / "Data" / "d.CkIm";
  EXPECT_EQ(*LoadOrCreateCheckMarks(ck), std::string(1944, '0'));
  EXPECT_EQ(testing::ReadBytes(ck), std::string(1944, '0'));
  testing::WriteBytes(ck, std::string(1000, '0'));
  EXPECT_TRUE(ReadCheckMarks(ck).status().isCorruption());
  EXPECT_TRUE(LoadOrCreateCheckMarks(ck).status().isCorruption());
  EXPECT_EQ(testing::ReadBytes(ck).size(), 1000u);  // a damaged file is not replaced by zeros

  HindCounts counts{};
  counts[0] = 1;
  counts[431] = -2;
  counts[100] = 0x01020304;
  auto hp = dir / "d.Hind";
  ASSERT_TRUE(WriteHind(hp, counts).ok());
  std::string bytes = testing::ReadBytes(hp);
  ASSERT_EQ(bytes.size(), 1728u);
  EXPECT_EQ(bytes.substr(400, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(*ReadHind(hp), counts);
  testing::WriteBytes(hp, bytes.substr(0, 1727));
  EXPECT_TRUE(ReadHind(hp).status().isCorruption());
}

TEST(StoredFiles, RecordsThatCannotNameAPathAreRefused) {
  EXPECT_TRUE(CheckRecordForPaths(RA('1', "20240512", "05", 1)).ok());
  EXPECT_FALSE(CheckRecordForPaths(RA('1', "2024/512", "05", 1)).ok());
  EXPECT_FALSE(CheckRecordForPaths(RA('1', "20240512", "..", 1)).ok());
  EXPECT_FALSE(CheckRecordForPaths(SE('7', "20240512", "05", 1, 1, "../../etc/")).ok());
  EXPECT_FALSE(CheckRecordForPaths(RA('1', "20240512", "05", 1).substr(0, 1000) + "\r\n").ok());
  std::string bad = RA('1', "20240512", "05", 1);
  bad[200] = '\x82';  // a lead byte followed by a blank
  EXPECT_FALSE(CheckRecordForPaths(bad).ok());
}

// The download files a race under the meeting key of its record and a runner under its
// registration number; the load looks both up by the same keys taken from a past run. Whatever
// the one accepts, the other must find: every two-byte racecourse code, every registration number.
TEST(StoredPaths, WhatTheDownloadFilesTheLoadCanFind) {
  TempDir dir;
  int accepted = 0;
  for (int a = 0x20; a < 0x7f; ++a) {
    for (int b = 0x20; b < 0x7f; ++b) {
      const std::string course{static_cast<char>(a), static_cast<char>(b)};
      const std::string ra = RA('1', "20240310", course, 3);
      const bool filed = CheckRecordForPaths(ra).ok();
      const std::filesystem::path path = MeetingPath(dir.path(), "20240310" + course);
      EXPECT_EQ(filed, !path.empty()) << course;
      EXPECT_EQ(filed, IsMeetingKey(std::string(Field(ra, 12, 10)))) << course;
      if (!filed) continue;
      ++accepted;
      EXPECT_EQ(path.parent_path(), dir.path() / "SEIR" / "2024") << course;
    }
  }
  EXPECT_EQ(accepted, 36 * 36);  // digits and capitals: "05", "44", "A4", "K6"
  for (const char* reg : {"2019100001", "0000000000", "2019A00001", "201910000", "../../etc/"}) {
    const bool filed = CheckRecordForPaths(SE('7', "20240512", "05", 1, 1, reg)).ok();
    EXPECT_EQ(filed, !HorsePath(dir.path(), reg).empty()) << reg;
  }
  EXPECT_TRUE(IsRaceKey("20240310A4010203"));
  EXPECT_FALSE(IsRaceKey("20240310A401020X"));
}

TEST(LegacyUm, ConvertsEveryRecordByTheLayoutAndNothingFromAnEmptyFile) {
  TempDir dir;
  std::string date = DateText("20240512");
  std::string legacy;
  for (int r = 0; r < 3; ++r) {
    std::string rec(1577, ' ');
    for (size_t i = 0; i < rec.size(); ++i) rec[i] = static_cast<char>('A' + (i + static_cast<size_t>(r)) % 26);
    legacy += rec;
  }
  testing::WriteBytes(DataPath(dir.path(), date, ".jvUMA"), legacy);
  size_t n = 0;
  ASSERT_TRUE(ConvertLegacyHorseMaster(dir.path(), date, &n).ok());
  EXPECT_EQ(n, 3u);
  auto lines = *ReadRecordLines(DataPath(dir.path(), date, ".jvUM2"), kLenUM);
  ASSERT_EQ(lines.size(), 3u);
  const std::string& l = lines[1];
  std::string_view src = std::string_view(legacy).substr(1577, 1577);
  EXPECT_EQ(l.substr(0, 204), src.substr(0, 204));
  EXPECT_EQ(l.substr(204, 2), "  ");
  EXPECT_EQ(l.substr(206, 44), src.substr(204, 44));
  EXPECT_EQ(l.substr(204 + 46 * 13 + 2, 44), src.substr(204 + 44 * 13, 44));
  EXPECT_EQ(l.substr(848, 34), src.substr(820, 34));
  EXPECT_EQ(l.substr(882, 8), "  " + std::string(src.substr(854, 6)));
  EXPECT_EQ(l.substr(890, 2), "  ");
  EXPECT_EQ(l.substr(892), src.substr(860, 715));

  TempDir empty;
  testing::WriteBytes(DataPath(empty.path(), date, ".jvUMA"), "");
  ASSERT_TRUE(ConvertLegacyHorseMaster(empty.path(), date, &n).ok());
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(FileExists(DataPath(empty.path(), date, ".jvUM2")));
  testing::WriteBytes(DataPath(empty.path(), date, ".jvUMA"), legacy.substr(0, 2000));
  EXPECT_TRUE(ConvertLegacyHorseMaster(empty.path(), date, &n).isCorruption());
  EXPECT_FALSE(FileExists(DataPath(empty.path(), date, ".jvUM2")));
}

}  // namespace
}  // namespace zelkova
