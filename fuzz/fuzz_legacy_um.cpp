// Arbitrary bytes as a legacy binary horse master ({date}.jvUMA). The conversion writes one
// 1607-byte line per whole 1577-byte record, or nothing at all: a file that is not whole records
// is refused and no .jvUM2 appears.
// Input: the file's bytes; when the last byte's low bit is set, only the whole records of them.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/file_io.h"
#include "fuzz_support.h"
#include "store/legacy_um.h"
#include "store/stored_files.h"
#include "store/stored_paths.h"

using namespace zelkova;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 20 * kLenLegacyUM) return 0;
  // Only whole records reach the conversion, and random bytes seldom come in a multiple of
  // 1577: when the last byte's low bit is set the input is cut to whole records.
  if (size > 0 && (data[size - 1] & 1)) size -= size % kLenLegacyUM;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto& root = fuzz::ScratchRoot("legacy_um");
  fuzz::ResetDir(root / "Data");
  const std::string date = DateText("20240512");
  const auto source = DataPath(root, date, ".jvUMA"), target = DataPath(root, date, ".jvUM2");
  ZELKOVA_FUZZ_CHECK(WriteFileAtomic(source, bytes).ok());

  size_t lines = 99;
  Status s = ConvertLegacyHorseMaster(root, date, &lines);
  const bool whole = size % kLenLegacyUM == 0;
  ZELKOVA_FUZZ_CHECK(s.ok() == whole);
  if (!s.ok() || size == 0) {
    ZELKOVA_FUZZ_CHECK(!FileExists(target));
    return 0;
  }
  ZELKOVA_FUZZ_CHECK(lines == size / kLenLegacyUM);
  auto um = ReadRecords(target, kLenUM);
  ZELKOVA_FUZZ_CHECK(um.ok() && um->size() == lines);
  for (size_t i = 0; i < lines; ++i) {
    const std::string_view rec(bytes.data() + i * kLenLegacyUM, kLenLegacyUM);
    const std::string& line = (*um)[i];
    // The parts that are copied unchanged: the head and the tail of the record.
    ZELKOVA_FUZZ_CHECK(line.compare(0, 204, rec.substr(0, 204)) == 0);
    ZELKOVA_FUZZ_CHECK(line.compare(kLenUM - 2 - 715, 715, rec.substr(860, 715)) == 0);
    ZELKOVA_FUZZ_CHECK(line == ConvertLegacyUmRecord(rec) + "\r\n");
  }
  return 0;
}
