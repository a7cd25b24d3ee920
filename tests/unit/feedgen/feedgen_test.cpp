// Drives the built zelkova-feedgen and checks the feed it writes: determinism, record shapes,
// and that payouts and master counts agree with the results they summarise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "records/code_tables.h"
#include "records/record.h"
#include "test_support.h"

namespace fs = std::filesystem;
using zelkova::Field;
using zelkova::FieldInt;
using zelkova::IsAllDigits;
using zelkova::testing::ReadBytes;
using zelkova::testing::TempDir;

namespace {

int RunFeedgen(const std::vector<std::string>& args) { return zelkova::testing::RunProgram("zelkova-feedgen", args).status; }

std::string U8(const fs::path& p) { return zelkova::testing::U8(p); }

size_t LengthOf(std::string_view kind) {
  static const std::map<std::string, size_t, std::less<>> kLen = {
      {"RA", 1272}, {"SE", 555}, {"HR", 719}, {"WH", 847}, {"O1", 962}, {"O2", 2042}, {"UM", 1609},
      {"KS", 4173}, {"CH", 3862}, {"WE", 42},  {"AV", 78},  {"JC", 161}, {"TC", 45},  {"CC", 50}};
  auto it = kLen.find(kind);
  return it == kLen.end() ? 0 : it->second;
}

struct Rec {
  std::string file;
  std::string bytes;
};

// Every record of every record file under `root`, cut by the length of its kind; a file that
// does not split cleanly fails the test.
std::vector<Rec> AllRecords(const fs::path& root) {
  std::vector<Rec> out;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string rel = fs::relative(e.path(), root).string();
    if (rel.rfind("stored", 0) != 0 && rel.rfind("realtime", 0) != 0 && rel.rfind("jikeiretu", 0) != 0) continue;
    std::string data = ReadBytes(e.path());
    size_t at = 0;
    while (at < data.size()) {
      size_t len = LengthOf(std::string_view(data).substr(at, 2));
      if (len == 0 || at + len > data.size()) {
        ADD_FAILURE() << rel << ": unknown or short record at byte " << at;
        break;
      }
      out.push_back({rel, data.substr(at, len)});
      at += len;
    }
  }
  return out;
}

std::string Key(const std::string& r) { return r.substr(11, 16); }

class FeedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir();
    ASSERT_EQ(RunFeedgen({"--out", U8(dir_->path() / "feed"), "--seed", "7", "--scale", "test"}), 0);
    recs_ = new std::vector<Rec>(AllRecords(dir_->path() / "feed"));
  }
  static void TearDownTestSuite() {
    delete recs_;
    delete dir_;
  }
  static fs::path feed() { return dir_->path() / "feed"; }
  static const std::vector<Rec>& recs() { return *recs_; }
  // Records of stored files of a kind, optionally of a division.
  static std::vector<std::string> Stored(std::string_view kind, std::string_view divs = "") {
    std::vector<std::string> v;
    for (auto& r : recs())
      if (r.file.rfind("stored", 0) == 0 && r.bytes.compare(0, 2, kind) == 0 &&
          (divs.empty() || divs.find(r.bytes[2]) != std::string_view::npos))
        v.push_back(r.bytes);
    return v;
  }
  static TempDir* dir_;
  static std::vector<Rec>* recs_;
};
TempDir* FeedTest::dir_ = nullptr;
std::vector<Rec>* FeedTest::recs_ = nullptr;

std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> t;
  for (auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) t[fs::relative(e.path(), root).string()] = ReadBytes(e.path());
  return t;
}

TEST_F(FeedTest, SameSeedGivesTheSameBytesAndAnotherSeedAnotherFeed) {
  ASSERT_EQ(RunFeedgen({"--out", U8(dir_->path() / "again"), "--seed", "7", "--scale", "test"}), 0);
  auto a = Tree(feed()), b = Tree(dir_->path() / "again");
  ASSERT_EQ(a.size(), b.size());
  for (auto& [name, bytes] : a) EXPECT_TRUE(b.count(name) && b[name] == bytes) << name;
  ASSERT_EQ(RunFeedgen({"--out", U8(dir_->path() / "other"), "--seed", "8", "--scale", "test"}), 0);
  auto c = Tree(dir_->path() / "other");
  int differing = 0;
  for (auto& [name, bytes] : a) differing += c.count(name) && c[name] != bytes;
  EXPECT_GT(differing, 100);
}

