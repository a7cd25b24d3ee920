// Arbitrary bytes as the records JV-Link hands out, through the whole batch download: whatever
// a record holds, nothing is written outside the program folder, and every stored record file
// afterwards is whole records of its kind's length.
// Input: the bytes of one feed file (records separated by CR LF, as JV-Link delivers them).
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/ini_gt.h"
#include "base/file_io.h"
#include "fuzz_support.h"
#include "jvlink/batch_download.h"
#include "jvlink/recorded_jv_link.h"
#include "jvlink/software_id.h"
#include "jvlink/stored_files.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 300000) return 0;
  namespace fs = std::filesystem;
  const auto& root = fuzz::ScratchRoot("batch_download");
  fuzz::ResetDir(root);
  const fs::path feed = root / "feed", home = root / "home";
  fs::create_directories(feed / "stored" / "RACE");
  fs::create_directories(home / "Data");
  if (!WriteFileAtomic(feed / "stored" / "RACE" / "20240513120000_RACE20240512.jvd",
                       std::string_view(reinterpret_cast<const char*>(data), size))
           .ok())
    return 0;

  FixedClock clock;
  NoPrompts prompts;
  TIniGT ini(home, "zelkova");
  RecordedJvLink jv(feed, home / "jvcache", clock);
  ZELKOVA_FUZZ_CHECK(jv.JVInit(SoftwareId()) == 0);
  BatchDownload batch(home, jv, prompts, clock, ini);
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
