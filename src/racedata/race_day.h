// The in-memory race day: fixed arrays of raw record images (CR LF included, spaces when empty)
// plus one RaceFigures block per race. One instance lives for the whole program (MakeRaceDay);
// a load resets and refills it in place, so nothing is allocated per load.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "racedata/race_figures.h"
#include "records/record.h"

namespace zelkova {

inline constexpr int MaxRaces = 36;
inline constexpr int MaxRunners = 18;
inline constexpr int MaxPastRuns = 21;
inline constexpr size_t kCheckPlaneLen = static_cast<size_t>(MaxRaces) * MaxRunners;  // 648
inline constexpr size_t kCheckMarksLen = 3 * kCheckPlaneLen;                          // 1944

// A record image of fixed length L.
template <size_t L>
struct RecordImage {
  std::array<char, L> bytes;

  RecordImage() { clear(); }
  void clear() { bytes.fill(' '); }
  // Copies `rec`; a short record leaves the rest blank, a long one is cut at L.
  void assign(std::string_view rec) {
    size_t n = rec.size() < L ? rec.size() : L;
    if (n) std::memcpy(bytes.data(), rec.data(), n);
    if (n < L) std::memset(bytes.data() + n, ' ', L - n);
  }
  std::string_view view() const { return {bytes.data(), L}; }
  operator std::string_view() const { return view(); }  // NOLINT: images are read as text
  std::string_view field(size_t pos, size_t len) const { return Field(view(), pos, len); }
  long long fieldInt(size_t pos, size_t len) const { return FieldInt(view(), pos, len); }
  // A slot is empty when its year (12, 4) is blank.
  bool empty() const { return IsBlank(field(12, 4)); }
  static constexpr size_t size() { return L; }
};

using RaImage = RecordImage<kLenRA>;
using SeImage = RecordImage<kLenSE>;
using HrImage = RecordImage<kLenHR>;
using WhImage = RecordImage<kLenWH>;
using O1Image = RecordImage<kLenO1>;
using O2Image = RecordImage<kLenO2>;
using UmImage = RecordImage<kLenUM>;
using KsImage = RecordImage<kLenKS>;
using ChImage = RecordImage<kLenCH>;

struct PastRun {
  SeImage SeRecord;  // the horse's SE record of that earlier run
  RaImage RaRecord;  // the race of that run, blank when none is stored
};

struct Runner {
  SeImage SeRecord;
  UmImage UmRecord;
  KsImage KsRecord;
  ChImage ChRecord;
  std::array<PastRun, MaxPastRuns> PastRuns;  // newest first
  // The kind of the day's change notice (.jvAV position 3: '1' 出走取消, '2' 競走除外); 0 none.
  char ScratchNotice = 0;
};

struct OddsTable {
  O1Image O1Record;  // win, place, bracket quinella
  O2Image O2Record;  // quinella
};

struct RaceInfo {
  RaImage RaRecord;
  HrImage HrRecord;
  WhImage WhRecord;
  OddsTable Odds;
  std::array<Runner, MaxRunners> Runners;  // slot h holds horse number h + 1
  RaceFigures Figures;
};

struct RaceDay {
  std::array<RaceInfo, MaxRaces> Races;
  int RaceCount = 0;
  int CurrentRace = 0;
  int CurrentRunner = 0;
  int BetRace = 0;
  std::array<std::string, 3> DayCourses;  // two-digit codes, ascending; unused entries empty
  int AutoResultMinutes = 15;
  // Three planes of 36 x 18 bytes, '1' marked, '0' not; index plane*648 + race*18 + runner.
  std::array<char, kCheckMarksLen> CheckMarks;
  // Full paths of the loaded date's files; SePath is the entry file last read.
  std::filesystem::path RaPath, SePath, HrPath, WhPath, O1Path, O2Path, CheckPath, HindPath;
  std::string DateText;  // the 14-byte date text of the last load (CP932)

  RaceDay() { CheckMarks.fill('0'); }
  char& CheckMark(int plane, int race, int runner) {
    return CheckMarks[static_cast<size_t>(plane) * kCheckPlaneLen + static_cast<size_t>(race) * MaxRunners +
                      static_cast<size_t>(runner)];
  }
};

// The one race day of the program: a single heap allocation, made at start and reused.
std::unique_ptr<RaceDay> MakeRaceDay();

// The race-day reset (IniBtn): every RaceFigures block to zero / empty with its starting values.
// Record images are not touched.
void IniBtn(RaceDay& day);
// Blanks every record image of the day and sets every check mark to '0'.
// `pastRuns` false: the past-run images are left to a caller that fills or clears each of them
// (most of the model's bytes, which a load would otherwise write twice).
void ClearRecordImages(RaceDay& day, bool pastRuns = true);

}  // namespace zelkova