TEST_F(FeedTest, EveryRecordHasItsLengthCrLfValidTextAndDigitKeys) {
  ASSERT_GT(recs().size(), 10000u);
  for (auto& r : recs()) {
    const std::string& b = r.bytes;
    ASSERT_EQ(b.substr(b.size() - 2), "\r\n") << r.file;
    ASSERT_EQ(b.find_first_of("\r\n"), b.size() - 2) << r.file;
    ASSERT_TRUE(zelkova::IsValidCp932(b)) << r.file << " " << b.substr(0, 27);
    ASSERT_TRUE(IsAllDigits(Field(b, 4, 8))) << r.file;
    std::string kind = b.substr(0, 2);
    bool race = kind != "UM" && kind != "KS" && kind != "CH";
    if (race) {
      ASSERT_TRUE(IsAllDigits(Field(b, 12, 8)) && IsAllDigits(Field(b, 22, (kind == "WE") ? 4 : 6))) << r.file;
      std::string_view course = Field(b, 20, 2);
      ASSERT_TRUE(IsAllDigits(course) || (course[0] >= 'A' && course[0] <= 'N' && isdigit(course[1]))) << r.file;
    } else {
      ASSERT_TRUE(IsAllDigits(Field(b, 12, kind == "UM" ? 10 : 5))) << r.file;
    }
    if (kind == "SE") {
      ASSERT_TRUE(IsAllDigits(Field(b, 28, 3)) && IsAllDigits(Field(b, 289, 3)) && IsAllDigits(Field(b, 335, 2)) &&
                  IsAllDigits(Field(b, 360, 6)) && IsAllDigits(Field(b, 366, 16)) && IsAllDigits(Field(b, 391, 3)))
          << r.file << " " << Key(b);
      std::string_view diff = Field(b, 532, 4);
      ASSERT_TRUE(diff == "9999" || diff == "0000" || ((diff[0] == '+' || diff[0] == '-') && IsAllDigits(diff.substr(1))));
    }
    if (kind == "RA") {
      ASSERT_TRUE(IsAllDigits(Field(b, 698, 12)) && IsAllDigits(Field(b, 874, 16))) << r.file;
    }
    if (kind == "UM") {
      ASSERT_TRUE(IsAllDigits(Field(b, 1053, 1607 - 1053 + 1))) << r.file;
    }
    if (kind == "KS") {
      ASSERT_TRUE(IsAllDigits(Field(b, 1016, 4171 - 1016 + 1))) << r.file;
    }
    if (kind == "CH") {
      ASSERT_TRUE(IsAllDigits(Field(b, 705, 3860 - 705 + 1))) << r.file;
    }
  }
  EXPECT_EQ(ReadBytes(feed() / "version.txt"), "0490");
  auto legacy = fs::directory_iterator(feed() / "legacy")->path();
  auto size = fs::file_size(legacy);
  EXPECT_TRUE(size > 0 && size % 1577 == 0);
}

// The newest result image of each (race, horse number), from the stored results.
std::map<std::string, std::vector<std::string>> ResultsByRace(const std::vector<std::string>& se) {
  std::map<std::string, std::map<std::string, std::string>> best;
  for (auto& r : se) best[Key(r)][r.substr(28, 2)] = r;  // later deliveries replace earlier ones
  std::map<std::string, std::vector<std::string>> out;
  for (auto& [k, m] : best)
    for (auto& [n, r] : m) out[k].push_back(r);
  return out;
}

TEST_F(FeedTest, PayoutsAgreeWithTheFinishingOrder) {
  auto races = ResultsByRace(Stored("SE", "57"));
  int checked = 0, deadHeats = 0;
  for (auto& hr : Stored("HR", "2")) {
    auto it = races.find(Key(hr));
    ASSERT_NE(it, races.end()) << Key(hr);
    std::map<int, std::vector<const std::string*>> byPos;
    int started = 0;
    for (auto& se : it->second) {
      if (FieldInt(se, 332, 1) != 1 && FieldInt(se, 332, 1) != 3) ++started;
      if (FieldInt(se, 335, 2) > 0) byPos[FieldInt(se, 335, 2)].push_back(&se);
    }
    ASSERT_EQ(FieldInt(hr, 30, 2), started);
    auto no = [](const std::string* se) { return se->substr(28, 2); };
    std::set<std::string> winners, paid;
    for (auto* s : byPos[1]) winners.insert(no(s));
    for (int j = 0; j < 3; ++j)
      if (!zelkova::IsBlank(Field(hr, 103 + 13 * j, 2))) paid.insert(std::string(Field(hr, 103 + 13 * j, 2)));
    ASSERT_EQ(paid, winners) << Key(hr);
    const std::string& w = *byPos[1][0];
    if (winners.size() == 1) {
      EXPECT_EQ(FieldInt(hr, 105, 9), FieldInt(w, 360, 4) * 10);
      EXPECT_EQ(FieldInt(hr, 114, 2), FieldInt(w, 364, 2));
      const std::string& second = *byPos[2][0];
      EXPECT_EQ(Field(hr, 454, 4), no(&w) + no(&second));
      EXPECT_EQ(Field(hr, 604, 4), no(&w) + no(&second));
      std::string pair = std::min(no(&w), no(&second)) + std::max(no(&w), no(&second));
      EXPECT_EQ(Field(hr, 246, 4), pair);
      EXPECT_EQ(Field(hr, 294, 4), pair);
      EXPECT_EQ(Field(hr, 608, 2), no(byPos[3][0]));
    } else {
      ++deadHeats;
      EXPECT_FALSE(zelkova::IsBlank(Field(hr, 454 + 16, 4)));  // both exacta orders pay
    }
    int places = 0;
    for (int j = 0; j < 5; ++j) places += !zelkova::IsBlank(Field(hr, 142 + 13 * j, 2));
    EXPECT_EQ(places, started >= 8 ? 3 : 2) << Key(hr);
    ++checked;
  }
  EXPECT_GT(checked, 500);
  EXPECT_GE(deadHeats, 1);
}

