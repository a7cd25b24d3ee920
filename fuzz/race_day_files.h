// The stored files of one race day written from the parts of a fuzz input, for the targets that
// load a whole day: RA sep SE sep HR sep O1 sep O2 sep UM2 sep KS sep CH sep CKIM sep SEI sep SERA
// (sep: see fuzz_support.h); a corpus is made by joining a downloaded day's files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_io.h"
#include "fuzz_support.h"
#include "records/code_tables.h"
#include "records/record.h"
#include "store/stored_paths.h"

namespace zelkova::fuzz {

inline constexpr size_t kRaceDayParts = 11;

// Empties `root`'s stored folders and writes `parts` as the files of `date` (a date text).
inline void WriteRaceDayFiles(const std::filesystem::path& root, const std::string& date,
                              const std::vector<std::string_view>& parts) {
  ResetDir(root / "Data");
  auto put = [&](const std::filesystem::path& p, std::string_view bytes) {
    if (bytes.empty()) return;
    MakeDir(p.parent_path());
    ZELKOVA_FUZZ_CHECK(WriteFileAtomic(p, bytes).ok());
  };
  auto digits = [](std::string_view s, size_t n) { return s.size() == n && IsAllDigits(s); };
  put(DataPath(root, date, ".jvRA"), parts[0]);
  // The entry file of the first race's racecourse (the loader names it the same way).
  const std::string_view ra = parts[0];
  put(DataPath(root, date, CourseNameW(Field(ra, 20, 2), 2) + ".jvSEr"), parts[1]);
  put(DataPath(root, date, ".jvHR"), parts[2]);
  put(DataPath(root, date, ".jvO1"), parts[3]);
  put(DataPath(root, date, ".jvO2"), parts[4]);
  put(DataPath(root, date, ".jvUM2"), parts[5]);
  put(DataPath(root, date, ".jvKS"), parts[6]);
  put(DataPath(root, date, ".jvCH"), parts[7]);
  put(DataPath(root, date, ".CkIm"), parts[8]);
  // A horse history for the first entry's horse, a meeting file for that history's first run.
  std::error_code ec;
  std::filesystem::remove_all(root / "SEI", ec);
  std::filesystem::remove_all(root / "SEIR", ec);
  const std::string_view reg = Field(parts[1], 31, 10);
  if (digits(reg, 10)) put(HorsePath(root, reg), parts[9]);
  const std::string_view key10 = Field(parts[9], 12, 10);
  if (digits(key10, 10)) put(MeetingPath(root, key10), parts[10]);
}

}  // namespace zelkova::fuzz
