#include "analysis/rating_tables.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

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
  if (bytes.size() != kFileBytes)
    return Status::Corruption("size " + std::to_string(bytes.size()) + " bytes, expected " +
                              std::to_string(kFileBytes));
  for (int i = 0; i < kEntries; ++i) {
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = (bits << 8) | static_cast<unsigned char>(bytes[i * 8 + b]);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    // A NaN or infinity would make every rating built on it meaningless.
    if (!std::isfinite(v)) return Status::Corruption("entry " + std::to_string(i) + " is not a number");
    (*out)[i] = v;
  }
  return Status::Ok();
}

Status RatingTables::Load(const std::filesystem::path& folder) {
  static const char* const kNames[3] = {"RTJ.dat", "RTN.dat", "RTC.dat"};
  std::array<std::array<double, kEntries>, 3> loaded{};
  for (int t = 0; t < 3; ++t) {
    const auto path = ChildPath(folder, kNames[t]);
    if (!FileExists(path)) return Status::NotFound(std::string(kNames[t]) + " not found: " + path.string());
    auto bytes = ReadFile(path);
    if (!bytes.ok()) return bytes.status();
    Status s = Decode(*bytes, &loaded[t]);
    if (!s.ok()) return Status::Corruption(std::string(kNames[t]) + ": " + s.message());
  }
  // Fixed entry of the finish table, whatever the installed file holds: 2勝馬古, no run, latest.
  loaded[kFinish][Offset(5, 7, 0)] = 0.129;
  tables_ = loaded;
  return Status::Ok();
}

}  // namespace zelkova
