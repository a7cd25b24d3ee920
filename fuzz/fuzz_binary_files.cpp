// Arbitrary bytes as each binary file the program reads: the check marks (.CkIm), the
// frequency counts (.Hind), the gate table (SetGate.tbl) and the rating tables (RTJ/RTN/RTC.dat).
// Each loader must accept exactly the files of its layout and hand out only sound values.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "analysis/rating_tables.h"
#include "settings/gate_table.h"
#include "app/startup.h"
#include "base/file_io.h"
#include "fuzz_support.h"
#include "store/stored_files.h"

using namespace zelkova;

namespace {

bool AllMarks(std::string_view s) {
  for (char c : s)
    if (c != '0' && c != '1') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto& root = fuzz::ScratchRoot("binary_files");
  fuzz::ResetDir(root);

  // .CkIm: the first 1944 bytes, all "0"/"1", or a refusal; a refused file is left as it was.
  const auto ckim = root / "d.CkIm";
  ZELKOVA_FUZZ_CHECK(WriteFileAtomic(ckim, bytes).ok());
  auto marks = ReadCheckMarks(ckim);
  const bool goodMarks = size >= kCheckMarkLen && AllMarks(std::string_view(bytes).substr(0, kCheckMarkLen));
  ZELKOVA_FUZZ_CHECK(marks.ok() == goodMarks);
  if (marks.ok()) ZELKOVA_FUZZ_CHECK(*marks == bytes.substr(0, kCheckMarkLen));
  auto loaded = LoadOrCreateCheckMarks(ckim);
  ZELKOVA_FUZZ_CHECK(loaded.ok() == goodMarks);
  auto again = ReadFile(ckim);
  ZELKOVA_FUZZ_CHECK(again.ok() && *again == bytes);

  // .Hind: exactly 432 little-endian integers.
  const auto hind = root / "d.Hind";
  ZELKOVA_FUZZ_CHECK(WriteFileAtomic(hind, bytes).ok());
  auto counts = ReadHind(hind);
  ZELKOVA_FUZZ_CHECK(counts.ok() == (size == kHindCount * 4));
  if (counts.ok()) {
    int32_t first;
    std::memcpy(&first, bytes.data(), 4);
    ZELKOVA_FUZZ_CHECK((*counts)[0] == first);  // the machines we run on are little-endian
    ZELKOVA_FUZZ_CHECK(WriteHind(hind, *counts).ok());
    auto back = ReadFile(hind);
    ZELKOVA_FUZZ_CHECK(back.ok() && *back == bytes);
  }

  // SetGate.tbl: 15 records of 576 bytes at least, every factor a finite number.
  const auto gate = root / "SetGate.tbl";
  ZELKOVA_FUZZ_CHECK(WriteFileAtomic(gate, bytes).ok());
  auto table = LoadGateTable(gate);
  if (size < 15 * 576) ZELKOVA_FUZZ_CHECK(!table.ok() && table.status().isCorruption());
  if (table.ok())
    for (int n = 0; n <= 20; ++n)
      for (int p = 0; p <= 20; ++p) ZELKOVA_FUZZ_CHECK(std::isfinite(table->factor(n, p)));

  // RTJ/RTN/RTC.dat: one 5488-byte record of finite doubles; the start-up check agrees. Each
  // file gets its own cut of the input, so one can be sound while another is not: two bits of
  // the last byte per file choose the whole input, its first 5487 bytes (one short of a
  // record), the input without its first 8, 16 or 24 bytes (RTJ, RTN, RTC), or no file at all.
  const uint8_t choice = size ? data[size - 1] : 0;
  bool allThere = true, allLongEnough = true;
  size_t notExact = 0;  // files missing or not exactly one record long
  int file = 0;
  for (const char* name : {"RTJ.dat", "RTN.dat", "RTC.dat"}) {
    const int mode = (choice >> (2 * file)) & 3;
    const size_t skip = 8 * static_cast<size_t>(file) + 8;
    ++file;
    if (mode == 3) {
      allThere = false;
      ++notExact;
      continue;
    }
    const std::string cut = mode == 0   ? bytes
                            : mode == 1 ? bytes.substr(0, std::min(bytes.size(), RatingTables::kFileBytes - 1))
                                        : bytes.substr(std::min(bytes.size(), skip));
    if (cut.size() < RatingTables::kFileBytes) allLongEnough = false;
    if (cut.size() != RatingTables::kFileBytes) ++notExact;
    ZELKOVA_FUZZ_CHECK(WriteFileAtomic(root / name, cut).ok());
  }
  RatingTables tables;
  Status s = tables.Load(root);
  if (!allThere || !allLongEnough) ZELKOVA_FUZZ_CHECK(!s.ok());
  if (!s.ok())  // a refused load keeps what the tables held
    for (int k = 0; k < 3; ++k)
      for (int slot = 0; slot < RatingTables::kSlots; ++slot) ZELKOVA_FUZZ_CHECK(tables.at(k, 0, 1, slot) == 0);
  if (s.ok()) {
    for (int k = 0; k < 3; ++k)
      for (int c = -1; c <= RatingTables::kCategories; ++c)
        for (int cls = 0; cls <= RatingTables::kClasses + 1; ++cls)
          for (int slot = -1; slot <= RatingTables::kSlots; ++slot)
            ZELKOVA_FUZZ_CHECK(std::isfinite(tables.at(k, c, cls, slot)));
    for (int col = 0; col <= 14; ++col)
      for (int row = 0; row <= 7; ++row) (void)ReferenceCellText(tables, col % 3, row % 7, col, row);
  }
  ZELKOVA_FUZZ_CHECK(CheckRatingFiles(root).size() == notExact);
  return 0;
}
