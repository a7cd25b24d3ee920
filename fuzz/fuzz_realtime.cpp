// Arbitrary bytes as the records of real-time streams (odds, results, weights, change notices)
// merged into a day's stored files, then imported into the loaded day: nothing is written
// outside the program folder's Data folder, every stored record file stays whole records of its
// length, every change file whole lines of its record length, and the imports keep the model in
// range.
// Input: up to four streams (odds, results, weights, changes), records ending in CR LF, cut at the
// separator of fuzz_support.h.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_io.h"
#include "day/load_race_day.h"
#include "fuzz_support.h"
#include "jvlink/realtime_download.h"
#include "racedata/race_day_updates.h"
#include "records/record.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

using namespace zelkova;
namespace fs = std::filesystem;

namespace {

std::string Record(const char* kind, size_t len, int race, const char* post) {
  std::string r(len, ' ');
  r.replace(0, 2, kind);
  r.replace(2, 9, "000000000");
  r.replace(11, 16, std::string("2024051905020") + "3" + (race < 10 ? "0" : "") + std::to_string(race));
  if (len == kLenRA) {
    r.replace(873, 4, post);
    r.replace(881, 2, "16");
  }
  r.replace(len - 2, 2, "\r\n");
  return r;
}

size_t LengthOf(const fs::path& p) {
  const std::string ext = p.extension().string();
  if (ext == ".jvRA") return kLenRA;
  if (ext == ".jvSEr") return kLenSE;
  if (ext == ".jvHR") return kLenHR;
  if (ext == ".jvWH") return kLenWH;
  if (ext == ".jvO1") return kLenO1;
  if (ext == ".jvO2") return kLenO2;
  if (ext == ".jvAV") return kLenAV;
  if (ext == ".jvJC") return kLenJC;
  if (ext == ".jvTC") return kLenTC;
  if (ext == ".jvCC") return kLenCC;
  if (ext == ".jvWE") return kLenWE;
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 200000) return 0;
  const auto& root = fuzz::ScratchRoot("realtime");
  fuzz::ResetDir(root);
  const fs::path home = root / "home";
  const std::string date = DateText("20240519");
  // The day's files as every input starts from, made once.
  static const std::vector<std::pair<fs::path, std::string>> start = [&] {
    std::string ra;
    for (int race = 1; race <= 3; ++race) ra += Record("RA", kLenRA, race, race == 2 ? "    " : "1000");
    return std::vector<std::pair<fs::path, std::string>>{
        {DataPath(home, date, ".jvRA"), ra},
        {SlotPath(home, Record("SE", kLenSE, 1, "")), JoinLinesCrLf(BlankSlotLines())},
        {DataPath(home, date, ".jvO1"), JoinLinesCrLf(std::vector<std::string>(3, std::string(kLenO1 - 2, ' ')))},
        {DataPath(home, date, ".jvO2"), JoinLinesCrLf(std::vector<std::string>(3, std::string(kLenO2 - 2, ' ')))}};
  }();
  fuzz::MakeDir(home / "Data");
  for (const auto& [path, bytes] : start) ZELKOVA_FUZZ_CHECK(WriteFileAtomic(path, bytes).ok());

  const SlotKeys slots = {"2024051905020301", "2024051905020302", "2024051905020303"};
  const auto parts = fuzz::SplitParts(data, size, 4);
  for (size_t k = 0; k < parts.size(); ++k) {
    std::string_view rest = parts[k];
    while (!rest.empty()) {
      size_t end = rest.find("\r\n");
      end = end == std::string_view::npos ? rest.size() : end + 2;
      const std::string_view rec = rest.substr(0, end);
      rest.remove_prefix(end);
      bool changed = false;
      Status s;
      if (k == 0) s = MergeOddsRecord(home, slots, rec, &changed);
      else if (k == 1) s = MergeResultsRecord(home, rec, &changed);
      else if (k == 2) s = MergeWeightsRecord(home, rec, &changed);
      else s = MergeChangesRecord(home, rec, &changed);
      ZELKOVA_FUZZ_CHECK(s.ok() || s.code() == Status::Code::kInvalidArgument || s.isCorruption());
      ZELKOVA_FUZZ_CHECK(s.ok() || !changed);
    }
  }

  // Only the day's files, each whole.
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    ZELKOVA_FUZZ_CHECK(it->path().parent_path() == home / "Data");
    const size_t len = LengthOf(it->path());
    ZELKOVA_FUZZ_CHECK(len != 0);
    auto bytes = ReadFile(it->path());
    ZELKOVA_FUZZ_CHECK(bytes.ok());
    if (it->path().extension() == ".jvWE") {
      for (const std::string& line : SplitLines(*bytes)) ZELKOVA_FUZZ_CHECK(line.size() == len - 2);
    } else {
      ZELKOVA_FUZZ_CHECK(bytes->size() % len == 0);
    }
  }

  // The model is tens of megabytes: one for the process, reset by every load.
  static auto day = MakeRaceDay();
  LoadInputs in;
  in.dateText = date;
  in.programFolder = home;
  LoadObserver none;
  Status loaded = LoadRaceDay(*day, in, none);
  ZELKOVA_FUZZ_CHECK(loaded.ok() || !loaded.isNotFound());
  for (int b = 0; b < 3; ++b) {
    day->BetRace = b;
    (void)OzReadBtn(*day);
    for (int h = 0; h < MaxRunners; ++h) {
      const int order = day->Races[b].Figures.PopularityOrder[h];
      ZELKOVA_FUZZ_CHECK(order >= 0 && order <= MaxRunners);
    }
  }
  day->CurrentRace = 0;
  bool first = false;
  (void)HrReadBtn(*day, &first);
  ZELKOVA_FUZZ_CHECK(day->RaceCount >= 0 && day->RaceCount <= MaxRaces);
  (void)BataijuReadBtn(*day);
  auto lists = KaisaiReadBtn(*day);
  if (lists.ok())
    for (size_t i = 1; i < 5; ++i) ZELKOVA_FUZZ_CHECK(lists->lines[i].size() <= static_cast<size_t>(MaxRaces));
  return 0;
}
