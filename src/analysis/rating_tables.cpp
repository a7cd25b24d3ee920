#include "analysis/rating_tables.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/cp932.h"
#include "base/file_io.h"

namespace zelkova {

namespace {
int Offset(int category, int cls, int slot) {
  return (category * RatingTables::kClasses + (cls - 1)) * RatingTables::kSlots + slot;
}
bool InRange(int category, int cls, int slot) {
  return category >= 0 && category < RatingTables::kCategories && cls >= 1 &&
         cls <= RatingTables::kClasses && slot >= 0 && slot < RatingTables::kSlots;
}
}  // namespace

double RatingTables::at(int kind, int category, int cls, int slot) const {
  if (kind < 0 || kind > 2 || !InRange(category, cls, slot)) return 0;
  return tables_[kind][Offset(category, cls, slot)];
}

void RatingTables::set(int kind, int category, int cls, int slot, double v) {
  if (kind < 0 || kind > 2 || !InRange(category, cls, slot)) return;
  tables_[kind][Offset(category, cls, slot)] = v;
}

Status RatingTables::Decode(std::string_view bytes, std::array<double, kEntries>* out) {
  // The file is read as records of 5488 bytes and only record 0 is used: a longer file still
  // loads, a shorter one holds no complete record.
  if (bytes.size() < kFileBytes)
    return Status::Corruption(Sj("大きさが ") + std::to_string(bytes.size()) + Sj(" バイトしかありません (") +
                              std::to_string(kFileBytes) + Sj(" バイト必要)"));
  for (int i = 0; i < kEntries; ++i) {
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = (bits << 8) | static_cast<unsigned char>(bytes[i * 8 + b]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    // A NaN or infinity would make every rating built on it meaningless.
    if (!std::isfinite(v)) return Status::Corruption(Sj("数値でない値があります (") + std::to_string(i) + ")");
    (*out)[i] = v;
  }
  return Status::Ok();
}

Status RatingTables::Load(const std::filesystem::path& folder) {
  static const char* const kNames[3] = {"RTJ.dat", "RTN.dat", "RTC.dat"};
  std::array<std::array<double, kEntries>, 3> loaded{};
  for (int t = 0; t < 3; ++t) {
    const auto path = ChildPath(folder, kNames[t]);
    if (!FileExists(path)) return Status::NotFound(kNames[t] + Sj(" が見つかりません"));
    auto bytes = ReadFile(path);
    if (!bytes.ok()) return bytes.status();
    Status s = Decode(*bytes, &loaded[t]);
    if (!s.ok()) return Status::Corruption(kNames[t] + Sj(" が壊れています: ") + s.message());
  }
  // Fixed entry of the finish table, whatever the installed file holds: 2勝馬古, no run, latest.
  loaded[kFinish][Offset(5, 7, 0)] = 0.129;
  tables_ = loaded;
  return Status::Ok();
}

namespace {
const std::array<std::string, 8>& TabCaptions() {
  static const std::array<std::string, 8> k = {Sj("未勝利"), Sj("１勝馬若"), Sj("２勝馬若"), Sj("３勝馬若"),
                                               Sj("1勝馬古"), Sj("2勝馬古"), Sj("3勝馬古"), std::string()};
  return k;
}
}  // namespace

const std::string& ReferenceTabCaption(int category) {
  return TabCaptions()[category >= 0 && category < 7 ? category : 7];
}

const std::string& ReferenceKindCaption(int kind) {
  static const std::array<std::string, 4> k = {Sj("着順"), Sj("人気"), Sj("４角"), std::string()};
  return k[kind >= 0 && kind < 3 ? kind : 3];
}

std::string ReferenceCellText(const RatingTables& tables, int kind, int category, int col, int row) {
  static const std::string kBefore = Sj("前"), kRun = Sj("走"), kNoRun = Sj("未出走");
  static const std::array<std::string, 3> kUnit = {Sj("着"), Sj("人"), Sj("位")};
  char buf[64];
  if (row == 0) {
    if (col < 1) return {};
    std::snprintf(buf, sizeof buf, "%2d", col);
    return kBefore + buf + kRun;
  }
  if (col == 0) {
    if (row == 7) return kNoRun;
    std::snprintf(buf, sizeof buf, "%2d", row);
    return buf + kUnit[kind >= 0 && kind < 3 ? kind : 0];
  }
  std::snprintf(buf, sizeof buf, "%5.1f", tables.at(kind, category, row, col - 1));
  return buf;
}

}  // namespace zelkova