TEST_F(FeedTest, HorseMasterCountsAgreeWithTheHorsesResults) {
  std::map<std::string, std::vector<std::string>> runs;  // registration number -> final results
  for (auto& [key, list] : ResultsByRace(Stored("SE", "7AB")))
    for (auto& se : list) runs[se.substr(30, 10)].push_back(se);
  auto um = Stored("UM");
  ASSERT_GT(um.size(), 500u);
  int withRuns = 0;
  for (auto& u : um) {
    int made = static_cast<int>(FieldInt(u, 4, 8));
    std::array<int, 6> total{}, central{};
    long long prize = 0;
    for (auto& se : runs[u.substr(11, 10)]) {
      int abn = static_cast<int>(FieldInt(se, 332, 1));
      if (FieldInt(se, 12, 8) >= made || abn == 1 || abn == 3) continue;
      int pos = static_cast<int>(FieldInt(se, 335, 2));
      int slot = pos >= 1 && pos <= 5 ? pos - 1 : 5;
      ++total[slot];
      if (se[2] == '7') {
        ++central[slot];
        prize += FieldInt(se, 366, 8);
      }
    }
    int sum = 0, surfaces = 0;
    for (int i = 0; i < 6; ++i) {
      ASSERT_EQ(FieldInt(u, 1107 + 3 * i, 3), total[i]) << u.substr(11, 10) << " made " << made;
      ASSERT_EQ(FieldInt(u, 1125 + 3 * i, 3), central[i]) << u.substr(11, 10);
      sum += total[i];
      for (int g = 2; g <= 8; ++g) surfaces += static_cast<int>(FieldInt(u, 1107 + 18 * g + 3 * i, 3));
    }
    EXPECT_EQ(surfaces, central[0] + central[1] + central[2] + central[3] + central[4] + central[5]);
    EXPECT_EQ(FieldInt(u, 1605, 3), sum);
    EXPECT_EQ(FieldInt(u, 1053, 9) + FieldInt(u, 1062, 9), prize) << u.substr(11, 10);
    withRuns += sum > 0;
  }
  EXPECT_GT(withRuns, 100);
}

// Wins of this year and last (flat and jump) at the positions the loader sums, against the
// central results the person rode or trained before the master was made.
TEST_F(FeedTest, JockeyAndTrainerWinCountsAgreeWithTheResults) {
  auto results = ResultsByRace(Stored("SE", "7"));
  auto check = [&](std::string_view kind, size_t codeAt, size_t flatAt, size_t jumpAt) {
    int nonZero = 0;
    for (auto& m : Stored(kind)) {
      int made = static_cast<int>(FieldInt(m, 4, 8));
      int year = made / 10000;
      long long wins = 0;
      for (auto& [key, list] : results)
        for (auto& se : list) {
          int y = static_cast<int>(FieldInt(se, 12, 4));
          if (Field(se, codeAt, 5) == Field(m, 12, 5) && FieldInt(se, 12, 8) < made && (y == year || y == year - 1) &&
              FieldInt(se, 335, 2) == 1)
            ++wins;
        }
      long long counted = FieldInt(m, flatAt, 6) + FieldInt(m, jumpAt, 6) + FieldInt(m, flatAt + 1052, 6) +
                          FieldInt(m, jumpAt + 1052, 6);
      ASSERT_EQ(counted, wins) << kind << " " << Field(m, 12, 5) << " made " << made;
      nonZero += wins > 0;
    }
    EXPECT_GT(nonZero, 10) << kind;
  };
  check("KS", 297, 1060, 1096);
  check("CH", 86, 749, 785);
}

