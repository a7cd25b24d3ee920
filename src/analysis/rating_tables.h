// RatingTables: the finish, popularity and fourth-corner reference tables behind 着RT/人RT/展RT.
// Each is [category 0..6][class 1..7][run slot 0..13] of doubles, read once at start.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/status.h"

namespace zelkova {

class RatingTables {
 public:
  static constexpr int kCategories = 7;
  static constexpr int kClasses = 7;
  static constexpr int kSlots = 14;
  static constexpr int kEntries = kCategories * kClasses * kSlots;  // 686
  static constexpr size_t kFileBytes = kEntries * 8;                // 5488

  enum Kind { kFinish = 0, kPopularity = 1, kCorner = 2 };

  // Entry of table `kind`; 0 for indices outside the table.
  double at(int kind, int category, int cls, int slot) const;
  void set(int kind, int category, int cls, int slot, double v);

  // Reads record 0 (the first 5488 bytes) of RTJ.dat, RTN.dat and RTC.dat of `folder`.
  // NotFound for a missing file, Corruption for a file shorter than 5488 bytes or a value that
  // is not a finite number. On failure `*this` is left unchanged.
  Status Load(const std::filesystem::path& folder);

  // One table from the first 5488 bytes of `bytes` (little-endian doubles).
  static Status Decode(std::string_view bytes, std::array<double, kEntries>* out);

 private:
  std::array<std::array<double, kEntries>, 3> tables_{};
};

// Texts of the 参考資料 page (CP932). Grid g shows category g; `kind` is the radio item.
// Cell (col, row): row 0 "前%2d走" for col 1..14; col 0 "%2d着"/"%2d人"/"%2d位" for rows
// 1..6 and "未出走" for row 7; otherwise Format("%5.1f", table[g][row][col - 1]).
std::string ReferenceCellText(const RatingTables& tables, int kind, int category, int col, int row);
// "未勝利" .. "3勝馬古" for categories 0..6; empty otherwise.
const std::string& ReferenceTabCaption(int category);
// "着順", "人気", "４角".
const std::string& ReferenceKindCaption(int kind);

}  // namespace zelkova
