// Feeds arbitrary bytes to the recorded JV-Link as a stored file and as a real-time batch and
// reads both to the end: no input may crash it, hang it or hand out a record it did not hold.
// Every record served is the file's next bytes, ends with CR LF and is no longer than the
// callers' buffer.
// Input: the bytes of the file, or 0xFF FLAGS OFFSET(2 bytes, little-endian) BYTES: the file is
// then filler records of a kind the reader does not know, OFFSET bytes short of 1 MiB, followed
// by BYTES, so that records meet the reader's chunk refill; with FLAGS bit 0 the filler ends in
// a line longer than any record and without CR LF. (A record never starts with 0xFF, so seeds
// made of feed files are read as they are.)
#include <algorithm>
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

// The reader's chunk: a file is read in pieces of this size.
constexpr size_t kChunk = size_t{1} << 20;

// Filler records of `total` bytes ("ZZ" is no kind the reader knows the length of). With
// `openEnd` the last one is longer than any record and lacks its CR LF, so it runs into the
// bytes that follow.
std::string Filler(size_t total, bool openEnd) {
  const size_t tail = openEnd ? zelkova::RecordedJvLink::kMaxRecord + 1000 : 0;
  std::string out;
  out.reserve(total);
  while (total - out.size() > tail) {
    size_t len = std::min<size_t>(total - out.size() - tail, 40000);
    if (total - out.size() - tail - len < 8) len = total - out.size() - tail;  // no runt at the end
    out += "ZZ";
    out.append(len - 4, 'z');
    out += "\r\n";
  }
  out.append(total - out.size(), 'z');
  return out;
}

void Drain(zelkova::JvLink& link, const std::string& file) {
  std::string buff, name;
  size_t served = 0;
  for (int guard = 0; guard < 1000000; ++guard) {
    int size = static_cast<int>(zelkova::RecordedJvLink::kMaxRecord);
    int r = link.JVRead(buff, size, name);
    if (r > 0) {
      ZELKOVA_FUZZ_CHECK(static_cast<size_t>(r) == buff.size() && buff.size() >= 2 &&
                         buff.compare(buff.size() - 2, 2, "\r\n") == 0);
      ZELKOVA_FUZZ_CHECK(buff.size() <= zelkova::RecordedJvLink::kMaxRecord);
      // Records come in file order, each the bytes that follow the one before.
      ZELKOVA_FUZZ_CHECK(file.compare(served, buff.size(), buff) == 0);
      served += buff.size();
    } else if (r == 0 || r < -3) {
      if (r == 0) ZELKOVA_FUZZ_CHECK(served == file.size());  // a clean end served everything
      return;
    }
  }
  ZELKOVA_FUZZ_CHECK(!"never reached the end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  const fs::path feed = Root() / "feed";
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 4 && data[0] == 0xFF) {
    const size_t offset = data[2] | (size_t{data[3]} << 8);
    bytes = Filler(kChunk - offset, (data[1] & 1) != 0) + bytes.substr(4);
  }
  zelkova::fuzz::MakeDir(feed / "stored" / "RACE");
  zelkova::fuzz::MakeDir(feed / "realtime" / "0B12" / "20240512");
  ZELKOVA_FUZZ_CHECK(zelkova::WriteFileAtomic(feed / "stored" / "RACE" / "20240512090000_FUZZ.dat", bytes).ok());
  ZELKOVA_FUZZ_CHECK(
      zelkova::WriteFileAtomic(feed / "realtime" / "0B12" / "20240512" / "202405121100.txt", bytes).ok());

  FixedClock clock;
  zelkova::RecordedJvLink link(feed, fs::path(), clock);
  ZELKOVA_FUZZ_CHECK(link.JVInit("SA000000/SD000000/ZelkovaJDL/Ver.1.22") == 0);
  int readcount = 0, downloadcount = 0;
  std::string last;
  ZELKOVA_FUZZ_CHECK(link.JVOpen("RACE", "20240101000000", 1, readcount, downloadcount, last) == 0);
  while (link.JVStatus() < downloadcount) {
  }
  Drain(link, bytes);
  link.JVClose();
  ZELKOVA_FUZZ_CHECK(link.JVRTOpen("0B12", "20240512") == 0);
  Drain(link, bytes);
  link.JVClose();
  return 0;
}
