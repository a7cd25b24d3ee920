#include "analysis/rating_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "base/cp932.h"
#include "test_support.h"

namespace zelkova {
namespace {

std::string TableBytes(double base) {
  std::string bytes(RatingTables::kFileBytes, '\0');
  for (int i = 0; i < RatingTables::kEntries; ++i) {
    const double v = base + i;
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int b = 0; b < 8; ++b) bytes[i * 8 + b] = static_cast<char>((bits >> (8 * b)) & 0xff);
  }
  return bytes;
}

class RatingTablesTest : public ::testing::Test {
 protected:
  void WriteAll() {
    testing::WriteBytes(dir.path() / "RTJ.dat", TableBytes(0));
    testing::WriteBytes(dir.path() / "RTN.dat", TableBytes(1000));
    testing::WriteBytes(dir.path() / "RTC.dat", TableBytes(2000));
  }
  testing::TempDir dir;
  RatingTables tables;
};

TEST_F(RatingTablesTest, LayoutAndTheFixedFinishEntry) {
  WriteAll();
  ASSERT_TRUE(tables.Load(dir.path()).ok());
  // offset ((category x 7) + class - 1) x 14 + slot
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kFinish, 2, 3, 4), (2 * 7 + 2) * 14 + 4);
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kCorner, 6, 7, 13), 2000 + 685);
  // Offset 4592 / 8 = 574 = [5][7][0]: fixed in the finish table only.
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kFinish, 5, 7, 0), 0.129);
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kPopularity, 5, 7, 0), 1574);
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kFinish, 7, 1, 0), 0);  // outside
}

TEST_F(RatingTablesTest, BadFilesFailAndKeepTheOldTables) {
  WriteAll();
  ASSERT_TRUE(tables.Load(dir.path()).ok());
  testing::WriteBytes(dir.path() / "RTN.dat", TableBytes(5).substr(0, 5480));
  Status s = tables.Load(dir.path());
  EXPECT_TRUE(s.isCorruption());
  EXPECT_NE(s.message().find("RTN.dat"), std::string::npos);
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kPopularity, 0, 1, 1), 1001);

  // Only record 0 is read: bytes after it do not stop the load.
  testing::WriteBytes(dir.path() / "RTN.dat", TableBytes(5) + TableBytes(9000));
  ASSERT_TRUE(tables.Load(dir.path()).ok());
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kPopularity, 0, 1, 1), 6);
  EXPECT_DOUBLE_EQ(tables.at(RatingTables::kPopularity, 6, 7, 13), 5 + 685);

  std::string nan = TableBytes(5);
  const double q = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(&nan[80], &q, 8);
  testing::WriteBytes(dir.path() / "RTN.dat", nan);
  EXPECT_TRUE(tables.Load(dir.path()).isCorruption());

  testing::WriteBytes(dir.path() / "RTN.dat", TableBytes(5));
  std::filesystem::remove(dir.path() / "RTC.dat");
  EXPECT_TRUE(tables.Load(dir.path()).isNotFound());
}

}  // namespace
}  // namespace zelkova

namespace zelkova {
namespace {

TEST(ReferenceTexts, CaptionsAndCells) {
  RatingTables t;
  t.set(RatingTables::kFinish, 5, 7, 0, 0.129);
  t.set(RatingTables::kPopularity, 5, 7, 0, 1234.56);
  EXPECT_EQ(ReferenceCellText(t, 0, 5, 1, 7), "  0.1");
  EXPECT_EQ(ReferenceCellText(t, 1, 5, 1, 7), "1234.6");  // wider than five characters
  EXPECT_EQ(ReferenceCellText(t, 2, 5, 1, 7), "  0.0");
  EXPECT_EQ(ReferenceCellText(t, 0, 0, 3, 0), Sj("前 3走"));
  EXPECT_EQ(ReferenceCellText(t, 2, 0, 0, 3), Sj(" 3位"));
  EXPECT_EQ(ReferenceCellText(t, 1, 0, 0, 1), Sj(" 1人"));
  EXPECT_EQ(ReferenceCellText(t, 1, 0, 0, 7), Sj("未出走"));
  EXPECT_EQ(ReferenceTabCaption(5), Sj("2勝馬古"));
  EXPECT_EQ(ReferenceTabCaption(9), "");
}

}  // namespace
}  // namespace zelkova
