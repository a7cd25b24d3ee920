// Feeds arbitrary bytes to the recorded JV-Link as a stored file and as a real-time batch and
// reads both to the end: no input may crash it, hang it or hand out a record it did not hold.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/file_io.h"
#include "fuzz_support.h"
#include "jvlink/recorded_jv_link.h"

namespace {

class FixedClock : public zelkova::Clock {
 public:
  zelkova::LocalTime now() const override { return {2024, 5, 12, 12, 0, 0}; }
};

const std::filesystem::path& Root() { return zelkova::fuzz::ScratchRoot("fuzz_feed"); }

void Drain(zelkova::JvLink& link, size_t inputSize) {
  std::string buff, file;
  size_t served = 0;
  for (int guard = 0; guard < 1000000; ++guard) {
    int size = 60000;
    int r = link.JVRead(buff, size, file);
    if (r > 0) {
      if (static_cast<size_t>(r) != buff.size() || buff.size() < 2 || buff.compare(buff.size() - 2, 2, "\r\n") != 0)
        std::abort();
      served += buff.size();
      if (served > inputSize) std::abort();
    } else if (r == 0 || r < -3) {
      return;
    }
  }
  std::abort();  // never reached the end
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const fs::path feed = Root() / "feed";
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::error_code ec;
  fs::create_directories(feed / "stored" / "RACE", ec);
  fs::create_directories(feed / "realtime" / "0B12" / "20240512", ec);
  if (!zelkova::WriteFileAtomic(feed / "stored" / "RACE" / "20240512090000_FUZZ.dat", bytes).ok()) return 0;
  if (!zelkova::WriteFileAtomic(feed / "realtime" / "0B12" / "20240512" / "202405121100.txt", bytes).ok()) return 0;

  FixedClock clock;
  zelkova::RecordedJvLink link(feed, fs::path(), clock);
  if (link.JVInit("SA000000/SD000000/ZelkovaJDL/Ver.1.22") != 0) std::abort();
  int readcount = 0, downloadcount = 0;
  std::string last;
  if (link.JVOpen("RACE", "20240101000000", 1, readcount, downloadcount, last) != 0) std::abort();
  while (link.JVStatus() < downloadcount) {
  }
  Drain(link, size);
  link.JVClose();
  if (link.JVRTOpen("0B12", "20240512") != 0) std::abort();
  Drain(link, size);
  link.JVClose();
  return 0;
}
