// Arbitrary bytes as a master file and as damage done to its index file. Whatever the index file
// holds, a lookup through it gives exactly what a lookup after reading the master's own keys
// gives (the newest version of every key): a damaged index is noticed and never trusted. An
// undamaged index is used.
// Input: MASTER [sep DAMAGE]; DAMAGE is triples (offset: 2 bytes, mask: 1 byte) XORed into the
// index file, and a last single byte, when there is one, cuts the file to that many 256ths.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_io.h"
#include "base/fixed_fields.h"
#include "fuzz_support.h"
#include "store/master_index.h"

using namespace zelkova;

namespace {

// A small record layout of the same shape as the masters': the creation date at bytes 4-11, the
// key at 12-21, CR LF at the end.
constexpr size_t kRecLen = 40, kKeyPos = 12, kKeyLen = 10;

std::string Found(MasterIndex& index, std::string_view key) {
  auto r = index.Find(key);
  ZELKOVA_FUZZ_CHECK(r.ok());
  return std::string(*r);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 200000) return 0;
  auto parts = fuzz::SplitParts(data, size, 2);
  const auto& root = fuzz::ScratchRoot("master_index");
  const auto master = root / "m.jvUM2", idx = root / "m.idx";
  ZELKOVA_FUZZ_CHECK(WriteFileUnflushed(master, parts[0]).ok());
  std::error_code ec;
  std::filesystem::remove(idx, ec);

  // The truth: the keys read from the master itself; and the index file written from it.
  MasterIndex truth;
  (void)truth.Load(master, kRecLen, kKeyPos, kKeyLen, idx, true);
  if (!truth.indexWrite().ok() || !FileExists(idx)) return 0;
  auto bytes = ReadFile(idx);
  ZELKOVA_FUZZ_CHECK(bytes.ok());
  std::string index = *bytes;

  const std::string_view damage = parts[1];
  size_t at = 0;
  for (; at + 3 <= damage.size() && !index.empty(); at += 3) {
    const size_t off = (static_cast<uint8_t>(damage[at]) << 8 | static_cast<uint8_t>(damage[at + 1])) % index.size();
    index[off] = static_cast<char>(index[off] ^ damage[at + 2]);
  }
  if (at < damage.size()) index.resize(index.size() * static_cast<uint8_t>(damage[at]) / 256);
  const bool damaged = index != *bytes;
  ZELKOVA_FUZZ_CHECK(WriteFileUnflushed(idx, index).ok());

  MasterIndex loaded;
  (void)loaded.Load(master, kRecLen, kKeyPos, kKeyLen, idx, false);
  if (!damaged) ZELKOVA_FUZZ_CHECK(loaded.indexUsed());
  ZELKOVA_FUZZ_CHECK(loaded.size() == truth.size());

  // Every key the master holds, and one it does not, found alike.
  const std::string_view all = parts[0];
  for (size_t off = 0; off + kRecLen <= all.size(); off += kRecLen) {
    const std::string_view key = all.substr(off + kKeyPos - 1, kKeyLen);
    const std::string found = Found(truth, key);
    // Every key of a whole record is found, whatever its bytes.
    ZELKOVA_FUZZ_CHECK(IsBlank(key) || found.substr(kKeyPos - 1, kKeyLen) == key);
    ZELKOVA_FUZZ_CHECK(Found(loaded, key) == found);
  }
  ZELKOVA_FUZZ_CHECK(Found(loaded, "@@@@@@@@@@").empty() == Found(truth, "@@@@@@@@@@").empty());
  return 0;
}