// Within each race: positions run 1.. without gaps (dead heats share one), times never fall with
// the position, the winner's margin is blank and the others' not, popularity follows the odds.
TEST_F(FeedTest, ResultsAreConsistentWithEachOther) {
  int races = 0;
  for (auto& [key, list] : ResultsByRace(Stored("SE", "7AB"))) {
    std::vector<std::pair<long long, const std::string*>> fin, priced;
    for (auto& se : list) {
      if (FieldInt(se, 335, 2) > 0) fin.push_back({FieldInt(se, 335, 2), &se});
      if (FieldInt(se, 364, 2) > 0) priced.push_back({FieldInt(se, 364, 2), &se});
    }
    std::sort(fin.begin(), fin.end());
    ASSERT_FALSE(fin.empty()) << key;
    for (size_t i = 0; i < fin.size(); ++i) {
      const std::string& se = *fin[i].second;
      EXPECT_TRUE(fin[i].first == static_cast<long long>(i) + 1 || (i > 0 && fin[i].first == fin[i - 1].first)) << key;
      EXPECT_EQ(zelkova::IsBlank(Field(se, 343, 3)), fin[i].first == 1) << key;
      if (i > 0) {
        EXPECT_GE(FieldInt(se, 339, 1) * 600 + FieldInt(se, 340, 3),
                  FieldInt(*fin[i - 1].second, 339, 1) * 600 + FieldInt(*fin[i - 1].second, 340, 3)) << key;
      }
      EXPECT_EQ(Field(se, 532, 1), fin[i].first == 1 ? "-" : "+") << key;
    }
    std::sort(priced.begin(), priced.end());
    for (size_t i = 0; i < priced.size(); ++i) {
      EXPECT_EQ(priced[i].first, static_cast<long long>(i) + 1) << key;
      if (i > 0) {
        EXPECT_GE(FieldInt(*priced[i].second, 360, 4), FieldInt(*priced[i - 1].second, 360, 4)) << key;
      }
    }
    for (auto& se : list) {
      if (FieldInt(se, 335, 2) == 0) {
        EXPECT_EQ(Field(se, 532, 4), "9999") << key;
      }
    }
    ++races;
  }
  EXPECT_GT(races, 500);
}

// A decoded code is a real text, not the table's filler for unknown codes.
bool Decoded(const std::string& text, const std::string& filler = "") {
  std::string stripped(zelkova::TrimBlanks(zelkova::StripWideSpaces(text)));
  return !stripped.empty() && text != filler;
}

