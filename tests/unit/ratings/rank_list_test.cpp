#include "analysis/rank_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/race_category.h"

namespace zelkova {
namespace {

RankList ListOf(std::initializer_list<double> values, const char* fmt = "%10.4f") {
  RankList list;
  int n = 0;
  for (double v : values) {
    RankKey key;
    key.Append(fmt, v);
    list.Add(key, ++n);
  }
  return list;
}

TEST(RankList, DescendingAscendingAndSharedTies) {
  std::array<int, 18> ranks{};
  ListOf({5, 7, 7, 2}).AssignDescending(ranks);
  EXPECT_EQ((std::array<int, 4>{3, 2, 1, 4}), (std::array<int, 4>{ranks[0], ranks[1], ranks[2], ranks[3]}));
  ranks = {};
  ListOf({5, 7, 7, 2}).AssignDescending(ranks, 10);
  EXPECT_EQ((std::array<int, 4>{3, 1, 1, 4}), (std::array<int, 4>{ranks[0], ranks[1], ranks[2], ranks[3]}));
  ranks = {};
  ListOf({5, 7, 7, 2}).AssignAscending(ranks, 10);
  EXPECT_EQ((std::array<int, 4>{2, 3, 3, 1}), (std::array<int, 4>{ranks[0], ranks[1], ranks[2], ranks[3]}));
  EXPECT_EQ(ranks[4], 0);  // not listed
}

TEST(RankList, KeysEndWithTheRunnerNumberAndTextsAreUnique) {
  RankList list = ListOf({1.5, 12});
  EXPECT_EQ(list.Key(0), "    1.5000 1");
  EXPECT_EQ(list.Key(1), "   12.0000 2");
  list.Clear();
  EXPECT_TRUE(list.AddText("  55.00000"));
  EXPECT_TRUE(list.AddText("  55.00000"));
  EXPECT_EQ(list.size(), 1);
}

TEST(RankKey, NumbersAreWrittenExactlyAsPrintfWritesThem) {
  // Ties of every kind (exact halves, halves that are not exact in binary), signs, zeros, values
  // too wide for the field or too large for the quick way, and a spread of ordinary ones.
  std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 1.00005, 2.675, 1.45, -0.00001,
                                -0.04, 99999.99995, 123456789.5, 1e300, -1e-300, 1000, 10000, 999.99996};
  uint64_t x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
    const double scale[] = {1, 100, 10000, 1e7};
    values.push_back((static_cast<double>(x >> 11) / 9007199254740992.0 - 0.3) * scale[i % 4]);
  }
  for (const char* fmt : {"%10.4f", "%10.5f", "%6.2f", "%6.1f", "%6.0f"})
    for (double v : values) {
      char want[512];
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
      std::snprintf(want, sizeof want, fmt, v);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
      RankKey key;
      key.AppendText("ab").Append(fmt, v);
      EXPECT_EQ(key.View(), ("ab" + std::string(want)).substr(0, RankKey::kMax)) << fmt << " " << v;
    }
}

TEST(RaceCategory, ConditionsAndKinds) {
  EXPECT_EQ(RaceCategoryOf("703", "11"), 0);
  EXPECT_EQ(RaceCategoryOf("005", "12"), 1);
  EXPECT_EQ(RaceCategoryOf("010", "11"), 2);
  EXPECT_EQ(RaceCategoryOf("999", "12"), 2);
  EXPECT_EQ(RaceCategoryOf("005", "13"), 4);
  EXPECT_EQ(RaceCategoryOf("010", "14"), 5);
  EXPECT_EQ(RaceCategoryOf("016", "13"), 6);
  EXPECT_EQ(RaceCategoryOf("999", "14"), 6);
  EXPECT_EQ(RaceCategoryOf("006", "13"), 7);
  EXPECT_EQ(RaceCategoryOf("701", "11"), 7);
  EXPECT_EQ(RaceCategoryOf("702", "12"), 7);
  EXPECT_EQ(RaceCategoryOf("703", "13"), 7);  // maiden race of older horses
  EXPECT_EQ(RaceCategoryOf("999", "18"), 7);  // obstacle
  EXPECT_EQ(RaceCategoryOf("ab ", "1x"), 7);
}

TEST(RaceCategory, SurfaceDistanceClass) {
  EXPECT_EQ(SurfaceDistanceClassOf(11, 1600), 1);
  EXPECT_EQ(SurfaceDistanceClassOf(22, 1601), 2);
  EXPECT_EQ(SurfaceDistanceClassOf(17, 2201), 3);
  EXPECT_EQ(SurfaceDistanceClassOf(23, 1200), 4);
  EXPECT_EQ(SurfaceDistanceClassOf(29, 2200), 5);
  EXPECT_EQ(SurfaceDistanceClassOf(24, 2400), 6);
  EXPECT_EQ(SurfaceDistanceClassOf(11, 0), 0);
  EXPECT_EQ(SurfaceDistanceClassOf(51, 3000), 0);
}

}  // namespace
}  // namespace zelkova
