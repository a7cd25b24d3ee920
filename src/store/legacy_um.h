// UMConvertBtn: turns a legacy binary horse master {date}.jvUMA (1577-byte records) into the
// current {date}.jvUM2 text file, one 1607-byte line per record.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "base/status.h"

namespace zelkova {

// One legacy record (at least 1575 bytes) as a current UM line without CR LF.
std::string ConvertLegacyUmRecord(std::string_view rec);

// Converts DataPath(date, ".jvUMA") into DataPath(date, ".jvUM2"), overwriting it. Writes
// nothing when the source is missing or empty (Ok, *lines = 0); a source whose size is not a
// whole number of records is Corruption and writes nothing.
Status ConvertLegacyHorseMaster(const std::filesystem::path& program_folder, std::string_view date,
                                size_t* lines = nullptr);

}  // namespace zelkova