TEST_F(FeedTest, SampledFieldsDecodeThroughTheCodeTables) {
  const std::string other = zelkova::Sj("[その他]"), dash = zelkova::Sj("－");
  int central = 0, outside = 0;
  for (auto& ra : Stored("RA", "27AB")) {
    std::string code(Field(ra, 20, 2));
    SCOPED_TRACE(Key(ra));
    if (ra[2] == 'A' || ra[2] == 'B') {
      EXPECT_EQ(zelkova::CourseName(code), ra[2] == 'A' ? zelkova::Sj("地方  ") : zelkova::Sj("海外  "));
      EXPECT_TRUE(Decoded(zelkova::CourseNameW(code, 9)));
      ++outside;
      continue;
    }
    EXPECT_TRUE(Decoded(zelkova::CourseName(code)));
    EXPECT_TRUE(Decoded(zelkova::CourseNameW(code, 2)));
    EXPECT_TRUE(Decoded(zelkova::RaceTypeName(Field(ra, 617, 2), 4)));
    EXPECT_TRUE(Decoded(zelkova::AgeClassLabel(Field(ra, 617, 2), Field(ra, 635, 3))));
    EXPECT_TRUE(Decoded(zelkova::RaceClassLabel(Field(ra, 635, 3), Field(ra, 615, 1), std::string(Field(ra, 33, 60)))));
    EXPECT_TRUE(Decoded(zelkova::WeightRuleName(Field(ra, 622, 1))));
    EXPECT_TRUE(Decoded(zelkova::TrackName(static_cast<int>(FieldInt(ra, 706, 2)))));
    EXPECT_TRUE(Decoded(zelkova::TrackShort(static_cast<int>(FieldInt(ra, 706, 2)))));
    EXPECT_TRUE(Decoded(zelkova::WeekdayName(Field(ra, 28, 1), 1)));
    if (Field(ra, 619, 3) != "000") {
      EXPECT_TRUE(Decoded(zelkova::RaceSymbolName(Field(ra, 619, 3))));
    }
    if (!zelkova::IsBlank(Field(ra, 615, 1))) {
      EXPECT_TRUE(Decoded(zelkova::GradeName(Field(ra, 615, 1), 1)));
      EXPECT_TRUE(Decoded(std::string(Field(ra, 33, 60))));  // special races have names
    }
    if (ra[2] == '7') {
      EXPECT_TRUE(Decoded(zelkova::WeatherName(Field(ra, 888, 1))));
      bool turf = FieldInt(ra, 706, 2) <= 22 || FieldInt(ra, 706, 2) >= 51;
      EXPECT_TRUE(Decoded(zelkova::GoingName(Field(ra, turf ? 889 : 890, 1), 0)));
    }
    ++central;
  }
  EXPECT_GT(central, 500);
  EXPECT_GT(outside, 1);
  std::set<std::string> abnormal;
  for (auto& se : Stored("SE", "7")) {
    SCOPED_TRACE(Key(se));
    EXPECT_TRUE(Decoded(zelkova::SexName(Field(se, 79, 1))));
    EXPECT_TRUE(Decoded(zelkova::CoatColourName(Field(se, 81, 2))));
    EXPECT_TRUE(Decoded(zelkova::AffiliationName(Field(se, 85, 1), 1), dash));
    EXPECT_TRUE(Decoded(std::string(Field(se, 41, 36))) && Decoded(std::string(Field(se, 307, 8))) &&
                Decoded(std::string(Field(se, 91, 8))) && Decoded(std::string(Field(se, 105, 64))));
    if (FieldInt(se, 332, 1) > 0) abnormal.insert(zelkova::AbnormalityName(Field(se, 332, 1)));
  }
  for (auto& a : abnormal) EXPECT_TRUE(Decoded(a)) << a;
  EXPECT_GE(abnormal.size(), 2u);  // scratches and falls
  for (auto& ks : Stored("KS")) EXPECT_TRUE(Decoded(zelkova::AffiliationName(Field(ks, 231, 1), 1), dash));
  for (auto& ch : Stored("CH")) EXPECT_TRUE(Decoded(zelkova::AffiliationName(Field(ch, 195, 1), 1), dash));
  int scratches = 0;
  for (auto& r : recs())
    if (r.bytes.compare(0, 2, "AV") == 0) {
      EXPECT_TRUE(Decoded(zelkova::ScratchName(r.bytes.substr(2, 1))));
      EXPECT_TRUE(Decoded(zelkova::ReasonName(Field(r.bytes, 74, 3)), other));
      ++scratches;
    }
  EXPECT_GT(scratches, 0);
}

TEST_F(FeedTest, HoldsTheSpecialCasesTestsRelyOn) {
  std::map<std::string, int> racesPerDate;
  std::set<long long> fieldSizes;
  bool obstacle = false, local = false, overseas = false;
  for (auto& ra : Stored("RA", "2")) {
    ++racesPerDate[ra.substr(11, 8)];
    fieldSizes.insert(FieldInt(ra, 882, 2));
    obstacle |= FieldInt(ra, 706, 2) >= 51;
  }
  for (auto& ra : Stored("RA", "AB")) {
    int c = static_cast<int>(FieldInt(ra, 20, 2, -1));
    local |= ra[2] == 'A' && c >= 30 && c <= 61;
    overseas |= ra[2] == 'B' && ra[19] >= 'A';
  }
  std::set<int> counts;
  for (auto& [d, n] : racesPerDate) counts.insert(n);
  EXPECT_TRUE(counts.count(24) && counts.count(36));
  EXPECT_TRUE(fieldSizes.count(7) && fieldSizes.count(18));
  EXPECT_TRUE(obstacle && local && overseas);
  EXPECT_FALSE(Stored("SE", "0").empty());
  EXPECT_FALSE(Stored("SE", "1").empty());
  // A runner of the season with 30 earlier runs.
  std::map<std::string, std::set<std::string>> dates;
  for (auto& se : Stored("SE", "7AB")) dates[se.substr(30, 10)].insert(se.substr(11, 8));
  int most = 0;
  for (auto& se : Stored("SE", "2")) {
    auto& d = dates[se.substr(30, 10)];
    most = std::max(most, static_cast<int>(std::distance(d.begin(), d.lower_bound(se.substr(11, 8)))));
  }
  EXPECT_GE(most, 30);
  for (const char* kind : {"WE", "AV", "JC", "TC", "CC", "WH", "O1", "O2"}) {
    bool any = false;
    for (auto& r : recs()) any |= r.file.rfind("realtime", 0) == 0 && r.bytes.compare(0, 2, kind) == 0;
    EXPECT_TRUE(any) << kind;
  }
  // Weather and going notices: the day's first report, a going change and a later weather change.
  std::set<char> ids;
  for (auto& r : recs())
    if (r.file.rfind("realtime", 0) == 0 && r.bytes.compare(0, 2, "WE") == 0) ids.insert(r.bytes[33]);
  EXPECT_EQ(ids, (std::set<char>{'1', '2', '3'}));
  // A race's entries are first delivered with division 1, then as final entries, then as results.
  std::map<std::string, std::string> divisions;
  for (auto& r : recs())
    if (r.file.rfind("stored", 0) == 0 && r.bytes.compare(0, 2, "RA") == 0) divisions[Key(r.bytes)] += r.bytes[2];
  int fullCycle = 0;
  for (auto& [k, d] : divisions) fullCycle += d.find("1") != std::string::npos && d.find("2") != std::string::npos &&
                                              d.find("7") != std::string::npos && d.find('1') < d.find('2');
  EXPECT_GT(fullCycle, 100);
  EXPECT_FALSE(fs::is_empty(feed() / "video"));
  EXPECT_FALSE(fs::is_empty(feed() / "jikeiretu"));
}

