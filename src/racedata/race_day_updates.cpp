#include "racedata/race_day_updates.h"

#include "base/file_io.h"

namespace zelkova {

namespace {

// A weight and its signed change: three digits, then the sign and three digits of the change.
// Fields that are not numbers give 0.
void SetWeight(RaceFigures& f, int h, std::string_view rec, size_t weightPos, size_t signPos, size_t changePos) {
  f.HorseWeight[h] = static_cast<int>(FieldInt(rec, weightPos, 3));
  int change = static_cast<int>(FieldInt(rec, changePos, 3));
  f.WeightChange[h] = Field(rec, signPos, 1) == "-" ? -change : change;
}

}  // namespace

Status BataijuReadBtn(RaceDay& day) {
  for (auto& race : day.Races) race.WhRecord.clear();
  if (!day.WhPath.empty() && FileExists(day.WhPath)) {
    auto bytes = ReadFile(day.WhPath);
    if (!bytes.ok() && !bytes.status().isNotFound()) return bytes.status();
    const std::string_view all = bytes.ok() ? std::string_view(*bytes) : std::string_view();
    auto key = [](std::string_view rec) {
      return std::string(Field(rec, 12, 8)) + std::string(Field(rec, 20, 2)) + std::string(Field(rec, 26, 2));
    };
    for (size_t k = 0; k < static_cast<size_t>(MaxRaces) && (k + 1) * kLenWH <= all.size(); ++k) {
      std::string_view rec = all.substr(k * kLenWH, kLenWH);
      const std::string want = key(rec);
      for (auto& race : day.Races) {
        if (key(race.RaRecord.view()) == want) {
          race.WhRecord.assign(rec);
          break;
        }
      }
    }
  }
  for (auto& race : day.Races) {
    RaceFigures& f = race.Figures;
    for (int h = 0; h < MaxRunners; ++h) {
      const size_t at = 45 * static_cast<size_t>(h);
      SetWeight(f, h, race.WhRecord.view(), 74 + at, 77 + at, 78 + at);
      const SeImage& se = race.Runners[h].SeRecord;
      if (se.fieldInt(325, 3) > 0) SetWeight(f, h, se.view(), 325, 328, 329);
    }
  }
  return Status::Ok();
}

}  // namespace zelkova
