// Arbitrary bytes as the records JV-Link hands out, through the whole batch download: whatever
// a record holds, nothing is written outside the program folder, and every stored record file
// afterwards is whole records of its kind's length.
// Input: up to six feed files (records separated by CR LF, as JV-Link delivers them), cut at
// the separator of fuzz_support.h.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ini_gt.h"
#include "base/file_io.h"
#include "fuzz_support.h"
#include "jvlink/batch_download.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"
#include "store/stored_files.h"

using namespace zelkova;

namespace {

class FixedClock : public Clock {
 public:
  LocalTime now() const override { return {2024, 5, 14, 12, 0, 0}; }
};

class NoPrompts : public Prompts {
 public:
  void beep() override {}
  void information(const std::string&) override {}
  bool confirm(const std::string&) override { return true; }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}
};

size_t LengthOf(const std::filesystem::path& p) {
  const std::string ext = p.extension().string();
  if (ext == ".jvRA" || ext == ".jvSERA") return kLenRA;
  if (ext == ".jvSEr" || ext == ".jvSEI") return kLenSE;
  if (ext == ".jvHR") return kLenHR;
  if (ext == ".jvUM2") return kLenUM;
  if (ext == ".jvKS") return kLenKS;
  if (ext == ".jvCH") return kLenCH;
  return 0;
}

constexpr size_t kMaxFiles = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 300000) return 0;
  namespace fs = std::filesystem;
  const auto& root = fuzz::ScratchRoot("batch_download");
  fuzz::ResetDir(root);
  const fs::path feed = root / "feed", home = root / "home";
  fuzz::MakeDir(feed / "stored" / "RACE");
  fuzz::MakeDir(home / "Data");
  // Each part is a feed file of its own, served in order: races and the masters the end step
  // writes for their dates come in separate files, as JV-Link delivers them.
  const auto parts = fuzz::SplitParts(data, size, kMaxFiles);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0 && parts[i].empty()) continue;
    const std::string name = "2024051312000" + std::to_string(i) + "_RACE20240512P" + std::to_string(i) + ".jvd";
    ZELKOVA_FUZZ_CHECK(WriteFileAtomic(feed / "stored" / "RACE" / name, parts[i]).ok());
  }

  // When the cache writes its files out and how much it keeps afterwards: chosen by the input
  // (the sum of its bytes, so that records keep their shape) rather than by the clock.
  uint8_t choice = 0;
  for (size_t i = 0; i < size; ++i) choice = static_cast<uint8_t>(choice + data[i]);
  BatchDownload::Options options;
  options.flushInterval = (choice & 1) ? std::chrono::milliseconds(0) : std::chrono::hours(24);
  static constexpr size_t kCacheBytes[] = {size_t{256} << 20, 0, 4096, 64 * 1024};
  options.cacheBytes = kCacheBytes[(choice >> 1) & 3];

  FixedClock clock;
  NoPrompts prompts;
  TIniGT ini(home, "zelkova");
  RecordedJvLink jv(feed, home / "jvcache", clock);
  ZELKOVA_FUZZ_CHECK(jv.JVInit(SoftwareId()) == 0);
  BatchDownload batch(home, jv, prompts, clock, ini, nullptr, options);
  batch.FormCreate();
  batch.setFromTime(LocalTime{2024, 1, 1, 0, 0, 0});
  batch.ButtonStartClick();
  for (int guard = 0; batch.timerOn(); ++guard) {
    ZELKOVA_FUZZ_CHECK(guard < 1000);
    batch.TimerJVStatusTimer();
  }

  // Only the feed and the program folder exist under the root.
  for (auto& e : fs::directory_iterator(root)) ZELKOVA_FUZZ_CHECK(e.path() == feed || e.path() == home);
  for (auto& e : fs::recursive_directory_iterator(home)) {
    if (!e.is_regular_file()) continue;
    const size_t len = LengthOf(e.path());
    if (len == 0) continue;
    auto records = ReadRecords(e.path(), len);
    ZELKOVA_FUZZ_CHECK(records.ok());
    if (e.path().extension() == ".jvSEr") ZELKOVA_FUZZ_CHECK(records->size() == static_cast<size_t>(kSlotLines));
  }
  return 0;
}