// What real data holds: final odds (division 4, no announcement time) in the stored data of past
// days and after post time in the real-time stream, weights of 999 (not weighed) and 000 for
// scratched runners.
TEST_F(FeedTest, SendsFinalOddsAndUnweighedAndScratchedWeights) {
  std::set<std::string> finals;
  for (auto& o : Stored("O1", "4")) {
    EXPECT_EQ(Field(o, 28, 8), "00000000");
    finals.insert(Key(o));
  }
  std::set<std::string> results;
  for (auto& hr : Stored("HR", "2")) results.insert(Key(hr));
  for (auto& k : finals) EXPECT_TRUE(results.count(k)) << k;  // with the race's results
  EXPECT_GT(finals.size(), 100u);
  EXPECT_EQ(Stored("O2", "4").size(), finals.size());
  int realtimeFinals = 0;
  for (auto& r : recs())
    if (r.file.rfind("realtime", 0) == 0 && r.bytes.compare(0, 3, "O14") == 0) {
      EXPECT_EQ(Field(r.bytes, 28, 8), "00000000");
      ++realtimeFinals;
    }
  EXPECT_GT(realtimeFinals, 24);
  int unweighed = 0, scratched = 0;
  for (auto& se : Stored("SE", "7")) {
    const long long abn = FieldInt(se, 332, 1);
    unweighed += Field(se, 325, 3) == "999";
    if (abn == 1) {
      EXPECT_EQ(Field(se, 325, 3), "000");
      ++scratched;
    }
  }
  EXPECT_GE(unweighed, 1);
  EXPECT_LE(unweighed, 40);
  EXPECT_GT(scratched, 0);
  std::set<std::string> whCodes;
  for (auto& r : recs())
    if (r.file.rfind("realtime", 0) == 0 && r.bytes.compare(0, 2, "WH") == 0)
      for (size_t k = 0; k < 18; ++k) whCodes.insert(std::string(Field(r.bytes, 74 + 45 * k, 3)));
  EXPECT_TRUE(whCodes.count("999") && whCodes.count("000"));
}

// Widening each legacy record as the program's conversion does gives the horse's current master
// of the same day, but for the two bytes that open the breeder name (blanks instead of "　").
TEST_F(FeedTest, LegacyHorseMasterWidensToTheCurrentRecords) {
  std::map<std::string, std::string> um;  // registration number + made date -> record
  for (auto& u : Stored("UM")) um[u.substr(11, 10) + u.substr(3, 8)] = u;
  auto legacy = fs::directory_iterator(feed() / "legacy")->path();
  std::string bytes = ReadBytes(legacy);
  ASSERT_TRUE(!bytes.empty() && bytes.size() % 1577 == 0);
  for (size_t at = 0; at < bytes.size(); at += 1577) {
    std::string_view old = std::string_view(bytes).substr(at, 1577);
    std::string line(old.substr(0, 204));
    for (size_t k = 0; k < 14; ++k) line += "  " + std::string(old.substr(204 + 44 * k, 44));
    line += std::string(old.substr(820, 34)) + "  " + std::string(old.substr(854, 6)) + "  " +
            std::string(old.substr(860, 715));
    ASSERT_EQ(line.size(), 1607u);
    auto it = um.find(line.substr(11, 10) + line.substr(3, 8));
    ASSERT_NE(it, um.end()) << line.substr(11, 10);
    std::string expected = it->second.substr(0, 1607);
    expected.replace(890, 2, "  ");
    EXPECT_EQ(line, expected);
  }
}

TEST(FeedgenArguments, BadArgumentsAndForeignFoldersAreRefusedWithExitTwo) {
  TempDir t;
  EXPECT_EQ(RunFeedgen({}), 2);
  EXPECT_EQ(RunFeedgen({"--out", U8(t.path() / "f"), "--scale", "huge"}), 2);
  EXPECT_EQ(RunFeedgen({"--out", U8(t.path() / "f"), "--seed", "12x"}), 2);
  EXPECT_EQ(RunFeedgen({"--out", U8(t.path() / "f"), "--today", "2024-02-30"}), 2);
  EXPECT_EQ(RunFeedgen({"--out", U8(t.path() / "f"), "--bogus", "1"}), 2);
  zelkova::testing::WriteBytes(t.path() / "mine" / "notes.txt", "keep me");
  EXPECT_EQ(RunFeedgen({"--out", U8(t.path() / "mine"), "--scale", "demo"}), 2);
  EXPECT_EQ(ReadBytes(t.path() / "mine" / "notes.txt"), "keep me");
  EXPECT_FALSE(fs::exists(t.path() / "mine" / "stored"));
}

TEST(FeedgenArguments, APreviousFeedIsReplacedAndExtraFilesKept) {
  TempDir t;
  std::string out = U8(t.path() / "f");
  ASSERT_EQ(RunFeedgen({"--out", out, "--scale", "demo", "--seed", "3"}), 0);
  zelkova::testing::WriteBytes(t.path() / "f" / "inject.txt", "JVOpen -301\n");
  zelkova::testing::WriteBytes(t.path() / "f" / "stored" / "RACE" / "20000101000000_STALE.jvd", "x");
  ASSERT_EQ(RunFeedgen({"--out", out, "--scale", "demo", "--seed", "3", "--today", "2024-05-12"}), 0);
  EXPECT_FALSE(fs::exists(t.path() / "f" / "stored" / "RACE" / "20000101000000_STALE.jvd"));
  EXPECT_EQ(ReadBytes(t.path() / "f" / "inject.txt"), "JVOpen -301\n");
  EXPECT_NE(ReadBytes(t.path() / "f" / "README.txt").find("today: 2024-05-12"), std::string::npos);
}

// The generator's plausibility: fillies' races hold fillies; the final odds of every bet type
// agree with each other and with the win odds as a pari-mutuel pool would; popularity follows
// the odds; the payouts are the winning combinations' final odds and follow their popularity.
TEST_F(FeedTest, FilliesRacesHoldFillies) {
  std::set<std::string> fillies;
  for (auto& ra : Stored("RA", "7"))
    if (Field(ra, 620, 1) == "2") fillies.insert(Key(ra));
  ASSERT_GT(fillies.size(), 20u);
  int runners = 0;
  for (auto& se : Stored("SE", "7"))
    if (fillies.count(Key(se))) {
      EXPECT_EQ(Field(se, 79, 1), "2") << Key(se);
      ++runners;
    }
  EXPECT_GT(runners, 100);
}

// Sum over a pool's combinations of payback / odds: 1 when the odds share the pool out.
double PoolShare(const std::vector<long long>& tenths, double payback) {
  double sum = 0;
  for (long long o : tenths) sum += payback / (o / 10.0);
  return sum;
}

TEST_F(FeedTest, FinalOddsAgreeAsAPoolAndPopularityFollowsThem) {
  std::map<std::string, std::string> o2;
  for (auto& r : Stored("O2", "4")) o2[Key(r)] = r;
  int races = 0;
  for (auto& o1 : Stored("O1", "4")) {
    SCOPED_TRACE(Key(o1));
    std::vector<std::pair<long long, long long>> win;  // (odds, popularity) by horse
    std::vector<long long> winOdds, bracket, quinella, placeLow;
    for (size_t h = 0; h < 18; ++h) {
      if (!IsAllDigits(Field(o1, 46 + 8 * h, 4))) continue;
      win.push_back({FieldInt(o1, 46 + 8 * h, 4), FieldInt(o1, 50 + 8 * h, 2)});
      winOdds.push_back(win.back().first);
      placeLow.push_back(FieldInt(o1, 270 + 12 * h, 4));
      EXPECT_LE(placeLow.back(), FieldInt(o1, 274 + 12 * h, 4));
    }
    ASSERT_GE(win.size(), 5u);
    for (size_t i = 0; i < win.size(); ++i)
      for (size_t j = 0; j < win.size(); ++j) {
        if (win[i].first < win[j].first) {
          EXPECT_LT(win[i].second, win[j].second);   // popularity follows the odds
          EXPECT_LE(placeLow[i], placeLow[j]);       // and so do the place odds
        }
      }
    for (size_t k = 0; k < 36; ++k)
      if (IsAllDigits(Field(o1, 606 + 9 * k, 5))) bracket.push_back(FieldInt(o1, 606 + 9 * k, 5));
    const std::string& q = o2.at(Key(o1));
    std::vector<std::pair<long long, long long>> qPop;
    for (size_t k = 0; k < 153; ++k)
      if (IsAllDigits(Field(q, 45 + 13 * k, 6))) {
        quinella.push_back(FieldInt(q, 45 + 13 * k, 6));
        qPop.push_back({quinella.back(), FieldInt(q, 51 + 13 * k, 3)});
      }
    std::sort(qPop.begin(), qPop.end());
    for (size_t i = 1; i < qPop.size(); ++i)
      if (qPop[i].first > qPop[i - 1].first) {
        EXPECT_GT(qPop[i].second, qPop[i - 1].second);
      }
    EXPECT_NEAR(PoolShare(winOdds, 0.8), 1.0, 0.08);
    EXPECT_NEAR(PoolShare(quinella, 0.775), 1.0, 0.08);
    if (!bracket.empty()) {
      EXPECT_NEAR(PoolShare(bracket, 0.775), 1.0, 0.08);
    }
    ++races;
  }
  EXPECT_GT(races, 100);
}

TEST_F(FeedTest, PayoutsAreTheFinalOddsAndFollowPopularity) {
  std::map<std::string, std::string> o1, o2;
  for (auto& r : Stored("O1", "4")) o1[Key(r)] = r;
  for (auto& r : Stored("O2", "4")) o2[Key(r)] = r;
  int races = 0;
  for (auto& hr : Stored("HR", "2")) {
    auto a = o1.find(Key(hr)), b = o2.find(Key(hr));
    if (a == o1.end() || b == o2.end()) continue;
    SCOPED_TRACE(Key(hr));
    const std::string &win = a->second, &q = b->second;
    auto horse = [](std::string_view two) { return static_cast<size_t>(std::stoi(std::string(two))); };
    // Quinella: the pair's final odds; its index in the combination table of a < b.
    const size_t x = horse(Field(hr, 246, 2)), y = horse(Field(hr, 248, 2));
    const size_t k = (x - 1) * 18 - (x - 1) * x / 2 + (y - x - 1);
    EXPECT_EQ(FieldInt(hr, 250, 9), FieldInt(q, 45 + 13 * k, 6) * 10);
    EXPECT_EQ(FieldInt(hr, 259, 3), FieldInt(q, 51 + 13 * k, 3));
    for (size_t j = 0; j < 5; ++j) {
      if (zelkova::IsBlank(Field(hr, 142 + 13 * j, 2))) continue;
      const size_t h = horse(Field(hr, 142 + 13 * j, 2)) - 1;
      const long long paid = FieldInt(hr, 144 + 13 * j, 9);
      EXPECT_GE(paid, FieldInt(win, 270 + 12 * h, 4) * 10);
      EXPECT_LE(paid, FieldInt(win, 274 + 12 * h, 4) * 10);
    }
    if (!zelkova::IsBlank(Field(hr, 207, 2))) {
      const size_t f = static_cast<size_t>(hr[206] - '0'), g = static_cast<size_t>(hr[207] - '0');
      const size_t kb = (f - 1) * 8 - (f - 1) * (f - 2) / 2 + (g - f);
      EXPECT_EQ(FieldInt(hr, 209, 9), FieldInt(win, 606 + 9 * kb, 5) * 10);
    }
    // Within a bet type, the more popular result pays less; a harder bet pays more.
    std::vector<std::pair<long long, long long>> wide;
    for (size_t j = 0; j < 3; ++j) wide.push_back({FieldInt(hr, 307 + 16 * j, 3), FieldInt(hr, 298 + 16 * j, 9)});
    std::sort(wide.begin(), wide.end());
    for (size_t j = 1; j < wide.size(); ++j) EXPECT_GE(wide[j].second, wide[j - 1].second);
    EXPECT_GE(FieldInt(hr, 458, 9), FieldInt(hr, 250, 9));  // exacta >= quinella
    EXPECT_GE(FieldInt(hr, 610, 9), FieldInt(hr, 556, 9));  // trifecta >= trio
    ++races;
  }
  EXPECT_GT(races, 100);
}


}  // namespace
